#!/usr/bin/env python3
"""The window on an X11 desktop as people have them: Xvfb screens of laptop sizes with the openbox
window manager, the window at 100 %, 150 % and 200 % (QT_SCALE_FACTOR).

- At 100 % the client area is 898 x 560 pixels, as designed.
- Where the scaled window and its frame would not fit, the frame lies on the screen, and the
  form is as large as fits: no more than a few pixels are left over in the direction that
  decides.
- The window's WM_CLASS names the class that the desktop entry's StartupWMClass names, so that
  docks and task bars match the running window to its menu entry.

Every tool is required: a missing one fails the test.

Usage: tst_x11desktop.py TARNWICK_EXECUTABLE DESKTOP_ENTRY
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

TOOLS = ["Xvfb", "openbox", "xdotool", "xprop", "xwininfo"]
CAPTION = "Quorvin Halvex Build Date Calculator"
WAIT = 20.0
LEFT_OVER = 3  # pixels a window manager's size increments may leave unused

# screen, QT_SCALE_FACTOR, the client size in the screen's pixels (None: shrunk to fit)
ROWS = [
    ("1366x768", "1", (898, 560)),
    ("1366x768", "1.5", None),
    ("1920x1080", "2", None),
]


class Failure(Exception):
    pass


def wait_until(check, what):
    deadline = time.monotonic() + WAIT
    while True:
        result = check()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.1)


def output(*args, env):
    return subprocess.run(args, check=True, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          text=True, timeout=WAIT, env=env).stdout


class Desktop:
    """A private X server of one screen size, with openbox."""

    def __init__(self, size, work):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", size + "x24", "-nolisten",
             "tcp"], pass_fds=[write_fd], stdout=subprocess.DEVNULL,
            stderr=open(os.path.join(work, "xvfb-%s.log" % size), "w"))
        os.close(write_fd)
        with os.fdopen(read_fd) as pipe:
            display = pipe.readline().strip()
        if not display:
            raise Failure("Xvfb did not start")
        self.env = dict(os.environ, DISPLAY=":" + display, LC_ALL="C.UTF-8")
        for variable in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QT_SCALE_FACTOR",
                         "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR"):
            self.env.pop(variable, None)
        ready = os.path.join(work, "wm-ready-" + size)
        self.openbox = subprocess.Popen(["openbox", "--startup", "touch " + ready], env=self.env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_until(lambda: os.path.exists(ready), "the window manager")
        self.width, self.height = map(int, size.split("x"))

    def close(self):
        for process in (self.openbox, self.xvfb):
            process.terminate()
            process.wait()


def window_of(tarnwick, desktop, scale, log):
    """Starts Tarnwick; returns the process and its framed window's id once it has settled."""
    env = dict(desktop.env, QT_SCALE_FACTOR=scale)
    app = subprocess.Popen([tarnwick], env=env, stdout=log, stderr=subprocess.STDOUT)

    def framed():
        if app.poll() is not None:
            raise Failure("Tarnwick ended with %s before its window appeared" % app.returncode)
        found = subprocess.run(["xdotool", "search", "--name", "^%s$" % CAPTION],
                               stdout=subprocess.PIPE, text=True, env=env).stdout.split()
        if not found:
            return None
        extents = output("xprop", "-id", found[0], "_NET_FRAME_EXTENTS", env=env)
        return found[0] if "=" in extents else None

    window = wait_until(framed, "the framed main window")
    # The window fits itself to the screen once it knows its frame: wait until it keeps still.
    last = [None]

    def still():
        time.sleep(0.5)
        now = geometry(window, env)
        settled, last[0] = now == last[0], now
        return settled

    wait_until(still, "the window to keep still")
    return app, window


def geometry(window, env):
    """The client area (x, y, width, height) on the screen, and the frame's margins."""
    info = output("xwininfo", "-id", window, env=env)
    values = {key: int(value) for key, value in
              re.findall(r"(Absolute upper-left [XY]|Width|Height):\s+(-?\d+)", info)}
    extents = output("xprop", "-id", window, "_NET_FRAME_EXTENTS", env=env)
    left, right, top, bottom = map(int, re.findall(r"\d+", extents.split("=")[1]))
    client = (values["Absolute upper-left X"], values["Absolute upper-left Y"], values["Width"],
              values["Height"])
    return client, (left, right, top, bottom)


def check_row(tarnwick, desktop, scale, expected, work, problems):
    name = "%dx%d at %s" % (desktop.width, desktop.height, scale)
    with open(os.path.join(work, "tarnwick-%s-%s.log" % (desktop.width, scale)), "w") as log:
        app, window = window_of(tarnwick, desktop, scale, log)
        try:
            (x, y, width, height), (left, right, top, bottom) = geometry(window, desktop.env)
            frame = (x - left, y - top, x + width + right, y + height + bottom)
            print("%s: client %dx%d at %d,%d; frame from %d,%d to %d,%d"
                  % ((name, width, height, x, y) + frame))
            if expected and (width, height) != expected:
                problems.append("%s: the client is %dx%d, not %dx%d"
                                % ((name, width, height) + expected))
            if frame[0] < 0 or frame[1] < 0 or frame[2] > desktop.width \
                    or frame[3] > desktop.height:
                problems.append("%s: the frame is not on the screen" % name)
            if not expected:
                spare = min(desktop.width - (frame[2] - frame[0]),
                            desktop.height - (frame[3] - frame[1]))
                if spare > LEFT_OVER:
                    problems.append("%s: %d pixels to spare; the form could be larger"
                                    % (name, spare))
            return window
        finally:
            app.terminate()
            app.wait(timeout=WAIT)


def check_wm_class(tarnwick, desktop, desktop_entry, work, problems):
    with open(os.path.join(work, "tarnwick-wm-class.log"), "w") as log:
        app, window = window_of(tarnwick, desktop, "1", log)
        try:
            wm_class = output("xprop", "-id", window, "WM_CLASS", env=desktop.env)
        finally:
            app.terminate()
            app.wait(timeout=WAIT)
    names = re.findall(r'"([^"]*)"', wm_class)
    with open(desktop_entry, encoding="utf-8") as entry:
        wanted = re.findall(r"^StartupWMClass=(.*)$", entry.read(), re.MULTILINE)
    print("WM_CLASS %s; StartupWMClass=%s" % (names, wanted))
    if len(names) != 2 or not wanted or names[1] != wanted[0]:
        problems.append("WM_CLASS %s does not name the class StartupWMClass %s names"
                        % (names, wanted))


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    tarnwick, desktop_entry = map(os.path.abspath, sys.argv[1:])
    missing = [tool for tool in TOOLS if not shutil.which(tool)]
    if missing:
        print("FAIL: missing %s (tools/install-deps.sh installs them)" % ", ".join(missing))
        return 1
    work = tempfile.mkdtemp(prefix="tarnwick-x11-")
    problems = []
    try:
        for size in sorted({row[0] for row in ROWS}):
            desktop = Desktop(size, work)
            try:
                for _, scale, expected in (row for row in ROWS if row[0] == size):
                    check_row(tarnwick, desktop, scale, expected, work, problems)
                if size == ROWS[0][0]:
                    check_wm_class(tarnwick, desktop, desktop_entry, work, problems)
            finally:
                desktop.close()
    except (Failure, subprocess.SubprocessError, OSError) as e:
        problems.append(str(e))
    for problem in problems:
        print("FAIL: " + problem)
    if problems:
        print("logs in " + work)
        return 1
    shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
