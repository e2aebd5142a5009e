#include "Accessibility.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QWidget>
#include <QWindow>

#include <utility>

namespace Accessibility {

namespace {

constexpr const char* kDecorationProperty = "tarnwickDecoration";
constexpr const char* kWindowRoleProperty = "tarnwickWindowRole";

// A window as Qt describes it, with the controls a user can reach: its decorations left out,
// an announcement in while it shows.
class WindowAccessible : public QAccessibleWidget {
public:
    WindowAccessible(QWidget* window, QAccessible::Role role)
        : QAccessibleWidget(window, role)
    {
    }

    int childCount() const override { return static_cast<int>(reachable().size()); }

    QAccessibleInterface* child(int index) const override
    {
        const QObjectList children = reachable();
        if (index < 0 || index >= children.size())
            return nullptr;
        return QAccessible::queryAccessibleInterface(children.at(index));
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child ? static_cast<int>(reachable().indexOf(child->object())) : -1;
    }

private:
    QObjectList reachable() const
    {
        QObjectList out;
        for (QObject* child : widget()->children()) {
            if (auto* control = qobject_cast<QWidget*>(child)) {
                if (!control->isWindow() && !isDecoration(control))
                    out.append(control);
            } else if (auto* announcer = qobject_cast<Announcer*>(child)) {
                if (announcer->isShowing())
                    out.append(announcer);
            }
        }
        return out;
    }
};

// An announcement: a notification named by its text, showing from the moment it is announced.
class AnnouncementAccessible : public QAccessibleObject {
public:
    explicit AnnouncementAccessible(Announcer* announcer)
        : QAccessibleObject(announcer)
    {
    }

    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(object()->parent());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? announcer()->text() : QString();
    }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = !announcer()->isShowing();
        state.readOnly = true;
        return state;
    }
    QWindow* window() const override
    {
        const auto* owner = qobject_cast<QWidget*>(object()->parent());
        return owner ? owner->window()->windowHandle() : nullptr;
    }

private:
    const Announcer* announcer() const { return static_cast<const Announcer*>(object()); }
};

QAccessibleInterface* interfaceFor(const QString& className, QObject* object)
{
    const QVariant role = object ? object->property(kWindowRoleProperty) : QVariant();
    if (role.isValid() && className == QLatin1String(object->metaObject()->className()))
        return new WindowAccessible(static_cast<QWidget*>(object),
                                    static_cast<QAccessible::Role>(role.toInt()));
    if (className == QLatin1String(Announcer::staticMetaObject.className()))
        return new AnnouncementAccessible(static_cast<Announcer*>(object));
    return nullptr;
}

void install()
{
    static const bool installed = [] {
        QAccessible::installFactory(interfaceFor);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace

void describeWindow(QWidget* window, QAccessible::Role role)
{
    window->setProperty(kWindowRoleProperty, static_cast<int>(role));
    install();
}

void markDecoration(QWidget* widget) { widget->setProperty(kDecorationProperty, true); }

bool isDecoration(const QWidget* widget) { return widget->property(kDecorationProperty).toBool(); }

Announcer::Announcer(QWidget* window)
    : QObject(window)
    , notify_([](QAccessibleEvent* event) { QAccessible::updateAccessibility(event); })
{
    install();
}

Announcer::~Announcer() = default;

void Announcer::announce(const QString& text)
{
    if (showing_)
        setShowing(false);
    text_ = text;
    setShowing(true);
}

void Announcer::setNotifier(Notifier notifier) { notify_ = std::move(notifier); }

void Announcer::setShowing(bool showing)
{
    showing_ = showing;
    QAccessibleEvent event(this, showing ? QAccessible::ObjectShow : QAccessible::ObjectHide);
    notify_(&event);
}

} // namespace Accessibility
