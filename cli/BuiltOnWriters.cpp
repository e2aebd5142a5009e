#include "BuiltOnWriters.h"

#include "BuiltOnOutput.h"
#include "CsvOutput.h"
#include "CsvRecord.h"
#include "PlainOutput.h"

void BuiltOnPlainWriter::write(const InputText::Piece& input, const QString*,
                               const BuiltOnAnswer& answer)
{
    if (!answer.answered() || !answer.day) {
        reportFailure(out_, input, answer.message);
        return;
    }
    out_.append(QByteArrayView(BuiltOnOutput::line(*answer.day, answer.serials).toUtf8()));
    out_.append('\n');
    out_.written();
}

BuiltOnCsvWriter::BuiltOnCsvWriter(OutputSink& out, NumberRules::Separators separators)
    : out_(out)
    , separators_(std::move(separators))
{
    CsvRecord header(out_.buffer(), ',');
    for (const char* name : BuiltOnOutput::kCsvColumns)
        header.field(QByteArrayView(name));
    header.end();
}

void BuiltOnCsvWriter::write(const InputText::Piece& input, const QString* text,
                             const BuiltOnAnswer& answer)
{
    CsvRecord record(out_.buffer(), ',');
    for (const QString& field :
         BuiltOnOutput::csvFields(csvInputColumn(input, text, separators_), answer))
        record.field(field);
    record.end();
    out_.written();
}
