#include "InputStream.h"

#include "SystemIo.h"

#include <algorithm>

InputStream::InputStream(int fd, std::function<bool()> beforeWaiting)
    : fd_(fd)
    , beforeWaiting_(std::move(beforeWaiting))
{
}

bool InputStream::wouldWait() const { return SystemIo::readWouldWait(fd_); }

qsizetype InputStream::append(QByteArray& buffer)
{
    const qsizetype kept = buffer.size();
    buffer.resize(kept + kBlockBytes);
    const qsizetype n = read(buffer.data() + kept, kBlockBytes);
    buffer.resize(kept + n);
    return n;
}

InputText::ByteOrderMark InputStream::appendStart(QByteArray& buffer)
{
    while (InputText::couldBeMarkPrefix(buffer) && append(buffer) > 0) {
    }
    return InputText::sniff(buffer);
}

qsizetype InputStream::read(char* into, qsizetype capacity)
{
    if (ended_)
        return 0;
    if (wouldWait() && beforeWaiting_ && !beforeWaiting_()) {
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
