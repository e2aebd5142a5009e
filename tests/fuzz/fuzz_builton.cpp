// Fuzzes the reading of a day for --built-on, and the answer and texts of every day it reads.
//
// Input: byte 0 picks how the rest becomes the text read, and the order of slash dates:
//   bit 0 clear  the rest is the text, UTF-8
//   bit 0 set    the rest describes a day to write: year, month (13 stands for Oct-Dec, 0 and 14
//                for months that do not exist), day, the form (the sentence with or without its
//                comma, ISO with or without a time, day-month name-year between hyphens,
//                day.month.year, a slash date with the year last or first), whether it is
//                quoted as a CSV field, leading zeros, a year of two digits, the month name or
//                its abbreviation, the case of each letter of the month name, the blanks around
//                each part, and a time of day (24:00 and later, minute or second 60 and later do
//                not exist). The reading must then agree with the calendar of <chrono>, the
//                production period, the Oct-Dec rule and the slash order. (A month that does
//                not exist has no name: the forms that name the month then take the rest as text.)
//   bit 1        slash dates with the year last are month first when set, day first when clear
// For every text: a day or a message, never both; the slash order changes the reading only of a
// text with a slash; a day read is a day of the production period, its text reads back as the
// same day, and the text read is one of that day's spellings up to case, blanks and CSV quotes;
// its answer names it, and the serials at the ends of the answer give the day by a separate
// working of the estimate (ModelChecks) while those just outside do not; its CSV fields name it
// too. A refused text has one of the known messages and CSV fields with only the input and the
// error.
#include "ModelChecks.h"

#include "dating/DaySerials.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

using DateCalculators::Month;

namespace {

[[noreturn]] void fail(const QString& what, const QString& text)
{
    std::fprintf(stderr, "fuzz_builton: %s\n  at \"%s\"\n", qPrintable(what),
                 text.toUtf8().toPercentEncoding(" ").constData());
    std::abort();
}

enum class Refusal {
    None,
    NotADate,
    NotInCalendar,
    Outside,
    OctDecForm,
    OctDecYear,
    OctDecDay,
    TwoDigitYear,
    NoTime,
};

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
        {"a year of two digits names no century: write the year with four digits, as 1909",
         Refusal::TwoDigitYear},
        {"not a time of day: ", Refusal::NoTime},
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

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

// The text without the blanks around it and, when it is a CSV field in quotes, without the quotes
// and with each doubled quote inside made one; else the text as it is.
QString unquoted(const QString& text)
{
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && isBlank(text[first]))
        ++first;
    while (end > first && isBlank(text[end - 1]))
        --end;
    if (end - first < 2 || text[first] != u'"' || text[end - 1] != u'"')
        return text;
    QString inner;
    for (qsizetype i = first + 1; i < end - 1; ++i) {
        if (text[i] == u'"') {
            if (i + 2 >= end || text[i + 1] != u'"')
                return text; // a quote not doubled
            ++i;
        }
        inner += text[i];
    }
    return inner;
}

// HH:MM or HH:MM:SS, after a T or not, a time that a day has: hours below 24, minutes and
// seconds below 60.
bool isTimeOfDay(QStringView time)
{
    if (time.startsWith(u't'))
        time = time.mid(1);
    if (time.size() != 5 && time.size() != 8)
        return false;
    const int limits[] = {24, 60, 60};
    for (qsizetype i = 0; i < time.size(); i += 3) {
        if (i > 0 && time[i - 1] != u':')
            return false;
        const int high = time[i].unicode() - '0';
        const int low = time[i + 1].unicode() - '0';
        if (high < 0 || high > 9 || low < 0 || low > 9 || high * 10 + low >= limits[i / 3])
            return false;
    }
    return true;
}

