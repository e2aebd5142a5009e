// Fuzzes the reading of a day for --built-on, and the answer and texts of every day it reads.
//
// Input: byte 0 picks how the rest becomes the text read:
//   even  the rest is the text, UTF-8
//   odd   the rest describes a day to write: year, month (13 stands for Oct-Dec, 0 and 14 for
//         months that do not exist), day, ISO or sentence form, a day with two digits, the case
//         of each letter of the month name, the blanks around each part. The reading must then
//         agree with the calendar of <chrono>, the production period and the Oct-Dec rule. (A
//         month that does not exist has no name: the sentence form then takes the rest as text.)
// For every text: a day or a message, never both; a day read is a day of the production period,
// its text reads back as the same day, and the text read is one of that day's spellings up to
// case and blanks; its answer names it, and the serials at the ends of the answer give the day
// by a separate working of the estimate (ModelChecks) while those just outside do not; its CSV
// fields name it too. A refused text has one of the known messages and CSV fields with only the
// input and the error.
#include "ModelChecks.h"

#include "cli/DaySerials.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

using DateCalculators::Month;

namespace {

[[noreturn]] void fail(const QString& what, const QString& text)
{
    std::fprintf(stderr, "fuzz_builton: %s\n  at \"%s\"\n", qPrintable(what),
                 text.toUtf8().toPercentEncoding(" ").constData());
    std::abort();
}

enum class Refusal { None, NotADate, NotInCalendar, Outside, OctDecForm, OctDecYear, OctDecDay };

Refusal refusalOf(const QString& message)
{
    const std::pair<const char*, Refusal> prefixes[] = {
        {"not a date: write it as January 9, 1909 or 1909-01-09", Refusal::NotADate},
        {"not a day of the calendar: ", Refusal::NotInCalendar},
        {"outside the production of October 1908 to December 1927", Refusal::Outside},
        {"October to December 1912 are one production month: write the day as Oct-Dec D, 1912",
         Refusal::OctDecForm},
        {"Oct-Dec names October to December 1912 only", Refusal::OctDecYear},
        {"not a day of Oct-Dec 1912, which has days 1 to 31", Refusal::OctDecDay},
    };
    for (const auto& [prefix, refusal] : prefixes) {
        if (message.startsWith(QLatin1String(prefix)))
            return refusal;
    }
    return Refusal::None;
}

QString isoText(const BuildDay& day)
{
    return QStringLiteral("%1-%2-%3")
        .arg(day.year, 4, 10, QLatin1Char('0'))
        .arg(int(day.month), 2, 10, QLatin1Char('0'))
        .arg(day.day, 2, 10, QLatin1Char('0'));
}

// The text without blanks, its ASCII letters in lower case.
QString compact(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        if (c == u' ' || c == u'\t')
            continue;
        out += c.unicode() < 0x80 ? c.toLower() : c;
    }
    return out;
}

DaySerialFinder& finder()
{
    static DaySerialFinder one;
    return one;
}

bool givesDay(quint32 serial, const BuildDay& day)
{
    if (serial < DateCalculators::kFirstSerial || serial > DateCalculators::kLastSerial)
        return false;
    const auto expected = ModelChecks::expectedFor(serial);
    return expected && expected->month == DateCalculators::monthText(day.month) &&
           expected->dayValue == day.day && expected->year == QString::number(day.year);
}

void checkDay(const QString& text, const BuildDay& day)
{
    const std::vector<BuildDay>& days = everyBuildDay();
    if (std::find(days.begin(), days.end(), day) == days.end())
        fail(QStringLiteral("read a day outside the production period"), text);
    const QString name = buildDayText(day);
    if (readBuildDay(name).day != day)
        fail(QStringLiteral("\"%1\" does not read back as itself").arg(name), text);
    const QString spelled = compact(text);
    const bool oneOfItsSpellings =
        spelled == compact(name) ||
        spelled == compact(QStringLiteral("%1 0%2, %3")
                               .arg(DateCalculators::monthText(day.month))
                               .arg(day.day)
                               .arg(day.year)) ||
        (day.month != Month::OctDec && spelled == isoText(day));
    if (!oneOfItsSpellings)
        fail(QStringLiteral("read as %1, which it does not spell").arg(name), text);

    const BuiltOnAnswer answer = finder().answer(day);
    if (!answer.answered() || answer.day != day)
        fail(QStringLiteral("%1 was not answered: %2").arg(name, answer.message), text);
    const QString line = answer.line();
    if (!line.startsWith(name + QStringLiteral(": ")) || !line.endsWith(u'.'))
        fail(QStringLiteral("the line \"%1\" does not name the day").arg(line), text);
    if (const auto serials = answer.serials) {
        if (serials->first > serials->last || !givesDay(serials->first, day) ||
            !givesDay(serials->last, day) || givesDay(serials->first - 1, day) ||
            givesDay(serials->last + 1, day))
            fail(QStringLiteral("%1: serials %2 to %3 are not the day's run")
                     .arg(name)
                     .arg(serials->first)
                     .arg(serials->last),
                 text);
    }
    const auto fields = answer.csvFields(text);
    const QString fromCsv = fields[1] + u' ' + fields[2] + QStringLiteral(", ") + fields[3];
    if (fields[0] != text || readBuildDay(fromCsv).day != day || !fields[7].isEmpty() ||
        fields[6] != QString::number(answer.serials ? answer.serials->count() : 0))
        fail(QStringLiteral("the CSV fields do not name %1").arg(name), text);
}

