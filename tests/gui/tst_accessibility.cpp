// What users who do not see or do not type meet in the windows: the announcement of a command's
// outcome, the accessibility tree, every road by which text reaches the serial field, and the
// keyboard focus drawn on every control that takes it. (What Orca itself says: tst_orca.py.)
#include "ModalResponder.h"
#include "ui/about/view/frmAboutDialog.h"
#include "ui/main/view/frmMainWindow.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <memory>

using enum Control;

namespace {

const QString kSentence400 = QStringLiteral("400 was built on January 9, 1909.");
const QString kHidden = QStringLiteral("(hidden)"); // a notification taken away

enum class Command { Enter, AltC, Click, ClickTwice, Reset };
enum class Road {
    Typing,
    Paste,
    Drop,
    UndoRedo,
    ContextMenu,
    InputMethod,
    AccessibleInsert,
    AccessibleReplace,
    AccessibleValue
};

QString describe(QAccessibleInterface* iface)
{
    return QStringLiteral("%1 (role %2)")
        .arg(iface->object() ? iface->object()->objectName() : QStringLiteral("?"))
        .arg(int(iface->role()));
}

// Every object of the tree under root, root included, that has no name.
void collectUnnamed(QAccessibleInterface* root, QStringList& unnamed)
{
    if (root->text(QAccessible::Name).trimmed().isEmpty())
        unnamed << describe(root);
    for (int i = 0; i < root->childCount(); ++i) {
        if (QAccessibleInterface* child = root->child(i))
            collectUnnamed(child, unnamed);
    }
}

} // namespace

Q_DECLARE_METATYPE(Command)
Q_DECLARE_METATYPE(Road)

class TestAccessibility : public QObject {
    Q_OBJECT

    std::unique_ptr<frmMainWindow> main;
    QStringList announced; // the names of the notifications shown, and kHidden, in order

    QLineEdit* serial() const { return qobject_cast<QLineEdit*>(main->widgetOf(txtSerial)); }

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void init()
    {
        main = std::make_unique<frmMainWindow>(NumberRules::Separators{});
        main->setApplicationEnder([](int) {});
        announced.clear();
        main->setAccessibilityNotifier([this](QAccessibleEvent* event) {
            const bool shown = event->type() == QAccessible::ObjectShow;
            if (!shown && event->type() != QAccessible::ObjectHide)
                return;
            QAccessibleInterface* iface = event->accessibleInterface();
            if (iface && iface->role() == QAccessible::Notification)
                announced << (shown ? iface->text(QAccessible::Name) : kHidden);
        });
        main->load();
        main->show();
        QApplication::setActiveWindow(main.get());
        QVERIFY(QTest::qWaitForWindowActive(main.get()));
    }
    void cleanup() { main.reset(); }

    void commandOutcomeIsAnnounced_data();
    void commandOutcomeIsAnnounced();
    void treeHasNoUnnamedObject_data();
    void treeHasNoUnnamedObject();
    void everyRoadReachesTheFieldSet_data();
    void everyRoadReachesTheFieldSet();
    void focusIsVisible_data();
    void focusIsVisible();
};

void TestAccessibility::commandOutcomeIsAnnounced_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Command>("command");
    QTest::addColumn<QMessageBox::StandardButton>("answer"); // to the box it shows, if any
    QTest::addColumn<QStringList>("expected");
    const QStringList sentence{kSentence400};
    const QMessageBox::StandardButton none = QMessageBox::NoButton;
    QTest::newRow("Enter in the serial field speaks the sentence")
        << "400" << Command::Enter << none << sentence;
    QTest::newRow("Alt+C speaks the sentence") << "400" << Command::AltC << none << sentence;
    QTest::newRow("a click on Calculate speaks the sentence")
        << "400" << Command::Click << none << sentence;
    QTest::newRow("a second Calculate hides the sentence, then speaks it again")
        << "400" << Command::ClickTwice << none << QStringList{kSentence400, kHidden, kSentence400};
    QTest::newRow("an out-of-range serial speaks nothing beside its warning")
        << "0" << Command::Enter << QMessageBox::Ok << QStringList();
    QTest::newRow("Reset answered Yes speaks the prompt")
        << "400" << Command::Reset << QMessageBox::Yes << QStringList{frmMain::promptText()};
    QTest::newRow("Reset answered No speaks nothing")
        << "400" << Command::Reset << QMessageBox::No << QStringList();
}

