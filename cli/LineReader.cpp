#include "LineReader.h"

#include <algorithm>
#include <cstring>

LineReader::LineReader(InputStream& input, qsizetype maxLineBytes)
    : input_(input)
    , maxLineBytes_(maxLineBytes)
{
    buffer_.reserve(InputStream::kBlockBytes * 2);
    const InputText::ByteOrderMark mark = input_.appendStart(buffer_);
    encoding_ = mark.encoding;
    lineFeed_ = InputText::codeUnit('\n', encoding_);
    carriageReturn_ = InputText::codeUnit('\r', encoding_);
    start_ = mark.length;
}

bool LineReader::readMore()
{
    // Keep what is not yet returned at the front, then read behind it.
    if (start_ > 0) {
        buffer_.remove(0, start_);
        start_ = 0;
    }
    return input_.append(buffer_) > 0;
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

QByteArrayView LineReader::withoutCarriageReturn(QByteArrayView bytes) const
{
    return bytes.endsWith(carriageReturn_) ? bytes.chopped(carriageReturn_.size()) : bytes;
}

LineReader::Line LineReader::take(qsizetype length, qsizetype endingLength)
{
    const QByteArrayView bytes =
        withoutCarriageReturn(QByteArrayView(buffer_).sliced(start_, length));
    start_ += length + endingLength;
    scanned_ = 0;
    if (skipping_) {
        skipping_ = false;
        return {longLineStart_, true};
    }
    if (bytes.size() > maxLineBytes_) {
        longLineStart_ = bytes.first(std::min(kNameBytes, maxLineBytes_)).toByteArray();
        return {longLineStart_, true};
    }
    return {bytes, false};
}

bool LineReader::next(Line& line)
{
    const int unit = InputText::unitSize(encoding_);
    for (;;) {
        const qsizetype end = findLineEnd();
        if (end >= 0) {
            line = take(end - start_, unit);
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
            line = take(rest, 0);
            return true;
        }
    }
}
