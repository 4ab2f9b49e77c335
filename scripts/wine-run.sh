#!/usr/bin/env bash
# Runs a Windows program under 32-bit Wine in this build's own prefix.
#   WINEPREFIX          the prefix (created on first use); required
#   VORLAN_TEST_PREFIX  1: make a new prefix a test prefix (scripts/wine-prefix.sh)
# Without a display it starts a private Xvfb for the length of the run.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
: "${WINEPREFIX:?set WINEPREFIX to the prefix of the build}"
export WINEPREFIX WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

"$here/wine-prefix.sh" "$WINEPREFIX"

if [ -z "${DISPLAY:-}" ]; then
  exec "$here/with-display.sh" wine "$@"
fi
exec wine "$@"
