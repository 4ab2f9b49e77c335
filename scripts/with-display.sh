#!/usr/bin/env bash
# Runs a command with a display: the current one, or a private X server that
# lives as long as the command.
# VORLAN_SCREENS="1024x768 800x600" asks for a private Xvfb of several screens
# joined by Xinerama (Wine then shows one monitor per screen, every one at the
# origin), even where there is a display already. RandR is left off: with it
# Wine reads the monitors from RandR and sees one.
# VORLAN_MONITORS="1024x768+0+0 800x600-900+100" asks for a private Xorg with
# the dummy video driver whose monitors lie where the list says, in the
# coordinates Windows programs see: the first one is the primary, at the
# origin; the others anywhere, left of or above it too. Xorg's RandR gives each
# monitor an output and a CRTC of its own, from which Wine takes its monitors.
# Exits 77 when Xorg is refused the console or the rights it needs here.
set -euo pipefail
if [ -n "${DISPLAY:-}" ] && [ -z "${VORLAN_SCREENS:-}" ] && [ -z "${VORLAN_MONITORS:-}" ]; then exec "$@"; fi

# Writes an Xorg configuration for the monitors of VORLAN_MONITORS: one dummy
# output per monitor, placed in X's coordinates (the list moved so that its
# leftmost and topmost edges are at 0), each with a mode of its exact size.
monitors_config() {
  local spec w h x y i minx=0 miny=0 maxx=0 maxy=0
  local -a ws hs xs ys
  for spec in $VORLAN_MONITORS; do
    if ! [[ $spec =~ ^([0-9]+)x([0-9]+)([+-][0-9]+)([+-][0-9]+)$ ]]; then
      echo "with-display: monitor '$spec' is not WxH+X+Y" >&2
      return 2
    fi
    w=${BASH_REMATCH[1]} h=${BASH_REMATCH[2]} x=$((BASH_REMATCH[3])) y=$((BASH_REMATCH[4]))
    ws+=("$w") hs+=("$h") xs+=("$x") ys+=("$y")
    ((x < minx)) && minx=$x
    ((y < miny)) && miny=$y
    ((x + w > maxx)) && maxx=$((x + w))
    ((y + h > maxy)) && maxy=$((y + h))
  done
  local width=$((maxx - minx)) height=$((maxy - miny))
  echo 'Section "Device"'
  echo '  Identifier "card"'
  echo '  Driver "dummy"'
  echo "  VideoRam $((width * height * 4 / 1024 + 1024))"
  for ((i = 0; i < ${#ws[@]}; i++)); do
    echo "  Option \"Monitor-DUMMY$i\" \"monitor$i\""
  done
  echo 'EndSection'
  for ((i = 0; i < ${#ws[@]}; i++)); do
    w=${ws[i]} h=${hs[i]}
    # A 60 Hz mode with minimal blanking: the dummy driver only counts pixels.
    echo 'Section "Monitor"'
    echo "  Identifier \"monitor$i\""
    echo '  HorizSync 1.0-10000.0'
    echo '  VertRefresh 1.0-1000.0'
    echo "  Modeline \"${w}x${h}\" $(((w + 32) * (h + 4) * 60 / 1000000 + 1)) $w $((w + 8)) $((w + 24)) $((w + 32)) $h $((h + 1)) $((h + 2)) $((h + 4))"
    echo "  Option \"PreferredMode\" \"${w}x${h}\""
    echo "  Option \"Position\" \"$((xs[i] - minx)) $((ys[i] - miny))\""
    echo '  Option "Enable" "true"'
    [ "$i" = 0 ] && echo '  Option "Primary" "true"'
    echo 'EndSection'
  done
  echo 'Section "Screen"'
  echo '  Identifier "screen"'
  echo '  Device "card"'
  echo '  DefaultDepth 24'
  echo '  SubSection "Display"'
  echo '    Depth 24'
  echo "    Virtual $width $height"
  echo '  EndSubSection'
  echo 'EndSection'
  echo 'Section "ServerLayout"'
  echo '  Identifier "layout"'
  echo '  Screen "screen"'
  echo 'EndSection'
  echo 'Section "ServerFlags"'
  echo '  Option "AutoAddDevices" "false"'
  echo '  Option "AutoAddGPU" "false"'
  echo 'EndSection'
}

server=
work=$(mktemp -d)
cleanup() {
  if [ -n "$server" ]; then
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

if [ -n "${VORLAN_MONITORS:-}" ]; then
  if ! command -v Xorg >/dev/null || ! [ -e /usr/lib/xorg/modules/drivers/dummy_drv.so ]; then
    echo "with-display: Xorg or its dummy driver is missing (scripts/setup.sh installs them)" >&2
    exit 1
  fi
  monitors_config > "$work/xorg.conf"
  # A directory of its own in place of /etc/X11/xorg.conf.d, so that nothing
  # of the machine's own setup comes in (Xorg wants a file in it).
  mkdir "$work/xorg.conf.d"
  echo '# Everything is in xorg.conf.' > "$work/xorg.conf.d/00-none.conf"
  # Xorg picks a free display number itself and writes it to descriptor 3 once
  # it accepts clients. It shares the current console instead of taking one.
  Xorg -displayfd 3 -config "$work/xorg.conf" -configdir "$work/xorg.conf.d" -logfile "$work/xorg.log" \
    -sharevts -novtswitch -noreset -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  server=$!
  for _ in $(seq 600); do
    grep -q . "$work/display" 2>/dev/null && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.05
  done
  if ! grep -q . "$work/display" 2>/dev/null; then
    errors=$(grep -F '(EE)' "$work/xorg.log" 2>/dev/null || true)
    echo "with-display: Xorg did not start:" >&2
    printf '%s\n' "$errors" >&2
    if printf '%s\n' "$errors" | grep -q -i -E 'console|tty|permission denied|operation not permitted'; then
      echo "with-display: Xorg cannot run here" >&2
      exit 77
    fi
    exit 1
  fi
  export DISPLAY=":$(head -n 1 "$work/display")"
else
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
  # Xvfb picks a free display number itself (two runs starting at once get
  # one each) and writes it to descriptor 3 once it accepts clients.
  Xvfb -displayfd 3 "${screens[@]}" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  server=$!
  for _ in $(seq 200); do
    grep -q . "$work/display" 2>/dev/null && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.05
  done
  grep -q . "$work/display" 2>/dev/null || { echo "with-display: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(head -n 1 "$work/display")"
fi
unset VORLAN_SCREENS VORLAN_MONITORS
"$@"
