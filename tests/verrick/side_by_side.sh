#!/usr/bin/env bash
# Both widths of the server registered side by side in one prefix: the 32-bit
# and the 64-bit script host each create Velmora.tlvMain, each from the server
# of its own width (a server of the other width could not load at all).
# Unregistering either server leaves the other one working, and with both
# unregistered the registry is as it was (both orders).
#   side_by_side.sh SERVER32.dll SERVER64.dll
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
run="$here/../../scripts/wine-run.sh"
server32=$1
server64=$2
# Both hosts must run here; the runner answers 77 (skipped) where one cannot.
"$here/../../scripts/wine-loader.sh" 32 >/dev/null || exit 77

to_windows() { printf 'Z:%s' "${1//\//\\}"; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cat > "$work/create.vbs" <<'VBS'
On Error Resume Next
Dim tlv
Set tlv = CreateObject("Velmora.tlvMain")
If Err.Number <> 0 Then
    WScript.Echo "error " & Err.Number
Else
    WScript.Echo "created " & TypeName(tlv)
End If
VBS
script=$(to_windows "$work/create.vbs")

create() {  # width -> what the host of that width printed
    VORLAN_WIDTH=$1 "$run" cscript //nologo "$script" 2>/dev/null | tr -d '\r' | tail -n 1
}
expect() {  # description width expected
    local actual
    actual=$(create "$2")
    [ "$actual" = "$3" ] || fail "$1: got '$actual', expected '$3'"
}
. "$here/class_keys.sh"

register() {  # width server [/u]
    VORLAN_WIDTH=$1 "$run" regsvr32 /s ${3:-} "$(to_windows "$2")" || fail "$1-bit regsvr32 ${3:-} failed"
}
VORLAN_WIDTH=32 "$run" regsvr32 /s /u "$(to_windows "$server32")" || true
VORLAN_WIDTH=64 "$run" regsvr32 /s /u "$(to_windows "$server64")" || true
# Each script host registers its own type libraries the first time it runs in
# a prefix: let both do so before the registry is taken as it was.
create 32 >/dev/null
create 64 >/dev/null
snapshot clean

# Each order of unregistering: the width left registered keeps working, and
# with both gone the registry is as it was.
for first in 64 32; do
    register 32 "$server32"
    register 64 "$server64"
    expect "32-bit host, both registered" 32 "created tlvMain"
    expect "64-bit host, both registered" 64 "created tlvMain"

    if [ "$first" = 64 ]; then second=32 first_server=$server64 second_server=$server32
    else second=64 first_server=$server32 second_server=$server64; fi
    register "$first" "$first_server" /u
    expect "$second-bit host, $first-bit unregistered" "$second" "created tlvMain"
    expect "$first-bit host, $first-bit unregistered" "$first" "error 429"

    register "$second" "$second_server" /u
    snapshot "removed-$first"
    for f in "$work"/clean-*.reg; do
        cmp -s "$f" "${f/clean-/removed-$first-}" ||
            { diff <(iconv -f UTF-16LE -t UTF-8 "$f") <(iconv -f UTF-16LE -t UTF-8 "${f/clean-/removed-$first-}") |
                  head -n 20 || true
              fail "$(basename "${f#*clean-}" .reg) differs after unregistering $first-bit first, then $second-bit"; }
    done
done

echo "$failures failures"
[ "$failures" -eq 0 ]
