#include "BuiltOnOutput.h"

namespace BuiltOnOutput {

QString line(const BuildDay& day, const std::optional<SerialRange>& serials)
{
    const QString name = buildDayText(day);
    if (!serials)
        return name + QStringLiteral(": no serial is estimated to this day.");
    if (serials->count() == 1)
        return QStringLiteral("%1: serial %2 (1 car).").arg(name).arg(serials->first);
    return QStringLiteral("%1: serials %2 to %3 (%4 cars).")
        .arg(name)
        .arg(serials->first)
        .arg(serials->last)
        .arg(serials->count());
}

std::array<QString, kCsvColumns.size()> csvFields(const QString& input, const BuiltOnAnswer& answer)
{
    if (!answer.answered() || !answer.day)
        return {input, {}, {}, {}, {}, {}, {}, answer.message};
    const BuildDay& day = *answer.day;
    const std::optional<SerialRange>& serials = answer.serials;
    return {input,
            DateCalculators::monthText(day.month),
            QString::number(day.day),
            QString::number(day.year),
            serials ? QString::number(serials->first) : QString(),
            serials ? QString::number(serials->last) : QString(),
            QString::number(serials ? serials->count() : 0),
            QString()};
}

} // namespace BuiltOnOutput
