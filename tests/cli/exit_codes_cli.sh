#!/usr/bin/env bash
# What each way a command can end gives as exit code and says on standard error: a failure the
# user can act on (accounts, the desktop program, a store) exits 1 with what to do; misuse (a bad
# option, command or argument) exits 2; a clean run 0. Nothing is changed by a refused command.
# Usage: exit_codes_cli.sh PATH/TO/linecal
set -u
linecal=${1:?usage: exit_codes_cli.sh PATH/TO/linecal}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TZ=America/Los_Angeles LC_ALL=en_US.UTF-8 XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config \
  XDG_CACHE_HOME=$work/cache XDG_STATE_HOME=$work/state
# shellcheck source=../checks.sh
. "$(dirname "$0")/../checks.sh"
accounts=$work/config/linecal/accounts.conf
run() {  # run ARGS…: stdout in $out, stderr in $err, exit code in $code
  out=$("$linecal" "$@" 2>"$work/err"); code=$?; err=$(cat "$work/err")
}

# ---- accounts: refusals exit 1 and leave the file as it was ---------------------------------------
run accounts remove nobody
check "removing an unknown account exits 1" 1 "$code"
check "and says what to do" "linecal: no account named nobody
\`linecal accounts list\` shows the accounts." "$err"
check "and writes no accounts file" no "$([ -e "$accounts" ] && echo yes || echo no)"

mkdir -p "$(dirname "$accounts")"
printf '[rad]\nurl=https://dav.example.com/\nusername=alice\npassword-command=printf x\n' >"$accounts"
cp "$accounts" "$work/before"
run accounts add rad --url https://dav.example.com/ --username bob --password-command "printf y"
check "adding an account twice exits 1" 1 "$code"
check "and says how to change it" "linecal: an account named rad exists
To change it, \`linecal accounts remove rad\` first, then add it again." "$err"
check "the file is as it was" "" "$(cmp "$accounts" "$work/before")"

run accounts add "two words" --url https://dav.example.com/ --username bob
check "a bad account name is misuse: exit 2" 2 "$code"
contains "with what each option takes" "Run \`linecal accounts add --help\` for what each option takes." "$err"

printf '[broken]\nurl=\n' >"$accounts"
cp "$accounts" "$work/before"
for command in list "remove broken"; do
  # shellcheck disable=SC2086
  run accounts $command
  check "a damaged accounts file refuses '$command' with exit 1" 1 "$code"
  check "'$command' prints nothing on standard output" "" "$out"
  contains "'$command' names the file" "linecal: $accounts, account [broken]:" "$err"
  contains "'$command' says what to do" "Fix or remove the file; linecal does not change it while it is damaged." "$err"
done
check "the damaged file is kept" "" "$(cmp "$accounts" "$work/before")"
rm "$accounts"
run accounts list
check "no accounts is no failure" 0 "$code"

# ---- the desktop program that cannot start ----------------------------------------------------------
for pair in "show:the entry dialog" "prefs:its preferences"; do
  command=${pair%%:*}
  out=$(LINECAL_APP=$work/no-such-program "$linecal" "$command" 2>"$work/err"); code=$?; err=$(cat "$work/err")
  check "$command without the program exits 1" 1 "$code"
  check "$command says what to do" "linecal: $work/no-such-program could not open ${pair#*:}
It ended at once: start it from the desktop session, where a display is set." "$err"
done

# ---- a store that cannot be saved into ------------------------------------------------------------
printf 'not a folder\n' >"$work/file"
run --store "$work/file" add --now 2010-03-10T15:00 "Lunch 1pm"
check "a store that is a file fails the save: exit 1" 1 "$code"
check "nothing is printed as saved" "" "$out"
check "the file is untouched" "not a folder" "$(cat "$work/file")"

# ---- misuse and help --------------------------------------------------------------------------------
run frobnicate
check "an unknown command exits 2" 2 "$code"
contains "and is named" "linecal: unknown command \`frobnicate\`" "$err"
run parse --no-such-option "Lunch"
check "an unknown option exits 2" 2 "$code"
run parse
check "no entry text exits 2" 2 "$code"
contains "and says how to give one" "Give the entry after the options" "$err"
run parse --now yesterday-ish "Lunch"
check "an unreadable --now exits 2" 2 "$code"
out=$(printf 'Lunch\n\377\n' | "$linecal" parse --now 2010-03-10T15:00 - 2>/dev/null); code=$?
check "a batch with a bad line exits 2" 2 "$code"
check "and answers every line" 2 "$(wc -l <<<"$out")"
run --version
check "--version exits 0" 0 "$code"
run help parse
check "help exits 0" 0 "$code"
run parse --now 2010-03-10T15:00 "Lunch 1pm"
check "a clean run exits 0 and says nothing on standard error" "0:" "$code:$err"

checks_done exit_codes_cli
