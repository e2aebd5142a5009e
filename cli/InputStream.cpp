#include "InputStream.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <unistd.h>

InputStream::InputStream(int fd, std::function<bool()> beforeWaiting)
    : fd_(fd)
    , beforeWaiting_(std::move(beforeWaiting))
{
}

bool InputStream::wouldWait() const
{
    pollfd ready{fd_, POLLIN, 0};
    return ::poll(&ready, 1, 0) == 0;
}

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
    for (;;) {
        const ssize_t n = ::read(fd_, into, static_cast<size_t>(capacity));
        if (n > 0)
            return n;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // A descriptor left non-blocking by whoever started us: wait for it.
            pollfd ready{fd_, POLLIN, 0};
            ::poll(&ready, 1, -1);
            continue;
        }
        if (n < 0)
            error_ = errno;
        ended_ = true;
        return 0;
    }
}
