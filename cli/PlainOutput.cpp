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
    reportFailure(out_, input, result.message);
}

void reportFailure(OutputSink& out, const InputText::Piece& input, const QString& message)
{
    if (out.flush())
        Messages::say(input.shown() + QStringLiteral(": ") + message);
}
