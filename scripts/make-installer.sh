#!/usr/bin/env bash
# Builds Vorlan's setup program from the two build trees:
#   build/dist/VorlanSetup-<version>.exe   what ships (a 32-bit setup program
#                                          carrying both widths)
#   build/dist/symbols/                    the debug information the shipped
#                                          binaries were stripped of
# The binaries are stripped copies; each keeps a link to its debug file.
#
#   make-installer.sh [--version TEXT] [--x86-only] [--out FILE]
# The options serve the tests: an "older" version, laid out as versions before
# 1.04 were (the 32-bit Vorlan on every system), for the upgrade test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
version_override=
x86_only=
out=
while [ $# -gt 0 ]; do
  case $1 in
    --version) version_override=$2; shift 2 ;;
    --x86-only) x86_only=1; shift ;;
    --out) out=$2; shift 2 ;;
    *) echo "make-installer: unknown option $1" >&2; exit 2 ;;
  esac
done
command -v makensis >/dev/null || { echo "make-installer: makensis is missing (scripts/setup.sh installs it)" >&2; exit 1; }

version_h=$root/vorlan/res/version.h
version=$(sed -n 's/^#define VORLAN_VERSION_TEXT "\(.*\)"/\1/p' "$version_h")
[ -n "$version_override" ] && version=$version_override
dist=$root/build/dist
[ -n "$out" ] || out=$dist/VorlanSetup-$version.exe
mkdir -p "$(dirname "$out")" "$dist/symbols"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/x64"

# strip_copy PREFIX SOURCE DEST SYMBOLS-NAME
strip_copy() {
  local tools=$1 source=$2 dest=$3 symbols=$dist/symbols/$4
  "$tools-objcopy" --only-keep-debug "$source" "$symbols"
  "$tools-objcopy" --strip-debug --strip-unneeded --add-gnu-debuglink="$symbols" "$source" "$dest"
}

strip_copy i686-w64-mingw32 "$root/build/bin/Vorlan.exe" "$stage/Vorlan.exe" "Vorlan.exe.debug"
strip_copy x86_64-w64-mingw32 "$root/build/bin/x64/Vorlan.exe" "$stage/x64/Vorlan.exe" "Vorlan-x64.exe.debug"
strip_copy i686-w64-mingw32 "$root/build/bin/Verrick.dll" "$stage/Verrick.dll" "Verrick.dll.debug"
strip_copy x86_64-w64-mingw32 "$root/build/bin/x64/Verrick.dll" "$stage/x64/Verrick.dll" "Verrick-x64.dll.debug"
# The read-me is ANSI text for a Russian system; it is shipped as it is.
cp "$root/vorlan/res/ReadMe.txt" "$stage/ReadMe.txt"
cp "$root/vorlan/res/Vorlan.ico" "$stage/Vorlan.ico"

defines=(-DSTAGE="$stage" -DVERSION_H="$version_h" -DOUTFILE="$out")
[ -n "$version_override" ] && defines+=(-DVERSION_OVERRIDE="$version_override")
[ -n "$x86_only" ] && defines+=(-DX86_ONLY)
makensis -V2 -NOCD "${defines[@]}" "$root/vorlan/installer/Vorlan.nsi"
echo "$out"
