#!/usr/bin/env python3
"""Tarnwick.exe's window under Wine, on a private Xvfb display with the openbox window manager,
driven with real key presses (xdotool) and read from screenshots (ImageMagick's import):

- the main window's client area is 898x560 (Wine gives a managed top-level window an X window of
  exactly its client area);
- the result label reads the prompt at first and, after typing 400 and Enter, the result sentence
  (the label's region of a screenshot, read by tesseract's OCR and compared word for word);
- Alt+A opens the About window (client area 474x274), and Enter closes it;
- closing the window (Alt+F4) asks "Are you sure you want to close ...?" (read by OCR); Escape
  (No) keeps the window, Alt+Y (Yes) ends the program with exit status 0;
- at 144 dots per inch (Wine's LogPixels) the client area is 1347x840, 1.5 times as large, as
  Qt makes it on Linux at that resolution; the setting is put back to 96 afterwards.

Each check prints PASS or FAIL; the screenshots stay in SHOT_DIR. Exit status 1 if any failed.

Usage: check_window.py TARNWICK_EXE SHOT_DIR
Environment: WINEPREFIX, the private Wine prefix (tools/windows/wine.sh runs the program).
"""

import os
import re
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
WINE = os.path.join(HERE, "wine.sh")
CAPTION = "Quorvin Halvex Build Date Calculator"
PROMPT = "Enter your serial number, then click 'Calculate' to reveal the build date."
SENTENCE = "400 was built on January 9, 1909."
QUESTION = "Are you sure you want to close Quorvin Halvex Build Date Calculator?"
# lblDate in the client area: Frame3 at (3600, 5400) twips, lblDate at (240, 360) in it,
# 8655 x 975 twips; 15 twips to a pixel at 96 dots per inch.
RESULT_REGION = "577x65+256+384"
WAIT = 60.0  # seconds for a window to appear on a busy machine; Wine starts slowly

failures = []


def check(ok, what, detail=""):
    print("%s: %s%s" % ("PASS" if ok else "FAIL", what, "" if ok else " (%s)" % detail))
    if not ok:
        failures.append(what)
    return ok


def run(args, **kwargs):
    return subprocess.run(args, capture_output=True, text=True, **kwargs)


def wait_until(probe, seconds=WAIT):
    deadline = time.monotonic() + seconds
    while True:
        result = probe()
        if result or time.monotonic() > deadline:
            return result
        time.sleep(0.3)


def windows_named(name):
    found = run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % re.escape(name)])
    return found.stdout.split()


def size_of(window):
    shell = run(["xdotool", "getwindowgeometry", "--shell", window]).stdout
    fields = dict(line.split("=", 1) for line in shell.split() if "=" in line)
    return "%sx%s" % (fields.get("WIDTH"), fields.get("HEIGHT"))


def shot(window, path, crop=None):
    args = ["import", "-window", window]
    if crop:
        args += ["-crop", crop, "+repage"]
    run(args + [path], check=True)
    return path


def read_text(path):
    """The text in a screenshot, by OCR, on one line with plain quotes."""
    scaled = path.replace(".png", "-ocr.png")
    run(["convert", path, "-colorspace", "Gray", "-resize", "200%", scaled], check=True)
    text = run(["tesseract", scaled, "-", "--psm", "6"]).stdout
    text = text.replace("\u2018", "'").replace("\u2019", "'")
    return " ".join(text.split())


def key(*keys):
    run(["xdotool", "key", "--delay", "80"] + list(keys), check=True)


