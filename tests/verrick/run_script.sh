#!/usr/bin/env bash
# Registers a COM server in the test prefix and runs one VBScript file under
# Wine's cscript, with harness.vbs in front of it. Passes only when the script
# ends with "checks: N of N ran, 0 failed", N being the count its Plan states
# (cscript itself reports no run-time errors, and a skipped check only shows
# in the count). A line "'#include NAME.vbs" in the script puts that file, from
# the script's folder, between the harness and the script: its checks count
# toward the script's Plan.
# Further servers after the script are registered too.
#   run_script.sh SERVER.dll SCRIPT.vbs [MORE.dll...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
run="$here/../../scripts/wine-run.sh"
server=$1
script=$2

to_windows() { printf 'Z:%s' "${1//\//\\}"; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
includes=()
while read -r name; do
    includes+=("$(dirname "$script")/$name")
done < <(sed -nE "s/^'#include ([[:alnum:]_.-]+)\r?$/\1/p" "$script")
cat "$here/harness.vbs" "${includes[@]}" "$script" > "$work/test.vbs"

# Now and then, on a loaded machine, Wine's loader fails to start regsvr32 at
# all and says so through its start program ("ShellExecuteEx failed"); that
# start, never a failed registration, is tried once more.
register() {
    local said status=0
    said=$("$run" regsvr32 /s "$(to_windows "$1")" 2>&1) || status=$?
    [ -n "$said" ] && printf '%s\n' "$said" >&2
    if [ "$status" -ne 0 ] && grep -q 'ShellExecuteEx failed' <<<"$said"; then
        echo "run_script: Wine did not start regsvr32; starting it again" >&2
        status=0
        "$run" regsvr32 /s "$(to_windows "$1")" || status=$?
    fi
    return "$status"
}
for dll in "$server" "${@:3}"; do
    register "$dll"
done
output=$("$run" cscript //nologo "$(to_windows "$work/test.vbs")" 2>&1 | tr -d '\r')
printf '%s\n' "$output"

summary=$(printf '%s\n' "$output" | grep -E '^checks: [0-9]+ of -?[0-9]+ ran, [0-9]+ failed$' | tail -n 1 || true)
if [ -z "$summary" ]; then
    echo "run_script: no summary line: the script stopped early" >&2
    exit 1
fi
read -r ran planned failed <<<"$(printf '%s\n' "$summary" | sed -E 's/^checks: ([0-9]+) of (-?[0-9]+) ran, ([0-9]+) failed$/\1 \2 \3/')"
if [ "$planned" -le 0 ]; then
    echo "run_script: the script plans no checks (Plan N missing)" >&2
    exit 1
fi
if [ "$ran" -ne "$planned" ]; then
    echo "run_script: $ran checks ran, the script plans $planned: a check was skipped or added" >&2
    exit 1
fi
[ "$failed" -eq 0 ]
