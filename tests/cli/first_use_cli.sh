#!/usr/bin/env bash
# What a new user meets at the terminal: an empty entry is refused, not saved; options count
# wherever they stand until "--"; a date that names no day is said to be none; help is there as
# `help` and --help, and every error says what is wrong and then what to do.
# Usage: first_use_cli.sh PATH/TO/linecal
set -u
linecal=${1:?usage: first_use_cli.sh PATH/TO/linecal}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TZ=America/Los_Angeles LC_ALL=en_US.UTF-8 XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config \
  XDG_CACHE_HOME=$work/cache XDG_STATE_HOME=$work/state
store=$work/calendars
# shellcheck source=../checks.sh
. "$(dirname "$0")/../checks.sh"
lc() { "$linecal" --store "$store" --config "$work/linecal.conf" "$@"; }
items() { find "$store" -name '*.ics' 2>/dev/null | wc -l; }

# ---- an empty entry saves nothing ----------------------------------------------------------------
for blank in "" "   " "$(printf '\t\302\240')"; do
  out=$(lc add --now 2010-03-10T15:00 -- "$blank" 2>"$work/err"); code=$?
  check "empty entry '$blank' exits 2" 2 "$code"
  check "empty entry '$blank' prints no item" "" "$out"
  contains "empty entry '$blank' says so" "linecal: the entry is empty" "$(cat "$work/err")"
done
check "empty entries saved nothing" 0 "$(items)"
out=$(printf 'Lunch\n\302\240\nDinner 7pm\n' | lc add --json --now 2010-03-10T15:00 - 2>"$work/err"); code=$?
check "a blank batch line is a bad line" 2 "$code"
check "the other lines are saved" 2 "$(items)"
contains "the blank line answers in its place" '{"error":"the entry is empty' "$(sed -n 2p <<<"$out")"
contains "and is told on standard error" "linecal: line 2: the entry is empty" "$(cat "$work/err")"

# ---- options after the text ------------------------------------------------------------------------
out=$(lc add --now 2010-03-10T15:00 "Lunch tomorrow" --json)
check "an option after the text is an option" "Lunch" \
  "$(/usr/bin/python3 -c 'import json,sys; print(json.load(sys.stdin)["description"].split(" at ")[0].split("] ")[1])' <<<"$out")"
out=$("$linecal" parse "Lunch tomorrow" --now 2010-03-10T15:00)
contains "--now after the text" '"VOK_FROM_DATE":"2010-03-11T12:00:00-08:00"' "$out"
contains "--now after the text leaves the title" '"VOK_TITLE":"Lunch"' "$out"
out=$("$linecal" parse --now 2010-03-10T15:00 -- "Lunch" --json -5)
contains "after -- everything is text" '"VOK_TITLE":"Lunch --json -5"' "$out"
out=$("$linecal" parse --now 2010-03-10T15:00 "Score" -5 points)
contains "a word with a dash stays text" '"VOK_TITLE":"Score -5 points"' "$out"
"$linecal" --config "$work/linecal.conf" add "Lunch" --store "$work/elsewhere" --now 2010-03-10T15:00 >/dev/null 2>"$work/err"
check "a global option after the text" "0 1" "$? $(find "$work/elsewhere" -name '*.ics' | wc -l)"

# ---- no calendar yet: what makes one, and where none can be made -------------------------------------
out=$("$linecal" --store "$work/fresh" --config "$work/linecal.conf" calendars 2>&1); code=$?
check "an empty store lists nothing and ends well" 0 "$code"
contains "and says that add makes the first calendar" "\`linecal add\` creates one" "$out"
printf 'not a folder\n' >"$work/file"
out=$("$linecal" --store "$work/file" --config "$work/linecal.conf" calendars 2>&1); code=$?
check "a store that is a file fails" 1 "$code"
lacks "and does not promise that add makes one" "creates one" "$out"
contains "but says why none can be made" "linecal: no calendars in $work/file, and none can be made there: The calendar folder $work/file is not a folder." "$out"
contains "and what to do" "choose another folder for the calendars (--store)" "$out"
out=$("$linecal" --store "$work/file/deeper" --config "$work/linecal.conf" calendars 2>&1); code=$?
check "a store under a file fails too" "1 no" "$code $(grep -q 'creates one' <<<"$out" && echo yes || echo no)"
if [ "$(id -u)" -ne 0 ]; then  # root may write anywhere
  mkdir -p "$work/locked" && chmod a-w "$work/locked"
  out=$("$linecal" --store "$work/locked/calendars" --config "$work/linecal.conf" calendars 2>&1); code=$?
  check "a store in a folder without write access fails" "1 no" "$code $(grep -q 'creates one' <<<"$out" && echo yes || echo no)"
  contains "and names the folder" "$work/locked" "$out"
  chmod u+w "$work/locked"
fi

# ---- a date that names no day --------------------------------------------------------------------
check "the preview names an impossible date" "$(printf '[Personal] Call Bob Feb 30 at 3/10/10, 4:15\342\200\257PM\nFeb 30 is not a date')" \
  "$(lc preview --now 2010-03-10T15:00 -- "Call Bob Feb 30")"
