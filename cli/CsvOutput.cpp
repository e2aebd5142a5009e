#include "CsvOutput.h"

#include "CsvRecord.h"
#include "EstimateColumns.h"

CsvOutput::CsvOutput(OutputSink& out, NumberRules::Separators separators)
    : out_(out)
    , separators_(std::move(separators))
{
    CsvRecord header(out_.buffer(), ',');
    header.field(QByteArrayView("input"));
    for (const QByteArrayView name : EstimateColumns::kNames)
        header.field(name);
    header.end();
}

QString csvInputColumn(const InputText::Piece& input, const QString* text,
                       const NumberRules::Separators& separators)
{
    QString given = text ? *text : input.shown();
    if (startsLikeFormula(given) && !(text && NumberRules::fieldValue(*text, separators)))
        given.prepend(u'\'');
    return given;
}

void CsvOutput::write(const InputText::Piece& input, const QString* text,
                      const BatchEstimator::Result& result, const FieldSet& fields)
{
    CsvRecord record(out_.buffer(), ',');
    record.field(csvInputColumn(input, text, separators_));
    EstimateColumns::append(record, result, fields);
    record.end();
    out_.written();
}
