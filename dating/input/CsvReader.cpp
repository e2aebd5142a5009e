#include "CsvReader.h"

#include <algorithm>
#include <array>

namespace {

constexpr QByteArrayView kReplacementCharacter = "\xEF\xBF\xBD";
constexpr QByteArrayView kByteOrderMark = "\xEF\xBB\xBF";

// How many fields the first record of `bytes` has under a delimiter, and whether it ends there.
struct FirstRecord {
    int fields = 1;
    bool ended = false;
};

FirstRecord countFirstRecord(QByteArrayView bytes, char delimiter)
{
    FirstRecord count;
    bool fieldStart = true;
    bool quoted = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quoted) {
            if (c == '"' && i + 1 < bytes.size() && bytes[i + 1] == '"')
                ++i;
            else if (c == '"')
                quoted = false;
            continue;
        }
        if (fieldStart && c == '"') {
            quoted = true;
            fieldStart = false;
        } else if (c == delimiter) {
            ++count.fields;
            fieldStart = true;
        } else if (c == '\r' || c == '\n') {
            count.ended = true;
            return count;
        } else {
            fieldStart = false;
        }
    }
    return count;
}

} // namespace

CsvReader::CsvReader(InputStream& input, qsizetype maxRowBytes)
    : input_(input)
    , maxRowBytes_(maxRowBytes)
{
}

bool CsvReader::readUtf8(QByteArray& block)
{
    block.clear();
    while (block.isEmpty()) {
        if (input_.append(raw_) == 0) {
            // Half a UTF-16 code unit at the very end is a character that is not there.
            if (oddByte_) {
                oddByte_ = false;
                block = kReplacementCharacter.toByteArray();
                return true;
            }
            return false;
        }
        if (!decoder_.isValid() && !windows1252_ && !firstBlockDecoded()) {
            block.swap(raw_);
        } else if (windows1252_) {
            block = InputText::fromWindows1252(raw_).toUtf8();
        } else {
            oddByte_ = utf16_ && oddByte_ != (raw_.size() % 2 != 0);
            block = QString(decoder_(raw_)).toUtf8();
        }
        raw_.clear();
    }
    return true;
}

// Sets up the decoder from the first block, when the input needs one: an encoding given, UTF-16,
// or an input that is not UTF-8 (a sequence cut at the block's end aside).
bool CsvReader::firstBlockDecoded()
{
    if (started_)
        return false;
    started_ = true;
    QString name = encodingName_;
    if (name.isEmpty() && input_.encoding() != InputText::Encoding::Utf8)
        name = input_.encoding() == InputText::Encoding::Utf16LE ? QStringLiteral("UTF-16LE")
                                                                 : QStringLiteral("UTF-16BE");
    if (name.isEmpty()) {
        const QByteArrayView start(raw_);
        bool utf8 = false;
        for (qsizetype cut = 0; cut < 4 && cut <= start.size() && !utf8; ++cut)
            utf8 = start.chopped(cut).isValidUtf8();
        if (utf8)
            return false;
        name = assumed_ = QStringLiteral("Windows-1252");
    }
    decoder_ = QStringDecoder(name.toUtf8().constData(), QStringDecoder::Flag::ConvertInitialBom);
    windows1252_ = !decoder_.isValid() && InputText::isWindows1252(name.toUtf8());
    utf16_ = name.startsWith(QStringLiteral("UTF-16"), Qt::CaseInsensitive);
    return decoder_.isValid() || windows1252_;
}

bool CsvReader::readMore()
{
    if (!tooLong_ && !recordDone_ && pos_ - recordStart_ - dropped_ > maxRowBytes_)
        startOverflow(true);
    if (tooLong_) {
        keepWritten();
        recordStart_ = pos_;
    }
    // What the record still needs is kept; what lies before it has been taken.
    buffer_.remove(0, recordStart_);
    pos_ -= recordStart_;
    fieldStart_ -= recordStart_;
    recordStart_ = 0;
    QByteArray block;
    if (ended_ || !readUtf8(block)) {
        ended_ = true;
        return false;
    }
    buffer_ += block;
    return true;
}

char CsvReader::findDelimiter()
{
    static constexpr std::array kCandidates{',', ';', '\t'};
    // Read until the header record ends under every candidate, or the input does.
    for (;;) {
        std::array<FirstRecord, kCandidates.size()> counts;
        bool allEnded = true;
        for (std::size_t i = 0; i < kCandidates.size(); ++i) {
            counts[i] = countFirstRecord(buffer_, kCandidates[i]);
            allEnded = allEnded && counts[i].ended;
        }
        if (allEnded || buffer_.size() > maxRowBytes_ || !readMore()) {
            std::size_t best = 0;
            for (std::size_t i = 1; i < kCandidates.size(); ++i) {
                if (counts[i].fields > counts[best].fields)
                    best = i;
            }
            for (std::size_t i = 0; i < kCandidates.size(); ++i) {
                if (i != best && counts[i].fields == counts[best].fields && counts[i].fields > 1)
                    undecided_ = true;
            }
            return kCandidates[best];
        }
    }
}

