#!/usr/bin/env bash
# tlvAutorunSupport against the real Run keys of the test prefix: autorun.vbs
# adds entries for the user and the machine, reg.exe reads them back, the
# script removes them, and reg.exe must find nothing left.
#   autorun.sh SERVER.dll
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
run="$here/../../scripts/wine-run.sh"
to_windows() { printf 'Z:%s' "${1//\//\\}"; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

user_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
machine_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
user_id='{6F7C8B25-29F2-43FC-B296-8FCD49395DF2}'
machine_id='{0D075052-99B3-4ED4-A425-142196F8D47A}'
path='C:\Program Files\Мои программы\Пример 1\app.exe /min'
printf '\xff\xfe' > "$work/path.txt"
printf '%s\r\n' "$path" | iconv -f UTF-8 -t UTF-16LE >> "$work/path.txt"
cat "$here/harness.vbs" "$here/autorun.vbs" > "$work/test.vbs"

phase() {
    local output summary ran planned
    output=$("$run" cscript //nologo "$(to_windows "$work/test.vbs")" "$1" 2>&1 | tr -d '\r')
    printf '%s\n' "$output"
    # Every planned check ran and none failed (see run_script.sh).
    summary=$(printf '%s\n' "$output" | grep -E '^checks: [0-9]+ of [0-9]+ ran, 0 failed$' | tail -n 1 || true)
    read -r ran planned <<<"$(printf '%s\n' "$summary" | sed -E 's/^checks: ([0-9]+) of ([0-9]+) ran.*/\1 \2/')"
    [ -n "$summary" ] && [ "$planned" -gt 0 ] && [ "$ran" -eq "$planned" ] ||
        fail "phase $1 did not run all its planned checks without failure"
}

# The key as reg.exe exports it, as UTF-8 (the export is UTF-16, backslashes doubled).
export_key() {  # key
    if ! "$run" reg export "$1" "$(to_windows "$work/export.reg")" /y >/dev/null 2>&1; then
        fail "reg export $1 failed"
        : > "$work/export.reg"
        return
    fi
    iconv -f UTF-16 -t UTF-8 "$work/export.reg" | tr -d '\r' > "$work/export.txt"
}
# One value's line of the export; empty when absent.
exported() {  # key value-name
    export_key "$1"
    grep -F "\"$2\"=" "$work/export.txt" || true
}

"$run" regsvr32 /s "$(to_windows "$1")"
phase add
escaped=${path//\\/\\\\}
[ "$(exported "$user_key" "$user_id")" = "\"$user_id\"=\"$escaped\"" ] ||
    fail "user entry: got '$(exported "$user_key" "$user_id")'"
[ "$(exported "$machine_key" "$machine_id")" = "\"$machine_id\"=\"$escaped /machine\"" ] ||
    fail "machine entry: got '$(exported "$machine_key" "$machine_id")'"
[ -z "$(exported "$machine_key" "$user_id")" ] || fail "the user's entry reached the machine's key"

phase remove
for id in "$user_id" '{2A1F41AC-905B-400D-9083-EA6CC0E648B2}' '{0F707C56-3B03-4F5B-9F57-45BAAB7B204F}'; do
    [ -z "$(exported "$user_key" "$id")" ] || fail "user entry $id left behind"
done
[ -z "$(exported "$machine_key" "$machine_id")" ] || fail "machine entry left behind"

echo "$failures failures"
[ "$failures" -eq 0 ]