check "a date of today with a passed time stays today" "[Personal] Lunch at 12/7/26, 1:00$(printf '\342\200\257')PM" \
  "$(lc preview --now 2026-12-07T17:34 -- "Lunch Dec 7 at 1pm" | head -n 1)"
check "a full date in the other order" "[Personal] Flight at 12/24/26, 6:15$(printf '\342\200\257')AM" \
  "$(lc preview --now 2026-12-07T17:34 -- "Flight 24.12.2026 06:15" | head -n 1)"

# ---- help, the version, and the voice of errors -----------------------------------------------------
check "linecal help is linecal --help" "$("$linecal" --help)" "$("$linecal" help)"
check "linecal help add is linecal add --help" "$("$linecal" add --help)" "$("$linecal" help add 2>&1)"
check "linecal help accounts add" "$("$linecal" accounts add --help)" "$("$linecal" help accounts add 2>&1)"
"$linecal" help >/dev/null; check "linecal help ends well" 0 $?
version=$("$linecal" --version); code=$?
check "linecal --version" "0 yes" "$code $(grep -Eq '^linecal [0-9]+\.[0-9]+\.[0-9]+$' <<<"$version" && echo yes || echo no)"
for cmd in parse preview add; do
  contains "the usage line of $cmd names TEXT" "Usage: linecal $cmd [OPTIONS] [--] TEXT" "$("$linecal" "$cmd" --help)"
  contains "$cmd explains the entry" "An entry is one line of text" "$("$linecal" "$cmd" --help)"
done
for cmd in calendars show prefs "accounts list"; do
  # shellcheck disable=SC2086
  lacks "$cmd does not repeat the entry syntax" "An entry is one line of text" "$("$linecal" $cmd --help)"
done
lacks "parse's help speaks of no save" "failed save" "$("$linecal" parse --help)"
lacks "preview's help speaks of no save" "failed save" "$("$linecal" preview --help)"
contains "add's help does" "1 a failed save" "$("$linecal" add --help)"
lacks "--launch promises nothing it does not do" "Also show the item" "$("$linecal" add --help)"
lc add --launch --now 2010-03-10T15:00 -- "Launch test" >/dev/null 2>"$work/err"
lacks "and does not call itself unavailable after the fact" "not available yet" "$(cat "$work/err")"

# Each mistake: "linecal: " and what is wrong, then a line of what to do; exit 2.
mistake() {  # mistake NAME FIRST_LINE ARGS…: the first line of what linecal says, and that a second follows
  local name=$1 first=$2; shift 2
  "$linecal" "$@" >/dev/null 2>"$work/err"; local code=$?
  check "$name: exit code" 2 "$code"
  check "$name: what is wrong" "$first" "$(head -n 1 "$work/err")"
  check "$name: then what to do" yes "$([ "$(sed -n 2p "$work/err" | wc -c)" -gt 10 ] && echo yes || echo no)"
}
mistake "an unknown command" 'linecal: unknown command `frobnicate`' frobnicate
mistake "no command" 'linecal: no command given'
mistake "help on an unknown command" 'linecal: no command `linecal frobnicate`' help frobnicate
mistake "an unknown option" 'linecal: the following argument was not expected: --bogus' add --bogus Lunch
mistake "a missing account name" 'linecal: NAME is required' accounts add --url http://127.0.0.1:9/ --username u
mistake "accounts alone" 'linecal: a subcommand is required' accounts
mistake "no entry text" 'linecal: no entry text given' --store "$store" add --now 2010-03-10T15:00
mistake "an unreadable --now" "linecal: cannot read --now 'soon'" parse --now soon Lunch
contains "unknown commands are named" "parse, preview, add, calendars, show, prefs, accounts, help" \
  "$("$linecal" frobnicate 2>&1)"
out=$("$linecal" add --store "$work/st1" --now 2010-03-10T15:00 Lunch 2>&1)
check "add --store DIR before the text" "0 1" "$? $(find "$work/st1" -name '*.ics' | wc -l)"
out=$("$linecal" --config "$work/linecal.conf" add --store "$work/file" --now 2010-03-10T15:00 Lunch 2>&1); code=$?
check "add --store FILE fails as a save" 1 "$code"
check "and says so in linecal's voice" "linecal: The calendar folder $work/file is not a folder." "$(head -n 1 <<<"$out")"

# A server that cannot be reached while adding an account: no item is waiting to be added again.
XDG_CONFIG_HOME=$work/config "$linecal" accounts add nowhere --url http://127.0.0.1:9/ --username u \
  --password-command "printf secret" >/dev/null 2>"$work/err"; code=$?
check "an account whose server is down is kept, with exit 1" "1 yes" \
  "$code $(grep -q '^\[nowhere\]' "$work/config/linecal/accounts.conf" 2>/dev/null && echo yes || echo no)"
check "it says so in linecal's voice" "linecal: account nowhere was added, but its calendars could not be read" \
  "$(head -n 1 "$work/err" | cut -d: -f1-2)"
lacks "and does not speak of an item" "item" "$(sed -n '2,$p' "$work/err")"
contains "but of the account" "The account nowhere is kept: \`linecal calendars --refresh\` reads" "$(cat "$work/err")"

checks_done first_use_cli
