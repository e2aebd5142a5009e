#include "PlainOutput.h"

#include "Messages.h"

void PlainOutput::write(const InputText::Piece& input, const QString*, const LineAnswer& answer)
{
    if (answer.answered) {
        out_.append(QByteArrayView(answer.text.toUtf8()));
        out_.append('\n');
        out_.written();
    } else {
        Messages::inputFailed(out_, input.shown(), answer.text);
    }
}
