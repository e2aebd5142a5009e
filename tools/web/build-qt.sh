#!/usr/bin/env bash
# Builds Qt Core 6.4.2 for WebAssembly (wasm-emscripten, static, without threads) with Debian's
# emscripten from Debian's source of qt6-base (6.4.2+dfsg), and installs it into PREFIX. Moc and
# rcc are Debian's own (qt6-base-dev-tools). About ten minutes on two cores; Qt asks for
# emscripten 3.1.14 and only warns of Debian's 3.1.6.
#
# Usage: tools/web/build-qt.sh [--configure-only] PREFIX [SOURCE]
#   SOURCE  qt6-base_6.4.2+dfsg.orig.tar.xz, or a folder holding it unpacked; without it, Debian's
#           source package is downloaded (tools/debian-source.sh).
#   --configure-only  stops after Qt has been configured (to check the set-up quickly).
# Environment: JOBS (default 2), TARNWICK_WEB_CACHE (where the source and the build go).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tools/web/common.sh
. "$here/common.sh"

parse_build_qt_args "$@"
say() { echo "build-qt: $*"; }

work=$TARNWICK_WEB_CACHE/qt-build
mkdir -p "$work"
make_emsdk

# 1. The source: Debian's upstream tarball.
src=$(qtbase_source "$work" "$source")

# 2. Configure: Qt Core alone, static, no threads; the host tools are Debian's Qt.
say "configuring into $work/build"
rm -rf "$work/build" && mkdir -p "$work/build"
(cd "$work/build" &&
 "$src/configure" -platform wasm-emscripten -qt-host-path /usr -prefix "$prefix" -release \
    -static -no-feature-thread -nomake examples -nomake tests -no-gui -no-widgets \
    -no-feature-sql -no-feature-network -no-feature-dbus -no-feature-xml \
    -no-feature-testlib -no-feature-concurrent -no-feature-printsupport -- \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DEMSCRIPTEN_ROOT_PATH="$EMSCRIPTEN")
if $configure_only; then
    say "configured; stopping as asked (--configure-only)"
    exit 0
fi

# 3. Build and install.
say "building (JOBS=${JOBS:-2}; about ten minutes on two cores)"
cmake --build "$work/build" --parallel "${JOBS:-2}"
cmake --install "$work/build"
echo "source $QT_OTHER_ORIG" > "$prefix/$TARNWICK_MADE_MARK"
rm -rf "$work"
say "Qt for WebAssembly is in $prefix"
