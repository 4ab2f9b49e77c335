#!/usr/bin/env bash
# Runs a Windows program under Wine in this build's own prefix.
#   WINEPREFIX          the prefix (created on first use); required
#   VORLAN_WIDTH        32 (default) or 64: the width of the programs started
#   VORLAN_TEST_PREFIX  1: make a new prefix a test prefix (scripts/wine-prefix.sh)
# Without a display it starts a private Xvfb for the length of the run.
# Exits 77 when the width asked for cannot run on this machine (a Linux kernel
# with IA-32 emulation off cannot start 32-bit Wine).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
: "${WINEPREFIX:?set WINEPREFIX to the prefix of the build}"
export WINEPREFIX WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

loader=$("$here/wine-loader.sh" "${VORLAN_WIDTH:-32}") || exit $?
"$here/wine-prefix.sh" "$WINEPREFIX"

if [ -z "${DISPLAY:-}" ]; then
  exec "$here/with-display.sh" "$loader" "$@"
fi
exec "$loader" "$@"
