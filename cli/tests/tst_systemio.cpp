// The batch command's reading and writing of descriptors, on pipes and files, on each system.
#include "cli/SystemIo.h"
#include "dating/input/InputText.h"

#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

int openFile(const QString& path, bool forWriting)
{
    const QByteArray name = QFile::encodeName(path);
#ifdef _WIN32
    // Text mode on purpose: the command's reading and writing must not depend on it.
    return forWriting ? _open(name.constData(), _O_WRONLY | _O_CREAT | _O_TRUNC, 0600)
                      : _open(name.constData(), _O_RDONLY);
#else
    return forWriting ? ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600)
                      : ::open(name.constData(), O_RDONLY);
#endif
}

void closeDescriptor(int& fd)
{
    if (fd < 0)
        return;
#ifdef _WIN32
    _close(fd);
#else
    ::close(fd);
#endif
    fd = -1;
}

struct Pipe {
    int reader = -1;
    int writer = -1;

    Pipe()
    {
        int ends[2] = {-1, -1};
#ifdef _WIN32
        if (_pipe(ends, 1 << 16, _O_BINARY) != 0)
            return;
#else
        if (::pipe(ends) != 0)
            return;
#endif
        reader = ends[0];
        writer = ends[1];
    }
    ~Pipe()
    {
        closeDescriptor(reader);
        closeDescriptor(writer);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
};

QByteArray readAll(int fd)
{
    QByteArray bytes;
    char block[7]; // small reads: pieces must join up exactly
    int error = 0;
    qsizetype n = 0;
    while ((n = SystemIo::read(fd, block, sizeof block, error)) > 0)
        bytes.append(block, n);
    return n == 0 ? bytes : QByteArray("read error");
}

} // namespace

class TestSystemIo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void readWouldWait_data();
    void readWouldWait();
    void bytesPassUnchanged();
    void closedPipeIsSaidAsOnLinux();
    void closedDescriptorIsSaidAsOnLinux();
    void windows1252ReadsAsIcuReadsIt();
};

void TestSystemIo::initTestCase()
{
#ifndef _WIN32
    std::signal(SIGPIPE, SIG_IGN); // the write to a closed pipe must come back as EPIPE
#endif
}

void TestSystemIo::readWouldWait_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("wouldWait");
    QTest::newRow("an empty pipe whose writer is still there waits") << "empty pipe" << true;
    QTest::newRow("a pipe holding bytes does not wait") << "pipe with bytes" << false;
    QTest::newRow("a pipe whose writer has gone does not wait") << "ended pipe" << false;
    QTest::newRow("a file never waits, not even at its end") << "file" << false;
}

void TestSystemIo::readWouldWait()
{
    QFETCH(QString, source);
    QFETCH(bool, wouldWait);
    QTemporaryDir dir;
    Pipe pipe;
    QVERIFY(pipe.reader >= 0);
    int fd = pipe.reader;
    if (source == u"pipe with bytes")
        QCOMPARE(SystemIo::writeAll(pipe.writer, "400\n"), 0);
    if (source == u"ended pipe")
        closeDescriptor(pipe.writer);
    if (source == u"file") {
        fd = openFile(dir.filePath(QStringLiteral("empty")), true);
        QVERIFY(fd >= 0);
    }
    QCOMPARE(SystemIo::readWouldWait(fd), wouldWait);
    if (source == u"ended pipe") {
        int error = 0;
        char byte = 0;
        QCOMPARE(SystemIo::read(fd, &byte, 1, error), 0); // the end of the input, no error
        QCOMPARE(error, 0);
    }
    if (fd != pipe.reader)
        closeDescriptor(fd);
}

void TestSystemIo::bytesPassUnchanged()
{
    // CR LF, a lone LF, Ctrl+Z, NUL and UTF-16 as a file holds them.
    const QByteArray bytes("400\r\n5\n\x1A"
                           "6\0\xFF\xFE"
                           "4\0\r\0\n\0",
                           18);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bytes"));
    int fd = openFile(path, true);
    QVERIFY(fd >= 0);
    QCOMPARE(SystemIo::writeAll(fd, bytes), 0);
    closeDescriptor(fd);
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), bytes);
    fd = openFile(path, false);
    QVERIFY(fd >= 0);
    QCOMPARE(readAll(fd), bytes);
    closeDescriptor(fd);
}

void TestSystemIo::closedPipeIsSaidAsOnLinux()
{
    Pipe pipe;
    QVERIFY(pipe.reader >= 0);
    closeDescriptor(pipe.reader);
    const int error = SystemIo::writeAll(pipe.writer, "400 was built on January 9, 1909.\n");
    QCOMPARE(error, EPIPE);
    QCOMPARE(QString::fromLocal8Bit(std::strerror(error)), QStringLiteral("Broken pipe"));
}

void TestSystemIo::closedDescriptorIsSaidAsOnLinux()
{
    Pipe pipe;
    QVERIFY(pipe.reader >= 0);
    int fd = pipe.reader;
    closeDescriptor(fd);
    pipe.reader = -1;
    int error = 0;
    char byte = 0;
    QCOMPARE(SystemIo::read(fd, &byte, 1, error), -1);
    QCOMPARE(QString::fromLocal8Bit(std::strerror(error)), QStringLiteral("Bad file descriptor"));
}

// Where Qt has no Windows-1252 codec (the Windows build) the command reads it by itself; it must
// read every byte as ICU's codec in Debian's Qt does.
void TestSystemIo::windows1252ReadsAsIcuReadsIt()
{
    QStringDecoder icu("windows-1252");
    if (!icu.isValid())
        QSKIP("this Qt has no Windows-1252 codec to compare with");
    QByteArray everyByte(256, Qt::Uninitialized);
    for (int byte = 0; byte < 256; ++byte)
        everyByte[byte] = static_cast<char>(byte);
    QCOMPARE(InputText::fromWindows1252(everyByte), QString(icu(everyByte)));
    QVERIFY(InputText::isWindows1252("CP1252"));
    QVERIFY(!InputText::isWindows1252("windows-1250"));
}

QTEST_GUILESS_MAIN(TestSystemIo)
#include "tst_systemio.moc"
