#!/usr/bin/env bash
# `make test-web`: the page's checks (tests/web/) in Debian's Chromium, Firefox ESR and WebKitGTK,
# against the site in WEB_BUILD/site and the Linux batch command in BUILD/bin. Screenshots and
# reports go to WEB_BUILD/test-output/. The test packages (puppeteer-core, which drives Chromium
# and Firefox and downloads no browser; selenium-webdriver, which drives WebKitWebDriver;
# axe-core; Lighthouse) come from the npm registry as the lock file pins.
#
# Usage: [WEB_ENGINES="chromium firefox webkit"] tools/web/test.sh [--bench] [WEB_BUILD] [BUILD]
#   (defaults: all three engines, build-web, build); `make test-web WEB_ENGINES=firefox` runs one.
#   --bench  instead of the checks, the benchmarks: Lighthouse's mobile figures (bench/mobile.mjs),
#            navigation to a calculator that answers on a desktop in each engine (bench/answer.mjs)
#            and Chromium's timing of the page (bench/page.mjs); fails when any misses an aim
set -euo pipefail
bench=false
if [ "${1:-}" = --bench ]; then
    bench=true
    shift
fi
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
web=$(cd "${1:-build-web}" && pwd)
build=$(cd "${2:-build}" && pwd)
tests=$root/tests/web

# The packages, again only when the lock file changed since they were installed.
stamp=$tests/node_modules/.tarnwick-lock
if ! cmp -s "$tests/package-lock.json" "$stamp" 2>/dev/null; then
    (cd "$tests" && npm ci --no-audit --no-fund --loglevel=error)
    cp "$tests/package-lock.json" "$stamp"
fi

mkdir -p "$web/test-output"
export TARNWICK_SITE=$web/site
export TARNWICK_ESTIMATE=$build/bin/tarnwick-estimate
export TARNWICK_WEB_OUTPUT=$web/test-output
export TARNWICK_ENGINES=${WEB_ENGINES:-chromium firefox webkit}
cd "$tests"
if $bench; then
    status=0
    node "$here/bench/mobile.mjs" || status=1
    node "$here/bench/answer.mjs" || status=1
    node "$here/bench/page.mjs" || status=1
    exit $status
fi
rm -rf "$web/test-output"/*
# One file at a time: each starts its own server and browsers, and two cores are few. A case
# that hangs fails by its name after ten minutes, rather than holding the whole run.
node --test --test-concurrency=1 --test-timeout=600000 ./*.test.mjs
