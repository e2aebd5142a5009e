#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when any is missing.
# Usage: tools/install-deps.sh [--windows] [extra-package ...]
#   --windows  also what `make windows` and `make test-windows` need: MinGW-w64, Ninja and ccache
#              for the cross-build (and for building Qt for Windows: perl, xz-utils; dpkg-dev
#              fetches Debian's sources), NSIS for the installer, and Wine, Xvfb, openbox,
#              xdotool, ImageMagick, tesseract (OCR) and script (bsdutils) for the tests under Wine.
#   --web      also what `make web` needs: emscripten (its tools run on node and Debian's
#              node-acorn), Ninja, jsdom (the form written into the page's HTML at build time),
#              fonttools and Brotli for the page's fonts, and brotli for its compressed files.
#   --web-test also what `make test-web` needs: the three browsers (Chromium, Firefox ESR, and
#              WebKitGTK's WebDriver with its MiniBrowser, on Xvfb; locales gives the locale
#              sources WebKit's language is made from), and LibreOffice Calc and Gnumeric,
#              which make the workbooks the page dates and read its output back. node and npm,
#              for the test packages, are installed in any case: `make test` uses them too.
set -euo pipefail

windows_packages=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 ninja-build ccache perl
                  xz-utils nsis wine64 xvfb openbox xdotool imagemagick tesseract-ocr
                  tesseract-ocr-eng bsdutils)
web_packages=(emscripten node-acorn node-jsdom ninja-build fonttools python3-brotli brotli fonts-liberation
              python3)
web_test_packages=(chromium firefox-esr webkit2gtk-driver xvfb locales fonts-liberation
                   libreoffice-calc-nogui gnumeric)
extra=()
for argument in "$@"; do
    case $argument in
        --windows) extra+=("${windows_packages[@]}") ;;
        --web) extra+=("${web_packages[@]}") ;;
        --web-test) extra+=("${web_test_packages[@]}") ;;
        *) extra+=("$argument") ;;
    esac
done

packages=(cmake make g++ qt6-base-dev qt6-base-dev-tools libgl-dev fonts-liberation
          libbenchmark-dev libminizip-dev bc time xauth xvfb
          dpkg-dev file desktop-file-utils appstream binutils-mingw-w64-x86-64 mandoc
          python3 procps orca at-spi2-core openbox xdotool dbus-bin dbus-daemon
          weston qt6-wayland
          # The workbook tests make their .ods files with LibreOffice and Gnumeric and read the
          # dated ones back with them; more workbooks come from the libraries registries' own
          # scripts use: openpyxl and XlsxWriter here, SheetJS and ExcelJS on node (npm).
          libreoffice-calc-nogui gnumeric python3-openpyxl python3-xlsxwriter nodejs
          # Mesa's drivers, which every desktop has (the X server depends on them): Qt's
          # Wayland platform loads them through EGL, and the tests should meet them too.
          libgl1-mesa-dri "${extra[@]}")

# npm comes with some builds of node; Debian's own is a package of its own.
command -v npm >/dev/null || packages+=(npm)

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
