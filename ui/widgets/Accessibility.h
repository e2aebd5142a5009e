#pragma once

#include <QAccessible>
#include <QObject>
#include <QString>

#include <functional>

class QAccessibleEvent;
class QWidget;

// What assistive technologies (screen readers, voice control) meet in the two windows.
//
// - A window lists its controls but not its decorations (pictures, the band at the foot): a
//   screen reader has nothing to say about them.
// - A window can announce a short text: the outcome of a command, spoken without moving the
//   keyboard focus.
namespace Accessibility {

// Makes Qt describe `window`, one of the program's top-level windows, as above, in `role`
// (Window or Dialog). Called first in the window's constructor, before anything asks Qt about it.
void describeWindow(QWidget* window, QAccessible::Role role);

// A control that only decorates its window; assistive technologies do not meet it.
void markDecoration(QWidget* widget);
bool isDecoration(const QWidget* widget);

// A notification of its window: a screen reader speaks it when it appears (the way Orca and its
// kin present notifications; Qt 6.4 has no announcement of its own). It has no widget and takes
// no room on screen. Each announcement takes it away and shows it again with the new text, so
// the same text twice is spoken twice. Its events go to the notifier, Qt's by default.
class Announcer : public QObject {
    Q_OBJECT

public:
    using Notifier = std::function<void(QAccessibleEvent*)>;

    explicit Announcer(QWidget* window);
    ~Announcer() override;

    void announce(const QString& text);
    const QString& text() const { return text_; }
    bool isShowing() const { return showing_; }

    void setNotifier(Notifier notifier);

private:
    void setShowing(bool showing);

    QString text_;
    bool showing_ = false;
    Notifier notify_;
};

} // namespace Accessibility
