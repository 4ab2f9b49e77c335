#!/usr/bin/env bash
# Runs a command where 32-bit x86 Linux programs, 32-bit Wine among them, can
# start.
#   - Where the kernel runs them, the command runs as it is.
#   - Where the kernel has IA-32 emulation off, the command runs in a private
#     user and mount namespace with a binfmt_misc instance of its own, in which
#     32-bit x86 programs are handed to qemu's user-mode emulator (Debian's
#     qemu-user, 8.0 or later: older ones spend about a minute of CPU starting
#     each 32-bit Wine process). Nothing outside the namespace changes; every
#     process the command starts is inside it.
#   - Where neither works (no emulator, or namespaces refused), the command
#     runs as it is and 32-bit programs fail to start; the tests say so.
# The command sees VORLAN_I386=native, emulated or none. An emulated run also
# raises VORLAN_WAIT_SCALE, the one factor every wait of the tests is
# multiplied by (an emulated program starts and runs slower), unless the
# caller set it.
#   with-i386.sh --check   prints native, emulated or none and exits 0, 0 or 77
set -euo pipefail

i386_runs() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

emulator() {
  local q
  for q in /usr/bin/qemu-i386 /usr/bin/qemu-i386-static; do
    [ -x "$q" ] || continue
    # Only 8.0 and later keep their map of the guest's pages in a tree; 7.x
    # walks it page by page on every mapping Wine makes.
    local major
    major=$("$q" --version 2>/dev/null | sed -n '1s/^qemu-i386 version \([0-9]*\)\..*/\1/p')
    [ "${major:-0}" -ge 8 ] && { echo "$q"; return 0; }
  done
  return 1
}

# The steps run as the namespace's root: mount the namespace's own
# binfmt_misc and hand it 32-bit x86 ELF executables (the F flag opens the
# emulator now, so it is found whatever the program's root).
enter='
set -e
mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
printf "%s" ":vorlan-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:$VORLAN_I386_EMULATOR:F" \
  > /proc/sys/fs/binfmt_misc/register
if [ "$VORLAN_OUTER_UID" != 0 ]; then
  # Back to the caller'"'"'s own user id, so that Wine finds its prefix and its
  # server where the caller'"'"'s other processes do.
  exec unshare --user --map-user="$VORLAN_OUTER_UID" --map-group="$VORLAN_OUTER_GID" -- "$@"
fi
exec "$@"'

emulation_works() {
  local q
  q=$(emulator) || return 1
  VORLAN_I386_EMULATOR=$q VORLAN_OUTER_UID=$(id -u) VORLAN_OUTER_GID=$(id -g) \
    unshare --user --map-root-user --mount -- bash -c "$enter" with-i386 \
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

mode=none
if [ "${VORLAN_I386:-}" = native ] || [ "${VORLAN_I386:-}" = emulated ]; then
  # Already inside: the caller's caller chose.
  mode=$VORLAN_I386
elif i386_runs; then
  mode=native
elif emulation_works; then
  mode=emulated
fi

if [ "${1:-}" = --check ]; then
  echo "$mode"
  [ "$mode" != none ] || exit 77
  exit 0
fi

export VORLAN_I386=$mode
if [ "$mode" = emulated ] && ! i386_runs; then
  export VORLAN_WAIT_SCALE=${VORLAN_WAIT_SCALE:-3}
  VORLAN_I386_EMULATOR=$(emulator) VORLAN_OUTER_UID=$(id -u) VORLAN_OUTER_GID=$(id -g) \
    exec unshare --user --map-root-user --mount -- bash -c "$enter" with-i386 "$@"
fi
exec "$@"
