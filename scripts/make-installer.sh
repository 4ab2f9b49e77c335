#!/usr/bin/env bash
# Builds Vorlan's setup program from the two build trees:
#   build/dist/VorlanSetup-<version>.exe   what ships (a 32-bit setup program)
#   build/dist/symbols/                    the debug information the shipped
#                                          binaries were stripped of
# The binaries are stripped copies; each keeps a link to its debug file.
#
#   make-installer.sh [--target x86-unicode|amd64-unicode] [--vorlan EXE]
#                     [--version TEXT] [--out FILE]
# The options serve the tests: the same script as a 64-bit setup program
# carrying the 64-bit Vorlan (for machines that cannot run 32-bit programs),
# and an "older" version for the upgrade test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=x86-unicode
vorlan=$root/build/bin/Vorlan.exe
version_override=
out=
while [ $# -gt 0 ]; do
  case $1 in
    --target) target=$2; shift 2 ;;
    --vorlan) vorlan=$2; shift 2 ;;
    --version) version_override=$2; shift 2 ;;
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

case $(file -b "$vorlan") in
  *x86-64*) vorlan_tools=x86_64-w64-mingw32 ;;
  *) vorlan_tools=i686-w64-mingw32 ;;
esac
strip_copy "$vorlan_tools" "$vorlan" "$stage/Vorlan.exe" "Vorlan.exe.debug"
strip_copy i686-w64-mingw32 "$root/build/bin/Verrick.dll" "$stage/Verrick.dll" "Verrick.dll.debug"
strip_copy x86_64-w64-mingw32 "$root/build/bin/x64/Verrick.dll" "$stage/x64/Verrick.dll" "Verrick-x64.dll.debug"
# The read-me is ANSI text for a Russian system; it is shipped as it is.
cp "$root/vorlan/res/ReadMe.txt" "$stage/ReadMe.txt"
cp "$root/vorlan/res/Vorlan.ico" "$stage/Vorlan.ico"

defines=(-DSTAGE="$stage" -DVERSION_H="$version_h" -DOUTFILE="$out" -DTARGET="$target")
[ -n "$version_override" ] && defines+=(-DVERSION_OVERRIDE="$version_override")
makensis -V2 -NOCD "${defines[@]}" "$root/vorlan/installer/Vorlan.nsi"
echo "$out"
