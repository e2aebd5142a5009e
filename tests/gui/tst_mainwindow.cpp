// The main window driven through its real widgets: keys, mouse, clipboard, message boxes.
#include "ModalResponder.h"
#include "ui/main/view/frmMainWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTestEventList>
#include <QWindow>

#include <cstdio>
#include <memory>

using enum Control;

Q_DECLARE_METATYPE(ExpectedBox)
Q_DECLARE_METATYPE(Control)

namespace {

const QString kSentence400 = QStringLiteral("400 was built on January 9, 1909.");

using Snapshot = std::array<QString, kControlCount>;

struct Window {
    frmMainWindow w{NumberRules::Separators{}};
    int ends = 0;
    int exitCode = -1;

    Window()
    {
        w.setApplicationEnder([this](int code) {
            ++ends;
            exitCode = code;
        });
        w.load();
        w.show();
        QApplication::setActiveWindow(&w);
    }
    QLineEdit* serial() const { return qobject_cast<QLineEdit*>(w.widgetOf(txtSerial)); }
    QPushButton* button(Control c) const { return qobject_cast<QPushButton*>(w.widgetOf(c)); }
    const QString& text(Control c) const { return w.fields().text(c); }
    QString shown(Control c) const { return w.widgetOf(c)->property("text").toString(); }
    Snapshot snapshot() const
    {
        Snapshot s;
        for (const ControlDef& def : controlTable())
            s[indexOf(def.id)] = text(def.id);
        return s;
    }
    void calculate(const QString& serialText)
    {
        QTest::keyClicks(serial(), serialText);
        QTest::keyClick(serial(), Qt::Key_Return);
    }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<Window> win;

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void init()
    {
        win = std::make_unique<Window>();
        QVERIFY(QTest::qWaitForWindowActive(&win->w));
    }
    void cleanup() { win.reset(); }

    void serialEditing_data();
    void serialEditing();
    void assignedTextIsNeverCut();
    void pastedSerialIsDatedAsTheBatchCommandDates_data();
    void pastedSerialIsDatedAsTheBatchCommandDates();
    void calculateKeys_data();
    void calculateKeys();
    void escapeDoesNothing();
    void tabOrderGoesRound();
    void reset_data();
    void reset();
    void close_data();
    void close();
    void messageBoxes_data();
    void messageBoxes();
    void aboutOpensAfreshEachTime();
    void unexpectedBoxFailsInsteadOfHanging();
    void yesEndsTheProcessWithZero();
};

void TestMainWindow::serialEditing_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QTestEventList>("events");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("caret");

    auto typed = [](const char* keys) {
        QTestEventList e;
        e.addKeyClicks(QString::fromLatin1(keys));
        return e;
    };
    auto paste = [](QTestEventList e = {}) {
        e.addKeyClick(Qt::Key_V, Qt::ControlModifier);
        return e;
    };
    QTestEventList middle = typed("123");
    middle.addKeyClick(Qt::Key_Home);
    middle.addKeyClick(Qt::Key_Right);
    middle.addKeyClick(Qt::Key_4);
    QTestEventList backspace = typed("1234");
    backspace.addKeyClick(Qt::Key_Left);
    backspace.addKeyClick(Qt::Key_Left);
    backspace.addKeyClick(Qt::Key_Backspace);
    QTestEventList deleteFirst = typed("105");
    deleteFirst.addKeyClick(Qt::Key_Home);
    deleteFirst.addKeyClick(Qt::Key_Delete);
    QTestEventList cut = typed("400");
    cut.addKeyClick(Qt::Key_A, Qt::ControlModifier);
    cut.addKeyClick(Qt::Key_X, Qt::ControlModifier);
    QTestEventList replaceLast = typed("12345678");
    replaceLast.addKeyClick(Qt::Key_Left, Qt::ShiftModifier);
    replaceLast.addKeyClick(Qt::Key_9);
    QTestEventList shiftInsert;
    shiftInsert.addKeyClick(Qt::Key_Insert, Qt::ShiftModifier);
    QTestEventList undo = cut;
    undo.addKeyClick(Qt::Key_Z, Qt::ControlModifier);
    const QString none;

