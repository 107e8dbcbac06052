#!/usr/bin/env bash
# linecal's parser beside chrono-node 2.10.3, in one run on this machine:
#  1. per line, warm: parseEntry over bench/entry-corpus.txt (parse_bench) and
#     chrono.parse over the same lines in one node process;
#  2. whole processes over 10,000 of those lines, JSON out: `linecal parse -`
#     and one node process.
# chrono-node is installed by npm into a temporary folder, never into the project.
# Run after a Release build with -DLINECAL_BENCH=ON in build/release.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/release
export TZ=America/Los_Angeles LC_ALL=en_US.UTF-8
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
npm install --prefix "$tmp" --silent --no-audit --no-fund --no-save chrono-node@2.10.3 >/dev/null
export NODE_PATH=$tmp/node_modules
corpus=bench/entry-corpus.txt
lines=$(grep -c . "$corpus")

chrono_us=$(node bench/chrono_parse.mjs warm "$corpus" | /usr/bin/python3 -c 'import json,sys; print("%.2f" % json.load(sys.stdin)["microsPerLine"])')
linecal_us=$("$bin/bench/parse_bench" --benchmark_filter='BM_ParseCorpus$' --benchmark_min_time=2 \
  --benchmark_format=json 2>/dev/null |
  /usr/bin/python3 -c "import json,sys; b=json.load(sys.stdin)['benchmarks'][0]; print('%.2f' % (b['cpu_time'] / 1000 / $lines))")
echo "per line, warm, $lines lines: parseEntry $linecal_us µs, chrono.parse $chrono_us µs," \
  "ratio $(/usr/bin/python3 -c "print('%.1f' % ($chrono_us / $linecal_us))")x"

/usr/bin/python3 - "$corpus" "$tmp/lines.txt" <<'PY'
import sys
entries = [l for l in open(sys.argv[1], encoding="utf-8").read().split("\n") if l]
open(sys.argv[2], "w", encoding="utf-8").write("\n".join(entries[i % len(entries)] for i in range(10000)) + "\n")
PY
hyperfine --warmup 2 --runs 10 --export-json "$tmp/runs.json" \
  -n chrono-node "node bench/chrono_parse.mjs lines < $tmp/lines.txt > /dev/null" \
  -n "linecal parse -" "$bin/cli/linecal parse --now 2010-03-10T15:00 - < $tmp/lines.txt > /dev/null" >/dev/null
/usr/bin/python3 - "$tmp/runs.json" <<'PY'
import json, sys
r = {x["command"]: x for x in json.load(open(sys.argv[1]))["results"]}
node, ours = r["chrono-node"]["mean"] * 1000, r["linecal parse -"]["mean"] * 1000
print("10,000 lines as a whole process: linecal parse - %.1f ms, chrono-node %.1f ms, ratio %.1fx" % (ours, node, node / ours))
PY
