#!/usr/bin/env bash
# The hot key through the real desktop portal (xdg-desktop-portal) on private session buses,
# with a stand-in desktop behind it (portal_backend.py), since no desktop that binds global
# shortcuts runs here. Usage: portal_hotkeys.sh PATH/TO/portal_hotkeys_tests
set -euo pipefail
tests=$(realpath "${1:?usage: portal_hotkeys.sh PATH/TO/portal_hotkeys_tests}")
here=$(cd "$(dirname "$0")" && pwd)
portal=/usr/libexec/xdg-desktop-portal
[ -x "$portal" ] || { echo "portal_hotkeys: $portal is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }

if [ -z "${LINECAL_PORTAL_SESSION:-}" ]; then
  work=$(mktemp -d)
  # The document portal, which the bus starts beside the portal, mounts its folder under each run's
  # runtime folder and may still hold it when the bus has gone: unmount before removing.
  cleanup() {
    for doc in "$work"/run-*/doc; do
      [ -d "$doc" ] && { fusermount3 -u "$doc" 2>/dev/null || fusermount -u "$doc" 2>/dev/null || true; }
    done
    rm -rf "$work" 2>/dev/null || true
  }
  trap cleanup EXIT
  mkdir -p "$work/portals" "$work/no-portals" "$work/home"
  printf '[portal]\nDBusName=org.freedesktop.impl.portal.desktop.linecaltest\nInterfaces=org.freedesktop.impl.portal.GlobalShortcuts;\nUseIn=linecaltest\n' \
    >"$work/portals/linecaltest.portal"
  status=0
  for scenario in none:none bind:0 refused:1; do
    mkdir -m 700 -p "$work/run-${scenario%%:*}"
    # A desktop whose portal has nothing for global shortcuts, or the stand-in one.
    portals=$work/portals
    [ "${scenario##*:}" == none ] && portals=$work/no-portals
    # Set before the bus starts, so that what it starts sees the same.
    env HOME="$work/home" XDG_RUNTIME_DIR="$work/run-${scenario%%:*}" XDG_CURRENT_DESKTOP=linecaltest \
      XDG_DESKTOP_PORTAL_DIR="$portals" LINECAL_PORTAL_SESSION="$scenario" LINECAL_PORTAL_WORK="$work" \
      dbus-run-session -- "$0" "$@" || status=1
  done
  exit "$status"
fi

name=${LINECAL_PORTAL_SESSION%%:*}
answer=${LINECAL_PORTAL_SESSION##*:}
work=$LINECAL_PORTAL_WORK
pids=()
stop_all() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done; }
trap stop_all EXIT
if [ "$answer" != none ]; then
  /usr/bin/python3 "$here/portal_backend.py" "$work/$name.triggers" "$answer" &
  pids+=($!)
  for _ in $(seq 50); do
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
      string:org.freedesktop.impl.portal.desktop.linecaltest 2>/dev/null | grep -q true && break
    sleep 0.1
  done
fi
"$portal" >"$work/$name.portal.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
    string:org.freedesktop.portal.Desktop 2>/dev/null | grep -q true && break
  sleep 0.1
done
LINECAL_PORTAL_TRIGGERS="$work/$name.triggers" QT_QPA_PLATFORM=offscreen "$tests" "$name"
