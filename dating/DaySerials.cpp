#include "DaySerials.h"

using DateCalculators::MonthRow;
using enum Control;

namespace {

// The month row that names the day; none for January 1921, which the records skip.
const MonthRow* rowOf(const BuildDay& day)
{
    for (const MonthRow& row : DateCalculators::monthRows()) {
        if (row.year == day.year && row.month == day.month)
            return &row;
    }
    return nullptr;
}

} // namespace

// Serials are written as plain digits, which read alike under every locale's separators.
DaySerialFinder::DaySerialFinder()
    : estimator_(NumberRules::Separators{})
{
}

BuiltOnAnswer DaySerialFinder::answer(const QString& input, SlashDateOrder slashDates)
{
    BuildDayReading reading = readBuildDay(input, slashDates);
    if (!reading.day)
        return {std::nullopt, std::nullopt, std::move(reading.message)};
    return answer(*reading.day);
}

BuiltOnAnswer DaySerialFinder::answer(const BuildDay& day)
{
    BuiltOnAnswer out{day, std::nullopt, {}};
    const MonthRow* row = rowOf(day);
    if (!row)
        return out;

    // The first serial from `from` to the row's end whose day is `least` or later; the serial
    // after the row when there is none.
    std::optional<quint32> failedAt;
    const auto firstFrom = [&](quint32 from, int least) {
        quint32 low = from;
        quint32 high = row->last + 1;
        while (low < high && !failedAt) {
            const quint32 middle = low + (high - low) / 2;
            const std::optional<int> found = dayInRow(middle, *row);
            if (!found)
                failedAt = middle;
            else if (*found >= least)
                high = middle;
            else
                low = middle + 1;
        }
        return low;
    };
    const quint32 first = firstFrom(row->first, day.day);
    const quint32 end = firstFrom(first, day.day + 1);
    if (failedAt) {
        out.message = QStringLiteral("serial %1 could not be calculated").arg(*failedAt);
        return out;
    }

    const auto givesDay = [&](quint32 serial) {
        return dayInRow(serial, *row) == day.day;
    };
    const bool some = first < end;
    const bool sound =
        !givesDay(first - 1) && !givesDay(end) && (!some || (givesDay(first) && givesDay(end - 1)));
    if (!sound) {
        out.message = QStringLiteral("the calculation does not give %1 one run of serials")
                          .arg(buildDayText(day));
        return out;
    }
    if (some)
        out.serials = SerialRange{first, end - 1};
    return out;
}

std::optional<int> DaySerialFinder::dayInRow(quint32 serial, const MonthRow& row)
{
    if (!estimator_.estimate(QString::number(serial)))
        return std::nullopt;
    const FieldSet& fields = estimator_.fields();
    if (fields.text(txtMonth) != DateCalculators::monthText(row.month) ||
        fields.text(txtYear) != QString::number(row.year))
        return 0;
    const std::optional<double> day = fields.value(txtDate);
    if (!day)
        return std::nullopt;
    return static_cast<int>(*day);
}

QString BuiltOnAnswer::line(const NumberRules::Separators* grouping) const
{
    const QString name = buildDayText(*day);
    if (!serials)
        return name + QStringLiteral(": no serial is estimated to this day.");
    if (serials->count() == 1)
        return QStringLiteral("%1: serial %2 (1 car).").arg(name).arg(serials->first);
    return QStringLiteral("%1: serials %2 to %3 (%4 cars).")
        .arg(name)
        .arg(serials->first)
        .arg(serials->last)
        .arg(grouping ? NumberRules::format(double(serials->count()), NumberRules::Mask::Grouped,
                                            *grouping)
                      : QString::number(serials->count()));
}

std::array<QString, BuiltOnAnswer::kCsvColumns.size()>
BuiltOnAnswer::csvFields(const QString& input) const
{
    if (!answered() || !day)
        return {input, {}, {}, {}, {}, {}, {}, message};
    return {input,
            DateCalculators::monthText(day->month),
            QString::number(day->day),
            QString::number(day->year),
            serials ? QString::number(serials->first) : QString(),
            serials ? QString::number(serials->last) : QString(),
            QString::number(serials ? serials->count() : 0),
            QString()};
}
