#!/usr/bin/env bash
# The About box's update check against a real HTTP server on 127.0.0.1,
# reached through http_proxy as the maker's host name: each outcome the box
# can show, from a program without a version resource (internal name Dummy),
# and servers that never answer, answer slowly or send far too much.
#   update_check.sh CLIENT.exe
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
run="$here/../../scripts/wine-run.sh"
client=$1

to_windows() { printf 'Z:%s' "${1//\//\\}"; }
. "$here/site.sh"
start_site "$work/site"

. "$here/../checks.sh"
# check NAME MAJOR MINOR REVISION [TIMEOUT_MS]: runs the check; fields are read with field.
check() {
  rm -f "$work/out.txt"
  "$run" "$client" "$1" "$2" "$3" "$4" "$(to_windows "$work/out.txt")" ${5:+"$5"}
  [ -s "$work/out.txt" ] || { echo "FAIL: $1: the client wrote nothing" >&2; exit 1; }
}
field() { iconv -f UTF-16 -t UTF-8 "$work/out.txt" | tr -d '\r' | sed -n "s/^$1=//p"; }

up_to_date='У Вас свежая версия - обновление не требуется ^_^'
site_newer='На сайте свежая версия - можно обновляться ^_^'
malformed='Сведения о версии программы на сайте получены, но они содержат ошибку.'
bad_numbers='Сведения о версии программы на сайте получены, но они содержат ошибку. Номера указаны неверно.'
download_failed='^Не удалось получить сведения о версии программы на сайте\. Ошибка -[0-9]+ \(0x[0-9A-F]{8}\): .+'

# Equal versions; the request reached this server by the maker's host name.
printf '1.5.38' > "$work/site/Version.Equal.DAT"
check Equal 1 5 38
expect "equal: internal name" "$(field internal)" "Dummy"
expect "equal: url" "$(field url)" "http://www.velmora-tools.example/programs/win32/versions/Version.Equal.DAT"
expect_match "equal: request" "$(cat "$work/site/requests.log")" \
  '^http://www\.velmora-tools\.example(:80)?/programs/win32/versions/Version\.Equal\.DAT$'
expect "equal: succeeded" "$(field succeeded)" 1
expect "equal: site" "$(field site)" "1.5.38"
expect "equal: result" "$(field result)" "$up_to_date"
expect "equal: no info" "$(field info)" ""

# Numbers compare as numbers: minor 10 is newer than 5. A CRLF after them is accepted.
printf '1.10.0\r\n' > "$work/site/Version.Newer.DAT"
check Newer 1 5 38
expect "newer: succeeded" "$(field succeeded)" 1
expect "newer: site" "$(field site)" "1.10.0"
expect "newer: result" "$(field result)" "$site_newer"

# The local copy is newer than the published one: the greeting.
printf '1.99.99\n' > "$work/site/Version.Older.DAT"
check Older 2 0 0
expect "older: succeeded" "$(field succeeded)" 1
expect "older: site" "$(field site)" "1.99.99"
expect_match "older: greeting" "$(field result)" '^У Вас версия новее'

# Malformed files: the wrong number of parts, then parts that are not numbers.
for case in "Two:1.5" "Four:1.5.38.2" "Empty:" "Huge:$(printf '1.2.3%02000d' 0)"; do
  printf '%s' "${case#*:}" > "$work/site/Version.${case%%:*}.DAT"
  check "${case%%:*}" 1 5 38
  expect "${case%%:*}: succeeded" "$(field succeeded)" 0
  expect "${case%%:*}: info" "$(field info)" "$malformed"
  expect "${case%%:*}: no result" "$(field result)" ""
done
printf '1.x.3' > "$work/site/Version.Letters.DAT"
printf '\xef\xbb\xbf1.5.38' > "$work/site/Version.Bom.DAT"
printf '1.5.4294967296' > "$work/site/Version.Wide.DAT"
printf '1.5.38\n\n' > "$work/site/Version.Breaks.DAT"
for name in Letters Bom Wide Breaks; do
  check "$name" 1 5 38
  expect "$name: succeeded" "$(field succeeded)" 0
  expect "$name: info" "$(field info)" "$bad_numbers"
done

# No such file on the server, and a server that closes the connection.
for name in Missing CloseAtOnce; do
  check "$name" 1 5 38
  expect "$name: succeeded" "$(field succeeded)" 0
  echo "update_check: $name: $(field info)"
  expect_match "$name: info" "$(field info)" "$download_failed"
  expect "$name: no result" "$(field result)" ""
done
# A server that never answers and one that sends a byte a second: the check
# gives up at its time-out and says so.
timed_out='^Не удалось получить сведения о версии программы на сайте\. Ошибка -2146697205 \(0x800C000B\): .*timed out'
timeout_ms=3000
longest=$((timeout_ms + 1000 * ${VORLAN_WAIT_SCALE:-1}))
for name in Silent Trickle; do
  check "$name" 1 5 38 "$timeout_ms"
  expect "$name: ended in time" "$(( $(field took) <= longest ))" 1
  expect_match "$name: info" "$(field info)" "$timed_out"
done
# A server that sends 100 MB: the check stops as soon as more than a version
# file's length has come, and never holds much of it.
check Big 1 5 38 "$timeout_ms"
echo "update_check: Big: $(field took) ms, at most $(field memory) MB in use"
expect "Big: ended in time" "$(( $(field took) <= longest ))" 1
expect "Big: info" "$(field info)" "$malformed"
expect "Big: memory" "$(( $(field memory) < 80 ))" 1
expect "requests" "$(sort -u "$work/site/requests.log" | wc -l)" 16

checks_done 47
