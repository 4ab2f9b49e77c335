#!/usr/bin/env bash
# The monitors on a display of two screens joined by Xinerama: 1024x768, the
# primary, and 800x600, both at the origin. A Wine server keeps the monitors
# of the display it started with, so this runs in a prefix of its own beside
# the test prefix (shared with left_monitor.sh, never at the same time), with
# a server of its own that it ends afterwards.
#   two_screens.sh SERVER.dll SERVICES_CHILD.exe
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$here/../..

if [ "${1:-}" != --on-two-screens ]; then
  : "${WINEPREFIX:?}"
  "$root/scripts/wine-loader.sh" "${VORLAN_WIDTH:-32}" >/dev/null || exit $?
  # Wine loads Xinerama in its own width; without it Wine shows one monitor.
  case ${VORLAN_WIDTH:-32} in
    64) library="libXinerama.so.1 (libc6,x86-64)" ;;
    *) library="libXinerama.so.1 (libc6)" ;;
  esac
  if ! ldconfig -p | grep -F "$library" >/dev/null; then
    echo "two_screens: $library is missing (scripts/setup.sh installs libxinerama1)" >&2
    exit 1
  fi
  export WINEPREFIX=$WINEPREFIX-own-display VORLAN_SCREENS="1024x768 800x600"
  unset DISPLAY
  exec "$root/scripts/with-display.sh" "$0" --on-two-screens "$@"
fi
shift
server=$1
child=$2
run=$root/scripts/wine-run.sh
# A server left from another display would answer with that display's monitors.
"$root/scripts/wine-prefix.sh" "$WINEPREFIX"
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
status=0
"$here/run_script.sh" "$server" "$here/monitors_two_screens.vbs" || status=1

# Reported as Windows NT 4.0, the program sees one synthetic monitor, the
# desktop (both screens), whatever it asks.
monitor="DISPLAY primary 1 0 0 1024 768 1024 768 0 0 1024 768 1024 768"
expected=$(printf '%s\nfar: %s' "$monitor" "$monitor")
key='HKCU\Software\Wine\AppDefaults\services_child.exe'
"$run" reg add "$key" /v Version /d nt40 /f >/dev/null
output=$("$run" "$child" monitors | iconv -f UTF-16LE -t UTF-8 | tr -d '\r') || status=1
"$run" reg delete "$key" /f >/dev/null
if [ "$output" = "$expected" ]; then
  echo "synthetic monitor on two screens: ok"
else
  echo "FAIL: synthetic monitor on two screens: got [$output]" >&2
  status=1
fi
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
exit $status
