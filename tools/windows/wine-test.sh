#!/usr/bin/env bash
# CTest's emulator for the Windows build (CMAKE_CROSSCOMPILING_EMULATOR): runs a test program
# under Wine (tools/windows/wine.sh) and prints its log. Without a console, QtTest on Windows
# writes its log to the debugger only, so the log goes to a file first.
#
# Usage: tools/windows/wine-test.sh PROGRAM.exe [ARGUMENT ...]
# Environment: WINEPREFIX (default: wine-prefix in the build folder, beside bin/)
set -uo pipefail
program=$1
shift
export WINEPREFIX=${WINEPREFIX:-$(cd "$(dirname "$program")/.." && pwd)/wine-prefix}
log=$(mktemp "${TMPDIR:-/tmp}/tarnwick-test.XXXXXX")
trap 'rm -f "$log"' EXIT
"$(dirname "$0")/wine.sh" "$program" "$@" -o "$log,txt"
status=$?
cat "$log"
exit $status