// A first line "sep=X", as some spreadsheet programs write and read it.
void CsvReader::readSeparatorLine()
{
    constexpr QByteArrayView kSep = "sep=";
    while (buffer_.size() < kSep.size() + 2 && readMore()) {
    }
    if (!QByteArrayView(buffer_).startsWith(kSep) || buffer_.size() < kSep.size() + 1)
        return;
    const char separator = buffer_[kSep.size()];
    const qsizetype end = kSep.size() + 1;
    if (separator == '"' || separator == '\r' || separator == '\n' ||
        (end < buffer_.size() && buffer_[end] != '\r' && buffer_[end] != '\n'))
        return;
    separatorLine_ = buffer_.first(end);
    pos_ = end;
    if (pos_ < buffer_.size() && buffer_[pos_] == '\r')
        ++pos_;
    if ((pos_ < buffer_.size() || readMore()) && buffer_[pos_] == '\n')
        ++pos_;
    ++lineNumber_;
    recordStart_ = pos_;
    buffer_.remove(0, pos_);
    pos_ = recordStart_ = 0;
}

bool CsvReader::readHeader(std::optional<char> delimiter)
{
    readSeparatorLine();
    if (!delimiter && !separatorLine_.isEmpty())
        delimiter = separatorLine_.back();
    delimiter_ = delimiter ? *delimiter : findDelimiter();
    return next();
}

bool CsvReader::next()
{
    fields_.clear();
    written_.clear();
    repairs_.clear();
    tooLong_ = false;
    overflowFields_ = 0;
    blank_ = false;
    recordDone_ = false;
    dropped_ = 0;
    recordStart_ = pos_;
    fieldStart_ = pos_;
    recordLine_ = lineNumber_;
    unclosedQuote_ = -1;
    state_ = State::FieldStart;
    return parseRecord();
}

// The written bytes of the field read so far, from fieldStart_ to pos_, are kept, or go to the
// overflow.
void CsvReader::keepWritten()
{
    const QByteArrayView part = QByteArrayView(buffer_).sliced(fieldStart_, pos_ - fieldStart_);
    if (tooLong_) {
        if (overflow_ && !part.isEmpty())
            overflow_->bytes(part);
    } else {
        writtenPart_ += part;
    }
    fieldStart_ = pos_;
}

void CsvReader::startOverflow(bool fieldOpen)
{
    tooLong_ = true;
    for (const QByteArray& field : std::as_const(written_)) {
        if (overflow_) {
            overflow_->fieldStarted(overflowFields_);
            overflow_->bytes(field);
        }
        ++overflowFields_;
    }
    fields_.clear();
    written_.clear();
    if (!fieldOpen)
        return;
    if (overflow_) {
        overflow_->fieldStarted(overflowFields_);
        overflow_->bytes(writtenPart_);
    }
    writtenPart_.clear();
    text_.clear();
}

void CsvReader::endField()
{
    keepWritten();
    if (tooLong_) {
        ++overflowFields_;
    } else {
        written_ << writtenPart_;
        fields_ << (quoted_ ? text_ : writtenPart_);
    }
    writtenPart_.clear();
    text_.clear();
    quoted_ = false;
    state_ = State::FieldStart;
}

// At a byte-order mark: drops it (from what was written too), and says so once a record.
bool CsvReader::dropMark()
{
    while (buffer_.size() - pos_ < kByteOrderMark.size() && readMore()) {
    }
    if (!QByteArrayView(buffer_).sliced(pos_).startsWith(kByteOrderMark))
        return false;
    keepWritten();
    pos_ += kByteOrderMark.size();
    fieldStart_ = pos_;
    dropped_ += kByteOrderMark.size();
    const bool said = std::any_of(repairs_.begin(), repairs_.end(), [](const RepairAt& at) {
        return at.repair == Repair::ByteOrderMark;
    });
    if (!said)
        repairs_ << RepairAt{Repair::ByteOrderMark, lineNumber_};
    return true;
}

