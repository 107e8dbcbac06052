#!/usr/bin/env bash
# Prints the figures the README quotes: per entry for parsing and for the whole
# keystroke, and the cold start of the command-line program as ratios to a
# process that does nothing, all measured in one hyperfine run. Run after a
# Release build with -DLINECAL_BENCH=ON in build/release; bench/compare_chrono.sh
# adds the comparison with chrono-node.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/release
export TZ=America/Los_Angeles LC_ALL=en_US.UTF-8
median() {  # benchmark JSON on stdin: the median of the per-entry CPU times, in µs
  /usr/bin/python3 -c 'import json,statistics,sys; t=[b["cpu_time"]/1000 for b in json.load(sys.stdin)["benchmarks"]]; print("%.1f µs over %d entries (min %.1f, max %.1f)" % (statistics.median(t), len(t), min(t), max(t)))'
}
echo "parseEntry, per entry: $("$bin/bench/parse_bench" --benchmark_filter='BM_ParseEntry/' --benchmark_min_time=0.2 --benchmark_format=json 2>/dev/null | median)"
echo "keystroke (parse, build, both lines), per entry: $("$bin/bench/items_bench" --benchmark_filter='BM_Keystroke/' --benchmark_min_time=0.2 --benchmark_format=json 2>/dev/null | median)"
echo "slowest 100 KB adversarial line: $("$bin/bench/parse_bench" --benchmark_filter='BM_Adversarial/.*/102400$' --benchmark_min_time=0.1 --benchmark_format=json 2>/dev/null |
  /usr/bin/python3 -c 'import json,sys; b=max(json.load(sys.stdin)["benchmarks"], key=lambda b: b["real_time"]); print("%.1f ms (%s)" % (b["real_time"], b["name"]))')"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
hyperfine -N --warmup 10 --runs 200 --export-json "$work/runs.json" \
  -n true /bin/true \
  -n parse "$bin/cli/linecal parse --now 2010-03-10T15:00 -- 'Buy groceries at 4pm tomorrow'" \
  -n help "$bin/cli/linecal --help" \
  -n add "$bin/cli/linecal add 'Buy groceries at 4pm tomorrow'" >/dev/null
/usr/bin/python3 - "$work/runs.json" <<'PY'
import json, sys
r = {x["command"]: x["mean"] * 1000 for x in json.load(open(sys.argv[1]))["results"]}
base = r["true"]
print("cold start, one run: /bin/true %.2f ms; " % base +
      "; ".join("linecal %s %.2f ms (%.1fx)" % (k, r[k], r[k] / base) for k in ("parse", "help", "add")))
PY
echo "linecal add - of 10,000 lines: $("$bin/bench/items_bench" --benchmark_filter='BM_AddBatchProcess' --benchmark_format=json 2>/dev/null |
  /usr/bin/python3 -c 'import json,sys; print("%.2f s" % (json.load(sys.stdin)["benchmarks"][0]["real_time"] / 1000))')"
