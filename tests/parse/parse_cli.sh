#!/usr/bin/env bash
# `linecal parse` as scripts call it: exact JSON, exit codes, bad input.
set -u
linecal=$1
failures=0
check() {  # name expected actual
    if [ "$2" != "$3" ]; then
        printf 'FAIL %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3"
        failures=$((failures + 1))
    fi
}

out=$(TZ=UTC LC_ALL=en_US.UTF-8 "$linecal" parse --now 2010-03-10T15:00:00 -- "Buy groceries at 4pm tomorrow")
check "worked example" \
  '{"VOK_ALARMS":{},"VOK_ALL_DAY":false,"VOK_FROM_DATE":"2010-03-11T16:00:00+00:00","VOK_TASK":false,"VOK_TITLE":"Buy groceries","VOK_TO_DATE":"2010-03-11T16:00:00+00:00"}' "$out"

out=$(TZ=America/Los_Angeles LC_ALL=en_US.UTF-8 "$linecal" parse --now 2010-03-10T15:00 Call Bob @15m "[Work]" at the office)
check "words joined, offset shown" \
  '{"VOK_ALARMS":{"15m":15},"VOK_ALL_DAY":false,"VOK_CALENDAR":"work","VOK_FROM_DATE":"2010-03-10T16:15:00-08:00","VOK_LOCATION":"the office","VOK_TASK":false,"VOK_TITLE":"Call Bob","VOK_TO_DATE":"2010-03-10T16:15:00-08:00"}' "$out"

out=$(TZ=America/Los_Angeles LC_ALL=en_US.UTF-8 "$linecal" parse --now 2026-12-07T17:30 -- "Dinner the day after tomorrow at 7pm")
check "everyday phrases are listed" \
  '{"VOK_ALARMS":{},"VOK_ALL_DAY":false,"VOK_FROM_DATE":"2026-12-09T19:00:00-08:00","VOK_READ":["the day after tomorrow"],"VOK_TASK":false,"VOK_TITLE":"Dinner","VOK_TO_DATE":"2026-12-09T19:00:00-08:00"}' "$out"
"$linecal" --help | grep -q "tonight 20:00" || { echo "FAIL help names the hours of the parts of the day"; failures=$((failures + 1)); }

# Each resolution case: text, start, end.
while IFS='|' read -r text from to; do
    out=$(TZ=America/Los_Angeles LC_ALL=en_US.UTF-8 "$linecal" parse --now 2010-03-10T15:00:00 -- "$text")
    got=$(printf '%s' "$out" | sed -E 's/.*"VOK_FROM_DATE":"([^"]*)".*"VOK_TO_DATE":"([^"]*)".*/\1 \2/')
    check "$text" "$from $to" "$got"
done <<'CASES'
Trip Fri to Mon|2010-03-12T12:00:00-08:00|2010-03-15T12:00:00-07:00
Pay bills in 3 days 5pm|2010-03-13T17:00:00-08:00|2010-03-13T17:00:00-08:00
Meeting 2pm to 4pm|2010-03-11T14:00:00-08:00|2010-03-11T14:00:00-08:00
Review 1/5|2011-01-05T12:00:00-08:00|2011-01-05T12:00:00-08:00
CASES

printf 'Bad \xff\xfe text' > /tmp/linecal-bad-utf8.$$
"$linecal" parse -- "$(cat /tmp/linecal-bad-utf8.$$)" >/dev/null 2>/tmp/linecal-err.$$
check "invalid UTF-8 exit code" 2 $?
grep -q "not valid UTF-8" /tmp/linecal-err.$$ || { echo "FAIL invalid UTF-8 message"; failures=$((failures + 1)); }
"$linecal" parse --now 2010-13-45T99:00 -- "x" >/dev/null 2>/tmp/linecal-err.$$
check "bad --now exit code" 2 $?
grep -q "cannot read --now" /tmp/linecal-err.$$ || { echo "FAIL bad --now message"; failures=$((failures + 1)); }
rm -f /tmp/linecal-bad-utf8.$$ /tmp/linecal-err.$$

# Batch: one answer per non-blank line, in order, the same objects as the one-line form; a bad
# line answers with its number and the batch goes on; exit 2 at the end.
batch=$(printf 'Buy groceries at 4pm tomorrow\r\n\n   \nBad \xff line\nReview 1/5' |
        TZ=UTC LC_ALL=en_US.UTF-8 "$linecal" parse --now 2010-03-10T15:00:00 - 2>/tmp/linecal-err.$$)
check "batch exit code" 2 $?
single=$(TZ=UTC LC_ALL=en_US.UTF-8 "$linecal" parse --now 2010-03-10T15:00:00 -- "Review 1/5")
check "batch answers" "$(printf '%s\n%s\n%s' \
  '{"VOK_ALARMS":{},"VOK_ALL_DAY":false,"VOK_FROM_DATE":"2010-03-11T16:00:00+00:00","VOK_TASK":false,"VOK_TITLE":"Buy groceries","VOK_TO_DATE":"2010-03-11T16:00:00+00:00"}' \
  '{"error":"the entry text is not valid UTF-8","line":4}' "$single")" "$batch"
check "batch message" "linecal: line 4: the entry text is not valid UTF-8" "$(cat /tmp/linecal-err.$$)"

# A line of a megabyte (past what one argument may hold) and decimal amounts in a batch.
long=$(head -c 1048576 /dev/zero | tr '\0' 'x')
out=$(printf 'Nap for 1.5 hours\n%s [Work]\n' "$long" | TZ=UTC "$linecal" parse --now 2010-03-10T15:00 - |
      sed -E 's/"VOK_TITLE":"x+"/"VOK_TITLE":"x…"/; s/.*"VOK_FROM_DATE":"([^"]*)".*"VOK_TO_DATE":"([^"]*)".*/\1 \2/')
check "megabyte line and decimal amount" "$(printf '%s\n%s' "2010-03-10T16:15:00+00:00 2010-03-10T17:45:00+00:00" \
  "2010-03-10T16:15:00+00:00 2010-03-10T16:15:00+00:00")" "$out"
check "empty input" "0:" "$(printf '' | "$linecal" parse - ; echo "$?:")"
rm -f /tmp/linecal-err.$$

echo "parse_cli: $failures failed"
[ "$failures" -eq 0 ]