// Every way to write the day, compact: the sentence with the month's name or its first three
// letters (September also as Sept) and the comma or not, day-name-year between hyphens,
// day.month.year, year/month/day and the slash date with the year last in the given order, each
// day and month with a leading zero or not. Oct-Dec only in the sentence with its comma. (ISO
// is checked on its own, for its time of day.)
std::vector<QString> spellings(const BuildDay& day, SlashDateOrder slashDates)
{
    const QString year = QString::number(day.year);
    const auto withZero = [](int number) {
        std::vector<QString> out{QString::number(number)};
        if (number < 10)
            out.push_back(u'0' + out.front());
        return out;
    };
    const std::vector<QString> days = withZero(day.day);
    const QString name = DateCalculators::monthText(day.month).toLower();
    std::vector<QString> out;
    if (day.month == Month::OctDec) {
        for (const QString& d : days)
            out.push_back(name + d + u',' + year);
        return out;
    }
    std::vector<QString> names{name, name.left(3)};
    if (day.month == Month::Sep)
        names.push_back(QStringLiteral("sept"));
    for (const QString& n : names) {
        for (const QString& d : days) {
            out.push_back(n + d + u',' + year);
            out.push_back(n + d + year);
            out.push_back(d + u'-' + n + u'-' + year);
        }
    }
    for (const QString& m : withZero(int(day.month))) {
        for (const QString& d : days) {
            out.push_back(d + u'.' + m + u'.' + year);
            out.push_back(year + u'/' + m + u'/' + d);
            out.push_back((slashDates == SlashDateOrder::MonthFirst ? m + u'/' + d : d + u'/' + m) +
                          u'/' + year);
        }
    }
    return out;
}

