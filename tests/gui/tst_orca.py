#!/usr/bin/env python3
"""The screen reader of Debian's desktops, Orca, against the real main window.

A private desktop as a user has one: Xvfb with the openbox window manager, a D-Bus session with
the accessibility bus, Orca with a debug log, and Tarnwick with its accessibility on. Real key
presses and a mouse click (xdotool, through the window manager) run the flows below; what Orca
says is read from the SPEECH OUTPUT lines of its debug log:

- Enter in the serial field, Alt+C and a click on Calculate each speak the result sentence once;
- the About window is spoken whole: product, version, copyright line and warning;
- Reset answered Yes speaks the prompt once;
- the two warnings are spoken as message boxes, and no sentence with them;
- a flat review of the result area, line by line, reads each month figure once, beside its
  caption.

Orca writes its debug log through a buffer that it never flushes, so the log goes to a
pseudo-terminal, which makes Python write it line by line; the test reads it as it comes and
keeps a copy. Every tool is required: a missing one fails the test.

Usage: tst_orca.py TARNWICK_EXECUTABLE [LOG_DIR]
"""

import os
import pty
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import tty

TOOLS = ["Xvfb", "openbox", "dbus-run-session", "dbus-send", "orca", "xdotool", "pgrep",
         "/usr/libexec/at-spi-bus-launcher"]
CAPTION = "Quorvin Halvex Build Date Calculator"
SENTENCE = "400 was built on January 9, 1909."
PROMPT = "Enter your serial number, then click 'Calculate' to reveal the build date."
COPYRIGHT = "\u00a9 2026 Tarnwick Motor Archive Software. All rights reserved."
WARNING = "Warning: this computer program is protected by copyright law"
RANGE_TEXT = "Please enter a serial number between 1 and 15076231"
NOT_FOUND_TEXT = "No production month is recorded for serial number 2831427."
# The month figures of serial 400 and their captions, as the window shows them line by line.
FIGURES = [("310", "The first serial number for the month"),
           ("646", "The last serial number for the month"),
           ("336", "Total Halvex production for the month"),
           ("11", "Average Daily production for the month")]
REVIEW_LINES = 6  # from the serial field's line down to the result sentence
# Calculate's centre in the client area: left 6720 + 2415 / 2, top 7680 + 495 / 2 twips.
CALCULATE_AT = ("528", "528")

WAIT = 20.0   # seconds for one thing to happen, on a busy machine
QUIET = 0.8   # Orca has said all it will about a flow when it has been silent this long


class Failure(Exception):
    pass


class SpeechLog:
    """Orca's debug log as it is written; the spoken lines in order."""

    def __init__(self, copy_path):
        self.master, self.slave = pty.openpty()
        tty.setraw(self.slave)  # no line-ending translation
        self.path = os.ttyname(self.slave)
        self.copy = open(copy_path, "w", encoding="utf-8")
        self.lines = []
        self.spoken = []
        self.last_spoken_at = time.monotonic()
        self.lock = threading.Condition()
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()

    def _read(self):
        pending = b""
        while True:
            try:
                chunk = os.read(self.master, 65536)
            except OSError:
                return
            if not chunk:
                return
            pending += chunk
            *complete, pending = pending.split(b"\n")
            with self.lock:
                for raw in complete:
                    line = raw.decode("utf-8", "replace").rstrip("\r")
                    self.copy.write(line + "\n")
                    self.lines.append(line)
                    # SPEECH OUTPUT: 'text'{'established': False}, 'text ' {...} for keys,
                    # 'text'[{...}] in flat review
                    match = re.search(r"SPEECH OUTPUT: '(.*)'\s*(?:\[?\{[^{}]*\}\]?)?\s*$",
                                      line)
                    if match:
                        self.spoken.append(match.group(1).strip())
                        self.last_spoken_at = time.monotonic()
                self.copy.flush()
                self.lock.notify_all()

    def mark(self):
        with self.lock:
            return len(self.spoken)

    def since(self, mark):
        with self.lock:
            return list(self.spoken[mark:])

    def wait_for(self, mark, text, what):
        """Waits until a line spoken since mark contains text."""
        deadline = time.monotonic() + WAIT
        with self.lock:
            while not any(text in s for s in self.spoken[mark:]):
                left = deadline - time.monotonic()
                if left <= 0:
                    raise Failure("%s: Orca never said %r; it said %r"
                                  % (what, text, self.spoken[mark:]))
                self.lock.wait(left)

    def wait_for_line(self, text, what):
        deadline = time.monotonic() + WAIT
        with self.lock:
            while not any(text in line for line in self.lines):
                left = deadline - time.monotonic()
                if left <= 0:
                    raise Failure("%s: no log line with %r" % (what, text))
                self.lock.wait(left)

    def wait_quiet(self):
        deadline = time.monotonic() + WAIT
        while True:
            with self.lock:
                silent = time.monotonic() - self.last_spoken_at
            if silent >= QUIET:
                return
            if time.monotonic() > deadline:
                raise Failure("Orca never fell silent")
            time.sleep(QUIET - silent)


