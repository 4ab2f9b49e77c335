# Checks for the shell tests, sourced. Each check passes or ends the test with
# what it got; checks_done fails unless exactly the planned number ran, so a
# check that was skipped fails the test too.
checks=0
expect() { # name actual expected
  if [ "$2" != "$3" ]; then
    echo "FAIL: $1: got [$2], expected [$3]" >&2
    exit 1
  fi
  checks=$((checks + 1))
}
expect_match() { # name actual extended-regex
  if ! grep -Eq -- "$3" <<<"$2"; then
    echo "FAIL: $1: got [$2], expected to match [$3]" >&2
    exit 1
  fi
  checks=$((checks + 1))
}
expect_contains() { # name actual text
  case $2 in
    *"$3"*) checks=$((checks + 1)) ;;
    *) echo "FAIL: $1: got [$2], expected it to contain [$3]" >&2; exit 1 ;;
  esac
}
checks_done() { # planned
  if [ "$checks" -ne "$1" ]; then
    echo "FAIL: $checks checks ran, $1 planned" >&2
    exit 1
  fi
  echo "$(basename "$0" .sh): $checks checks passed"
}
