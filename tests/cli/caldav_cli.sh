#!/usr/bin/env bash
# linecal with server calendars, end to end: a Radicale on loopback, an account whose password
# lives in gnome-keyring on a private session bus, `calendars` and `add` over local and server
# calendars, an offline server, and a saved item synced down by vdirsyncer and read by khal.
# Usage: caldav_cli.sh PATH/TO/linecal
set -euo pipefail

linecal=${1:?usage: caldav_cli.sh PATH/TO/linecal}
for tool in /usr/bin/python3 vdirsyncer khal dbus-run-session dbus-send gnome-keyring-daemon; do
  command -v "$tool" >/dev/null || { echo "caldav_cli: $tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

work=$(mktemp -d)
# shellcheck source=../radicale.sh
. "$(dirname "$0")/../radicale.sh"
# shellcheck source=../khal.sh
. "$(dirname "$0")/../khal.sh"
trap 'radicale_stop; rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
export XDG_RUNTIME_DIR=$work/run TZ=Europe/Berlin LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS

fail=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then echo "ok: $1"; else
    echo "FAIL: $1"; echo "  expected: $2"; echo "  actual:   $3"; fail=1; fi
}

# --- Radicale on a free loopback port ------------------------------------------------------------
radicale_start "$work/radicale"
server=$radicale_url
check "calendars made on the server" "201 201" "$(radicale_mkcal team Team) $(radicale_mkcal family Family)"

team_items() { radicale_items team; }
store=$work/calendars
mkdir -p "$store/personal" && echo Personal >"$store/personal/displayname"
conf=$work/linecal.conf
lc() { "$linecal" --store "$store" --config "$conf" "$@"; }

# --- the keyring: gnome-keyring on a private session bus ---------------------------------------
cat >"$work/keyring-part.sh" <<'PART'
set -euo pipefail
printf 'unlock\n' | gnome-keyring-daemon --foreground --unlock --components=secrets >/dev/null 2>&1 &
keyring_pid=$!
trap 'kill "$keyring_pid" 2>/dev/null; wait "$keyring_pid" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
    string:org.freedesktop.secrets 2>/dev/null | grep -q 'boolean true' && break
  sleep 0.1
done
lc() { "$LINECAL" --store "$STORE" --config "$CONF" "$@"; }
echo "== add"; printf 'secret\n' | lc accounts add rad --url "$SERVER" --username alice
echo "== list"; lc accounts list
echo "== calendars"; lc calendars
echo "== save"; lc add --verbose --now 2010-03-10T15:00 -- "[Team] Standup 9am tomorrow @15m"
echo "== remove"; lc accounts remove rad
# The same account again, without its password: the keyring no longer has it.
printf '[rad]\nurl=%s\nusername=alice\npassword=keyring\n' "$SERVER" >"$XDG_CONFIG_HOME/linecal/accounts.conf"
rm -rf "$XDG_CACHE_HOME/linecal"
echo "== after remove"; lc calendars 2>&1 || true
PART
# A bus that starts no services: the keyring is started by hand, and the desktop's calendar
# service (which linecal would list beside the others) stays out of this test.
cat >"$work/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$XDG_RUNTIME_DIR</listen>
  <auth>EXTERNAL</auth>
  <policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
CONF
keyring_out=$(LINECAL=$linecal STORE=$store CONF=$conf SERVER=$server \
  timeout 60 dbus-run-session --config-file="$work/bus.conf" -- bash "$work/keyring-part.sh" 2>&1 | grep -v 'fd limit') || true
section() { awk -v s="== $1" '$0==s{on=1;next} /^== /{on=0} on' <<<"$keyring_out"; }
check "accounts add keeps the password in the keyring" \
  "Added rad (alice@127.0.0.1) with 2 calendars|    Family|    Team" "$(section add | paste -sd'|')"
check "accounts list" "rad  alice@127.0.0.1  $server  password: keyring" "$(section list)"
check "the accounts file holds no password" 0 "$(grep -c secret "$XDG_CONFIG_HOME/linecal/accounts.conf" || true)"
check "calendars under their headings" \
  "On This Computer|    Personal  [personal]||alice@127.0.0.1 (CalDAV)|    Family  [rad:/alice/family/]|    Team  [rad:/alice/team/]" \
  "$(section calendars | paste -sd'|')"
check "[Team] saves into the server calendar" 1 "$(team_items)"
check "--verbose shows the server save's log line" 1 \
  "$(section save | grep -c '^successfully saved new item: \[Team\] Standup')"
check "the last item is remembered with its server calendar" "Last%20Calendar%20UID=rad:/alice/team/" \
  "$(grep '^Last%20Calendar%20UID=' "$conf")"
check "accounts remove" "Removed rad" "$(section remove)"
check "the removed password is gone from the keyring" 1 "$(section 'after remove' | grep -c 'No password for account rad')"

# --- a password command, no keyring ------------------------------------------------------------
rm -f "$XDG_CONFIG_HOME/linecal/accounts.conf"
lc accounts add rad --url "$server/alice/" --username alice --password-command "printf secret" >/dev/null
lc add --now 2010-03-10T15:00 -- "[Team] Lunch with Jörg tomorrow 12pm for 1 hour at Cafe Rio" >/dev/null 2>&1
check "a password command serves as well" 2 "$(team_items)"
json=$(lc calendars --json | /usr/bin/python3 -c 'import json,sys; print("|".join("%s:%s:%s:%s" % (c["title"], c["type"], c["offline"], c["heading"]) for c in json.load(sys.stdin)))')
check "calendars --json, each under the heading it is listed under" \
  "Personal:Local:False:On This Computer|Family:CalDAV:False:alice@127.0.0.1 (CalDAV)|Team:CalDAV:False:alice@127.0.0.1 (CalDAV)" "$json"
