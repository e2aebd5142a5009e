#!/usr/bin/env bash
# Makes Qt Core for WebAssembly ready in the cache and prints its folder.
#
# - QT_WASM_ARCHIVE names an archive of such a build (qt-6.4.2-wasm-emscripten-core.tar.xz, which
#   unpacks to qt-wasm/): it is checked against the SHA256SUMS file beside it and unpacked, unless
#   the cache already holds that very archive. A folder names the one such archive in it.
# - Otherwise the Qt already in the cache is used, whichever way it was made; when there is none,
#   tools/web/build-qt.sh builds it from Debian's source (about ten minutes on two cores).
#
# Usage: tools/web/prepare-qt.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tools/web/common.sh
. "$here/common.sh"

make_emsdk
archive=${QT_WASM_ARCHIVE:-}
if [ -d "$archive" ]; then
    archive=$(find "$archive" -maxdepth 1 -name "qt-$QT_OTHER_VERSION-wasm-*.tar.xz" | head -n 1)
    [ -n "$archive" ] || { echo "prepare-qt: no Qt for WebAssembly in $QT_WASM_ARCHIVE" >&2; exit 1; }
fi
if [ -n "$archive" ]; then
    unpack_qt_archive "$archive" "$QT_WASM_NAME" "$QT_WASM_DIR" 2>&1 |
        sed 's/^/prepare-qt: /' >&2
elif [ ! -f "$QT_WASM_DIR/$TARNWICK_MADE_MARK" ]; then
    echo "prepare-qt: no Qt for WebAssembly in $QT_WASM_DIR and no QT_WASM_ARCHIVE:" \
         "building it from source" >&2
    "$here/build-qt.sh" "$QT_WASM_DIR" >&2
fi
echo "$QT_WASM_DIR"