    QTest::newRow("digits stay as typed") << none << typed("400") << "400" << 3;
    QTest::newRow("leading zeros vanish: 0 then 7 leaves 7") << none << typed("07") << "7" << 1;
    QTest::newRow("a lone 0 stays 0") << none << typed("0") << "0" << 1;
    QTest::newRow("a letter empties the whole field") << none << typed("12a") << "" << 0;
    QTest::newRow("a lone minus empties the field") << none << typed("-") << "" << 0;
    QTest::newRow("a point after digits vanishes: 12. leaves 12")
        << none << typed("12.") << "12" << 2;
    QTest::newRow("a ninth typed character is refused")
        << none << typed("123456789") << "12345678" << 8;
    QTest::newRow("pasting 12.5 leaves 13") << "12.5" << paste() << "13" << 2;
    QTest::newRow("pasting 12.4 leaves 12") << "12.4" << paste() << "12" << 2;
    QTest::newRow("pasting -5 leaves -5") << "-5" << paste() << "-5" << 2;
    QTest::newRow("pasting a word empties the field") << "abc" << paste() << "" << 0;
    QTest::newRow("a typed character may replace a selection at the limit")
        << none << replaceLast << "12345679" << 8;
    QTest::newRow("a paste comes whole: 15,076,231 leaves 15076231")
        << "15,076,231" << paste() << "15076231" << 8;
    QTest::newRow("a paste comes whole: 1,234,567 leaves 1234567")
        << "1,234,567" << paste() << "1234567" << 7;
    QTest::newRow("Shift+Insert pastes whole") << "15,076,231" << shiftInsert << "15076231" << 8;
    QTest::newRow("a paste longer than 8 digits stays whole")
        << "1234567890123" << paste() << "1234567890123" << 13;
    QTest::newRow("a paste after 6 typed digits stays whole")
        << "7890" << paste(typed("123456")) << "1234567890" << 10;
    QTest::newRow("typing in the middle puts the caret at the end")
        << none << middle << "1423" << 4;
    QTest::newRow("backspace in the middle puts the caret at the end")
        << none << backspace << "134" << 3;
    QTest::newRow("deleting the first digit drops the zero it exposes")
        << none << deleteFirst << "5" << 1;
    QTest::newRow("cutting everything empties the field") << none << cut << "" << 0;
    QTest::newRow("undo of a cut brings the serial back") << none << undo << "400" << 3;
}

void TestMainWindow::serialEditing()
{
    QFETCH(QString, clipboard);
    QFETCH(QTestEventList, events);
    QFETCH(QString, expected);
    QFETCH(int, caret);
    QApplication::clipboard()->setText(clipboard);

    ModalResponder responder;
    events.simulate(win->serial());

    QCOMPARE(win->text(txtSerial), expected);
    QCOMPARE(win->serial()->text(), expected);
    QCOMPARE(win->w.fields().caret(txtSerial), caret);
    QCOMPARE(win->serial()->cursorPosition(), caret);
    VERIFY_RESPONDER(responder);
}

void TestMainWindow::assignedTextIsNeverCut()
{
    const QString ten = QStringLiteral("1234567890");
    win->w.form().fields().setText(txtSerial, ten);
    QCOMPARE(win->serial()->text(), ten);

    win->serial()->end(false);
    QTest::keyClick(win->serial(), Qt::Key_5); // no room for an eleventh
    QCOMPARE(win->text(txtSerial), ten);
    QTest::keyClick(win->serial(), Qt::Key_Backspace);
    QCOMPARE(win->text(txtSerial), QStringLiteral("123456789"));
    QCOMPARE(win->serial()->text(), QStringLiteral("123456789"));
}

void TestMainWindow::pastedSerialIsDatedAsTheBatchCommandDates_data()
{
    // The sentences `tarnwick-estimate 15,076,231 1,234,567` prints.
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("sentence");
    QTest::newRow("15,076,231: the last car, December 31, 1927")
        << "15,076,231"
        << "15076231 was built on December 31, 1927.";
    QTest::newRow("1,234,567: May 9, 1916, not 123456's May 30, 1912")
        << "1,234,567"
        << "1234567 was built on May 9, 1916.";
}

