#!/usr/bin/env bash
# Runs a command with a display: the current one, or a private Xvfb that
# lives as long as the command.
# VORLAN_SCREENS="1024x768 800x600" asks for a private display of several
# screens joined by Xinerama (Wine then shows one monitor per screen), even
# where there is a display already. RandR is left off: with it Wine reads the
# monitors from RandR and sees one.
set -euo pipefail
if [ -n "${DISPLAY:-}" ] && [ -z "${VORLAN_SCREENS:-}" ]; then exec "$@"; fi

screens=(-screen 0 1280x1024x24)
if [ -n "${VORLAN_SCREENS:-}" ]; then
  screens=()
  i=0
  for size in $VORLAN_SCREENS; do
    screens+=(-screen "$i" "${size}x24")
    i=$((i + 1))
  done
  screens+=(+xinerama -extension RANDR)
fi
for n in $(seq 90 140); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
done
Xvfb ":$n" "${screens[@]}" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  [ -e "/tmp/.X11-unix/X$n" ] && break
  sleep 0.05
done
export DISPLAY=":$n"
unset VORLAN_SCREENS
"$@"
