#include "DisplayCheck.h"

#include <QByteArrayList>
#include <QtGlobal>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace DisplayCheck {

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
namespace {

// The platform list Qt is asked for: "-platform NAME" (or "--platform NAME") on the command
// line, else QT_QPA_PLATFORM; empty for Qt's default.
QByteArray requestedPlatforms(int argc, const char* const* argv, const Environment& environment)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return argv[i + 1];
    }
    return environment("QT_QPA_PLATFORM");
}

// Whether every platform of the list ("xcb", "wayland;xcb", "offscreen:fontengine=...") draws
// on a display server; Qt's default does.
bool needsDisplayServer(const QByteArray& platforms)
{
    const QByteArrayList entries = platforms.split(';');
    return std::all_of(entries.cbegin(), entries.cend(), [](const QByteArray& entry) {
        const QByteArray name = entry.split(':').front().trimmed();
        return name.isEmpty() || name == "xcb" || name.startsWith("wayland");
    });
}

bool namesDisplayServer(const Environment& environment)
{
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET"}) {
        if (!environment(variable).isEmpty())
            return true;
    }
    // Without WAYLAND_DISPLAY, a Wayland client connects to wayland-0.
    const QByteArray runtime = environment("XDG_RUNTIME_DIR");
    std::error_code error;
    return !runtime.isEmpty() &&
           std::filesystem::exists(std::filesystem::path(runtime.toStdString()) / "wayland-0",
                                   error);
}

} // namespace
#endif

bool hasDisplay(int argc, const char* const* argv, const Environment& environment)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
    return !needsDisplayServer(requestedPlatforms(argc, argv, environment)) ||
           namesDisplayServer(environment);
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    Q_UNUSED(environment);
    return true;
#endif
}

} // namespace DisplayCheck
