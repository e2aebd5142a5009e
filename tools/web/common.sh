# Shared by the scripts of `make web`, `make run-web` and `make test-web` (sourced, not run): what
# Qt for WebAssembly is, where it is kept (outside the source tree, so that a clean build or a
# fresh clone need not make it again), and Debian's emscripten set up as Qt's CMake files expect.
# shellcheck shell=bash

# shellcheck source=tools/qt-cache.sh
. "$(dirname "${BASH_SOURCE[0]}")/../qt-cache.sh"

TARNWICK_WEB_CACHE=${TARNWICK_WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarnwick/web}

QT_WASM_NAME=qt-wasm # the folder the prebuilt archive holds
QT_WASM_DIR=$TARNWICK_WEB_CACHE/qt-$QT_OTHER_VERSION-wasm

# Qt reads emscripten's version through an emsdk's layout: a folder with a .emscripten file and
# upstream/emscripten/ holding the compilers and emscripten's CMake files. Debian's emscripten is
# laid out so with three links. Its tools run on the machine's node, which finds Debian's
# node-acorn only through NODE_PATH.
export EMSCRIPTEN=/usr/share/emscripten
export EMSDK=$TARNWICK_WEB_CACHE/emsdk
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

make_emsdk() {
    local upstream=$EMSDK/upstream/emscripten
    mkdir -p "$upstream"
    ln -sfn /usr/bin/emcc "$upstream/emcc"
    ln -sfn /usr/bin/em++ "$upstream/em++"
    ln -sfn "$EMSCRIPTEN/cmake" "$upstream/cmake"
    echo "EMSCRIPTEN_ROOT = '/upstream/emscripten'" > "$EMSDK/.emscripten"
}

# zlib_source: prints the folder of Debian's source of zlib, whose contrib/minizip/ the page's
# table worker reads and writes workbooks with (over Qt's own zlib). It is downloaded once
# (tools/debian-source.sh) into the cache and unpacked as it is, without Debian's patches, which
# are for its Linux packages.
zlib_source() {
    local work=$TARNWICK_WEB_CACHE/zlib src tarball
    src=$work/source
    if [ ! -f "$src/contrib/minizip/unzip.c" ]; then
        echo "downloading Debian's source of zlib" >&2
        "$(dirname "${BASH_SOURCE[0]}")/../debian-source.sh" zlib "$work/debian" >&2
        tarball=$(find "$work/debian" -maxdepth 1 -name 'zlib_*.orig.tar.*' | head -n 1)
        [ -n "$tarball" ] || { echo "no zlib_*.orig.tar.* in $work/debian" >&2; return 1; }
        rm -rf "$src.partial" && mkdir -p "$src.partial"
        tar -xf "$tarball" -C "$src.partial" --strip-components=1
        rm -rf "$src" && mv "$src.partial" "$src"
    fi
    echo "$src"
}
