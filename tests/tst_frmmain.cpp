#include "support/ScriptedHost.h"

#include "app/Identity.h"
#include "ui/main/frmMain.h"

#include <QLocale>
#include <QTest>

#include <map>

using enum Control;

namespace {

NumberRules::Separators separatorsOf(const char* locale)
{
    return NumberRules::Separators::fromLocale(QLocale(QString::fromLatin1(locale)));
}

QStringList allTexts(const FieldSet& fields)
{
    QStringList out;
    for (const ControlDef& def : controlTable())
        out << fields.text(def.id);
    return out;
}

// Replaces a control's text the first time something else writes it, as an outside fault would.
struct Tamper : FieldSet::Observer {
    FieldSet* fields = nullptr;
    std::map<Control, QString> replacements;
    void textChanged(Control control) override
    {
        const auto it = replacements.find(control);
        if (it == replacements.end())
            return;
        const QString text = it->second;
        replacements.erase(it);
        fields->setText(control, text);
    }
    void caretMoved(Control) override {}
};

struct ChangeCounter : FieldSet::Observer {
    int changes = 0;
    void textChanged(Control) override { ++changes; }
    void caretMoved(Control) override {}
};

struct Window {
    explicit Window(const char* locale = "en_US")
        : form(host, appIdentity(), separatorsOf(locale))
    {
        form.Form_Load();
    }
    FieldSet& f() { return form.fields(); }
    void type(const QStringList& keystrokes)
    {
        for (const QString& text : keystrokes)
            form.userEdit(txtSerial, text, static_cast<int>(text.size()));
    }
    void calculate(const QString& serial)
    {
        form.userEdit(txtSerial, serial, static_cast<int>(serial.size()));
        form.cmdCalculate_Click();
    }
    ScriptedHost host;
    frmMain form;
};

} // namespace

class TestFrmMain : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void loadSetsTitleLineAndPrompt();
    void serialNormalisesAsTyped_data();
    void serialNormalisesAsTyped();
    void caretGoesToTheEndAfterEveryChange();
    void handlersComeToRest_data();
    void handlersComeToRest();
    void handlersCopyIntoTheirLabels_data();
    void handlersCopyIntoTheirLabels();
    void calculation_data();
    void calculation();
    void calculationShowsTheMonthInTheLabels();
    void uncalculableSerialWarnsAndChangesNothing_data();
    void uncalculableSerialWarnsAndChangesNothing();
    void emptySerialDoesNothing();
    void sameDayStillGivesThisSerialsSentence();
    void faultsInTheFieldsAreReportedNotThrown_data();
    void faultsInTheFieldsAreReportedNotThrown();
    void resetAnsweredOtherThanYesChangesNothing_data();
    void resetAnsweredOtherThanYesChangesNothing();
    void resetAnsweredYesClearsTheResults();
    void secondResetChangesNoText();
    void closeConfirmation_data();
    void closeConfirmation();
    void aboutOpensTheAboutWindow();
};

void TestFrmMain::loadSetsTitleLineAndPrompt()
{
    Window w;
    QCOMPARE(w.f().text(lblAbout), QStringLiteral("Quorvin Halvex Build Date Calculator, 1.0.22"));
    QCOMPARE(w.f().text(lblDate), frmMain::promptText());
    QCOMPARE(w.f().text(txtMonthDays), QStringLiteral("Days in Month"));
    QCOMPARE(w.f().text(lblFirstSerial), QStringLiteral("0"));
    QVERIFY(w.host.asked.empty());
}

