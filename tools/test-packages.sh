#!/usr/bin/env bash
# The test packages of tests/web (puppeteer-core, axe-core, Lighthouse, and SheetJS and ExcelJS,
# which the workbook round trip uses too), installed from the npm registry as the lock file pins
# them, again only when the lock file changed since they were installed.
set -euo pipefail
tests=$(cd "$(dirname "$0")/../tests/web" && pwd)
stamp=$tests/node_modules/.tarnwick-lock
if ! cmp -s "$tests/package-lock.json" "$stamp" 2>/dev/null; then
    (cd "$tests" && npm ci --no-audit --no-fund --loglevel=error)
    cp "$tests/package-lock.json" "$stamp"
fi
