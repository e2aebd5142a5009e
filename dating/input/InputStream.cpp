#include "InputStream.h"

#include "SpreadsheetFile.h"

#include "dating/ByteStreams.h"
#include "dating/output/OutputSink.h"

#include <algorithm>

InputStream::InputStream(ByteSource& source, OutputSink* flushFirst)
    : source_(&source)
    , flushFirst_(flushFirst)
{
}

InputStream::InputStream(QByteArray bytes)
    : memory_(std::move(bytes))
{
}

qsizetype InputStream::append(QByteArray& buffer)
{
    const qsizetype kept = buffer.size();
    if (!started_)
        readStart(buffer);
    if (buffer.size() == kept) // nothing yet, or only the mark
        appendBlock(buffer);
    return buffer.size() - kept;
}

void InputStream::readStart(QByteArray& buffer)
{
    started_ = true;
    readingStart_ = true;
    const qsizetype kept = buffer.size();
    const auto start = [&buffer, kept] {
        return QByteArrayView(buffer).sliced(kept);
    };
    while ((InputText::couldBeMarkPrefix(start()) || SpreadsheetFile::couldBe(start()) ||
            InputText::couldBeUtf16(start())) &&
           appendBlock(buffer) > 0) {
    }
    spreadsheet_ = SpreadsheetFile::kind(start());
    if (!spreadsheet_.isEmpty()) {
        buffer.truncate(kept);
        ended_ = true;
        return;
    }
    const InputText::ByteOrderMark mark = InputText::sniff(QByteArrayView(buffer).sliced(kept));
    readingStart_ = false;
    encoding_ = mark.encoding;
    hadByteOrderMark_ = mark.length > 0;
    if (!hadByteOrderMark_)
        encoding_ = InputText::utf16FromZeros(start()).value_or(InputText::Encoding::Utf8);
    buffer.remove(kept, mark.length);
}

qsizetype InputStream::appendBlock(QByteArray& buffer)
{
    const qsizetype kept = buffer.size();
    buffer.resize(kept + kBlockBytes);
    const qsizetype n = read(buffer.data() + kept, kBlockBytes);
    buffer.resize(kept + n);
    return n;
}

bool InputStream::wouldWait() const { return !memory_ && source_->readWouldWait(); }

qsizetype InputStream::read(char* into, qsizetype capacity)
{
    if (ended_)
        return 0;
    // Nothing has been answered before the start is read: what waits (a header row) is kept
    // until the input is known to be no spreadsheet.
    if (started_ && !readingStart_ && flushFirst_ && wouldWait() && !flushFirst_->flush()) {
        ended_ = true;
        return 0;
    }
    if (largestRead_ > 0)
        capacity = std::min(capacity, largestRead_);
    qsizetype n = 0;
    if (memory_) {
        n = std::min(capacity, qsizetype(memory_->size() - bytesRead_));
        std::copy_n(memory_->constData() + bytesRead_, n, into);
    } else {
        n = source_->read(into, capacity, error_);
    }
    if (n > 0) {
        bytesRead_ += n;
        return n;
    }
    ended_ = true;
    return 0;
}
