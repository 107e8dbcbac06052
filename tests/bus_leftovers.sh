# What a private session bus started and left running: the services it started on demand (EDS's
# daemons, the accessibility bus, the portal's helpers) are not the caller's children and leave a
# moment after the bus. They are found by the run's own runtime folder, which nothing else uses.
# Usage, after the bus has ended: stop_bus_leftovers RUNTIME_FOLDER

bus_leftovers() {
  local environ
  for environ in /proc/[0-9]*/environ; do
    if { tr '\0' '\n' <"$environ"; } 2>/dev/null | grep -qxF "XDG_RUNTIME_DIR=$1"; then
      environ=${environ#/proc/}
      echo "${environ%/environ}"
    fi
  done
}

stop_bus_leftovers() {
  local left pid
  left=$(bus_leftovers "$1")
  for _ in $(seq 100); do
    [ -z "$left" ] && return 0
    sleep 0.1
    left=$(bus_leftovers "$1")
  done
  echo "stopping what the bus left running: $(echo $left)" >&2
  for pid in $left; do kill "$pid" 2>/dev/null || true; done
  for _ in $(seq 20); do [ -z "$(bus_leftovers "$1")" ] && return 0; sleep 0.1; done
}
