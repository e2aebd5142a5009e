#include "OutputSink.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace {

// A descriptor left non-blocking by whoever started us.
void waitUntilWritable(int fd)
{
    pollfd ready{fd, POLLOUT, 0};
    ::poll(&ready, 1, -1);
}

} // namespace

OutputSink::OutputSink(int fd)
    : fd_(fd)
{
    buffer_.reserve(kFlushAt + 4096);
}

bool OutputSink::written() { return buffer_.size() < kFlushAt ? !failed() : flush(); }

bool OutputSink::flush()
{
    std::size_t done = 0;
    while (!failed() && done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            waitUntilWritable(fd_);
        else if (n < 0 && errno != EINTR)
            error_ = errno;
        else if (n == 0)
            error_ = EIO;
    }
    buffer_.clear();
    return !failed();
}
