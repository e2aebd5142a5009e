#!/usr/bin/env bash
# Compiles the Windows resource script that CMake wrote into BUILD_DIR with the MinGW resource
# compiler and checks what the compiled resources hold: the numeric and text versions, the
# identity texts (the same, character for character, as those compiled into the program) and
# the application icon with all its images.
#
# Usage: packaging/check-windows-rc.sh BUILD_DIR
# Needs x86_64-w64-mingw32-windres (Debian: binutils-mingw-w64-x86-64; installed when missing
# and running as root), a C preprocessor (cpp), iconv and od. BUILD_DIR must have been
# configured, and bin/tarnwick-estimate built in it.
set -uo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
BUILD=$(cd "$1" 2>/dev/null && pwd) || { echo "FAIL: no build directory $1" >&2; exit 1; }

failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
finish() {
    if [ "$failures" -eq 0 ]; then
        echo "PASS: Windows resources: all checks passed"
        exit 0
    fi
    echo "FAIL: Windows resources: $failures check(s) failed"
    exit 1
}

WINDRES=x86_64-w64-mingw32-windres
OBJDUMP=x86_64-w64-mingw32-objdump
if ! command -v "$WINDRES" >/dev/null; then
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing binutils-mingw-w64-x86-64 for $WINDRES"
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            binutils-mingw-w64-x86-64 >/dev/null
    fi
    command -v "$WINDRES" >/dev/null || { fail "$WINDRES is not installed"; finish; }
fi

SOURCE=$(sed -n 's/^Tarnwick_SOURCE_DIR:STATIC=//p' "$BUILD/CMakeCache.txt" 2>/dev/null)
[ -n "$SOURCE" ] || { fail "$BUILD is not a configured Tarnwick build directory"; finish; }
RC="$BUILD/packaging/windows/Tarnwick.rc"
PROGRAM="$BUILD/bin/tarnwick-estimate"
[ -f "$RC" ] || { fail "no resource script $RC (configure the build first)"; finish; }
[ -x "$PROGRAM" ] || { fail "no $PROGRAM to compare the identity texts with (build it first)"; finish; }

# The expected version, from the project's own declaration: project(Tarnwick VERSION a.b.c.d).
version=$(tr '\n' ' ' < "$SOURCE/CMakeLists.txt" |
          sed -n 's/.*project([[:space:]]*Tarnwick[[:space:]][^)]*VERSION[[:space:]]\{1,\}\([0-9.]*\).*/\1/p')
IFS=. read -r v_major v_minor v_patch v_tweak <<<"$version"
if [ -z "$version" ] || [ -z "${v_major:-}" ]; then
    fail "could not read the project's version from $SOURCE/CMakeLists.txt"
    finish
fi
v_minor=${v_minor:-0}; v_patch=${v_patch:-0}; v_tweak=${v_tweak:-0}
file_version_text=$(printf '%d.%02d.%04d' "$v_major" "$v_minor" "$v_tweak")
echo "Project version $version: expecting FILEVERSION $v_major,$v_minor,$v_patch,$v_tweak and \"$file_version_text\""

# The program's own version output must agree with the project's version.
program_version=$("$PROGRAM" --version 2>/dev/null)
if [ "$program_version" = "tarnwick-estimate $v_major.$v_minor.$v_tweak" ]; then
    pass "the program says \"$program_version\""
else
    fail "the program says \"$program_version\", expected \"tarnwick-estimate $v_major.$v_minor.$v_tweak\""
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Without the MinGW C compiler, windres needs a preprocessor named explicitly; the script
# includes no headers, so the host's cpp does.
preprocessor=()
if ! command -v x86_64-w64-mingw32-gcc >/dev/null; then
    preprocessor=(--preprocessor=cpp --preprocessor-arg=-xc --preprocessor-arg=-DRC_INVOKED)
fi
if "$WINDRES" "${preprocessor[@]}" -i "$RC" -O res -o "$work/Tarnwick.res" 2>"$work/windres.err"; then
    pass "$WINDRES compiled $RC"
else
    cat "$work/windres.err"
    fail "$WINDRES could not compile $RC"
    finish
fi
if "$WINDRES" "${preprocessor[@]}" -i "$RC" -O coff -o "$work/Tarnwick.res.o" 2>"$work/windres.err" &&
   "$OBJDUMP" -h "$work/Tarnwick.res.o" | grep -q '\.rsrc'; then
    pass "the object file for linking has a .rsrc section"
else
    cat "$work/windres.err"
    fail "no COFF object with a .rsrc section"
fi

# Byte strings as " xx xx ..." hex, so that matches fall on whole bytes.
hex_of_file() { od -An -v -tx1 "$1" | tr -d '\n'; }
hex_utf16() { printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 | tr -d '\n'; }
hex_le32() {
    printf ' %02x %02x %02x %02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255))
}
hex_of_file "$work/Tarnwick.res" > "$work/res.hex"
hex_of_file "$PROGRAM" > "$work/program.hex"
"$WINDRES" -i "$work/Tarnwick.res" -O rc -o "$work/decompiled.rc" 2>/dev/null

