#include "frmMainWindow.h"

#include "ui/about/view/frmAboutDialog.h"
#include "ui/main/view/SerialValidator.h"
#include "ui/main/view/WindowIcon.h"
#include "ui/widgets/ControlBuilder.h"
#include "ui/widgets/MessageBoxHost.h"
#include "ui/widgets/ScreenFit.h"
#include "ui/widgets/TextField.h"
#include "ui/widgets/TitleBar.h"

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#ifndef QT_NO_SESSIONMANAGER
#include <QSessionManager>
#endif

#include <algorithm>
#include <optional>
#include <utility>

using enum Control;

namespace {

// Pictures of the window, by control.
struct PictureDef {
    Control id;
    const char* resource;
};
constexpr PictureDef kPictures[] = {
    {Image1, ":/images/Image1.gif"},
    {Image3, ":/images/Image3_main.gif"},
};

QString pictureOf(Control control)
{
    for (const PictureDef& p : kPictures) {
        if (p.id == control)
            return QString::fromLatin1(p.resource);
    }
    return {};
}

bool isOutsideClientArea(const ControlDef& def)
{
    return !(def.flags & InFrame) && def.rect.left >= kClientWidthTwips;
}

} // namespace

QString frmMainWindow::caption() { return QStringLiteral("Quorvin Halvex Build Date Calculator"); }

QSize frmMainWindow::clientSize()
{
    return {ControlBuilder::toPixels(kClientWidthTwips),
            ControlBuilder::toPixels(kClientHeightTwips)};
}

frmMainWindow::frmMainWindow(NumberRules::Separators separators, const AppIdentity& identity,
                             QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint)
    , identity_(identity)
    , form_(std::make_unique<frmMain>(*this, identity, std::move(separators)))
    , ender_([](int exitCode) { QCoreApplication::exit(exitCode); })
    , notify_([](QAccessibleEvent* event) { QAccessible::updateAccessibility(event); })
{
    Accessibility::describeWindow(this, QAccessible::Window);
    ControlBuilder::ensureResources();
    ControlBuilder::installFontSubstitutes();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(caption());
    setWindowIcon(WindowIcon::fromFile(identity_.iconResource));
    setFixedSize(clientSize()); // fixed single border: the user cannot resize it
    ControlBuilder::applyWindowColours(this);
    setFont(ControlBuilder::fontFor(kFormFont));
    const bool ownTitleBar = TitleBar::wanted();
    if (ownTitleBar)
        new TitleBar(this);

    buildControls();
    if (ownTitleBar)
        placeControls(); // below the title bar
    applyAccessibleTexts();
    announcer_ = new Accessibility::Announcer(this);
    form_->fields().setObserver(this);
    connectInput();
    screenFit_ =
        new ScreenFit::Watcher(this, clientSize(), contentsMargins(), [this](double scale) {
            setFormScale(scale);
            centreOnScreen();
        });
}

