#!/usr/bin/env bash
# linecal-app as a person uses it: a real X server (Xvfb), a tray host (trayer), a private D-Bus
# session, keys from xdotool, texts read through AT-SPI as a screen reader reads them.
# Usage: desktop_e2e.sh PATH/TO/linecal-app PATH/TO/linecal [SCREENSHOT_FOLDER]
set -euo pipefail

app=$(realpath "${1:?usage: desktop_e2e.sh PATH/TO/linecal-app PATH/TO/linecal [SCREENSHOT_FOLDER]}")
cli=$(realpath "${2:?usage: desktop_e2e.sh PATH/TO/linecal-app PATH/TO/linecal [SCREENSHOT_FOLDER]}")
shots=${3:+$(realpath "$3")}
here=$(cd "$(dirname "$0")" && pwd)

for tool in Xvfb xdotool trayer import dbus-run-session khal update-desktop-database /usr/bin/python3; do
  command -v "$tool" >/dev/null || { echo "desktop_e2e: $tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done


# shellcheck source=desktop_session.sh
. "$here/desktop_session.sh"
# shellcheck source=../radicale.sh
. "$here/../radicale.sh"
# shellcheck source=../khal.sh
. "$here/../khal.sh"
desktop_enter "$0" "$@"
desktop_start
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do stop "${pids[i]}"; done
  radicale_stop
  desktop_stop
}
trap cleanup EXIT
store=$XDG_DATA_HOME/linecal/calendars
calendar=$store/personal

fail=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then echo "ok: $1"; else
    echo "FAIL: $1"; echo "  expected: $2"; echo "  actual:   $3"; fail=1
  fi
}

# ---- a calendar program of our own -----------------------------------------------------------------
mkdir -p "$work/bin"
printf '#!/bin/sh\necho "$@" >>"%s/launched"\n' "$work" >"$work/bin/fakecal"
chmod +x "$work/bin/fakecal"
printf '[Desktop Entry]\nType=Application\nName=Fake Calendar\nExec=%s\nMimeType=text/calendar;\n' \
  "$work/bin/fakecal" >"$XDG_DATA_HOME/applications/fakecal.desktop"
update-desktop-database "$XDG_DATA_HOME/applications"
printf '[Default Applications]\ntext/calendar=fakecal.desktop\n' >"$XDG_CONFIG_HOME/mimeapps.list"

# ---- helpers ------------------------------------------------------------------------------------
start_app() {  # start_app LOG [ARGS…]: the program in the background; its id in $app_pid
  local log=$1; shift
  "$app" "$@" >"$log" 2>&1 &
  app_pid=$!
  pids+=("$app_pid")
}
shown() { if [ -n "$(dialog_window)" ]; then echo open; else echo closed; fi; }
read_dialog() {  # the dialog as a screen reader reads it
  # A busy accessibility bus may drop one client's registration; another try gets through.
  local out
  for _ in 1 2; do
    out=$("$here/atspi_dialog.py" linecal-app 2>>"$work/atspi.log") && [ "${out:0:1}" == "{" ] && break
    echo "read_dialog: got ${out:-nothing}" >>"$work/atspi.log"
    sleep 0.2
  done
  printf '%s\n' "${out:-{\}}"
}
field() { /usr/bin/python3 -c 'import json,sys; print(json.load(sys.stdin).get(sys.argv[1], ""))' "$1"; }
wait_field() {  # wait_field KEY EXPECTED: the dialog's KEY as soon as it reads EXPECTED, else its last value
  local value=""
  for _ in $(seq 20); do
    value=$(read_dialog | field "$1")
    [ "$value" == "$2" ] && break
    sleep 0.1
  done
  printf '%s' "$value"
}
items() { find "$calendar" -name '*.ics' 2>/dev/null | wc -l; }
preview_of() { "$cli" preview -- "$1" | head -n 1; }

