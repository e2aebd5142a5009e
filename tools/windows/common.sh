# Shared by the scripts of `make windows` and `make test-windows` (sourced, not run): what Qt for
# Windows is, and where it is kept, outside the source tree so that a clean build
# or a fresh clone need not make them again.
# shellcheck shell=bash

# shellcheck source=tools/qt-cache.sh
. "$(dirname "${BASH_SOURCE[0]}")/../qt-cache.sh"

TARNWICK_WINDOWS_CACHE=${TARNWICK_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarnwick/windows}

QT_WINDOWS_VERSION=$QT_OTHER_VERSION
QT_WINDOWS_NAME=qt-$QT_WINDOWS_VERSION-mingw-w64-x86_64
QT_WINDOWS_DIR=$TARNWICK_WINDOWS_CACHE/$QT_WINDOWS_NAME
QT_WINDOWS_ORIG=$QT_OTHER_ORIG

MINGW_PREFIX=x86_64-w64-mingw32
