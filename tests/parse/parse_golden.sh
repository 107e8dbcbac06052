#!/usr/bin/env bash
# The parser's answers over thousands of varied lines, byte for byte as recorded
# (tests/parse/golden/): a rework of the engine must not change a single record.
# To record again after an intended change of behaviour: parse_golden.sh LINECAL --record
set -u
linecal=$1
dir=$(dirname "$0")/golden
failures=0
run() {  # zone locale answers-file
    local out
    out=$(mktemp)
    TZ=$1 LC_ALL=$2 "$linecal" parse --now 2010-03-10T15:00:00 - <"$dir/lines.txt" >"$out" 2>/dev/null
    if [ "${RECORD:-}" = 1 ]; then
        cp "$out" "$dir/$3"
    elif ! cmp -s "$out" "$dir/$3"; then
        failures=$((failures + 1))
        echo "FAIL $1 $2: answers differ from $3"
        # The first differing answers, with the lines that gave them.
        diff <(cat "$dir/$3") "$out" | grep -E '^[0-9]' | head -5 | while read -r change; do
            n=${change%%[acd,]*}
            printf '  line %s: %s\n    was: %s\n    now: %s\n' "$n" "$(sed -n "${n}p" "$dir/lines.txt")" \
                "$(sed -n "${n}p" "$dir/$3")" "$(sed -n "${n}p" "$out")"
        done
    fi
    rm -f "$out"
}
[ "${2:-}" = --record ] && RECORD=1
run America/Los_Angeles en_US.UTF-8 answers-los-angeles-en-us.jsonl
run Europe/Berlin de_DE.UTF-8 answers-berlin-de-de.jsonl
echo "parse_golden: $failures failed"
[ "$failures" -eq 0 ]