# ---- the user's own contact in the address book (EDS), for the e-mail alarms --------------------------
if [ -n "${LINECAL_EDS_MAKE_SELF:-}" ]; then
  "$LINECAL_EDS_MAKE_SELF" me@example.org work@example.org
fi

# ---- first launch ---------------------------------------------------------------------------------
t0=$(now_ms)
start_app "$work/app.log"
first=$app_pid
wait_dialog && t1=$(now_ms) || t1=""
check "first launch opens the dialog" open "$(shown)"
echo "info: start to dialog mapped: $((${t1:-0} - t0)) ms"
check "the example entry is real text" "Buy groceries at 4pm tomorrow" "$(wait_field entry 'Buy groceries at 4pm tomorrow')"
check "the preview reads as the command line's" "$(preview_of 'Buy groceries at 4pm tomorrow')" \
  "$(wait_field preview "$(preview_of 'Buy groceries at 4pm tomorrow')")"
check "the add button names the calendar program" "Add Event to Fake Calendar" "$(read_dialog | field add)"
if [ -n "$shots" ]; then mkdir -p "$shots"; fi
check "the entry's description says what it is for, not the example" \
  "One line for an event or to-do; the lines below show what it becomes." "$(read_dialog | field entryDescription)"
tab_walk=$(xdotool key Tab; sleep 0.2; read_dialog | field focused)
tab_walk+=" > $(xdotool key Tab; sleep 0.2; read_dialog | field focused)"
tab_walk+=" > $(xdotool key shift+Tab shift+Tab; sleep 0.2; read_dialog | field focused)"
check "Tab from the entry follows the screen: ? at the left, then the add button, and back" \
  "Help > Add Event to Fake Calendar > Entry" "$tab_walk"

# ---- typing and Return save -----------------------------------------------------------------------
entry="Dentist tomorrow 3pm for 45 minutes @1h at Main St clinic"
xdotool type --delay 5 "$entry"
check "typing replaces the selected example" "$entry" "$(wait_field entry "$entry")"
check "the preview follows every key" "$(preview_of "$entry")" "$(wait_field preview "$(preview_of "$entry")")"
check "the alarm line" "1h, 30m alarms" "$(read_dialog | field alarms)"
if [ -n "$shots" ]; then import -window "$(dialog_window)" "$shots/dialog.png"; fi
xdotool key Return
wait_closed || true
check "Return saves and closes" "closed 1" "$(shown) $(items)"
khal_config "$work/khal.conf" "$calendar"
tomorrow=$(date -d tomorrow +%Y-%m-%d)
check "khal reads the saved event" "15:00-15:45 Dentist :: Main St clinic" \
  "$(khal -c "$work/khal.conf" list --format '{start-time}-{end-time} {title} :: {location}' "$tomorrow" 1d 2>/dev/null | tail -n 1)"

# ---- reopening: a second start, linecal show, the hot key ---------------------------------------------
t0=$(now_ms)
timeout 10 "$app" >"$work/second.log" 2>&1
check "a second start hands over and ends at once" 0 $?
wait_dialog && t1=$(now_ms) || t1=""
echo "info: second start to dialog mapped: $((${t1:-0} - t0)) ms"
check "the second start opened the dialog" open "$(shown)"
check "the last entry is still there" "$entry" "$(read_dialog | field entry)"
xdotool type --delay 5 "Escape test"
check "and selected, so typing replaces it" "Escape test" "$(wait_field entry 'Escape test')"
xdotool key Escape
wait_closed || true
check "Escape closes without saving" "closed 1" "$(shown) $(items)"

# ---- a repeating entry --------------------------------------------------------------------------------
timeout 15 "$cli" show
wait_dialog || true
entry="Standup every weekday at 9:30am"
xdotool type --delay 5 "$entry"
check "the preview names the repetition" "$(preview_of "$entry")" "$(wait_field preview "$(preview_of "$entry")")"
xdotool key Return
wait_closed || true
check "Return saves the repeating entry" "closed 2" "$(shown) $(items)"
check "its file holds the rule" 1 "$(grep -l '^RRULE:FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR;WKST=MO' "$calendar"/*.ics | wc -l)"
check "khal lists five standups in the next week" 5 \
  "$(khal -c "$work/khal.conf" list --format '{start-time} {title}' "$tomorrow" 7d 2>/dev/null | grep -c '^09:30 Standup$')"
