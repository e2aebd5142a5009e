#include "TitleBar.h"

#include "ui/widgets/Accessibility.h"

#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QToolButton>
#include <QWindow>

#include <algorithm>

namespace {

constexpr int kButtonSide = 24;
constexpr int kIconSide = 20;
constexpr int kGap = 4;

} // namespace

bool TitleBar::wanted()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

TitleBar::TitleBar(QWidget* window)
    : QWidget(window)
    , window_(window)
{
    setObjectName(QStringLiteral("titleBar"));
    // Frameless, and not customised: Qt would take a customised frame's minimise button for a
    // reason to draw a frame. The button hints stay, for this bar to read.
    window->setWindowFlags((window->windowFlags() & ~Qt::CustomizeWindowHint) |
                           Qt::FramelessWindowHint);
    window->setContentsMargins(window->contentsMargins() + QMargins(0, kHeight, 0, 0));
    // A window manager's title bar: nothing in it for a screen reader, nothing to tab to.
    Accessibility::markDecoration(this);
    setFocusPolicy(Qt::NoFocus);
    setFont(QApplication::font()); // the desktop's, not the form's
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    if (window->windowFlags() & Qt::WindowMinimizeButtonHint) {
        minimise_ =
            addButton("titleMinimise", QStringLiteral("Minimise"), QStyle::SP_TitleBarMinButton);
        connect(minimise_, &QToolButton::clicked, window, &QWidget::showMinimized);
    }
    close_ = addButton("titleClose", QStringLiteral("Close"), QStyle::SP_TitleBarCloseButton);
    connect(close_, &QToolButton::clicked, window, &QWidget::close); // the close question
    window->installEventFilter(this);
    fitWidth();
}

QToolButton* TitleBar::addButton(const char* name, const QString& text, QStyle::StandardPixmap icon)
{
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(text);
    button->setIcon(style()->standardIcon(icon));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->resize(kButtonSide, kButtonSide);
    return button;
}

void TitleBar::fitWidth()
{
    setGeometry(0, 0, window_->width(), kHeight);
    int right = width() - kGap;
    for (QToolButton* button : {close_, minimise_}) {
        if (!button)
            continue;
        right -= kButtonSide;
        button->move(right, (kHeight - kButtonSide) / 2);
        right -= kGap;
    }
}

bool TitleBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_) {
        switch (event->type()) {
        case QEvent::Resize:
            fitWidth();
            break;
        case QEvent::WindowTitleChange:
        case QEvent::WindowIconChange:
        case QEvent::ActivationChange:
            update();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TitleBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(0, height() - 1, width() - 1, height() - 1);
    int left = kGap * 2;
    const QIcon icon = window_->windowIcon();
    if (!icon.isNull()) {
        icon.paint(&painter, QRect(left, (kHeight - kIconSide) / 2, kIconSide, kIconSide));
        left += kIconSide + kGap * 2;
    }
    const int right = (minimise_ ? minimise_->x() : close_->x()) - kGap * 2;
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(palette().color(
        window_->isActiveWindow() ? QPalette::Active : QPalette::Inactive, QPalette::ButtonText));
    const QRect room(left, 0, std::max(0, right - left), kHeight - 1);
    const QString title =
        painter.fontMetrics().elidedText(window_->windowTitle(), Qt::ElideRight, room.width());
    painter.drawText(room, Qt::AlignCenter, title);
}

void TitleBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && window_->windowHandle()) {
        window_->windowHandle()->startSystemMove(); // the compositor moves it
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}
