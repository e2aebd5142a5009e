#include "CsvOutput.h"

#include "CsvRecord.h"

CsvOutput::CsvOutput(OutputSink& out, NumberRules::Separators separators,
                     std::span<const QByteArrayView> columns)
    : out_(out)
    , separators_(std::move(separators))
{
    CsvRecord header(out_.buffer(), ',');
    header.field(QByteArrayView("input"));
    for (const QByteArrayView name : columns)
        header.field(name);
    header.end();
}

void CsvOutput::write(const InputText::Piece& input, const QString* text, const LineAnswer& answer)
{
    QString given = text ? *text : input.shown();
    if (startsLikeFormula(given) && !(text && NumberRules::fieldValue(*text, separators_)))
        given.prepend(u'\'');
    CsvRecord record(out_.buffer(), ',');
    record.field(given);
    answer.columns(record);
    record.end();
    out_.written();
}
