#!/usr/bin/env bash
# Runs one of README.md's clients of the server as written there and compares
# what it prints with the README's block "output", line for line: the
# VBScript and JScript clients under the script host of the tree's width, the
# C++ client as built from the README's block in that tree.
#   readme_clients.sh SERVER.dll README.md vbs|js|cpp [CLIENT.exe]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
run="$here/../../scripts/wine-run.sh"
server=$1
readme=$2
language=$3
client=${4:-}

to_windows() { printf 'Z:%s' "${1//\//\\}"; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$here/readme_block.sh" "$readme" output "$work/expected.txt"

"$run" regsvr32 /s "$(to_windows "$server")"
status=0
case $language in
    vbs | js)
        "$here/readme_block.sh" "$readme" "$language" "$work/client.$language"
        output=$("$run" cscript //nologo "$(to_windows "$work/client.$language")" 2>&1) || status=$?
        ;;
    cpp)
        output=$("$run" "$client" 2>&1) || status=$?
        ;;
    *)
        echo "readme_clients: unknown language $language" >&2
        exit 2
        ;;
esac
output=$(printf '%s\n' "$output" | tr -d '\r')
printf '%s\n' "$output"
if [ "$status" -ne 0 ]; then
    echo "readme_clients: the client ended with $status" >&2
    exit 1
fi
diff <(printf '%s\n' "$output") "$work/expected.txt"