sleep 1  # let the save's last events settle before the next start hands over

# ---- a line that reads two ways: the other reading taken with Alt+Down ------------------------------
timeout 15 "$cli" show
wait_dialog || true
entry="Call Ann 5/12 at 3pm"
xdotool type --delay 5 "$entry"
other=$("$cli" preview -- "$entry" | sed -n 's/^or: \(\[[^]]*\] \)\?Call Ann at \(.*\)$/or \2?/p')
check "the other reading is offered under the preview" "$other" "$(wait_field other "$other")"
if [ -n "$shots" ]; then import -window "$(dialog_window)" "$shots/dialog-other-reading.png"; fi
xdotool key alt+Down
check "Alt+Down rewrites the entry to read the other way" "Call Ann 5 Dec" "$(wait_field entry 'Call Ann 5 Dec' | cut -c1-14)"
check "and the offer goes" "" "$(read_dialog | field other)"
xdotool key Return
wait_closed || true
check "Return saves the other reading" "closed 3" "$(shown) $(items)"
check "on 5 December at 15:00" 1 "$(grep -l '^DTSTART;TZID=America/Los_Angeles:[0-9]\{4\}1205T150000' "$calendar"/*.ics | wc -l)"
check "and the order taken is remembered" "NumericDatesOtherOrder=true" "$(grep -o '^NumericDatesOtherOrder=.*' "$XDG_CONFIG_HOME/linecal/linecal.conf")"
sleep 1

t0=$(now_ms)
timeout 15 "$cli" show
check "linecal show succeeds" 0 $?
wait_dialog && t1=$(now_ms) || t1=""
echo "info: linecal show to dialog mapped: $((${t1:-0} - t0)) ms"
check "linecal show opens the dialog" open "$(shown)"
xdotool key Escape
wait_closed || true

t0=$(now_ms)
xdotool key ctrl+alt+r
wait_dialog && t1=$(now_ms) || t1=""
echo "info: hot key to dialog mapped: $((${t1:-0} - t0)) ms"
check "Ctrl+Alt+R opens the dialog" open "$(shown)"
if [ -n "$shots" ]; then  # a title too long for the line: its middle goes, the date and time stay
  long="Quarterly planning review with the whole product, design and support teams, budget and hiring [Personal] tomorrow 3pm @1h"
  xdotool type --delay 2 "$long"
  wait_field preview "$(preview_of "$long")" >/dev/null
  import -window "$(dialog_window)" "$shots/long-entry.png"
  xdotool key ctrl+a  # what comes next replaces it
fi

# ---- Ctrl+Return saves and starts the calendar program ------------------------------------------
xdotool type --delay 5 "Standup tomorrow 9am"
wait_field entry "Standup tomorrow 9am" >/dev/null
xdotool key ctrl+Return
wait_closed || true
for _ in $(seq 50); do [ -s "$work/launched" ] && break; sleep 0.1; done
check "Ctrl+Return saves and starts the calendar program" "closed 4 1" "$(shown) $(items) $(wc -l <"$work/launched" 2>/dev/null || echo 0)"

# ---- a calendar that cannot be written keeps the dialog and the text ------------------------------
chmod a-w "$calendar"
xdotool key ctrl+alt+r
wait_dialog || true
xdotool type --delay 5 "Lost? tomorrow"
wait_field entry "Lost? tomorrow" >/dev/null
xdotool key Return
sleep 0.3
check "a failed save keeps the dialog open" "open 4" "$(shown) $(items)"
check "and says what to do, as an alert inside the window" \
  "Choose a writable calendar, or make the calendar's folder writable. True" \
  "$(wait_field failure "Choose a writable calendar, or make the calendar's folder writable.") $(read_dialog | field failureInside)"
