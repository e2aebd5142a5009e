#pragma once

// What must hold of the main window's field set after any user action, checked from the outside:
// the fuzzers and the random-use test of the window call ModelChecks::check after every step.
//
// The window is always in one of three states:
//   Design  - nothing calculated since load: the design texts, the prompt in lblDate;
//   Reset   - Reset answered Yes: the serial fields and results "0", txtDate and txtMonthDays
//             empty, the prompt in lblDate; month and year keep an earlier lookup's texts;
//   Result  - lblDate says "S was built on M D, Y." and every result field holds what the
//             estimate gives for serial S, worked out here afresh from the monthly table.
// In all three, txtSerial is empty or a whole number in its "#######0" spelling, and every label
// shows its field's text (grouped where the window groups it).

#include "Reference.h"

#include "app/Identity.h"
#include "data/DateCalculators.h"
#include "ui/main/FieldSet.h"
#include "ui/main/frmMain.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cmath>
#include <optional>

namespace ModelChecks {

using enum Control;

inline const QString& designText(Control control)
{
    static const std::array<QString, kControlCount> texts = [] {
        std::array<QString, kControlCount> out;
        for (const ControlDef& def : controlTable())
            out[indexOf(def.id)] = QString::fromUtf8(def.text);
        return out;
    }();
    return texts[indexOf(control)];
}

inline QString nameOf(Control control) { return QString::fromLatin1(controlDef(control).name); }

inline QString monthName(DateCalculators::Month month)
{
    static const char* const names[] = {"",        "January",  "February", "March",  "April",
                                        "May",     "June",     "July",     "August", "September",
                                        "October", "November", "December", "Oct-Dec"};
    return QString::fromLatin1(names[static_cast<int>(month)]);
}

inline int monthDays(DateCalculators::Month month)
{
    using enum DateCalculators::Month;
    switch (month) {
    case Feb:
        return 28;
    case Apr:
    case Jun:
    case Sep:
    case Nov:
        return 30;
    default:
        return 31;
    }
}

// The estimate for one serial, by the five steps with plain arithmetic.
struct Expected {
    QString month, days, first, last, year, yearStart, yearEnd;
    QString total, average, carsBuilt, endOfMonthDays, day;
    int dayValue = 0;
    int daysValue = 0;
};

// The first monthly row holding the serial (rows are tried in table order), or nothing.
inline std::optional<Expected> expectedFor(double serial)
{
    const DateCalculators::MonthRow* row = nullptr;
    for (const DateCalculators::MonthRow& candidate : DateCalculators::monthRows()) {
        if (candidate.first <= serial && serial <= candidate.last) {
            row = &candidate;
            break;
        }
    }
    if (!row)
        return std::nullopt;
    Expected e;
    e.month = monthName(row->month);
    e.daysValue = monthDays(row->month);
    e.days = QString::number(e.daysValue);
    e.first = QString::number(row->first);
    e.last = QString::number(row->last);
    e.year = QString::number(row->year);
    for (const DateCalculators::YearRow& year : DateCalculators::yearRows()) {
        if (year.year == row->year) {
            e.yearStart = QString::number(year.first);
            e.yearEnd = QString::number(year.last);
        }
    }
    const double total = double(row->last) - double(row->first);
    double average = std::round(total / e.daysValue);
    if (average < 1)
        average = 1;
    const double cars = double(row->last) - std::round(serial);
    double endOfMonth = std::round(cars / average);
    if (endOfMonth < 1)
        endOfMonth = 0;
    double day = e.daysValue - endOfMonth;
    if (day < 1)
        day = 1;
    const auto whole = [](double v) {
        return QString::number(static_cast<qint64>(v));
    };
    e.total = total == 0 ? QString() : whole(total);
    e.average = whole(average);
    e.carsBuilt = whole(cars);
    e.endOfMonthDays = whole(endOfMonth);
    e.dayValue = static_cast<int>(day);
    e.day = whole(day);
    return e;
}

inline QString sentence(const QString& serial, const Expected& e)
{
    return serial + QStringLiteral(" was built on ") + e.month + u' ' + e.day +
           QStringLiteral(", ") + e.year + u'.';
}

inline const QString& titleLine()
{
    static const QString line = [] {
        const AppIdentity& id = appIdentity();
        return QStringLiteral("%1, %2.%3.%4")
            .arg(id.productName)
            .arg(id.major)
            .arg(id.minor)
            .arg(id.revision);
    }();
    return line;
}

// The controls whose text may change after load; every other control keeps its design text.
inline bool isDynamic(Control c)
{
    switch (c) {
    case txtSerial:
    case lblFirstSerial:
    case lblLastSerial:
    case lblProductionTotal:
    case lblProductionAverage:
    case lblDate:
    case lblAbout:
    case txtProductionTotal:
    case txtProductionAverage:
    case txtCarsBuilt:
    case txtEndOfMonthDays:
    case txtDate:
    case txtFirstSerial:
    case txtLastSerial:
    case txtMonthDays:
    case txtYear:
    case txtMonth:
    case txtYearStart:
    case txtYearEnd:
    case lblCarsBuilt:
    case lblEndOfMonthDays:
        return true;
    default:
        return false;
    }
}

class Failures {
public:
    void expect(bool ok, const QString& what)
    {
        if (!ok && first_.isEmpty())
            first_ = what;
    }
    void expectText(const FieldSet& f, Control c, const QString& expected, const QString& why)
    {
        expect(f.text(c) == expected, QStringLiteral("%1: %2 is \"%3\", expected \"%4\"")
                                          .arg(why, nameOf(c), f.text(c), expected));
    }
    const QString& first() const { return first_; }

private:
    QString first_;
};

// A text field that the handlers normalise: empty, or a whole number that "#######0" keeps.
inline void expectNormalised(Failures& out, const FieldSet& f, Control c)
{
    const QString& text = f.text(c);
    if (text.isEmpty())
        return;
    const auto value = NumberRules::fieldValue(text, f.separators());
    out.expect(Reference::isWholeNumberText(text) && value &&
                   NumberRules::formatText(text, NumberRules::Mask::Zero, f.separators()) == text,
               QStringLiteral("%1 is \"%2\": neither empty nor a whole number in its own spelling")
                   .arg(nameOf(c), text));
}

// Checks the field set as it stands; gives the first fault found, or empty text.
inline QString check(const FieldSet& f)
{
    using NumberRules::Mask;
    Failures out;
    const NumberRules::Separators& seps = f.separators();

    for (const ControlDef& def : controlTable()) {
        if (!isDynamic(def.id))
            out.expectText(f, def.id, designText(def.id),
                           QStringLiteral("a static control changed"));
    }
    out.expectText(f, lblAbout, titleLine(), QStringLiteral("the title line"));

    expectNormalised(out, f, txtSerial);
    expectNormalised(out, f, txtFirstSerial);
    expectNormalised(out, f, txtLastSerial);
    out.expect(f.caret(txtSerial) >= 0 && f.caret(txtSerial) <= f.text(txtSerial).size(),
               QStringLiteral("the caret of txtSerial lies outside its text"));
    // txtMonthDays: a number is normalised, other text is left alone.
    if (NumberRules::fieldValue(f.text(txtMonthDays), seps))
        expectNormalised(out, f, txtMonthDays);

    const bool design = f.text(txtFirstSerial).isEmpty() && f.text(lblFirstSerial) == u"0" &&
                        f.text(txtMonthDays) == designText(txtMonthDays);
    if (!design) {
        out.expectText(f, lblFirstSerial, f.text(txtFirstSerial),
                       QStringLiteral("label and field"));
        out.expectText(f, lblLastSerial, f.text(txtLastSerial), QStringLiteral("label and field"));
        out.expectText(f, lblProductionTotal,
                       Reference::maskText(f.text(txtProductionTotal), Mask::Grouped, seps),
                       QStringLiteral("grouped label"));
        out.expectText(f, lblProductionAverage,
                       Reference::maskText(f.text(txtProductionAverage), Mask::Grouped, seps),
                       QStringLiteral("grouped label"));
        out.expectText(f, lblCarsBuilt,
                       Reference::maskText(f.text(txtCarsBuilt), Mask::Grouped, seps),
                       QStringLiteral("grouped label"));
        out.expectText(f, lblEndOfMonthDays, f.text(txtEndOfMonthDays),
                       QStringLiteral("label and field"));
    }

    const QString& date = f.text(lblDate);
    if (date == frmMain::promptText()) {
        if (design) {
            for (Control c :
                 {txtFirstSerial, txtLastSerial, txtMonthDays, txtProductionTotal,
                  txtProductionAverage, txtCarsBuilt, txtEndOfMonthDays, txtDate, lblLastSerial,
                  lblProductionTotal, lblProductionAverage, lblCarsBuilt, lblEndOfMonthDays}) {
                out.expectText(f, c, designText(c), QStringLiteral("no calculation yet"));
            }
        } else {
            for (Control c : {txtFirstSerial, txtLastSerial, txtProductionTotal,
                              txtProductionAverage, txtCarsBuilt, txtEndOfMonthDays}) {
                out.expectText(f, c, QStringLiteral("0"), QStringLiteral("after a reset"));
            }
            out.expectText(f, txtDate, QString(), QStringLiteral("after a reset"));
            out.expectText(f, txtMonthDays, QString(), QStringLiteral("after a reset"));
        }
        // Month and year: their design texts, or those of an earlier lookup.
        bool monthKnown = f.text(txtMonth) == designText(txtMonth);
        for (int m = 1; m <= 13; ++m)
            monthKnown |= f.text(txtMonth) == monthName(static_cast<DateCalculators::Month>(m));
        out.expect(monthKnown, QStringLiteral("txtMonth holds \"%1\"").arg(f.text(txtMonth)));
        bool yearKnown = f.text(txtYear) == designText(txtYear) &&
                         f.text(txtYearStart) == designText(txtYearStart) &&
                         f.text(txtYearEnd) == designText(txtYearEnd);
        for (const DateCalculators::YearRow& y : DateCalculators::yearRows()) {
            yearKnown |= f.text(txtYear) == QString::number(y.year) &&
                         f.text(txtYearStart) == QString::number(y.first) &&
                         f.text(txtYearEnd) == QString::number(y.last);
        }
        out.expect(yearKnown,
                   QStringLiteral("txtYear, txtYearStart, txtYearEnd hold \"%1\", \"%2\", \"%3\"")
                       .arg(f.text(txtYear), f.text(txtYearStart), f.text(txtYearEnd)));
        return out.first();
    }

    // A result sentence: it must be the estimate of the serial it names.
    const qsizetype cut = date.indexOf(QStringLiteral(" was built on "));
    const QString serial = cut < 0 ? QString() : date.left(cut);
    const auto value = NumberRules::fieldValue(serial, seps);
    out.expect(
        cut > 0 && Reference::isWholeNumberText(serial) && value,
        QStringLiteral("lblDate is neither the prompt nor a result sentence: \"%1\"").arg(date));
    if (!out.first().isEmpty())
        return out.first();
    const auto e = expectedFor(*value);
    out.expect(e.has_value(),
               QStringLiteral("lblDate names serial %1, which no month holds").arg(serial));
    if (!e)
        return out.first();
    out.expectText(f, lblDate, sentence(serial, *e), QStringLiteral("the result sentence"));
    out.expect(e->dayValue >= 1 && e->dayValue <= e->daysValue,
               QStringLiteral("day %1 lies outside a month of %2 days")
                   .arg(e->dayValue)
                   .arg(e->daysValue));
    const QString why = QStringLiteral("estimate of serial ") + serial;
    out.expectText(f, txtMonth, e->month, why);
    out.expectText(f, txtMonthDays, e->days, why);
    out.expectText(f, txtFirstSerial, e->first, why);
    out.expectText(f, txtLastSerial, e->last, why);
    out.expectText(f, txtYear, e->year, why);
    out.expectText(f, txtYearStart, e->yearStart, why);
    out.expectText(f, txtYearEnd, e->yearEnd, why);
    out.expectText(f, txtProductionTotal, e->total, why);
    out.expectText(f, txtProductionAverage, e->average, why);
    out.expectText(f, txtCarsBuilt, e->carsBuilt, why);
    out.expectText(f, txtEndOfMonthDays, e->endOfMonthDays, why);
    out.expectText(f, txtDate, e->day, why);
    return out.first();
}

// Every text of the field set, to tell whether an action changed anything.
inline QStringList snapshot(const FieldSet& f)
{
    QStringList out;
    for (const ControlDef& def : controlTable())
        out << f.text(def.id);
    return out;
}

// The first control whose text differs between two snapshots, or empty text.
inline QString firstDifference(const QStringList& before, const QStringList& after)
{
    for (const ControlDef& def : controlTable()) {
        const auto i = static_cast<qsizetype>(indexOf(def.id));
        if (before[i] != after[i])
            return QStringLiteral("%1 changed from \"%2\" to \"%3\"")
                .arg(nameOf(def.id), before[i], after[i]);
    }
    return {};
}

} // namespace ModelChecks
