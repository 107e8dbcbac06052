#!/usr/bin/env bash
# What `linecal` does with the user's own files when they are odd: a hand-written settings file
# keeps its comments and unknown lines and is written only when a value changes; a damaged one is
# left alone; calendar titles with control characters are shown escaped; a calendar folder whose
# name is not UTF-8 takes saves.
# Usage: local_files_cli.sh PATH/TO/linecal
set -u
linecal=${1:?usage: local_files_cli.sh PATH/TO/linecal}
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
export TZ=America/Los_Angeles LC_ALL=en_US.UTF-8 XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
store=$work/calendars
conf=$work/linecal.conf
# shellcheck source=../checks.sh
. "$(dirname "$0")/../checks.sh"
lc() { "$linecal" --store "$store" --config "$conf" "$@"; }
state() { printf '%s %s' "$(sha256sum <"$1")" "$(stat -c %Y.%y "$1")"; }

mkdir -p "$store/personal"
printf 'Personal\n' >"$store/personal/displayname"
printf '; written by hand\n[General]\nCalendar UID=personal\n\n; for a later version\nFutureKey=1\n[Mine]\nx=y\n' >"$conf"

# Commands that change no value leave the file as it is, to the byte and the second.
before=$(state "$conf")
sleep 1.1
lc calendars >/dev/null
check "calendars writes nothing" "$before" "$(state "$conf")"
chmod a-w "$store/personal"
lc add --now 2010-03-10T15:00 -- "Lunch" >/dev/null 2>&1
check "failed add exit code" 1 $?
check "failed add writes nothing" "$before" "$(state "$conf")"
chmod u+w "$store/personal"

# A save remembers the last item by adding its lines; the rest stays where it was.
uid=$(lc add --json --now 2010-03-10T15:00 -- "Lunch" | /usr/bin/python3 -c 'import json,sys; print(json.load(sys.stdin)["uid"])')
check "add keeps the file's lines" "$(printf '; written by hand\n[General]\nCalendar UID=personal\n\n; for a later version\nFutureKey=1\nLast%%20Event%%20UID=%s\nLast%%20Calendar%%20UID=personal\n[Mine]\nx=y' "$uid")" \
  "$(cat "$conf")"

# A damaged file is used as if absent, said to be damaged, and never written.
printf '[General]\nCalendar UID=personal\n# not a comment in this format\n' >"$conf"
before=$(state "$conf")
lc add --now 2010-03-10T15:00 -- "Lunch" >/dev/null 2>"$work/err"
check "damaged file add exit code" 0 $?
check "damaged file left alone" "$before" "$(state "$conf")"
check "damaged file warned as damaged" "2 0" \
  "$(grep -c "settings file $conf is damaged" "$work/err") $(grep -c 'cannot save' "$work/err")"

# Titles and folder names are shown with their control characters escaped.
mkdir -p "$store/odd"
printf 'Two\nlines\tand \033[31mred\n' >"$store/odd/displayname"
rm -f "$conf"
check "calendars escapes titles" '    Two\nlines\tand \x1b[31mred  [odd]' "$(lc calendars | grep -F '[odd]')"

# A folder whose name is not UTF-8 is listed and takes saves.
mkdir -p "$store/caf$(printf '\351')"
printf 'Latin\n' >"$store/caf$(printf '\351')/displayname"
lc add --now 2010-03-10T15:00 -- "Coffee [Latin]" >/dev/null 2>"$work/err"
check "save into a folder named in Latin-1" "0 1" "$? $(find "$store/caf$(printf '\351')" -name '*.ics' | wc -l)"

checks_done local_files_cli
