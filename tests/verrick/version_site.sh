#!/usr/bin/env bash
# Runs a command while a local HTTP server stands in for the maker's site,
# reached through http_proxy as update checks reach it, and serves a version
# file older than any About box test's program: an update check from a
# program without a version resource (internal name Dummy) succeeds and
# shows the greeting, the longest result, and the home-page link.
#   version_site.sh COMMAND [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

. "$here/site.sh"
printf '1.0.0' > "$work/site/Version.Dummy.DAT"
start_site "$work/site"

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
