#!/usr/bin/env bash
# Items that `linecal add` saves must read correctly in calendar tools nobody here wrote:
# khal lists the events, todoman the to-dos, and Python's icalendar parses every file.
# Usage: interop.sh PATH/TO/linecal
set -euo pipefail

linecal=${1:?usage: interop.sh PATH/TO/linecal}
for tool in khal todoman /usr/bin/python3; do
  command -v "$tool" >/dev/null || { echo "interop: $tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

work=$(mktemp -d)
# shellcheck source=../khal.sh
. "$(dirname "$0")/../khal.sh"
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
export TZ=America/Los_Angeles LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
store=$work/calendars
conf=$work/linecal.conf
printf '[General]\nEventLength=60\n' >"$conf"

fail=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then
    echo "ok: $1"
  else
    echo "FAIL: $1"; echo "  expected: $2"; echo "  actual:   $3"; fail=1
  fi
}

add() { "$linecal" --store "$store" --config "$conf" add --verbose --now 2010-03-10T15:00 -- "$@" 2>>"$work/add.log"; }

# Preview with default settings on a fresh machine: nothing is written.
check "preview lines" "$(printf 'Call Bob at 3/10/10, 4:15\u202fPM\n15m, 30m alarms')" \
  "$("$linecal" --store "$store" --config "$work/none.conf" preview --now 2010-03-10T15:00:00 -- "Call Bob @15m")"
check "preview writes nothing" "no no" "$([ -e "$store" ] && echo yes || echo no) $([ -e "$work/none.conf" ] && echo yes || echo no)"

add "Buy groceries at 4pm tomorrow" >/dev/null
add "Lunch tomorrow 12pm for 2 hours at Cafe Rio @15m" >/dev/null
add "Holiday 3/15" >/dev/null
add "Trip 3/15 to 3/17" >/dev/null
add "Kaffee mit Jörg 3pm tomorrow" >/dev/null
add "todo Pay rent 3/12 @1d" >/dev/null
add "task Call the bank tomorrow" >/dev/null
"$linecal" --store "$store" --config "$work/zero.conf" add --verbose --now 2010-03-10T15:00 -- "Call Bob 9am tomorrow" \
  >/dev/null 2>>"$work/add.log"
check "add logged every save" 8 "$(grep -c '^successfully saved new item: ' "$work/add.log")"

calendar=$store/personal
check "calendars --json" '[{"title":"Personal","type":"Local","isEditable":true,"selected":true}]' \
  "$("$linecal" --store "$store" --config "$conf" calendars --json |
     /usr/bin/python3 -c 'import json,sys; print(json.dumps([{k: c[k] for k in ("title","type","isEditable","selected")} for c in json.load(sys.stdin)], separators=(",",":")))')"
check "last saved item remembered" 2 "$(grep -c '^Last%20\(Event\|Calendar\)%20UID=' "$conf")"
check "one file per item" 8 "$(find "$calendar" -name '*.ics' | wc -l)"
check "no temporary files" 0 "$(find "$calendar" -name '*.tmp' | wc -l)"

# --- khal -------------------------------------------------------------------------------------
khal_config "$work/khal.conf" "$calendar" America/Los_Angeles
events=$(khal -c "$work/khal.conf" list --day-format '' \
  --format '{title}|{start}|{end}|{all-day}|{location}' 2010-03-01 2010-03-31 | sort -u)
expected=$(sort <<'LIST'
Buy groceries|2010-03-11 16:00|2010-03-11 17:00|False|
Lunch|2010-03-11 12:00|2010-03-11 14:00|False|Cafe Rio
Holiday|2010-03-15|2010-03-15|True|
Trip|2010-03-15|2010-03-17|True|
Kaffee mit Jörg|2010-03-11 15:00|2010-03-11 16:00|False|
Call Bob|2010-03-11 09:00|2010-03-11 09:00|False|
LIST
)
check "khal lists the events" "$expected" "$events"

