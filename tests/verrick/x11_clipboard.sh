#!/usr/bin/env bash
# Wine's X11 clipboard bridge, both ways: HTML and text that an X client
# (xclip) owns are read through tlvClipboard, and what tlvClipboard sets is
# read by the X client and by a second Windows process. Needs the display the
# test runner provides.
#   x11_clipboard.sh SERVER.dll
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
run="$here/../../scripts/wine-run.sh"
server=$1
command -v xclip >/dev/null || { echo "x11_clipboard: xclip is missing (scripts/setup.sh installs it)" >&2; exit 1; }
[ -n "${DISPLAY:-}" ] || { echo "x11_clipboard: no display" >&2; exit 1; }

to_windows() { printf 'Z:%s' "${1//\//\\}"; }
work=$(mktemp -d)
owner=
cleanup() {
  [ -n "$owner" ] && kill "$owner" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
script=$(to_windows "$here/x11_clipboard.vbs")
"$run" regsvr32 /s "$(to_windows "$server")"
. "$here/../checks.sh"
field() { iconv -f UTF-16 -t UTF-8 "$work/out.txt" | tr -d '\r' | sed -n "s/^$1=//p"; }

# An X client owns text/html (UTF-8, no header): Wine offers it as "HTML Format".
printf '<b>Жёлтый</b> 😀' > "$work/page.html"
xclip -quiet -selection clipboard -t text/html -i "$work/page.html" 2>/dev/null &
owner=$!
sleep 1
"$run" cscript //nologo "$script" read "$(to_windows "$work/out.txt")" >/dev/null
expect "HTML from X offered" "$(field available)" "True"
expect "HTML fragment from X" "$(field fragment)" '<b>Жёлтый</b> 😀'
kill "$owner" 2>/dev/null || true
wait "$owner" 2>/dev/null || true
owner=

# Plain UTF-8 text from an X client.
printf 'Съешь же ещё' | xclip -quiet -selection clipboard -i 2>/dev/null &
owner=$!
sleep 1
"$run" cscript //nologo "$script" read "$(to_windows "$work/out.txt")" >/dev/null
expect "text from X" "$(field text)" 'Съешь же ещё'
kill "$owner" 2>/dev/null || true
wait "$owner" 2>/dev/null || true
owner=

# Ours, read by a second Windows process and by the X client (the runner keeps
# one Wine server for the whole run: the clipboard lives in it). Wine's bridge
# notices the X client leaving a moment later: let that pass first.
sleep 2
printf '\xff\xfe' > "$work/in.txt"
printf 'Привет, мир 😀\r\n' | iconv -f UTF-8 -t UTF-16LE >> "$work/in.txt"
set_result=$("$run" cscript //nologo "$script" write "$(to_windows "$work/in.txt")" | tr -d '\r')
expect "set through tlvClipboard" "$set_result" "set=True"
expect "our text read by X" "$(timeout $((10 * ${VORLAN_WAIT_SCALE:-1})) xclip -o -selection clipboard)" 'Привет, мир 😀'
html=$(timeout $((10 * ${VORLAN_WAIT_SCALE:-1})) xclip -o -selection clipboard -t text/html || true)
echo "x11_clipboard: Wine offers our HTML to X as text/html: [${html}]"
expect_contains "our HTML read by X" "$html" '<i>Привет, мир 😀</i>'
# Wine's bridge may still hold the clipboard open a moment after serving X
# (a busy clipboard reads as empty): read again until the deadline.
for ((attempt = 0; attempt < 5 * ${VORLAN_WAIT_SCALE:-1}; attempt++)); do
  "$run" cscript //nologo "$script" read "$(to_windows "$work/out.txt")" >/dev/null
  [ -n "$(field fragment)" ] && break
  sleep 1
done
expect "our HTML read by a second process" "$(field fragment)" '<i>Привет, мир 😀</i>'
expect "our text read by a second process" "$(field text)" 'Привет, мир 😀'
checks_done 8
