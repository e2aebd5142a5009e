// Random use of the real main window: thousands of random keys, clicks, pastes, answers to
// message boxes and About windows, with a fixed seed. After every event the field set behind
// the window must pass ModelChecks::check, the widgets must show its texts, the event must have
// had its own effect and no other, and the program must still be running.
//
// TARNWICK_RANDOMUSE_SEED and TARNWICK_RANDOMUSE_EVENTS replace the seed and the number of
// events of every row, to explore further or to replay a failure.
#include "../fuzz/ModelChecks.h"
#include "ModalResponder.h"

#include "ui/about/view/frmAboutDialog.h"
#include "ui/main/view/frmMainWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <deque>
#include <optional>

using enum Control;

namespace {

QString describe(const QWidget* modal)
{
    QString text = QString::fromLatin1(modal->metaObject()->className()) + QStringLiteral(" \"") +
                   modal->windowTitle() + u'"';
    if (const auto* box = qobject_cast<const QMessageBox*>(modal))
        text += QStringLiteral(": ") + box->text();
    return text;
}

void forceClose(QWidget* modal)
{
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->done(QDialog::Rejected);
    else
        modal->close();
}

// What an event is expected to open: a message box, the About window, or nothing.
struct Expectation {
    std::optional<ExpectedBox> message;
    bool about = false;
};

// Answers the one modal window an event is expected to open, at random but only with answers
// that keep the program running; any other modal window is a fault, closed by force.
class Answerer : public QObject {
public:
    Answerer(frmMainWindow& window, QRandomGenerator& random)
        : window_(window)
        , random_(random)
    {
        timer_.setInterval(0);
        connect(&timer_, &QTimer::timeout, this, &Answerer::tick);
    }

    void arm(std::optional<Expectation> expected)
    {
        expected_ = std::move(expected);
        done_ = false;
        answeredYes_ = false;
        how_.clear();
        timer_.start();
    }

    // After the event: the expected window was shown and answered, and none is left open.
    void finish(QStringList& problems)
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        timer_.stop();
        problems << problems_;
        problems_.clear();
        if (expected_ && !done_)
            problems << QStringLiteral("expected %1, none was shown").arg(what());
        if (QWidget* modal = QApplication::activeModalWidget()) {
            problems << QStringLiteral("still open: ") + describe(modal);
            forceClose(modal);
        }
        expected_.reset();
    }

    bool answeredYes() const { return answeredYes_; }
    const QString& how() const { return how_; }
    int answered() const { return answered_; }

private:
    QString what() const
    {
        return expected_->about ? QStringLiteral("the About window")
                                : QStringLiteral("box \"%1\"").arg(expected_->message->title);
    }

