#!/usr/bin/env bash
# Downloads a Debian source package with `apt-get source --download-only` into DEST. The deb-src
# entry is a private one, made from the Debian archive that this machine's apt already uses (or
# DEBIAN_MIRROR), with its own package lists under DEST: the system's apt setup is left alone.
#
# Usage: tools/debian-source.sh PACKAGE[=VERSION] DEST
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 PACKAGE[=VERSION] DEST" >&2
    exit 2
fi
package=$1
dest=$2
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)

# shellcheck disable=SC1091
. /etc/os-release
codename=${VERSION_CODENAME:?no VERSION_CODENAME in /etc/os-release}
mirror=${DEBIAN_MIRROR:-$(apt-get indextargets --format '$(REPO_URI)' 2>/dev/null |
                          grep -m1 '/debian/$' || true)}
if [ -z "$mirror" ]; then
    echo "$0: no Debian archive in apt's sources; set DEBIAN_MIRROR" >&2
    exit 1
fi

apt_dir=$dest/.apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $codename main" \
    > "$apt_dir/sources.list"
apt_options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=/dev/null"
             -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
             -o "APT::Sandbox::User=root" -qq)
apt-get "${apt_options[@]}" update
cd "$dest"
apt-get "${apt_options[@]}" source --download-only "$package"
