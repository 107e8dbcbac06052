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

echo "parse_cli: $failures failed"
[ "$failures" -eq 0 ]