void TestFrmMain::serialNormalisesAsTyped_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("keystrokes"); // the field's text after each edit
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, const QStringList& keys, const char* expected,
                  const char* locale = "en_US") {
        QTest::newRow(name) << QString::fromLatin1(locale) << keys << QString::fromLatin1(expected);
    };
    row("leading zeros vanish as they are typed", {"0", "07"}, "7");
    row("a lone zero stays", {"0"}, "0");
    row("a letter empties the whole field", {"1", "12", "12a"}, "");
    row("a lone minus empties the field", {"-"}, "");
    row("a group separator that leaves no number empties the field", {"1", "1,"}, "");
    row("a point after digits vanishes at once", {"1", "12", "12."}, "12");
    row("a pasted fraction rounds up", {"12.5"}, "13");
    row("a pasted fraction rounds down", {"12.4"}, "12");
    row("a pasted negative number stays", {"-5"}, "-5");
    row("pasted blanks vanish", {" 400 "}, "400");
    row("a pasted exponent is written out", {"1e3"}, "1000");
    row("pasted groups vanish", {"15,076,231"}, "15076231");
    row("pasted hexadecimal empties the field", {"0x1F"}, "");
    row("pasted inf empties the field", {"inf"}, "");
    row("de_DE: a pasted decimal comma rounds", {"12,5"}, "13", "de_DE");
    row("de_DE: a pasted point groups", {"1.234"}, "1234", "de_DE");
}

void TestFrmMain::serialNormalisesAsTyped()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, keystrokes);
    QFETCH(QString, expected);
    Window w(locale.toLatin1().constData());
    w.f().resetNestingCount();
    w.type(keystrokes);
    QCOMPARE(w.f().text(txtSerial), expected);
    QCOMPARE(w.f().caret(txtSerial), static_cast<int>(expected.size()));
    // A normalising handler comes to rest after one nested run of itself.
    QVERIFY(w.f().deepestNesting() <= 2);
    QVERIFY(w.host.asked.empty());
}

void TestFrmMain::caretGoesToTheEndAfterEveryChange()
{
    Window w;
    w.type({"1", "12"});
    w.form.userEdit(txtSerial, QStringLiteral("192"), 2); // a 9 typed in the middle
    QCOMPARE(w.f().text(txtSerial), QStringLiteral("192"));
    QCOMPARE(w.f().caret(txtSerial), 3);
    // Moving the caret without changing the text leaves it where the user put it.
    w.form.userEdit(txtSerial, QStringLiteral("192"), 1);
    QCOMPARE(w.f().caret(txtSerial), 1);
}

void TestFrmMain::handlersComeToRest_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("depth"); // deepest run of one handler inside the write
    QTest::newRow("text already in whole-number form runs its handler once")
        << int(txtSerial) << "1"
        << "12" << 1;
    QTest::newRow("leading zeros run the handler once more, nested") << int(txtSerial) << ""
                                                                     << "007" << 2;
    QTest::newRow("text that is no number is emptied in one nested run") << int(txtSerial) << ""
                                                                         << "abc" << 2;
    QTest::newRow("the same text again runs no handler") << int(txtSerial) << "7"
                                                         << "7" << 0;
    QTest::newRow("letters in the month days run their handler once") << int(txtMonthDays) << ""
                                                                      << "abc" << 1;
    QTest::newRow("a fraction in the first serial comes to rest") << int(txtFirstSerial) << ""
                                                                  << "12.6" << 2;
}

void TestFrmMain::handlersComeToRest()
{
    QFETCH(int, field);
    QFETCH(QString, before);
    QFETCH(QString, text);
    QFETCH(int, depth);
    Window w;
    w.f().setText(Control(field), before);
    w.f().resetNestingCount();
    ChangeCounter counter;
    w.f().setObserver(&counter);
    w.f().setText(Control(field), text);
    QCOMPARE(w.f().deepestNesting(), depth);
    if (depth == 0)
        QCOMPARE(counter.changes, 0);
}

