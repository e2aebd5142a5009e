// The Calculate command: the input check, the two lookups and the five steps of the estimate.
#include "data/DateCalculators.h"
#include "ui/main/frmMain.h"

#include <cmath>
#include <exception>

using enum Control;
using NumberRules::Mask;

namespace {

enum class Operation { Subtract, Divide };

struct Step {
    Control target;
    Operation operation;
    Control left;
    Control right;
    Mask mask;
    const char16_t* floorText; // written when the result's leading value is below 1; or none
};

// Each step reads its operands back from the fields the earlier steps wrote, so every
// intermediate value is the rounded whole number that the field holds.
constexpr Step kSteps[] = {
    {txtProductionTotal, Operation::Subtract, txtLastSerial, txtFirstSerial, Mask::Blank, nullptr},
    {txtProductionAverage, Operation::Divide, txtProductionTotal, txtMonthDays, Mask::Blank, u"1"},
    {txtCarsBuilt, Operation::Subtract, txtLastSerial, txtSerial, Mask::Zero, nullptr},
    {txtEndOfMonthDays, Operation::Divide, txtCarsBuilt, txtProductionAverage, Mask::Blank, u"0"},
    {txtDate, Operation::Subtract, txtMonthDays, txtEndOfMonthDays, Mask::Blank, u"1"},
};

QString nameOf(Control control) { return QString::fromLatin1(controlDef(control).name); }

} // namespace

void frmMain::cmdCalculate_Click()
{
    try {
        calculate();
    } catch (const std::exception& e) {
        warn(QStringLiteral("Calculation Error"),
             QStringLiteral("The calculation failed: %1").arg(QString::fromLocal8Bit(e.what())));
    }
}

void frmMain::calculate()
{
    if (fields_.text(txtSerial).isEmpty())
        return;
    const auto serial = fields_.value(txtSerial);
    if (!serial || *serial > DateCalculators::kLastSerial ||
        *serial < DateCalculators::kFirstSerial) {
        host_.ask(rangeWarning());
        return;
    }
    const DateCalculators::MonthRow* month = DateCalculators::monthRowFor(*serial);
    if (!month) {
        host_.ask(notFoundWarning(fields_.text(txtSerial)));
        return;
    }

    DateCalculators::FindProductionMonth(fields_);
    DateCalculators::FindProductionYear(fields_);
    // The yearly table leaves some December 1924 serials without a year, or gives them 1925: the
    // year of the result is always that of the month that holds the serial.
    if (fields_.value(txtYear) != double(month->year)) {
        if (const DateCalculators::YearRow* year = DateCalculators::yearRowOf(month->year))
            DateCalculators::writeYearRow(fields_, *year);
    }
    if (estimate())
        host_.announce(fields_.text(lblDate));
}

bool frmMain::estimate()
{
    for (const Step& step : kSteps) {
        const auto left = fields_.value(step.left);
        const auto right = fields_.value(step.right);
        if (!left || !right) {
            const Control bad = left ? step.right : step.left;
            warn(QStringLiteral("Calculation Error"),
                 QStringLiteral("Type mismatch: %1 holds \"%2\", which is not a number.")
                     .arg(nameOf(bad), fields_.text(bad)));
            return false;
        }
        if (step.operation == Operation::Divide && *right == 0) {
            warn(QStringLiteral("Calculation Error"),
                 QStringLiteral("Division by zero while calculating %1.").arg(nameOf(step.target)));
            return false;
        }
        const double result = step.operation == Operation::Divide ? *left / *right : *left - *right;
        if (!std::isfinite(result)) {
            warn(QStringLiteral("Calculation Error"),
                 QStringLiteral("Overflow while calculating %1.").arg(nameOf(step.target)));
            return false;
        }

        bool changed = fields_.setText(
            step.target, NumberRules::format(result, step.mask, fields_.separators()));
        if (step.floorText && NumberRules::leadingValue(fields_.text(step.target)) < 1)
            changed |= fields_.setText(step.target, QString::fromUtf16(step.floorText));
        // The same day as before is no change of txtDate, but the sentence must still be this
        // calculation's.
        if (step.target == txtDate && !changed)
            txtDate_Change();
    }
    return true;
}
