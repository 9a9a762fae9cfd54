#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine, and nothing that is already there.
# Safe to run again: it only calls apt-get when a tool or package is missing.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

native_pkgs=(cmake make g++ libgtest-dev googletest clang libclang-rt-14-dev libtinyxml2-dev lame)
win_pkgs=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686)
wine_pkgs=(wine wine32:i386 xvfb xdotool x11-utils imagemagick openbox
           fonts-arphic-uming fonts-liberation fonts-wine
           gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386
           xserver-xephyr libxinerama1:i386 libxrandr2:i386
           nsis zip unzip locales wixl msitools)
# Release packages: signing (osslsigncode, and openssl for the signing test's throwaway key),
# the MSI's fixed stamps (python3-olefile)
# and the report of scripts/check-reproducible.
release_pkgs=(osslsigncode openssl python3-olefile diffoscope-minimal)

for p in "${native_pkgs[@]}" "${win_pkgs[@]}" "${wine_pkgs[@]}" "${release_pkgs[@]}"; do
  have_pkg "$p" || need+=("$p")
done

# Wine shows a program in the language of the locale it runs in; the program's own
# language is Chinese, so runs, demos and tests use zh_CN.UTF-8 (scripts/wine-env.sh).
have_zh_locale() { locale -a 2>/dev/null | grep -qix 'zh_CN.utf-\?8'; }
make_zh_locale() {
  have_zh_locale || $SUDO localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
}

if [ ${#need[@]} -eq 0 ]; then
  make_zh_locale
  exit 0
fi

echo "Installing: ${need[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${need[@]}"
make_zh_locale
