#pragma once

#include "BatchEstimator.h"
#include "OutputSink.h"

#include <QByteArray>
#include <QList>

// A spreadsheet's rows with their estimates: every column of the input as it was read, then the
// estimate's columns, each name prefixed "estimate_". The delimiter is the input's; a UTF-8
// byte-order mark leads when the input had a mark.
class ColumnOutput {
public:
    ColumnOutput(OutputSink& out, char delimiter, bool byteOrderMark);

    void writeHeader(const QList<QByteArray>& header);
    // A row shorter than the header is filled up with empty fields so that the estimate stays
    // under its names; empty fields past the header's last are dropped.
    void write(const QList<QByteArray>& row, const BatchEstimator::Result& result,
               const FieldSet& fields);

private:
    OutputSink& out_;
    char delimiter_;
    qsizetype width_ = 0;
};
