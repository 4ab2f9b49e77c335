#!/usr/bin/env bash
# Runs a command while a local HTTP server stands in for the maker's site,
# reached through http_proxy as update checks reach it, and serves a version
# file older than any About box test's program: an update check from a
# program without a version resource (internal name Dummy) succeeds and
# shows the greeting, the longest result, and the home-page link.
#   version_site.sh COMMAND [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
server=
cleanup() {
  if [ -n "$server" ]; then
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

mkdir "$work/site"
printf '1.0.0' > "$work/site/Version.Dummy.DAT"
python3 "$here/version_server.py" "$work/site" "$work/port" &
server=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
[ -s "$work/port" ] || { echo "version_site: the server did not start" >&2; exit 1; }
export http_proxy="http://127.0.0.1:$(cat "$work/port")" no_proxy= NO_PROXY=

status=0
"$@" || status=$?
# Exactly the version file was asked for, by the maker's host name (none when
# the command was skipped).
if [ "$status" = 0 ] && grep -qv '^http://www\.velmora-tools\.example\(:80\)\?/programs/win32/versions/Version\.Dummy\.DAT$' \
    "$work/site/requests.log" 2>/dev/null; then
  echo "version_site: unexpected requests:" >&2
  cat "$work/site/requests.log" >&2
  status=1
fi
exit $status
