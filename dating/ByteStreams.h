#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

// The engine's edges: where a run's bytes come from and where they go. The engine opens nothing
// itself; its caller hands it these, made over whatever it has: the command over its standard
// streams, files and pipes, the page's worker over the bytes of a dropped file.

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `capacity` bytes: how many were read, 0 at the end of the input, -1 on an error (its
    // errno in `error`).
    virtual qsizetype read(char* into, qsizetype capacity, int& error) = 0;
    // Whether a read now would wait for input that has not come yet, so that the answers already
    // made are sent first (a terminal, a co-process).
    virtual bool readWouldWait() const { return false; }
};

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Writes all the bytes: 0, or the errno of the write that failed.
    virtual int write(QByteArrayView bytes) = 0;
};

// Bytes kept in memory; such a write never fails.
class ByteArraySink : public ByteSink {
public:
    explicit ByteArraySink(QByteArray& into)
        : into_(into)
    {
    }
    int write(QByteArrayView bytes) override
    {
        into_.append(bytes);
        return 0;
    }

private:
    QByteArray& into_;
};
