#pragma once

#include "estimate/NumberRules.h"

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
    QString encoding;              // of that CSV, a QStringDecoder name; found when not given
    QList<QByteArray> inputs;      // the SERIAL (or DATE) arguments as given
};

// The command's modes, one file each. Each answers every input with numbers read under the
// locale's `separators` and gives the exit status (Messages::ExitStatus).

// Serials, from the arguments or the lines of standard input: their sentences, or CSV rows.
int runSerials(const BatchOptions& options, const NumberRules::Separators& separators);
// A CSV table on standard input with a serial in a column: the same rows with the estimate.
int runColumn(const BatchOptions& options, const NumberRules::Separators& separators);
// Days, from the arguments or the lines of standard input: the serials built on each.
int runBuiltOn(const BatchOptions& options, const NumberRules::Separators& separators);