check "and keeps the text as typed" "Lost? tomorrow" "$(read_dialog | field entry)"
chmod u+w "$calendar"
xdotool key Return
wait_closed || true
check "once writable, the same text saves" "closed 5" "$(shown) $(items)"

# ---- the tray ------------------------------------------------------------------------------------------
windows_named() {  # windows_named NAME: the visible windows with exactly this name
  for w in $(xdotool search --onlyvisible --name '.*' 2>/dev/null); do
    [ "$(xdotool getwindowname "$w" 2>/dev/null)" == "$1" ] && echo "$w"
  done
  return 0
}
# Whether the icon stands out from the panel around it: enough of its pixels differ clearly in
# lightness from the panel's own colour (the commonest one in the icon's square).
icon_reads() {  # icon_reads WINDOW [SCREENSHOT]
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" -depth 8 "rgb:$work/icon.rgb"
  if [ -n "${2:-}" ]; then
    import -window root -crop "$((WIDTH * 5))x$((HEIGHT + 12))+$((X - WIDTH * 4 + 4))+$((Y - 6 < 0 ? 0 : Y - 6))" "$2"
  fi
  /usr/bin/python3 - "$work/icon.rgb" <<'PY'
import collections, sys
data = open(sys.argv[1], "rb").read()
pixels = [tuple(data[i:i + 3]) for i in range(0, len(data) - 2, 3)]
light = lambda p: 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]
panel = light(collections.Counter(pixels).most_common(1)[0][0])
share = sum(abs(light(p) - panel) > 100 for p in pixels) / max(1, len(pixels))
print("reads" if share >= 0.05 else "faint (%.1f%% of the pixels stand out)" % (100 * share))
PY
}
icon=$(windows_named linecal-app | head -n 1)
check "the tray host shows the icon" yes "$([ -n "$icon" ] && echo yes || echo no)"
if [ -n "$icon" ]; then
  sleep 1.7  # the pulse of the last save is over (two cycles of 0.8 s)
  check "the icon reads on a light panel" reads "$(icon_reads "$icon" "${shots:+$shots/tray-light.png}")"
  eval "$(xdotool getwindowgeometry --shell "$icon")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
  sleep 0.5
  menu=$(windows_named linecal-app | grep -v "^$icon\$" | head -n 1)
  check "a click on the tray icon opens its menu" yes "$([ -n "$menu" ] && echo yes || echo no)"
  if [ -n "$shots" ] && [ -n "$menu" ]; then
    eval "$(xdotool getwindowgeometry --shell "$menu")"
    import -window root -crop "$((WIDTH + 40))x$((Y + HEIGHT + 20))+$((X - 20))+0" "$shots/tray-menu.png"
  fi
  xdotool key Escape
fi

# ---- several starts at once, and no session bus ------------------------------------------------------
"$app" >/dev/null 2>&1 & a=$!
"$app" >/dev/null 2>&1 & b=$!
pids+=("$a" "$b")
wait "$a"; ra=$?; wait "$b"; rb=$?
check "two more starts at once both hand over" "0 0" "$ra $rb"
check "one program runs" 1 "$(pgrep -c -f "^$app" 2>/dev/null || true)"
xdotool key Escape
wait_closed || true

nobus=$work/nobus
mkdir -m 700 -p "$nobus/run"
nobus_env=(env DBUS_SESSION_BUS_ADDRESS=disabled: XDG_RUNTIME_DIR="$nobus/run")  # no bus, none started on the fly
"${nobus_env[@]}" "$app" --config "$nobus/linecal.conf" --store "$nobus/calendars" >"$work/nobus.log" 2>&1 &
nobus_pid=$!
pids+=("$nobus_pid")
for _ in $(seq 50); do [ -S "$nobus/run/linecal-app.socket" ] && break; sleep 0.1; done
timeout 10 "${nobus_env[@]}" "$app" --config "$nobus/linecal.conf" >/dev/null 2>&1 && second=0 || second=$?
check "without a session bus a second start hands over through the socket" 0 "$second"
check "the first one says the hot key is taken by the other program" 1 \
  "$(grep -c 'taken by another program' "$work/nobus.log" || true)"
