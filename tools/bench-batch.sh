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

echo "tarnwick-estimate < FILE > /dev/null"
measure "2,000,000 serials (seq 1 2000000)" "$work/serials-2m.txt"
measure "every serial (seq 1 15076231)" "$work/serials-all.txt"
measure "--column Serial, 1,000,000 rows" "$work/registry-1m.csv" --column Serial
