// --built-on's parts: reading a day, the serials estimated to it, and the texts of the answer.
#include "dating/DaySerials.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QTest>

#include <tuple>

class TestBuiltOn : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void daysRead_data();
    void daysRead();
    void inputsRefused_data();
    void inputsRefused();
    void slashDatesRead_data();
    void slashDatesRead();
    void slashDateOrderOfLocales_data();
    void slashDateOrderOfLocales();
    void everyDayReadsBackFromItsTexts();
    void serialsOfADay_data();
    void serialsOfADay();
};

void TestBuiltOn::daysRead_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("day"); // as the result sentence writes it
    QTest::newRow("as the sentence writes it") << "January 9, 1909"
                                               << "January 9, 1909";
    QTest::newRow("month name in capitals") << "JANUARY 9, 1909"
                                            << "January 9, 1909";
    QTest::newRow("blanks around every part") << " \tMay  9 ,1909\t "
                                              << "May 9, 1909";
    QTest::newRow("a day with a leading zero") << "May 09, 1909"
                                               << "May 9, 1909";
    QTest::newRow("ISO 8601") << "1909-01-09"
                              << "January 9, 1909";
    QTest::newRow("first day of the production") << "October 1, 1908"
                                                 << "October 1, 1908";
    QTest::newRow("the Oct-Dec row") << "Oct-Dec 9, 1912"
                                     << "Oct-Dec 9, 1912";
    QTest::newRow("the Oct-Dec row in any case, to its 31st day") << "oct-DEC 31, 1912"
                                                                  << "Oct-Dec 31, 1912";
    QTest::newRow("February 29 of a leap year") << "1924-02-29"
                                                << "February 29, 1924";
    QTest::newRow("January 1921, which the records skip") << "January 31, 1921"
                                                          << "January 31, 1921";

    QTest::newRow("a quoted CSV field, blanks outside the quotes") << " \"January 9, 1909\"\t"
                                                                   << "January 9, 1909";
    QTest::newRow("a quoted CSV field of the Oct-Dec row") << R"("Oct-Dec 9, 1912")"
                                                           << "Oct-Dec 9, 1912";
    QTest::newRow("ISO with a time of day in minutes after T") << "1909-01-09T00:00"
                                                               << "January 9, 1909";
    QTest::newRow("ISO with a time of day in seconds after a space") << "1909-01-09 23:59:59"
                                                                     << "January 9, 1909";
    QTest::newRow("the month abbreviated") << "Jan 9, 1909"
                                           << "January 9, 1909";
    QTest::newRow("Sept, as en_GB abbreviates September") << "SEPT 30, 1915"
                                                          << "September 30, 1915";
    QTest::newRow("blanks instead of the comma") << "January 9 1909"
                                                 << "January 9, 1909";
    QTest::newRow("day, abbreviated month and year between hyphens") << "9-Jan-1909"
                                                                     << "January 9, 1909";
    QTest::newRow("between hyphens, the abbreviation in any case") << "31-dEC-1927"
                                                                   << "December 31, 1927";
    QTest::newRow("between hyphens, the whole month name") << "09-September-1910"
                                                           << "September 9, 1910";
    QTest::newRow("day, month and year between dots") << "09.01.1909"
                                                      << "January 9, 1909";
    QTest::newRow("between dots, one-digit day and month") << "9.1.1909"
                                                           << "January 9, 1909";
    QTest::newRow("a slash date with the year first is year/month/day") << "1909/1/9"
                                                                        << "January 9, 1909";
}

void TestBuiltOn::daysRead()
{
    QFETCH(QString, input);
    QFETCH(QString, day);
    // None of these is a slash date with the year last: the locale's order does not matter.
    for (const SlashDateOrder slashDates : {SlashDateOrder::DayFirst, SlashDateOrder::MonthFirst}) {
        const BuildDayReading reading = readBuildDay(input, slashDates);
        QVERIFY2(reading.day, qPrintable(reading.message));
        QCOMPARE(buildDayText(*reading.day), day);
        QCOMPARE(reading.message, QString());
    }
}

