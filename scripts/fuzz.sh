#!/usr/bin/env bash
# Builds one native fuzz target (build/fuzz, apart from the Windows trees) and
# runs it for a number of seconds on its kept inputs (tests/fuzz/TARGET/).
# New inputs the fuzzer finds go to build/fuzz/corpus/TARGET, not into the
# repository. A finding fails the run and is copied into tests/fuzz/TARGET/
# as regression-*: commit it with the fix, the ordinary tests replay it.
#   scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]
#   scripts/fuzz.sh --list        the targets, one a line
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = --list ]; then
  sed -n 's/^add_fuzz_target(\([a-z0-9_]*\) .*/\1/p' "$root/tests/fuzz/CMakeLists.txt"
  exit
fi
target=${1:?usage: fuzz.sh TARGET SECONDS}
seconds=${2:?usage: fuzz.sh TARGET SECONDS}
shift 2
build=$root/build/fuzz
seeds=$root/tests/fuzz/$target
[ -d "$seeds" ] || { echo "fuzz: no inputs folder $seeds" >&2; exit 2; }

cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target "$target" >/dev/null

corpus=$build/corpus/$target
artifacts=$build/artifacts/$target
rm -rf "$artifacts"
mkdir -p "$corpus" "$artifacts"
status=0
# A unit slower than 25 s is a finding (a hang); libFuzzer's slow-unit reports
# are not: on a shared machine they measure the machine.
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  "$build/$target" -max_total_time="$seconds" -timeout=25 -print_final_stats=1 -artifact_prefix="$artifacts/" \
  "$@" "$corpus" "$seeds" >"$build/$target.log" 2>&1 || status=$?
grep -E "^(#[0-9]+ +DONE|stat::number_of_executed_units|SUMMARY|.*property does not hold)" "$build/$target.log" || true
found=0
for finding in "$artifacts"/*; do
  [ -e "$finding" ] || continue
  case $(basename "$finding") in
    slow-unit-*) echo "fuzz: $target: slow unit reported (not a finding): $finding" >&2; continue ;;
  esac
  found=1
  cp "$finding" "$seeds/regression-$(basename "$finding")"
  echo "fuzz: $target: finding kept as tests/fuzz/$target/regression-$(basename "$finding")" >&2
done
if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
  echo "fuzz: $target failed (exit $status); log: $build/$target.log" >&2
  exit 1
fi
echo "fuzz: $target: no finding in $seconds s"