void checkRefusal(const QString& text, const QString& message)
{
    if (refusalOf(message) == Refusal::None)
        fail(QStringLiteral("an unknown message: %1").arg(message), text);
    const auto fields = finder().answer(text).csvFields(text);
    for (std::size_t i = 1; i + 1 < fields.size(); ++i) {
        if (!fields[i].isEmpty())
            fail(QStringLiteral("a refused text has a result in CSV column %1").arg(i), text);
    }
    if (fields[0] != text || fields[7] != message)
        fail(QStringLiteral("the CSV fields of a refused text"), text);
}

// What reading the day written from the description must give, from <chrono>'s calendar.
Refusal expectedRefusal(int year, int month, int day)
{
    if (month == int(Month::OctDec)) {
        if (year != 1912)
            return Refusal::OctDecYear;
        return day >= 1 && day <= 31 ? Refusal::None : Refusal::OctDecDay;
    }
    if (month < 1 || month > 12)
        return Refusal::NotInCalendar;
    if (year * 12 + month < 1908 * 12 + 10 || year > 1927)
        return Refusal::Outside;
    const std::chrono::year_month_day date{std::chrono::year(year),
                                           std::chrono::month(unsigned(month)),
                                           std::chrono::day(unsigned(day))};
    if (!date.ok())
        return Refusal::NotInCalendar;
    if (year == 1912 && month >= 10)
        return Refusal::OctDecForm;
    return Refusal::None;
}

QString blanks(uint8_t byte)
{
    static const char* const kinds[] = {"", " ", "\t", "  ", " \t "};
    return QString::fromLatin1(kinds[byte % 5]);
}

// Writes the described day and checks its reading against <chrono>'s calendar; none when the
// description names a month that has no name.
std::optional<QString> describedDay(const uint8_t* data, size_t size)
{
    uint8_t d[10] = {};
    std::copy_n(data, std::min(size, sizeof d), d);
    const int year = 1900 + d[0] % 32;
    const int month = d[1] % 15; // 13: Oct-Dec
    const int day = d[2] % 34;
    const bool iso = (d[3] & 1) != 0 && month != int(Month::OctDec);
    const bool twoDigits = (d[3] & 2) != 0;
    QString text;
    if (iso) {
        text = blanks(d[5]) +
               QStringLiteral("%1-%2-%3")
                   .arg(year, 4, 10, QLatin1Char('0'))
                   .arg(month, 2, 10, QLatin1Char('0'))
                   .arg(day, 2, 10, QLatin1Char('0')) +
               blanks(d[6]);
    } else {
        if (month < 1 || month > int(Month::OctDec))
            return std::nullopt;
        QString name = DateCalculators::monthText(static_cast<Month>(month));
        for (qsizetype i = 0; i < name.size(); ++i) {
            if ((d[4] >> (i % 8) & 1) != 0)
                name[i] = name[i].isUpper() ? name[i].toLower() : name[i].toUpper();
        }
        text = blanks(d[5]) + name + blanks(d[6]) +
               (twoDigits ? QStringLiteral("%1").arg(day, 2, 10, QLatin1Char('0'))
                          : QString::number(day)) +
               blanks(d[7]) + u',' + blanks(d[8]) + QString::number(year) + blanks(d[9]);
    }
    const BuildDayReading reading = readBuildDay(text);
    const Refusal expected = expectedRefusal(year, month, day);
    if (expected == Refusal::None) {
        if (!reading.day)
            fail(QStringLiteral("refused: %1").arg(reading.message), text);
        if (reading.day->year != year || int(reading.day->month) != month ||
            reading.day->day != day)
            fail(QStringLiteral("read as %1").arg(buildDayText(*reading.day)), text);
    } else if (reading.day || refusalOf(reading.message) != expected) {
        fail(QStringLiteral("expected refusal %1, got \"%2\"")
                 .arg(int(expected))
                 .arg(reading.message),
             text);
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    std::optional<QString> described;
    if ((data[0] & 1) != 0)
        described = describedDay(data + 1, size - 1);
    const QString text = described ? *described
                                   : QString::fromUtf8(reinterpret_cast<const char*>(data + 1),
                                                       static_cast<qsizetype>(size - 1));

    const BuildDayReading reading = readBuildDay(text);
    if (reading.day.has_value() == !reading.message.isEmpty())
        fail(QStringLiteral("a reading has both or neither of a day and a message"), text);
    if (reading.day)
        checkDay(text, *reading.day);
    else
        checkRefusal(text, reading.message);
    return 0;
}
