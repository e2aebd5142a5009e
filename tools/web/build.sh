#!/usr/bin/env bash
# `make web`: the calculator as a web page, built with Debian's emscripten against Qt Core for
# WebAssembly into WEB_BUILD; the site to publish is WEB_BUILD/site/. Qt for WebAssembly comes
# from the cache (tools/web/prepare-qt.sh), made first when missing; so does Debian's source of
# zlib, whose minizip the table worker is built with.
#
# Usage: tools/web/build.sh [WEB_BUILD]   (default: build-web)
# Environment: QT_WASM_ARCHIVE (see prepare-qt.sh), JOBS (default 2)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-build-web}
# shellcheck source=tools/web/common.sh
. "$here/common.sh"

qt=$("$here/prepare-qt.sh")
zlib=$(zlib_source)
cmake -G Ninja -S "$root" -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DTARNWICK_ZLIB_SOURCE="$zlib" -DCMAKE_BUILD_TYPE=Release -DTARNWICK_WERROR=ON >/dev/null
cmake --build "$build" -j "${JOBS:-2}"
echo "The site is in $build/site/ ($(du -sh "$build/site" | cut -f1)); 'make run-web' serves it."
