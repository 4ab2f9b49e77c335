#!/bin/bash
# Stand-ins named as the system libraries the code loads by name at run time,
# each recording that its entry point ran, are put beside a test program and
# Vorlan.exe in a folder of their own; the test program checks that the module
# list, subclassing, Vorlan's row icons and Vorlan.exe itself work there, and
# no stand-in may have run:
#   planted_libraries.sh HOST_TEST_PROGRAM VORLAN_EXE STAND_IN_DLL
set -u
source "$(dirname "$0")/../checks.sh"

host=$1 vorlan=$2 stand_in=$3
folder=$(dirname "$host")/planted_libraries
rm -rf "$folder"
mkdir -p "$folder"
cp "$host" "$vorlan" "$folder/"
for name in psapi.dll comctl32.dll Explorer.EXE Shell32.DLL recorder.dll; do
  cp "$stand_in" "$folder/$name"
done

# Wine prefers its own system libraries to a file of the same name that the
# search finds beside a program; Windows takes the file the search finds. Let
# the search decide, as Windows does. Not for shell32: every program imports
# it, and Windows takes it from the system folder whatever the search (it is
# a known DLL), as Wine does with its own.
VORLAN_DLL_OVERRIDES="psapi,comctl32,explorer.exe=n,b" \
  "$(dirname "$0")/../../scripts/wine-run.sh" "$folder/$(basename "$host")"
expect "test program's exit code" "$?" 0
expect "stand-ins that ran" "$(cd "$folder" && ls -- *.ran 2>/dev/null)" ""
rm -rf "$folder"
checks_done 2
