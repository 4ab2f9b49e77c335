#!/usr/bin/env bash
# Fails when a C++ file does not follow .clang-format; prints the ones that do not.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
while IFS= read -r f; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || { echo "not formatted: $f" >&2; status=1; }
done < <(git ls-files '*.cpp' '*.h' '*.c')
exit $status