def start_desktop(env):
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                             "1600x1200x24", "-nolisten", "tcp"],
                            pass_fds=(write_end,), stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as display:
        number = display.readline().strip()
    if not number:
        raise SystemExit("FAIL: Xvfb did not start")
    env["DISPLAY"] = ":" + number
    openbox = subprocess.Popen(["openbox"], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    return [openbox, xvfb]


def start_program(exe, env):
    program = subprocess.Popen([WINE, exe], env=env, cwd=os.path.dirname(exe),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    windows = wait_until(lambda: windows_named(CAPTION))
    return program, (windows[0] if windows else None)


def set_dots_per_inch(env, dpi):
    run([WINE, "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t",
         "REG_DWORD", "/d", str(dpi), "/f"], env=env, check=True)


def main_window_flow(exe, env, shots):
    program, window = start_program(exe, env)
    if not check(window is not None, "the main window appears", "no window named " + CAPTION):
        program.kill()
        return
    check(size_of(window) == "898x560", "its client area is 898x560", size_of(window))
    shot(window, os.path.join(shots, "main-start.png"))

    prompt = read_text(shot(window, os.path.join(shots, "result-before.png"), RESULT_REGION))
    check(prompt == PROMPT, "the result label shows the prompt at first", prompt)

    run(["xdotool", "windowactivate", "--sync", window])
    run(["xdotool", "type", "--delay", "80", "400"], check=True)
    key("Return")
    after = os.path.join(shots, "result-after.png")
    answer = wait_until(lambda: (lambda t: t if t == SENTENCE else None)(
        read_text(shot(window, after, RESULT_REGION))), 15) or read_text(after)
    check(answer == SENTENCE, "typing 400 and Enter shows the sentence", answer)
    shot(window, os.path.join(shots, "main-400.png"))

    key("alt+a")
    about = wait_until(lambda: windows_named("About"), 20)
    if check(bool(about), "Alt+A opens the About window", "no window named About"):
        check(size_of(about[0]) == "474x274", "the About window's client area is 474x274",
              size_of(about[0]))
        shot(about[0], os.path.join(shots, "about.png"))
        key("Return")
        check(wait_until(lambda: not windows_named("About"), 15), "Enter closes About",
              "still open")

    run(["xdotool", "windowactivate", "--sync", window])
    key("alt+F4")
    question = wait_until(lambda: windows_named("Close Calculator"), 20)
    if check(bool(question), "closing the window asks first", "no window named Close Calculator"):
        text = read_text(shot(question[0], os.path.join(shots, "close-question.png")))
        check(QUESTION in text, "the question is the close question", text)
        key("Escape")
        kept = wait_until(lambda: not windows_named("Close Calculator"), 15)
        check(kept and windows_named(CAPTION) and program.poll() is None,
              "No (Escape) keeps the window open", "window gone or question still up")
        run(["xdotool", "windowactivate", "--sync", window])
        key("alt+F4")
        if wait_until(lambda: windows_named("Close Calculator"), 20):
            key("alt+y")
    try:
        status = program.wait(20)
    except subprocess.TimeoutExpired:
        program.kill()
        status = "still running"
    check(status == 0, "Yes ends the program with exit status 0", status)


def high_dpi_flow(exe, env, shots):
    set_dots_per_inch(env, 144)
    try:
        program, window = start_program(exe, env)
        if check(window is not None, "at 144 dpi the main window appears", "no window"):
            check(size_of(window) == "1347x840", "at 144 dpi its client area is 1347x840",
                  size_of(window))
            shot(window, os.path.join(shots, "main-144dpi.png"))
        program.kill()
        program.wait()
    finally:
        set_dots_per_inch(env, 96)


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    exe = os.path.abspath(sys.argv[1])
    shots = os.path.abspath(sys.argv[2])
    os.makedirs(shots, exist_ok=True)
    env = dict(os.environ)
    for variable in ("WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"):
        env.pop(variable, None)
    desktop = start_desktop(env)
    os.environ["DISPLAY"] = env["DISPLAY"]  # for xdotool and import
    try:
        main_window_flow(exe, env, shots)
        high_dpi_flow(exe, env, shots)
    finally:
        for process in desktop:
            process.terminate()
            process.wait()
    print("window under Wine: %s" % ("all checks passed" if not failures
                                      else "%d check(s) failed" % len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
