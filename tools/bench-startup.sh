#!/usr/bin/env bash
# Peak memory at start: the calculator window beside a bare Qt window of the same client size with
# one line edit, each started RUNS times and stopped once its window has been up for a while; the
# median maximum resident set of each, and how far the window is above the bare one.
# Runs on a private Xvfb display (the X11 platform of a desktop) and on the offscreen platform.
#
# Usage: tools/bench-startup.sh BUILD_DIR    Environment: RUNS (default 7), UP_SECONDS (2.5)
set -euo pipefail
build=${1:-build}
runs=${RUNS:-7}
up=${UP_SECONDS:-2.5}
tarnwick="$build/bin/Tarnwick"
bare="$build/bin/tarnwick-bare-window"
for program in "$tarnwick" "$bare"; do
    [ -x "$program" ] || { echo "bench-startup: $program is missing; build it first" >&2; exit 1; }
done
out=$(mktemp -d)
trap 'rm -rf "$out"; [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true' EXIT

peak() { # platform program [args] -> median max resident KB
    local platform=$1; shift
    for _ in $(seq "$runs"); do
        QT_QPA_PLATFORM=$platform /usr/bin/time -f '%M' -o "$out/rss" "$@" >/dev/null 2>&1 &
        local timer=$!
        sleep "$up"
        pkill -TERM -P "$timer" || true
        wait "$timer" 2>/dev/null || true
        tail -n 1 "$out/rss"
    done | sort -n | sed -n "$(((runs + 1) / 2))p"
}

compare() { # platform
    local window bare_kb
    window=$(peak "$1" "$tarnwick")
    bare_kb=$(peak "$1" "$bare" 898 560) # the main window's client area, 13470 x 8400 twips
    printf '%-9s bare window %6d KB   Tarnwick %6d KB   %+.1f%%\n' "$1" "$bare_kb" "$window" \
        "$(echo "($window - $bare_kb) * 100 / $bare_kb" | bc -l)"
}

echo "start-up peak memory (median of $runs runs, window up $up s):"
read -r display < <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null & echo $! > "$out/xvfb.pid")
xvfb=$(cat "$out/xvfb.pid")
DISPLAY=":$display" compare xcb
compare offscreen