kill "$nobus_pid"
wait "$nobus_pid" && ended=0 || ended=$?
check "SIGTERM ends it cleanly and releases its lock" "0 no" \
  "$ended $([ -e "$nobus/run/linecal-app.lock" ] && echo yes || echo no)"

# ---- a store that is a file, a settings file that is not text --------------------------------------
# On a session of its own, so that it is a program of its own and its dialog can be read there.
bad=$work/bad
mkdir -m 700 -p "$bad/run"
printf 'not a folder\n' >"$bad/store"
head -c 256 /dev/urandom >"$bad/linecal.conf"
cp "$bad/linecal.conf" "$bad/linecal.conf.before"
{ read -r bad_bus; read -r bad_bus_pid; } < <(XDG_RUNTIME_DIR=$bad/run dbus-daemon --session --fork --print-address=1 --print-pid=1)
DBUS_SESSION_BUS_ADDRESS=$bad_bus XDG_RUNTIME_DIR=$bad/run \
  "$app" --store "$bad/store" --config "$bad/linecal.conf" >"$bad/log" 2>&1 &
bad_pid=$!
pids+=("$bad_pid")
wait_dialog || true
check "damaged settings read as a first launch: the dialog opens" open "$(shown)"
export DBUS_SESSION_BUS_ADDRESS_MAIN=$DBUS_SESSION_BUS_ADDRESS DBUS_SESSION_BUS_ADDRESS=$bad_bus
notice="The settings file $bad/linecal.conf is not text. linecal uses its default settings and stores no change; the file stays as it is."
check "the dialog says the settings are damaged, with the path, inside the window" "$notice True" \
  "$(wait_field settings "$notice") $(read_dialog | field settingsInside)"
xdotool type --delay 5 "Keep me tomorrow"
wait_field entry "Keep me tomorrow" >/dev/null
xdotool key Return
sleep 0.3
check "a store that is a file: the dialog stays open with the text" "open Keep me tomorrow" \
  "$(shown) $(read_dialog | field entry)"
advice="Not saved: linecal keeps its calendars in the folder $bad/store, but a file is there. Move that file out of the way, then press Return again."
check "and says what to do about the folder in a desktop user's words, wrapped inside the window" "$advice True" \
  "$(wait_field failure "$advice") $(read_dialog | field failureInside)"
export DBUS_SESSION_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS_MAIN
check "the settings file is left as it was" same "$(cmp -s "$bad/linecal.conf" "$bad/linecal.conf.before" && echo same || echo changed)"
check "the store file is left as it was" "not a folder" "$(cat "$bad/store")"
check "the log says the settings file is not text" 1 "$(grep -c 'is not text; using default settings' "$bad/log" || true)"
DBUS_SESSION_BUS_ADDRESS=$bad_bus "$here/atspi_dialog.py" linecal-app click "Start with fresh settings" >/dev/null 2>>"$work/atspi.log"
for _ in $(seq 30); do [ -f "$bad/linecal.conf" ] && [ -f "$bad/linecal.conf.damaged-$(date +%F)" ] && break; sleep 0.1; done
check "Start with fresh settings moves the damaged file aside as it was" same \
  "$(cmp -s "$bad/linecal.conf.damaged-$(date +%F)" "$bad/linecal.conf.before" && echo same || echo changed)"
check "and settings are stored again, what was set meanwhile first" 1 "$(grep -c '^App%20has%20launched%201.4=true' "$bad/linecal.conf" 2>/dev/null || true)"
check "and the notice is gone" "" "$(DBUS_SESSION_BUS_ADDRESS=$bad_bus read_dialog | field settings)"
stop "$bad_pid"
kill "$bad_bus_pid"  # its services end with it

