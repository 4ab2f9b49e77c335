#!/usr/bin/env bash
# The monitors on a display of two screens joined by Xinerama: 1024x768, the
# primary, and 800x600, both at the origin. Run through own_display.sh (CMake):
#   own_display.sh libXinerama.so.1 libxinerama1 VORLAN_SCREENS="1024x768 800x600" \
#     two_screens.sh SERVER.dll SERVICES_CHILD.exe
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
server=$1
child=$2
run=$here/../../scripts/wine-run.sh
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
exit $status
