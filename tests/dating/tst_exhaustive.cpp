// Every serial number, through the same handlers the window runs; and every day, read backwards.
#include "support/ScriptedHost.h"

#include "app/Identity.h"
#include "data/DateCalculators.h"
#include "dating/DaySerials.h"
#include "ui/main/frmMain.h"

#include <QTest>

#include <cmath>
#include <vector>

using enum Control;
using namespace DateCalculators;

class TestExhaustive : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everySerialGivesADayOfItsMonthOrNotFound();
    void everyDayIsAnsweredWithTheSerialsThatGiveIt();

private:
    // Calculates every serial in order, checks each, and records the runs of serials that give
    // one day.
    void walkEverySerial();

    // Serials first to last, all of which the window gives day `day` of the month row `row`.
    struct Run {
        std::size_t row;
        int day;
        quint32 first;
        quint32 last;
    };
    std::vector<Run> runs_;
    bool walked_ = false;
};

void TestExhaustive::everySerialGivesADayOfItsMonthOrNotFound() { walkEverySerial(); }

void TestExhaustive::walkEverySerial()
{
    runs_.clear();
    ScriptedHost host;
    frmMain form(host, appIdentity(), NumberRules::Separators{});
    form.Form_Load();
    FieldSet& f = form.fields();

    const auto rows = monthRows();
    std::size_t row = 0; // the first row that can still hold the serial
    quint32 calculated = 0;
    quint32 notFound = 0;
    for (quint32 serial = kFirstSerial; serial <= kLastSerial; ++serial) {
        while (row < rows.size() && rows[row].last < serial)
            ++row;
        const bool inRow = row < rows.size() && rows[row].first <= serial;

        const QString text = QString::number(serial);
        form.userEdit(txtSerial, text, static_cast<int>(text.size()));
        host.answerNext(Answer::Ok);
        form.cmdCalculate_Click();

        // Messages are built only when a check fails.
#define CHECK(condition)                                                                           \
    if (!(condition))                                                                              \
    QFAIL(qPrintable(QStringLiteral("serial %1: %2 (%3)")                                          \
                         .arg(serial)                                                              \
                         .arg(QLatin1String(#condition), f.text(lblDate))))
        if (!inRow) {
            CHECK(host.asked.size() == 1);
            CHECK(host.asked.back().title == QStringLiteral("Serial Number Not Found"));
            host.asked.clear();
            host.script.clear();
            ++notFound;
            continue;
        }
        CHECK(host.asked.empty());
        host.script.clear();

        const MonthRow& month = rows[row];
        const auto day = f.value(txtDate);
        const double days = daysText(month.month).toDouble();
        CHECK(day && *day >= 1 && *day <= days && *day == std::floor(*day));
        CHECK(f.text(txtMonth) == monthText(month.month));
        CHECK(f.value(txtYear) == double(month.year));
        CHECK(f.text(lblDate) == text + QStringLiteral(" was built on ") + f.text(txtMonth) +
                                     QLatin1Char(' ') + f.text(txtDate) + QStringLiteral(", ") +
                                     f.text(txtYear) + QLatin1Char('.'));

        // Within a month the day never decreases as the serial grows, so the serials of one
        // day are one run, and the runs follow the rows and days in order.
        const int dayValue = static_cast<int>(*day);
        if (!runs_.empty() && runs_.back().row == row && runs_.back().day == dayValue) {
            runs_.back().last = serial;
        } else {
            CHECK(runs_.empty() || runs_.back().row < row ||
                  (runs_.back().row == row && runs_.back().day < dayValue));
            runs_.push_back({row, dayValue, serial, serial});
        }
#undef CHECK
        ++calculated;
    }
    QCOMPARE(notFound, 2843126u - 2831427u + 1);
    QCOMPARE(calculated + notFound, kLastSerial);
    walked_ = true;
}

// The answer of every day from October 1, 1908 to December 31, 1927 is the run of serials that
// the walk above saw give that day, or none when no serial gave it; so each serial lies in the
// range of its own estimate, and the ranges, in the order of the days, are disjoint and cover
// every serial but the unassigned ones.
void TestExhaustive::everyDayIsAnsweredWithTheSerialsThatGiveIt()
{
    if (!walked_)
        walkEverySerial(); // when this function runs alone
    QVERIFY2(walked_, "the walk of every serial failed");

    const auto rows = monthRows();
    DaySerialFinder finder;
    std::size_t next = 0; // the first run no day has answered yet
    quint32 covered = 0;
    quint32 nextSerial = kFirstSerial; // where the next range must start
    for (const BuildDay& day : everyBuildDay()) {
        const QString name = buildDayText(day);
        const BuiltOnAnswer answer = finder.answer(day);
        QVERIFY2(answer.answered(), qPrintable(name + QStringLiteral(": ") + answer.message));

        const bool given = next < runs_.size() && rows[runs_[next].row].year == day.year &&
                           rows[runs_[next].row].month == day.month && runs_[next].day == day.day;
        if (!given) {
            QVERIFY2(!answer.serials, qPrintable(name + QStringLiteral(" has serials")));
            continue;
        }
        const Run& run = runs_[next++];
        QVERIFY2(answer.serials && answer.serials->first == run.first &&
                     answer.serials->last == run.last,
                 qPrintable(QStringLiteral("%1: %2 to %3, answered %4 to %5")
                                .arg(name)
                                .arg(run.first)
                                .arg(run.last)
                                .arg(answer.serials ? answer.serials->first : 0)
                                .arg(answer.serials ? answer.serials->last : 0)));
        if (nextSerial == 2831427)
            nextSerial = 2843127;
        QVERIFY2(run.first == nextSerial, qPrintable(name));
        nextSerial = run.last + 1;
        covered += answer.serials->count();
    }
    QCOMPARE(next, runs_.size());
    QCOMPARE(nextSerial, kLastSerial + 1);
    QCOMPARE(covered, kLastSerial - (2843126u - 2831427u + 1));
}

QTEST_APPLESS_MAIN(TestExhaustive)
#include "tst_exhaustive.moc"
