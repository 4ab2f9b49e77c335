#!/usr/bin/env bash
# Prints the Wine loader for programs of the given width (32 or 64).
# Exits 77, saying why, when this machine cannot run that width.
set -euo pipefail
case "${1:-32}" in
  64) echo /usr/lib/wine/wine64 ;;
  32)
    # The 32-bit loader is itself a 32-bit Linux program.
    if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
      echo "not run: this machine cannot start 32-bit programs (its kernel has IA-32 emulation off, and they are not run through scripts/with-i386.sh or it cannot emulate them here)" >&2
      exit 77
    fi
    echo /usr/bin/wine ;;
  *) echo "wine-loader: unknown width $1" >&2; exit 2 ;;
esac