void TestFrmMain::handlersCopyIntoTheirLabels_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("fieldAfter");
    QTest::addColumn<int>("label"); // -1: no label
    QTest::addColumn<QString>("labelAfter");
    auto row = [](const char* name, Control field, const char* text, const char* fieldAfter,
                  int label, const char* labelAfter, const char* locale = "en_US") {
        QTest::newRow(name) << QString::fromLatin1(locale) << int(field) << QString::fromUtf8(text)
                            << QString::fromUtf8(fieldAfter) << label
                            << QString::fromUtf8(labelAfter);
    };
    row("the total is grouped into its label", txtProductionTotal, "1234", "1234",
        int(lblProductionTotal), "1,234");
    row("an empty total gives an empty label", txtProductionTotal, "", "", int(lblProductionTotal),
        "");
    row("a zero total shows 0", txtProductionTotal, "0", "0", int(lblProductionTotal), "0");
    row("the average is grouped into its label", txtProductionAverage, "3637", "3637",
        int(lblProductionAverage), "3,637");
    row("cars built are grouped into their label", txtCarsBuilt, "1234567", "1234567",
        int(lblCarsBuilt), "1,234,567");
    row("text that is no number is copied unchanged", txtCarsBuilt, "abc", "abc", int(lblCarsBuilt),
        "abc");
    row("days to month end are copied as they are", txtEndOfMonthDays, "007", "007",
        int(lblEndOfMonthDays), "007");
    row("the first serial is normalised and copied", txtFirstSerial, "12.6", "13",
        int(lblFirstSerial), "13");
    row("the first serial is copied without grouping", txtFirstSerial, "10886260", "10886260",
        int(lblFirstSerial), "10886260");
    row("a first serial that is no number is emptied", txtFirstSerial, "x", "", int(lblFirstSerial),
        "");
    row("the last serial is normalised and copied", txtLastSerial, " 0646 ", "646",
        int(lblLastSerial), "646");
    row("month days are normalised", txtMonthDays, "30.6", "31", -1, "");
    row("letters in the month days stay as they are", txtMonthDays, "abc", "abc", -1, "");
    row("de_DE: the total is grouped with points", txtProductionTotal, "1234567", "1234567",
        int(lblProductionTotal), "1.234.567", "de_DE");
}

void TestFrmMain::handlersCopyIntoTheirLabels()
{
    QFETCH(QString, locale);
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, fieldAfter);
    QFETCH(int, label);
    QFETCH(QString, labelAfter);
    Window w(locale.toLatin1().constData());
    w.f().setText(Control(field), QStringLiteral("placeholder"));
    w.f().setText(Control(field), text);
    QCOMPARE(w.f().text(Control(field)), fieldAfter);
    if (label >= 0)
        QCOMPARE(w.f().text(Control(label)), labelAfter);
}

void TestFrmMain::calculation_data()
{
    QTest::addColumn<QString>("serial");
    // total, average, cars built, days to month end, day
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("sentence");
    auto row = [](const char* name, const char* serial, const QStringList& steps,
                  const char* sentence) {
        QTest::newRow(name) << QString::fromLatin1(serial) << steps
                            << QString::fromLatin1(sentence);
    };
    row("an average below 1 becomes 1", "5", {"10", "1", "6", "6", "25"},
        "5 was built on October 25, 1908.");
    row("each step uses the rounded result of the one before", "400",
        {"336", "11", "246", "22", "9"}, "400 was built on January 9, 1909.");
    row("the first serial of all", "1", {"10", "1", "10", "10", "21"},
        "1 was built on October 21, 1908.");
    row("a month's last serial is its last day", "646", {"336", "11", "0", "0", "31"},
        "646 was built on January 31, 1909.");
    row("a day that rounds to 0 becomes 1", "310", {"336", "11", "336", "31", "1"},
        "310 was built on January 1, 1909.");
    row("the last serial of all", "15076231", {"7273", "235", "0", "0", "31"},
        "15076231 was built on December 31, 1927.");
    row("a December 1924 serial without a yearly row is dated 1924", "10944034",
        {"112740", "3637", "54966", "15", "16"}, "10944034 was built on December 16, 1924.");
    row("a December 1924 serial in the yearly 1925 range is dated 1924", "10998500",
        {"112740", "3637", "500", "0", "31"}, "10998500 was built on December 31, 1924.");
    row("a serial shared by January and February 1924 is January's", "9232672",
        {"315299", "10171", "90999", "9", "22"}, "9232672 was built on January 22, 1924.");
    row("February 1924 counts the shared serials in its total", "9323672",
        {"195049", "6966", "104049", "15", "13"}, "9323672 was built on February 13, 1924.");
    row("the Oct-Dec 1912 row names its months", "157425", {"26138", "843", "26138", "31", "1"},
        "157425 was built on Oct-Dec 1, 1912.");
}