# A new user whose first calendars are a server's: they are not said to be on this computer.
check "with no local calendar the first heading is the account's" \
  "alice@127.0.0.1 (CalDAV)|    Family  [rad:/alice/family/]|    Team  [rad:/alice/team/]" \
  "$("$linecal" --store "$work/no-local" --config "$conf" calendars | paste -sd'|')"

# --- vdirsyncer syncs the saved items into a vdir that khal reads -------------------------------
mkdir -p "$work/synced" "$work/vdirsyncer"
cat >"$work/vdirsyncer/config" <<CONF
[general]
status_path = "$work/vdirsyncer/status/"
[pair team]
a = "team_local"
b = "team_remote"
collections = null
[storage team_local]
type = "filesystem"
path = "$work/synced/"
fileext = ".ics"
[storage team_remote]
type = "caldav"
url = "$server/alice/team/"
username = "alice"
password = "secret"
CONF
timeout 60 vdirsyncer -c "$work/vdirsyncer/config" discover >/dev/null 2>&1 </dev/null
timeout 60 vdirsyncer -c "$work/vdirsyncer/config" sync >"$work/vdirsyncer/log" 2>&1 || cat "$work/vdirsyncer/log"
khal_config "$work/khal.conf" "$work/synced" Europe/Berlin
events=$(khal -c "$work/khal.conf" list --day-format '' --format '{title}|{start}|{end}|{location}' 2010-03-01 2010-03-31 | sort)
check "khal reads what vdirsyncer synced" \
  "Lunch with Jörg|2010-03-11 12:00|2010-03-11 13:00|Cafe Rio|Standup|2010-03-11 09:00|2010-03-11 09:00|" \
  "$(paste -sd'|' <<<"$events")"

# --- add --json and add - over server and local calendars --------------------------------------
answers() {  # JSON Lines on stdin: "line:file:url" per answer, file and url as "-" when absent or null
  /usr/bin/python3 -c 'import json,sys
for o in map(json.loads, sys.stdin):
    print("%s:%s:%s" % (o.get("line", 0), "error" if "error" in o else ("-" if o.get("file") is None else "file"),
                        o.get("url") or "-"))'
}
out=$(lc add --json --now 2010-03-10T15:00 -- "[Team] Review 2pm tomorrow" 2>/dev/null)
uid=$(/usr/bin/python3 -c 'import json,sys; print(json.load(sys.stdin)["uid"])' <<<"$out")
check "add --json of a server save: no file, the item's address" "0:-:$server/alice/team/$uid.ics" "$(answers <<<"$out")"
check "the reported address holds the item" 200 "$(radicale_request GET "/alice/team/$uid.ics")"
out=$(printf '[Team] Plan 10am tomorrow\n[Personal] Notes 5pm tomorrow\n[Family] Dinner 7pm tomorrow\n' |
      lc add --json --now 2010-03-10T15:00 - 2>/dev/null)
check "add - over server and local calendars" "1:-:$server/alice/team/ 2:file:- 3:-:$server/alice/family/" \
  "$(answers <<<"$out" | sed -E 's|/[^/]+\.ics$|/|' | paste -sd' ')"
check "add - saved the server lines" 4 "$(team_items)"

# --- the server goes away: the list stays, marked offline; a save fails and says why ------------
lc calendars --refresh >/dev/null
radicale_stop
# A list read a moment ago is taken as it is: the server is not asked again within the minute.
check "calendars within a minute of the last read does not ask the server" \
  "On This Computer|  * Personal  [personal]||alice@127.0.0.1 (CalDAV)|    Family  [rad:/alice/family/]|    Team  [rad:/alice/team/]|" \
  "$(lc calendars 2>&1 | paste -sd'|')|$(lc calendars 2>&1 >/dev/null)"
check "calendars --refresh asks it whenever it was last asked" 1 "$(lc calendars --refresh 2>&1 >/dev/null | grep -c 'account rad is offline')"
check "calendars while offline" \
  "On This Computer|  * Personal  [personal]||alice@127.0.0.1 (CalDAV)|    Family  [rad:/alice/family/]  (offline)|    Team  [rad:/alice/team/]  (offline)" \
  "$(lc calendars 2>/dev/null | paste -sd'|')"
check "calendars --json while offline" "Personal:False Family:True Team:True" \
  "$(lc calendars --json 2>/dev/null | /usr/bin/python3 -c 'import json,sys; print(" ".join("%s:%s" % (c["title"], c["offline"]) for c in json.load(sys.stdin)))')"
set +e
lc add --now 2010-03-10T15:00 -- "[Team] Retro 4pm tomorrow" >"$work/out" 2>"$work/err"
rc=$?
set -e
check "an offline save exits 1" 1 "$rc"
check "an offline save says why and what to do" 2 \
  "$(grep -c -e "^failed to save new event ('Could not connect to 127.0.0.1" -e '^Check that the server is running' "$work/err")"
set +e
out=$(printf '[Team] Retro 4pm tomorrow\n[Personal] Notes 6pm tomorrow\n' | lc add --json --now 2010-03-10T15:00 - 2>"$work/err")
rc=$?
set -e
check "add - goes on after a server error and exits 1" "1 1:error:- 2:file:-" "$rc $(answers <<<"$out" | paste -sd' ')"
check "add - told the server error" 1 "$(grep -c "^failed to save new event ('Could not connect to 127.0.0.1" "$work/err")"

if [ "$fail" -ne 0 ]; then echo "caldav_cli: FAILED"; exit 1; fi
echo "caldav_cli: all checks passed"
