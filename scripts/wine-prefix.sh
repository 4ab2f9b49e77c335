#!/usr/bin/env bash
# Creates a Wine prefix once (a lock keeps parallel callers from racing).
# With VORLAN_TEST_DRIVES=1 the new prefix gets the drives the tests rely on:
#   A: floppy, B: fixed, C: fixed (Wine's own), D: CD-ROM, E: fixed labelled
#   DATA, Z: network (still the Unix root, so Unix paths keep working).
set -euo pipefail
prefix=$1
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -f "$prefix/.ready" ] && exit 0

export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
rm -rf "$prefix"
wineboot -i >/dev/null 2>&1
wineserver -w

if [ "${VORLAN_TEST_DRIVES:-}" = 1 ]; then
  drives=$prefix/drives
  dos=$prefix/dosdevices
  rm -f "$dos"/[abd-y]: "$dos"/[a-z]::
  mkdir -p "$prefix/drive_c/Temp"
  for d in a b d e; do
    mkdir -p "$drives/$d"
    ln -sfn "$drives/$d" "$dos/$d:"
  done
  echo "DATA" > "$drives/e/.windows-label"
  cat > "$prefix/drive_c/drives.reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Wine\Drives]
"a:"="floppy"
"b:"="hd"
"c:"="hd"
"d:"="cdrom"
"e:"="hd"
"z:"="network"
REG
  wine reg import "C:\\drives.reg" /reg:64 >/dev/null 2>&1
  wineserver -k || true
  wineserver -w || true
fi
touch "$prefix/.ready"
