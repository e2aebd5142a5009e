#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The names a table's header offers for the column of serials, read from the first rows of the
// file as the batch command would read them: a CSV file's first row; a workbook's first sheet's
// first row that names a serial column (title rows above a header are common), else its first
// row. The column preselected is the first whose name says "serial", in any case.
struct HeaderNames {
    QString kind;          // ".csv", ".xlsx" or ".ods": a workbook's as its parts tell it
    QStringList names;     // the header's cells that hold a name, in column order
    qsizetype chosen = -1; // in names: the one that says serial; -1 when none does
    QString problem;       // why no header could be read (then names is empty)

    static HeaderNames read(const QByteArray& file);
};
