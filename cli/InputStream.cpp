#include "InputStream.h"

#include "OutputSink.h"
#include "SystemIo.h"

#include <algorithm>

InputStream::InputStream(int fd, OutputSink* flushFirst)
    : fd_(fd)
    , flushFirst_(flushFirst)
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
    const qsizetype kept = buffer.size();
    while (InputText::couldBeMarkPrefix(QByteArrayView(buffer).sliced(kept)) &&
           appendBlock(buffer) > 0) {
    }
    const InputText::ByteOrderMark mark = InputText::sniff(QByteArrayView(buffer).sliced(kept));
    encoding_ = mark.encoding;
    hadByteOrderMark_ = mark.length > 0;
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

bool InputStream::wouldWait() const { return SystemIo::readWouldWait(fd_); }

qsizetype InputStream::read(char* into, qsizetype capacity)
{
    if (ended_)
        return 0;
    if (flushFirst_ && wouldWait() && !flushFirst_->flush()) {
        ended_ = true;
        return 0;
    }
    if (largestRead_ > 0)
        capacity = std::min(capacity, largestRead_);
    const qsizetype n = SystemIo::read(fd_, into, capacity, error_);
    if (n > 0)
        return n;
    ended_ = true;
    return 0;
}