void TestBuiltOn::inputsRefused_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("message");
    const QString notADate("not a date: write it as January 9, 1909 or 1909-01-09");
    QTest::newRow("empty text is not a date") << "" << notADate;
    QTest::newRow("a serial is not a date") << "400" << notADate;
    QTest::newRow("a day run into the year") << "January 91909" << notADate;
    QTest::newRow("a month name that is neither English nor its abbreviation")
        << "Janu 9, 1909" << notADate;
    QTest::newRow("Oct-Dec has no long name") << "October-December 9, 1912" << notADate;
    QTest::newRow("ISO with a time zone") << "1909-01-09T10:00Z" << notADate;
    QTest::newRow("text after the date") << "January 9, 1909." << notADate;
    QTest::newRow("a line feed after the date is no blank") << "1909-01-09\n" << notADate;
    QTest::newRow("text after a closing quote") << R"("1909-01-09"x)" << notADate;
    QTest::newRow("a lone quote inside a quoted field") << R"("January "9, 1909")" << notADate;
    QTest::newRow("an unclosed quote") << R"("January 9, 1909)" << notADate;
    QTest::newRow("a non-ASCII letter that folds to an ASCII one")
        << QStringLiteral("Augu\u017Ft 9, 1909") << notADate;

    QTest::newRow("February 30 is not in the calendar")
        << "February 30, 1910"
        << "not a day of the calendar: February 1910 has 28 days";
    QTest::newRow("February 29 of a common year is not in the calendar")
        << "1910-02-29"
        << "not a day of the calendar: February 1910 has 28 days";
    QTest::newRow("day 31 of a 30-day month is not in the calendar")
        << "April 31, 1915"
        << "not a day of the calendar: April 1915 has 30 days";
    QTest::newRow("day 0 is not in the calendar")
        << "January 0, 1909"
        << "not a day of the calendar: January 1909 has 31 days";
    QTest::newRow("month 13 is not in the calendar")
        << "1909-13-01"
        << "not a day of the calendar: there is no month 13";
    QTest::newRow("between dots, month 13 is not in the calendar")
        << "09.13.1909"
        << "not a day of the calendar: there is no month 13";
    QTest::newRow("between hyphens, February 29 of a common year is not in the calendar")
        << "29-Feb-1910"
        << "not a day of the calendar: February 1910 has 28 days";

    QTest::newRow("hour 24 is no time of day") << "1909-01-09 24:00"
                                               << "not a time of day: 24:00";
    QTest::newRow("second 60 is no time of day") << "1909-01-09T23:59:60"
                                                 << "not a time of day: 23:59:60";

    const QString twoDigitYear(
        "a year of two digits names no century: write the year with four digits, as 1909");
    QTest::newRow("between dots, a year of two digits") << "09.01.09" << twoDigitYear;
    QTest::newRow("between hyphens, a year of two digits") << "9-Jan-09" << twoDigitYear;

    const QString outside("outside the production of October 1908 to December 1927");
    QTest::newRow("the day before the production") << "September 30, 1908" << outside;
    QTest::newRow("the day after the production") << "1928-01-01" << outside;
    QTest::newRow("abbreviated, the day before the production") << "Sep 30, 1908" << outside;

    const QString octDec("October to December 1912 are one production month: write the day as "
                         "Oct-Dec D, 1912, D from 1 to 31");
    QTest::newRow("October 1912 by name points to Oct-Dec") << "October 9, 1912" << octDec;
    QTest::newRow("November 1912 in ISO points to Oct-Dec") << "1912-11-01" << octDec;
    QTest::newRow("October 1912 in ISO with a time points to Oct-Dec")
        << "1912-10-09 00:00" << octDec;
    QTest::newRow("October 1912 abbreviated points to Oct-Dec") << "Oct 9, 1912" << octDec;
    QTest::newRow("October 1912 between hyphens points to Oct-Dec") << "9-Oct-1912" << octDec;
    QTest::newRow("December 1912 between dots points to Oct-Dec") << "31.12.1912" << octDec;
    QTest::newRow("October 1912 year first with slashes points to Oct-Dec")
        << "1912/10/09" << octDec;
    QTest::newRow("Oct-Dec without its comma points to its form") << "Oct-Dec 9 1912" << octDec;
    QTest::newRow("Oct-Dec between hyphens points to its form") << "9-Oct-Dec-1912" << octDec;
    QTest::newRow("Oct-Dec in another year") << "Oct-Dec 9, 1913"
                                             << "Oct-Dec names October to December 1912 only";
    QTest::newRow("Oct-Dec day 32") << "Oct-Dec 32, 1912"
                                    << "not a day of Oct-Dec 1912, which has days 1 to 31";
}

