#!/usr/bin/env bash
# `linecal add -` and `preview -` as scripts use them: one answer per line, bad lines answered in
# place, exit codes, the log only with --verbose, and no torn or stray files when a batch is stopped;
# then the calendars they went to.
# Usage: batch_cli.sh PATH/TO/linecal
set -u
linecal=${1:?usage: batch_cli.sh PATH/TO/linecal}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TZ=America/Los_Angeles LC_ALL=en_US.UTF-8 XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
store=$work/calendars
conf=$work/linecal.conf
# shellcheck source=../checks.sh
. "$(dirname "$0")/../checks.sh"
lc() { "$linecal" --store "$store" --config "$conf" "$@"; }

# Saves, a bad line in the middle, the last item remembered once at the end.
out=$(printf 'Buy milk todo\r\nLunch tomorrow 12pm @15m\n\nBad \xfe\nDentist May 5th 3pm\n' |
      lc add --json --now 2010-03-10T15:00 - 2>"$work/err")
check "add - exit code" 2 $?
check "add - answers" '1 2 error:4 5' \
  "$(printf '%s\n' "$out" | /usr/bin/python3 -c 'import json,sys
print(" ".join(("error:%d" % o["line"]) if "error" in o else str(o["line"]) for o in map(json.loads, sys.stdin)))')"
check "add - files" 3 "$(find "$store" -name '*.ics' | wc -l)"
check "add - files named in answers" 3 \
  "$(printf '%s\n' "$out" | /usr/bin/python3 -c 'import json,os,sys
print(sum(1 for o in map(json.loads, sys.stdin) if "file" in o and os.path.isfile(o["file"])))')"
check "add - quiet log" "linecal: line 4: the entry text is not valid UTF-8" "$(cat "$work/err")"
last=$(printf '%s\n' "$out" | tail -n 1 | /usr/bin/python3 -c 'import json,sys; print(json.load(sys.stdin)["uid"])')
check "last item remembered" "Last%20Event%20UID=$last" "$(grep '^Last%20Event%20UID=' "$conf")"

# --verbose shows the record of each save; plain output is one description per item.
out=$(printf 'Call Bob @15m\nCall Ann\n' | lc add --verbose --now 2010-03-10T15:00 - 2>"$work/err")
check "add - descriptions" "$(printf '%s\n%s' '[Personal] Call Bob at 3/10/10, 4:15 PM 15m, 30m alarms' \
  '[Personal] Call Ann at 3/10/10, 4:15 PM 30m alarm')" "$(printf '%s' "$out" | tr '\342\200\257' ' ' | sed 's/  */ /g')"
check "verbose log" 2 "$(grep -c '^successfully saved new item: ' "$work/err")"

# A failed save answers in place and exits 1 after the last line.
chmod a-w "$store/personal"
out=$(printf 'x\ny\n' | lc add --now 2010-03-10T15:00 - 2>"$work/err")
check "failed saves exit code" 1 $?
check "failed saves answers" '{"error":"The calendar “Personal” is read-only ('"$store"'/personal).","line":1}' \
  "$(printf '%s' "$out" | head -n 1)"
check "failed saves told" 2 "$(grep -c "^failed to save new event" "$work/err")"
chmod u+w "$store/personal"

# Preview: one line per entry, preview and alarms apart by a tab, nothing written.
out=$(printf 'Call Bob @15m\n' | "$linecal" --store "$work/none" --config "$work/none.conf" preview --now 2010-03-10T15:00 -)
check "preview - line" "Call Bob at 3/10/10, 4:15 PM	15m, 30m alarms" "$(printf '%s' "$out" | tr '\342\200\257' ' ' | sed 's/  */ /g')"
check "preview - writes nothing" "no" "$([ -e "$work/none" ] || [ -e "$work/none.conf" ] && echo yes || echo no)"

# A line that reads two ways: preview shows the other reading, add --strict saves none of them and
# says why in place (exit 3 unless a save failed), and plain add saves the first as before.
out=$(printf 'Call Ann 5/12 at 3pm\nLunch Friday\n' | lc preview --now 2010-03-10T15:00 - | tr '\342\200\257' ' ' | sed 's/  */ /g')
check "preview - the other reading" "[Personal] Call Ann at 5/12/10, 3:00 PM	30m alarm	or: [Personal] Call Ann at 12/5/10, 3:00 PM|[Personal] Lunch at 3/12/10	30m alarm" \
  "$(printf '%s\n' "$out" | paste -sd'|')"
before=$(find "$store" -name '*.ics' | wc -l)
out=$(printf 'Lunch Friday\nLunch next Friday\nx 5/13\n' | lc add --strict --json --now 2010-03-10T15:00 - 2>"$work/err")
check "add --strict - exit code" 3 $?
check "add --strict - answers" '1 ambiguous:2:next-weekday:Lunch Friday 3' \
  "$(printf '%s\n' "$out" | /usr/bin/python3 -c 'import json,sys
print(" ".join(("%s:%d:%s:%s" % (o["error"], o["line"], o["alternatives"][0]["reason"], o["alternatives"][0]["text"])) if "error" in o else str(o["line"]) for o in map(json.loads, sys.stdin)))')"
check "add --strict - the clear lines saved" $((before + 2)) "$(find "$store" -name '*.ics' | wc -l)"
lc add --strict --now 2010-03-10T15:00 "Meet 10.30" >"$work/out" 2>"$work/err"
check "add --strict exit code" 3 $?
check "add --strict names the other reading" 1 "$(grep -c '^  or (dot-time): .* typed as: Meet 10:30$' "$work/err")"
check "add --strict saved nothing" $((before + 2)) "$(find "$store" -name '*.ics' | wc -l)"
lc add --now 2010-03-10T15:00 "Meet 10.30" >/dev/null 2>&1
check "add without --strict saves the first reading" 0 $?

# Stopped mid-batch: every file whole, none left half-way, the entries before the stop saved.
rm -rf "$store"
mkfifo "$work/feed"
"$linecal" --store "$store" --config "$conf" add --now 2010-03-10T15:00 - <"$work/feed" >"$work/out" 2>"$work/err" &
pid=$!
exec 3>"$work/feed"
for i in $(seq 1 3000); do printf 'Item %d tomorrow 9am\n' "$i"; done >&3 &
writer=$!
for _ in $(seq 1 200); do [ "$(find "$store" -name '*.ics' 2>/dev/null | wc -l)" -ge 50 ] && break; sleep 0.02; done
kill -TERM "$pid"
wait "$pid"
check "stopped exit code" 143 $?
exec 3>&-
kill "$writer" 2>/dev/null
wait "$writer" 2>/dev/null
check "stopped: no temporary files" 0 "$(find "$store" -name '*.tmp' | wc -l)"
check "stopped: every answer saved" "$(wc -l <"$work/out")" "$(find "$store" -name '*.ics' | wc -l)"
check "stopped: files whole" 0 "$(for f in "$store"/personal/*.ics; do tail -n 1 "$f" | grep -qx 'END:VCALENDAR.' || echo "$f"; done | wc -l)"

# The local calendars as the calendar pop-up lists them: the selected one marked, one that cannot
# be written to said to be read-only.
mkdir -p "$store/work" && chmod 555 "$store/work"
check "calendars under this computer's heading" \
  "On This Computer|  * Personal  [personal]|    work  [work]  (read-only)" "$(lc calendars | paste -sd'|')"
chmod 755 "$store/work"

checks_done batch_cli