    void tick()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || busy_)
            return;
        busy_ = true;
        if (!expected_ || done_) {
            problems_ << QStringLiteral("unexpected ") + describe(modal);
            forceClose(modal);
        } else if (expected_->about) {
            answerAbout(modal);
        } else {
            answerMessage(modal, *expected_->message);
        }
        done_ = true;
        busy_ = false;
    }

    void answerAbout(QWidget* modal)
    {
        ++answered_;
        auto* about = qobject_cast<frmAboutDialog*>(modal);
        if (!about || about != window_.aboutWindow() || !about->isModal()) {
            problems_ << QStringLiteral("expected the modal About window, got ") + describe(modal);
            forceClose(modal);
            return;
        }
        auto* close = qobject_cast<QPushButton*>(about->widgetOf(AboutControl::cmdClose));
        if (random_.bounded(4) == 0) {
            QTest::keyClick(about, Qt::Key_Escape);
            if (!about->isVisible())
                problems_ << QStringLiteral("Escape closed the About window");
        }
        switch (random_.bounded(3)) {
        case 0:
            how_ = QStringLiteral("Close clicked");
            QTest::mouseClick(close, Qt::LeftButton);
            break;
        case 1:
            how_ = QStringLiteral("Space on Close");
            close->setFocus();
            QTest::keyClick(close, Qt::Key_Space);
            break;
        default:
            how_ = QStringLiteral("caption close box");
            about->close();
            break;
        }
        if (about->isVisible()) {
            problems_ << QStringLiteral("the About window stayed open after: ") + how_;
            forceClose(about);
        }
    }

    void answerMessage(QWidget* modal, const ExpectedBox& message)
    {
        ++answered_;
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) {
            problems_ << QStringLiteral("expected box \"%1\", got %2")
                             .arg(message.title, describe(modal));
            forceClose(modal);
            return;
        }
        problems_ << ModalResponder::mismatches(box, message);

        // The close question is never answered Yes, nor with Enter, which would press its default.
        const bool mayEnd = message == Boxes::closeQuestion();
        enum Reply { ClickDefault, ClickOther, Escape, Enter, CaptionClose };
        auto reply = Reply(random_.bounded(5));
        if (mayEnd && (reply == ClickDefault || reply == Enter))
            reply = ClickOther;
        QAbstractButton* yes = box->button(QMessageBox::Yes);
        QAbstractButton* no = box->button(QMessageBox::No);
        QAbstractButton* ok = box->button(QMessageBox::Ok);
        switch (reply) {
        case ClickDefault:
        case ClickOther:
            if (ok) {
                how_ = QStringLiteral("OK clicked");
                QTest::mouseClick(ok, Qt::LeftButton);
            } else if ((reply == ClickDefault) == (message.defaultButton == QMessageBox::Yes) &&
                       !mayEnd) {
                how_ = QStringLiteral("Yes clicked");
                answeredYes_ = true;
                QTest::mouseClick(yes, Qt::LeftButton);
            } else {
                how_ = QStringLiteral("No clicked");
                QTest::mouseClick(no, Qt::LeftButton);
            }
            break;
        case Escape:
            how_ = QStringLiteral("Escape");
            QTest::keyClick(box, Qt::Key_Escape);
            break;
        case Enter:
            how_ = QStringLiteral("Enter");
            answeredYes_ = message.defaultButton == QMessageBox::Yes && yes;
            QTest::keyClick(box, Qt::Key_Return);
            break;
        case CaptionClose:
            how_ = QStringLiteral("caption close box");
            box->close();
            break;
        }
        if (box->isVisible()) {
            problems_
                << QStringLiteral("box \"%1\" stayed open after: %2").arg(message.title, how_);
            forceClose(box);
        }
    }

    frmMainWindow& window_;
    QRandomGenerator& random_;
    QTimer timer_;
    std::optional<Expectation> expected_;
    QStringList problems_;
    QString how_;
    bool done_ = false;
    bool answeredYes_ = false;
    bool busy_ = false;
    int answered_ = 0;
};

// The caption a widget shows.
std::optional<QString> shownText(const QWidget* widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->pixmap().isNull() ? std::optional(label->text()) : std::nullopt;
    if (const auto* field = qobject_cast<const QLineEdit*>(widget))
        return field->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (const auto* frame = qobject_cast<const QGroupBox*>(widget))
        return frame->title();
    return std::nullopt;
}

// Text a user might paste: mostly pieces of numbers, some of everything else.
QString randomText(QRandomGenerator& random, const NumberRules::Separators& seps)
{
    static const QString pieces[] = {
        QStringLiteral("0"),        QStringLiteral("7"),          QStringLiteral("400"),
        QStringLiteral("15076231"), QStringLiteral("-"),          QStringLiteral("+"),
        QStringLiteral("."),        QStringLiteral(","),          QStringLiteral("e"),
        QStringLiteral("E5"),       QStringLiteral(" "),          QStringLiteral("\t"),
        QStringLiteral("abc"),      QStringLiteral("\u00e9"),     QStringLiteral("\u0661"),
        QStringLiteral("\u202f"),   QStringLiteral("12.5"),       QStringLiteral("1e3"),
        QStringLiteral("\n"),       QStringLiteral("99999999999")};
    QString text;
    for (int n = 1 + random.bounded(4); n > 0; --n) {
        switch (random.bounded(8)) {
        case 0:
            text += seps.decimal;
            break;
        case 1:
            text += seps.group;
            break;
        default:
            text += pieces[random.bounded(int(std::size(pieces)))];
        }
    }
    return text;
}

