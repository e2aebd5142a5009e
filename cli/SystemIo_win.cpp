#include "SystemIo.h"

#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <io.h>
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

namespace SystemIo {

namespace {

HANDLE handleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

// A stream the program was started without has no handle (INVALID_HANDLE_VALUE, or -2 in newer
// C libraries).
bool isOpen(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           reinterpret_cast<std::intptr_t>(handle) != -2;
}

bool isConsole(HANDLE handle)
{
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

// The errno of the same failure on a POSIX system, so that strerror() says it alike.
int errnoOf(DWORD error)
{
    switch (error) {
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:            // the reading end of the pipe has been closed
    case ERROR_PIPE_NOT_CONNECTED: // ... as Wine says it for a POSIX pipe
        return EPIPE;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_INVALID_HANDLE:
    case ERROR_ACCESS_DENIED:    // a handle not open for this, as the C library says it
    case ERROR_INVALID_FUNCTION: // a stream that cannot do this at all (Wine's closed stdin)
        return EBADF;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    default:
        return EIO;
    }
}

// Text typed at a console, read as UTF-16 whatever the console's code page and handed out as
// UTF-8 in pieces as large as the reader asks for.
class ConsoleInput {
public:
    bool empty() const { return pending_.isEmpty(); }

    qsizetype read(HANDLE console, char* into, qsizetype capacity, int& error)
    {
        if (pending_.isEmpty()) {
            wchar_t typed[4096];
            DWORD count = 0;
            if (!ReadConsoleW(console, typed, DWORD(std::size(typed)), &count, nullptr)) {
                error = errnoOf(GetLastError());
                return -1;
            }
            // Ctrl+Z at the start of a line ends the input, as for every console program.
            if (count == 0 || typed[0] == L'\x1A')
                return 0;
            pending_ = QString::fromWCharArray(typed, int(count)).toUtf8();
        }
        const qsizetype n = std::min(capacity, pending_.size());
        std::copy_n(pending_.constData(), n, into);
        pending_.remove(0, n);
        return n;
    }

private:
    QByteArray pending_;
};

ConsoleInput& consoleInput()
{
    static ConsoleInput input;
    return input;
}

int writeToConsole(HANDLE console, QByteArrayView bytes)
{
    const QString text = QString::fromUtf8(bytes);
    constexpr qsizetype kLargestWrite = 8192; // older consoles refuse much larger writes
    for (qsizetype done = 0; done < text.size();) {
        qsizetype length = std::min(text.size() - done, kLargestWrite);
        if (length > 1 && text.at(done + length - 1).isHighSurrogate())
            --length; // keep a surrogate pair together
        DWORD n = 0;
        if (!WriteConsoleW(console, text.utf16() + done, DWORD(length), &n, nullptr))
            return errnoOf(GetLastError());
        if (n == 0)
            return EIO;
        done += qsizetype(n);
    }
    return 0;
}

} // namespace

void prepareStandardStreams()
{
    for (const int fd : {0, 1, 2})
        _setmode(fd, _O_BINARY);
}

Utf8Arguments::Utf8Arguments(int argc, char** argv)
    : argv_(argv)
{
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return;
    if (count == argc) {
        for (int i = 0; i < count; ++i)
            texts_.push_back(QString::fromWCharArray(wide[i]).toStdString());
        for (std::string& text : texts_)
            pointers_.push_back(text.data());
        pointers_.push_back(nullptr);
        argv_ = pointers_.data();
    }
    LocalFree(wide);
}

bool readWouldWait(int fd)
{
    const HANDLE handle = handleOf(fd);
    switch (GetFileType(handle)) {
    case FILE_TYPE_DISK:
        return false;
    case FILE_TYPE_PIPE: {
        DWORD available = 0;
        if (PeekNamedPipe(handle, nullptr, 0, nullptr, &available, nullptr))
            return available == 0;
        return GetLastError() != ERROR_BROKEN_PIPE; // the writer has gone: the end is there
    }
    case FILE_TYPE_CHAR: // a console, or the NUL device, which never waits
        return isConsole(handle) && consoleInput().empty();
    default:
        return true;
    }
}

qsizetype read(int fd, char* into, qsizetype capacity, int& error)
{
    const HANDLE handle = handleOf(fd);
    if (!isOpen(handle)) {
        error = EBADF;
        return -1;
    }
    if (isConsole(handle))
        return consoleInput().read(handle, into, capacity, error);
    DWORD n = 0;
    if (ReadFile(handle, into, DWORD(std::min<qsizetype>(capacity, MAXDWORD)), &n, nullptr))
        return qsizetype(n);
    const DWORD failure = GetLastError();
    if (failure == ERROR_BROKEN_PIPE || failure == ERROR_HANDLE_EOF)
        return 0; // the pipe's writer has gone: the end of the input
    error = errnoOf(failure);
    return -1;
}

int writeAll(int fd, QByteArrayView bytes)
{
    const HANDLE handle = handleOf(fd);
    if (!isOpen(handle))
        return EBADF;
    if (isConsole(handle))
        return writeToConsole(handle, bytes);
    for (qsizetype done = 0; done < bytes.size();) {
        DWORD n = 0;
        const auto length = DWORD(std::min<qsizetype>(bytes.size() - done, qsizetype(1) << 30));
        if (!WriteFile(handle, bytes.data() + done, length, &n, nullptr))
            return errnoOf(GetLastError());
        if (n == 0)
            return EIO;
        done += qsizetype(n);
    }
    return 0;
}

} // namespace SystemIo
