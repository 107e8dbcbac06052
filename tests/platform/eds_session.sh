#!/usr/bin/env bash
# Runs a test program in per-user folders of its own, on a session bus of its own.
# Usage: eds_session.sh eds|bare|none PROGRAM [ARGS…]
#   eds:  the usual session bus, which starts EDS's daemons on demand
#   bare: a bus that can start nothing
#   none: no session bus at all
set -euo pipefail
kind=${1:?usage: eds_session.sh eds|bare|none PROGRAM [ARGS…]}
shift

work=$(mktemp -d)
run=$work/run
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
export XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$run
# EDS's settings in a file of the run's own; XDG_DATA_DIRS stays, for the schemas and services.
export GSETTINGS_BACKEND=keyfile LINECAL_TEST_SESSION=$kind
# For the leak checker: GLib's slice allocator would keep freed lists where it still sees them,
# and a leak inside EDS's libraries is known by its whole stack, which the fast unwinder cuts.
export G_SLICE=always-malloc
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(dirname "$0")/lsan.supp:fast_unwind_on_malloc=0"
unset DBUS_SESSION_BUS_ADDRESS DISPLAY WAYLAND_DISPLAY
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME"
mkdir -m 700 "$run"

status=0
case $kind in
  eds) dbus-run-session -- "$@" || status=$? ;;
  bare)
    cat >"$work/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$run</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
    dbus-run-session --config-file="$work/bus.conf" -- "$@" || status=$? ;;
  none) "$@" || status=$? ;;
  *) echo "eds_session.sh: unknown kind $kind" >&2; exit 2 ;;
esac

# EDS's daemons were started by the bus, not by us.
export -n XDG_RUNTIME_DIR
. "$(dirname "$0")/../bus_leftovers.sh"
stop_bus_leftovers "$run"
rm -rf "$work"
exit "$status"