# VS_FIXEDFILEINFO: signature, structure version, file version, product version, flags mask,
# flags, FILEOS (VOS_NT_WINDOWS32), FILETYPE (VFT_APP).
ms=$(( (v_major << 16) | v_minor ))
ls=$(( (v_patch << 16) | v_tweak ))
fixed=" bd 04 ef fe 00 00 01 00$(hex_le32 $ms)$(hex_le32 $ls)$(hex_le32 $ms)$(hex_le32 $ls)"
fixed+="$(hex_le32 0x3f)$(hex_le32 0)$(hex_le32 0x40004)$(hex_le32 1)"
if grep -qF -- "$fixed" "$work/res.hex"; then
    pass "FILEVERSION and PRODUCTVERSION are $v_major,$v_minor,$v_patch,$v_tweak (Windows NT application)"
else
    grep -E 'FILEVERSION|PRODUCTVERSION|FILEOS|FILETYPE' "$work/decompiled.rc"
    fail "the fixed version information is not $v_major,$v_minor,$v_patch,$v_tweak for a Windows NT application"
fi

# One string of the string table: key, NUL, padding to 4 bytes, value, NUL.
has_value() {
    local key value k v
    key=$1 value=$2
    k=$(hex_utf16 "$key") v=$(hex_utf16 "$value")
    grep -qF -- "$k 00 00$v 00 00" "$work/res.hex" || grep -qF -- "$k 00 00 00 00$v 00 00" "$work/res.hex"
}
show_value() { grep -F "VALUE \"$1\"" "$work/decompiled.rc" | sed 's/^ */  found: /'; }

if grep -qF -- "$(hex_utf16 '040904B0') 00 00" "$work/res.hex" ||
   grep -qF -- "$(hex_utf16 '040904b0') 00 00" "$work/res.hex"; then
    pass "the strings are in the U.S. English, Unicode table (040904B0)"
else
    fail "no string table 040904B0"
fi
if grep -qF -- "$(hex_utf16 Translation) 00 00 00 00 09 04 b0 04" "$work/res.hex"; then
    pass "VarFileInfo Translation is 0x409, 1200"
else
    fail "VarFileInfo Translation is not 0x409, 1200"
fi

check_fixed() {
    if has_value "$1" "$2"; then
        pass "$1 is \"$2\""
    else
        show_value "$1"
        fail "$1 is not \"$2\""
    fi
}
check_fixed FileVersion "$file_version_text"
check_fixed ProductVersion "$file_version_text"
check_fixed ProductName "Quorvin Halvex Build Date Calculator"
check_fixed FileDescription "Calculates the approximate build date of a Quorvin Halvex"
check_fixed InternalName "Tarnwick"
check_fixed OriginalFilename "Tarnwick.exe"

# A string's value in the compiled table: the UTF-16 units after the key, its NUL and the
# padding, up to the value's NUL; printed as hex.
value_hex() {
    local k unit match
    k=$(hex_utf16 "$1")
    unit=' ([0-9a-f]{2} (0[1-9a-f]|[1-9a-f][0-9a-f])|(0[1-9a-f]|[1-9a-f][0-9a-f]) 00)'
    match=$(grep -oE -- "$k 00 00( 00 00)?($unit)+" "$work/res.hex" | head -1)
    match=${match#"$k 00 00"}
    match=${match#" 00 00"}
    printf '%s' "$match"
}
# Hex " xx xx ..." (UTF-16LE) back to UTF-8 text.
decode_utf16_hex() {
    local escaped
    escaped=$(sed 's/ /\\x/g' <<<"$1")
    printf '%b' "$escaped" | iconv -f UTF-16LE -t UTF-8
}

# The texts that the program itself carries (compiled in as UTF-16 with a terminating NUL):
# the value in the resources must be the same string, character for character.
check_same_as_program() {
    local key=$1 hex text
    hex=$(value_hex "$key")
    if [ -z "$hex" ]; then
        fail "$key is missing or empty"
        return
    fi
    text=$(decode_utf16_hex "$hex")
    if grep -qF -- "$hex 00 00" "$work/program.hex"; then
        pass "$key is the program's own text \"$text\""
    else
        show_value "$key"
        fail "$key \"$text\" is not a text of the program ($PROGRAM)"
    fi
}
check_same_as_program CompanyName
check_same_as_program LegalCopyright
check_same_as_program LegalTrademarks

# The copyright line starts with the copyright sign, U+00A9 (not its UTF-8 bytes read as
# another code page, which would be two characters).
if grep -qF -- "$(hex_utf16 LegalCopyright) 00 00 00 00 a9 00 20 00" "$work/res.hex" ||
   grep -qF -- "$(hex_utf16 LegalCopyright) 00 00 a9 00 20 00" "$work/res.hex"; then
    pass "LegalCopyright starts with the copyright sign U+00A9"
else
    show_value LegalCopyright
    fail "LegalCopyright does not start with the copyright sign U+00A9"
fi

# The icon: a group named IDI_ICON1 and as many images as the .ico file holds.
ico="$SOURCE/assets/tarnwick.ico"
ico_count=$(od -An -v -tu2 -j4 -N2 "$ico" | tr -d ' ')
icons=$(grep -c 'RT_ICON \*/' "$work/decompiled.rc")
if grep -q '^"IDI_ICON1" 14 /\* RT_GROUP_ICON \*/' "$work/decompiled.rc"; then
    pass "the icon group IDI_ICON1 is there"
else
    fail "no icon group IDI_ICON1"
fi
if [ -n "$ico_count" ] && [ "$icons" -eq "$ico_count" ]; then
    pass "all $ico_count images of $ico are in the resources"
else
    fail "$icons icon images in the resources, $ico holds ${ico_count:-?}"
fi

finish
