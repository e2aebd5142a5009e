#include "data/DateCalculators.h"
#include "ui/main/FieldSet.h"

#include <QTest>

#include <map>

using namespace DateCalculators;
using enum Control;

namespace {

// The plain reading of the lookup rule: the first row, in order, that holds the serial.
const MonthRow* firstRowHolding(double serial)
{
    for (const MonthRow& row : monthRows()) {
        if (row.first <= serial && serial <= row.last)
            return &row;
    }
    return nullptr;
}

} // namespace

class TestDateCalculators : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void monthlyTableHasItsRowsPerYear();
    void monthlyRowsAreContiguousButForThreePlaces();
    void monthlyDaysFollowTheMonthName();
    void yearlyTableIsOrderedWithTwoGaps();
    void yearlyRangesEnclosTheirMonths();
    void lookupMatchesTheFirstHoldingRowAtEveryBoundary();
    void monthLookupWrites_data();
    void monthLookupWrites();
    void yearLookupWrites_data();
    void yearLookupWrites();
};

void TestDateCalculators::monthlyTableHasItsRowsPerYear()
{
    QCOMPARE(monthRows().size(), std::size_t(228));
    std::map<int, int> perYear;
    for (const MonthRow& row : monthRows())
        ++perYear[row.year];
    QCOMPARE(perYear.size(), std::size_t(20));
    for (const auto& [year, count] : perYear) {
        const int expected = year == 1908 ? 3 : year == 1912 ? 10 : year == 1921 ? 11 : 12;
        QVERIFY2(count == expected,
                 qPrintable(QStringLiteral("%1 has %2 rows").arg(year).arg(count)));
    }
    QCOMPARE(monthRows().front().first, 1u);
    QCOMPARE(monthRows().front().month, Month::Oct);
    QCOMPARE(monthRows().back().last, kLastSerial);
    QCOMPARE(monthRows().back().month, Month::Dec);
    // 1921 starts in February, directly after December 1920.
    const auto rows = monthRows();
    for (std::size_t i = 1; i < rows.size(); ++i) {
        if (rows[i].year == 1921 && rows[i - 1].year == 1920)
            QCOMPARE(rows[i].month, Month::Feb);
    }
}

void TestDateCalculators::monthlyRowsAreContiguousButForThreePlaces()
{
    const auto rows = monthRows();
    int gaps = 0;
    int overlaps = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        QVERIFY(rows[i].first <= rows[i].last);
        if (i == 0)
            continue;
        const MonthRow& before = rows[i - 1];
        const MonthRow& row = rows[i];
        QVERIFY(row.first > before.first);
        if (row.first == before.last + 1)
            continue;
        if (before.year == 1918 && before.month == Month::Dec) {
            QCOMPARE(before.last, 2831426u);
            QCOMPARE(row.first, 2843127u);
            ++gaps;
        } else if ((before.year == 1924 && before.month == Month::Jan) ||
                   (before.year == 1927 && before.month == Month::Aug)) {
            QVERIFY(row.first <= before.last);              // shared serials
            QVERIFY(i < 2 || rows[i - 2].last < row.first); // shared with the neighbour only
            ++overlaps;
        } else {
            QFAIL(qPrintable(QStringLiteral("row %1 does not follow its predecessor").arg(i)));
        }
    }
    QCOMPARE(gaps, 1);
    QCOMPARE(overlaps, 2);
}

void TestDateCalculators::monthlyDaysFollowTheMonthName()
{
    const std::map<QString, QString> days{
        {"January", "31"},   {"February", "28"}, {"March", "31"},    {"April", "30"},
        {"May", "31"},       {"June", "30"},     {"July", "31"},     {"August", "31"},
        {"September", "30"}, {"October", "31"},  {"November", "30"}, {"December", "31"},
        {"Oct-Dec", "31"}};
    for (const MonthRow& row : monthRows())
        QCOMPARE(daysText(row.month), days.at(monthText(row.month)));
    QCOMPARE(monthText(Month::OctDec), QStringLiteral("Oct-Dec"));
}

void TestDateCalculators::yearlyTableIsOrderedWithTwoGaps()
{
    const auto years = yearRows();
    QCOMPARE(years.size(), std::size_t(20));
    QCOMPARE(years.front().first, 1u);
    QCOMPARE(years.back().last, kLastSerial);
    QList<QPair<quint32, quint32>> gaps;
    for (std::size_t i = 1; i < years.size(); ++i) {
        QCOMPARE(years[i].year, quint16(years[i - 1].year + 1));
        QVERIFY(years[i].first > years[i - 1].last);
        if (years[i].first != years[i - 1].last + 1)
            gaps.append({years[i - 1].last + 1, years[i].first - 1});
    }
    const QList<QPair<quint32, quint32>> expected{{2831427u, 2843126u}, {10944034u, 10998000u}};
    QCOMPARE(gaps, expected);
}

void TestDateCalculators::yearlyRangesEnclosTheirMonths()
{
    // Every month row lies inside its own year's range, except December 1924, which runs past
    // the yearly table's end of 1924.
    for (const MonthRow& row : monthRows()) {
        const YearRow* year = yearRowOf(row.year);
        QVERIFY(year);
        if (row.year == 1924 && row.month == Month::Dec) {
            QCOMPARE(row.last, 10999000u);
            QVERIFY(row.last > year->last);
            continue;
        }
        QVERIFY2(year->first <= row.first && row.last <= year->last,
                 qPrintable(QStringLiteral("%1-%2").arg(row.year).arg(int(row.month))));
    }
}

