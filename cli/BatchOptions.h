#pragma once

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
    QList<QByteArray> inputs;      // the SERIAL (or DATE) arguments as given
};
