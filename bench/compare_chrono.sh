#!/usr/bin/env bash
# linecal's parser beside chrono-node 2.10.3, in one run on this machine:
#  1. per line, warm: parseEntry over bench/entry-corpus.txt (parse_bench) and
#     chrono.parse over the same lines in one node process;
#  2. whole processes over 10,000 of those lines, JSON out: `linecal parse -`
#     and one node process.
# chrono-node is installed by npm into a temporary folder, never into the project.
# Run after a Release build with -DLINECAL_BENCH=ON in build/release (or name
# the build folder in LINECAL_BUILD). The two sides run in turns, ROUNDS times
# (default 3), so that a busy machine slows both alike; each round prints its
# figures and the last lines give the ranges.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${LINECAL_BUILD:-build/release}
rounds=${ROUNDS:-3}
export TZ=America/Los_Angeles LC_ALL=en_US.UTF-8
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
npm install --prefix "$tmp" --silent --no-audit --no-fund --no-save chrono-node@2.10.3 >/dev/null
export NODE_PATH=$tmp/node_modules
corpus=bench/entry-corpus.txt
lines=$(grep -c . "$corpus")

/usr/bin/python3 - "$corpus" "$tmp/lines.txt" <<'PY'
import sys
entries = [l for l in open(sys.argv[1], encoding="utf-8").read().split("\n") if l]
open(sys.argv[2], "w", encoding="utf-8").write("\n".join(entries[i % len(entries)] for i in range(10000)) + "\n")
PY

for round in $(seq "$rounds"); do
  chrono_us=$(node bench/chrono_parse.mjs warm "$corpus" | /usr/bin/python3 -c 'import json,sys; print("%.2f" % json.load(sys.stdin)["microsPerLine"])')
  linecal_us=$("$bin/bench/parse_bench" --benchmark_filter='BM_ParseCorpus$' --benchmark_min_time=2 \
    --benchmark_format=json 2>/dev/null |
    /usr/bin/python3 -c "import json,sys; b=json.load(sys.stdin)['benchmarks'][0]; print('%.2f' % (b['cpu_time'] / 1000 / $lines))")
  echo "$chrono_us $linecal_us" >>"$tmp/warm.txt"
  echo "round $round, per line, warm, $lines lines: parseEntry $linecal_us µs, chrono.parse $chrono_us µs," \
    "ratio $(/usr/bin/python3 -c "print('%.1f' % ($chrono_us / $linecal_us))")x"

  hyperfine --warmup 2 --runs 10 --export-json "$tmp/runs-$round.json" \
    -n chrono-node "node bench/chrono_parse.mjs lines < $tmp/lines.txt > /dev/null" \
    -n "linecal parse -" "$bin/cli/linecal parse --now 2010-03-10T15:00 - < $tmp/lines.txt > /dev/null" >/dev/null
  /usr/bin/python3 - "$tmp/runs-$round.json" "$round" <<'PY'
import json, sys
r = {x["command"]: x for x in json.load(open(sys.argv[1]))["results"]}
node, ours = r["chrono-node"]["mean"] * 1000, r["linecal parse -"]["mean"] * 1000
print("round %s, 10,000 lines as a whole process: linecal parse - %.1f ms, chrono-node %.1f ms, ratio %.1fx"
      % (sys.argv[2], ours, node, node / ours))
PY
done

/usr/bin/python3 - "$tmp" "$rounds" <<'PY'
import json, sys
tmp, rounds = sys.argv[1], int(sys.argv[2])
warm = [tuple(map(float, l.split())) for l in open(tmp + "/warm.txt")]
ours = [w[1] for w in warm]
theirs = [w[0] for w in warm]
ratios = [c / l for c, l in warm]
print("per line, warm: parseEntry %.2f to %.2f µs against %.2f to %.2f µs: %.1fx to %.1fx faster"
      % (min(ours), max(ours), min(theirs), max(theirs), min(ratios), max(ratios)))
runs = []
for k in range(1, rounds + 1):
    r = {x["command"]: x for x in json.load(open("%s/runs-%d.json" % (tmp, k)))["results"]}
    runs.append((r["linecal parse -"]["mean"] * 1000, r["chrono-node"]["mean"] * 1000))
print("10,000 lines: %.0f to %.0f ms against %.0f to %.0f ms: %.1fx to %.1fx faster"
      % (min(o for o, _ in runs), max(o for o, _ in runs), min(n for _, n in runs), max(n for _, n in runs),
         min(n / o for o, n in runs), max(n / o for o, n in runs)))
PY
