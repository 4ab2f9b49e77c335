#!/usr/bin/env bash
# Builds the 64-bit tree and rewrites docs/REFERENCE.md from its Verrick.dll's
# type library and the two tables beside the IDL (verrick/frame/
# member_errors.txt, enum_members.txt). It names every type or member without
# a help string and every table line out of step with the library, and then
# fails; the test verrick_reference fails the same way, and whenever the
# checked-in page is not what this writes.
#   scripts/make-reference.sh               the page
#   scripts/make-reference.sh --identities  tests/verrick/typelib_identities.txt,
#       after a deliberate change of what clients depend on (a new class or
#       member), never to quiet the test that compares the library with it
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
VORLAN_WIDTHS=64 "$root/scripts/build.sh"
export WINEPREFIX=$root/build/x64/wine/test VORLAN_WIDTH=64 VORLAN_TEST_PREFIX=1
generator=$root/build/x64/reference/velmora_reference.exe
server=$root/build/x64/bin/Verrick.dll
check=$root/tests/verrick/reference.sh
case ${1:-} in
    "")
        exec "$check" --write page "$generator" "$server" "$root/verrick/frame/member_errors.txt" \
            "$root/verrick/frame/enum_members.txt" "$root/docs/REFERENCE.md"
        ;;
    --identities)
        exec "$check" --write identities "$generator" "$server" "$root/tests/verrick/typelib_identities.txt"
        ;;
    *)
        echo "usage: scripts/make-reference.sh [--identities]" >&2
        exit 2
        ;;
esac