# ---- the preferences -------------------------------------------------------------------------------------
prefs_field() {  # prefs_field CONTROL KEY: one value of a control of the preferences window
  "$here/atspi_prefs.py" read | /usr/bin/python3 -c 'import json,sys; print(json.load(sys.stdin).get(sys.argv[1], {}).get(sys.argv[2], ""))' "$1" "$2"
}
prefs_window() { xdotool search --onlyvisible --name '^linecal Preferences$' 2>/dev/null | head -n 1; }
mkdir -p "$store/work" && printf 'Work\n' >"$store/work/displayname"
timeout 15 "$cli" prefs
check "linecal prefs opens the preferences" yes "$(for _ in $(seq 50); do [ -n "$(prefs_window)" ] && break; sleep 0.1; done; [ -n "$(prefs_window)" ] && echo yes || echo no)"
check "the hot key is written as the desktop writes it" "Ctrl+Alt+R" "$(prefs_field 'Hot key' text)"
if [ -n "$shots" ]; then import -window "$(prefs_window)" "$shots/preferences.png"; fi
# The session's EDS adds its own: its local calendar and task list beside linecal's, its birthdays apart.
eds_calendars="'  Personal', '  Personal', '', 'Birthday', '  Birthdays & Anniversaries'"
check "the calendar list names this computer, both calendars and the desktop's" \
  "['On This Computer', '  Personal', '  Work', $eds_calendars]" \
  "$(prefs_field Calendar items)"
if [ -n "${LINECAL_EDS_MAKE_SELF:-}" ]; then
  check "the e-mail list holds the user's own addresses, in order" "['me@example.org', 'work@example.org']" \
    "$(for _ in $(seq 75); do  # a slow address book is asked again as the window opens
         items=$(prefs_field "E-mail to" items); [ "$items" != "['No address']" ] && break; sleep 0.2; done; echo "$items")"
fi
check "every control is read out by the words it shows" \
  "Give new items an alarm|Minutes before the start|Alarm type|Sound|E-mail to|Event length|Calendar|Hot key|Start linecal when I log in|Show the icon in the tray|Keep usage statistics" \
  "$("$here/atspi_prefs.py" read | /usr/bin/python3 -c 'import json,sys; print("|".join(k for k in json.load(sys.stdin) if k != "shownButtons"))')"
check "a build without support addresses shows no support buttons" "[]" \
  "$("$here/atspi_prefs.py" read | /usr/bin/python3 -c 'import json,sys
support = ("Write to us", "Report a problem", "Web page", "Software centre")
print([b for b in json.load(sys.stdin).get("shownButtons", ["unread"]) if b in support or b == "unread"])')"
autostart=$XDG_CONFIG_HOME/autostart/linecal.desktop
"$here/atspi_prefs.py" click "Start linecal when I log in" >/dev/null
for _ in $(seq 30); do [ -f "$autostart" ] && break; sleep 0.1; done
check "start at login writes the autostart entry for this program" "Exec=$app" "$(grep '^Exec=' "$autostart" 2>/dev/null)"
"$here/atspi_prefs.py" click "Start linecal when I log in" >/dev/null
for _ in $(seq 30); do [ -f "$autostart" ] || break; sleep 0.1; done
check "switched off, the entry is gone" "gone False" "$([ -e "$autostart" ] && echo there || echo gone) $(prefs_field 'Start linecal when I log in' checked)"

