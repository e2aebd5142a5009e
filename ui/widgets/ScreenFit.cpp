#include "ScreenFit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace ScreenFit {

double largestScale(QSize client, QMargins frame, QSize available)
{
    if (client.isEmpty())
        return 1.0;
    const double across = double(available.width() - frame.left() - frame.right()) / client.width();
    const double down = double(available.height() - frame.top() - frame.bottom()) / client.height();
    return std::clamp(std::min(across, down), kSmallestScale, 1.0);
}

Watcher::Watcher(QWidget* window, QSize client, QMargins chrome,
                 std::function<void(double)> rescale)
    : QObject(window)
    , window_(window)
    , client_(client)
    , chrome_(chrome)
    , rescale_(std::move(rescale))
    , enabled_(QGuiApplication::platformName() != QLatin1String("offscreen") &&
               QGuiApplication::platformName() != QLatin1String("minimal"))
{
    if (enabled_)
        window_->installEventFilter(this);
}

void Watcher::fit()
{
    if (!enabled_)
        return;
    QScreen* screen = window_->screen() ? window_->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect outer = window_->frameGeometry();
    const QRect inner = window_->geometry();
    const QMargins frame =
        chrome_ + QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                           outer.right() - inner.right(), outer.bottom() - inner.bottom());
    const double scale = largestScale(client_, frame, screen->availableGeometry().size());
    if (scale == scale_)
        return;
    scale_ = scale;
    rescale_(scale);
}

bool Watcher::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != window_)
        return false;
    switch (event->type()) {
    case QEvent::Show:
        if (!watchingWindow_ && window_->windowHandle()) {
            watchingWindow_ = true;
            connect(window_->windowHandle(), &QWindow::screenChanged, this, [this](QScreen* s) {
                watch(s);
                fit();
            });
            watch(window_->windowHandle()->screen());
        }
        break;
    case QEvent::Move:
        // The window manager has placed the window, framed now: the frame is known.
        if (event->spontaneous())
            fit();
        break;
    default:
        break;
    }
    return false;
}

void Watcher::watch(QScreen* screen)
{
    disconnect(screenArea_);
    if (screen)
        screenArea_ = connect(screen, &QScreen::availableGeometryChanged, this, &Watcher::fit);
}

} // namespace ScreenFit
