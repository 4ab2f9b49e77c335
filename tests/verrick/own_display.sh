#!/usr/bin/env bash
# Runs a monitor test on a display of its own, made as the setting given
# asks (VORLAN_SCREENS or VORLAN_MONITORS, see scripts/with-display.sh). A Wine
# server keeps the monitors of the display it started with, so the test runs
# in the prefix kept for such displays beside the test prefix (one test at a
# time), with a server of its own, started fresh and ended afterwards. Wine
# reads the monitors through an X library of its own width: without it, it
# shows one monitor, so a missing one fails the test.
#   own_display.sh LIBRARY PACKAGE NAME=VALUE TEST [ARGS...]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)

if [ "${1:-}" = --inside ]; then
  shift
  "$root/scripts/wine-prefix.sh" "$WINEPREFIX"
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  status=0
  "$@" || status=$?
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  exit $status
fi

library=$1 package=$2 setting=$3
shift 3
: "${WINEPREFIX:?}"
"$root/scripts/wine-loader.sh" "${VORLAN_WIDTH:-32}" >/dev/null || exit $?
case ${VORLAN_WIDTH:-32} in
  64) entry="$library (libc6,x86-64)" ;;
  *) entry="$library (libc6)" ;;
esac
if ! ldconfig -p | grep -F "$entry" >/dev/null; then
  echo "$(basename "$1" .sh): $entry is missing (scripts/setup.sh installs $package)" >&2
  exit 1
fi
export WINEPREFIX=$WINEPREFIX-own-display "${setting?}"
unset DISPLAY
exec "$root/scripts/with-display.sh" "$0" --inside "$@"
