#!/usr/bin/env bash
# Prints the code block of README.md that follows the line
# "<!-- client: NAME -->", or writes it to OUT. Fails when there is none or
# it is empty, so a renamed or lost block cannot pass as an empty client.
#   readme_block.sh README.md NAME [OUT]
set -euo pipefail
readme=$1
name=$2
out=${3:-/dev/stdout}
block=$(awk -v marker="<!-- client: $name -->" '
    $0 == marker { state = 1; next }
    state == 1 && /^```/ { state = 2; next }
    state == 1 { exit }
    state == 2 && /^```/ { exit }
    state == 2 { print }' "$readme")
if [ -z "$block" ]; then
    echo "readme_block: no block \"$name\" in $readme" >&2
    exit 1
fi
printf '%s\n' "$block" > "$out"
