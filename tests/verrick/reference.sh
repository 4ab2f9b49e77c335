#!/usr/bin/env bash
# Runs the reference generator (scripts/reference) on the built server and
# compares what it writes with the checked-in file, printing the difference:
#   reference.sh identities GENERATOR SERVER.dll EXPECTED
#       the type library's identities (tests/verrick/typelib_identities.txt)
#   reference.sh page GENERATOR SERVER.dll ERRORS MEANINGS EXPECTED
#       the reference page (docs/REFERENCE.md); also fails when the generator
#       names a type or member without a help string, or a table beside the
#       IDL that misses a member or names one the library does not have.
# With --write first, the checked-in file is rewritten instead of compared
# (scripts/make-reference.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
run="$here/../../scripts/wine-run.sh"
write=0
if [ "${1:-}" = --write ]; then
    write=1
    shift
fi
mode=$1
generator=$2
server=$3
shift 3

to_windows() { printf 'Z:%s' "${1//\//\\}"; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
out=$work/out
case $mode in
    identities)
        expected=$1
        arguments=(identities "$(to_windows "$server")" "$(to_windows "$out")")
        ;;
    page)
        expected=$3
        arguments=(reference "$(to_windows "$server")" "$(to_windows "$1")" "$(to_windows "$2")"
                   "$(to_windows "$out")")
        ;;
    *)
        echo "reference: unknown mode $mode" >&2
        exit 2
        ;;
esac

# The library's own strings are ANSI in code page 1251: the page reads them as
# a Russian system does, in the Russian user's own prefix (cmake/wine.cmake).
if [ "$mode" = page ]; then
    export LC_ALL=ru_RU.UTF-8 WINEPREFIX=${WINEPREFIX:?}-ru
fi
status=0
"$run" "$generator" "${arguments[@]}" || status=$?
[ "$status" -eq 77 ] && exit 77
if [ ! -f "$out" ]; then
    echo "reference: the generator wrote nothing" >&2
    exit 1
fi
if [ "$write" -eq 1 ]; then
    cp "$out" "$expected"
    echo "reference: wrote $expected" >&2
elif ! diff -u "$expected" "$out"; then
    case $mode in
        identities) echo "reference: the type library's identities differ from $expected" >&2 ;;
        page) echo "reference: $expected is not what the built library gives; scripts/make-reference.sh rewrites it" >&2 ;;
    esac
    status=1
fi
exit "$status"
