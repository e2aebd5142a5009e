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
    archive=$(cd "$(dirname "$QT_WINDOWS_ARCHIVE")" && pwd)/$(basename "$QT_WINDOWS_ARCHIVE")
    [ -f "$archive" ] || { say "QT_WINDOWS_ARCHIVE: no file $QT_WINDOWS_ARCHIVE"; exit 1; }
    sums=$(dirname "$archive")/SHA256SUMS
    if [ -f "$sums" ]; then
        (cd "$(dirname "$archive")" &&
         grep -E "[ *]$(basename "$archive")\$" SHA256SUMS | sha256sum --check --strict --quiet) || {
            say "$archive does not match its SHA256SUMS"
            exit 1
        }
    else
        say "no SHA256SUMS beside $archive: its checksum is not checked"
    fi
    origin="archive $(sha256sum "$archive" | cut -d' ' -f1)"
    if [ "$(cat "$mark" 2>/dev/null)" != "$origin" ]; then
        say "unpacking $archive"
        mkdir -p "$TARNWICK_WINDOWS_CACHE"
        unpack=$(mktemp -d "$TARNWICK_WINDOWS_CACHE/unpack.XXXXXX")
        trap 'rm -rf "$unpack"' EXIT
        tar -xJf "$archive" -C "$unpack"
        [ -f "$unpack/$QT_WINDOWS_NAME/lib/cmake/Qt6/qt.toolchain.cmake" ] || {
            say "$archive holds no $QT_WINDOWS_NAME/ with Qt's CMake packages"
            exit 1
        }
        echo "$origin" > "$unpack/$QT_WINDOWS_NAME/$TARNWICK_MADE_MARK"
        rm -rf "$QT_WINDOWS_DIR"
        mv "$unpack/$QT_WINDOWS_NAME" "$QT_WINDOWS_DIR"
    fi
elif [ ! -f "$mark" ]; then
    say "no Qt for Windows in $QT_WINDOWS_DIR and no QT_WINDOWS_ARCHIVE: building it from source"
    "$here/build-qt.sh" "$QT_WINDOWS_DIR" >&2
fi
echo "$QT_WINDOWS_DIR"
