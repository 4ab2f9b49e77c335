#!/usr/bin/env bash
# Runs a Windows program under Wine in this build's own prefix.
#   WINEPREFIX          the prefix (created on first use); required
#   VORLAN_WIDTH        32 (default) or 64: the width of the programs started
#   VORLAN_TEST_PREFIX  1: make a new prefix a test prefix (scripts/wine-prefix.sh)
#   VORLAN_DLL_OVERRIDES  more library load orders, as WINEDLLOVERRIDES writes them
# Without a display it starts a private Xvfb for the length of the run.
# 32-bit programs run through scripts/with-i386.sh (under emulation where the
# kernel cannot start them). Exits 77 when the width asked for can neither run
# nor be emulated on this machine.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${VORLAN_I386:-}" ] && [ "${VORLAN_WIDTH:-32}" = 32 ]; then
  exec "$here/with-i386.sh" "$0" "$@"
fi
: "${WINEPREFIX:?set WINEPREFIX to the prefix of the build}"
export WINEPREFIX WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${VORLAN_DLL_OVERRIDES:+;$VORLAN_DLL_OVERRIDES}"

loader=$("$here/wine-loader.sh" "${VORLAN_WIDTH:-32}") || exit $?
"$here/wine-prefix.sh" "$WINEPREFIX"

if [ -z "${DISPLAY:-}" ]; then
  exec "$here/with-display.sh" "$loader" "$@"
fi
exec "$loader" "$@"