frmMainWindow::~frmMainWindow()
{
    disconnectInput();
    form_->fields().setObserver(nullptr);
    // The controls go first, while the logic they call back into (the serial field's validator
    // asks the field set on focus-out) still exists; QWidget would delete them only after it.
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void frmMainWindow::buildControls()
{
    const FieldSet& set = fields();
    QList<QPair<QWidget*, ControlKind>> built;
    QWidget* frame = nullptr;
    for (const ControlDef& def : controlTable()) {
        if (isOutsideClientArea(def))
            continue; // never seen: its text lives in the field set only
        QWidget* parent = (def.flags & InFrame) ? frame : this;
        Q_ASSERT(parent);
        QWidget* widget = ControlBuilder::buildControl(parent, def, pictureOf(def.id));
        ControlBuilder::setCaption(widget, set.text(def.id));
        widgets_[indexOf(def.id)] = widget;
        if (def.kind == ControlKind::Frame)
            frame = widget;
        if (parent == this)
            built.append({widget, def.kind});
    }
    ControlBuilder::stack(built);

    serial_ = qobject_cast<TextField*>(widgetOf(txtSerial));
    serial_->setTypingLimit(controlDef(txtSerial).maxLength); // typing only: a paste comes whole
    serial_->setValidator(new SerialValidator(serial_));

    for (const ControlDef& def : controlTable()) {
        if ((def.flags & DefaultButton) && widgetOf(def.id))
            defaultButton_ = qobject_cast<QPushButton*>(widgetOf(def.id));
    }

    // Focus order by tab position, round and round; controls without one never take the focus.
    QList<const ControlDef*> focusable;
    for (const ControlDef& def : controlTable()) {
        QWidget* widget = widgetOf(def.id);
        if (widget && def.tabIndex >= 0 && widget->focusPolicy() != Qt::NoFocus)
            focusable.append(&def);
    }
    std::stable_sort(
        focusable.begin(), focusable.end(),
        [](const ControlDef* a, const ControlDef* b) { return a->tabIndex < b->tabIndex; });
    for (qsizetype i = 1; i < focusable.size(); ++i)
        setTabOrder(widgetOf(focusable[i - 1]->id), widgetOf(focusable[i]->id));
}

QRect frmMainWindow::clientArea() const
{
    return {QPoint(0, contentsMargins().top()),
            QSize(ControlBuilder::scaled(clientSize().width(), scale_),
                  ControlBuilder::scaled(clientSize().height(), scale_))};
}

void frmMainWindow::setFormScale(double scale)
{
    if (scale == scale_)
        return;
    scale_ = scale;
    placeControls();
}

void frmMainWindow::placeControls()
{
    const QRect client = clientArea();
    setFixedSize(client.right() + 1, client.bottom() + 1);
    setFont(ControlBuilder::fontFor(kFormFont, scale_));
    for (const ControlDef& def : controlTable()) {
        QWidget* widget = widgetOf(def.id);
        if (!widget)
            continue;
        const QPoint origin = (def.flags & InFrame) ? QPoint() : client.topLeft();
        ControlBuilder::place(widget, ControlBuilder::lookOf(def, pictureOf(def.id)),
                              {scale_, origin});
    }
}

void frmMainWindow::applyAccessibleTexts()
{
    // "Serial Number:" labels the serial field: a screen reader names the field after it.
    qobject_cast<QLabel*>(widgetOf(Label1))->setBuddy(serial_);
    for (const AccessibleDef& def : kAccessible) {
        QWidget* widget = widgetOf(def.id);
        if (!widget)
            continue;
        if (def.name)
            widget->setAccessibleName(QString::fromUtf8(def.name));
        widget->setAccessibleDescription(def.description ? QString::fromUtf8(def.description)
                                                         : fields().text(*def.describedBy));
    }
}

void frmMainWindow::connectInput()
{
    // textChanged rather than textEdited: text set through the accessibility interface (voice
    // control, automation) is no edit to QLineEdit, yet it is the user's.
    inputConnections_.append(
        connect(serial_, &QLineEdit::textChanged, this, &frmMainWindow::serialChanged));
    inputConnections_.append(connect(serial_, &QLineEdit::cursorPositionChanged, this,
                                     [this](int, int position) { serialCursorMoved(position); }));
    for (const ButtonHandler& def : kButtonHandlers) {
        auto* button = qobject_cast<QPushButton*>(widgetOf(def.id));
        inputConnections_.append(connect(button, &QPushButton::clicked, this, [this, def] {
            if (!ended_)
                (form_.get()->*def.click)();
        }));
    }
#ifndef QT_NO_SESSIONMANAGER
    if (qApp) {
        inputConnections_.append(connect(qApp, &QGuiApplication::commitDataRequest, this,
                                         &frmMainWindow::sessionEnding));
        // Nothing to restore in a later session.
        inputConnections_.append(
            connect(qApp, &QGuiApplication::saveStateRequest, this, [](QSessionManager& manager) {
                manager.setRestartHint(QSessionManager::RestartNever);
            }));
    }
#endif
}

void frmMainWindow::disconnectInput()
{
    for (const QMetaObject::Connection& c : std::as_const(inputConnections_))
        disconnect(c);
    inputConnections_.clear();
}

void frmMainWindow::centreOnScreen()
{
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The whole window, frame included, once the frame is known; before that the client area.
    QRect frame(QPoint(), frameGeometry().size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void frmMainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!centred_ && !event->spontaneous()) {
        centred_ = true;
        centreOnScreen();
    }
}

void frmMainWindow::load()
{
    form_->Form_Load();
    serial_->setFocus(Qt::OtherFocusReason); // the first in the tab order
    screenFit_->fit();                       // again once framed
    centreOnScreen();                        // again when shown, frame and all
}

// ---- The view of the field set ---------------------------------------------------------------

void frmMainWindow::textChanged(Control control)
{
    QWidget* widget = widgetOf(control);
    if (!widget)
        return;
    if (widget == serial_) {
        showSerial();
        return;
    }
    ControlBuilder::setCaption(widget, fields().text(control));
    if (control == lblDate) {
        // The sentence is the label's name: tell a screen reader that it has changed.
        QAccessibleEvent event(widget, QAccessible::NameChanged);
        notify_(&event);
    }
}

void frmMainWindow::caretMoved(Control control)
{
    if (widgetOf(control) == serial_)
        showSerial();
}

void frmMainWindow::showSerial()
{
    const QString& text = fields().text(txtSerial);
    const int caret = fields().caret(txtSerial);
    QScopedValueRollback guard(showingSerial_, true);
    if (serial_->text() != text)
        serial_->setText(text); // never cut: the typing limit holds for typing only
    if (serial_->cursorPosition() != caret)
        serial_->setCursorPosition(caret);
}

void frmMainWindow::serialChanged(const QString& text)
{
    if (ended_ || showingSerial_)
        return;
    form_->userEdit(txtSerial, text, serial_->cursorPosition());
    showSerial(); // the caret goes where the field set put it, even when nothing changed
}

void frmMainWindow::serialCursorMoved(int position)
{
    // A caret move without an edit (arrows, clicks); during an edit the text differs and the
    // edit itself reports the caret.
    if (ended_ || showingSerial_ || serial_->text() != fields().text(txtSerial))
        return;
    form_->fields().setCaret(txtSerial, position);
}

// ---- Keyboard --------------------------------------------------------------------------------

void frmMainWindow::keyPressEvent(QKeyEvent* event)
{
    if (ended_) {
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: // keypad
        // Qt honours default buttons inside dialogs only; the window does it for itself. Keys
        // reach the focused control first, and none of them takes Enter.
        if (event->modifiers() & ~Qt::KeypadModifier)
            break;
        if (defaultButton_ && defaultButton_->isEnabled())
            defaultButton_->click();
        event->accept();
        return;
    case Qt::Key_Escape:
        event->accept(); // no cancel button
        return;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

// ---- Lifecycle -------------------------------------------------------------------------------

void frmMainWindow::queryUnload(int mode, bool& cancelled)
{
    qint16 cancel = 0;
    form_->Form_QueryUnload(cancel, mode);
    cancelled = cancel != 0 && !ended_;
}

void frmMainWindow::closeEvent(QCloseEvent* event)
{
    if (ended_) {
        event->accept();
        return;
    }
    bool cancelled = false;
    queryUnload(event->spontaneous() ? FormControlMenu : FormCode, cancelled);
    if (cancelled)
        event->ignore(); // everything stays as it was
    else
        event->accept();
}

#ifndef QT_NO_SESSIONMANAGER
void frmMainWindow::sessionEnding(QSessionManager& manager)
{
    if (ended_ || !manager.allowsInteraction())
        return; // nobody to ask: the session ends and takes the program with it
    bool cancelled = false;
    queryUnload(AppWindows, cancelled);
    manager.release();
    if (cancelled)
        manager.cancel();
}
#endif

void frmMainWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ApplicationPaletteChange)
        ControlBuilder::applyWindowColours(this); // the desktop's colour scheme changed
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && pendingAnnouncement_)
        QTimer::singleShot(0, this, &frmMainWindow::announcePending);
    QWidget::changeEvent(event);
}

