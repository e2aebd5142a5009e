#!/usr/bin/env bash
# `make test-windows`: the Windows build of `make windows`, tried under Wine in a private prefix
# (WINDOWS_BUILD/wine-prefix, made here without questions):
#   1. the test suites built as .exe (ctest, through tools/windows/wine-test.sh);
#   2. the portable zip holds every DLL its programs import, save Windows's own;
#   3. tarnwick-estimate.exe from the unpacked zip gives the same output, messages and exit
#      status, byte for byte, as the Linux build's, for arguments, a CRLF file, a UTF-16 file as
#      PowerShell writes it, a CSV with --column, --csv, --built-on, a closed pipe, a full disk
#      and a closed standard input; and at a console (a pseudo-terminal) it shows accents and
#      reads typed lines up to Ctrl+Z;
#   4. Tarnwick.exe carries the version information and icon of its resource script;
#   5. the installer installs silently, makes the Start-menu shortcut and the uninstall entry,
#      and its uninstaller, after the restart that deletes its temporary copy, leaves the prefix
#      as it was;
#   6. Tarnwick.exe's window from the zip (tools/windows/check_window.py).
# Prints PASS or FAIL per check and a closing "N passed, N failed" line.
#
# Usage: tools/windows/test.sh WINDOWS_BUILD LINUX_BUILD
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)