// A serial worth calculating: mostly one the table holds, sometimes an edge.
QString randomSerial(QRandomGenerator& random)
{
    static const int edges[] = {0,        1,        11,      12,      15076231, 15076232,
                                2831426,  2831427,  2843126, 2843127, 9232671,  9323672,
                                15034670, 15034700, 157425,  183564};
    if (random.bounded(4) == 0)
        return QString::number(edges[random.bounded(int(std::size(edges)))]);
    return QString::number(1 + random.bounded(int(DateCalculators::kLastSerial)));
}

class Session {
public:
    Session(const NumberRules::Separators& seps, quint32 seed)
        : seps_(seps)
        , random_(seed)
        , window_(seps)
        , answerer_(window_, random_)
    {
        window_.setApplicationEnder([this](int) { ++ends_; });
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, &window_, [this] { ++quits_; });
        QObject::connect(qApp, &QGuiApplication::lastWindowClosed, &window_, [this] { ++quits_; });
        window_.load();
        window_.show();
        activate();
    }

    bool ready() { return QTest::qWaitForWindowActive(&window_); }

    // One random event and the checks after it; gives the first fault, or empty text.
    QString step(int index)
    {
        before_ = ModelChecks::snapshot(fields());
        serialBefore_ = fields().text(txtSerial);
        window_.form().fields().resetNestingCount();
        problems_.clear();
        effect_ = Effect::Nothing;

        QString event = send();
        if (!answerer_.how().isEmpty())
            event += QStringLiteral(" (answered: %1)").arg(answerer_.how());
        log_.push_back(QStringLiteral("#%1 %2").arg(index).arg(event));
        if (log_.size() > 25)
            log_.pop_front();
        verify();
        activate(); // the desktop gives the focus back when a modal window goes
        if (problems_.isEmpty())
            return {};
        return QStringLiteral("%1\nlast events:\n  %2")
            .arg(problems_.join(QStringLiteral("\n")),
                 QStringList(log_.begin(), log_.end()).join(QStringLiteral("\n  ")));
    }

    int answered() const { return answerer_.answered(); }
    int calculated() const { return calculated_; }

