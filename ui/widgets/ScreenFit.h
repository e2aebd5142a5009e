#pragma once

#include <QMargins>
#include <QMetaObject>
#include <QObject>
#include <QSize>

#include <functional>

class QScreen;
class QWidget;

// How far a fixed-size window must shrink to fit its screen: at 150 % on a 1366 x 768 laptop,
// or at 200 % on a 1920 x 1080 one, a form designed for 898 x 560 pixels and its frame do not.
namespace ScreenFit {

// Below this the form would be unreadable; a screen that small gets it at this scale.
inline constexpr double kSmallestScale = 0.25;

// The largest scale, at most 1, at which a client area of `client` pixels, with `frame` around
// it (the window manager's frame, a title bar), fits into `available`.
double largestScale(QSize client, QMargins frame, QSize available);

// Keeps a window's form at the largest scale that fits the available area of the window's
// screen, frame included: before the window is first shown, again once the window manager has
// framed it (the frame is known only then), and whenever the window changes screens or its
// screen's available area changes. `rescale` draws the form at a new scale. On the offscreen
// and minimal platforms, whose screen nobody sees, the form keeps its design size.
class Watcher : public QObject {
public:
    // `client`: the form's design size; `chrome`: what the window itself draws around the form
    // (a title bar of its own), besides the window manager's frame.
    Watcher(QWidget* window, QSize client, QMargins chrome, std::function<void(double)> rescale);

    double scale() const { return scale_; }
    void fit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QScreen* screen);

    QWidget* window_;
    QSize client_;
    QMargins chrome_;
    std::function<void(double)> rescale_;
    double scale_ = 1.0;
    bool enabled_;
    bool watchingWindow_ = false;
    QMetaObject::Connection screenArea_;
};

} // namespace ScreenFit
