#!/usr/bin/env bash
# The desktop program's times and weight under Xvfb: start to the dialog mapped on a first
# launch, a second start, `linecal show` and the hot key to the dialog mapped (medians of RUNS),
# then CPU, context switches and resident memory while it sits idle for IDLE seconds.
# Usage: desktop_report.sh PATH/TO/linecal-app PATH/TO/linecal [RUNS] [IDLE]
set -euo pipefail
app=$(realpath "${1:?usage: desktop_report.sh PATH/TO/linecal-app PATH/TO/linecal [RUNS] [IDLE]}")
cli=$(realpath "${2:?usage: desktop_report.sh PATH/TO/linecal-app PATH/TO/linecal [RUNS] [IDLE]}")
runs=${3:-10}
idle=${4:-30}
# shellcheck source=../tests/app/desktop_session.sh
. "$(dirname "$0")/../tests/app/desktop_session.sh"
desktop_enter "$0" "$@"
desktop_start

median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
close_dialog() { xdotool key Escape; wait_closed; }
timed() {  # timed COMMAND…: milliseconds from the command to the dialog mapped
  local t0
  t0=$(now_ms)
  "$@"
  wait_dialog
  echo $(($(now_ms) - t0))
}

: >"$work/first"
for _ in $(seq "$runs"); do
  rm -rf "$XDG_CONFIG_HOME/linecal"
  t0=$(now_ms)
  "$app" >/dev/null 2>&1 &
  pid=$!
  wait_dialog
  echo $(($(now_ms) - t0)) >>"$work/first"
  stop "$pid"
done

"$app" --show >"$work/app.log" 2>&1 &
pid=$!
desktop_pids+=("$pid")
wait_dialog
close_dialog
: >"$work/second"; : >"$work/show"; : >"$work/hotkey"
for _ in $(seq "$runs"); do
  timed "$app" >>"$work/second"; close_dialog
  timed "$cli" show >>"$work/show"; close_dialog
  timed xdotool key ctrl+alt+r >>"$work/hotkey"; close_dialog
done
echo "start to dialog mapped, first launch:  $(median <"$work/first") ms (median of $runs)"
echo "second start to dialog mapped:         $(median <"$work/second") ms"
echo "linecal show to dialog mapped:         $(median <"$work/show") ms"
echo "hot key to dialog mapped:              $(median <"$work/hotkey") ms"

# One save, so that the figures are those of a program that has done its work.
xdotool key ctrl+alt+r; wait_dialog
xdotool type "Lunch tomorrow noon"; xdotool key Return; wait_closed
sleep 2  # the save's pulse ends
switches() { awk '/^(non)?voluntary_ctxt_switches/ {s += $2} END {print s}' "/proc/$pid/status"; }
threads() { for t in /proc/$pid/task/*; do echo "$(cat "$t/comm") $(awk '/ctxt_switches/ {s += $2} END {print s}' "$t/status")"; done; }
threads >"$work/threads.before"
before=$(switches)
cpu=$(pidstat -u -p "$pid" "$idle" 1 | awk '/^Average/ && $NF == "linecal-app" {print $8}')
echo "idle for $idle s: CPU ${cpu}%, $(($(switches) - before)) context switches"
threads | paste -d' ' "$work/threads.before" - | awk '{printf "  thread %s: %d\n", $1, $4 - $2}'
echo "resident memory: $(awk '/^VmRSS/ {printf "%.1f MiB", $2 / 1024}' "/proc/$pid/status")"
