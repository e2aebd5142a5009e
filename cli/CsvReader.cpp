#include "CsvReader.h"

#include <csv.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>

namespace {

constexpr QByteArrayView kReplacementCharacter = "\xEF\xBF\xBD";

// libcsv holds one field at a time. Its buffer grows in large steps and never much beyond a
// row's limit: past that, the field's bytes are dropped and the row is marked too long. libcsv
// hands its allocator no context, so the limit of the parser being fed is kept here (the command
// reads one CSV at a time on one thread).
constexpr std::size_t kBufferStep = std::size_t(1) << 16;
std::size_t bufferLimit = std::size_t(CsvReader::kMaxRowBytes) + kBufferStep;

void* boundedRealloc(void* buffer, std::size_t size)
{
    return size > bufferLimit ? nullptr : std::realloc(buffer, size);
}

int noBlanks(unsigned char) { return 0; }

void setUp(csv_parser& parser, char delimiter)
{
    csv_init(&parser, 0);
    csv_set_delim(&parser, static_cast<unsigned char>(delimiter));
    csv_set_space_func(&parser, noBlanks);
    csv_set_realloc_func(&parser, boundedRealloc);
    csv_set_blk_size(&parser, kBufferStep);
}

// How many fields the first row of `bytes` has under a delimiter, and whether it ends there.
struct FirstRowCount {
    int fields = 0;
    bool ended = false;
};

FirstRowCount countFirstRow(QByteArrayView bytes, char delimiter, bool atEnd)
{
    FirstRowCount count;
    csv_parser parser;
    setUp(parser, delimiter);
    auto onField = [](void*, std::size_t, void* data) {
        auto* c = static_cast<FirstRowCount*>(data);
        if (!c->ended)
            ++c->fields;
    };
    auto onRow = [](int, void* data) {
        static_cast<FirstRowCount*>(data)->ended = true;
    };
    const std::size_t done =
        csv_parse(&parser, bytes.data(), std::size_t(bytes.size()), onField, onRow, &count);
    if (atEnd && done == std::size_t(bytes.size()))
        csv_fini(&parser, onField, onRow, &count);
    csv_free(&parser);
    return count;
}

} // namespace

CsvReader::CsvReader(InputStream& input, qsizetype maxRowBytes)
    : input_(input)
    , maxRowBytes_(maxRowBytes)
    , parser_(new csv_parser)
{
    bufferLimit = std::size_t(maxRowBytes_) + std::min(kBufferStep, std::size_t(maxRowBytes_) + 1);
}

CsvReader::~CsvReader()
{
    csv_free(parser_);
    delete parser_;
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
        if (input_.encoding() == InputText::Encoding::Utf8) {
            block.swap(raw_);
        } else {
            if (!decoder_.isValid()) // the first block: the mark is behind
                decoder_ = QStringDecoder(input_.encoding() == InputText::Encoding::Utf16LE
                                              ? QStringDecoder::Utf16LE
                                              : QStringDecoder::Utf16BE,
                                          QStringDecoder::Flag::ConvertInitialBom);
            oddByte_ = oddByte_ != (raw_.size() % 2 != 0);
            block = QString(decoder_(raw_)).toUtf8();
        }
        raw_.clear();
    }
    return true;
}

char CsvReader::findDelimiter()
{
    static constexpr std::array kCandidates{',', ';', '\t'};
    // Read until the header row ends under every candidate, or the input does.
    for (;;) {
        const bool atEnd = ended_;
        std::array<FirstRowCount, kCandidates.size()> counts;
        bool allEnded = true;
        for (std::size_t i = 0; i < kCandidates.size(); ++i) {
            counts[i] = countFirstRow(start_, kCandidates[i], atEnd);
            allEnded = allEnded && counts[i].ended;
        }
        if (allEnded || atEnd || start_.size() > maxRowBytes_) {
            std::size_t best = 0;
            for (std::size_t i = 1; i < kCandidates.size(); ++i) {
                if (counts[i].fields > counts[best].fields)
                    best = i;
            }
            return kCandidates[best];
        }
        QByteArray block;
        if (readUtf8(block))
            start_ += block;
        else
            ended_ = true;
    }
}

bool CsvReader::readHeader(std::optional<char> delimiter)
{
    delimiter_ = delimiter ? *delimiter : findDelimiter();
    setUp(*parser_, delimiter_);
    parse(start_);
    start_ = QByteArray();
    return next();
}

void CsvReader::fieldEnded(void* field, std::size_t size, void* data)
{
    auto* reader = static_cast<CsvReader*>(data);
    Row& row = reader->parsing_;
    reader->parsingBytes_ += qsizetype(size) + 1;
    if (reader->parsingBytes_ > reader->maxRowBytes_ + 1)
        row.tooLong = true;
    if (row.tooLong)
        row.fields.clear();
    else
        row.fields.append(QByteArray(static_cast<const char*>(field), qsizetype(size)));
}

void CsvReader::rowEnded(int /*terminator*/, void* data)
{
    auto* reader = static_cast<CsvReader*>(data);
    reader->rows_.push_back(std::move(reader->parsing_));
    reader->parsing_ = Row();
    reader->parsingBytes_ = 0;
}

void CsvReader::parse(QByteArrayView bytes)
{
    std::size_t done = 0;
    const auto size = std::size_t(bytes.size());
    while (done < size) {
        done += csv_parse(parser_, bytes.data() + done, size - done, fieldEnded, rowEnded, this);
        if (done < size && csv_error(parser_) != CSV_ENOMEM)
            break; // not reached: only strict parsing fails otherwise
        if (done < size) {
            // The field outgrew the buffer: its row is too long. Drop what the field holds and
            // go on in the same state (one byte is left, which a closing quote may take back).
            parsing_.tooLong = true;
            parsing_.fields.clear();
            parser_->entry_pos = 1;
            parser_->status = CSV_SUCCESS;
        }
    }
}

bool CsvReader::parseMore()
{
    if (finished_)
        return false;
    QByteArray block;
    if (!ended_ && readUtf8(block)) {
        parse(block);
        return true;
    }
    ended_ = true;
    finished_ = true;
    csv_fini(parser_, fieldEnded, rowEnded, this); // the last row needs no line ending
    return true;
}

bool CsvReader::next()
{
    while (rows_.empty()) {
        if (!parseMore())
            return false;
    }
    row_ = std::move(rows_.front());
    rows_.pop_front();
    return true;
}
