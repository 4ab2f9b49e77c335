#!/usr/bin/env bash
# Registers Verrick.dll in the Wine prefix and runs a benchmark script
# (verrick_bench.vbs unless named), with timing.vbs in front of it, under
# Wine's cscript, which prints the figures.
#   verrick_bench.sh path/to/Verrick.dll [clipboard_bench.vbs]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
run="$here/../scripts/wine-run.sh"
to_windows() { printf 'Z:%s' "${1//\//\\}"; }
dll=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat "$here/timing.vbs" "$here/${2:-verrick_bench.vbs}" > "$work/bench.vbs"
"$run" regsvr32 /s "$(to_windows "$dll")"
"$run" cscript //nologo "$(to_windows "$work/bench.vbs")" 2>&1 | tr -d '\r'
