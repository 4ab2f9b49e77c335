#!/usr/bin/env bash
# Runs a DPI test program at 96, 120 and 144 dots per inch. The setting
# is the prefix's LogPixels, read by each program when it starts, so the
# runs take a prefix of their own (the other tests keep 96; the DPI tests
# share it one at a time) and restart Wine's server between settings.
#   dpi.sh TEST.exe
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
run="$here/../scripts/wine-run.sh"
export WINEPREFIX=${WINEPREFIX%/*}/dpi
trap 'wineserver -k 2>/dev/null || true' EXIT
status=0
for dpi in 96 120 144; do
  echo "== $dpi dots per inch"
  "$run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
  wineserver -k 2>/dev/null || true
  wineserver -w
  VORLAN_EXPECTED_DPI=$dpi "$run" "$1" || status=$?
  [ "$status" = 77 ] && exit 77
done
exit $status
