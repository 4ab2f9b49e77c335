#!/usr/bin/env bash
# Sets up, builds and runs every test of both widths (under Wine, on a private
# display when there is none). Extra arguments go to ctest, e.g. -R vorlan.
# VORLAN_WIDTHS="64" (or "32") builds and tests one width only.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"
export VORLAN_TEST_PREFIX=1
status=0
for width in ${VORLAN_WIDTHS:-32 64}; do
  case $width in
    32) tree=$root/build ;;
    64) tree=$root/build/x64 ;;
  esac
  if ! "$root/scripts/wine-loader.sh" "$width" >/dev/null; then
    echo "test: the ${width}-bit tests are reported as skipped on this machine" >&2
  fi
  # Keep one Wine server for the whole run instead of one per test program.
  export WINEPREFIX=$tree/wine/test VORLAN_WIDTH=$width
  "$root/scripts/wine-prefix.sh" "$WINEPREFIX"
  echo "== ${width}-bit tests ($tree)"
  "$root/scripts/with-display.sh" bash -c '
    # Wine starts its own service processes with the first program; start them
    # here, away from the output pipes that CTest waits on to close.
    wineserver -p 60 || true
    /usr/lib/wine/wine64 cmd /c exit </dev/null >/dev/null 2>&1 || true
    ctest --test-dir "$0" --output-on-failure -j2 "${@}"
    status=$?
    wineserver -k 2>/dev/null || true
    exit $status' "$tree" "$@" || status=$?
done
exit $status
