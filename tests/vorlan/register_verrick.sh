#!/usr/bin/env bash
# Registers Verrick.dll in the test prefix, for the Vorlan tests that create its objects.
#   register_verrick.sh SERVER.dll
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
server=$1
"$here/../../scripts/wine-run.sh" regsvr32 /s "Z:${server//\//\\}"