def wait_until(check, what):
    deadline = time.monotonic() + WAIT
    while not check():
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.05)


def run(*args, **kwargs):
    return subprocess.run(args, check=True, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          text=True, timeout=WAIT, **kwargs)


def key(*keys):
    run("xdotool", "key", "--delay", "60", *keys)


def type_text(text):
    run("xdotool", "type", "--delay", "60", text)


def count(lines, text):
    return sum(text in line for line in lines)


FAILURES = []


def check_flow(log, name, act, expect, once=(), never=(), last=None):
    """Runs one flow; Orca must say every text of expect, those of once exactly once, none of
    never, and last in the flow's last line (nothing cut it short). A failure is noted and the
    next flow runs, so that one run shows all that is wrong."""
    mark = log.mark()
    act()
    problems = []
    for text in expect:
        try:
            log.wait_for(mark, text, name)
        except Failure as e:
            problems.append(str(e))
            break
    log.wait_quiet()
    said = log.since(mark)
    print("%s:" % name)
    for line in said:
        print("    %s" % line)
    for text in once:
        if count(said, text) != 1:
            problems.append("%s: %r spoken %d times, not once" % (name, text, count(said, text)))
    for text in never:
        if count(said, text):
            problems.append("%s: %r should not be spoken" % (name, text))
    if last and not (said and last in said[-1]):
        problems.append("%s: %r is not the last thing said" % (name, last))
    for problem in problems:
        print("    FAILED: " + problem)
    FAILURES.extend(problems)
    return said


def review_results(log):
    """Orca's flat review, line by line from the serial field down through the month figures
    and the result: each figure is read once, in the line of its caption."""
    lines = []

    def review():
        key("KP_Up")  # the current line: the serial field's
        for _ in range(REVIEW_LINES):
            log.wait_quiet()
            mark = log.mark()
            key("KP_Page_Up")  # the next line
            log.wait_quiet()
            lines.append(" ".join(log.since(mark)))

    said = check_flow(log, "review of the result area", review, [FIGURES[-1][1]])
    for figure, caption in FIGURES:
        if not any(re.search(r"(^|\s)%s %s" % (figure, re.escape(caption)), line)
                   for line in lines):
            FAILURES.append("review: no line reads %r, then %r" % (figure, caption))
        for text, pattern in ((figure, r"(^|\s)%s(\s|$)" % figure), (caption, re.escape(caption))):
            spoken = sum(len(re.findall(pattern, line)) for line in said)
            if spoken != 1:
                FAILURES.append("review: %r spoken %d times, not once" % (text, spoken))