void TestMainWindow::pastedSerialIsDatedAsTheBatchCommandDates()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, sentence);
    QApplication::clipboard()->setText(clipboard);
    ModalResponder responder;
    QTest::keyClick(win->serial(), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(win->serial(), Qt::Key_Return);
    QCOMPARE(win->shown(lblDate), sentence);
    VERIFY_RESPONDER(responder);
}

void TestMainWindow::calculateKeys_data()
{
    QTest::addColumn<Control>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");

    QTest::newRow("Enter in the serial field runs Calculate")
        << txtSerial << int(Qt::Key_Return) << 0;
    QTest::newRow("keypad Enter runs Calculate")
        << txtSerial << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    QTest::newRow("Alt+C runs Calculate") << txtSerial << int(Qt::Key_C) << int(Qt::AltModifier);
    QTest::newRow("Enter on the Reset button runs Calculate")
        << cmdReset << int(Qt::Key_Return) << 0;
    QTest::newRow("Space on the Calculate button runs it")
        << cmdCalculate << int(Qt::Key_Space) << 0;
}

void TestMainWindow::calculateKeys()
{
    QFETCH(Control, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    ModalResponder responder;
    QTest::keyClicks(win->serial(), QStringLiteral("400"));
    win->w.widgetOf(focus)->setFocus();

    QTest::keyClick(win->w.widgetOf(focus), Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    QTRY_COMPARE(win->shown(lblDate), kSentence400); // Alt+C clicks with a short delay
    QCOMPARE(win->shown(lblFirstSerial), QStringLiteral("310"));
    QCOMPARE(win->shown(lblLastSerial), QStringLiteral("646"));
    QCOMPARE(win->shown(lblProductionTotal), QStringLiteral("336"));
    QCOMPARE(win->shown(lblProductionAverage), QStringLiteral("11"));
    VERIFY_RESPONDER(responder);
}

void TestMainWindow::escapeDoesNothing()
{
    ModalResponder responder;
    win->calculate(QStringLiteral("400"));
    const Snapshot before = win->snapshot();
    QTest::keyClick(win->serial(), Qt::Key_Escape);
    QTest::keyClick(&win->w, Qt::Key_Escape);
    QTest::qWait(50);
    QCOMPARE(win->snapshot(), before);
    QVERIFY(win->w.isVisible());
    QCOMPARE(win->ends, 0);
    VERIFY_RESPONDER(responder);
}

void TestMainWindow::tabOrderGoesRound()
{
    QCOMPARE(QApplication::focusWidget(), win->serial()); // where the window opens
    const Control forward[] = {cmdCalculate, cmdReset, cmdAbout, txtSerial};
    for (Control c : forward) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(),
                 QString::fromLatin1(controlDef(c).name));
    }
    const Control backward[] = {cmdAbout, cmdReset, cmdCalculate, txtSerial};
    for (Control c : backward) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(),
                 QString::fromLatin1(controlDef(c).name));
    }
}

void TestMainWindow::reset_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer"); // NoButton: closed otherwise
    QTest::addColumn<bool>("byAltR");
    QTest::newRow("answered Yes: serial empty, results 0, prompt back")
        << QMessageBox::Yes << false;
    QTest::newRow("Alt+R asks the same question") << QMessageBox::Yes << true;
    QTest::newRow("answered No: nothing changes") << QMessageBox::No << false;
    QTest::newRow("box closed otherwise: nothing changes") << QMessageBox::NoButton << false;
}