void TestBuiltOn::inputsRefused()
{
    QFETCH(QString, input);
    QFETCH(QString, message);
    for (const SlashDateOrder slashDates : {SlashDateOrder::DayFirst, SlashDateOrder::MonthFirst}) {
        const BuildDayReading reading = readBuildDay(input, slashDates);
        QVERIFY2(!reading.day, qPrintable(buildDayText(reading.day.value_or(BuildDay{}))));
        QCOMPARE(reading.message, message);
        const BuiltOnAnswer answer = DaySerialFinder().answer(input, slashDates);
        QVERIFY(!answer.answered());
        QCOMPARE(answer.message, message);
    }
}

// A slash date with the year last: its day and month come in the order of the locale's dates.
void TestBuiltOn::slashDatesRead_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("monthFirst");
    QTest::addColumn<QString>("reading"); // the day as the sentence writes it, or the message
    QTest::newRow("month first, 1/9/1909 is January 9") << "1/9/1909" << true << "January 9, 1909";
    QTest::newRow("day first, 1/9/1909 is September 1")
        << "1/9/1909" << false << "September 1, 1909";
    QTest::newRow("day first, with leading zeros") << "09/01/1909" << false << "January 9, 1909";
    QTest::newRow("month first, quoted, the last day of the production")
        << R"("12/31/1927")" << true << "December 31, 1927";
    QTest::newRow("month first, a month 13 that day first reads says the order")
        << "13/1/1909" << true
        << "not a day of the calendar: there is no month 13; slash dates are read as "
           "month/day/year, the order of this system's locale";
    QTest::newRow("day first, February 29 written month first says the order")
        << "2/29/1924" << false
        << "not a day of the calendar: there is no month 29; slash dates are read as "
           "day/month/year, the order of this system's locale";
    QTest::newRow("day first, a day in no order of the calendar does not name the order")
        << "31/4/1915" << false << "not a day of the calendar: April 1915 has 30 days";
    QTest::newRow("month first, October 1912 points to Oct-Dec")
        << "10/9/1912" << true
        << "October to December 1912 are one production month: write the day as Oct-Dec D, "
           "1912, D from 1 to 31";
    QTest::newRow("month first, a year of two digits")
        << "1/9/09" << true
        << "a year of two digits names no century: write the year with four digits, as 1909";
}

void TestBuiltOn::slashDatesRead()
{
    QFETCH(QString, input);
    QFETCH(bool, monthFirst);
    QFETCH(QString, reading);
    const BuildDayReading read =
        readBuildDay(input, monthFirst ? SlashDateOrder::MonthFirst : SlashDateOrder::DayFirst);
    QCOMPARE(read.day ? buildDayText(*read.day) : read.message, reading);
    QCOMPARE(read.day.has_value(), read.message.isEmpty());
}

void TestBuiltOn::slashDateOrderOfLocales_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("monthFirst");
    QTest::newRow("en_US writes M/d/yy: month first") << "en_US" << true;
    QTest::newRow("en_GB writes dd/MM/yyyy: day first") << "en_GB" << false;
    QTest::newRow("ja_JP writes yyyy/MM/dd: month before day") << "ja_JP" << true;
    QTest::newRow("the C locale writes d MMM yyyy: day first") << "C" << false;
}

void TestBuiltOn::slashDateOrderOfLocales()
{
    QFETCH(QString, locale);
    QFETCH(bool, monthFirst);
    QCOMPARE(slashDateOrder(QLocale(locale)) == SlashDateOrder::MonthFirst, monthFirst);
}

void TestBuiltOn::everyDayReadsBackFromItsTexts()
{
    const std::vector<BuildDay>& days = everyBuildDay();
    QCOMPARE(buildDayText(days.front()), QStringLiteral("October 1, 1908"));
    QCOMPARE(buildDayText(days.back()), QStringLiteral("December 31, 1927"));
    int leapDays = 0;
    int octDecDays = 0;
    for (std::size_t i = 0; i < days.size(); ++i) {
        const BuildDay& day = days[i];
        const QString text = buildDayText(day);
        QCOMPARE(readBuildDay(text, SlashDateOrder::DayFirst).day, day);
        QCOMPARE(readBuildDay(text.toUpper(), SlashDateOrder::MonthFirst).day, day);
        if (day.month == DateCalculators::Month::OctDec) {
            ++octDecDays;
        } else {
            // The day as Qt writes it in the forms that spreadsheets use.
            const QDateTime date(QDate(day.year, int(day.month), day.day), QTime(23, 59, 59),
                                 Qt::UTC);
            for (const char* format :
                 {"yyyy-MM-dd", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd'T'HH:mm", "d-MMM-yyyy",
                  "MMM d, yyyy", "MMMM d yyyy", "dd.MM.yyyy", "yyyy/M/d", "d/M/yyyy"}) {
                const QString written = date.toString(QLatin1String(format));
                QCOMPARE(readBuildDay(written, SlashDateOrder::DayFirst).day, day);
            }
        }
        if (day.month == DateCalculators::Month::Feb && day.day == 29)
            ++leapDays;
        if (i > 0) // one day after another, none twice
            QVERIFY(std::tuple(day.year, day.month, day.day) >
                    std::tuple(days[i - 1].year, days[i - 1].month, days[i - 1].day));
    }
    QCOMPARE(leapDays, 4);
    QCOMPARE(octDecDays, 31);
    // October 1, 1908 to December 31, 1927, with the 92 days of October to December 1912 as 31.
    QCOMPARE(days.size(), std::size_t(7031 - 92 + 31));
}

