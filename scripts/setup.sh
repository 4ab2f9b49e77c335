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
  fuse3 python3-fusepy
)

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null; then sudo "$@"; else echo "setup: run as root" >&2; exit 1; fi
  else
    "$@"
  fi
}

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
export DEBIAN_FRONTEND=noninteractive

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -ne 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    need_root dpkg --add-architecture i386
  fi
  need_root apt-get update -qq
  need_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Where the kernel refuses 32-bit programs (IA-32 emulation off), 32-bit Wine
# runs under qemu's user-mode emulator (scripts/with-i386.sh), which must be
# 8.0 or later: Debian 12 has it in its backports, which apt then offers only
# when asked for by name. Its binfmt package is left out: nothing is
# registered machine-wide.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1 && ! "$(dirname "$0")/with-i386.sh" --check >/dev/null 2>&1; then
  . /etc/os-release
  qemu_major() { apt-cache policy qemu-user | sed -n "s/^ *${1}: *\(1:\)\?\([0-9]*\)\..*/\2/p"; }
  release=()
  if [ "$(qemu_major Candidate)" -lt 8 ] 2>/dev/null; then
    backports=/etc/apt/sources.list.d/debian-backports.sources
    if [ ! -e "$backports" ] && ! grep -rqs "${VERSION_CODENAME}-backports" /etc/apt/sources.list /etc/apt/sources.list.d; then
      echo "setup: adding Debian's ${VERSION_CODENAME}-backports for qemu-user 8.0 or later"
      printf 'Types: deb\nURIs: http://deb.debian.org/debian\nSuites: %s-backports\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
        "$VERSION_CODENAME" | need_root tee "$backports" >/dev/null
    fi
    need_root apt-get update -qq
    release=(-t "${VERSION_CODENAME}-backports")
  fi
  echo "setup: installing qemu-user (this kernel cannot start 32-bit programs)"
  need_root apt-get install -y -qq --no-install-recommends "${release[@]}" qemu-user >/dev/null
fi
