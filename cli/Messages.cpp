#include "Messages.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace Messages {

void say(const QString& text) { write(QByteArray("tarnwick-estimate: " + text.toUtf8() + '\n')); }

void write(QByteArrayView line)
{
    qsizetype done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(STDERR_FILENO, line.constData() + done,
                                  static_cast<size_t>(line.size() - done));
        if (n > 0)
            done += n;
        else if (n == 0 || errno != EINTR)
            return; // nowhere left to say it
    }
}

QString cannotRead(int error)
{
    return QStringLiteral("cannot read the input: ") + QString::fromLocal8Bit(std::strerror(error));
}

QString cannotWrite(int error)
{
    return QStringLiteral("cannot write the output: ") +
           QString::fromLocal8Bit(std::strerror(error));
}

} // namespace Messages
