#pragma once

#include <QtGlobal>

#include <functional>

// Standard input (or any descriptor) read in large blocks. Before a read that would have to wait
// for more input, `beforeWaiting` runs, so that answers already made reach a terminal or a
// co-process first; when it returns false the stream stops without reading.
class InputStream {
public:
    InputStream(int fd, std::function<bool()> beforeWaiting);

    // Bytes read into `into`, at most `capacity`; 0 at the end of the input, on a read error and
    // when stopped.
    qsizetype read(char* into, qsizetype capacity);

    int error() const { return error_; } // errno of the read error, 0 when there was none

    // Reads no more than this at a time (tests use small reads to find faults at block edges).
    void setLargestRead(qsizetype bytes) { largestRead_ = bytes; }

private:
    bool wouldWait() const;

    int fd_;
    std::function<bool()> beforeWaiting_;
    int error_ = 0;
    qsizetype largestRead_ = 0; // 0: as much as asked for
    bool ended_ = false;
};
