#!/usr/bin/env bash
# Builds libcsv, which the batch command reads CSV with, as a Windows DLL (libcsv-3.dll, as
# Debian's libcsv.so.3) from Debian's source package with its patches, into the cache, unless it
# is there already. Prints the folder: include/csv.h, bin/libcsv-3.dll, lib/libcsv.dll.a and
# share/doc/libcsv/ (its licence). A DLL rather than a static library, as on Linux: libcsv is
# LGPL, and a user can replace it.
#
# Usage: tools/windows/build-libcsv.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tools/windows/common.sh
. "$here/common.sh"

prefix=$LIBCSV_WINDOWS_DIR
if [ ! -f "$prefix/$TARNWICK_MADE_MARK" ]; then
    echo "build-libcsv: building libcsv for Windows into $prefix" >&2
    work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-libcsv.XXXXXX")
    trap 'rm -rf "$work"' EXIT
    "$here/debian-source.sh" libcsv "$work" >&2
    (cd "$work" && dpkg-source --no-check -x ./*.dsc source >/dev/null)
    rm -rf "$prefix"
    mkdir -p "$prefix/include" "$prefix/bin" "$prefix/lib" "$prefix/share/doc/libcsv"
    $MINGW_PREFIX-gcc-posix -O2 -shared -o "$prefix/bin/libcsv-3.dll" "$work/source/libcsv.c" \
        -Wl,--out-implib,"$prefix/lib/libcsv.dll.a" -Wl,--no-insert-timestamp
    $MINGW_PREFIX-strip "$prefix/bin/libcsv-3.dll"
    cp "$work/source/csv.h" "$prefix/include/"
    cp "$work/source/COPYING.LESSER" "$work/source/debian/copyright" "$prefix/share/doc/libcsv/"
    (cd "$work" && ls ./*.dsc) | sed 's|^\./||; s|\.dsc$||' > "$prefix/$TARNWICK_MADE_MARK"
fi
echo "$prefix"