if [ $# -ne 2 ]; then
    echo "usage: $0 WINDOWS_BUILD LINUX_BUILD" >&2
    exit 2
fi
build=$(cd "$1" && pwd) || exit 1
linux=$(cd "$2" && pwd)/bin/tarnwick-estimate
[ -x "$linux" ] || { echo "FAIL: no Linux build at $linux (make build)"; exit 1; }

passed=0
failed=0
pass() { echo "PASS: $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
check() { # check DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}
step() { printf '\n== %s (%ss so far)\n' "$*" "$SECONDS"; }

# Only the window check uses a display, a private one; nothing else here opens a window.
unset DISPLAY WAYLAND_DISPLAY
export WINEPREFIX=$build/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=$here/wine.sh
wineserver=$(dirname "$(command -v wine64 || echo /usr/lib/wine/wine64)")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)
work=$build/windows-test
rm -rf "$work"
mkdir -p "$work/inputs" "$work/out"
trap '"$wineserver" -k 2>/dev/null' EXIT

step "Wine prefix $WINEPREFIX"
"$wine" cmd /c exit 0 || { fail "Wine cannot start in $WINEPREFIX"; exit 1; }
pass "Wine runs in a private prefix"

step "test suites under Wine"
if (cd "$build" && ctest --output-on-failure); then
    pass "the cross-built test suites pass under Wine"
else
    fail "the cross-built test suites pass under Wine"
fi

step "the portable zip"
zip=$(ls "$build"/Tarnwick-*-win64.zip 2>/dev/null | head -n 1)
installer=$(ls "$build"/Tarnwick-*-win64-setup.exe 2>/dev/null | head -n 1)
[ -f "$zip" ] && [ -f "$installer" ] || { fail "no packages in $build (make windows)"; exit 1; }
(cd "$work" && cmake -E tar xf "$zip")
app=$(ls -d "$work"/Tarnwick-*/ | head -n 1)
app=${app%/}
for file in Tarnwick.exe tarnwick-estimate.exe README.txt LICENSES.txt platforms/qwindows.dll \
            styles/qwindowsvistastyle.dll imageformats/qgif.dll imageformats/qico.dll; do
    check "the zip holds $file" test -f "$app/$file"
done
missing=$(
    system32=$WINEPREFIX/drive_c/windows/system32
    find "$app" -name '*.exe' -o -name '*.dll' | while read -r binary; do
        x86_64-w64-mingw32-objdump -p "$binary" | sed -n 's/^\s*DLL Name: //p'
    done | sort -fu | while read -r dll; do
        case $dll in api-ms-win-* | ext-ms-win-*) continue ;; esac # Windows's API sets
        [ -n "$(find "$app" "$system32" -maxdepth 1 -iname "$dll" | head -n 1)" ] || echo "$dll"
    done)
check "every DLL the zip's programs and plugins import is in it or in Windows${missing:+ (missing: ${missing//$'\n'/, })}" \
    test -z "$missing"

step "tarnwick-estimate.exe against the Linux build"
estimate=$app/tarnwick-estimate.exe
inputs=$work/inputs
printf '400\r\n5\r\n\r\n2831427\r\n15076231\r\n' > "$inputs/crlf.txt"
# PowerShell's "Unicode" (Out-File, > in Windows PowerShell): UTF-16 LE with its mark, CR LF.
{ printf '\xFF\xFE'; printf '400\r\n5\r\n0\r\n' | iconv -f UTF-8 -t UTF-16LE; } > "$inputs/utf16.txt"
printf 'Name,Serial,Notes\r\n"Smith, J",400,"a ""b""\r\nc"\r\n\xC3\x89tienne,12,\r\nX,zz,\r\n' \
    > "$inputs/registry.csv"
printf '' > "$inputs/empty"
same_as_linux() { # same_as_linux NAME INPUT ARGUMENT...
    local name=$1 input=$2
    shift 2
    local w=$work/out/$name.windows l=$work/out/$name.linux
    "$wine" "$estimate" "$@" < "$input" > "$w.out" 2> "$w.err"
    echo $? > "$w.status"
    LC_ALL=C.UTF-8 "$linux" "$@" < "$input" > "$l.out" 2> "$l.err"
    echo $? > "$l.status"
    if cmp -s "$w.out" "$l.out" && cmp -s "$w.err" "$l.err" && cmp -s "$w.status" "$l.status"; then
        pass "tarnwick-estimate $name: the same bytes and status as on Linux"
    else
        fail "tarnwick-estimate $name: differs from Linux (see $work/out/$name.*)"
    fi
}
same_as_linux "400" "$inputs/empty" 400
same_as_linux "with a CRLF file" "$inputs/crlf.txt"
same_as_linux "with a UTF-16 file as PowerShell writes it" "$inputs/utf16.txt"
same_as_linux "--column on a CSV" "$inputs/registry.csv" --column Serial
same_as_linux "--csv" "$inputs/empty" --csv 400 0 "x,\"y"
same_as_linux "--built-on" "$inputs/crlf.txt" --built-on "January 9, 1909" 1908-10-21
same_as_linux "--version" "$inputs/empty" --version
same_as_linux "with a bad option" "$inputs/empty" --nonsense

# Failures: a pipe closed after one line, a full disk (Wine's view of /dev/full) and no standard
# input; the Linux command is run with SIGPIPE ignored so that it says the failure too.
printf '#!/bin/sh\nexec "%s" "%s" "$@"\n' "$wine" "$estimate" > "$work/estimate.exe.sh"
chmod +x "$work/estimate.exe.sh"
failure_as_linux() { # failure_as_linux NAME SHELL-COMMAND, where $E is the command
    local name=$1 command=$2 w l
    w=$(E=$work/estimate.exe.sh bash -c "trap '' PIPE; { $command; } 2>&1 | grep -v '^yes:'")
    l=$(E=$linux bash -c "trap '' PIPE; { $command; } 2>&1 | grep -v '^yes:'")
    if [ "$w" = "$l" ]; then
        pass "tarnwick-estimate $name: said as on Linux"
    else
        fail "tarnwick-estimate $name: Windows said '$w', Linux '$l'"
    fi
}
failure_as_linux "into a pipe closed after one line" \
    'yes 400 | "$E" | head -n 1; echo "status ${PIPESTATUS[1]}"'
failure_as_linux "onto a full disk" '"$E" 400 > /dev/full; echo "status $?"'
failure_as_linux "without standard input" '"$E" <&-; echo "status $?"'

# At a console: Wine gives a program a console on a terminal; script(1) makes the terminal.
console() { # console INPUT-SCRIPT COMMAND: what the terminal shows, escapes removed
    (eval "$1") | LC_ALL=C.UTF-8 script -qfec "stty -isig -icrnl -echo; $2" /dev/null |
        python3 -c '
import re, sys
text = sys.stdin.buffer.read().decode("utf-8", "replace")
text = re.sub(r"\x1b\[(\d*)C", lambda m: " " * int(m.group(1) or 1), text)
text = re.sub(r"\x1b\[[0-9;?]*[A-Za-z]|\x1b\][^\x07]*\x07", "", text)
print(text.replace("\r", ""), end="")'
}
shown=$(console 'sleep 1' "$wine $estimate 'Été 400'")
check "at a console, an accented argument shows as typed (shown: $shown)" \
    test "$shown" = "tarnwick-estimate: Été 400: not a serial number"
shown=$(console "sleep 4; printf '400\r'; sleep 2; printf 'É\r'; sleep 1; printf '\x1a\r'; sleep 2" \
    "$wine $estimate; echo status=\$?")
expected=$(printf '400\n400 was built on January 9, 1909.\nÉ\ntarnwick-estimate: É: not a serial number\n^Z\ntarnwick-estimate: 1 of 2 inputs was not dated: see the messages above\nstatus=1')
check "at a console, each typed line is answered at once and Ctrl+Z ends (shown: $shown)" \
    test "$shown" = "$expected"

step "Tarnwick.exe's version information and icon"
rsrc=$work/Tarnwick.rsrc
x86_64-w64-mingw32-objcopy -O binary --only-section=.rsrc "$app/Tarnwick.exe" "$rsrc"
rc=$build/packaging/windows/Tarnwick.rc
values=$(sed -n 's/^ *VALUE "\([A-Za-z]*\)", *"\(.*\)"$/\1=\2/p' "$rc" | sed 's/""/"/g')
[ -n "$values" ] || fail "no VALUE lines in $rc"
while IFS= read -r value; do
    text=${value#*=}
    utf16=$(printf '%s' "$text" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 | tr -d ' \n')
    check "Tarnwick.exe's version information holds ${value%%=*} \"$text\"" \
        grep -q "$utf16" <(od -An -tx1 "$rsrc" | tr -d ' \n')
done <<< "$values"
python3 - "$here/../../assets/tarnwick.ico" "$rsrc" <<'PY'
import struct, sys
icon, resources = (open(path, "rb").read() for path in sys.argv[1:3])
count = struct.unpack_from("<H", icon, 4)[0]
missing = 0
for i in range(count):
    size, offset = struct.unpack_from("<II", icon, 6 + 16 * i + 8)
    found = icon[offset:offset + size] in resources
    missing += not found
    print("   the icon's image %d of %d (%d bytes): %s"
          % (i + 1, count, size, "found" if found else "MISSING"))
sys.exit(1 if missing or count == 0 else 0)
PY
check "Tarnwick.exe holds every image of assets/tarnwick.ico" test $? -eq 0

step "the installer"
snapshot() { # what the prefix holds: files outside C:\windows, and the registry
    (cd "$WINEPREFIX/drive_c" && find . -path ./windows -prune -o -print | LC_ALL=C sort) > "$1.files"
    # Key time stamps, and the driver date that every Wine restart writes, change by themselves.
    cat "$WINEPREFIX/system.reg" "$WINEPREFIX/user.reg" |
        grep -v -e '^#time=' -e '^"DriverDateData"=' | sed 's/^\(\[.*\]\) [0-9]*$/\1/' > "$1.reg"
}
"$wine" wineboot --restart && "$wineserver" -w
snapshot "$work/before"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarnwick'
programs="$WINEPREFIX/drive_c/Program Files/Tarnwick"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quorvin Halvex Build Date Calculator.lnk"
"$wine" "$installer" /S
status=$?
"$wineserver" -w
check "the installer runs silently (/S), exit status $status" test "$status" -eq 0
check "it installs the programs into Program Files" \
    test -f "$programs/Tarnwick.exe" -a -f "$programs/tarnwick-estimate.exe" -a -f "$programs/Uninstall.exe"
check "it makes the Start-menu shortcut" test -f "$shortcut"
entry=$("$wine" reg query "$uninstall_key" 2>/dev/null | tr -d '\r')
version=$(basename "$installer" | sed 's/^Tarnwick-\(.*\)-win64-setup\.exe$/\1/')
check "it adds the uninstall entry with its version ($version)" \
    grep -Eq "DisplayVersion +REG_SZ +$version\$" <<< "$entry"
check "... and its publisher" \
    grep -Eq 'Publisher +REG_SZ +Tarnwick Motor Archive Software$' <<< "$entry"
check "... and its silent uninstaller" grep -q 'QuietUninstallString.*Uninstall.exe" /S' <<< "$entry"
installed=$("$wine" "C:\\Program Files\\Tarnwick\\tarnwick-estimate.exe" 400)
check "the installed tarnwick-estimate.exe answers 400" \
    test "$installed" = "400 was built on January 9, 1909."
"$wine" "C:\\Program Files\\Tarnwick\\Uninstall.exe" /S
"$wineserver" -w
check "the uninstaller removes the programs, the shortcut and the entry" \
    test ! -e "$programs" -a ! -e "$shortcut" -a -n "$("$wine" reg query "$uninstall_key" >/dev/null 2>&1 || echo gone)"
"$wine" wineboot --restart && "$wineserver" -w
snapshot "$work/after"
if diff -u "$work/before.files" "$work/after.files" && diff -u "$work/before.reg" "$work/after.reg"; then
    pass "after the uninstaller and a restart, nothing is left behind"
else
    fail "after the uninstaller and a restart, nothing is left behind"
fi

step "Tarnwick.exe's window under Wine on Xvfb"
if python3 "$here/check_window.py" "$app/Tarnwick.exe" "$work/screenshots"; then
    pass "the window under Wine (screenshots in $work/screenshots)"
else
    fail "the window under Wine (screenshots in $work/screenshots)"
fi

echo
echo "Windows build under Wine: $passed passed, $failed failed (${SECONDS}s)"
[ "$failed" -eq 0 ]
