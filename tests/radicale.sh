# A real Radicale for the shell tests: 127.0.0.1 on a free port, the user alice (password
# "secret"), owner-only rights, storage in a folder of the test's own. Source it, then
#   radicale_start FOLDER      starts it and waits until it answers; $radicale_url is its address
#   radicale_mkcal NAME TITLE  makes /alice/NAME/ and prints the HTTP status
#   radicale_items NAME        the number of items in /alice/NAME/
#   radicale_stop              stops it by its own id (call it from the test's exit trap)
radicale_pid=""
radicale_url=""
radicale_dir=""

radicale_start() {
  radicale_dir=$1
  local port
  port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
  radicale_url=http://127.0.0.1:$port
  mkdir -p "$radicale_dir/storage"
  echo "alice:secret" >"$radicale_dir/users"
  cat >"$radicale_dir/config" <<CONF
[server]
hosts = 127.0.0.1:$port
[auth]
type = htpasswd
htpasswd_filename = $radicale_dir/users
htpasswd_encryption = plain
delay = 0
[rights]
type = owner_only
[storage]
filesystem_folder = $radicale_dir/storage
[web]
type = none
CONF
  /usr/bin/python3 -m radicale --config "$radicale_dir/config" >"$radicale_dir/log" 2>&1 &
  radicale_pid=$!
  for _ in $(seq 100); do [ "$(radicale_request PROPFIND /)" != 0 ] && return 0; sleep 0.1; done
  echo "radicale did not start:" >&2; cat "$radicale_dir/log" >&2
  return 1
}

radicale_stop() {  # by its own id, waiting at most 5 s before SIGKILL
  [ -n "$radicale_pid" ] || return 0
  kill "$radicale_pid" 2>/dev/null || true
  for _ in $(seq 50); do kill -0 "$radicale_pid" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$radicale_pid" 2>/dev/null || true
  wait "$radicale_pid" 2>/dev/null || true
  radicale_pid=""
}

radicale_request() {  # radicale_request METHOD PATH [BODY]: prints the HTTP status, 0 for no answer
  /usr/bin/python3 - "$radicale_url$2" "$1" "${3:-}" <<'PY'
import base64, sys, urllib.request, urllib.error
url, method, body = sys.argv[1:]
req = urllib.request.Request(url, data=body.encode() or None, method=method,
                             headers={"Authorization": "Basic " + base64.b64encode(b"alice:secret").decode()})
try:
    print(urllib.request.urlopen(req, timeout=5).status)
except urllib.error.HTTPError as e:
    print(e.code)
except OSError:
    print(0)
PY
}

radicale_mkcal() {
  radicale_request MKCALENDAR "/alice/$1/" "<?xml version=\"1.0\"?><C:mkcalendar xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\"><D:set><D:prop><D:displayname>$2</D:displayname></D:prop></D:set></C:mkcalendar>"
}

radicale_items() { find "$radicale_dir/storage/collection-root/alice/$1" -maxdepth 1 -name '*.ics' 2>/dev/null | wc -l; }
