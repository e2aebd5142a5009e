#!/usr/bin/env bash
# Builds the Debian package in BUILD_DIR, checks what it holds, installs it on this machine with
# apt-get and checks the installed programs and files; then checks the Windows resources.
#
# Usage: packaging/check-package.sh BUILD_DIR
# Meant for CI on Debian 12, as root (or with sudo): it installs the checking tools it lacks and
# the package itself, and leaves the package installed. Prints one PASS or FAIL line per check
# and exits 0 when every check passed, 1 otherwise (2 for a usage error).
set -uo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
HERE=$(cd "$(dirname "$0")" && pwd)
BUILD=$(cd "$1" 2>/dev/null && pwd) || { echo "FAIL: no build directory $1"; exit 1; }

APP_ID=uk.co.tarnwick.Tarnwick
PACKAGE=tarnwick
PRODUCT_NAME="Quorvin Halvex Build Date Calculator"
FILE_DESCRIPTION="Calculates the approximate build date of a Quorvin Halvex"

failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
note() { echo "      $*"; }
section() { echo; echo "== $*"; }
finish() {
    echo
    if [ "$failures" -eq 0 ]; then
        echo "PASS: package check: all checks passed"
        exit 0
    fi
    echo "FAIL: package check: $failures check(s) failed"
    exit 1
}
# Shows a file's lines indented, for the reader of a failure.
show() { sed 's/^/      | /' "$@"; }

if [ "$(id -u)" -eq 0 ]; then
    SUDO=()
elif command -v sudo >/dev/null; then
    SUDO=(sudo)
else
    echo "FAIL: needs root or sudo to install packages"
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

section "Checking tools"
tools=(dpkg-dev file desktop-file-utils appstream binutils-mingw-w64-x86-64 mandoc groff-base
       man-db hicolor-icon-theme)
missing=()
for p in "${tools[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing ${missing[*]}"
    if ! "${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >"$work/apt.log" 2>&1; then
        "${SUDO[@]}" apt-get update -qq >/dev/null 2>&1
        "${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >"$work/apt.log" 2>&1 ||
            { show "$work/apt.log"; fail "could not install ${missing[*]}"; finish; }
    fi
fi
pass "checking tools are installed (${tools[*]})"

SOURCE=$(sed -n 's/^Tarnwick_SOURCE_DIR:STATIC=//p' "$BUILD/CMakeCache.txt" 2>/dev/null)
[ -n "$SOURCE" ] || { fail "$BUILD is not a configured Tarnwick build directory"; finish; }
# The expected version, from the project's own declaration: project(Tarnwick VERSION a.b.c.d).
VERSION=$(tr '\n' ' ' < "$SOURCE/CMakeLists.txt" |
          sed -n 's/.*project([[:space:]]*Tarnwick[[:space:]][^)]*VERSION[[:space:]]\{1,\}\([0-9.]*\).*/\1/p')
[ -n "$VERSION" ] || { fail "could not read the project's version from $SOURCE/CMakeLists.txt"; finish; }
IFS=. read -r v_major v_minor _ v_tweak <<<"$VERSION"
VERSION_TEXT="$v_major.${v_minor:-0}.${v_tweak:-0}"
ARCH=$(dpkg --print-architecture)
DEB="$BUILD/${PACKAGE}_${VERSION}_${ARCH}.deb"
echo "Source $SOURCE, build $BUILD, version $VERSION, package $(basename "$DEB")"

# -----------------------------------------------------------------------------------------
section "Building the package"
# Configure again so that CPack reads the current settings, then let CPack build and install.
if ! cmake "$BUILD" >"$work/cmake.log" 2>&1; then
    show "$work/cmake.log"
    fail "cmake could not configure $BUILD"
    finish
fi
rm -f "$DEB"
if (cd "$BUILD" && cpack -G DEB) >"$work/cpack.log" 2>&1 && [ -f "$DEB" ]; then
    pass "cpack -G DEB made $DEB"
else
    tail -n 30 "$work/cpack.log" | show
    fail "cpack -G DEB did not make $DEB"
    finish
fi
if grep -qi 'warning' "$work/cpack.log"; then
    grep -i -A3 'warning' "$work/cpack.log" | show
    fail "cpack printed warnings"
fi

# -----------------------------------------------------------------------------------------
section "Package fields"
field() { dpkg-deb -f "$DEB" "$1"; }
check_field() {
    local value
    value=$(field "$1")
    if [ "$value" = "$2" ]; then pass "$1 is \"$2\""; else fail "$1 is \"$value\", expected \"$2\""; fi
}
check_field Package "$PACKAGE"
check_field Version "$VERSION"
check_field Architecture "$ARCH"
check_field Section utils
synopsis=$(field Description | head -n 1)
if [ "$synopsis" = "$FILE_DESCRIPTION" ]; then
    pass "the description's synopsis is \"$synopsis\""
