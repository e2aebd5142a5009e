#include "ColumnOutput.h"

#include "CsvRecord.h"
#include "EstimateColumns.h"

ColumnOutput::ColumnOutput(OutputSink& out, char delimiter, bool byteOrderMark)
    : out_(out)
    , delimiter_(delimiter)
{
    if (byteOrderMark)
        out_.append(QByteArrayView("\xEF\xBB\xBF"));
}

void ColumnOutput::writeHeader(const QList<QByteArray>& header)
{
    width_ = header.size();
    CsvRecord record(out_.buffer(), delimiter_);
    for (const QByteArray& name : header)
        record.field(name);
    for (const QByteArrayView name : EstimateColumns::kNames)
        record.field(QByteArrayView("estimate_" + name.toByteArray()));
    record.end();
    out_.written();
}

void ColumnOutput::write(const QList<QByteArray>& row, const BatchEstimator::Result& result,
                         const FieldSet& fields)
{
    qsizetype count = row.size();
    while (count > width_ && row[count - 1].isEmpty())
        --count;
    CsvRecord record(out_.buffer(), delimiter_);
    for (qsizetype i = 0; i < std::max(count, width_); ++i)
        record.field(i < count ? QByteArrayView(row[i]) : QByteArrayView());
    EstimateColumns::append(record, result, fields);
    record.end();
    out_.written();
}
