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

void OutputSink::writeLine(const QString& text)
{
    append(QByteArrayView(text.toUtf8()));
    buffer_ += '\n';
    written();
}

bool OutputSink::written() { return buffer_.size() < kFlushAt ? !failed() : flush(); }

bool OutputSink::flush()
{
    if (!failed())
        error_ = writeAll(fd_, QByteArrayView(buffer_.data(), qsizetype(buffer_.size())));
    buffer_.clear();
    return !failed();
}

int writeAll(int fd, QByteArrayView bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, std::size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            waitUntilWritable(fd);
        else if (n < 0 && errno != EINTR)
            return errno;
        else if (n == 0)
            return EIO;
    }
    return 0;
}