"$here/atspi_prefs.py" focus "Hot key" >/dev/null
sleep 0.2
xdotool key ctrl+shift+k
check "the hot-key field takes Ctrl+Shift+K" "Ctrl+Shift+K" "$(prefs_field 'Hot key' text)"
# Qt's combo box takes no focus through the accessibility bus; the keyboard gets there from the field before it.
"$here/atspi_prefs.py" focus "Event length" >/dev/null
sleep 0.2
xdotool key Tab Down
for _ in $(seq 30); do grep -q '^Calendar%20UID=work$' "$XDG_CONFIG_HOME/linecal/linecal.conf" && break; sleep 0.1; done
check "choosing Work in the calendar list stores it" "Calendar%20UID=work" "$(grep '^Calendar%20UID=' "$XDG_CONFIG_HOME/linecal/linecal.conf")"
xdotool key Escape
for _ in $(seq 30); do [ -z "$(prefs_window)" ] && break; sleep 0.1; done
xdotool key ctrl+shift+k
wait_dialog || true
check "the new hot key opens the dialog" open "$(shown)"
xdotool type --delay 5 "Planning tomorrow 10am"
wait_field entry "Planning tomorrow 10am" >/dev/null
xdotool key Return
wait_closed || true
check "the entry is saved into the chosen calendar" 1 "$(find "$store/work" -name '*.ics' | wc -l)"

# ---- Quit from the tray menu, with the dialog open ----------------------------------------------------
xdotool key ctrl+shift+k
wait_dialog || true
icon=$(windows_named linecal-app | head -n 1)
if [ -n "$icon" ]; then
  eval "$(xdotool getwindowgeometry --shell "$icon")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
  sleep 0.5
  xdotool key Up Return  # the last item: Quit
fi
for _ in $(seq 100); do alive "$first" || break; sleep 0.1; done
check "Quit ends the program even with the dialog open" gone "$(alive "$first" && echo running || echo gone)"
wait "$first" && quit_status=0 || quit_status=$?
check "and it ends well" 0 "$quit_status"
check "nothing was lost: five items in Personal" 5 "$(items)"
grep -q 'successfully saved new item: ' "$work/app.log" || { echo "FAIL: no save was logged"; fail=1; }

# ---- a calendar on a server ------------------------------------------------------------------------------
# The account's list is not cached yet: the program starts without waiting for the server and
# hears of its calendars from the background.
if /usr/bin/python3 -c 'import radicale' 2>/dev/null; then
  radicale_start "$work/radicale"
  radicale_mkcal team Team >/dev/null
  printf '[rad]\nurl=%s\nusername=alice\npassword-command=printf secret\n' "$radicale_url" >"$XDG_CONFIG_HOME/linecal/accounts.conf"
  start_app "$work/server.log"
  server_app=$app_pid
  for _ in $(seq 100); do grep -q 'ready' "$work/server.log" && break; sleep 0.1; done
  xdotool key ctrl+shift+k
  wait_dialog || true
  xdotool type --delay 5 "[Team] Review tomorrow 3pm"
  check "a [tag] names the server calendar in the preview" "[Team] Review" \
    "$(wait_field preview "$(preview_of '[Team] Review tomorrow 3pm')" | cut -c1-13)"
  xdotool key Return
  wait_closed || true
  check "Return saves it on the server" "closed 1" "$(shown) $(radicale_items team)"
  timeout 15 "$cli" prefs
  for _ in $(seq 50); do [ -n "$(prefs_window)" ] && break; sleep 0.1; done
  check "the calendar list holds the server's calendar under its account" \
    "['On This Computer', '  Personal', '  Work', $eds_calendars, '', 'alice@127.0.0.1 (CalDAV)', '  Team']" \
    "$(prefs_field Calendar items)"
  xdotool key Escape
  for _ in $(seq 30); do [ -z "$(prefs_window)" ] && break; sleep 0.1; done
  radicale_stop
  xdotool key ctrl+shift+k
  wait_dialog || true
  xdotool type --delay 5 "[Team] Retro tomorrow 4pm"
  wait_field entry "[Team] Retro tomorrow 4pm" >/dev/null
  xdotool key Return
  sleep 0.5
  check "with the server down the dialog stays open with the text" "open [Team] Retro tomorrow 4pm" \
    "$(shown) $(read_dialog | field entry)"
  check "and says what to do" "Check that the server is running" "$(read_dialog | field failure | cut -c1-32)"
  stop "$server_app"
