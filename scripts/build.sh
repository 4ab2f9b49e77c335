#!/usr/bin/env bash
# Installs what is missing, then configures and builds both widths:
#   build/      32-bit tree: Vorlan.exe and the 32-bit Verrick.dll (build/bin)
#   build/x64/  64-bit tree: the 64-bit Verrick.dll (delivered as
#               build/bin/x64/Verrick.dll) and every test program in 64-bit
#   build/dist/ the setup program, when makensis is present and both trees are built
# VORLAN_WIDTHS="64" (or "32") builds one tree only.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
common=()
if command -v ccache >/dev/null; then
  # Worktrees of one repository share compiled objects.
  export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1
  common=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
for width in ${VORLAN_WIDTHS:-32 64}; do
  case $width in
    32) dir=$root/build
        options=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake") ;;
    64) dir=$root/build/x64
        options=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake"
                 -DVORLAN_X64_DELIVERY_DIR="$root/build/bin/x64") ;;
    *) echo "build: unknown width $width" >&2; exit 2 ;;
  esac
  cmake -S "$root" -B "$dir" "${options[@]}" "${common[@]}" >/dev/null
  cmake --build "$dir" -j"$(nproc)"
done
# With both widths built, the setup program (build/dist/VorlanSetup-<version>.exe).
if [ -z "${VORLAN_WIDTHS:-}" ] && command -v makensis >/dev/null; then
  "$root/scripts/make-installer.sh" >/dev/null
fi
