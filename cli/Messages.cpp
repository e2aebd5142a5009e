#include "Messages.h"

#include "OutputSink.h"

#include <cstring>
#include <unistd.h>

namespace Messages {

void say(const QString& text) { write(QByteArray("tarnwick-estimate: " + text.toUtf8() + '\n')); }

void write(QByteArrayView line)
{
    writeAll(STDERR_FILENO, line); // when it fails there is nowhere left to say so
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
