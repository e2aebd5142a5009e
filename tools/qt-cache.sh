# Shared by the scripts that make Qt for another platform (Windows, the browser) ready (sourced,
# not run). Such a Qt is kept in a cache outside the source tree: unpacked from a prebuilt archive
# that holds one folder, checked against the SHA256SUMS file beside it, or built from Debian's own
# source of qt6-base.
# shellcheck shell=bash

# A folder counts as made only when this file in it says how it was made.
TARNWICK_MADE_MARK=.tarnwick-made

# unpack_qt_archive ARCHIVE NAME DEST: unpacks ARCHIVE, which holds NAME/, into DEST, unless DEST
# already holds that very archive. Fails when the archive does not match its SHA256SUMS or holds
# no Qt.
unpack_qt_archive() {
    local archive name=$2 dest=$3 sums origin unpack
    archive=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
    [ -f "$archive" ] || { echo "no file $1" >&2; return 1; }
    sums=$(dirname "$archive")/SHA256SUMS
    if [ -f "$sums" ]; then
        (cd "$(dirname "$archive")" &&
         grep -E "[ *]$(basename "$archive")\$" SHA256SUMS | sha256sum --check --strict --quiet) || {
            echo "$archive does not match its SHA256SUMS" >&2
            return 1
        }
    else
        echo "no SHA256SUMS beside $archive: its checksum is not checked" >&2
    fi
    origin="archive $(sha256sum "$archive" | cut -d' ' -f1)"
    [ "$(cat "$dest/$TARNWICK_MADE_MARK" 2>/dev/null)" = "$origin" ] && return 0
    echo "unpacking $archive" >&2
    mkdir -p "$(dirname "$dest")"
    unpack=$(mktemp -d "$(dirname "$dest")/unpack.XXXXXX")
    tar -xJf "$archive" -C "$unpack" || { rm -rf "$unpack"; return 1; }
    if [ ! -f "$unpack/$name/lib/cmake/Qt6/qt.toolchain.cmake" ]; then
        echo "$archive holds no $name/ with Qt's CMake packages" >&2
        rm -rf "$unpack"
        return 1
    fi
    echo "$origin" > "$unpack/$name/$TARNWICK_MADE_MARK"
    rm -rf "$dest"
    mv "$unpack/$name" "$dest"
    rm -rf "$unpack"
}

# Debian's qt6-base of the version Qt for other platforms is built from; its upstream tarball
# holds qtbase-everywhere-src-VERSION/.
QT_OTHER_VERSION=6.4.2
QT_OTHER_ORIG=qt6-base_$QT_OTHER_VERSION+dfsg.orig.tar.xz

# qtbase_source WORK [SOURCE]: prints the folder of qtbase's source, unpacked under WORK from
# SOURCE (the upstream tarball, or a folder holding it unpacked), downloaded from Debian when no
# SOURCE is given. The tarball is unpacked as it is: Debian's patches are for Linux.
qtbase_source() {
    local work=$1 source=${2:-} src
    src=$work/qtbase-everywhere-src-$QT_OTHER_VERSION
    if [ -n "$source" ] && [ -d "$source" ]; then
        (cd "$source" && pwd)
        return
    fi
    if [ ! -f "$src/CMakeLists.txt" ]; then
        if [ -z "$source" ]; then
            echo "downloading Debian's source of qt6-base" >&2
            "$(dirname "${BASH_SOURCE[0]}")/debian-source.sh" qt6-base "$work/debian" >&2
            source=$work/debian/$QT_OTHER_ORIG
        fi
        [ -f "$source" ] || { echo "no $QT_OTHER_ORIG at $source" >&2; return 1; }
        echo "unpacking $source" >&2
        rm -rf "$src.partial" && mkdir -p "$src.partial"
        tar -xJf "$source" -C "$src.partial" --strip-components=1
        mv "$src.partial" "$src"
    fi
    echo "$src"
}

# parse_build_qt_args "$@": the arguments of a build-qt.sh, "[--configure-only] PREFIX [SOURCE]";
# sets configure_only (true or false), prefix (made, as an absolute path) and source.
parse_build_qt_args() {
    configure_only=false
    if [ "${1:-}" = --configure-only ]; then
        configure_only=true
        shift
    fi
    if [ $# -lt 1 ] || [ $# -gt 2 ]; then
        echo "usage: $0 [--configure-only] PREFIX [SOURCE]" >&2
        exit 2
    fi
    mkdir -p "$1"
    prefix=$(cd "$1" && pwd)
    source=${2:-}
}