void TestMainWindow::reset()
{
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(bool, byAltR);
    win->calculate(QStringLiteral("400"));
    const Snapshot before = win->snapshot();
    ModalResponder responder;
    responder.expectMessage(Boxes::resetQuestion(), answer);

    if (byAltR)
        QTest::keyClick(win->serial(), Qt::Key_R, Qt::AltModifier);
    else
        QTest::mouseClick(win->button(cmdReset), Qt::LeftButton);
    QTRY_COMPARE(responder.answered(), 1);
    VERIFY_RESPONDER(responder);

    if (answer != QMessageBox::Yes) {
        QCOMPARE(win->snapshot(), before);
        QCOMPARE(win->shown(lblDate), kSentence400);
        return;
    }
    QCOMPARE(win->serial()->text(), QString());
    for (Control c : {lblFirstSerial, lblLastSerial, lblProductionTotal, lblProductionAverage})
        QCOMPARE(win->shown(c), QStringLiteral("0"));
    QCOMPARE(win->shown(lblDate), frmMain::promptText());
    QCOMPARE(win->text(txtMonth), QStringLiteral("January")); // the last lookup stays
}

void TestMainWindow::close_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer"); // NoButton: closed otherwise
    QTest::newRow("answered No: window and contents stay") << QMessageBox::No;
    QTest::newRow("box closed otherwise: window and contents stay") << QMessageBox::NoButton;
    QTest::newRow("answered Yes: the program ends with 0, nothing more runs") << QMessageBox::Yes;
}

void TestMainWindow::close()
{
    QFETCH(QMessageBox::StandardButton, answer);
    win->calculate(QStringLiteral("400"));
    QTest::keyClick(win->serial(), Qt::Key_Backspace);
    QTest::keyClick(win->serial(), Qt::Key_1); // 401, not yet calculated
    const Snapshot before = win->snapshot();
    ModalResponder responder;
    responder.expectMessage(Boxes::closeQuestion(), answer);

    win->w.windowHandle()->close(); // as the window manager asks
    VERIFY_RESPONDER(responder);

    if (answer != QMessageBox::Yes) {
        QVERIFY(win->w.isVisible());
        QCOMPARE(win->snapshot(), before);
        QCOMPARE(win->ends, 0);
        return;
    }
    QCOMPARE(win->ends, 1);
    QCOMPARE(win->exitCode, 0);
    QVERIFY(!win->w.isVisible());
    // No handler runs any more: neither Enter nor the buttons calculate 401.
    QTest::keyClick(win->serial(), Qt::Key_Return);
    win->button(cmdCalculate)->click();
    win->button(cmdReset)->click();
    QCOMPARE(win->snapshot(), before);
    QCOMPARE(win->ends, 1);
}

void TestMainWindow::messageBoxes_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<Control>("button"); // cmdCalculate, cmdReset, or Frame3 for closing
    QTest::addColumn<ExpectedBox>("expected");
    QTest::newRow("serial 0 is out of range: warning, OK")
        << "0" << cmdCalculate << Boxes::rangeWarning();
    QTest::newRow("serial 15076232 is out of range: warning, OK")
        << "15076232" << cmdCalculate << Boxes::rangeWarning();
    QTest::newRow("serial 2835000 is in no month: warning, OK")
        << "2835000" << cmdCalculate << Boxes::notFoundWarning(QStringLiteral("2835000"));
    QTest::newRow("Reset asks: question, Yes and No, Yes by default")
        << "400" << cmdReset << Boxes::resetQuestion();
    QTest::newRow("closing asks: question, Yes and No, Yes by default")
        << "400" << Frame3 << Boxes::closeQuestion();
}

void TestMainWindow::messageBoxes()
{
    QFETCH(QString, serial);
    QFETCH(Control, button);
    QFETCH(ExpectedBox, expected);
    QTest::keyClicks(win->serial(), serial);
    ModalResponder responder;
    responder.expectMessage(expected, expected.buttons == QMessageBox::Ok ? QMessageBox::Ok
                                                                          : QMessageBox::No);

    if (button == Frame3)
        win->w.windowHandle()->close();
    else
        QTest::mouseClick(win->button(button), Qt::LeftButton);
    VERIFY_RESPONDER(responder);
    QVERIFY(win->w.isVisible());
}

