#!/usr/bin/env bash
# Times the batch command over every serial and over a registry's table, and shows that its
# memory does not grow with the input.
set -euo pipefail
build=${1:-build}
estimate="$build/bin/tarnwick-estimate"
work="$build/bench"
mkdir -p "$work"

measure() { # label input-file [options...]
    local label=$1 input=$2 start end
    shift 2
    start=$(date +%s.%N)
    /usr/bin/time -f '%M' -o "$work/rss.txt" "$estimate" "$@" < "$input" > /dev/null 2>&1 || true
    end=$(date +%s.%N)
    printf '%-34s %6.2f s, max resident %s KB\n' "$label" "$(echo "$end - $start" | bc)" \
        "$(tail -n 1 "$work/rss.txt")"
}

seq 1 2000000 > "$work/serials-2m.txt"
seq 1 15076231 > "$work/serials-all.txt"
# A registry's table: 1,000,000 rows of 5 columns, some quoted, serials spread over the range.
awk 'BEGIN { printf "Registry No,Owner,Model,Serial,Notes\r\n";
             for (i = 0; i < 1000000; i++)
                 printf "R%d,\"Owner, %d\",Tourer,%d,\"note \"\"%d\"\"\"\r\n",
                        i, i, 1 + (i * 7919) % 15076231, i }' > "$work/registry-1m.csv"

# Every day of the production period, as the result sentence writes it.
awk 'BEGIN { split("January February March April May June July August September October " \
                   "November December", name, " ");
             split("31 28 31 30 31 30 31 31 30 31 30 31", days, " ");
             for (y = 1908; y <= 1927; y++)
                 for (m = (y == 1908 ? 10 : 1); m <= 12; m++) {
                     if (y == 1912 && m > 10) continue;
                     n = days[m] + (m == 2 && y % 4 == 0);
                     if (y == 1912 && m == 10) { for (d = 1; d <= 31; d++)
                                                     printf "Oct-Dec %d, 1912\n", d; continue }
                     for (d = 1; d <= n; d++) printf "%s %d, %d\n", name[m], d, y } }' \
    > "$work/every-day.txt"

echo "tarnwick-estimate < FILE > /dev/null"
measure "2,000,000 serials (seq 1 2000000)" "$work/serials-2m.txt"
measure "every serial (seq 1 15076231)" "$work/serials-all.txt"
measure "--column Serial, 1,000,000 rows" "$work/registry-1m.csv" --column Serial
measure "--built-on, every day ($(wc -l < "$work/every-day.txt"))" "$work/every-day.txt" --built-on
start=$(date +%s.%N)
"$estimate" --built-on "December 31, 1927" > /dev/null
printf '%-34s %6.2f s\n' "--built-on, one day" "$(echo "$(date +%s.%N) - $start" | bc)"