private:
    // What an event does to the model, as far as it can be told in advance.
    enum class Effect { Nothing, EditSerial, Calculate, Reset, About, Close };

    const FieldSet& fields() const { return window_.fields(); }
    QLineEdit* serial() const { return qobject_cast<QLineEdit*>(window_.widgetOf(txtSerial)); }
    QPushButton* button(Control c) const { return qobject_cast<QPushButton*>(window_.widgetOf(c)); }

    void activate()
    {
        if (QApplication::activeWindow() != &window_)
            QApplication::setActiveWindow(&window_);
    }

    QWidget* focused() const
    {
        QWidget* focus = QApplication::focusWidget();
        return focus && focus->window() == &window_ ? focus : serial();
    }

    // Arms the answerer for what a command will open, given the model as it stands.
    void expectCommand(Effect effect)
    {
        effect_ = effect;
        std::optional<Expectation> expected;
        switch (effect) {
        case Effect::Calculate: {
            const QString& text = fields().text(txtSerial);
            const auto value = Reference::strict(text, seps_);
            const bool inRange = value && *value >= 1 && *value <= DateCalculators::kLastSerial;
            if (text.isEmpty() || (inRange && ModelChecks::expectedFor(*value)))
                break;
            expected = Expectation{inRange ? Boxes::notFoundWarning(text) : Boxes::rangeWarning()};
            break;
        }
        case Effect::Reset:
            expected = Expectation{Boxes::resetQuestion()};
            break;
        case Effect::About:
            expected = Expectation{std::nullopt, true};
            break;
        case Effect::Close:
            expected = Expectation{Boxes::closeQuestion()};
            break;
        default:
            break;
        }
        answerer_.arm(expected);
    }

    Effect effectOfButton(const QWidget* widget) const
    {
        if (widget == button(cmdCalculate))
            return Effect::Calculate;
        if (widget == button(cmdReset))
            return Effect::Reset;
        if (widget == button(cmdAbout))
            return Effect::About;
        return Effect::Nothing;
    }

    QString sendKey(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers,
                    const QString& name)
    {
        const bool inSerial = target == serial();
        Effect effect = Effect::Nothing;
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !(modifiers & ~Qt::KeypadModifier))
            effect = Effect::Calculate;
        else if (key == Qt::Key_Space && !inSerial)
            effect = effectOfButton(target);
        else if (inSerial && key != Qt::Key_Escape && key != Qt::Key_Tab && key != Qt::Key_Backtab)
            effect = Effect::EditSerial;
        expectCommand(effect);
        QTest::keyClick(target, key, modifiers);
        answerer_.finish(problems_);
        return QStringLiteral("%1 in %2").arg(name, target->objectName());
    }

    QString sendCharacter(QWidget* target, char c)
    {
        if (c == ' ')
            return sendKey(target, Qt::Key_Space, Qt::NoModifier, QStringLiteral("Space"));
        expectCommand(target == serial() ? Effect::EditSerial : Effect::Nothing);
        QTest::keyClick(target, c);
        answerer_.finish(problems_);
        return QStringLiteral("'%1' in %2").arg(QLatin1Char(c)).arg(target->objectName());
    }

    // Alt+C, Alt+R, Alt+A click their button a moment later, as a real access key does.
    QString sendAccessKey(Qt::Key key, Control target)
    {
        QPushButton* b = button(target);
        QSignalSpy clicked(b, &QAbstractButton::clicked);
        expectCommand(effectOfButton(b));
        QTest::keyClick(focused(), key, Qt::AltModifier);
        if (clicked.isEmpty() && !clicked.wait(2000))
            problems_ << QStringLiteral("the access key did not press %1").arg(b->objectName());
        answerer_.finish(problems_);
        return QStringLiteral("Alt+%1").arg(QKeySequence(key).toString());
    }

    QString paste(const QString& text, bool replaceAll)
    {
        QApplication::clipboard()->setText(text);
        serial()->setFocus();
        expectCommand(Effect::EditSerial);
        if (replaceAll)
            QTest::keyClick(serial(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(serial(), Qt::Key_V, Qt::ControlModifier);
        answerer_.finish(problems_);
        return QStringLiteral("%1 \"%2\"")
            .arg(replaceAll ? QStringLiteral("replace by paste") : QStringLiteral("paste"), text);
    }

    QString click(Control c)
    {
        expectCommand(effectOfButton(button(c)));
        QTest::mouseClick(button(c), Qt::LeftButton);
        answerer_.finish(problems_);
        return QStringLiteral("click ") + button(c)->objectName();
    }

    QString send()
    {
        static const char typed[] = "0123456789012345678901234567890123456789abcxyzE.,-+ '/";
        static const struct {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            const char* name;
        } editing[] = {
            {Qt::Key_Backspace, {}, "Backspace"},
            {Qt::Key_Delete, {}, "Delete"},
            {Qt::Key_Home, {}, "Home"},
            {Qt::Key_End, {}, "End"},
            {Qt::Key_Left, {}, "Left"},
            {Qt::Key_Right, {}, "Right"},
            {Qt::Key_Left, Qt::ShiftModifier, "Shift+Left"},
            {Qt::Key_Home, Qt::ShiftModifier, "Shift+Home"},
            {Qt::Key_A, Qt::ControlModifier, "Ctrl+A"},
            {Qt::Key_X, Qt::ControlModifier, "Ctrl+X"},
            {Qt::Key_Z, Qt::ControlModifier, "Ctrl+Z"},
        };
        const int roll = random_.bounded(1000);
        if (roll < 330)
            return sendCharacter(focused(), typed[random_.bounded(int(sizeof typed) - 1)]);
        if (roll < 450) {
            const auto& e = editing[random_.bounded(int(std::size(editing)))];
            return sendKey(focused(), e.key, e.modifiers, QString::fromLatin1(e.name));
        }
        if (roll < 510)
            return paste(randomText(random_, seps_), false);
        if (roll < 590)
            return paste(randomSerial(random_), true);
        if (roll < 680)
            return sendKey(focused(), random_.bounded(2) ? Qt::Key_Return : Qt::Key_Enter,
                           Qt::NoModifier, QStringLiteral("Enter"));
        if (roll < 710)
            return sendKey(focused(), Qt::Key_Escape, Qt::NoModifier, QStringLiteral("Escape"));
        if (roll < 760)
            return random_.bounded(2)
                       ? sendKey(focused(), Qt::Key_Tab, Qt::NoModifier, QStringLiteral("Tab"))
                       : sendKey(focused(), Qt::Key_Backtab, Qt::ShiftModifier,
                                 QStringLiteral("Shift+Tab"));
        if (roll < 800)
            return sendKey(focused(), Qt::Key_Space, Qt::NoModifier, QStringLiteral("Space"));
        if (roll < 806) {
            static const struct {
                Qt::Key key;
                Control button;
            } access[] = {{Qt::Key_C, cmdCalculate}, {Qt::Key_R, cmdReset}, {Qt::Key_A, cmdAbout}};
            const auto& a = access[random_.bounded(3)];
            return sendAccessKey(a.key, a.button);
        }
        if (roll < 810)
            return sendKey(focused(), Qt::Key_X, Qt::AltModifier, QStringLiteral("Alt+X"));
        if (roll < 890)
            return click(cmdCalculate);
        if (roll < 930)
            return click(cmdReset);
        if (roll < 950)
            return click(cmdAbout);
        if (roll < 970) {
            expectCommand(Effect::Close);
            window_.windowHandle()->close(); // as the window manager asks
            answerer_.finish(problems_);
            return QStringLiteral("close request");
        }
        // A click into the serial field somewhere: focus and caret move there.
        expectCommand(Effect::EditSerial);
        const QPoint at(random_.bounded(serial()->width()), serial()->height() / 2);
        QTest::mouseClick(serial(), Qt::LeftButton, {}, at);
        answerer_.finish(problems_);
        return QStringLiteral("click in txtSerial at %1").arg(at.x());
    }

    void expectUnchanged(const QString& what)
    {
        const QString changed =
            ModelChecks::firstDifference(before_, ModelChecks::snapshot(fields()));
        if (!changed.isEmpty())
            problems_ << QStringLiteral("%1 changed something: %2").arg(what, changed);
    }

    void verify()
    {
        const QString fault = ModelChecks::check(fields());
        if (!fault.isEmpty())
            problems_ << fault;
        if (fields().deepestNesting() > 2)
            problems_
                << QStringLiteral("a change handler nested %1 deep").arg(fields().deepestNesting());

        switch (effect_) {
        case Effect::Nothing:
        case Effect::About:
            expectUnchanged(QStringLiteral("an event without a command"));
            break;
        case Effect::EditSerial: {
            QStringList after = ModelChecks::snapshot(fields());
            after[qsizetype(indexOf(txtSerial))] = before_[qsizetype(indexOf(txtSerial))];
            const QString changed = ModelChecks::firstDifference(before_, after);
            if (!changed.isEmpty())
                problems_ << QStringLiteral("an edit of the serial changed ") + changed;
            break;
        }
        case Effect::Calculate: {
            const auto value = Reference::strict(serialBefore_, seps_);
            const auto expected = value && *value >= 1 && *value <= DateCalculators::kLastSerial
                                      ? ModelChecks::expectedFor(*value)
                                      : std::nullopt;
            if (expected) {
                ++calculated_;
                const QString sentence = ModelChecks::sentence(serialBefore_, *expected);
                if (fields().text(lblDate) != sentence)
                    problems_ << QStringLiteral("Calculate shows \"%1\", expected \"%2\"")
                                     .arg(fields().text(lblDate), sentence);
            } else {
                expectUnchanged(QStringLiteral("Calculate of \"%1\"").arg(serialBefore_));
            }
            break;
        }
        case Effect::Reset:
            if (!answerer_.answeredYes())
                expectUnchanged(QStringLiteral("Reset answered No"));
            else if (!fields().text(txtSerial).isEmpty() ||
                     fields().text(lblDate) != frmMain::promptText())
                problems_ << QStringLiteral("Reset answered Yes leaves a serial or a result");
            break;
        case Effect::Close:
            expectUnchanged(QStringLiteral("a close answered No"));
            break;
        }

        // The widgets show the field set.
        for (const ControlDef& def : controlTable()) {
            const QWidget* widget = window_.widgetOf(def.id);
            const auto shown = widget ? shownText(widget) : std::nullopt;
            if (shown && *shown != fields().text(def.id))
                problems_ << QStringLiteral("%1 shows \"%2\", its field holds \"%3\"")
                                 .arg(QString::fromLatin1(def.name), *shown, fields().text(def.id));
        }
        if (serial()->cursorPosition() != fields().caret(txtSerial))
            problems_ << QStringLiteral("the caret is shown at %1, the field set has it at %2")
                             .arg(serial()->cursorPosition())
                             .arg(fields().caret(txtSerial));

        // The program runs on: only a close answered Yes may end it, and none is.
        if (ends_ != 0 || quits_ != 0 || window_.hasEnded() || !window_.isVisible())
            problems_ << QStringLiteral("the program ended or the window went away");
    }

    NumberRules::Separators seps_;
    QRandomGenerator random_;
    frmMainWindow window_;
    Answerer answerer_;
    QStringList before_;
    QString serialBefore_;
    QStringList problems_;
    std::deque<QString> log_;
    Effect effect_ = Effect::Nothing;
    int ends_ = 0;
    int quits_ = 0;
    int calculated_ = 0;
};

} // namespace

