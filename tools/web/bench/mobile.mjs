// `make bench-web`, first part: Lighthouse's mobile settings (its default: a mid-range phone on a
// slow 4G connection, simulated) over the site as tools/web/serve.py serves it. Prints the
// performance, accessibility and best-practices scores, the paints, the blocking time, the
// layout shift and the bytes of the median run, and whether they meet the page's aims; writes
// WEB_BUILD/test-output/mobile.json and the median run's report as mobile.html (and as JSON,
// mobile-lhr.json).
//
// Environment: MOBILE_RUNS (default 3); the rest as for the page's tests (tests/web/support.mjs).

import { writeFileSync } from 'node:fs';
import { cpus, loadavg } from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';
import { pathToFileURL } from 'node:url';
import { launch, output, serve } from '../../../tests/web/support.mjs';

// Lighthouse is installed with the page tests' packages (tests/web/package.json).
const packages = createRequire(new URL('../../../tests/web/package.json', import.meta.url));
const { default: lighthouse } = await import(pathToFileURL(packages.resolve('lighthouse')));

const RUNS = Number(process.env.MOBILE_RUNS ?? 3);

// What a run must show: [audit or category, test, aim as said].
const AIMS = [
  ['performance', (v) => v >= 0.95, '>= 0.95'],
  ['accessibility', (v) => v >= 1, '1.0'],
  ['best-practices', (v) => v >= 1, '1.0'],
  ['largest-contentful-paint', (v) => v <= 1500, '<= 1.5 s'],
  ['cumulative-layout-shift', (v) => v < 0.01, '< 0.01'],
];

// One Lighthouse run: its figures (the categories' scores and the AUDITS' values), the audits
// that keep a category short of 1.0, and its report.
const AUDITS = ['first-contentful-paint', 'largest-contentful-paint', 'interactive',
  'total-blocking-time', 'cumulative-layout-shift', 'total-byte-weight'];
async function runOnce(address) {
  const browser = await launch();
  try {
    const port = Number(new URL(browser.wsEndpoint()).port);
    const categories = ['performance', 'accessibility', 'best-practices'];
    const { lhr, report } = await lighthouse(address, {
      port, output: 'html', logLevel: 'error', onlyCategories: categories,
    });
    const shortOf = (category) => lhr.categories[category].auditRefs
      .filter((ref) => ref.weight > 0 && (lhr.audits[ref.id].score ?? 1) < 1).map((ref) => ref.id);
    return {
      report,
      lhr,
      figures: Object.fromEntries([...categories.map((id) => [id, lhr.categories[id].score]),
        ...AUDITS.map((id) => [id, lhr.audits[id].numericValue])]),
      shortOf: Object.fromEntries(categories.slice(1).map((id) => [id, shortOf(id)])),
    };
  } finally {
    await browser.close();
  }
}

const server = await serve();
const runs = [];
try {
  for (let i = 0; i < RUNS; i++) runs.push(await runOnce(server.address));
} finally {
  server.stop();
}
// The median run by its performance score, so that its figures belong together.
const median = [...runs].sort((a, b) => a.figures.performance - b.figures.performance)[Math.floor(RUNS / 2)];
writeFileSync(path.join(output, 'mobile.html'), median.report);
writeFileSync(path.join(output, 'mobile-lhr.json'), JSON.stringify(median.lhr));
writeFileSync(path.join(output, 'mobile.json'),
  `${JSON.stringify({ runs: runs.map((run) => run.figures), median: median.figures }, null, 2)}\n`);

const f = median.figures;
const seconds = (ms) => `${(ms / 1000).toFixed(2)} s`;
console.log(`Lighthouse ${median.lhr.lighthouseVersion}, mobile (simulated slow 4G, 4x slower processor);`
  + ` the median of ${RUNS} runs by performance:`);
// The simulation slows what this machine did fourfold: a busy machine makes every task longer.
console.log(`  this machine: Lighthouse's benchmark index ${median.lhr.environment.benchmarkIndex.toFixed(0)},`
  + ` load average ${loadavg()[0].toFixed(1)} on ${cpus().length} cores`);
console.log(`  performance ${f.performance.toFixed(2)}, accessibility ${f.accessibility.toFixed(2)},`
  + ` best practices ${f['best-practices'].toFixed(2)}`);
console.log(`  FCP ${seconds(f['first-contentful-paint'])}, LCP ${seconds(f['largest-contentful-paint'])},`
  + ` TTI ${seconds(f.interactive)}, TBT ${f['total-blocking-time'].toFixed(0)} ms,`
  + ` CLS ${f['cumulative-layout-shift'].toFixed(3)}, ${(f['total-byte-weight'] / 1024).toFixed(0)} KiB`);
for (const [category, ids] of Object.entries(median.shortOf)) {
  if (ids.length) console.log(`  ${category} short of 1.0 by: ${ids.join(', ')}`);
}
const missed = AIMS.filter(([id, meets]) => !meets(f[id]));
for (const [id, , aim] of missed) console.log(`  MISSED: ${id} ${f[id]} (aim ${aim})`);
if (!missed.length) console.log('  every aim met');
process.exitCode = missed.length ? 1 : 0;
