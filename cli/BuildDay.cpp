#include "BuildDay.h"

#include <QDate>
#include <QRegularExpression>

using DateCalculators::Month;

namespace {

constexpr int kFirstYear = 1908;
constexpr int kFirstMonth = 10; // October 1908
constexpr int kLastYear = 1927;
constexpr int kOctDecYear = 1912;
constexpr int kOctDecDays = 31; // the days in month of the Oct-Dec row

// Blanks are spaces and tabs, as for serial numbers.
const QRegularExpression& sentenceForm()
{
    static const QRegularExpression form(QStringLiteral(
        R"(^[ \t]*([A-Za-z]+(?:-[A-Za-z]+)?)[ \t]*([0-9]{1,2})[ \t]*,[ \t]*([0-9]{4})[ \t]*$)"));
    return form;
}

const QRegularExpression& isoForm()
{
    static const QRegularExpression form(
        QStringLiteral(R"(^[ \t]*([0-9]{4})-([0-9]{2})-([0-9]{2})[ \t]*$)"));
    return form;
}

// The month a name stands for, in any case; none for any other text.
std::optional<Month> monthNamed(QStringView name)
{
    for (int m = int(Month::Jan); m <= int(Month::OctDec); ++m) {
        const auto month = static_cast<Month>(m);
        if (name.compare(DateCalculators::monthText(month), Qt::CaseInsensitive) == 0)
            return month;
    }
    return std::nullopt;
}

BuildDayReading refused(QString message) { return {std::nullopt, std::move(message)}; }

BuildDayReading readOctDec(int year, int day)
{
    if (year != kOctDecYear)
        return refused(QStringLiteral("Oct-Dec names October to December 1912 only"));
    if (day < 1 || day > kOctDecDays)
        return refused(QStringLiteral("not a day of Oct-Dec 1912, which has days 1 to 31"));
    return {BuildDay{quint16(year), Month::OctDec, quint8(day)}, {}};
}

BuildDayReading readCalendarDay(int year, int month, int day)
{
    if (month < 1 || month > 12)
        return refused(
            QStringLiteral("not a day of the calendar: there is no month %1").arg(month));
    if (year * 12 + month < kFirstYear * 12 + kFirstMonth || year > kLastYear)
        return refused(QStringLiteral("outside the production of October 1908 to December 1927"));
    if (!QDate::isValid(year, month, day)) {
        const auto name = DateCalculators::monthText(static_cast<Month>(month));
        return refused(QStringLiteral("not a day of the calendar: %1 %2 has %3 days")
                           .arg(name)
                           .arg(year)
                           .arg(QDate(year, month, 1).daysInMonth()));
    }
    if (year == kOctDecYear && month >= int(Month::Oct))
        return refused(QStringLiteral("October to December 1912 are one production month: write "
                                      "the day as Oct-Dec D, 1912, D from 1 to 31"));
    return {BuildDay{quint16(year), static_cast<Month>(month), quint8(day)}, {}};
}

} // namespace

QString notADate()
{
    return QStringLiteral("not a date: write it as January 9, 1909 or 1909-01-09");
}

BuildDayReading readBuildDay(const QString& text)
{
    if (const QRegularExpressionMatch iso = isoForm().match(text); iso.hasMatch()) {
        return readCalendarDay(iso.capturedView(1).toInt(), iso.capturedView(2).toInt(),
                               iso.capturedView(3).toInt());
    }
    const QRegularExpressionMatch sentence = sentenceForm().match(text);
    if (!sentence.hasMatch())
        return refused(notADate());
    const std::optional<Month> month = monthNamed(sentence.capturedView(1));
    if (!month)
        return refused(notADate());
    const int day = sentence.capturedView(2).toInt();
    const int year = sentence.capturedView(3).toInt();
    if (*month == Month::OctDec)
        return readOctDec(year, day);
    return readCalendarDay(year, int(*month), day);
}

QString buildDayText(const BuildDay& day)
{
    return QStringLiteral("%1 %2, %3")
        .arg(DateCalculators::monthText(day.month))
        .arg(day.day)
        .arg(day.year);
}

const std::vector<BuildDay>& everyBuildDay()
{
    static const std::vector<BuildDay> days = [] {
        std::vector<BuildDay> out;
        const QDate last(kLastYear, 12, 31);
        for (QDate date(kFirstYear, kFirstMonth, 1); date <= last; date = date.addDays(1)) {
            if (date.year() == kOctDecYear && date.month() >= int(Month::Oct)) {
                if (date.month() == int(Month::Oct) && date.day() == 1) {
                    for (int day = 1; day <= kOctDecDays; ++day)
                        out.push_back({quint16(kOctDecYear), Month::OctDec, quint8(day)});
                }
                continue;
            }
            out.push_back(
                {quint16(date.year()), static_cast<Month>(date.month()), quint8(date.day())});
        }
        return out;
    }();
    return days;
}
