#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when any is missing.
# Usage: tools/install-deps.sh [extra-package ...]
set -euo pipefail

packages=(cmake make g++ qt6-base-dev qt6-base-dev-tools libgl-dev libcsv-dev fonts-liberation
          libbenchmark-dev bc time xauth xvfb
          dpkg-dev file desktop-file-utils appstream binutils-mingw-w64-x86-64 mandoc
          python3 procps orca at-spi2-core openbox xdotool dbus-bin dbus-daemon
          weston qt6-wayland "$@")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    SUDO=sudo
else
    SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
