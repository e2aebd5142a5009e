#include "HeaderColumn.h"

namespace {

QString folded(const QString& name)
{
    return name.normalized(QString::NormalizationForm_C).toCaseFolded().trimmed();
}

HeaderColumn fromMatches(const QList<qsizetype>& matches)
{
    HeaderColumn column;
    if (matches.size() == 1)
        column.index = matches.front();
    else
        column.sharing = matches;
    return column;
}

} // namespace

HeaderColumn HeaderColumn::choose(const QList<QByteArray>& header, const QString& wanted)
{
    const QByteArray exact = wanted.toUtf8();
    QList<qsizetype> matches;
    for (qsizetype i = 0; i < header.size(); ++i) {
        if (header[i] == exact)
            matches << i;
    }
    if (!matches.isEmpty())
        return fromMatches(matches);

    const QString loose = folded(wanted);
    for (qsizetype i = 0; i < header.size(); ++i) {
        if (folded(QString::fromUtf8(header[i])) == loose)
            matches << i;
    }
    if (!matches.isEmpty())
        return fromMatches(matches);

    HeaderColumn column;
    bool isNumber = false;
    const qsizetype number = wanted.toLongLong(&isNumber);
    if (isNumber && number >= 1 && number <= header.size() && !wanted.startsWith(u'+'))
        column.index = number - 1;
    return column;
}