void TestAccessibility::commandOutcomeIsAnnounced()
{
    QFETCH(QString, typed);
    QFETCH(Command, command);
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(QStringList, expected);
    QTest::keyClicks(serial(), typed);
    ModalResponder responder;
    if (typed == QLatin1String("0"))
        responder.expectMessage(Boxes::rangeWarning(), answer);
    else if (command == Command::Reset)
        responder.expectMessage(Boxes::resetQuestion(), answer);
    QWidget* focus = QApplication::focusWidget();

    switch (command) {
    case Command::Enter:
        QTest::keyClick(serial(), Qt::Key_Return);
        break;
    case Command::AltC:
        QTest::keyClick(serial(), Qt::Key_C, Qt::AltModifier);
        break;
    case Command::ClickTwice:
        QTest::mouseClick(main->widgetOf(cmdCalculate), Qt::LeftButton);
        QTRY_COMPARE(announced.size(), 1);
        [[fallthrough]];
    case Command::Click:
        QTest::mouseClick(main->widgetOf(cmdCalculate), Qt::LeftButton);
        break;
    case Command::Reset:
        QTest::mouseClick(main->widgetOf(cmdReset), Qt::LeftButton);
        break;
    }
    if (answer != QMessageBox::NoButton) {
        QTRY_COMPARE(responder.answered(), 1);
        // The desktop gives the keyboard back to the main window when the box goes.
        QApplication::setActiveWindow(main.get());
    }
    if (expected.isEmpty())
        QTest::qWait(100);
    else
        QTRY_COMPARE(announced, expected);
    QTest::qWait(20);
    QCOMPARE(announced, expected); // once
    VERIFY_RESPONDER(responder);
    if (command == Command::Enter || command == Command::AltC)
        QCOMPARE(QApplication::focusWidget(), focus);
    // The announcement is a notification in the window's tree, named by what it says.
    Accessibility::Announcer& announcer = main->announcer();
    QCOMPARE(announcer.isShowing(), !expected.isEmpty());
    if (announcer.isShowing()) {
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(main.get());
        QAccessibleInterface* notification = QAccessible::queryAccessibleInterface(&announcer);
        QVERIFY(window->indexOfChild(notification) >= 0);
        QCOMPARE(notification->parent(), window);
        QVERIFY(!notification->state().invisible);
    }
}

void TestAccessibility::treeHasNoUnnamedObject_data()
{
    QTest::addColumn<bool>("about");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("labelled");
    QTest::addColumn<QString>("spokenTitle"); // the About window's first line as it is read
    QTest::newRow("main window: Label1 labels the serial field") << false << "Label1"
                                                                 << "txtSerial" << QString();
    QTest::newRow("About window: Label1 labels the version; the first line carries it")
        << true << "Label1"
        << "lblVersion"
        << "Quorvin Halvex Build Date Calculator 1.0, Version: V1.0.22";
}

void TestAccessibility::treeHasNoUnnamedObject()
{
    QFETCH(bool, about);
    QFETCH(QString, label);
    QFETCH(QString, labelled);
    QFETCH(QString, spokenTitle);
    std::unique_ptr<frmAboutDialog> dialog;
    QWidget* window = main.get();
    if (about) {
        dialog = std::make_unique<frmAboutDialog>(appIdentity(), main.get());
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        window = dialog.get();
    }
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window);
    QStringList unnamed;
    collectUnnamed(root, unnamed);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
    QCOMPARE(root->role(), about ? QAccessible::Dialog : QAccessible::Window);

    auto* labelWidget = window->findChild<QWidget*>(label);
    auto* labelledWidget = window->findChild<QWidget*>(labelled);
    QAccessibleInterface* labelIface = QAccessible::queryAccessibleInterface(labelWidget);
    QAccessibleInterface* labelledIface = QAccessible::queryAccessibleInterface(labelledWidget);
    QVERIFY(root->indexOfChild(labelIface) >= 0);
    QVERIFY(root->indexOfChild(labelledIface) >= 0);
    const auto labels = labelledIface->relations(QAccessible::Label);
    QVERIFY2(labels.size() == 1 && labels.front().first == labelIface,
             "the label is the labelled control's only label");
    if (about) {
        QAccessibleInterface* title =
            QAccessible::queryAccessibleInterface(dialog->widgetOf(AboutControl::lblApp));
        QCOMPARE(title->text(QAccessible::Name), spokenTitle);
    }
}

void TestAccessibility::everyRoadReachesTheFieldSet_data()
{
    QTest::addColumn<Road>("road");
    QTest::addColumn<QString>("before"); // typed first, the caret then at the start
    QTest::addColumn<QString>("text");   // what the road brings
    QTest::addColumn<QString>("expected");
    QTest::newRow("typing") << Road::Typing << ""
                            << "400"
                            << "400";
    QTest::newRow("paste: a line with LF keeps its first line") << Road::Paste << ""
                                                                << "400\n"
                                                                << "400";
    QTest::newRow("paste: a line with CR LF keeps its first line") << Road::Paste << ""
                                                                   << "400\r\n"
                                                                   << "400";
    QTest::newRow("paste: only the pasted text is cut, 3 LF 9 before 12 gives 312")
        << Road::Paste << "12"
        << "3\n9"
        << "312";
    QTest::newRow("drop: a line with LF keeps its first line") << Road::Drop << ""
                                                               << "400\n"
                                                               << "400";
    QTest::newRow("undo of a replacement, then redo") << Road::UndoRedo << ""
                                                      << "400"
                                                      << "7";
    QTest::newRow("context menu: Paste") << Road::ContextMenu << ""
                                         << "400"
                                         << "400";
    QTest::newRow("input method: committed text") << Road::InputMethod << ""
                                                  << "400"
                                                  << "400";
    QTest::newRow("input method: committed text is typed, so cut to 8 characters")
        << Road::InputMethod << ""
        << "1234567890"
        << "12345678";
    QTest::newRow("paste: grouped 15,076,231 comes whole") << Road::Paste << ""
                                                           << "15,076,231"
                                                           << "15076231";
    QTest::newRow("drop: grouped 15,076,231 comes whole") << Road::Drop << ""
                                                          << "15,076,231"
                                                          << "15076231";
    QTest::newRow("context menu: grouped 1,234,567 comes whole") << Road::ContextMenu << ""
                                                                 << "1,234,567"
                                                                 << "1234567";
    QTest::newRow("accessibility: grouped 15,076,231 inserted comes whole")
        << Road::AccessibleInsert << ""
        << "15,076,231"
        << "15076231";
    QTest::newRow("accessibility: grouped 15,076,231 as the value comes whole")
        << Road::AccessibleValue << ""
        << "15,076,231"
        << "15076231";
    QTest::newRow("accessibility: inserted text") << Road::AccessibleInsert << ""
                                                  << "400"
                                                  << "400";
    QTest::newRow("accessibility: a line with LF replacing all") << Road::AccessibleReplace << "12"
                                                                 << "400\n"
                                                                 << "400";
    QTest::newRow("accessibility: the value set") << Road::AccessibleValue << ""
                                                  << "0400"
                                                  << "400";
}

