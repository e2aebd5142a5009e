#pragma once

#include "FieldSet.h"
#include "FormHost.h"

#include <QtGlobal>

struct AppIdentity;

// The main window's logic, with no widget in sight.
//
// Data flow of one calculation:
//   keystroke -> txtSerial_Change normalises the serial ("#######0", or empty)
//   -> cmdCalculate_Click: range check, then the lookups FindProductionMonth / FindProductionYear
//   -> the five steps write txtProductionTotal, txtProductionAverage, txtCarsBuilt,
//      txtEndOfMonthDays, txtDate, each read back as a number by the next step
//   -> their change handlers copy the values into the labels
//   -> txtDate_Change composes the result sentence in lblDate.
class frmMain final : private FieldSet::Handler {
public:
    static constexpr qint16 kCancel = -1;

    frmMain(FormHost& host, const AppIdentity& identity, NumberRules::Separators separators);
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;
    ~frmMain();

    FieldSet& fields() { return fields_; }
    const FieldSet& fields() const { return fields_; }

    // A user edit of a text field. When the text is unchanged the caret goes where the user left
    // it; otherwise the field's change handler places it.
    void userEdit(Control control, const QString& text, int caret);

    void Form_Load();
    void cmdCalculate_Click();
    void cmdReset_Click();
    void cmdAbout_Click();
    void Form_QueryUnload(qint16& cancel, int unloadMode);

    // Message texts.
    static QString promptText();
    static Message rangeWarning();
    static Message notFoundWarning(const QString& serialText);
    static Message resetQuestion();
    Message closeQuestion() const;

private:
    void fieldChanged(Control control) override;

    void txtSerial_Change();
    void txtFirstSerial_Change();
    void txtLastSerial_Change();
    void txtMonthDays_Change();
    void txtProductionTotal_Change();
    void txtProductionAverage_Change();
    void txtCarsBuilt_Change();
    void txtEndOfMonthDays_Change();
    void txtDate_Change();

    // Steps 1 and 2 of the normalising handlers; returns the text they leave.
    const QString& normalise(Control control);
    void normaliseAndEmpty(Control control);
    void copyGrouped(Control field, Control label);

    void calculate();
    bool estimate();
    void warn(const QString& title, const QString& text);

    FormHost& host_;
    const AppIdentity& identity_;
    FieldSet fields_;
    const QString titleLine_; // "product, 1.0.22"
};

// The buttons and the handlers they run, for every view of the form.
struct ButtonHandler {
    Control id;
    void (frmMain::*click)();
};
inline constexpr ButtonHandler kButtonHandlers[] = {
    {Control::cmdCalculate, &frmMain::cmdCalculate_Click},
    {Control::cmdReset, &frmMain::cmdReset_Click},
    {Control::cmdAbout, &frmMain::cmdAbout_Click},
};
