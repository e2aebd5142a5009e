#include "OutputSink.h"

#include "dating/ByteStreams.h"

OutputSink::OutputSink(ByteSink& sink)
    : sink_(&sink)
{
    buffer_.reserve(kFlushAt + 4096);
}

OutputSink::OutputSink(QByteArray* into)
    : into_(into)
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
    const QByteArrayView bytes(buffer_.data(), qsizetype(buffer_.size()));
    if (into_)
        into_->append(bytes);
    else if (!failed())
        error_ = sink_->write(bytes);
    buffer_.clear();
    return !failed();
}
