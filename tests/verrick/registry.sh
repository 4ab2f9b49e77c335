#!/usr/bin/env bash
# Registration of the server in the test prefix: regsvr32 writes the class,
# ProgID, threading model and type library; regsvr32 /u leaves the registry
# as it was; per-user registration (/n /i:user) writes only below
# HKEY_CURRENT_USER and takes it all away again.
#   registry.sh SERVER.dll
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
run="$here/../../scripts/wine-run.sh"

to_windows() { printf 'Z:%s' "${1//\//\\}"; }
server=$(to_windows "$1")
clsid='{CBE82211-DD20-43CA-B3AC-41284F562124}'
libid='{0EC89F08-0C81-44F2-991F-7E16368A7AD8}'
# A server registers in the registry view and under the type-library platform
# key of its own width.
width=${VORLAN_WIDTH:-32}
platform=win$width

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# One export per hive and registry view; a 32-bit server writes the 32-bit view.
. "$here/class_keys.sh"

same_as() {
    local before=$1 after=$2 hive=$3 view
    for view in 32 64; do
        cmp -s "$work/$before-$hive-$view.reg" "$work/$after-$hive-$view.reg" ||
            fail "$hive ($view-bit view) differs between '$before' and '$after'"
    done
}

value_of() {  # key value-name (empty for the default value)
    local args=(query "$1" "/reg:$width")
    if [ -n "$2" ]; then args+=(/v "$2"); else args+=(/ve); fi
    "$run" reg "${args[@]}" 2>/dev/null | tr -d '\r' | awk -F '    ' 'NF >= 4 {print $4}' | head -n 1
}

expect_value() {  # description key value-name expected
    local actual
    actual=$(value_of "$2" "$3")
    [ "$actual" = "$4" ] || fail "$1: got '$actual', expected '$4'"
}

# A clean slate, whatever earlier runs left.
"$run" regsvr32 /s /u "$server" || true
"$run" regsvr32 /s /u /n /i:user "$server" || true
snapshot clean

"$run" regsvr32 /s "$server" || fail "regsvr32 failed"
expect_value "ProgID" "HKCR\\CLSID\\$clsid\\ProgID" "" "Velmora.tlvMain"
expect_value "server path" "HKCR\\CLSID\\$clsid\\InprocServer32" "" "$server"
expect_value "threading model" "HKCR\\CLSID\\$clsid\\InprocServer32" "ThreadingModel" "Apartment"
expect_value "class type library" "HKCR\\CLSID\\$clsid\\TypeLib" "" "$libid"
expect_value "ProgID to CLSID" "HKCR\\Velmora.tlvMain\\CLSID" "" "$clsid"
expect_value "type library file" "HKCR\\TypeLib\\$libid\\1.0\\409\\$platform" "" "$server"
snapshot registered
cmp -s "$work/clean-HKCU-$width.reg" "$work/registered-HKCU-$width.reg" || fail "machine registration wrote below HKCU"

"$run" regsvr32 /s /u "$server" || fail "regsvr32 /u failed"
snapshot unregistered
same_as clean unregistered HKLM
same_as clean unregistered HKCU

"$run" regsvr32 /s /n /i:user "$server" || fail "regsvr32 /n /i:user failed"
expect_value "per-user ProgID" "HKCU\\Software\\Classes\\Velmora.tlvMain\\CLSID" "" "$clsid"
expect_value "per-user threading model" "HKCU\\Software\\Classes\\CLSID\\$clsid\\InprocServer32" \
    "ThreadingModel" "Apartment"
expect_value "per-user type library" "HKCU\\Software\\Classes\\TypeLib\\$libid\\1.0\\409\\$platform" "" "$server"
snapshot user
same_as clean user HKLM

"$run" regsvr32 /s /u /n /i:user "$server" || fail "regsvr32 /u /n /i:user failed"
snapshot user-removed
same_as clean user-removed HKLM
same_as clean user-removed HKCU

echo "$failures failures"
[ "$failures" -eq 0 ]
