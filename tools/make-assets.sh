#!/bin/bash
# Redraw the window pictures and the application icon into assets/.
# Needs Debian's python3 with Pillow (apt-get install python3-pil).
# The output is the same, byte for byte, on every run.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
py=${PYTHON:-/usr/bin/python3}

if ! "$py" -c 'import PIL' 2>/dev/null; then
    echo "make-assets: $py cannot import PIL; install python3-pil" >&2
    exit 1
fi

exec "$py" "$here/make_assets.py" "$root/assets"
