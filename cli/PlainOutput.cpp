#include "PlainOutput.h"

#include "Messages.h"

void PlainOutput::write(const InputText::Piece& input, const QString*,
                        const BatchEstimator::Result& result, const FieldSet& fields)
{
    if (result.calculated) {
        out_.append(QByteArrayView(fields.text(Control::lblDate).toUtf8()));
        out_.append('\n');
        out_.written();
        return;
    }
    // After the sentences before it, so that both streams read in order at a terminal.
    if (out_.flush())
        Messages::say(input.shown() + QStringLiteral(": ") + result.message);
}
