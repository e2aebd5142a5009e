#pragma once

#include <QByteArrayView>
#include <QString>

// The command's own lines on standard error.
namespace Messages {

void say(const QString& text);   // "tarnwick-estimate: TEXT"
void write(QByteArrayView line); // as it is
QString cannotRead(int error);   // "cannot read the input: REASON"
QString cannotWrite(int error);  // "cannot write the output: REASON"

} // namespace Messages
