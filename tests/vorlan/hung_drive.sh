#!/usr/bin/env bash
# Vorlan beside a drive whose volume stops answering: mounts a FUSE volume of
# its own (hung_fs.py), runs the hung-drive cases of the end-to-end program
# against it, and unmounts it, whatever happens. Where FUSE cannot mount, the
# test says so and is skipped (77).
#   hung_drive.sh vorlan_e2e_tests.exe
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
run="$here/../../scripts/wine-run.sh"
. "$here/../checks.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/vorlan-hung.XXXXXX")
mkdir "$work/volume"
fs=
cleanup() {
  # Lets any request still waiting go, then takes the volume away.
  rm -f "$work/control"
  umount -l "$work/volume" 2>/dev/null || true
  [ -n "$fs" ] && { kill "$fs" 2>/dev/null || true; wait "$fs" 2>/dev/null || true; }
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT HUP

if [ ! -c /dev/fuse ]; then
  echo "hung_drive: skipped: there is no /dev/fuse here, so FUSE cannot mount" >&2
  exit 77
fi
/usr/bin/python3 "$here/hung_fs.py" "$work/volume" "$work/control" 2>"$work/fs.log" &
fs=$!
for _ in $(seq 100); do
  mountpoint -q "$work/volume" && break
  kill -0 "$fs" 2>/dev/null || break
  sleep 0.1
done
if ! mountpoint -q "$work/volume"; then
  echo "hung_drive: skipped: FUSE cannot mount here: $(cat "$work/fs.log")" >&2
  exit 77
fi

status=0
# Well within CTest's time-out, so that the volume is always taken away.
VORLAN_HUNG_MOUNT=$work/volume VORLAN_HUNG_CONTROL=$work/control \
  timeout 240 "$run" "$1" --no-skip --test-case='VorlanHungDrive::*' >"$work/out" 2>&1 || status=$?
cat "$work/out"
expect "the program's exit code" "$status" 0
expect_match "the cases that ran" "$(grep 'test cases:' "$work/out")" 'test cases: *3 \| *3 passed \| *0 failed'
checks_done 2