void TestMainWindow::aboutOpensAfreshEachTime()
{
    QVERIFY2(!win->w.findChild<frmAboutDialog*>() && !win->w.aboutWindow(),
             "no About window exists before its button is pressed");
    ModalResponder responder;
    QList<QPointer<QWidget>> opened;
    QStringList texts;
    auto check = [&](bool tryEscape) {
        return [&, tryEscape](QWidget* modal, QStringList& problems) {
            auto* about = qobject_cast<frmAboutDialog*>(modal);
            if (!about || about != win->w.aboutWindow() || !about->isModal()) {
                problems << QStringLiteral("not the modal About window");
                modal->close();
                return;
            }
            opened << about;
            texts << about->windowTitle();
            for (AboutControl c :
                 {AboutControl::lblApp, AboutControl::lblVersion, AboutControl::lblCopyright})
                texts << about->widgetOf(c)->property("text").toString();
            if (tryEscape) {
                QTest::keyClick(about->widgetOf(AboutControl::cmdClose), Qt::Key_Escape);
                if (!about->isVisible())
                    problems << QStringLiteral("Escape closed the About window");
            }
            QTest::mouseClick(qobject_cast<QPushButton*>(about->widgetOf(AboutControl::cmdClose)),
                              Qt::LeftButton);
        };
    };
    responder.expect(QStringLiteral("About, by the button"), check(true));
    responder.expect(QStringLiteral("About, by Alt+A"), check(false));

    QTest::mouseClick(win->button(cmdAbout), Qt::LeftButton);
    QTRY_COMPARE(responder.answered(), 1);
    // The desktop gives the focus back to the main window when the About window goes.
    QApplication::setActiveWindow(&win->w);
    QVERIFY(QTest::qWaitForWindowActive(&win->w));
    QTest::keyClick(win->serial(), Qt::Key_A, Qt::AltModifier);
    QTRY_COMPARE(responder.answered(), 2);
    QTRY_VERIFY(!win->w.aboutWindow());
    VERIFY_RESPONDER(responder);

    QCOMPARE(opened.size(), 2);
    QVERIFY2(!opened[0] && !opened[1], "a closed About window is destroyed");
    QCOMPARE(texts.mid(0, 4), texts.mid(4, 4));
    QCOMPARE(texts.mid(0, 3),
             (QStringList{QStringLiteral("About"),
                          QStringLiteral("Quorvin Halvex Build Date Calculator 1.0"),
                          QStringLiteral("V1.0.22")}));
}

void TestMainWindow::unexpectedBoxFailsInsteadOfHanging()
{
    ModalResponder responder; // expects nothing
    win->calculate(QStringLiteral("0"));
    QVERIFY(!responder.clean());
    QVERIFY2(responder.report().contains(
                 QStringLiteral("unexpected QMessageBox \"Invalid Serial Number\"")),
             qPrintable(responder.report()));
    QVERIFY(!QApplication::activeModalWidget());
}

// The child half of yesEndsTheProcessWithZero: a whole program run, closed with Yes.
static int closeWithYesChild(int argc, char** argv)
{
    QApplication app(argc, argv);
    frmMainWindow w{NumberRules::Separators{}};
    w.load();
    w.show();
    auto* serial = qobject_cast<QLineEdit*>(w.widgetOf(txtSerial));
    ModalResponder responder;
    responder.expect(QStringLiteral("close question"), [&](QWidget* modal, QStringList&) {
        // An Enter queued behind the answer would calculate 401 if anything still ran.
        QCoreApplication::postEvent(
            serial, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
        qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Yes)->click();
    });
    QTimer::singleShot(0, [&] {
        QTest::keyClicks(serial, QStringLiteral("400"));
        QTest::keyClick(serial, Qt::Key_Return);
        QTest::keyClick(serial, Qt::Key_Backspace);
        QTest::keyClick(serial, Qt::Key_1);
        w.windowHandle()->close();
    });
    const int code = app.exec();
    std::printf("%s|%s\n", qPrintable(w.fields().text(lblDate)), qPrintable(responder.report()));
    return code;
}

void TestMainWindow::yesEndsTheProcessWithZero()
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--close-with-yes")});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()).trimmed(), kSentence400 + u'|');
}

int main(int argc, char** argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--close-with-yes") == 0)
        return closeWithYesChild(1, argv);
    QApplication app(argc, argv);
    TestMainWindow test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
