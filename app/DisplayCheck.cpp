#include "DisplayCheck.h"

#include <QDir>
#include <QFileInfo>

namespace DisplayCheck {

namespace {

// The platform list Qt is asked for: "-platform NAME" (or "--platform NAME") on the command
// line, else QT_QPA_PLATFORM; empty for Qt's default.
QString requestedPlatforms(const QStringList& arguments, const QProcessEnvironment& environment)
{
    for (qsizetype i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("-platform") ||
            arguments[i] == QLatin1String("--platform"))
            return arguments[i + 1];
    }
    return environment.value(QStringLiteral("QT_QPA_PLATFORM"));
}

// Whether every platform of the list ("xcb", "wayland;xcb", "offscreen:fontengine=...") draws
// on a display server; Qt's default does.
bool needsDisplayServer(const QString& platforms)
{
    for (const QString& entry : platforms.split(u';', Qt::SkipEmptyParts)) {
        const QString name = entry.section(u':', 0, 0).trimmed();
        if (name != QLatin1String("xcb") && !name.startsWith(QLatin1String("wayland")))
            return false;
    }
    return true;
}

bool namesDisplayServer(const QProcessEnvironment& environment)
{
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET"}) {
        if (!environment.value(QString::fromLatin1(variable)).isEmpty())
            return true;
    }
    // Without WAYLAND_DISPLAY, a Wayland client connects to wayland-0.
    const QString runtime = environment.value(QStringLiteral("XDG_RUNTIME_DIR"));
    return !runtime.isEmpty() &&
           QFileInfo::exists(QDir(runtime).filePath(QStringLiteral("wayland-0")));
}

} // namespace

QString missingDisplay(const QStringList& arguments, const QProcessEnvironment& environment)
{
    if (!needsDisplayServer(requestedPlatforms(arguments, environment)) ||
        namesDisplayServer(environment))
        return {};
    return QStringLiteral("cannot open the window: no display (neither DISPLAY nor "
                          "WAYLAND_DISPLAY is set)");
}

} // namespace DisplayCheck
