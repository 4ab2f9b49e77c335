# A local HTTP server standing in for the maker's site, for the tests that
# make update checks (sourced). Sourcing it makes $work, a temporary folder
# with an empty site/ in it, removed on exit with the server stopped.
# start_site FOLDER serves the files of FOLDER, logs each request to
# FOLDER/requests.log and points http_proxy at itself, as the checks reach the
# maker's host name; stop_site ends it.
site_server=
start_site() { # folder
  python3 "$(dirname "${BASH_SOURCE[0]}")/version_server.py" "$1" "$1.port" &
  site_server=$!
  for _ in $(seq 100); do [ -s "$1.port" ] && break; sleep 0.1; done
  [ -s "$1.port" ] || { echo "$(basename "$0" .sh): the site's server did not start" >&2; exit 1; }
  export http_proxy="http://127.0.0.1:$(cat "$1.port")" no_proxy= NO_PROXY=
}
stop_site() {
  [ -n "$site_server" ] || return 0
  kill "$site_server" 2>/dev/null || true
  wait "$site_server" 2>/dev/null || true
  site_server=
}
work=$(mktemp -d)
trap 'stop_site; rm -rf "$work"' EXIT
mkdir "$work/site"
