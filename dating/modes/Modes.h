#pragma once

#include "estimate/NumberRules.h"

class BatchEstimator;
class InputStream;
class OutputSink;

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What the command was asked to do.
struct BatchOptions {
    bool csv = false;
    bool builtOn = false;          // the inputs are days: which serials were built on each
    std::optional<QString> column; // read standard input as CSV and take the serial from here
    std::optional<char> delimiter; // of that CSV; found from its header row when not given
    std::optional<QString> table;  // --column: the table's file (CSV, .xlsx, .ods); else stdin
    std::optional<QString> output; // --output: where the dated table goes; else standard output
    std::optional<QString> sheet;  // --sheet: the workbook's sheet that holds the table
    QString encoding;              // of that CSV, a QStringDecoder name; found when not given
    QList<QByteArray> inputs;      // the SERIAL (or DATE) arguments as given
};

// The command's modes, one file each. Each answers every input with numbers read under the
// locale's `separators` and gives the exit status (Messages::ExitStatus).

// Serials, from the arguments or the lines of `input`: their sentences, or CSV rows, to `out`.
int runSerials(const BatchOptions& options, const NumberRules::Separators& separators,
               InputStream& input, OutputSink& out);
// How a table's run goes, for the page: how far through the table it is, and each row's answer.
class TableProgress {
public:
    virtual ~TableProgress() = default;
    // Now and then: the part of the table read so far, 0 to 1.
    virtual void advanced(double fraction) = 0;
    // Each row that is not blank, with its serial's text as read: dated when `error` is empty
    // (the estimator holds the answer), else not dated and why.
    virtual void row(const QString& serial, const BatchEstimator& estimator,
                     const QString& error) = 0;
};

// A CSV table with a serial in a column: the same rows with the estimate, from `input` to `out`.
int runColumn(const BatchOptions& options, const NumberRules::Separators& separators,
              InputStream& input, OutputSink& out, TableProgress* progress = nullptr);
// A workbook (.xlsx, .ods) with a serial in a column of a sheet: the same workbook with the
// estimate's columns added to that sheet, in `dated`, which stays empty when it is refused.
int runWorkbook(const BatchOptions& options, const NumberRules::Separators& separators,
                const QByteArray& workbook, QByteArray& dated, TableProgress* progress = nullptr);
// Days, from the arguments or the lines of `input`: the serials built on each, to `out`.
int runBuiltOn(const BatchOptions& options, const NumberRules::Separators& separators,
               InputStream& input, OutputSink& out);