void TestFrmMain::calculation()
{
    QFETCH(QString, serial);
    QFETCH(QStringList, steps);
    QFETCH(QString, sentence);
    Window w;
    w.calculate(serial);
    const QStringList actual{w.f().text(txtProductionTotal), w.f().text(txtProductionAverage),
                             w.f().text(txtCarsBuilt), w.f().text(txtEndOfMonthDays),
                             w.f().text(txtDate)};
    QCOMPARE(actual, steps);
    QCOMPARE(w.f().text(lblDate), sentence);
    QVERIFY(w.host.asked.empty());

    // The same serial after another calculation gives the same result.
    Window again;
    again.calculate(QStringLiteral("2843127"));
    again.calculate(serial);
    QCOMPARE(allTexts(again.f()), allTexts(w.f()));
}

void TestFrmMain::calculationShowsTheMonthInTheLabels()
{
    Window w;
    w.calculate(QStringLiteral("10998500"));
    QCOMPARE(w.f().text(lblFirstSerial), QStringLiteral("10886260"));
    QCOMPARE(w.f().text(lblLastSerial), QStringLiteral("10999000"));
    QCOMPARE(w.f().text(lblProductionTotal), QStringLiteral("112,740"));
    QCOMPARE(w.f().text(lblProductionAverage), QStringLiteral("3,637"));
    QCOMPARE(w.f().text(lblCarsBuilt), QStringLiteral("500"));
    QCOMPARE(w.f().text(lblEndOfMonthDays), QStringLiteral("0"));
    QCOMPARE(w.f().text(txtMonth), QStringLiteral("December"));
    QCOMPARE(w.f().text(txtYear), QStringLiteral("1924"));
    QCOMPARE(w.f().text(txtYearStart), QStringLiteral("9008372"));
    QCOMPARE(w.f().text(txtYearEnd), QStringLiteral("10944033"));
}

void TestFrmMain::uncalculableSerialWarnsAndChangesNothing_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    const QString range = QStringLiteral("Please enter a serial number between 1 and 15076231");
    const QString invalid = QStringLiteral("Invalid Serial Number");
    const QString notFound = QStringLiteral("Serial Number Not Found");
    const QString unrecorded =
        QStringLiteral("No production month is recorded for serial number %1.");
    QTest::newRow("zero is out of range") << "0" << invalid << range;
    QTest::newRow("a negative serial is out of range") << "-5" << invalid << range;
    QTest::newRow("one above the last serial is out of range") << "15076232" << invalid << range;
    QTest::newRow("a huge serial is out of range") << "1e300" << invalid << range;
    QTest::newRow("the first unassigned serial is not found")
        << "2831427" << notFound << unrecorded.arg(2831427);
    QTest::newRow("the last unassigned serial is not found")
        << "2843126" << notFound << unrecorded.arg(2843126);
}

void TestFrmMain::uncalculableSerialWarnsAndChangesNothing()
{
    QFETCH(QString, serial);
    QFETCH(QString, title);
    QFETCH(QString, text);
    for (const bool afterCalculation : {false, true}) {
        Window w;
        if (afterCalculation)
            w.calculate(QStringLiteral("400"));
        w.type({serial});
        const QStringList before = allTexts(w.f());
        w.host.answerNext(Answer::Ok);
        w.form.cmdCalculate_Click();
        QCOMPARE(w.host.asked.size(), std::size_t(1));
        const Message& m = w.host.asked.front();
        QCOMPARE(m.title, title);
        QCOMPARE(m.text, text);
        QCOMPARE(m.icon, MessageIcon::Warning);
        QCOMPARE(m.buttons, MessageButtons::Ok);
        QCOMPARE(allTexts(w.f()), before);
    }
}