else
    fail "the description's synopsis is \"$synopsis\", expected \"$FILE_DESCRIPTION\""
fi
if [ "$(field Description | wc -l)" -ge 3 ]; then
    pass "the description has a longer text"
else
    fail "the description has no longer text"
fi
if field Maintainer | grep -qE '^.+ <[^@ ]+@[^@ ]+>$'; then
    pass "Maintainer is \"$(field Maintainer)\""
else
    fail "Maintainer \"$(field Maintainer)\" is not 'Name <address>'"
fi

DEPENDS=$(field Depends)
echo "Depends: $DEPENDS"
# The package names in Depends, one a line, without versions.
tr ',|' '\n\n' <<<"$DEPENDS" | sed -e 's/(.*)//' -e 's/:.*//' -e 's/[[:space:]]//g' -e '/^$/d' \
    | sort -u > "$work/depends"
for p in fonts-liberation qt6-qpa-plugins libqt6core6 libqt6gui6 libqt6widgets6; do
    if grep -qx "$p" "$work/depends"; then pass "Depends names $p"; else fail "Depends does not name $p"; fi
done

if [ "$(field Recommends)" = qt6-wayland ]; then
    pass "Recommends is \"qt6-wayland\""
else
    fail "Recommends is \"$(field Recommends)\", expected \"qt6-wayland\""
fi

