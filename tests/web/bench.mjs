// `make bench-web`: Chromium's own timing of the page. A first load from a fresh profile (no
// cache, no service worker) to the moment the serial field takes typing, the bytes it
// transferred (compressed, file by file), and the time from Enter to the sentence.
// Also the site's weight, file by file, as a static host's gzip sends it.
// Writes WEB_BUILD/test-output/measures.json and prints a summary.

import { readFileSync, readdirSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { gzipSync } from 'node:zlib';
import { calculate, launch, open, output, serve, site } from './support.mjs';

const RUNS = Number(process.env.RUNS ?? 5);

async function measureOnce(address) {
  const browser = await launch();
  const page = await open(browser, address);
  await page.waitForFunction(() => performance.getEntriesByName('tarnwick-ready').length > 0);
  const load = await page.evaluate(() => {
    const files = [...performance.getEntriesByType('navigation'), ...performance.getEntriesByType('resource')];
    return {
      usableFieldMs: performance.getEntriesByName('tarnwick-ready')[0].startTime,
      transferBytes: files.reduce((sum, file) => sum + file.transferSize, 0),
      files: Object.fromEntries(files.map((file) => [new URL(file.name).pathname, file.transferSize])),
    };
  });
  await page.evaluate(() => {
    globalThis.answerMs = new Promise((resolve) => {
      let pressed = 0;
      addEventListener('keydown', (event) => { if (event.key === 'Enter') pressed = performance.now(); }, true);
      new MutationObserver(() => resolve(performance.now() - pressed))
        .observe(document.querySelector('#lblDate'), { childList: true, characterData: true, subtree: true });
    });
  });
  await calculate(page, '400');
  const answerMs = await page.evaluate(() => globalThis.answerMs);
  await browser.close();
  return { ...load, answerMs };
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

const server = await serve();
const runs = [];
for (let i = 0; i < RUNS; i++) runs.push(await measureOnce(server.address));
server.stop();
const weights = Object.fromEntries(readdirSync(site, { recursive: true, withFileTypes: true })
  .filter((entry) => entry.isFile())
  .map((entry) => path.relative(site, path.join(entry.parentPath ?? entry.path, entry.name)))
  .sort()
  .map((file) => {
    const bytes = readFileSync(path.join(site, file));
    const packed = /\.(png|gif|woff2)$/.test(file) ? bytes.length : gzipSync(bytes, { level: 9 }).length;
    return [file, { bytes: bytes.length, sent: packed }];
  }));
const summary = {
  runs: RUNS,
  weights,
  usableFieldMs: median(runs.map((run) => run.usableFieldMs)),
  answerMs: median(runs.map((run) => run.answerMs)),
  transferBytes: runs[0].transferBytes,
  files: runs[0].files,
};
writeFileSync(path.join(output, 'measures.json'), `${JSON.stringify(summary, null, 2)}\n`);
console.log(`first load to a usable field: ${summary.usableFieldMs.toFixed(0)} ms (median of ${RUNS})`);
console.log(`transferred by the first load: ${(summary.transferBytes / 1024).toFixed(0)} KiB (compressed)`);
console.log('the site, file by file: size, and as sent compressed (KiB)');
let total = 0;
for (const [file, { bytes, sent }] of Object.entries(weights)) {
  total += sent;
  console.log(`  ${file.padEnd(36)} ${(bytes / 1024).toFixed(1).padStart(8)} ${(sent / 1024).toFixed(1).padStart(8)}`);
}
console.log(`  ${'all'.padEnd(36)} ${''.padStart(8)} ${(total / 1024).toFixed(1).padStart(8)}`);
console.log(`Enter to the sentence: ${summary.answerMs.toFixed(1)} ms (median of ${RUNS})`);
