#!/usr/bin/env bash
# Sets up, builds and runs every test (under Wine, on a private display when
# there is none). Extra arguments go to ctest, e.g. -R vorlan.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"
# Keep one Wine server for the whole run instead of one per test program.
export WINEPREFIX=$root/build/wine/test VORLAN_TEST_PREFIX=1
"$root/scripts/wine-prefix.sh" "$WINEPREFIX"
status=0
"$root/scripts/with-display.sh" bash -c '
  # Wine starts its own service processes with the first program; start them
  # here, away from the output pipes that CTest waits on to close.
  wineserver -p 60 || true
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  ctest --test-dir "$0/build" --output-on-failure -j2 "${@}"
  status=$?
  wineserver -k 2>/dev/null || true
  exit $status' "$root" "$@" || status=$?
exit $status