void TestFrmMain::emptySerialDoesNothing()
{
    Window w;
    w.calculate(QStringLiteral("400"));
    w.type({QString()});
    const QStringList before = allTexts(w.f());
    w.form.cmdCalculate_Click();
    QVERIFY(w.host.asked.empty());
    QCOMPARE(allTexts(w.f()), before);
}

void TestFrmMain::sameDayStillGivesThisSerialsSentence()
{
    Window w;
    w.calculate(QStringLiteral("400"));
    QCOMPARE(w.f().text(txtDate), QStringLiteral("9"));
    w.calculate(QStringLiteral("401")); // also day 9 of January 1909
    QCOMPARE(w.f().text(txtDate), QStringLiteral("9"));
    QCOMPARE(w.f().text(lblDate), QStringLiteral("401 was built on January 9, 1909."));
    w.calculate(QStringLiteral("401"));
    QCOMPARE(w.f().text(lblDate), QStringLiteral("401 was built on January 9, 1909."));
}

void TestFrmMain::faultsInTheFieldsAreReportedNotThrown_data()
{
    QTest::addColumn<QStringList>("tampering"); // control name, replacement, ...
    QTest::addColumn<QString>("text");
    QTest::newRow("month days that are no number")
        << QStringList{"txtMonthDays", "abc"}
        << "Type mismatch: txtMonthDays holds \"abc\", which is not a number.";
    QTest::newRow("zero month days") << QStringList{"txtMonthDays", "0"}
                                     << "Division by zero while calculating txtProductionAverage.";
    QTest::newRow("a total too large for a double")
        << QStringList{"txtFirstSerial", "-1e308", "txtLastSerial", "1e308"}
        << "Overflow while calculating txtProductionTotal.";
}

void TestFrmMain::faultsInTheFieldsAreReportedNotThrown()
{
    QFETCH(QStringList, tampering);
    QFETCH(QString, text);
    Window w;
    Tamper tamper;
    tamper.fields = &w.f();
    for (qsizetype i = 0; i + 1 < tampering.size(); i += 2) {
        for (const ControlDef& def : controlTable()) {
            if (QLatin1String(def.name) == tampering[i])
                tamper.replacements[def.id] = tampering[i + 1];
        }
    }
    QCOMPARE(tamper.replacements.size(), std::size_t(tampering.size() / 2));
    w.f().setObserver(&tamper);
    w.host.answerNext(Answer::Ok);
    w.calculate(QStringLiteral("400"));
    QCOMPARE(w.host.asked.size(), std::size_t(1));
    QCOMPARE(w.host.asked.front().title, QStringLiteral("Calculation Error"));
    QCOMPARE(w.host.asked.front().text, text);
    QCOMPARE(w.host.asked.front().icon, MessageIcon::Warning);
    QCOMPARE(w.f().text(lblDate), frmMain::promptText()); // no sentence from a failed calculation
}

void TestFrmMain::resetAnsweredOtherThanYesChangesNothing_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("No keeps the result") << int(Answer::No);
    QTest::newRow("closing the box keeps the result") << int(Answer::Closed);
}

void TestFrmMain::resetAnsweredOtherThanYesChangesNothing()
{
    QFETCH(int, answer);
    Window w;
    w.calculate(QStringLiteral("400"));
    const QStringList before = allTexts(w.f());
    w.host.answerNext(Answer(answer));
    w.form.cmdReset_Click();
    QCOMPARE(w.host.asked.size(), std::size_t(1));
    QCOMPARE(w.host.asked.front(), frmMain::resetQuestion());
    QCOMPARE(allTexts(w.f()), before);
}