fi

# ---- no tray host ---------------------------------------------------------------------------------------
# A later start (not the first) with nothing to hold the icon: the dialog is the only sign of life.
stop "${desktop_pids[1]}"  # the tray host
grep -q '^App%20has%20launched%201.4=true' "$XDG_CONFIG_HOME/linecal/linecal.conf" || { echo "FAIL: not a later start"; fail=1; }
start_app "$work/notray.log"
notray_app=$app_pid
wait_dialog || true
check "without a tray a later start opens the dialog" open "$(shown)"
wait_field focused Entry >/dev/null  # a key sent before the window has the focus goes nowhere
xdotool key Escape
wait_closed || true
check "which hides again, the program staying" "closed running" "$(shown) $(alive "$notray_app" && echo running || echo gone)"
stop "$notray_app"

# ---- a dark panel ------------------------------------------------------------------------------------------
trayer --edge top --align right --widthtype request --height 28 --SetDockType true --tint 0x202428 \
  --transparent true --alpha 0 >/dev/null 2>&1 &
pids+=($!)
sleep 0.5
start_app "$work/dark.log"
for _ in $(seq 50); do icon=$(windows_named linecal-app | head -n 1); [ -n "$icon" ] && break; sleep 0.1; done
sleep 1.7  # the start's pulse is over
check "the icon reads on a dark panel" reads "$([ -n "$icon" ] && icon_reads "$icon" "${shots:+$shots/tray-dark.png}")"
stop "$app_pid"

# ---- a calendar of the desktop's own (EDS) -------------------------------------------------------------
if [ -n "${LINECAL_EDS_CALENDARS:-}" ]; then
  # The tag must name EDS's Work alone: linecal's own Work folder and the server account go.
  rm -r "$store/work" "$XDG_CONFIG_HOME/linecal/accounts.conf" 2>/dev/null || true
  eds_work=$("$LINECAL_EDS_CALENDARS" add Work)
  work_line="    Work  [$eds_work]  (Evolution Data Server)"
  check "linecal calendars lists EDS's Work under this computer's heading" "On This Computer|$work_line" \
    "$("$cli" calendars | awk -v want="$work_line" '/^[^ ]/ { heading = $0 } $0 == want { print heading "|" $0 }')"
  start_app "$work/eds.log"
  eds_app=$app_pid
  for _ in $(seq 100); do grep -q 'ready' "$work/eds.log" && break; sleep 0.1; done
  xdotool key ctrl+shift+k
  wait_dialog || true
  entry="[Work] Review at 3pm tomorrow"
  xdotool type --delay 5 "$entry"
  # The program lists EDS's calendars in the background; the preview names Work once it has.
  check "the preview reads as the command line's" "$(preview_of "$entry")" "$(wait_field preview "$(preview_of "$entry")")"
  xdotool key Return
  wait_closed || true
  check "Return saves it and closes" closed "$(shown)"
  saved=""
  for _ in $(seq 50); do  # the save runs beside the window
    saved=$("$LINECAL_EDS_CALENDARS" events "$eds_work" | tr -d '\r')
    [ -n "$saved" ] && break
    sleep 0.1
  done
  check "an EDS client reads the event from Work" \
    "SUMMARY:Review|DTSTART;TZID=America/Los_Angeles:$(date -d tomorrow +%Y%m%d)T150000" \
    "$(printf '%s\n' "$saved" | grep -E '^(SUMMARY|DTSTART)' | sort -r | paste -sd '|')"
  check "and nothing went into linecal's folders" 5 "$(find "$store" -name '*.ics' | wc -l)"
  stop "$eds_app"
fi

if [ "$fail" -ne 0 ]; then echo "--- app log"; cat "$work/app.log"; echo "--- accessibility reads"; tail -n 30 "$work/atspi.log" 2>/dev/null; fi
exit "$fail"
