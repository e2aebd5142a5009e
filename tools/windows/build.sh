#!/usr/bin/env bash
# `make windows`: Tarnwick for 64-bit Windows, cross-built with MinGW-w64 into WINDOWS_BUILD:
# Tarnwick.exe, tarnwick-estimate.exe and the test suites in bin/ (with the runtime DLLs beside
# them), then the portable zip and the NSIS installer. Qt for Windows comes from the cache
# (tools/windows/prepare-qt.sh), made first when missing.
#
# Usage: tools/windows/build.sh [WINDOWS_BUILD]   (default: build-windows)
# Environment: QT_WINDOWS_ARCHIVE (see prepare-qt.sh), JOBS (default 2)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-build-windows}

qt=$("$here/prepare-qt.sh")
# Debian's source of zlib, whose minizip the command reads and writes workbooks with.
# shellcheck source=tools/web/common.sh
zlib=$(. "$here/../web/common.sh" && zlib_source)
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

cmake -G Ninja -S "$root" -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$here/mingw-w64-x86_64.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DTARNWICK_ZLIB_SOURCE="$zlib" -DCMAKE_BUILD_TYPE=Release -DTARNWICK_WERROR=ON "${launcher[@]}" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$here/wine-test.sh" >/dev/null
cmake --build "$build" -j "${JOBS:-2}" --target all windows-packages
ls -l "$build"/Tarnwick-*-win64.zip "$build"/Tarnwick-*-win64-setup.exe
