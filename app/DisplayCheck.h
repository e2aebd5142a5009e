#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Whether the window has a display to open on, asked before Qt is: where there is none, Qt's
// X11 and Wayland platforms abort the program. The platforms that draw without a display server
// (offscreen, minimal, vnc, eglfs, linuxfb) are left to Qt.
namespace DisplayCheck {

// The one line to say when the platform Qt will be asked for (the -platform argument, else
// QT_QPA_PLATFORM, else Qt's default: X11 or Wayland) needs a display server and the environment
// names none: no DISPLAY, no WAYLAND_DISPLAY or WAYLAND_SOCKET, and no wayland-0 socket in
// XDG_RUNTIME_DIR. Empty when the window may open.
QString missingDisplay(const QStringList& arguments, const QProcessEnvironment& environment);

} // namespace DisplayCheck
