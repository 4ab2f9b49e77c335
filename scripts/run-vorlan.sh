#!/usr/bin/env bash
# Sets up, builds and starts Vorlan in the build's own Wine prefix, after
# registering the freshly built Verrick.dll there (Vorlan creates its objects).
# On a display it runs until you close it. Without one it runs on a private
# display, saves a screenshot, says where, and closes it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"
export WINEPREFIX=$root/build/wine/run
"$root/scripts/wine-prefix.sh" "$WINEPREFIX"
exe=$root/build/bin/Vorlan.exe
server=$root/build/bin/Verrick.dll
export VORLAN_WIDTH=32
if ! "$root/scripts/wine-loader.sh" 32 >/dev/null 2>&1; then
  # Vorlan ships in both widths (the setup installs the 64-bit one on 64-bit
  # Windows); where 32-bit programs cannot run natively, the 64-bit one runs,
  # with the 64-bit Verrick.
  echo "run-vorlan: this machine cannot run 32-bit programs natively; starting the 64-bit Vorlan" >&2
  exe=$root/build/bin/x64/Vorlan.exe
  server=$root/build/bin/x64/Verrick.dll
  VORLAN_WIDTH=64
fi
"$root/scripts/wine-run.sh" regsvr32 /s "Z:${server//\//\\}"

if [ -n "${DISPLAY:-}" ]; then
  exec "$root/scripts/wine-run.sh" "$exe"
fi

shot=$root/build/vorlan-screenshot.png
"$root/scripts/with-display.sh" bash -c '
  "$0/scripts/wine-run.sh" "$1" &
  app=$!
  for _ in $(seq 100); do
    id=$(xdotool search --name "^Vorlan ::" 2>/dev/null | head -1) && [ -n "$id" ] && break
    sleep 0.2
  done
  if [ -z "${id:-}" ]; then echo "Vorlan did not show its window" >&2; kill $app; exit 1; fi
  sleep 1
  import -window "$id" "$2"
  echo "Vorlan is running on a private display; screenshot: $2"
  wineserver -k 2>/dev/null || true
  wait $app 2>/dev/null || true' "$root" "$exe" "$shot"
