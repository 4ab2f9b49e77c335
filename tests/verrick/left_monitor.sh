#!/usr/bin/env bash
# The monitors of a display whose second monitor lies left of the primary:
# the primary, 1024x768, at the origin; the second, 800x600, at -900,100, with
# a gap 100 pixels wide between the two. Xorg with the dummy video driver
# makes the display (scripts/with-display.sh, VORLAN_MONITORS) and Wine takes
# the monitors from its RandR outputs. A Wine server keeps the monitors of the
# display it started with, so this runs in a prefix of its own beside the
# test prefix (shared with two_screens.sh, never at the same time), with a
# server of its own that it ends afterwards.
#   left_monitor.sh SERVER.dll SERVICES_CHILD.exe
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$here/../..

if [ "${1:-}" != --on-left-monitor ]; then
  : "${WINEPREFIX:?}"
  "$root/scripts/wine-loader.sh" "${VORLAN_WIDTH:-32}" >/dev/null || exit $?
  # Wine loads RandR in its own width; without it Wine shows one monitor.
  case ${VORLAN_WIDTH:-32} in
    64) library="libXrandr.so.2 (libc6,x86-64)" ;;
    *) library="libXrandr.so.2 (libc6)" ;;
  esac
  if ! ldconfig -p | grep -F "$library" >/dev/null; then
    echo "left_monitor: $library is missing (scripts/setup.sh installs libxrandr2)" >&2
    exit 1
  fi
  export WINEPREFIX=$WINEPREFIX-own-display VORLAN_MONITORS="1024x768+0+0 800x600-900+100"
  unset DISPLAY
  exec "$root/scripts/with-display.sh" "$0" --on-left-monitor "$@"
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
"$here/run_script.sh" "$server" "$here/monitors_left.vbs" || status=1

# A real window moved from the primary onto the second monitor, across both,
# above the second (on neither) and back: where it is, then its monitor for
# the flags null, nearest and primary.
expected=$(
  cat <<'TEXT'
100,100,400,300 \\.\DISPLAY1 \\.\DISPLAY1 \\.\DISPLAY1
-700,250,-400,450 \\.\DISPLAY2 \\.\DISPLAY2 \\.\DISPLAY2
-400,200,100,400 \\.\DISPLAY2 \\.\DISPLAY2 \\.\DISPLAY2
-300,20,-100,80 nothing \\.\DISPLAY2 \\.\DISPLAY1
500,300,700,400 \\.\DISPLAY1 \\.\DISPLAY1 \\.\DISPLAY1
TEXT
)
output=$("$run" "$child" window-monitor 100 100 300 200 -700 250 300 200 -400 200 500 200 -300 20 200 60 \
  500 300 200 100 | iconv -f UTF-16LE -t UTF-8 | tr -d '\r') || status=1
if [ "$output" = "$expected" ]; then
  echo "a real window on the second monitor: ok"
else
  echo "FAIL: a real window on the second monitor: got" >&2
  printf '%s\n' "$output" >&2
  status=1
fi
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
exit $status
