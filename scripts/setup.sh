#!/usr/bin/env bash
# Installs every Debian package the build, the run command and the tests need.
# Safe to run again: it only installs what is missing.
set -euo pipefail

packages=(
  cmake make g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools libwine-dev ccache
  wine wine32:i386 wine64
  xvfb xauth x11-utils xdotool imagemagick doctest-dev clang-format
  clang libclang-rt-14-dev xclip
  nsis file
  libxinerama1 libxinerama1:i386 libxrandr2 libxrandr2:i386
  xserver-xorg-core xserver-xorg-video-dummy
)

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null; then sudo "$@"; else echo "setup: run as root" >&2; exit 1; fi
  else
    "$@"
  fi
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  need_root dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
need_root apt-get update -qq
need_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
