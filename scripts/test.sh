#!/usr/bin/env bash
# Sets up, builds and runs every test of both widths (under Wine, on a private
# display when there is none). Extra arguments go to ctest, e.g. -R vorlan.
# VORLAN_WIDTHS="64" (or "32") builds and tests one width only.
# The tests run where 32-bit programs can start (scripts/with-i386.sh): as
# they are where the kernel runs them, otherwise under user-mode emulation.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${VORLAN_I386:-}" ]; then
  "$root/scripts/build.sh"
  exec "$root/scripts/with-i386.sh" "$0" "$@"
fi
export VORLAN_TEST_PREFIX=1
case $VORLAN_I386 in
  native) ;;
  emulated) echo "test: this kernel cannot start 32-bit programs; they run under user-mode emulation (qemu-i386)" >&2 ;;
  *) echo "test: this machine can neither start nor emulate 32-bit programs; the 32-bit tests are reported as skipped" >&2 ;;
esac
status=0
for width in ${VORLAN_WIDTHS:-32 64}; do
  case $width in
    32) tree=$root/build ;;
    64) tree=$root/build/x64 ;;
  esac
  # The tests' prefix and the Russian user's (cmake/wine.cmake); keep one
  # Wine server for each for the whole run instead of one per test program.
  export VORLAN_WIDTH=$width
  prefixes="$tree/wine/test $tree/wine/test-ru"
  for prefix in $prefixes; do "$root/scripts/wine-prefix.sh" "$prefix"; done
  echo "== ${width}-bit tests ($tree)"
  "$root/scripts/with-display.sh" bash -c '
    tree=$0 prefixes=$1
    shift 2
    # Wine starts its own service processes with the first program; start them
    # here, away from the output pipes that CTest waits on to close.
    for prefix in $prefixes; do
      WINEPREFIX=$prefix wineserver -p 60 || true
      WINEPREFIX=$prefix /usr/lib/wine/wine64 cmd /c exit </dev/null >/dev/null 2>&1 || true
    done
    export WINEPREFIX=$tree/wine/test
    ctest --test-dir "$tree" --output-on-failure -j2 "${@}"
    status=$?
    for prefix in $prefixes; do WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; done
    exit $status' "$tree" "$prefixes" "$@" || status=$?
done
exit $status
