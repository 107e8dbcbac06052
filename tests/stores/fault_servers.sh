#!/usr/bin/env bash
# linecal against CalDAV servers that lie, stall or attack (tests/stores/fault_server.py), one
# fault per case, the way a user meets them: through the `linecal` command.
# Usage: fault_servers.sh PATH/TO/linecal CASE [sanitized]
#   CASE: entity-bomb foreign-host redirect-401 unknown-list unknown-outcome not-stored hanging answers
set -u
linecal=${1:?usage: fault_servers.sh PATH/TO/linecal CASE}
case_name=${2:?usage: fault_servers.sh PATH/TO/linecal CASE}
sanitized=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
pids=()
stop_servers() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  pids=()
}
trap 'stop_servers; rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
export TZ=Europe/Berlin LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8
unset DBUS_SESSION_BUS_ADDRESS
mkdir -p "$HOME" "$XDG_CONFIG_HOME/linecal" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
store=$work/calendars
mkdir -p "$store/personal" && echo Personal >"$store/personal/displayname"
lc() { "$linecal" --store "$store" --config "$work/linecal.conf" "$@"; }

# shellcheck source=../checks.sh
. "$here/../checks.sh"

# start_server FAULT NAME: a fault server, its address in ${NAME}_url and its log in ${NAME}_log.
start_server() {
  local fault=$1 name=$2
  local port_file=$work/$name.port log=$work/$name.log
  : >"$log"; rm -f "$port_file"
  /usr/bin/python3 "$here/fault_server.py" "$fault" "$port_file" "$log" &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$port_file" ] && break; sleep 0.05; done
  [ -s "$port_file" ] || { echo "FAIL the $fault server did not start"; exit 1; }
  printf -v "${name}_url" 'http://127.0.0.1:%s/' "$(cat "$port_file")"
  printf -v "${name}_log" '%s' "$log"
}
# add_account NAME URL: an account whose password comes from a command, its list not read yet.
add_account() {
  printf '[%s]\nurl=%s\nusername=alice\npassword-command=printf secret\n' "$1" "$2" \
    >>"$XDG_CONFIG_HOME/linecal/accounts.conf"
}
local_items() { find "$store" -name '*.ics' | wc -l; }
requests() { grep -c "\"method\": \"$2\"" "$1"; }

case $case_name in
entity-bomb)
  # An internal entity repeated two million times in a display name: 6 MB on the wire that libxml2
  # would expand to gigabytes. Refused before parsing, in bounded memory, and nothing cached.
  start_server entity-bomb bomb
  out=$( (if [ -z "$sanitized" ]; then ulimit -v 100000; fi
          lc accounts add bomb --url "$bomb_url" --username alice --password-command 'printf secret') 2>&1)
  check "accounts add against the bomb fails" 1 $?
  contains "and says why" "declares a document type or entities" "$out"
  check "no cache written" "" "$(ls "$XDG_CACHE_HOME/linecal" 2>/dev/null | grep json)"
  # A huge or damaged cache left by anything never stops a local save: it is ignored.
  mkdir -p "$XDG_CACHE_HOME/linecal"
  head -c 3000000 /dev/zero | tr '\0' 'a' >"$XDG_CACHE_HOME/linecal/caldav-bomb.json"
  out=$( (if [ -z "$sanitized" ]; then ulimit -v 100000; fi; lc add "Lunch tomorrow at noon") 2>&1)
  check "a local add beside a 3 MB cache works" 0 $?
  printf '{"url": "%s", "username": "alice", "calendars": [{"url": "x", "path": "/x/", "title": "%s", "components": [], "writable": true}]}' \
    "$bomb_url" "$(head -c 20000 /dev/zero | tr '\0' 'b')" >"$XDG_CACHE_HOME/linecal/caldav-bomb.json"
  lc add "Tea tomorrow at 5pm" >/dev/null 2>&1
  check "and beside a cache with an overlong title" 0 $?
  check "both saved locally" 2 "$(local_items)"
  ;;
