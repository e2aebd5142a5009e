#include "frmAboutDialog.h"

#include "ui/widgets/Accessibility.h"
#include "ui/widgets/ControlBuilder.h"
#include "ui/widgets/TitleBar.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

using enum AboutControl;

namespace {

constexpr const char* kPicture = ":/images/Image3_about.gif";

} // namespace

QSize frmAboutDialog::clientSize()
{
    return {ControlBuilder::toPixels(kAboutClientWidthTwips),
            ControlBuilder::toPixels(kAboutClientHeightTwips)};
}

frmAboutDialog::frmAboutDialog(const AppIdentity& identity, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
    , form_(*this, identity)
{
    Accessibility::describeWindow(this, QAccessible::Dialog);
    ControlBuilder::installFontSubstitutes();
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(frmAbout::caption());
    // An icon of its own, and an empty one: otherwise it would show the main window's.
    setWindowIcon(QIcon());
    setModal(true);
    setSizeGripEnabled(false);
    ControlBuilder::applyWindowColours(this);
    setFont(ControlBuilder::fontFor(aboutControlDef(lblApp).font));
    if (TitleBar::wanted())
        new TitleBar(this);
    const QPoint origin = contentsRect().topLeft(); // below a title bar of the window's own
    setFixedSize(clientSize().grownBy(contentsMargins()));

    QList<QPair<QWidget*, ControlKind>> built;
    for (const AboutControlDef& def : aboutControlTable()) {
        const QString picture =
            def.kind == ControlKind::Picture ? QString::fromLatin1(kPicture) : QString();
        QWidget* widget = ControlBuilder::buildControl(this, def, picture);
        widget->move(widget->pos() + origin);
        ControlBuilder::setCaption(widget, form_.text(def.id));
        widgets_[indexOf(def.id)] = widget;
        built.append({widget, def.kind});
    }
    ControlBuilder::stack(built);
    // "Version:" labels the version for a screen reader's user who goes from label to label.
    qobject_cast<QLabel*>(widgetOf(Label1))->setBuddy(widgetOf(lblVersion));
    nameTitleLine();

    auto* close = qobject_cast<QPushButton*>(widgetOf(cmdClose));
    connect(close, &QPushButton::clicked, this, [this] { form_.cmdClose_Click(); });

    form_.setObserver(this);
    form_.Form_Load();
    close->setFocus(Qt::OtherFocusReason); // the only control that takes the focus
    centreOnScreen();
}

frmAboutDialog::~frmAboutDialog() { form_.setObserver(nullptr); }

void frmAboutDialog::centreOnScreen()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (parentWidget() && parentWidget()->screen())
        screen = parentWidget()->screen();
    if (!screen)
        return;
    QRect frame(QPoint(), frameGeometry().size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft()); // moved: QDialog no longer centres it over its parent
}

void frmAboutDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        centreOnScreen(); // now with its frame
}

void frmAboutDialog::captionChanged(AboutControl control)
{
    ControlBuilder::setCaption(widgetOf(control), form_.text(control));
    if (control == lblApp || control == Label1 || control == lblVersion)
        nameTitleLine();
}

void frmAboutDialog::nameTitleLine()
{
    // A screen reader presents a dialog by the labels of a few words or more that no control
    // claims; "Version:" and "V1.0.22" alone are too short to be read. The product's line carries
    // them, as the user sees them: "Product 1.0, Version: V1.0.22".
    widgetOf(lblApp)->setAccessibleName(
        QStringLiteral("%1, %2 %3")
            .arg(form_.text(lblApp), form_.text(Label1), form_.text(lblVersion)));
}

void frmAboutDialog::unload() { done(QDialog::Accepted); }

void frmAboutDialog::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        event->accept(); // there is no cancel button
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // No default button here: Enter presses the button that holds the focus.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled())
            button->click();
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void frmAboutDialog::closeEvent(QCloseEvent* event)
{
    form_.Form_Unload();
    QDialog::closeEvent(event); // rejects: the window goes
}
