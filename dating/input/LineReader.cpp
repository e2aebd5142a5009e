#include "LineReader.h"

#include <algorithm>
#include <cstring>

namespace {

bool isBlank(const QString& text)
{
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; });
}

} // namespace

LineReader::LineReader(const QList<QByteArray>& arguments, InputStream& input,
                       qsizetype maxLineBytes)
    : arguments_(arguments)
    , input_(input)
    , maxLineBytes_(maxLineBytes)
{
    if (arguments_.isEmpty())
        buffer_.reserve(InputStream::kBlockBytes * 2);
}

bool LineReader::next()
{
    if (!arguments_.isEmpty())
        return nextArgument();
    while (nextLine()) {
        text_ = tooLong_ ? std::nullopt : InputText::decode(bytes_, encoding_);
        if (!text_ || !isBlank(*text_))
            return true;
    }
    return false;
}

QString LineReader::shown() const
{
    const QString escaped = InputText::escaped(bytes_, encoding_);
    return tooLong_ ? escaped + QStringLiteral("...") : escaped;
}

bool LineReader::nextArgument()
{
    if (argument_ == arguments_.size())
        return false;
    const QByteArray& argument = arguments_[argument_++];
    const InputText::ByteOrderMark mark = InputText::sniff(argument);
    bytes_ = QByteArrayView(argument).sliced(mark.length);
    encoding_ = mark.encoding;
    text_ = InputText::decode(bytes_, encoding_);
    return true;
}

bool LineReader::readMore()
{
    // Keep what is not yet taken at the front, then read behind it.
    if (start_ > 0) {
        buffer_.remove(0, start_);
        start_ = 0;
    }
    if (input_.append(buffer_) == 0)
        return false;
    if (lineFeed_.isEmpty()) { // the first read: the input's encoding is known now
        encoding_ = input_.encoding();
        lineFeed_ = InputText::codeUnit('\n', encoding_);
        carriageReturn_ = InputText::codeUnit('\r', encoding_);
    }
    return true;
}

qsizetype LineReader::findLineEnd() const
{
    const char* data = buffer_.constData();
    if (encoding_ == InputText::Encoding::Utf8) {
        const auto* end = static_cast<const char*>(
            std::memchr(data + start_ + scanned_, '\n',
                        static_cast<std::size_t>(buffer_.size() - start_ - scanned_)));
        return end ? end - data : -1;
    }
    for (qsizetype i = start_ + scanned_; i + 1 < buffer_.size(); i += 2) {
        if (QByteArrayView(data + i, 2) == lineFeed_)
            return i;
    }
    return -1;
}

// Takes the line of `length` bytes at start_ and the ending after it.
void LineReader::take(qsizetype length, qsizetype endingLength)
{
    bytes_ = QByteArrayView(buffer_).sliced(start_, length);
    if (bytes_.endsWith(carriageReturn_))
        bytes_.chop(carriageReturn_.size());
    start_ += length + endingLength;
    scanned_ = 0;
    tooLong_ = skipping_ || bytes_.size() > maxLineBytes_;
    if (skipping_)
        skipping_ = false;
    else if (tooLong_)
        longLineStart_ = bytes_.first(std::min(kNameBytes, maxLineBytes_)).toByteArray();
    if (tooLong_)
        bytes_ = longLineStart_;
}

bool LineReader::nextLine()
{
    for (;;) {
        const int unit = InputText::unitSize(encoding_); // known after the first read
        const qsizetype end = findLineEnd();
        if (end >= 0) {
            take(end - start_, unit);
            return true;
        }
        // No ending yet. A line that has grown too long is dropped as it comes, whole code
        // units at a time, once its start is kept.
        const qsizetype pending = buffer_.size() - start_;
        // (A CR may still be dropped from its end.)
        if (!skipping_ && pending > maxLineBytes_ + carriageReturn_.size()) {
            skipping_ = true;
            longLineStart_ = QByteArrayView(buffer_)
                                 .sliced(start_, std::min(kNameBytes, maxLineBytes_))
                                 .toByteArray();
        }
        if (skipping_) {
            start_ += pending - pending % unit;
            scanned_ = 0;
        } else {
            scanned_ = pending - pending % unit;
        }
        if (!readMore()) {
            const qsizetype rest = buffer_.size() - start_;
            if (rest == 0 && !skipping_)
                return false;
            take(rest, 0);
            return true;
        }
    }
}
