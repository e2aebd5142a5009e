#include "SystemIo.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace SystemIo {

namespace {

// A descriptor left non-blocking by whoever started us: wait until it is ready.
void waitFor(int fd, short events)
{
    pollfd ready{fd, events, 0};
    ::poll(&ready, 1, -1);
}

} // namespace

void prepareStandardStreams() {}

Utf8Arguments::Utf8Arguments(int /*argc*/, char** argv)
    : argv_(argv)
{
}

bool readWouldWait(int fd)
{
    pollfd ready{fd, POLLIN, 0};
    return ::poll(&ready, 1, 0) == 0;
}

qsizetype read(int fd, char* into, qsizetype capacity, int& error)
{
    for (;;) {
        const ssize_t n = ::read(fd, into, static_cast<size_t>(capacity));
        if (n >= 0)
            return n;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            waitFor(fd, POLLIN);
        else if (errno != EINTR) {
            error = errno;
            return -1;
        }
    }
}

int writeAll(int fd, QByteArrayView bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, std::size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            waitFor(fd, POLLOUT);
        else if (n < 0 && errno != EINTR)
            return errno;
        else if (n == 0)
            return EIO;
    }
    return 0;
}

} // namespace SystemIo
