#include "OutputSink.h"

#include "cli/SystemIo.h"

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

int writeAll(int fd, QByteArrayView bytes) { return SystemIo::writeAll(fd, bytes); }