bool spellsDay(const QString& text, const BuildDay& day, SlashDateOrder slashDates)
{
    const QString spelled = compact(unquoted(text));
    if (day.month != Month::OctDec && spelled.startsWith(isoText(day))) {
        const QStringView time = QStringView(spelled).mid(isoText(day).size());
        if (time.isEmpty() || isTimeOfDay(time))
            return true;
    }
    const std::vector<QString> all = spellings(day, slashDates);
    return std::find(all.begin(), all.end(), spelled) != all.end();
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

void checkDay(const QString& text, const BuildDay& day, SlashDateOrder slashDates)
{
    const std::vector<BuildDay>& days = everyBuildDay();
    if (std::find(days.begin(), days.end(), day) == days.end())
        fail(QStringLiteral("read a day outside the production period"), text);
    const QString name = buildDayText(day);
    if (readBuildDay(name, slashDates).day != day)
        fail(QStringLiteral("\"%1\" does not read back as itself").arg(name), text);
    if (!spellsDay(text, day, slashDates))
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
    if (fields[0] != text || readBuildDay(fromCsv, slashDates).day != day || !fields[7].isEmpty() ||
        fields[6] != QString::number(answer.serials ? answer.serials->count() : 0))
        fail(QStringLiteral("the CSV fields do not name %1").arg(name), text);
}

void checkRefusal(const QString& text, const QString& message, SlashDateOrder slashDates)
{
    if (refusalOf(message) == Refusal::None)
        fail(QStringLiteral("an unknown message: %1").arg(message), text);
    const auto fields = finder().answer(text, slashDates).csvFields(text);
    for (std::size_t i = 1; i + 1 < fields.size(); ++i) {
        if (!fields[i].isEmpty())
            fail(QStringLiteral("a refused text has a result in CSV column %1").arg(i), text);
    }
    if (fields[0] != text || fields[7] != message)
        fail(QStringLiteral("the CSV fields of a refused text"), text);
}

// What reading the day written from the description must give, from <chrono>'s calendar. In a
// form that names the month, 13 is Oct-Dec; in digits it is a month that does not exist.
Refusal expectedRefusal(int year, int month, int day, bool named)
{
    if (named && month == int(Month::OctDec)) {
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

enum Form : uint8_t {
    Sentence,        // January 9, 1909
    SentenceNoComma, // January 9 1909
    Iso,             // 1909-01-09
    IsoTime,         // 1909-01-09 00:00:00, 1909-01-09T00:00
    Dashed,          // 9-Jan-1909
    Dotted,          // 09.01.1909
    SlashYearLast,   // 1/9/1909, in the order given
    SlashYearFirst,  // 1909/1/9
    kForms
};

// The flags of the description's byte 4.
enum Flag : uint8_t {
    kLeadingZeros = 1,
    kQuoted = 2,
    kTwoDigitYear = 4, // in the forms that read it: hyphens, dots and slashes with the year last
    kAbbreviated = 8,
    kSept = 16, // September as Sept, with kAbbreviated
    kSeconds = 32,
    kT = 64,
};

// Writes the described day and checks its reading against <chrono>'s calendar; none when the
// description names a month that has no name.
std::optional<QString> describedDay(const uint8_t* data, size_t size, SlashDateOrder slashDates)
{
    uint8_t d[14] = {};
    std::copy_n(data, std::min(size, sizeof d), d);
    const int year = 1900 + d[0] % 32;
    const int month = d[1] % 15; // 13: Oct-Dec where the month is named
    const int day = d[2] % 34;
    const auto form = static_cast<Form>(d[3] % kForms);
    const uint8_t flags = d[4];
    const int hour = d[11] % 26;
    const int minute = d[12] % 62;
    const int second = d[13] % 62;
    const bool named = form == Sentence || form == SentenceNoComma || form == Dashed;
    const bool twoDigitYear =
        (flags & kTwoDigitYear) != 0 && (form == Dashed || form == Dotted || form == SlashYearLast);

    const auto number = [&](int value, int width) {
        return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
    };
    const int zeros = (flags & kLeadingZeros) != 0 ? 2 : 1;
    const QString dd = number(day, form == Iso || form == IsoTime ? 2 : zeros);
    const QString mm = number(month, form == Iso || form == IsoTime ? 2 : zeros);
    const QString yyyy = twoDigitYear ? number(year % 100, 2) : QString::number(year);
    QString name;
    if (named) {
        if (month < 1 || month > int(Month::OctDec))
            return std::nullopt;
        name = DateCalculators::monthText(static_cast<Month>(month));
        if ((flags & kAbbreviated) != 0 && month != int(Month::OctDec))
            name = (flags & kSept) != 0 && month == int(Month::Sep) ? QStringLiteral("Sept")
                                                                    : name.left(3);
        for (qsizetype i = 0; i < name.size(); ++i) {
            if ((d[5] >> (i % 8) & 1) != 0)
                name[i] = name[i].isUpper() ? name[i].toLower() : name[i].toUpper();
        }
    }
    QString core;
    switch (form) {
    case Sentence:
        core = name + blanks(d[7]) + dd + blanks(d[8]) + u',' + blanks(d[9]) + yyyy;
        break;
    case SentenceNoComma:
        core = name + blanks(d[7]) + dd + u' ' + blanks(d[8]) + yyyy;
        break;
    case Iso:
    case IsoTime:
        core = yyyy + u'-' + mm + u'-' + dd;
        if (form == IsoTime)
            core += ((flags & kT) != 0 ? u'T' : u' ') + number(hour, 2) + u':' + number(minute, 2) +
                    ((flags & kSeconds) != 0 ? u':' + number(second, 2) : QString());
        break;
    case Dashed:
        core = dd + u'-' + name + u'-' + yyyy;
        break;
    case Dotted:
        core = dd + u'.' + mm + u'.' + yyyy;
        break;
    case SlashYearLast:
        core = (slashDates == SlashDateOrder::MonthFirst ? mm + u'/' + dd : dd + u'/' + mm) + u'/' +
               yyyy;
        break;
    case SlashYearFirst:
    case kForms:
        core = yyyy + u'/' + mm + u'/' + dd;
        break;
    }
    QString text = blanks(d[6]) + core + blanks(d[10]);
    if ((flags & kQuoted) != 0)
        text = blanks(d[10]) + u'"' + text + u'"' + blanks(d[6]);

    // Oct-Dec is named in the sentence with its comma only; a time of day must be one; a year
    // must have four digits; then the calendar.
    const bool timeOfDay = hour < 24 && minute < 60 && ((flags & kSeconds) == 0 || second < 60);
    const Refusal expected = named && month == int(Month::OctDec) && form != Sentence
                                 ? Refusal::OctDecForm
                             : form == IsoTime && !timeOfDay ? Refusal::NoTime
                             : twoDigitYear                  ? Refusal::TwoDigitYear
                                            : expectedRefusal(year, month, day, named);
    const BuildDayReading reading = readBuildDay(text, slashDates);
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
    const SlashDateOrder slashDates =
        (data[0] & 2) != 0 ? SlashDateOrder::MonthFirst : SlashDateOrder::DayFirst;
    std::optional<QString> described;
    if ((data[0] & 1) != 0)
        described = describedDay(data + 1, size - 1, slashDates);
    const QString text = described ? *described
                                   : QString::fromUtf8(reinterpret_cast<const char*>(data + 1),
                                                       static_cast<qsizetype>(size - 1));

    const BuildDayReading reading = readBuildDay(text, slashDates);
    if (reading.day.has_value() == !reading.message.isEmpty())
        fail(QStringLiteral("a reading has both or neither of a day and a message"), text);
    if (!text.contains(u'/')) {
        const BuildDayReading other = readBuildDay(text, slashDates == SlashDateOrder::MonthFirst
                                                             ? SlashDateOrder::DayFirst
                                                             : SlashDateOrder::MonthFirst);
        if (other.day != reading.day || other.message != reading.message)
            fail(QStringLiteral("the order of slash dates changes a text without a slash"), text);
    }
    if (reading.day)
        checkDay(text, *reading.day, slashDates);
    else
        checkRefusal(text, reading.message, slashDates);
    return 0;
}
