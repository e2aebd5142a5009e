#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <string>
#include <vector>

// What reading and writing the standard streams needs from the operating system, one source file
// per system (SystemIo_posix.cpp, SystemIo_win.cpp). Descriptors are the C library's 0, 1 and 2;
// errors are errno values, so that messages read the same everywhere.
namespace SystemIo {

// Once at start: on Windows the standard streams become binary (no CR LF or Ctrl+Z translation).
void prepareStandardStreams();

// The command line as UTF-8. On Windows it is taken again from the wide command line, which
// holds every character whatever the code page; elsewhere it is `argv` as it is.
class Utf8Arguments {
public:
    Utf8Arguments(int argc, char** argv);
    char** argv() const { return argv_; }

private:
    std::vector<std::string> texts_;
    std::vector<char*> pointers_;
    char** argv_;
};

// Whether a read from `fd` now would wait for input that has not arrived yet; true when that
// cannot be told, since the caller then only writes out its answers first.
bool readWouldWait(int fd);

// Reads up to `capacity` bytes, going on after interruptions and waiting when the descriptor was
// left non-blocking: the bytes read, 0 at the end of the input, -1 on an error (its errno in
// `error`). On Windows a pipe whose writer has gone is the end of the input, and text typed at a
// console arrives as UTF-8.
qsizetype read(int fd, char* into, qsizetype capacity, int& error);

// Writes all the bytes, going on after interruptions and partial writes; 0, or the errno of the
// write that failed (a closed pipe is EPIPE everywhere). On Windows UTF-8 text for a console is
// shown through the console's wide-character output, whatever its code page.
int writeAll(int fd, QByteArrayView bytes);

} // namespace SystemIo