void TestDateCalculators::lookupMatchesTheFirstHoldingRowAtEveryBoundary()
{
    for (const MonthRow& row : monthRows()) {
        for (const double serial :
             {double(row.first) - 1, double(row.first) - 0.5, double(row.first),
              double(row.first) + 0.5, double(row.last) - 1, double(row.last),
              double(row.last) + 0.5, double(row.last) + 1}) {
            QVERIFY2(monthRowFor(serial) == firstRowHolding(serial),
                     qPrintable(QString::number(serial, 'f', 1)));
        }
    }
    QVERIFY(!monthRowFor(-1));
    QVERIFY(!monthRowFor(0));
    QVERIFY(!monthRowFor(kLastSerial + 1.0));
}

void TestDateCalculators::monthLookupWrites_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QStringList>("expected"); // month, days, first, last; empty: nothing written
    auto row = [](const char* name, const char* serial, const QStringList& texts) {
        QTest::newRow(name) << QString::fromLatin1(serial) << texts;
    };
    row("the first serial opens October 1908", "1", {"October", "31", "1", "11"});
    row("11 is still October 1908", "11", {"October", "31", "1", "11"});
    row("12 opens November 1908", "12", {"November", "30", "12", "101"});
    row("309 closes 1908", "309", {"December", "31", "102", "309"});
    row("310 opens 1909", "310", {"January", "31", "310", "646"});
    row("the last serial closes December 1927", "15076231",
        {"December", "31", "15068958", "15076231"});
    row("above the last serial nothing is written", "15076232", {});
    row("zero writes nothing", "0", {});
    row("a negative serial writes nothing", "-5", {});
    row("December 1918 ends before the unassigned serials", "2831426",
        {"December", "31", "2805098", "2831426"});
    row("the first unassigned serial writes nothing", "2831427", {});
    row("the last unassigned serial writes nothing", "2843126", {});
    row("January 1919 follows the unassigned serials", "2843127",
        {"January", "31", "2843127", "2880166"});
    row("December 1920 closes 1920", "4698419", {"December", "31", "4617929", "4698419"});
    row("February 1921 follows December 1920", "4698420", {"February", "28", "4698420", "4736431"});
    row("the Oct-Dec 1912 row starts", "157425", {"Oct-Dec", "31", "157425", "183563"});
    row("the Oct-Dec 1912 row ends", "183563", {"Oct-Dec", "31", "157425", "183563"});
    row("January 1913 follows Oct-Dec 1912", "183564", {"January", "31", "183564", "200993"});
    row("January 1924 takes the first shared serial", "9232672",
        {"January", "31", "9008372", "9323671"});
    row("January 1924 takes the last shared serial", "9323671",
        {"January", "31", "9008372", "9323671"});
    row("February 1924 starts after the shared serials", "9323672",
        {"February", "28", "9232672", "9427721"});
    row("August 1927 takes the first shared serial", "15034670",
        {"August", "31", "15023925", "15034699"});
    row("August 1927 takes the last shared serial", "15034699",
        {"August", "31", "15023925", "15034699"});
    row("September 1927 starts after the shared serials", "15034700",
        {"September", "30", "15034670", "15047409"});
    row("February has 28 days in 1912 too", "92001", {"February", "28", "92001", "95900"});
    row("February has 28 days in 1916 too", "1071929", {"February", "28", "1071929", "1119003"});
    row("a fraction inside a row matches it", "5.5", {"October", "31", "1", "11"});
    row("a fraction between two rows matches nothing", "11.5", {});
}

void TestDateCalculators::monthLookupWrites()
{
    QFETCH(QString, serial);
    QFETCH(QStringList, expected);
    FieldSet fields{NumberRules::Separators{}};
    fields.setText(txtSerial, serial);
    FindProductionMonth(fields);
    const QStringList written{fields.text(txtMonth), fields.text(txtMonthDays),
                              fields.text(txtFirstSerial), fields.text(txtLastSerial)};
    const QStringList design{"MONTH", "Days in Month", "", ""};
    QCOMPARE(written, expected.isEmpty() ? design : expected);
}

void TestDateCalculators::yearLookupWrites_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QStringList>("expected"); // year, start, end; empty: nothing written
    QTest::newRow("309 is 1908") << "309" << QStringList{"1908", "1", "309"};
    QTest::newRow("310 is 1909") << "310" << QStringList{"1909", "310", "14161"};
    QTest::newRow("the last serial is 1927")
        << "15076231" << QStringList{"1927", "14619255", "15076231"};
    QTest::newRow("the unassigned 1918 serials have no year") << "2831427" << QStringList{};
    QTest::newRow("the end of 1924's gap has no year") << "10998000" << QStringList{};
    QTest::newRow("the start of 1924's gap has no year") << "10944034" << QStringList{};
    QTest::newRow("1925 starts at 10998001")
        << "10998001" << QStringList{"1925", "10998001", "12990076"};
}

void TestDateCalculators::yearLookupWrites()
{
    QFETCH(QString, serial);
    QFETCH(QStringList, expected);
    FieldSet fields{NumberRules::Separators{}};
    fields.setText(txtSerial, serial);
    FindProductionYear(fields);
    const QStringList written{fields.text(txtYear), fields.text(txtYearStart),
                              fields.text(txtYearEnd)};
    const QStringList design{"YEAR", "Start Serial for Year", "End Serial for Year"};
    QCOMPARE(written, expected.isEmpty() ? design : expected);
}

QTEST_APPLESS_MAIN(TestDateCalculators)
#include "tst_datecalculators.moc"
