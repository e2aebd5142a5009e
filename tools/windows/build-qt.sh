#!/usr/bin/env bash
# Builds Qt Base 6.4.2 for 64-bit Windows (Core, Gui, Widgets, Test, the Windows platform plugin
# and styles) with Debian's MinGW-w64 from Debian's source of qt6-base (6.4.2+dfsg), and installs
# it into PREFIX. Moc, rcc and uic are Debian's own (qt6-base-dev-tools). About an hour on two
# cores; an interrupted build goes on where it stopped when run again.
#
# Usage: tools/windows/build-qt.sh [--configure-only] PREFIX [SOURCE]
#   SOURCE  qt6-base_6.4.2+dfsg.orig.tar.xz, or a folder holding it unpacked; without it, Debian's
#           source package is downloaded (tools/debian-source.sh).
#   --configure-only  stops after CMake has configured Qt (to check the set-up quickly).
# Environment: JOBS (default 2), TARNWICK_WINDOWS_CACHE (where the source and the build go).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tools/windows/common.sh
. "$here/common.sh"

parse_build_qt_args "$@"
say() { echo "build-qt: $*"; }

work=$TARNWICK_WINDOWS_CACHE/qt-build
mkdir -p "$work"

# 1. The source: Debian's upstream tarball.
src=$(qtbase_source "$work" "$source")
# Debian's source leaves out src/3rdparty/wintab (tablet events are switched off below).
[ -f "$src/src/plugins/platforms/windows/CMakeLists.txt" ] || {
    say "$src is not qtbase's source"
    exit 1
}

# 2. The toolchain file goes beside Qt, where Qt's own toolchain file looks for it.
cp "$here/mingw-w64-x86_64.cmake" "$prefix/mingw-w64-x86_64.cmake"

# 3. Configure: bundled third-party libraries; no SQL, network, D-Bus or OpenGL, so no dynamic GL
#    either (the Windows platform plugin does not compile with dynamicgl but no OpenGL).
say "configuring into $work/build"
cmake -G Ninja -S "$src" -B "$work/build" \
    -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-w64-x86_64.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF \
    -DFEATURE_dynamicgl=OFF -DFEATURE_tabletevent=OFF -DFEATURE_accessibility=ON \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_system_doubleconversion=OFF
if $configure_only; then
    say "configured; stopping as asked (--configure-only)"
    exit 0
fi

# 4. Build and install.
say "building (JOBS=${JOBS:-2}; about an hour on two cores)"
cmake --build "$work/build" --parallel "${JOBS:-2}"
cmake --install "$work/build"
echo "source $QT_WINDOWS_ORIG" > "$prefix/$TARNWICK_MADE_MARK"
rm -rf "$work"
say "Qt for Windows is in $prefix"