foreign-host)
  # A principal named on another host (localhost, for an account on 127.0.0.1): nothing goes
  # there, let alone the password, and the message names both hosts.
  start_server foreign-principal foreign
  out=$(lc accounts add foreign --url "$foreign_url" --username alice --password-command 'printf secret' 2>&1)
  check "accounts add refuses" 1 $?
  port=${foreign_url#http://127.0.0.1:}; port=${port%/}
  contains "names the account's host" "127.0.0.1:$port" "$out"
  contains "names the other host" "localhost:$port" "$out"
  check "no request reached the other host" 0 "$(grep -c '"host": "localhost' "$foreign_log")"
  # A cache poisoned with a calendar elsewhere: the save is refused unsent.
  mkdir -p "$XDG_CACHE_HOME/linecal"
  printf '{"url": "%s", "username": "alice", "basicAuth": true, "calendars": [{"url": "http://localhost:%s/home/team/", "path": "/home/team/", "title": "Team", "components": [], "writable": true}]}' \
    "$foreign_url" "$port" >"$XDG_CACHE_HOME/linecal/caldav-foreign.json"
  out=$(lc add "[Team] Standup 9am tomorrow" 2>&1)
  check "a save to a calendar elsewhere fails" 1 $?
  contains "naming the other host" "localhost:$port" "$out"
  check "still nothing sent there" 0 "$(grep -c '"host": "localhost' "$foreign_log")"
  ;;
redirect-401)
  # A redirect to another host that then asks for a password: that host is named, and a good
  # account is not to be removed.
  start_server redirect-401 redirect
  out=$(lc accounts add redirect --url "${redirect_url}start/" --username alice --password-command 'printf secret' 2>&1)
  check "accounts add fails" 1 $?
  port=${redirect_url#http://127.0.0.1:}; port=${port%/}
  contains "names the host that asked" "localhost:$port, where 127.0.0.1 sent linecal, asked for a password" "$out"
  lacks "does not advise removing the account" "accounts remove" "$out"
  check "the password never went to the other host" 0 "$(grep '"host": "localhost' "$redirect_log" | grep -c '"auth": true')"
  ;;
unknown-list)
  # The server is down and its list was never read: "[Team] …" may well be a calendar there, so
  # the entry is refused, not saved locally under another name.
  start_server hang down
  kill "${pids[0]}"; wait "${pids[0]}" 2>/dev/null; pids=()  # the port now refuses connections
  add_account team "$down_url"
  out=$(lc add "[Team] Standup 9am tomorrow" 2>&1)
  check "the save fails" 1 $?
  contains "and says the list is unknown" "Could not reach 127.0.0.1; the list of its calendars is unknown, so [team] was not found: Could not connect" "$out"
  check "nothing saved locally" 0 "$(local_items)"
  out=$(lc add "[Personal] Standup 9am tomorrow" 2>&1)
  check "a local calendar's tag still saves" 0 $?
  out=$(lc add "Standup 9am tomorrow" 2>&1)
  check "as does a line with no tag" 0 $?
  check "both locally" 2 "$(local_items)"
  ;;
unknown-outcome)
  # The item reaches the server and the answer does not come back: the save may have landed, so
  # it is reported as such, and a retry with the same identifier stores no second copy.
  for fault in store-then-reset store-then-stall store-no-length; do
    start_server "$fault" srv
    rm -f "$XDG_CONFIG_HOME/linecal/accounts.conf"; add_account srv "$srv_url"
    lc calendars >/dev/null 2>&1
    out=$(lc add "[Team] Standup 9am tomorrow" 2>&1)
    check "$fault: the save fails" 1 $?
    contains "$fault: may have reached the server" "the item may have reached the server" "$out"
    uid=$(printf '%s\n' "$out" | sed -n 's/^To retry without a second copy: linecal add --uid \([^ ]*\) .*/\1/p')
    [ -n "$uid" ] || { echo "FAIL $fault: no identifier to retry with"; failures=$((failures + 1)); }
    stop_servers
  done
  # A connection that dies after a PUT on a connection already used is retried by libcurl
  # itself; the server's 412 then comes from the first copy, which a GET finds: saved.
  start_server store-then-reset srv
  rm -f "$XDG_CONFIG_HOME/linecal/accounts.conf"; add_account srv "$srv_url"
  lc add "[Team] Standup 9am tomorrow" >/dev/null 2>&1
  check "a reset after discovery on the same connection is found stored" 0 $?
  stop_servers
  # A retry against a server that then answers: 412 means the first copy is there.
  start_server store-then-reset srv
  rm -f "$XDG_CONFIG_HOME/linecal/accounts.conf"; add_account srv "$srv_url"
  lc calendars >/dev/null 2>&1  # the PUT then opens the connection: libcurl does not send it again
  out=$(lc add "[Team] Standup 9am tomorrow" 2>&1)
  uid=$(printf '%s\n' "$out" | sed -n 's/^To retry without a second copy: linecal add --uid \([^ ]*\) .*/\1/p')
  out=$(lc add --uid "$uid" "[Team] Standup 9am tomorrow" 2>&1)
  check "the retry with the same identifier succeeds" 0 $?
  check "two PUTs with the password, the second finding the first copy" 2 "$(grep "\"PUT\"" "$srv_log" | grep -c "\"auth\": true")"
  out=$(printf '[Team] Standup 9am tomorrow\n' | lc add --json - 2>/dev/null)
  check "a batch reports the unknown outcome with its identifier" '1 unknown outcome True' \
    "$(printf '%s' "$out" | /usr/bin/python3 -c 'import json,sys; o=json.load(sys.stdin); print(o["line"], o["error"], len(o["uid"]) > 10)')"
  ;;
