// Every serial number, through the same handlers the window runs.
#include "support/ScriptedHost.h"

#include "app/Identity.h"
#include "data/DateCalculators.h"
#include "ui/main/frmMain.h"

#include <QTest>

#include <cmath>

using enum Control;
using namespace DateCalculators;

class TestExhaustive : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everySerialGivesADayOfItsMonthOrNotFound();
};

void TestExhaustive::everySerialGivesADayOfItsMonthOrNotFound()
{
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
#undef CHECK
        ++calculated;
    }
    QCOMPARE(notFound, 2843126u - 2831427u + 1);
    QCOMPARE(calculated + notFound, kLastSerial);
}

QTEST_APPLESS_MAIN(TestExhaustive)
#include "tst_exhaustive.moc"
