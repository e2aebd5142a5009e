#pragma once

#include "SystemIo.h"

#include "dating/ByteStreams.h"

// The command's descriptors (standard input, output and error, a table's file) as the engine's
// sources and sinks, read and written through the system's calls.

class DescriptorSource : public ByteSource {
public:
    explicit DescriptorSource(int fd)
        : fd_(fd)
    {
    }
    qsizetype read(char* into, qsizetype capacity, int& error) override
    {
        return SystemIo::read(fd_, into, capacity, error);
    }
    bool readWouldWait() const override { return SystemIo::readWouldWait(fd_); }

private:
    int fd_;
};

class DescriptorSink : public ByteSink {
public:
    explicit DescriptorSink(int fd)
        : fd_(fd)
    {
    }
    int write(QByteArrayView bytes) override { return SystemIo::writeAll(fd_, bytes); }

private:
    int fd_;
};
