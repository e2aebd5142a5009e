#!/usr/bin/env bash
# Times the batch command over every serial and shows that its memory does not grow with the input.
set -euo pipefail
build=${1:-build}
estimate="$build/bin/tarnwick-estimate"

measure() { # count
    local start end
    start=$(date +%s.%N)
    seq 1 "$1" | /usr/bin/time -f '%M' -o "$build/bench-rss.txt" "$estimate" > /dev/null 2>&1 || true
    end=$(date +%s.%N)
    printf 'serials %9d: %6.2f s, max resident %s KB\n' "$1" "$(echo "$end - $start" | bc)" \
        "$(tail -n 1 "$build/bench-rss.txt")"
}

echo "seq 1 N | tarnwick-estimate > /dev/null"
measure 1000000
measure 15076231
