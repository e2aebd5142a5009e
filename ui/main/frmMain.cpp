#include "frmMain.h"

#include "app/Identity.h"

#include <exception>
#include <utility>

using enum Control;
using NumberRules::Mask;

frmMain::frmMain(FormHost& host, const AppIdentity& identity, NumberRules::Separators separators)
    : host_(host)
    , identity_(identity)
    , fields_(std::move(separators))
    , titleLine_(identity.productName + QStringLiteral(", ") + identity.versionText())
{
    fields_.setHandler(this);
}

frmMain::~frmMain() { fields_.setHandler(nullptr); }

QString frmMain::promptText()
{
    return QStringLiteral(
        "Enter your serial number, then click 'Calculate' to reveal the build date.");
}

Message frmMain::rangeWarning()
{
    return {QStringLiteral("Invalid Serial Number"),
            QStringLiteral("Please enter a serial number between 1 and 15076231"),
            MessageIcon::Warning, MessageButtons::Ok, Answer::Ok};
}

Message frmMain::notFoundWarning(const QString& serialText)
{
    return {QStringLiteral("Serial Number Not Found"),
            QStringLiteral("No production month is recorded for serial number %1.").arg(serialText),
            MessageIcon::Warning, MessageButtons::Ok, Answer::Ok};
}

Message frmMain::resetQuestion()
{
    return {QStringLiteral("Reset Calculator"),
            QStringLiteral(
                "Are you sure you want to reset the calculator? This action cannot be undone."),
            MessageIcon::Question, MessageButtons::YesNo, Answer::Yes};
}

Message frmMain::closeQuestion() const
{
    return {QStringLiteral("Close Calculator"),
            QStringLiteral("Are you sure you want to close %1?").arg(identity_.productName),
            MessageIcon::Question, MessageButtons::YesNo, Answer::Yes};
}

void frmMain::warn(const QString& title, const QString& text)
{
    host_.ask({title, text, MessageIcon::Warning, MessageButtons::Ok, Answer::Ok});
}

// ---- Change handlers ---------------------------------------------------------------------------

void frmMain::fieldChanged(Control control)
{
    switch (control) {
    case txtSerial:
        return txtSerial_Change();
    case txtFirstSerial:
        return txtFirstSerial_Change();
    case txtLastSerial:
        return txtLastSerial_Change();
    case txtMonthDays:
        return txtMonthDays_Change();
    case txtProductionTotal:
        return txtProductionTotal_Change();
    case txtProductionAverage:
        return txtProductionAverage_Change();
    case txtCarsBuilt:
        return txtCarsBuilt_Change();
    case txtEndOfMonthDays:
        return txtEndOfMonthDays_Change();
    case txtDate:
        return txtDate_Change();
    default:
        return; // no other control reacts to a change
    }
}

const QString& frmMain::normalise(Control control)
{
    if (auto text =
            NumberRules::reformatted(fields_.text(control), Mask::Zero, fields_.separators()))
        fields_.setText(control, std::move(*text));
    fields_.setCaret(control, static_cast<int>(fields_.text(control).size()));
    return fields_.text(control);
}

void frmMain::normaliseAndEmpty(Control control)
{
    normalise(control);
    if (!fields_.value(control))
        fields_.setText(control, QString());
}

void frmMain::copyGrouped(Control field, Control label)
{
    const QString& text = fields_.text(field);
    if (auto grouped = NumberRules::reformatted(text, Mask::Grouped, fields_.separators()))
        fields_.setText(label, std::move(*grouped));
    else
        fields_.setText(label, text);
}

void frmMain::txtSerial_Change() { normaliseAndEmpty(txtSerial); }

void frmMain::txtFirstSerial_Change()
{
    normaliseAndEmpty(txtFirstSerial);
    fields_.setText(lblFirstSerial, fields_.text(txtFirstSerial));
}

void frmMain::txtLastSerial_Change()
{
    normaliseAndEmpty(txtLastSerial);
    fields_.setText(lblLastSerial, fields_.text(txtLastSerial));
}

void frmMain::txtMonthDays_Change() { normalise(txtMonthDays); }

void frmMain::txtProductionTotal_Change() { copyGrouped(txtProductionTotal, lblProductionTotal); }

void frmMain::txtProductionAverage_Change()
{
    copyGrouped(txtProductionAverage, lblProductionAverage);
}

void frmMain::txtCarsBuilt_Change() { copyGrouped(txtCarsBuilt, lblCarsBuilt); }

void frmMain::txtEndOfMonthDays_Change()
{
    fields_.setText(lblEndOfMonthDays, fields_.text(txtEndOfMonthDays));
}

void frmMain::txtDate_Change()
{
    const QString& serial = fields_.text(txtSerial);
    const QString& month = fields_.text(txtMonth);
    const QString& day = fields_.text(txtDate);
    const QString& year = fields_.text(txtYear);
    QString sentence;
    sentence.reserve(serial.size() + month.size() + day.size() + year.size() + 20);
    sentence.append(serial)
        .append(u" was built on ")
        .append(month)
        .append(u' ')
        .append(day)
        .append(u", ")
        .append(year)
        .append(u'.');
    fields_.setText(lblDate, std::move(sentence));
}

// ---- Lifecycle ---------------------------------------------------------------------------------

void frmMain::userEdit(Control control, const QString& text, int caret)
{
    try {
        if (!fields_.setText(control, text))
            fields_.setCaret(control, caret);
    } catch (const std::exception& e) {
        warn(QStringLiteral("Unexpected Error"), QString::fromLocal8Bit(e.what()));
    }
}

void frmMain::Form_Load()
{
    fields_.setText(lblAbout, titleLine_);
    fields_.setText(lblDate, promptText());
}

void frmMain::cmdReset_Click()
{
    if (host_.ask(resetQuestion()) != Answer::Yes)
        return;
    try {
        const QString zero = QStringLiteral("0");
        fields_.setText(txtSerial, QString());
        for (Control c : {txtFirstSerial, txtLastSerial, txtProductionTotal, txtProductionAverage,
                          txtCarsBuilt, txtEndOfMonthDays}) {
            fields_.setText(c, zero);
        }
        fields_.setText(txtDate, QString());
        fields_.setText(txtMonthDays, QString());
        fields_.setText(lblDate, promptText());
        host_.announce(fields_.text(lblDate));
    } catch (const std::exception& e) {
        warn(QStringLiteral("Unexpected Error"), QString::fromLocal8Bit(e.what()));
    }
}

void frmMain::cmdAbout_Click() { host_.showAbout(); }

void frmMain::Form_QueryUnload(qint16& cancel, int /*unloadMode*/)
{
    if (host_.ask(closeQuestion()) == Answer::Yes) {
        cancel = 0;
        host_.endApplication();
        return;
    }
    cancel = kCancel;
}
