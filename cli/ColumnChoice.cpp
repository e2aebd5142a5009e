#include "ColumnChoice.h"

std::optional<qsizetype> chooseColumn(const QList<QByteArray>& header, const QString& wanted)
{
    const QByteArray exact = wanted.toUtf8();
    if (const qsizetype i = header.indexOf(exact); i >= 0)
        return i;

    std::optional<qsizetype> loose;
    for (qsizetype i = 0; i < header.size(); ++i) {
        if (QString::fromUtf8(header[i]).trimmed().compare(wanted.trimmed(), Qt::CaseInsensitive))
            continue;
        if (loose)
            return std::nullopt; // two columns could be meant
        loose = i;
    }
    if (loose)
        return loose;

    bool isNumber = false;
    const qsizetype number = wanted.toLongLong(&isNumber);
    if (isNumber && number >= 1 && number <= header.size() && !wanted.startsWith(u'+'))
        return number - 1;
    return std::nullopt;
}