bool CsvReader::parseRecord()
{
    for (;;) {
        if (pos_ >= buffer_.size() && !readMore()) {
            // The end of the input.
            if (state_ == State::Quoted && !tooLong_) {
                // The quote is never closed: read the record again, with that field ending at
                // the end of its line.
                const qsizetype quote = unclosedQuote_;
                pos_ = recordStart_;
                fieldStart_ = pos_;
                lineNumber_ = recordLine_;
                dropped_ = 0;
                fields_.clear();
                written_.clear();
                repairs_.clear();
                writtenPart_.clear();
                text_.clear();
                quoted_ = false;
                state_ = State::FieldStart;
                unclosedQuote_ = -2 - quote; // marks the quote to read up to the line's end
                continue;
            }
            if (state_ == State::Quoted)
                repairs_ << RepairAt{Repair::UnclosedQuoteToEnd, recordLine_};
            if (state_ == State::FieldStart && pos_ == recordStart_ && !tooLong_ &&
                written_.isEmpty())
                return false;
            endField();
            break;
        }
        const char c = buffer_[pos_];
        if (c == '\xEF' && dropMark())
            continue;
        if (pos_ >= buffer_.size())
            continue;
        switch (state_) {
        case State::FieldStart:
            if (c == '"') {
                quoted_ = true;
                const qsizetype at = pos_ - recordStart_;
                if (unclosedQuote_ == -2 - at) {
                    state_ = State::ToLineEnd;
                    repairs_ << RepairAt{Repair::UnclosedQuote, lineNumber_};
                } else {
                    state_ = State::Quoted;
                    if (unclosedQuote_ >= -1)
                        unclosedQuote_ = at;
                }
                ++pos_;
                continue;
            }
            state_ = State::Unquoted;
            continue;
        case State::Quoted: {
            const qsizetype runStart = pos_; // past it, a mark is looked for first
            qsizetype end = pos_;
            while (end < buffer_.size() && buffer_[end] != '"' && buffer_[end] != '\xEF')
                ++end;
            const QByteArrayView run = QByteArrayView(buffer_).sliced(pos_, end - pos_);
            lineNumber_ += std::count(run.begin(), run.end(), '\n');
            if (!tooLong_)
                text_ += run;
            pos_ = end;
            if (end < buffer_.size() && buffer_[end] == '"') {
                state_ = State::QuoteInQuoted;
                ++pos_;
            } else if (end < buffer_.size() && end == runStart) { // a byte that begins no mark
                if (!tooLong_)
                    text_ += '\xEF';
                ++pos_;
            }
            continue;
        }
        case State::QuoteInQuoted:
            if (c == '"') {
                if (!tooLong_)
                    text_ += '"';
                state_ = State::Quoted;
                ++pos_;
                continue;
            }
            if (c != delimiter_ && c != '\r' && c != '\n') {
                state_ = State::AfterQuote;
                repairs_ << RepairAt{Repair::TextAfterClosingQuote, lineNumber_};
            }
            break;
        case State::Unquoted:
        case State::AfterQuote:
        case State::ToLineEnd:
            break;
        }
        // Unquoted text: up to the delimiter (but not in a field read to its line's end), the
        // line's end, or a byte that may begin a mark.
        const qsizetype runStart = pos_;
        qsizetype end = pos_;
        const bool toLineEnd = state_ == State::ToLineEnd;
        while (end < buffer_.size()) {
            const char d = buffer_[end];
            if ((d == delimiter_ && !toLineEnd) || d == '\r' || d == '\n' || d == '\xEF')
                break;
            ++end;
        }
        if (state_ != State::Unquoted && !tooLong_)
            text_ += QByteArrayView(buffer_).sliced(pos_, end - pos_);
        pos_ = end;
        if (end >= buffer_.size())
            continue;
        const char d = buffer_[end];
        if (d == '\xEF' && end > runStart)
            continue; // a mark is looked for first
        if (d == '\xEF') {
            if (state_ != State::Unquoted && !tooLong_)
                text_ += d;
            ++pos_;
            continue;
        }
        if (d == delimiter_ && !toLineEnd) {
            endField();
            ++pos_;
            fieldStart_ = pos_;
            if (tooLong_ && overflow_)
                overflow_->fieldStarted(overflowFields_);
            continue;
        }
        // The line's end ends the record: CR LF, LF or CR.
        blank_ = pos_ == recordStart_ && written_.isEmpty() && !tooLong_;
        endField();
        recordDone_ = true;
        fieldStart_ = ++pos_;
        if (d == '\r' && (pos_ < buffer_.size() || readMore()) && buffer_[pos_] == '\n')
            fieldStart_ = ++pos_;
        ++lineNumber_;
        break;
    }
    if (!tooLong_) {
        qsizetype bytes = written_.size() - 1;
        for (const QByteArray& field : std::as_const(written_))
            bytes += field.size();
        if (bytes > maxRowBytes_)
            startOverflow(false);
    }
    return true;
}
