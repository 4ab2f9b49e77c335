#!/usr/bin/env bash
# The script runner itself: a script whose check was skipped, one whose
# expected error was already pending, one that judges an error it never
# said it expected, and checks of values that are no answer must all fail,
# each for its own reason; a sound one passes.
#   harness_test.sh SERVER.dll
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
server=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect NAME STATUS(pass|fail) MESSAGE <<< script
expect() {
    local name=$1 want=$2 message=$3 status=0 output
    cat > "$work/$name.vbs"
    output=$("$here/run_script.sh" "$server" "$work/$name.vbs" 2>&1) || status=$?
    # 77: this width cannot run here; the runner says so and the whole test skips.
    [ "$status" -eq 77 ] && exit 77
    if [ "$want" = pass ] && [ "$status" -ne 0 ]; then fail "$name: failed: $output"; fi
    if [ "$want" = fail ] && [ "$status" -eq 0 ]; then fail "$name: passed: $output"; fi
    if ! grep -qF -- "$message" <<<"$output"; then fail "$name: no '$message' in: $output"; fi
    return 0
}

expect sound pass "checks: 2 of 2 ran, 0 failed" <<'VBS'
Plan 2
Dim r
CheckEqual "sum", 1 + 1, 2
ExpectError
r = CInt("x")
CheckError "conversion", 13
Summary
VBS

# The first check's argument raises: the statement, check and all, is skipped.
expect skipped fail "1 checks ran, the script plans 2" <<'VBS'
Plan 2
Dim a
a = Array(1)
CheckEqual "bound", UBound(a, 5), 0
CheckEqual "sum", 1 + 1, 2
Summary
VBS

# An earlier error is still pending when the statement that should raise does not.
expect pending fail "FAIL: before ExpectError: unexpected error 13" <<'VBS'
Plan 1
Dim r
r = CInt("x")
ExpectError
r = 1 + 1
CheckError "conversion", 13
Summary
VBS

expect unannounced fail "no ExpectError before the statement" <<'VBS'
Plan 1
Dim r
r = CInt("x")
CheckError "conversion", 13
Summary
VBS

# A check takes a Boolean, and an equality holds neither for Null nor for
# Empty against a value: every one of these fails.
expect not_values fail "checks: 4 of 4 ran, 4 failed" <<'VBS'
Plan 4
Check "Null", Null
Check "a number", 2
CheckEqual "Empty against 0", Empty, 0
CheckEqual "Null against 3", Null, 3
Summary
VBS

expect unplanned fail "the script plans no checks" <<'VBS'
CheckEqual "sum", 1 + 1, 2
Summary
VBS

# An included file's checks count toward the including script's Plan, so one
# that stops short inside the included file fails the script.
cat > "$work/shared_checks.vbs" <<'VBS'
Sub CheckBoth(a)
    CheckEqual "first", a(0), 1
    CheckEqual "second", a(1), 2
End Sub
VBS
expect included pass "checks: 3 of 3 ran, 0 failed" <<'VBS'
'#include shared_checks.vbs
Plan 3
CheckBoth Array(1, 2)
CheckEqual "sum", 1 + 1, 2
Summary
VBS
expect included_short fail "2 checks ran, the script plans 3" <<'VBS'
'#include shared_checks.vbs
Plan 3
CheckBoth Array(1)
CheckEqual "sum", 1 + 1, 2
Summary
VBS
expect included_missing fail "No such file" <<'VBS'
'#include no_such_checks.vbs
Plan 1
CheckEqual "sum", 1 + 1, 2
Summary
VBS

echo "$failures failures"
[ "$failures" -eq 0 ]
