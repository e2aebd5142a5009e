#pragma once

#include "CsvRecord.h"
#include "OutputSink.h"

#include "dating/BatchEstimator.h"
#include "dating/input/CsvReader.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// One row of the table --column writes: the row's own fields as they were written, up to the
// header's width (a short row filled up with empty fields), then the estimate's columns, then the
// row's fields past the header's width, so that the estimate always stands under its names. A
// row too long to keep comes in parts, as it is read (CsvReader::Overflow).
class TableRow final : public CsvReader::Overflow {
public:
    TableRow(OutputSink& out, char delimiter, qsizetype headerWidth,
             const BatchEstimator& estimator);

    // A whole row; `error` says why it has no estimate, or is empty.
    void write(const QList<QByteArray>& written, const QString& error);
    // A row with empty estimate columns.
    void writeBlank(const QList<QByteArray>& written);

    // A row in parts, ended by endParts(): a row too long to keep, which has no estimate.
    void fieldStarted(qsizetype index) override;
    void bytes(QByteArrayView written) override;
    void endParts();

private:
    void estimate();
    void end();

    OutputSink& out_;
    char delimiter_;
    qsizetype headerWidth_;
    const BatchEstimator& estimator_;
    std::optional<CsvRecord> record_;
    qsizetype fields_ = 0; // written so far
    bool estimated_ = false;
    bool blank_ = false;
    QString error_; // why the row has no estimate
};
