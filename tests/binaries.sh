#!/bin/bash
# The shape of the shipped binaries, read from their files without running
# them, so it is checked for both widths on any machine:
#   binaries.sh OBJDUMP Vorlan.exe Verrick.dll
# - the machine type of the tree's width;
# - imports from the system's own DLLs only: the runtime is linked in, and
#   PSAPI, comctl32 and winmm are bound from the system folder, so none is a
#   load-time dependency; Vorlan imports only known DLLs, which Windows takes
#   from its own folder whatever the search, never from beside the program;
# - Verrick exports the five server entry points, undecorated (a stdcall
#   decoration such as "DllRegisterServer@0" would stop regsvr32);
# - the resources each one needs: the type library, the version, Vorlan's
#   manifest; Vorlan is a windowed program.
set -u
source "$(dirname "$0")/checks.sh"

objdump=$1 vorlan=$2 verrick=$3
case $objdump in
  *i686*) format=pei-i386 ;;
  *x86_64*) format=pei-x86-64 ;;
  *) echo "binaries.sh: cannot tell the width of $objdump" >&2; exit 2 ;;
esac

known_dlls=" advapi32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll shell32.dll user32.dll "
system_dlls="$known_dlls version.dll "

# The top level of the resource directory: one line per type, as a number in
# hex (10 the version, 18 the manifest) or a name (TYPELIB).
resource_types() {
  "$objdump" -p "$1" | sed -n -E \
    -e 's/^[0-9a-f]+   Entry: ID: 0x0*([0-9a-f]+),.*/\1/p' \
    -e 's/^[0-9a-f]+   Entry: name: \[[^]]*\]: ([A-Za-z_]+),.*/\1/p'
}

for file in "$vorlan" "$verrick"; do
  name=$(basename "$file")
  dump=$("$objdump" -p "$file")
  expect "$name: format" "$("$objdump" -f "$file" | sed -n 's/.*file format //p')" "$format"

  imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump" | tr '[:upper:]' '[:lower:]' | sort -u)
  allowed=$system_dlls
  [ "$file" = "$vorlan" ] && allowed=$known_dlls
  foreign=""
  for dll in $imports; do
    [[ $allowed == *" $dll "* ]] || foreign+=" $dll"
  done
  expect "$name: imports outside the system's DLLs" "$foreign" ""

  types=" $(resource_types "$file" | tr '\n' ' ')"
  expect_contains "$name: resource types" "$types" " 10 "
done

expect "Vorlan.exe: subsystem" "$("$objdump" -p "$vorlan" | sed -n -E 's/^Subsystem\s+//p')" \
  "00000002	(Windows GUI)"
expect_contains "Vorlan.exe: resource types" " $(resource_types "$vorlan" | tr '\n' ' ')" " 18 "

exports=$("$objdump" -p "$verrick" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
  sed -n -E 's/^\s+\[ *[0-9]+\] //p' | sort | tr '\n' ' ')
expect "Verrick.dll: exports" "$exports" \
  "DllCanUnloadNow DllGetClassObject DllInstall DllRegisterServer DllUnregisterServer "
expect_contains "Verrick.dll: resource types" " $(resource_types "$verrick" | tr '\n' ' ')" " TYPELIB "

checks_done 10
