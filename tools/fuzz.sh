#!/usr/bin/env bash
# Builds the fuzzers of tests/fuzz with clang, libFuzzer and the address and undefined behaviour
# sanitizers, then runs each for SECONDS on a fresh copy of its seed corpus (the committed corpus
# is never written). Any crash, sanitizer report, leak or hang fails the run; the input that
# caused it is kept under BUILD/artifacts/.
#
# Usage: tools/fuzz.sh [SECONDS]          (default 60 per fuzzer)
# Environment: FUZZ_BUILD  build folder (default build-fuzz), FUZZ_JOBS  parallel compile jobs
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build=${FUZZ_BUILD:-build-fuzz}
jobs=${FUZZ_JOBS:-$(nproc)}
fuzzers=(fuzz_numberrules fuzz_fieldset fuzz_batch fuzz_input fuzz_builton fuzz_workbook)

tools/install-deps.sh clang libclang-rt-14-dev

CC=clang CXX=clang++ cmake -S tests/fuzz -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$jobs" --target "${fuzzers[@]}" | grep -E 'error|warning' || true
for fuzzer in "${fuzzers[@]}"; do
    [ -x "$build/$fuzzer" ] || { echo "fuzz: $fuzzer did not build" >&2; exit 1; }
done

failed=0
mkdir -p "$build/artifacts"
for fuzzer in "${fuzzers[@]}"; do
    corpus="$build/corpus/$fuzzer"
    rm -rf "$corpus" && mkdir -p "$corpus"
    cp tests/fuzz/corpus/"$fuzzer"/* "$corpus"/
    options=(-max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048
             -artifact_prefix="$build/artifacts/$fuzzer-")
    [ -f "tests/fuzz/$fuzzer.dict" ] && options+=(-dict="tests/fuzz/$fuzzer.dict")
    log="$build/$fuzzer.log"
    status=0
    "$build/$fuzzer" "${options[@]}" "$corpus" >"$log" 2>&1 || status=$?
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
    if [ "$status" -eq 0 ]; then
        printf '%-18s %12s executions in %s s, no findings\n' "$fuzzer" "${executions:-?}" "$seconds"
    else
        failed=1
        printf '%-18s FAILED (exit %s) after %s executions; log: %s\n' \
            "$fuzzer" "$status" "${executions:-?}" "$log" >&2
        grep -E -A12 "^$fuzzer:|ERROR: |runtime error|SUMMARY" "$log" | head -n 40 >&2 || true
        artifact=$(sed -n 's/.*Test unit written to //p' "$log" | tail -n1)
        [ -z "$artifact" ] || echo "  replay: $build/$fuzzer $artifact" >&2
    fi
done
exit "$failed"
