#!/usr/bin/env bash
# Prints the medians the README quotes: per entry for parsing and for the whole
# keystroke, and the two command-line processes. Run after a Release build with
# -DLINECAL_BENCH=ON in build/release.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/release
median() {  # benchmark JSON on stdin: the median of the per-entry CPU times, in µs
  /usr/bin/python3 -c 'import json,statistics,sys; t=[b["cpu_time"]/1000 for b in json.load(sys.stdin)["benchmarks"]]; print("%.1f µs over %d entries (min %.1f, max %.1f)" % (statistics.median(t), len(t), min(t), max(t)))'
}
echo "parseEntry, per entry: $("$bin/bench/parse_bench" --benchmark_filter='BM_ParseEntry/' --benchmark_min_time=0.2 --benchmark_format=json 2>/dev/null | median)"
echo "keystroke (parse, build, both lines), per entry: $("$bin/bench/items_bench" --benchmark_filter='BM_Keystroke/' --benchmark_min_time=0.2 --benchmark_format=json 2>/dev/null | median)"
export XDG_DATA_HOME XDG_CONFIG_HOME
XDG_DATA_HOME=$(mktemp -d) XDG_CONFIG_HOME=$(mktemp -d)
hyperfine -N --warmup 5 --runs 50 \
  "$bin/cli/linecal parse --now 2010-03-10T15:00 -- 'Buy groceries at 4pm tomorrow'" \
  "$bin/cli/linecal add 'Buy groceries at 4pm tomorrow'" | grep -E 'Benchmark|Time'
rm -rf "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