void TestBuiltOn::serialsOfADay_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("line");
    QTest::newRow("several serials") << "January 9, 1909"
                                     << "January 9, 1909: serials 399 to 409 (11 cars).";
    QTest::newRow("one serial: the first day that October 1908's eleven cars fill")
        << "October 21, 1908"
        << "October 21, 1908: serial 1 (1 car).";
    QTest::newRow("none: October 1908 before its first car")
        << "October 20, 1908"
        << "October 20, 1908: no serial is estimated to this day.";
    QTest::newRow("first day of a month") << "1909-01-01"
                                          << "January 1, 1909: serials 310 to 321 (12 cars).";
    QTest::newRow("last day of the production")
        << "December 31, 1927"
        << "December 31, 1927: serials 15076114 to 15076231 (118 cars).";
    QTest::newRow("the day before the unassigned serials")
        << "December 31, 1918"
        << "December 31, 1918: serials 2831002 to 2831426 (425 cars).";
    QTest::newRow("the day after the unassigned serials")
        << "January 1, 1919"
        << "January 1, 1919: serials 2843127 to 2844913 (1787 cars).";
    QTest::newRow("January 1924 keeps the serials it shares with February")
        << "January 31, 1924"
        << "January 31, 1924: serials 9318586 to 9323671 (5086 cars).";
    QTest::newRow("none: the first days of February 1924 go to January's shared serials")
        << "February 4, 1924"
        << "February 4, 1924: no serial is estimated to this day.";
    QTest::newRow("February 1924 starts after the shared serials")
        << "February 13, 1924"
        << "February 13, 1924: serials 9323672 to 9326714 (3043 cars).";
    QTest::newRow("August 1927 keeps the serials it shares with September")
        << "August 31, 1927"
        << "August 31, 1927: serials 15034526 to 15034699 (174 cars).";
    QTest::newRow("September 1927 starts after the shared serials")
        << "September 1, 1927"
        << "September 1, 1927: serials 15034700 to 15035296 (597 cars).";
    QTest::newRow("December 1924 is 1924 where the yearly table says 1925")
        << "December 31, 1924"
        << "December 31, 1924: serials 10997182 to 10999000 (1819 cars).";
    QTest::newRow("last day of Oct-Dec 1912")
        << "Oct-Dec 31, 1912"
        << "Oct-Dec 31, 1912: serials 183142 to 183563 (422 cars).";
    QTest::newRow("none: February 29, which the records do not count")
        << "February 29, 1924"
        << "February 29, 1924: no serial is estimated to this day.";
    QTest::newRow("none: January 1921, which the records skip")
        << "1921-01-15"
        << "January 15, 1921: no serial is estimated to this day.";
}

void TestBuiltOn::serialsOfADay()
{
    QFETCH(QString, input);
    QFETCH(QString, line);
    const BuiltOnAnswer answer = DaySerialFinder().answer(input, SlashDateOrder::MonthFirst);
    QVERIFY2(answer.answered(), qPrintable(answer.message));
    QVERIFY(answer.day);
    QCOMPARE(answer.line(), line);
    // As the page shows it in German: the count of cars grouped, the serials (names) never.
    QString grouped = line;
    grouped.replace(QRegularExpression(QStringLiteral(R"(\((\d)(\d{3}) cars\))")),
                    QStringLiteral("(\\1.\\2 cars)"));
    const NumberRules::Separators german{QStringLiteral(","), QStringLiteral(".")};
    QCOMPARE(answer.line(&german), grouped);
}

QTEST_APPLESS_MAIN(TestBuiltOn)
#include "tst_builton.moc"
