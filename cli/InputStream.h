#pragma once

#include "InputText.h"

#include <QByteArray>
#include <QtGlobal>

#include <functional>

// Standard input (or any descriptor) read in large blocks. Before a read that would have to wait
// for more input, `beforeWaiting` runs, so that answers already made reach a terminal or a
// co-process first; when it returns false the stream stops without reading.
class InputStream {
public:
    static constexpr qsizetype kBlockBytes = qsizetype(1) << 16;

    InputStream(int fd, std::function<bool()> beforeWaiting);

    // Appends up to a block to `buffer`; the bytes appended, 0 at the end of the input, on a read
    // error and when stopped.
    qsizetype append(QByteArray& buffer);

    // Reads into `buffer` until its start tells whether the input begins with a byte-order mark;
    // the mark stays in the buffer.
    InputText::ByteOrderMark appendStart(QByteArray& buffer);

    int error() const { return error_; } // errno of the read error, 0 when there was none

    // Reads no more than this at a time (tests use small reads to find faults at block edges).
    void setLargestRead(qsizetype bytes) { largestRead_ = bytes; }

private:
    bool wouldWait() const;
    qsizetype read(char* into, qsizetype capacity);

    int fd_;
    std::function<bool()> beforeWaiting_;
    int error_ = 0;
    qsizetype largestRead_ = 0; // 0: as much as asked for
    bool ended_ = false;
};