// ---- FormHost --------------------------------------------------------------------------------

Answer frmMainWindow::ask(const Message& message)
{
    if (ended_)
        return Answer::Closed;
    return MessageBoxHost::ask(this, message);
}

void frmMainWindow::showAbout()
{
    if (ended_)
        return;
    // A fresh window for every opening, destroyed when it closes. It is parented to this window
    // only so that the desktop treats it as this window's dialog: no task-bar entry of its own.
    frmAboutDialog dialog(identity_, this);
    about_ = &dialog;
    dialog.exec();
    about_ = nullptr;
}

void frmMainWindow::endApplication()
{
    if (ended_)
        return;
    ended_ = true;
    // From here on no handler runs: input is cut off and the remaining windows go away.
    disconnectInput();
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window != this && window->isVisible())
            window->hide();
    }
    hide();
    ender_(0);
}

void frmMainWindow::announce(const QString& text)
{
    if (ended_)
        return;
    pendingAnnouncement_ = text;
    // After the events of this turn: a screen reader first hears where the focus is, then this.
    if (isActiveWindow())
        QTimer::singleShot(0, this, &frmMainWindow::announcePending);
}

void frmMainWindow::announcePending()
{
    if (!pendingAnnouncement_ || !isActiveWindow() || ended_)
        return;
    announcer_->announce(*pendingAnnouncement_);
    pendingAnnouncement_.reset();
}

void frmMainWindow::setAccessibilityNotifier(std::function<void(QAccessibleEvent*)> notifier)
{
    notify_ = notifier;
    announcer_->setNotifier(std::move(notifier));
}

void frmMainWindow::setApplicationEnder(std::function<void(int)> ender)
{
    ender_ = std::move(ender);
}
