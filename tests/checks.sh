# The shell tests' checks: each prints what differs and counts it in $failures; a test ends
# with `checks_done NAME`, which exits 1 when any failed.
# shellcheck shell=bash
failures=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    printf 'FAIL %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3"
    failures=$((failures + 1))
  fi
}
contains() {  # contains NAME NEEDLE HAYSTACK
  case "$3" in *"$2"*) ;; *)
    printf 'FAIL %s\n  expected to contain: %s\n  actual: %s\n' "$1" "$2" "$3"; failures=$((failures + 1)) ;; esac
}
lacks() {  # lacks NAME NEEDLE HAYSTACK
  case "$3" in *"$2"*)
    printf 'FAIL %s\n  must not contain: %s\n  actual: %s\n' "$1" "$2" "$3"; failures=$((failures + 1)) ;; esac
}
checks_done() {  # checks_done NAME
  if [ "$failures" -ne 0 ]; then echo "$1: $failures check(s) failed"; exit 1; fi
  echo "$1: all passed"
}

# linecal lists the desktop's calendars (Evolution Data Server) when it finds a session bus; the
# tests that use these checks keep to the folders they make, whatever session runs them.
unset DBUS_SESSION_BUS_ADDRESS
export XDG_RUNTIME_DIR="${TMPDIR:-/tmp}/linecal-tests-have-no-bus"