void TestAccessibility::everyRoadReachesTheFieldSet()
{
    QFETCH(Road, road);
    QFETCH(QString, before);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QLineEdit* field = serial();
    QTest::keyClicks(field, before);
    QTest::keyClick(field, Qt::Key_Home);
    QApplication::clipboard()->setText(text);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(field);

    switch (road) {
    case Road::Typing:
        QTest::keyClicks(field, text);
        break;
    case Road::Paste:
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        break;
    case Road::Drop: {
        QMimeData data;
        data.setText(text);
        // A drop is taken only after the drag has entered.
        QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(field, &enter);
        QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(field, &drop);
        QVERIFY(enter.isAccepted() && drop.isAccepted());
        break;
    }
    case Road::UndoRedo:
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, expected);
        QTest::keySequence(field, QKeySequence::Undo);
        QCOMPARE(main->fields().text(txtSerial), text);
        QTest::keySequence(field, QKeySequence::Redo);
        break;
    case Road::ContextMenu: {
        std::unique_ptr<QMenu> menu(field->createStandardContextMenu());
        QAction* paste = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->text().startsWith(QLatin1String("&Paste")))
                paste = action;
        }
        QVERIFY(paste);
        paste->trigger();
        break;
    }
    case Road::InputMethod: {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(field, &commit);
        break;
    }
    case Road::AccessibleInsert:
        iface->editableTextInterface()->insertText(0, text);
        break;
    case Road::AccessibleReplace:
        iface->editableTextInterface()->replaceText(0, iface->textInterface()->characterCount(),
                                                    text);
        break;
    case Road::AccessibleValue:
        iface->setText(QAccessible::Value, text);
        break;
    }

    // What the field shows is what the field set holds, and what Calculate uses.
    QCOMPARE(field->text(), expected);
    QCOMPARE(main->fields().text(txtSerial), expected);
    main->form().cmdCalculate_Click();
    QVERIFY2(main->fields().text(lblDate).startsWith(expected + QStringLiteral(" was built on ")),
             qPrintable(main->fields().text(lblDate)));
}

void TestAccessibility::focusIsVisible_data()
{
    QTest::addColumn<bool>("about");
    QTest::addColumn<QString>("name");
    QTest::newRow("the serial field: its own frame, no ring on a button") << false << "txtSerial";
    QTest::newRow("Calculate, the default button: the ring on it alone") << false << "cmdCalculate";
    QTest::newRow("Reset: the ring on it alone") << false << "cmdReset";
    QTest::newRow("About: the ring on it alone") << false << "cmdAbout";
    QTest::newRow("the About window's Close: the ring on it") << true << "cmdClose";
}

void TestAccessibility::focusIsVisible()
{
    QFETCH(bool, about);
    QFETCH(QString, name);
    std::unique_ptr<frmAboutDialog> dialog;
    QWidget* window = main.get();
    if (about) {
        dialog = std::make_unique<frmAboutDialog>(appIdentity(), main.get());
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        window = dialog.get();
    }
    auto* control = window->findChild<QWidget*>(name);
    QVERIFY(control);

    control->setFocus(Qt::TabFocusReason);
    QVERIFY(control->hasFocus());
    // A ring in the highlight colour marks the button that holds the focus, and no other.
    const QRgb highlight = window->palette().color(QPalette::Active, QPalette::Highlight).rgb();
    for (QWidget* button : window->findChildren<QPushButton*>()) {
        const QImage image = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
        qsizetype ring = 0;
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            ring += std::count(line, line + image.width(), highlight);
        }
        QVERIFY2((ring > 0) == (button == control), qPrintable(button->objectName()));
    }
    const QImage focused = control->grab().toImage();
    control->clearFocus();
    QVERIFY(!control->hasFocus());
    QVERIFY2(control->grab().toImage() != focused,
             "the control looks the same with and without the focus");
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
