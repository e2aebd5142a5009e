#!/usr/bin/env bash
# Runs the calculator from a build folder: on the desktop when there is one, otherwise draws it
# offscreen and saves pictures of it.
# Usage: tools/run.sh BUILD_DIR
set -euo pipefail

build=${1:-build}
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$build/bin/Tarnwick"
fi

echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): drawing the window offscreen."
echo "Serial number 400, then Calculate:"
QT_QPA_PLATFORM=offscreen exec "$build/bin/tarnwick-screenshot" "$build"
