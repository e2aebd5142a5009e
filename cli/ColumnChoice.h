#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Which column of a header row the user meant by NAME: the column of that exact name, else the
// only one that has that name apart from case and blanks around it, else a 1-based number.
std::optional<qsizetype> chooseColumn(const QList<QByteArray>& header, const QString& wanted);
