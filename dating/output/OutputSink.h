#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <string>

class ByteSink;

// An output (standard output, a file: any ByteSink; or bytes in memory) with a large buffer. The
// first write that fails is remembered and nothing is written after it; callers stop at once when
// `failed()`.
class OutputSink {
public:
    static constexpr std::size_t kFlushAt = std::size_t(1) << 16;

    explicit OutputSink(ByteSink& sink);
    // Appends what is written to `into` instead; such a write never fails.
    explicit OutputSink(QByteArray* into);
    OutputSink(const OutputSink&) = delete;
    OutputSink& operator=(const OutputSink&) = delete;

    std::string& buffer() { return buffer_; } // append, then call written()
    void append(QByteArrayView bytes) { buffer_.append(bytes.data(), std::size_t(bytes.size())); }
    void writeLine(const QString& text); // as UTF-8, then LF

    bool written(); // flushes when the buffer is full; false once a write has failed
    bool flush();   // false once a write has failed

    bool failed() const { return error_ != 0; }
    int error() const { return error_; } // errno of the failed write

private:
    ByteSink* sink_ = nullptr;
    QByteArray* into_ = nullptr;
    std::string buffer_;
    int error_ = 0;
};
