#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Which column of a CSV header --column means: the column of that exact name; else the one
// column whose name is the same apart from case, Unicode normalisation and blanks around it;
// else a 1-based number. A name that several columns share is not chosen: they are all given.
struct HeaderColumn {
    qsizetype index = -1;     // 0-based; -1 when none is chosen
    QList<qsizetype> sharing; // 0-based: the columns that share the name, when it is shared

    static HeaderColumn choose(const QList<QByteArray>& header, const QString& wanted);
};
