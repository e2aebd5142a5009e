#!/usr/bin/env bash
# Times the batch command dating a registry's workbook of 100,000 rows, .xlsx and .ods, that
# Gnumeric writes from CSV: the median of three runs and the largest peak memory, against the
# targets: under 200 MiB for both, under 2 s for the .xlsx (Gnumeric's .ods of the same table
# holds twice its XML, and its time is shown beside it). Then the same with the register's
# portrait drawn too (--portrait, both files), the runs taken in turns with the plain ones so that
# the machine's moods fall on both alike: the portrait may add at most 10 %. Exits 1 when a run
# fails or misses a target.
#
# Usage: tools/bench-workbook.sh [BUILD]   (default build; the command is BUILD/bin)
set -euo pipefail
build=${1:-build}
estimate="$build/bin/tarnwick-estimate"
work="$build/bench"
rows=100000
target_seconds=2
target_mib=200
mkdir -p "$work"

for tool in ssconvert /usr/bin/time bc; do
    command -v "$tool" >/dev/null || { echo "bench-workbook: no $tool (tools/install-deps.sh)" >&2; exit 1; }
done

# A registry's table: serials spread over the range as number cells, with text, a figure and a
# date beside them; every 1,000th row's serial written with group separators (a text cell), and
# a few rows not dated.
csv="$work/registry-100k.csv"
awk -v rows="$rows" 'function grouped(n) { return n < 1000 ? n : grouped(int(n / 1000)) "," \
                                        sprintf("%03d", n % 1000) }
    BEGIN { printf "Registry No,Owner,Serial,Price,Bought\n";
    for (i = 0; i < rows; i++) {
        serial = 1 + (i * 7919) % 15076231
        if (i % 1000 == 999) serial = "\"" grouped(serial) "\""
        if (i % 25000 == 24999) serial = "unknown"
        printf "R%d,Owner %d,%s,%d.%02d,19%02d-%02d-%02d\n",
               i, i, serial, 100 + i % 9000, i % 100, 50 + i % 40, 1 + i % 12, 1 + i % 28 } }' \
    > "$csv"

failed=0
for kind in xlsx ods; do
    book="$work/registry-100k.$kind"
    LC_ALL=C.UTF-8 ssconvert "$csv" "$book" 2>/dev/null
    times=()
    portrayed=()
    peak=0
    status=0
    for run in 1 2 3; do
        for portrait in no yes; do
            rm -f "$work/dated.$kind" "$work/portrait.svg" "$work/months.csv"
            extra=()
            [ "$portrait" = yes ] && extra=(--portrait "$work/portrait.svg" --portrait "$work/months.csv")
            start=$(date +%s.%N)
            /usr/bin/time -f '%M' -o "$work/rss.txt" \
                "$estimate" --column Serial "$book" --output "$work/dated.$kind" "${extra[@]}" \
                >/dev/null 2>&1 || status=$?
            end=$(date +%s.%N)
            if [ "$portrait" = yes ]; then
                portrayed+=("$(echo "$end - $start" | bc)")
                [ -s "$work/portrait.svg" ] && [ -s "$work/months.csv" ] || status=99
            else
                times+=("$(echo "$end - $start" | bc)")
            fi
            kib=$(tail -n 1 "$work/rss.txt")
            [ "$kib" -gt "$peak" ] && peak=$kib
        done
    done
    median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 2p)
    with=$(printf '%s\n' "${portrayed[@]}" | sort -n | sed -n 2p)
    added=$(echo "scale=1; ($with - $median) * 100 / $median" | bc)
    mib=$(echo "scale=1; $peak / 1024" | bc)
    verdict=ok
    # Some rows are not dated on purpose: exit status 1 is the run's right answer.
    if [ "$status" -ne 1 ] || [ ! -s "$work/dated.$kind" ]; then
        verdict="FAILED (exit status $status)"
    elif { [ "$kind" = xlsx ] && [ "$(echo "$median >= $target_seconds" | bc)" -eq 1 ]; } ||
         [ "$(echo "$mib >= $target_mib" | bc)" -eq 1 ]; then
        verdict="over target"
    fi
    [ "$(echo "$added > 10" | bc)" -eq 1 ] && [ "$verdict" = ok ] && verdict="portrait over target"
    [ "$verdict" = ok ] || failed=1
    aim="target < $target_seconds s"
    [ "$kind" = xlsx ] || aim="no target"
    printf '%-44s %6.2f s (%s), peak %6.1f MiB (target < %s MiB): %s\n' \
        "--column Serial, $rows rows, .$kind ($(( $(stat -c %s "$book") / 1024 )) KiB)" \
        "$median" "$aim" "$mib" "$target_mib" "$verdict"
    printf '%-44s %6.2f s, %+.1f %% (target <= +10 %%)\n' "  ... with --portrait (.svg and .csv)" \
        "$with" "$added"
done
exit "$failed"