void TestFrmMain::resetAnsweredYesClearsTheResults()
{
    Window w;
    w.calculate(QStringLiteral("400"));
    w.host.answerNext(Answer::Yes);
    w.form.cmdReset_Click();
    const Message& m = w.host.asked.front();
    QCOMPARE(m.title, QStringLiteral("Reset Calculator"));
    QCOMPARE(m.text,
             QStringLiteral(
                 "Are you sure you want to reset the calculator? This action cannot be undone."));
    QCOMPARE(m.icon, MessageIcon::Question);
    QCOMPARE(m.buttons, MessageButtons::YesNo);
    QCOMPARE(m.defaultAnswer, Answer::Yes);

    QCOMPARE(w.f().text(txtSerial), QString());
    for (Control c : {txtFirstSerial, txtLastSerial, txtProductionTotal, txtProductionAverage,
                      txtCarsBuilt, txtEndOfMonthDays, lblFirstSerial, lblLastSerial,
                      lblProductionTotal, lblProductionAverage, lblCarsBuilt, lblEndOfMonthDays}) {
        QCOMPARE(w.f().text(c), QStringLiteral("0"));
    }
    QCOMPARE(w.f().text(txtDate), QString());
    QCOMPARE(w.f().text(txtMonthDays), QString());
    QCOMPARE(w.f().text(lblDate), frmMain::promptText());
    // The lookups' month and year stay.
    QCOMPARE(w.f().text(txtMonth), QStringLiteral("January"));
    QCOMPARE(w.f().text(txtYear), QStringLiteral("1909"));
    QCOMPARE(w.f().text(lblAbout), QStringLiteral("Quorvin Halvex Build Date Calculator, 1.0.22"));
}

void TestFrmMain::secondResetChangesNoText()
{
    Window w;
    w.calculate(QStringLiteral("400"));
    w.host.answerNext(Answer::Yes);
    w.form.cmdReset_Click();
    ChangeCounter counter;
    w.f().setObserver(&counter);
    w.host.answerNext(Answer::Yes);
    w.form.cmdReset_Click();
    QCOMPARE(counter.changes, 0);
    QCOMPARE(w.f().text(lblDate), frmMain::promptText());
}

void TestFrmMain::closeConfirmation_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("ends");
    QTest::newRow("Yes ends the application") << int(Answer::Yes) << true;
    QTest::newRow("No keeps the window") << int(Answer::No) << false;
    QTest::newRow("closing the box keeps the window") << int(Answer::Closed) << false;
}

void TestFrmMain::closeConfirmation()
{
    QFETCH(int, answer);
    QFETCH(bool, ends);
    Window w;
    w.calculate(QStringLiteral("400"));
    const QStringList before = allTexts(w.f());
    w.host.answerNext(Answer(answer));
    qint16 cancel = 0;
    w.form.Form_QueryUnload(cancel, 0);
    const Message& m = w.host.asked.front();
    QCOMPARE(m.title, QStringLiteral("Close Calculator"));
    QCOMPARE(m.defaultAnswer, Answer::Yes);
    QCOMPARE(m.text, QStringLiteral(
                         "Are you sure you want to close Quorvin Halvex Build Date Calculator?"));
    QCOMPARE(m.icon, MessageIcon::Question);
    QCOMPARE(m.buttons, MessageButtons::YesNo);
    QCOMPARE(w.host.ended, ends ? 1 : 0);
    QCOMPARE(cancel, ends ? qint16(0) : frmMain::kCancel);
    QCOMPARE(allTexts(w.f()), before);
}

void TestFrmMain::aboutOpensTheAboutWindow()
{
    Window w;
    w.form.cmdAbout_Click();
    QCOMPARE(w.host.aboutShown, 1);
    QVERIFY(w.host.asked.empty());
}

QTEST_APPLESS_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
