#!/usr/bin/env bash
# Makes Qt for Windows (MinGW-w64, x86_64) ready in the cache and prints its folder.
#
# - QT_WINDOWS_ARCHIVE names an archive of such a build (qt-6.4.2-mingw-w64-x86_64.tar.xz, which
#   unpacks to qt-6.4.2-mingw-w64-x86_64/): it is checked against the SHA256SUMS file beside it,
#   when there is one, and unpacked, unless the cache already holds that very archive.
# - Otherwise the Qt already in the cache is used, whichever way it was made; when there is none,
#   tools/windows/build-qt.sh builds it from Debian's source (about an hour on two cores).
#
# Usage: tools/windows/prepare-qt.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tools/windows/common.sh
. "$here/common.sh"

say() { echo "prepare-qt: $*" >&2; }
mark=$QT_WINDOWS_DIR/$TARNWICK_MADE_MARK

if [ -n "${QT_WINDOWS_ARCHIVE:-}" ]; then
    unpack_qt_archive "$QT_WINDOWS_ARCHIVE" "$QT_WINDOWS_NAME" "$QT_WINDOWS_DIR" 2>&1 |
        sed 's/^/prepare-qt: /' >&2
elif [ ! -f "$mark" ]; then
    say "no Qt for Windows in $QT_WINDOWS_DIR and no QT_WINDOWS_ARCHIVE: building it from source"
    "$here/build-qt.sh" "$QT_WINDOWS_DIR" >&2
fi
echo "$QT_WINDOWS_DIR"
