// The page's answers are the Linux build's: every figure of the calculation, the sentence and
// the messages, for every month's boundaries and a few thousand random serials, calculated by
// the page's own bridge in each engine and by tarnwick-estimate on Linux.

import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { test } from 'node:test';
import { estimate, forEachEngineWithSite } from './support.mjs';

const LAST = 15076231;

// One CSV record of the batch command's --csv output, quotes undone.
function fields(line) {
  const out = [];
  for (const match of line.matchAll(/("((?:[^"]|"")*)"|[^,]*)(,|$)/g)) {
    out.push(match[2] !== undefined ? match[2].replaceAll('""', '"') : match[1]);
    if (match[3] === '') break;
  }
  return out;
}

// Status 1 says that some input was not dated: its row says why.
function runEstimate(serials) {
  const run = spawnSync(estimate, ['--csv'], {
    input: serials.join('\n'),
    env: { ...process.env, LC_ALL: 'C.UTF-8' },
    maxBuffer: 64 << 20,
  });
  assert.ok(run.status === 0 || run.status === 1, `${estimate}: ${run.stderr}`);
  const text = run.stdout.toString();
  const [header, ...rows] = text.trimEnd().split('\n');
  const names = header.split(',');
  return rows.map((row) => Object.fromEntries(fields(row).map((value, i) => [names[i], value])));
}

// Every month's first and last serial, walked from serial 1 with the batch command; over the
// serials of no month, to the next serial that has one.
function monthBoundaries() {
  const boundaries = [];
  let serial = 1;
  while (serial <= LAST) {
    const [row] = runEstimate([serial]);
    if (row.error) {
      const block = Array.from({ length: 20000 }, (_, i) => serial + i).filter((s) => s <= LAST);
      const next = runEstimate(block).find((r) => !r.error);
      boundaries.push(serial - 1, serial, Number(next.serial) - 1);
      serial = Number(next.serial);
      continue;
    }
    boundaries.push(Number(row.first_serial), Number(row.last_serial));
    serial = Number(row.last_serial) + 1;
  }
  return boundaries;
}

// A repeatable stream of serials (mulberry32).
function randomSerials(count, seed) {
  const serials = [];
  for (let i = 0; i < count; i++) {
    seed = (seed + 0x6d2b79f5) | 0;
    let t = Math.imul(seed ^ (seed >>> 15), 1 | seed);
    t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
    serials.push(1 + Math.floor((((t ^ (t >>> 14)) >>> 0) / 4294967296) * LAST));
  }
  return serials;
}

// The serials asked and the command's answers, found once for every engine.
let asked;
function cases() {
  if (asked) return asked;
  const boundaries = monthBoundaries();
  assert.ok(boundaries.length > 450, `${boundaries.length / 2} months found`);
  const serials = [...new Set([0, LAST + 1, ...boundaries.flatMap((s) => [s - 1, s, s + 1]),
    ...randomSerials(3000, 20261208)])].filter((s) => s >= 0);
  asked = { serials, expected: runEstimate(serials) };
  return asked;
}

const RULE = 'every boundary and 3000 random serials give the Linux build\u2019s answers';
forEachEngineWithSite((web) => test(RULE, async () => {
  const { serials, expected } = cases();

  const page = await web.open();
  const answers = await page.evaluate((serials) => {
    const core = globalThis.tarnwickCore;
    return serials.map((serial) => {
      const form = new core.frmMainPage('en-US');
      form.load();
      const text = String(serial);
      form.edit('txtSerial', text, text.length);
      const outcome = form.click('cmdCalculate');
      const texts = form.texts();
      form.delete();
      return { texts, message: outcome.message?.text ?? '' };
    });
  }, serials);
  await page.close();

  const columns = {
    month: 'txtMonth', day: 'txtDate', year: 'txtYear', first_serial: 'txtFirstSerial',
    last_serial: 'txtLastSerial', production_total: 'txtProductionTotal',
    daily_average: 'txtProductionAverage', cars_to_month_end: 'txtCarsBuilt',
    days_to_month_end: 'txtEndOfMonthDays', sentence: 'lblDate',
  };
  let dated = 0;
  serials.forEach((serial, i) => {
    const want = expected[i];
    const got = answers[i];
    assert.equal(want.input, String(serial));
    assert.equal(got.message, want.error, `message for ${serial}`);
    if (want.error) return;
    dated++;
    for (const [column, control] of Object.entries(columns)) {
      assert.equal(got.texts[control], want[column], `${column} of ${serial}`);
    }
  });
  assert.ok(dated > 3000, `${dated} serials dated`);
}));
