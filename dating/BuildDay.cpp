#include "BuildDay.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>

using DateCalculators::Month;

namespace {

constexpr int kFirstYear = 1908;
constexpr int kFirstMonth = 10; // October 1908
constexpr int kLastYear = 1927;
constexpr int kOctDecYear = 1912;
constexpr int kOctDecDays = 31; // the days in month of the Oct-Dec row

// Every form may have blanks around it: spaces and tabs, as for serial numbers, and nothing else
// (\z: $ would also let a final line feed through).
QRegularExpression blanked(const QString& form)
{
    return QRegularExpression(QStringLiteral(R"(^[ \t]*)") + form + QStringLiteral(R"([ \t]*\z)"));
}

// A year, and years of two digits to be refused with a message of their own.
QString yearOfTwoOrFourDigits() { return QStringLiteral(R"(([0-9]{2}(?:[0-9]{2})?))"); }

// "January 9, 1909", "Jan 9 1909", "Oct-Dec 9, 1912": a month name, a day, then a comma
// (captured) or blanks before the year.
const QRegularExpression& sentenceForm()
{
    static const QRegularExpression form = blanked(QStringLiteral(
        R"(([A-Za-z]+(?:-[A-Za-z]+)?)[ \t]*([0-9]{1,2})(?:[ \t]*(,)[ \t]*|[ \t]+)([0-9]{4}))"));
    return form;
}

// "1909-01-09", with a time of day or not: "1909-01-09 00:00:00", "1909-01-09T00:00".
const QRegularExpression& isoForm()
{
    static const QRegularExpression form = blanked(QStringLiteral(
        R"(([0-9]{4})-([0-9]{2})-([0-9]{2})(?:[T ]([0-9]{2}):([0-9]{2})(?::([0-9]{2}))?)?)"));
    return form;
}

// "9-Jan-1909": day, month name, year.
const QRegularExpression& dashedForm()
{
    static const QRegularExpression form = blanked(
        QStringLiteral(R"(([0-9]{1,2})-([A-Za-z]+(?:-[A-Za-z]+)?)-)") + yearOfTwoOrFourDigits());
    return form;
}

// "09.01.1909": day, month, year.
const QRegularExpression& dottedForm()
{
    static const QRegularExpression form =
        blanked(QStringLiteral(R"(([0-9]{1,2})\.([0-9]{1,2})\.)") + yearOfTwoOrFourDigits());
    return form;
}

// "1/9/1909": day and month in the locale's order, then the year.
const QRegularExpression& slashForm()
{
    static const QRegularExpression form =
        blanked(QStringLiteral(R"(([0-9]{1,2})/([0-9]{1,2})/)") + yearOfTwoOrFourDigits());
    return form;
}

// "1909/1/9": year, month, day, in every locale.
const QRegularExpression& yearFirstSlashForm()
{
    static const QRegularExpression form =
        blanked(QStringLiteral(R"(([0-9]{4})/([0-9]{1,2})/([0-9]{1,2}))"));
    return form;
}

// A CSV field in quotes; its text has each quote doubled.
const QRegularExpression& quotedForm()
{
    static const QRegularExpression form = blanked(QStringLiteral(R"re("((?:[^"]|"")*)")re"));
    return form;
}

// The month a name or its three-letter abbreviation stands for, in any case; none for any other
// text. "Sept" is September as en_GB and en_AU abbreviate it. Oct-Dec has its name only.
std::optional<Month> monthNamed(QStringView name)
{
    for (int m = int(Month::Jan); m <= int(Month::OctDec); ++m) {
        const auto month = static_cast<Month>(m);
        if (name.compare(DateCalculators::monthText(month), Qt::CaseInsensitive) == 0)
            return month;
    }
    for (int m = int(Month::Jan); m <= int(Month::Dec); ++m) {
        if (name.compare(QLocale::c().monthName(m, QLocale::ShortFormat), Qt::CaseInsensitive) == 0)
            return static_cast<Month>(m);
    }
    if (name.compare(QLatin1StringView("Sept"), Qt::CaseInsensitive) == 0)
        return Month::Sep;
    return std::nullopt;
}

BuildDayReading refused(QString message) { return {std::nullopt, std::move(message)}; }

QString octDecForm()
{
    return QStringLiteral("October to December 1912 are one production month: write the day as "
                          "Oct-Dec D, 1912, D from 1 to 31");
}

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
        return refused(octDecForm());
    return {BuildDay{quint16(year), static_cast<Month>(month), quint8(day)}, {}};
}

BuildDayReading refusedTwoDigitYear()
{
    return refused(QStringLiteral("a year of two digits names no century: write the year with "
                                  "four digits, as 1909"));
}

// A day, month and year written in digits; the year may have two digits, to be refused.
BuildDayReading readDigits(QStringView year, QStringView month, QStringView day)
{
    if (year.size() != 4)
        return refusedTwoDigitYear();
    return readCalendarDay(year.toInt(), month.toInt(), day.toInt());
}

// The time of day after an ISO date is not read, but it must be one.
BuildDayReading readIso(const QRegularExpressionMatch& iso)
{
    if (iso.hasCaptured(4)) {
        const int second = iso.hasCaptured(6) ? iso.capturedView(6).toInt() : 0;
        if (!QTime::isValid(iso.capturedView(4).toInt(), iso.capturedView(5).toInt(), second)) {
            const QString time = iso.captured(4) + u':' + iso.captured(5) +
                                 (iso.hasCaptured(6) ? u':' + iso.captured(6) : QString());
            return refused(QStringLiteral("not a time of day: %1").arg(time));
        }
    }
    return readDigits(iso.capturedView(1), iso.capturedView(2), iso.capturedView(3));
}

// A day whose month is named: Oct-Dec only in the sentence's own form, with its comma.
BuildDayReading readNamed(QStringView name, QStringView day, QStringView year, bool sentence)
{
    const std::optional<Month> month = monthNamed(name);
    if (!month)
        return refused(notADate());
    if (*month == Month::OctDec)
        return sentence ? readOctDec(year.toInt(), day.toInt()) : refused(octDecForm());
    if (year.size() != 4)
        return refusedTwoDigitYear();
    return readCalendarDay(year.toInt(), int(*month), day.toInt());
}

// A slash date with the year last. When it is no calendar day but would be one in the other
// order, the message says which order it was read in.
BuildDayReading readSlash(const QRegularExpressionMatch& slash, SlashDateOrder slashDates)
{
    if (slash.capturedLength(3) != 4)
        return refusedTwoDigitYear();
    const bool monthFirst = slashDates == SlashDateOrder::MonthFirst;
    const int year = slash.capturedView(3).toInt();
    const int month = slash.capturedView(monthFirst ? 1 : 2).toInt();
    const int day = slash.capturedView(monthFirst ? 2 : 1).toInt();
    BuildDayReading reading = readCalendarDay(year, month, day);
    if (!reading.day && !QDate::isValid(year, month, day) && QDate::isValid(year, day, month))
        reading.message += QStringLiteral("; slash dates are read as %1, the order of this "
                                          "system's locale")
                               .arg(monthFirst ? QStringLiteral("month/day/year")
                                               : QStringLiteral("day/month/year"));
    return reading;
}

BuildDayReading readUnquoted(const QString& text, SlashDateOrder slashDates)
{
    if (const QRegularExpressionMatch iso = isoForm().match(text); iso.hasMatch())
        return readIso(iso);
    if (const QRegularExpressionMatch named = sentenceForm().match(text); named.hasMatch())
        return readNamed(named.capturedView(1), named.capturedView(2), named.capturedView(4),
                         named.hasCaptured(3));
    if (const QRegularExpressionMatch named = dashedForm().match(text); named.hasMatch())
        return readNamed(named.capturedView(2), named.capturedView(1), named.capturedView(3),
                         false);
    if (const QRegularExpressionMatch dotted = dottedForm().match(text); dotted.hasMatch())
        return readDigits(dotted.capturedView(3), dotted.capturedView(2), dotted.capturedView(1));
    if (const QRegularExpressionMatch slash = yearFirstSlashForm().match(text); slash.hasMatch())
        return readDigits(slash.capturedView(1), slash.capturedView(2), slash.capturedView(3));
    if (const QRegularExpressionMatch slash = slashForm().match(text); slash.hasMatch())
        return readSlash(slash, slashDates);
    return refused(notADate());
}

} // namespace

QString notADate()
{
    return QStringLiteral("not a date: write it as January 9, 1909 or 1909-01-09");
}

SlashDateOrder slashDateOrder(const QLocale& locale)
{
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    const qsizetype day = format.indexOf(u'd');
    const qsizetype month = format.indexOf(u'M');
    return day >= 0 && month >= 0 && month < day ? SlashDateOrder::MonthFirst
                                                 : SlashDateOrder::DayFirst;
}

BuildDayReading readBuildDay(const QString& text, SlashDateOrder slashDates)
{
    if (const QRegularExpressionMatch quoted = quotedForm().match(text); quoted.hasMatch())
        return readUnquoted(
            quoted.captured(1).replace(QStringLiteral("\"\""), QStringLiteral("\"")), slashDates);
    return readUnquoted(text, slashDates);
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