class TestRandomUse : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void randomEventsKeepTheWindowConsistent_data();
    void randomEventsKeepTheWindowConsistent();
};

namespace {
QtMessageHandler testHandler = nullptr;
}

void TestRandomUse::initTestCase()
{
    // The offscreen platform says this of every dialog it shows; a thousand About windows
    // would bury the test's own output.
    testHandler = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (message != u"This plugin does not support propagateSizeHints()")
                testHandler(type, context, message);
        });
}

void TestRandomUse::randomEventsKeepTheWindowConsistent_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("events");
    QTest::newRow("en_US separators, 10000 events") << "en_US" << 20261208u << 10000;
    QTest::newRow("de_DE separators: comma decimal, point groups") << "de_DE" << 1908u << 2500;
    QTest::newRow("fr_FR separators: narrow no-break space groups") << "fr_FR" << 1927u << 2500;
}

void TestRandomUse::randomEventsKeepTheWindowConsistent()
{
    QFETCH(QString, locale);
    QFETCH(quint32, seed);
    QFETCH(int, events);
    bool ok = false;
    if (const quint32 s = qEnvironmentVariable("TARNWICK_RANDOMUSE_SEED").toUInt(&ok); ok)
        seed = s;
    if (const int n = qEnvironmentVariableIntValue("TARNWICK_RANDOMUSE_EVENTS", &ok); ok)
        events = n;

    Session session(NumberRules::Separators::fromLocale(QLocale(locale)), seed);
    QVERIFY(session.ready());
    for (int i = 0; i < events; ++i) {
        const QString fault = session.step(i);
        if (!fault.isEmpty()) {
            QFAIL(qPrintable(QStringLiteral("seed %1, event %2 of %3: %4")
                                 .arg(seed)
                                 .arg(i)
                                 .arg(events)
                                 .arg(fault)));
        }
    }
    qInfo("seed %u: %d events, %d modal windows answered, %d results calculated", seed, events,
          session.answered(), session.calculated());
    // A run that never reached a result or a modal window would have tested little.
    QVERIFY(session.calculated() > events / 50);
    QVERIFY(session.answered() > events / 50);
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(true); // a closing window would end the program
    TestRandomUse test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_randomuse.moc"
