#!/usr/bin/env bash
# Runs a Windows program under Debian's Wine (wine64) in a private prefix, made first when missing
# without questions (no Mono or Gecko download prompts) and without Wine's debug chatter.
#
# Usage: tools/windows/wine.sh PROGRAM.exe [ARGUMENT ...]
# Environment: WINEPREFIX  the prefix (required: each build has its own, e.g.
#                          build-windows/wine-prefix)
set -euo pipefail
: "${WINEPREFIX:?set WINEPREFIX to the private Wine prefix to use}"
export WINEPREFIX WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

wine=$(command -v wine64 || command -v wine || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
[ -x "$wine" ] || { echo "wine.sh: no wine64 (Debian: wine64)" >&2; exit 1; }

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine.sh: making the Wine prefix $WINEPREFIX" >&2
    mkdir -p "$WINEPREFIX"
    "$wine" wineboot --init >/dev/null 2>&1
    "$(dirname "$wine")/wineserver" --wait 2>/dev/null || true
fi
exec "$wine" "$@"
