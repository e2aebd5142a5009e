# Shared by the scripts of `make windows` and `make test-windows` (sourced, not run): what Qt for
# Windows is, and where it is kept, outside the source tree so that a clean build
# or a fresh clone need not make them again.
# shellcheck shell=bash

TARNWICK_WINDOWS_CACHE=${TARNWICK_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarnwick/windows}

QT_WINDOWS_VERSION=6.4.2
QT_WINDOWS_NAME=qt-$QT_WINDOWS_VERSION-mingw-w64-x86_64
QT_WINDOWS_DIR=$TARNWICK_WINDOWS_CACHE/$QT_WINDOWS_NAME
# Debian's qt6-base of that version; its upstream tarball holds qtbase-everywhere-src-6.4.2/.
QT_WINDOWS_ORIG=qt6-base_$QT_WINDOWS_VERSION+dfsg.orig.tar.xz

# A folder counts as made only when this file in it says how it was made.
TARNWICK_MADE_MARK=.tarnwick-made

MINGW_PREFIX=x86_64-w64-mingw32