not-stored)
  # Answers that say "taken" but store nothing are failures, not saves.
  start_server ok-not-stored ok
  add_account ok "$ok_url"
  out=$(lc add --json "[Team] Standup 9am tomorrow" 2>&1)
  check "200 with nothing stored fails" 1 $?
  contains "and says so" "answered HTTP 200 but did not store the item" "$out"
  lacks "no address printed as if saved" '"url"' "$out"
  start_server multistatus-507 full
  rm -f "$XDG_CONFIG_HOME/linecal/accounts.conf"; add_account full "$full_url"
  out=$(lc add "[Team] Standup 9am tomorrow" 2>&1)
  check "a 207 carrying 507 fails" 1 $?
  contains "with the status it carries" "HTTP 507" "$out"
  ;;
hanging)
  # Two accounts whose servers never answer, no lists cached: local entries never wait.
  start_server hang one; start_server hang two
  add_account one "$one_url"; add_account two "$two_url"
  lc add "Lunch tomorrow at noon" >/dev/null 2>&1
  check "a local add works" 0 $?
  lc preview "Lunch tomorrow at noon" >/dev/null 2>&1
  check "no server was asked for a local entry" "0 0" "$(wc -l <"$one_log") $(wc -l <"$two_log")"
  mkdir -p "$XDG_CACHE_HOME/linecal"
  # A batch of 1,000 lines to a hanging server's calendar: the first waits out the time limit,
  # the rest fail at once; a local line among them saves.
  printf '{"url": "%s", "username": "alice", "calendars": [{"url": "%shome/team/", "path": "/home/team/", "title": "Team", "components": [], "writable": true}]}' \
    "$one_url" "$one_url" >"$XDG_CACHE_HOME/linecal/caldav-one.json"
  { for i in $(seq 500); do echo "[Team] Item $i tomorrow"; done; echo "Local line tomorrow"
    for i in $(seq 499); do echo "[Team] Item $i tomorrow"; done; } >"$work/batch"
  start=$(date +%s)
  out=$(timeout 120 "$linecal" --store "$store" --config "$work/linecal.conf" add --json - <"$work/batch" 2>/dev/null)
  check "the batch fails" 1 $?
  echo "1,000 lines against a hanging server took $(( $(date +%s) - start )) s"
  check "every line answered" 1000 "$(printf '%s\n' "$out" | wc -l)"
  check "the local line saved" 2 "$(local_items)"
  # The connection the first line opened is the only one: the rest never waited.
  check "one attempt reached the server" 1 "$(requests "$one_log" CONNECT)"
  # A failed list is remembered for a minute: the next run does not wait again.
  rm -f "$XDG_CACHE_HOME/linecal/caldav-one.json"
  lc add "[Nowhere] Tea" >/dev/null 2>&1
  check "an unknown tag with servers down fails" 1 $?
  ls "$XDG_CACHE_HOME/linecal/" | grep -q 'caldav-one.failed'
  check "the failure is remembered" 0 $?
  before=$(cat "$one_log" "$two_log" | wc -l)
  lc add "[Nowhere] Tea" >/dev/null 2>&1
  check "and the next run does not ask again" "$before" "$(cat "$one_log" "$two_log" | wc -l)"
  ;;
answers)
  # Each line of a server batch is answered as soon as the server has: a reader sees answer N
  # before it sends line N+1.
  start_server none srv
  add_account srv "$srv_url"
  lc calendars >/dev/null 2>&1
  mkfifo "$work/in" "$work/out"
  lc add --json - <"$work/in" >"$work/out" 2>/dev/null &
  adder=$!
  exec 3>"$work/in" 4<"$work/out"
  answered=0
  for i in 1 2 3; do
    echo "[Team] Item $i tomorrow" >&3
    if read -r -t 20 answer <&4; then
      case $answer in *'"line":'"$i"*) answered=$((answered + 1)) ;; esac
    fi
  done
  exec 3>&- 4<&-
  wait "$adder"
  check "each line answered before the next was sent" 3 "$answered"
  ;;
*) echo "unknown case $case_name"; exit 2 ;;
esac

stop_servers
checks_done "fault_servers $case_name"
