#include "RegisterPortrait.h"

#include "dating/BatchEstimator.h"
#include "dating/output/CsvRecord.h"
#include "dating/output/OutputSink.h"

#include "ui/main/Controls.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

RegisterPortrait::RegisterPortrait(QString tableName, TableProgress* next)
    : tableName_(std::move(tableName))
    , next_(next)
{
}

void RegisterPortrait::advanced(double fraction)
{
    if (next_)
        next_->advanced(fraction);
}

void RegisterPortrait::row(const QString& serial, const BatchEstimator& estimator,
                           const QString& error, qint64 times)
{
    if (next_)
        next_->row(serial, estimator, error, times);
    settled_ = false;
    counts_.rows += qsizetype(times);
    if (!error.isEmpty())
        return;
    counts_.dated += qsizetype(times);
    const std::optional<double> value = estimator.fields().value(Control::txtSerial);
    dated_.emplace_back(quint32(value.value_or(0)), times);
}

void RegisterPortrait::settle()
{
    if (settled_)
        return;
    settled_ = true;
    const auto rows = DateCalculators::monthRows();
    months_.clear();
    for (const DateCalculators::MonthRow& row : rows)
        months_.append({&row, double(row.last) - double(row.first), 0});

    // Each serial once, however often it is listed; a car goes to the month its estimate names.
    std::sort(dated_.begin(), dated_.end());
    counts_.serials = 0;
    counts_.listedAgain = 0;
    for (auto at = dated_.begin(); at != dated_.end();) {
        const quint32 serial = at->first;
        qint64 listed = 0;
        for (; at != dated_.end() && at->first == serial; ++at)
            listed += at->second;
        ++counts_.serials;
        counts_.listedAgain += listed > 1 ? 1 : 0;
        if (const DateCalculators::MonthRow* row = DateCalculators::monthRowFor(serial))
            ++months_[row - rows.data()].cars;
    }
}

const QList<RegisterPortrait::Month>& RegisterPortrait::months()
{
    settle();
    return months_;
}

const RegisterPortrait::Counts& RegisterPortrait::counts()
{
    settle();
    return counts_;
}

namespace {

QString monthName(const DateCalculators::MonthRow& row)
{
    return DateCalculators::monthText(row.month) + QLatin1Char(' ') + QString::number(row.year);
}

} // namespace

QString RegisterPortrait::counted(qsizetype n, const char* one, const char* many,
                                  const NumberRules::Separators& separators)
{
    return NumberRules::format(double(n), NumberRules::Mask::Grouped, separators) +
           QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}

QString RegisterPortrait::words(const NumberRules::Separators& separators)
{
    settle();
    const auto plural = [&](qsizetype n, const char* one, const char* many) {
        return counted(n, one, many, separators);
    };
    if (counts_.dated == 0)
        return QStringLiteral("No car of the table was dated.");

    const Month* first = nullptr;
    const Month* last = nullptr;
    const Month* bestKept = nullptr;
    std::map<quint16, qsizetype> byYear;
    for (const Month& month : months_) {
        if (month.cars == 0)
            continue;
        first = first ? first : &month;
        last = &month;
        byYear[month.row->year] += month.cars;
        if (!bestKept || month.per10000() > bestKept->per10000())
            bestKept = &month;
    }
    const auto busiest = std::max_element(byYear.begin(), byYear.end(), [](auto a, auto b) {
        return a.second < b.second; // the earliest of equals
    });
    // To two decimals, the whole part grouped: "1,234.50".
    const auto cents = qint64(std::llround(bestKept->per10000() * 100));
    const qint64 whole = cents / 100;
    const QString per10000 =
        NumberRules::format(double(whole), NumberRules::Mask::Grouped, separators) +
        separators.decimal + QStringLiteral("%1").arg(cents % 100, 2, 10, QLatin1Char('0'));

    QString text = QStringLiteral("%1 dated, %2, ")
                       .arg(plural(counts_.dated, "car", "cars"),
                            plural(counts_.serials, "distinct serial", "distinct serials"));
    text += first == last ? QStringLiteral("all built in %1. ").arg(monthName(*first->row))
                          : QStringLiteral("built from %1 to %2. ")
                                .arg(monthName(*first->row), monthName(*last->row));
    text += QStringLiteral("The busiest year was %1, with %2. ")
                .arg(QString::number(busiest->first), plural(busiest->second, "car", "cars"));
    text += QStringLiteral("The month best kept relative to its output was %1: %2 cars per "
                           "10,000 built.")
                .arg(monthName(*bestKept->row), per10000);
    return text;
}

QByteArray RegisterPortrait::monthsCsv()
{
    settle();
    QByteArray csv;
    OutputSink out(&csv);
    static constexpr std::array<QByteArrayView, 7> kColumns{
        "year", "month", "first_serial", "last_serial", "built", "cars", "per_10000"};
    CsvRecord(out, ',').fields(kColumns).end();
    const NumberRules::Separators plain;
    for (const Month& month : months_) {
        CsvRecord(out, ',')
            .field(QString::number(month.row->year))
            .field(DateCalculators::monthText(month.row->month))
            .field(QString::number(month.row->first))
            .field(QString::number(month.row->last))
            .field(NumberRules::format(month.built, NumberRules::Mask::Blank, plain))
            .field(QString::number(month.cars))
            .field(QString::number(month.per10000(), 'f', 2))
            .end();
    }
    out.flush();
    return csv;
}
