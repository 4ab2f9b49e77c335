#!/usr/bin/env bash
# The monitors of a display whose second monitor lies left of the primary:
# the primary, 1024x768, at the origin; the second, 800x600, at -900,100, with
# a gap 100 pixels wide between the two. Xorg with the dummy video driver
# makes the display (scripts/with-display.sh, VORLAN_MONITORS) and Wine takes
# the monitors from its RandR outputs. Run through own_display.sh (CMake):
#   own_display.sh libXrandr.so.2 libxrandr2 \
#     VORLAN_MONITORS="1024x768+0+0 800x600-900+100" left_monitor.sh SERVER.dll SERVICES_CHILD.exe
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
server=$1
child=$2
run=$here/../../scripts/wine-run.sh

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
exit $status