# -----------------------------------------------------------------------------------------
section "Package contents"
dpkg-deb -x "$DEB" "$work/root"
{
    echo /usr/bin/Tarnwick
    echo /usr/bin/tarnwick-estimate
    echo /usr/share/applications/$APP_ID.desktop
    echo /usr/share/metainfo/$APP_ID.metainfo.xml
    for png in "$SOURCE"/assets/icons/hicolor/*/apps/tarnwick.png; do
        size=$(basename "$(dirname "$(dirname "$png")")")
        echo "/usr/share/icons/hicolor/$size/apps/$APP_ID.png"
    done
    echo /usr/share/man/man1/Tarnwick.1.gz
    echo /usr/share/man/man1/tarnwick-estimate.1.gz
    echo /usr/share/doc/$PACKAGE/copyright
    echo /usr/share/doc/$PACKAGE/changelog.gz
} | sort > "$work/expected-files"
dpkg-deb -c "$DEB" > "$work/listing"
grep -v '^d' "$work/listing" | awk '{print $6}' | sed 's|^\./|/|' | sort > "$work/files"
if diff -u "$work/expected-files" "$work/files" > "$work/files.diff"; then
    pass "the package holds exactly the $(wc -l < "$work/files") expected files"
else
    show "$work/files.diff"
    fail "the package's files are not the expected ones (- missing, + unexpected)"
fi
if awk '$2 != "root/root"' "$work/listing" | grep -q .; then
    awk '$2 != "root/root"' "$work/listing" | show
    fail "some entries are not owned by root/root"
else
    pass "every entry is owned by root/root"
fi
bad_modes=$(awk '
    $1 ~ /^d/ { if ($1 != "drwxr-xr-x") print; next }
    $6 ~ /^\.\/usr\/bin\// { if ($1 != "-rwxr-xr-x") print; next }
    { if ($1 != "-rw-r--r--") print }' "$work/listing")
if [ -z "$bad_modes" ]; then
    pass "modes: directories and programs 0755, other files 0644, no links"
else
    printf '%s\n' "$bad_modes" | show
    fail "entries with unexpected modes or types"
fi
for program in Tarnwick tarnwick-estimate; do
    f="$work/root/usr/bin/$program"
    [ -f "$f" ] || continue
    description=$(file -b "$f")
    if [[ $description == *ELF* && $description == *", stripped"* ]]; then
        pass "/usr/bin/$program is a stripped ELF program"
    else
        fail "/usr/bin/$program: $description"
    fi
    if readelf -d "$f" | grep -E 'RPATH|RUNPATH' | grep -qF -e "$BUILD" -e "$SOURCE"; then
        fail "/usr/bin/$program still looks for libraries in the build or source tree"
    else
        pass "/usr/bin/$program looks for no libraries in the build or source tree"
    fi
done
# Each size directory holds a PNG of that size, and the hicolor theme lists the directory.
theme_dirs=$(sed -n 's/^Directories=//p' /usr/share/icons/hicolor/index.theme | tr ',' '\n')
for png in "$work"/root/usr/share/icons/hicolor/*/apps/"$APP_ID".png; do
    [ -f "$png" ] || continue
    size=$(basename "$(dirname "$(dirname "$png")")")
    if grep -qx "$size/apps" <<<"$theme_dirs"; then
        pass "the hicolor theme lists $size/apps"
    else
        fail "the hicolor theme does not list $size/apps: no desktop looks there"
    fi
    read -r w h < <(od -An -v -tu1 -j16 -N8 "$png" |
        awk '{print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8}')
    if [ "$(od -An -tx1 -N8 "$png" | tr -d ' ')" = 89504e470d0a1a0a ] && [ "${w}x${h}" = "$size" ]; then
        pass "icon $size/apps/$APP_ID.png is a ${w}x${h} PNG"
    else
        fail "icon $size/apps/$APP_ID.png is not a $size PNG (${w}x${h})"
    fi
done
# Every library that the programs load directly comes from a package in Depends.
for program in Tarnwick tarnwick-estimate; do
    f="$work/root/usr/bin/$program"
    [ -f "$f" ] || continue
    for lib in $(readelf -d "$f" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
        path=$(ldd "$f" | awk -v lib="$lib" '$1 == lib {print $3}')
        owner=""
        for candidate in "$path" "$(realpath -m "$path" 2>/dev/null)" "/usr${path#/usr}" "${path#/usr}"; do
            [ -n "$candidate" ] || continue
            owner=$(dpkg -S "$candidate" 2>/dev/null | head -n 1 | cut -d: -f1) && [ -n "$owner" ] && break
        done
        if [ -z "$owner" ]; then
            fail "$program needs $lib, which no installed package holds (${path:-not found})"
        elif grep -qx "$owner" "$work/depends"; then
            pass "$program needs $lib from $owner, which Depends names"
        else
            fail "$program needs $lib from $owner, which Depends does not name"
        fi
    done
done

# -----------------------------------------------------------------------------------------
section "Installing the package"
if dpkg-query -W -f='${Status}' "$PACKAGE" 2>/dev/null | grep -q 'ok installed'; then
    echo "Removing the installed $PACKAGE $(dpkg-query -W -f='${Version}' "$PACKAGE") first"
    "${SUDO[@]}" dpkg --purge "$PACKAGE" >"$work/purge.log" 2>&1 || show "$work/purge.log"
fi
install_deb() { "${SUDO[@]}" apt-get install -y --no-install-recommends "$DEB" >"$work/install.log" 2>&1; }
if install_deb || { "${SUDO[@]}" apt-get update -qq >/dev/null 2>&1 && install_deb; }; then
    pass "apt-get install $DEB"
else
    tail -n 30 "$work/install.log" | show
    fail "apt-get install $DEB failed"
    finish
fi
status=$(dpkg-query -W -f='${Status} ${Version}' "$PACKAGE" 2>/dev/null)
if [ "$status" = "install ok installed $VERSION" ]; then
    pass "dpkg says $PACKAGE $VERSION is installed"
else
    fail "dpkg says \"$status\" for $PACKAGE"
fi

# The installed copy of a packaged file; where this system's dpkg configuration leaves such
# files out (path-exclude, as in slim container images), the copy from the package instead.
excluded() {
    local kind pattern state=1
    while read -r kind pattern; do
        # shellcheck disable=SC2053
        [[ $1 == $pattern ]] || continue
        if [ "$kind" = path-exclude ]; then state=0; else state=1; fi
    done < <(cat /etc/dpkg/dpkg.cfg /etc/dpkg/dpkg.cfg.d/* 2>/dev/null |
             sed -n 's/^[[:space:]]*\(path-exclude\|path-include\)[[:space:]=]\{1,\}/\1 /p')
    return $state
}
installed() {
    if [ -e "$1" ]; then
        printf '%s\n' "$1"
    elif excluded "$1"; then
        echo "      note: this system's dpkg leaves $1 out; checking the package's copy" >&2
        printf '%s\n' "$work/root$1"
    else
        printf '%s\n' "$1"
    fi
}
missing_files=0
while read -r f; do
    if [ ! -e "$f" ] && ! excluded "$f"; then
        note "missing: $f"
        missing_files=$((missing_files + 1))
    fi
done < "$work/expected-files"
if [ "$missing_files" -eq 0 ]; then
    pass "every packaged file is on the system"
else
    fail "$missing_files expected file(s) are not on the system"
fi

# -----------------------------------------------------------------------------------------
section "Desktop entry and metainfo"
desktop=$(installed /usr/share/applications/$APP_ID.desktop)
metainfo=$(installed /usr/share/metainfo/$APP_ID.metainfo.xml)
if desktop-file-validate "$desktop" >"$work/dfv.log" 2>&1 && [ ! -s "$work/dfv.log" ]; then
    pass "desktop-file-validate $desktop: no errors, no warnings"
else
    show "$work/dfv.log"
    fail "desktop-file-validate $desktop"
fi
desktop_key() { sed -n "/^\[Desktop Entry\]/,/^\[/s/^$1=//p" "$desktop" | head -n 1; }
check_desktop_key() {
    local value
    value=$(desktop_key "$1")
    if [ "$value" = "$2" ]; then pass "desktop entry $1=$2"; else fail "desktop entry $1=$value, expected $2"; fi
}
check_desktop_key Name "$PRODUCT_NAME"
check_desktop_key Comment "$FILE_DESCRIPTION"
check_desktop_key Exec Tarnwick
check_desktop_key Terminal false
# The class of the window's WM_CLASS (Qt: the application name), so that X11 docks and task
# bars match the running window to this entry.
check_desktop_key StartupWMClass Tarnwick
icon=$(desktop_key Icon)
icon_files=$(ls /usr/share/icons/hicolor/*/apps/"$icon".png 2>/dev/null | wc -l)
if [ -n "$icon" ] && [ "$icon_files" -gt 0 ]; then
    pass "the desktop entry's icon $icon is in the hicolor theme at $icon_files sizes"
else
    fail "the desktop entry's icon \"$icon\" is not in the hicolor theme"
fi
if [ "$(command -v "$(desktop_key Exec | cut -d' ' -f1)")" = /usr/bin/Tarnwick ]; then
    pass "Exec runs /usr/bin/Tarnwick"
else
    fail "Exec=$(desktop_key Exec) does not run /usr/bin/Tarnwick"
fi

if appstreamcli validate --no-net --no-color "$metainfo" >"$work/as.log" 2>&1; then
    show "$work/as.log"
    pass "appstreamcli validate --no-net $metainfo"
else
    show "$work/as.log"
    fail "appstreamcli validate --no-net $metainfo"
fi
# The metainfo, desktop entry and icons together, as the package lays them out.
if appstreamcli validate-tree --no-net --no-color "$work/root" >"$work/astree.log" 2>&1; then
    pass "appstreamcli validate-tree --no-net on the package's files"
else
    show "$work/astree.log"
    fail "appstreamcli validate-tree --no-net on the package's files"
fi
check_xml() {
    if grep -qF -- "$2" "$metainfo"; then pass "metainfo $1"; else fail "metainfo lacks $1: $2"; fi
}
check_xml "id" "<id>$APP_ID</id>"
check_xml "name" "<name>$PRODUCT_NAME</name>"
check_xml "summary" "<summary>$FILE_DESCRIPTION</summary>"
check_xml "launchable" "<launchable type=\"desktop-id\">$APP_ID.desktop</launchable>"
check_xml "release $VERSION" "<release version=\"$VERSION\" date=\""

# -----------------------------------------------------------------------------------------
section "The installed programs"
run_env=(env -i PATH=/usr/bin:/bin HOME="$work/home" LANG=C.UTF-8 XDG_RUNTIME_DIR="$work/xdg")
mkdir -p "$work/home" "$work/xdg" && chmod 700 "$work/xdg"

out=$("${run_env[@]}" /usr/bin/tarnwick-estimate 400 2>"$work/estimate.err"); rc=$?
if [ $rc -eq 0 ] && [ "$out" = "400 was built on January 9, 1909." ] && [ ! -s "$work/estimate.err" ]; then
    pass "/usr/bin/tarnwick-estimate 400 says \"$out\""
else
    show "$work/estimate.err"
    fail "/usr/bin/tarnwick-estimate 400 said \"$out\" (exit status $rc)"
fi
out=$("${run_env[@]}" /usr/bin/tarnwick-estimate --version 2>&1)
if [ "$out" = "tarnwick-estimate $VERSION_TEXT" ]; then
    pass "/usr/bin/tarnwick-estimate --version says \"$out\""
else
    fail "/usr/bin/tarnwick-estimate --version said \"$out\", expected \"tarnwick-estimate $VERSION_TEXT\""
fi

if [ -x /usr/bin/Tarnwick ]; then
    # Qt's library messages say which plugins it loaded.
    "${run_env[@]}" QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='qt.core.library.debug=true' \
        timeout 5 /usr/bin/Tarnwick >"$work/tarnwick.out" 2>"$work/tarnwick.err"
    rc=$?
    if [ $rc -eq 124 ]; then
        pass "/usr/bin/Tarnwick (offscreen) was still running after 5 seconds"
    else
        grep -v -e '^qt\.core\.library:' -e 'unloaded library' "$work/tarnwick.err" | tail -n 20 | show
        if [ $rc -gt 128 ]; then
            fail "/usr/bin/Tarnwick died of signal $((rc - 128)) within 5 seconds"
        else
            fail "/usr/bin/Tarnwick ended with status $rc within 5 seconds"
        fi
    fi
    for plugin in platforms/libqoffscreen imageformats/libqgif imageformats/libqico; do
        if grep -q "plugins/$plugin\.so\" loaded library" "$work/tarnwick.err"; then
            pass "/usr/bin/Tarnwick loaded the Qt plugin $plugin"
        else
            grep -F "$plugin" "$work/tarnwick.err" | show
            fail "/usr/bin/Tarnwick did not load the Qt plugin $plugin"
        fi
    done
    if grep -v -e '^qt\.core\.library:' -e 'unloaded library' "$work/tarnwick.err" | grep -q .; then
        note "/usr/bin/Tarnwick wrote (Qt's library messages left out):"
        grep -v -e '^qt\.core\.library:' -e 'unloaded library' "$work/tarnwick.err" | head -n 20 | show
    fi
else
    fail "/usr/bin/Tarnwick is not installed"
fi

# -----------------------------------------------------------------------------------------
section "Manual pages"
for page in tarnwick-estimate Tarnwick; do
    file=$(installed /usr/share/man/man1/$page.1.gz)
    if [ ! -f "$file" ]; then
        fail "no manual page $page(1)"
        continue
    fi
    if zcat "$file" | groff -man -ww -z >"$work/groff.log" 2>&1 && [ ! -s "$work/groff.log" ]; then
        pass "groff -man -ww -z $page(1): no warnings"
    else
        show "$work/groff.log"
        fail "groff -man -ww -z $page(1)"
    fi
    if mandoc -T lint -W warning "$file" >"$work/mandoc.log" 2>&1; then
        pass "mandoc -T lint $page(1): no warnings"
    else
        show "$work/mandoc.log"
        fail "mandoc -T lint $page(1)"
    fi
    if MANWIDTH=80 man --warnings -l "$file" >"$work/man.out" 2>"$work/man.log" &&
       [ ! -s "$work/man.log" ] && grep -q "^SYNOPSIS" "$work/man.out"; then
        pass "man -l $page(1) shows the page without warnings"
    else
        show "$work/man.log"
        fail "man -l $page(1)"
    fi
    if [ "$file" = /usr/share/man/man1/$page.1.gz ]; then
        found=$(man -w "$page" 2>/dev/null)
        if [ "$found" = "$file" ]; then pass "man $page finds $found"; else fail "man -w $page gives \"$found\""; fi
    fi
done
estimate_page=$(installed /usr/share/man/man1/tarnwick-estimate.1.gz)
if [ -f "$estimate_page" ]; then
    MANWIDTH=200 man -l "$estimate_page" 2>/dev/null | sed 's/.\x08//g' > "$work/estimate.txt"
    sections=(NAME SYNOPSIS DESCRIPTION OPTIONS INPUT OUTPUT "EXIT STATUS" EXAMPLES)
    absent=()
    for s in "${sections[@]}"; do grep -qx "$s" "$work/estimate.txt" || absent+=("$s"); done
    if [ ${#absent[@]} -eq 0 ]; then
        pass "tarnwick-estimate(1) has the sections ${sections[*]}"
    else
        fail "tarnwick-estimate(1) lacks the sections ${absent[*]}"
    fi
fi

# -----------------------------------------------------------------------------------------
section "Debian policy (lintian)"
if command -v lintian >/dev/null; then
    if lintian --fail-on error,warning "$DEB" >"$work/lintian.log" 2>&1; then
        grep -v 'running with root privileges' "$work/lintian.log" | show
        pass "lintian: no errors, no warnings"
    else
        grep -v 'running with root privileges' "$work/lintian.log" | show
        fail "lintian found errors or warnings"
    fi
else
    echo "SKIP: lintian is not installed"
fi

# -----------------------------------------------------------------------------------------
section "Windows resources"
if "$HERE/check-windows-rc.sh" "$BUILD" >"$work/rc.log" 2>&1; then
    show "$work/rc.log"
    pass "packaging/check-windows-rc.sh $BUILD"
else
    show "$work/rc.log"
    fail "packaging/check-windows-rc.sh $BUILD"
fi

finish
