#!/usr/bin/env bash
# Creates a Wine prefix once (a lock keeps parallel callers from racing).
# With VORLAN_TEST_PREFIX=1 the new prefix is a test prefix: windows are not
# handed to a window manager (closing one then never waits for one), a crash
# ends the program instead of waiting in a debugger, and it gets the drives
# the tests rely on:
#   A: floppy, B: fixed, C: fixed (Wine's own), D: CD-ROM, E: fixed labelled
#   DATA, Z: network (still the Unix root, so Unix paths keep working).
set -euo pipefail
prefix=$1
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
# The stamp names this script's version and the kind of prefix: a change to
# either makes the prefix anew.
# A caller that does not say which kind it wants takes the prefix as it is.
# A prefix made where 32-bit programs could not start lacks its 32-bit half:
# it is made anew once they can (under scripts/with-i386.sh).
version=$(sha1sum < "$0" | cut -c1-12)
i386=0
/usr/lib/wine/wine --version >/dev/null 2>&1 && i386=1
# WINEARCH=win32 asks for a prefix of 32-bit Windows (made by the 32-bit
# loader); any other value, or none, for 64-bit Windows.
arch=win64
[ "${WINEARCH:-}" = win32 ] && arch=win32
stamp="$version test=${VORLAN_TEST_PREFIX:-0} arch=$arch i386=$i386"
ready=$(cat "$prefix/.ready" 2>/dev/null || true)
[ "$ready" = "$stamp" ] && exit 0
[ "$i386" = 0 ] && [ "$ready" = "${stamp% *} i386=1" ] && exit 0
[ -z "${VORLAN_TEST_PREFIX:-}" ] && [ "${ready%% *}" = "$version" ] &&
  { [ "$i386" = 0 ] || [ "${ready##* }" = i386=1 ]; } && exit 0

export WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
rm -rf "$prefix"
# The 64-bit loader makes a 64-bit prefix on any machine; it sets up the
# 32-bit side too where 32-bit programs can run.
loader=/usr/lib/wine/wine64 view=/reg:64
[ "$arch" = win32 ] && loader=/usr/lib/wine/wine view=
"$loader" wineboot -i >/dev/null 2>&1
wineserver -w

if [ "${VORLAN_TEST_PREFIX:-}" = 1 ]; then
  drives=$prefix/drives
  dos=$prefix/dosdevices
  rm -f "$dos"/[abd-y]: "$dos"/[a-z]::
  mkdir -p "$prefix/drive_c/Temp"
  for d in a b d e; do
    mkdir -p "$drives/$d"
    ln -sfn "$drives/$d" "$dos/$d:"
  done
  echo "DATA" > "$drives/e/.windows-label"
  cat > "$prefix/drive_c/test-prefix.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"=""

[HKEY_LOCAL_MACHINE\Software\Wow6432Node\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"=""

[HKEY_LOCAL_MACHINE\Software\Wine\Drives]
"a:"="floppy"
"b:"="hd"
"c:"="hd"
"d:"="cdrom"
"e:"="hd"
"z:"="network"
REG
  "$loader" reg import "C:\\test-prefix.reg" $view >/dev/null 2>&1
  wineserver -k || true
  wineserver -w || true
fi
echo "$stamp" > "$prefix/.ready"
