#pragma once

#include <QByteArray>

#include <functional>

// Whether the window has a display to open on, asked before Qt is: where there is none, Qt's
// X11 and Wayland platforms abort the program. The platforms that draw without a display server
// (offscreen, minimal, vnc, eglfs, linuxfb) are left to Qt, and so is every system but Linux
// and the other Unix desktops, whose windows need no display server.
//
// Plain bytes throughout: nothing here may wake Qt's text conversion before the window does,
// which would cost the start-up memory the window keeps low.
namespace DisplayCheck {

// The value of an environment variable; empty when it is not set.
using Environment = std::function<QByteArray(const char* name)>;

inline constexpr char kNoDisplay[] =
    "cannot open the window: no display (neither DISPLAY nor WAYLAND_DISPLAY is set)";

// False when the platform Qt will be asked for (the -platform argument, else QT_QPA_PLATFORM,
// else Qt's default: X11 or Wayland) needs a display server and the environment names none: no
// DISPLAY, no WAYLAND_DISPLAY or WAYLAND_SOCKET, and no wayland-0 socket in XDG_RUNTIME_DIR.
bool hasDisplay(int argc, const char* const* argv, const Environment& environment);

} // namespace DisplayCheck
