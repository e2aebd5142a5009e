// `make bench-web`: how soon the calculator answers on a desktop (1280 x 800, no throttling), in
// Chromium, Firefox ESR and WebKitGTK, over the site as tools/web/serve.py serves it. Each run is
// a first visit (a fresh browser: no cache, no service worker; started on a blank page 2 s
// before the link is followed), timed by the page's own clock from the start of the navigation
// to the moment the core has taken the form over (its mark tarnwick-ready, from which the serial
// field calculates), opened plainly and as the link index.html?serial=400, whose answer must
// then stand in the form. Prints the median of ANSWER_RUNS (5) with its range for each; fails
// when Chromium's or WebKit's median is over 0.5 s. Writes WEB_BUILD/test-output/answer.json.
//
// Environment: ANSWER_RUNS; TARNWICK_ENGINES and the rest as for the page's tests
// (tests/web/engines.mjs, tests/web/support.mjs).

import { writeFileSync } from 'node:fs';
import { cpus, loadavg } from 'node:os';
import path from 'node:path';
import { setTimeout as sleep } from 'node:timers/promises';
import { DESKTOP, launchEngine, newPage, selected } from '../../../tests/web/engines.mjs';
import { output, serve } from '../../../tests/web/support.mjs';

const RUNS = Number(process.env.ANSWER_RUNS ?? 5);
const LIMIT_MS = 500;
const SETTLE_MS = 2000;
const HELD_TO_LIMIT = ['chromium', 'webkit'];
// [how the page is opened, the query, the answer the form must show then (none: the field waits)]
const OPENINGS = [
  ['plain', '', null],
  ['?serial=400', '?serial=400', '400 was built on January 9, 1909.'],
];

async function answerOnce(engine, address, answer) {
  const browser = await launchEngine(engine);
  try {
    const page = await newPage(browser, { viewport: DESKTOP });
    // As a person's browser is, open before the link is followed: the browser's own start (a
    // new profile made, its first tasks) is over before the navigation the page's clock times.
    await page.goto('about:blank');
    await sleep(SETTLE_MS);
    await page.goto(address);
    await page.waitFor(() => performance.getEntriesByName('tarnwick-ready').length > 0);
    const { ms, shown } = await page.evaluate(() => ({
      ms: performance.getEntriesByName('tarnwick-ready')[0].startTime,
      shown: document.querySelector('#lblDate').textContent,
    }));
    if (answer && shown !== answer) throw new Error(`${engine}, ${address}: the form shows "${shown}"`);
    await page.close();
    return ms;
  } finally {
    await browser.close();
  }
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const seconds = (ms) => (ms / 1000).toFixed(2);

const server = await serve();
const results = {};
try {
  for (const engine of selected) {
    for (const [name, query, answer] of OPENINGS) {
      const runs = [];
      for (let i = 0; i < RUNS; i++) runs.push(await answerOnce(engine, server.address + query, answer));
      (results[engine] ??= {})[name] = { runs, median: median(runs) };
    }
  }
} finally {
  server.stop();
}
writeFileSync(path.join(output, 'answer.json'), `${JSON.stringify(results, null, 2)}\n`);

console.log(`navigation to a calculator that answers, desktop ${DESKTOP.width} x ${DESKTOP.height},`
  + ` first visit; median of ${RUNS} (range), aim <= ${seconds(LIMIT_MS)} s in ${HELD_TO_LIMIT.join(' and ')}:`);
let missed = 0;
for (const [engine, openings] of Object.entries(results)) {
  for (const [name, { runs, median: ms }] of Object.entries(openings)) {
    const over = HELD_TO_LIMIT.includes(engine) && ms > LIMIT_MS;
    missed += over;
    console.log(`  ${engine.padEnd(9)} ${name.padEnd(12)} ${seconds(ms)} s`
      + ` (${seconds(Math.min(...runs))} to ${seconds(Math.max(...runs))} s)${over ? '  MISSED' : ''}`);
  }
}
console.log(`  the machine's load average: ${loadavg()[0].toFixed(1)} on ${cpus().length} cores`);
process.exitCode = missed ? 1 : 0;
