# A private desktop for checking linecal-app, sourced by the end-to-end check and the desktop
# benchmark: per-user folders in a temporary folder, a session bus of its own, an X server
# (Xvfb), a tray host (trayer) and helpers to find the entry dialog. The caller runs
#   desktop_enter "$0" "$@"   (re-runs the script inside the private session)
#   desktop_start             (then, inside it: X server and tray host)

desktop_pids=()

alive() {  # alive PID: running, and not merely a zombie that nobody has reaped yet
  local state
  state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ]
}

stop() {  # stop PID: ends one process this script started, and waits for it
  kill "$1" 2>/dev/null || true
  # A sanitizer build checks the whole heap for leaks on the way out, which takes a while.
  for _ in $(seq 200); do alive "$1" || break; sleep 0.1; done
  kill -9 "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

desktop_stop() {
  chmod -R u+w "$work" 2>/dev/null || true
  for ((i = ${#desktop_pids[@]} - 1; i >= 0; i--)); do stop "${desktop_pids[i]}"; done
}

# Outside the session: makes the per-user folders and re-runs SCRIPT ARGS on a bus of its own.
# The folders are set first so that the services the bus starts (the accessibility bus among
# them) keep their sockets there too: a shared ~/.cache would let one run's services remove
# another's.
desktop_enter() {
  [ -n "${LINECAL_DESKTOP_WORK:-}" ] && return 0
  work=$(mktemp -d)
  export LINECAL_DESKTOP_WORK=$work
  export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
  export XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/run
  export TZ=America/Los_Angeles LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
  # Settings of GNOME's services (the address book's own contact) in a file of the run's own.
  export GSETTINGS_BACKEND=keyfile
  # The program reads the address book through EDS, whose known leak the platform tests
  # already describe; the leak checker needs whole stacks to tell it apart.
  export G_SLICE=always-malloc
  export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")/../platform" && pwd)/lsan.supp:fast_unwind_on_malloc=0"
  unset XDG_CURRENT_DESKTOP WAYLAND_DISPLAY DESKTOP_STARTUP_ID XDG_ACTIVATION_TOKEN DBUS_SESSION_BUS_ADDRESS
  mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME/applications" "$XDG_CACHE_HOME" "$XDG_STATE_HOME"
  mkdir -m 700 -p "$XDG_RUNTIME_DIR"
  local status=0
  dbus-run-session -- "$@" || status=$?
  . "$(dirname "${BASH_SOURCE[0]}")/../bus_leftovers.sh"
  stop_bus_leftovers "$XDG_RUNTIME_DIR"
  rm -rf "$work"
  exit "$status"
}

# Inside the session: starts Xvfb (sets DISPLAY) and the tray host; stops them on exit.
desktop_start() {
  work=$LINECAL_DESKTOP_WORK
  trap desktop_stop EXIT

  mkfifo "$work/display"
  Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 3>"$work/display" 2>"$work/xvfb.log" &
  desktop_pids+=($!)
  # Xvfb picks a free display and writes its number once it listens.
  local display
  read -r -t 10 display <"$work/display" || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; return 1; }
  export DISPLAY=:$display
  xsetroot -solid '#4a6785' 2>/dev/null || true  # a desktop colour, for the screenshots
  trayer --edge top --align right --widthtype request --height 28 --SetDockType true --tint 0xdddddd \
    --transparent true --alpha 0 >/dev/null 2>&1 &
  desktop_pids+=($!)
}

dialog_window() { xdotool search --onlyvisible --name '^linecal$' 2>/dev/null | head -n 1; }

wait_dialog() {  # polls often, so that times taken around it mean something
  for _ in $(seq 500); do [ -n "$(dialog_window)" ] && return 0; sleep 0.01; done
  return 1
}

wait_closed() {
  for _ in $(seq 50); do [ -z "$(dialog_window)" ] && return 0; sleep 0.1; done
  return 1
}

now_ms() { date +%s%3N; }