# --- todoman ----------------------------------------------------------------------------------
mkdir -p "$XDG_CONFIG_HOME/todoman"
cat >"$XDG_CONFIG_HOME/todoman/config.py" <<TODO
path = "$store/*"
date_format = "%Y-%m-%d"
time_format = "%H:%M"
cache_path = "$work/todoman.sqlite3"
TODO
cat >"$work/tasks.py" <<'PY'
import datetime, json, sys
for t in json.load(sys.stdin):
    due = datetime.datetime.fromtimestamp(t["due"]).strftime("%Y-%m-%d %H:%M") if t["due"] else "-"
    print("|".join([t["summary"], due, t["list"]]))
PY
tasks=$(todoman --porcelain list | /usr/bin/python3 "$work/tasks.py" | sort)
expected=$(cat <<'LIST'
Call the bank|2010-03-11 12:00|Personal
Pay rent|2010-03-12 12:00|Personal
LIST
)
check "todoman lists the to-dos" "$expected" "$tasks"

# --- icalendar --------------------------------------------------------------------------------
parsed=$(/usr/bin/python3 - "$calendar" <<'PY'
import pathlib, sys, icalendar
count = 0
for path in sorted(pathlib.Path(sys.argv[1]).glob("*.ics")):
    cal = icalendar.Calendar.from_ical(path.read_bytes())
    items = [c for c in cal.walk() if c.name in ("VEVENT", "VTODO")]
    assert len(items) == 1, path
    item = items[0]
    assert str(item["UID"]) + ".ics" == path.name, path
    for alarm in item.walk("VALARM"):
        assert "TRIGGER" in alarm and "ACTION" in alarm, path
    for tzid in {p.params.get("TZID") for k in ("DTSTART", "DTEND", "DUE") for p in [item.get(k)] if p is not None} - {None}:
        assert any(tz["TZID"] == tzid for tz in cal.walk("VTIMEZONE")), (path, tzid)
    count += 1
print(count)
PY
)
check "icalendar parses every file" 8 "$parsed"

# --- a read-only calendar refuses and stays as it was -------------------------------------------
before=$(ls -la "$calendar"; cat "$calendar"/*.ics | md5sum)
chmod a-w "$calendar"
set +e
"$linecal" --store "$store" --config "$conf" add --now 2010-03-10T15:00 -- "Dentist 9am tomorrow" >"$work/out" 2>"$work/err"
rc=$?
set -e
chmod u+w "$calendar"
check "read-only save exits 1" 1 "$rc"
check "read-only save names the failure" 1 "$(grep -c "^failed to save new event ('The calendar “Personal” is read-only" "$work/err")"
check "read-only save suggests a fix" 1 "$(grep -c '^Choose a writable calendar' "$work/err")"
check "read-only calendar unchanged" "$before" "$(ls -la "$calendar"; cat "$calendar"/*.ics | md5sum)"

# --- repeating items: khal lists each day of the series, todoman keeps the rule -----------------
store2=$work/repeating
"$linecal" --store "$store2" --config "$conf" add --now 2010-03-10T15:00 -- "Standup every weekday at 9:30am" >/dev/null
"$linecal" --store "$store2" --config "$conf" add --now 2010-03-10T15:00 -- "todo Water plants every 3 days at 8am" >/dev/null
khal_config "$work/khal2.conf" "$store2/personal" America/Los_Angeles
check "khal lists the five weekdays of the next week" "$(printf 'Standup|2010-03-%s 09:30\n' 11 12 15 16 17)" \
  "$(khal -c "$work/khal2.conf" list --day-format '' --format '{title}|{start}' 2010-03-11 2010-03-17)"
sed -i "s|^path = .*|path = \"$store2/*\"|; s|^cache_path = .*|cache_path = \"$work/todoman2.sqlite3\"|" \
  "$XDG_CONFIG_HOME/todoman/config.py"
due() { todoman --porcelain list | /usr/bin/python3 -c 'import datetime, json, sys
for t in json.load(sys.stdin):
    print(t["summary"] + "|" + datetime.datetime.fromtimestamp(t["due"]).strftime("%Y-%m-%d %H:%M"))'; }
check "todoman lists the repeating to-do" "Water plants|2010-03-11 08:00" "$(due)"
todoman done 1 >/dev/null
check "and, once done, its next day by the rule" "Water plants|2010-03-14 08:00" "$(due)"

if [ "$fail" -ne 0 ]; then echo "interop: FAILED"; exit 1; fi
echo "interop: all checks passed"