def session(tarnwick, work):
    """Inside the private D-Bus session, on the private display."""
    children = []

    def start(args, log_name, **kwargs):
        out = open(os.path.join(work, log_name), "w")
        child = subprocess.Popen(args, stdout=out, stderr=subprocess.STDOUT, **kwargs)
        children.append(child)
        return child

    try:
        start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], "bus.log")
        wait_until(lambda: subprocess.run(
            ["dbus-send", "--session", "--dest=org.a11y.Bus", "--print-reply",
             "/org/a11y/bus", "org.a11y.Bus.GetAddress"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0,
            "the accessibility bus")

        ready = os.path.join(work, "wm-ready")
        start(["openbox", "--startup", "touch " + ready], "openbox.log")
        wait_until(lambda: os.path.exists(ready), "the window manager")

        log = SpeechLog(os.path.join(work, "orca-debug.log"))
        start(["orca", "-u", os.path.join(work, "orca-prefs"), "--debug-file", log.path],
              "orca.log")
        log.wait_for(0, "Screen reader on", "Orca starting")

        mark = log.mark()
        app_env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
        app = start([tarnwick], "tarnwick.log", env=app_env)
        found = []

        def window_shown():
            if app.poll() is not None:
                raise Failure("Tarnwick ended with %s before its window appeared (tarnwick.log)"
                              % app.returncode)
            found[:] = subprocess.run(["xdotool", "search", "--name", "^%s$" % CAPTION],
                                      stdout=subprocess.PIPE, text=True).stdout.split()
            return bool(found)

        wait_until(window_shown, "the main window")
        window = found[0]
        log.wait_for(mark, "Serial Number", "the window opening with the focus in the serial")
        log.wait_quiet()
        print("opening:\n    " + "\n    ".join(log.since(mark)))

        type_text("400")
        log.wait_quiet()  # the echo of the typing is over
        check_flow(log, "Enter", lambda: key("Return"), [SENTENCE], once=[SENTENCE],
                   last=SENTENCE)
        check_flow(log, "Alt+C", lambda: key("alt+c"), [SENTENCE], once=[SENTENCE], last=SENTENCE)
        review_results(log)
        check_flow(log, "a click on Calculate",
                   lambda: run("xdotool", "mousemove", "--window", window, *CALCULATE_AT,
                               "click", "1"),
                   [SENTENCE], once=[SENTENCE], last=SENTENCE)
        said = check_flow(log, "About", lambda: key("alt+a"),
                          [CAPTION + " 1.0", COPYRIGHT, WARNING, "Close push button"])
        whole = [s for s in said if COPYRIGHT in s and WARNING in s
                 and re.search(r"V1\.0\.22|Version 1\.0\.22", s)]
        if not whole:
            FAILURES.append("About: product, version, copyright and warning are not spoken "
                            "together")
        check_flow(log, "About closed", lambda: key("Return"), [CAPTION])
        check_flow(log, "Reset", lambda: key("alt+r"), ["Yes push button"])
        check_flow(log, "Reset answered Yes", lambda: key("Return"), [PROMPT], once=[PROMPT],
                   last=PROMPT)
        key("shift+Tab")  # from Calculate back to the serial field
        type_text("0")
        log.wait_quiet()
        check_flow(log, "Enter on 0", lambda: key("Return"),
                   ["Invalid Serial Number", RANGE_TEXT], never=[SENTENCE, PROMPT])
        check_flow(log, "warning closed", lambda: key("Return"), [CAPTION])
        type_text("2831427")  # after the 0: 02831427, which the field keeps as 2831427
        log.wait_quiet()
        check_flow(log, "Enter on 2831427", lambda: key("Return"),
                   ["Serial Number Not Found", NOT_FOUND_TEXT], never=["was built on"])
        check_flow(log, "warning closed", lambda: key("Return"), [CAPTION])
        if app.poll() is not None:
            FAILURES.append("Tarnwick ended with %s" % app.returncode)
        if FAILURES:
            raise Failure("; ".join(FAILURES))
    finally:
        for child in reversed(children):
            if child.poll() is None:
                child.terminate()
        for child in reversed(children):
            try:
                child.wait(timeout=5)
            except subprocess.TimeoutExpired:
                child.kill()
                child.wait()


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "--session":
        try:
            session(sys.argv[2], sys.argv[3])
        except (Failure, subprocess.SubprocessError) as e:
            print("FAIL: %s" % e)
            return 1
        return 0

    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    tarnwick = os.path.abspath(sys.argv[1])
    missing = [t for t in TOOLS if not shutil.which(t)]
    if missing:
        print("FAIL: missing %s (tools/install-deps.sh installs them)" % ", ".join(missing),
              file=sys.stderr)
        return 1
    others = subprocess.run(["pgrep", "-u", str(os.getuid()), "-x", "orca"],
                            stdout=subprocess.PIPE, text=True).stdout.split()
    if others:
        # Orca refuses to start while another of the same user runs, whatever its session.
        print("FAIL: another Orca of this user is running (pid %s)" % ", ".join(others),
              file=sys.stderr)
        return 1

    work = tempfile.mkdtemp(prefix="tarnwick-orca-")
    if len(sys.argv) > 2:
        work = os.path.abspath(sys.argv[2])
        os.makedirs(work, exist_ok=True)
    runtime = os.path.join(work, "runtime")
    home = os.path.join(work, "home")
    os.makedirs(runtime, mode=0o700, exist_ok=True)
    os.makedirs(home, exist_ok=True)
    env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=runtime,
               XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_DATA_HOME=os.path.join(home, ".local", "share"),
               XDG_CACHE_HOME=os.path.join(home, ".cache"),
               GSETTINGS_BACKEND="memory", LC_ALL="C.UTF-8")
    for variable in ("DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS", "WAYLAND_DISPLAY",
                     "QT_QPA_PLATFORM", "SESSION_MANAGER"):
        env.pop(variable, None)

    started = time.monotonic()
    # Everything runs in a process group of its own, so that nothing outlives the test.
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24",
                             "-nolisten", "tcp", "-noreset"],
                            pass_fds=[write_fd], stdout=subprocess.DEVNULL,
                            stderr=open(os.path.join(work, "xvfb.log"), "w"),
                            start_new_session=True, env=env)
    os.close(write_fd)
    code = 1
    try:
        with os.fdopen(read_fd) as display_pipe:
            display = display_pipe.readline().strip()
        if not display:
            raise Failure("Xvfb did not start")
        env["DISPLAY"] = ":" + display
        inner = subprocess.Popen(["dbus-run-session", "--", sys.executable, __file__, "--session",
                                  tarnwick, work], env=env, start_new_session=True,
                                 stderr=open(os.path.join(work, "dbus.log"), "w"))
        try:
            code = inner.wait(timeout=100)
        finally:
            if inner.poll() is None:
                os.killpg(inner.pid, signal.SIGKILL)
            else:
                try:
                    os.killpg(inner.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
    except (Failure, subprocess.TimeoutExpired) as e:
        print("FAIL: %s" % e, file=sys.stderr)
    finally:
        xvfb.terminate()
        xvfb.wait()
    print("%.1f s; logs in %s" % (time.monotonic() - started, work))
    return code


if __name__ == "__main__":
    sys.exit(main())
