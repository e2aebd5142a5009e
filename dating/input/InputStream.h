#pragma once

#include "InputText.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

class ByteSource;
class OutputSink;

// An input (standard input, a file, a pipe: any ByteSource) read in large blocks, in its own
// encoding: its start tells which (InputText::sniff), and a byte-order mark there is left out. A
// spreadsheet's file is told from its start too, and then reads as empty. Before a read that would
// have to wait for more input, `flushFirst` is flushed, so that answers already made reach a
// terminal or a co-process first; when that fails the stream stops without reading.
class InputStream {
public:
    static constexpr qsizetype kBlockBytes = qsizetype(1) << 16;

    explicit InputStream(ByteSource& source, OutputSink* flushFirst = nullptr);
    // The bytes of a file already in memory (the page's worker), read as a descriptor would be.
    explicit InputStream(QByteArray bytes);

    // Appends up to a block to `buffer`; the bytes appended, 0 at the end of the input, on a read
    // error and when stopped. The first call reads the start.
    qsizetype append(QByteArray& buffer);

    // What the start told; known once append() has been called.
    InputText::Encoding encoding() const { return encoding_; }
    bool hadByteOrderMark() const { return hadByteOrderMark_; }
    // The extension of the spreadsheet file whose start this is (SpreadsheetFile::kind), then
    // nothing is read; empty for anything else.
    const QString& spreadsheet() const { return spreadsheet_; }

    int error() const { return error_; } // errno of the read error, 0 when there was none

    // How much of the input has been read, and how much there is (0 when not known).
    qint64 bytesRead() const { return bytesRead_; }
    qint64 bytesTotal() const { return memory_ ? memory_->size() : 0; }

    // Reads no more than this at a time (tests use small reads to find faults at block edges).
    void setLargestRead(qsizetype bytes) { largestRead_ = bytes; }

private:
    void readStart(QByteArray& buffer);
    qsizetype appendBlock(QByteArray& buffer);
    bool wouldWait() const;
    qsizetype read(char* into, qsizetype capacity);

    ByteSource* source_ = nullptr;
    std::optional<QByteArray> memory_; // the input, when it is in memory
    qint64 bytesRead_ = 0;
    OutputSink* flushFirst_ = nullptr;
    bool started_ = false;
    bool readingStart_ = false;
    InputText::Encoding encoding_ = InputText::Encoding::Utf8;
    bool hadByteOrderMark_ = false;
    QString spreadsheet_;
    int error_ = 0;
    qsizetype largestRead_ = 0; // 0: as much as asked for
    bool ended_ = false;
};
