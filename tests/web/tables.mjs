// What the table tests share: a register of serials as CSV, the same register as workbooks that
// LibreOffice and Gnumeric make from it, the batch command's own dating of a file, a workbook
// read back as CSV by Gnumeric, and a table dated in the page as a person dates it.

import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { estimate, reachTools } from './support.mjs';

export const LAST = 15076231;

function run(command, args, options = {}) {
  const result = spawnSync(command, args, { maxBuffer: 256 << 20, ...options });
  assert.equal(result.error, undefined, `${command}: ${result.error}`);
  return result;
}

// Serials a registry holds: a repeatable stream of them (mulberry32), and among them the rows
// that are not dated and the ones written as spreadsheets write them.
export function registerCsv(rows, seed = 23) {
  let state = seed;
  const random = () => {
    state = (state + 0x6d2b79f5) | 0;
    let t = Math.imul(state ^ (state >>> 15), 1 | state);
    t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
  const special = ['400', '157425', '2831427', 'abc', '', '"1,234,567"', '0', '15076232', '5'];
  const lines = ['Owner,Serial,Body'];
  for (let i = 0; i < rows; i++) {
    const serial = i < special.length ? special[i] : String(1 + Math.floor(random() * LAST));
    lines.push(`Owner ${i + 1},${serial},Tourer`);
    if (i === 4) lines.push(''); // an empty row stays in its place
  }
  return `${lines.join('\r\n')}\r\n`;
}

// A folder of its own for a test's files, gone when the tests end.
const made = [];
process.on('exit', () => made.forEach((dir) => rmSync(dir, { recursive: true, force: true })));
export function scratch() {
  made.push(mkdtempSync(path.join(tmpdir(), 'tarnwick-table-')));
  return made.at(-1);
}

// The CSV file as LibreOffice Calc saves it as `format` (xlsx, ods), with a profile of the tests'
// own, which no other LibreOffice running at the same time shares.
let profile = null;
export function libreOffice(csv, format) {
  const dir = path.dirname(csv);
  profile ??= `file://${scratch()}`;
  const converted = run('soffice', [`-env:UserInstallation=${profile}`, '--headless', '--convert-to', format,
    '--infilter=CSV:44,34,76,1', '--outdir', dir, csv]);
  const out = path.join(dir, `${path.basename(csv, '.csv')}.${format}`);
  assert.ok(existsSync(out), `soffice made no ${out}: ${converted.stderr}`);
  return out;
}

// The file converted by Gnumeric's ssconvert (to a workbook, or back to CSV).
export function gnumeric(from, to, exporter) {
  const converted = run('ssconvert', [...(exporter ? ['-T', exporter] : []), from, to]);
  assert.ok(existsSync(to), `ssconvert made no ${to}: ${converted.stderr}`);
  return to;
}

// The command's own dating of a file: { status, stderr, out } (out: the dated file's path);
// `more`: further arguments (--portrait FILE).
export function dateNatively(file, out, column = 'Serial', more = []) {
  const result = run(estimate, ['--column', column, file, '--output', out, ...more],
    { env: { ...process.env, LC_ALL: 'C.UTF-8' } });
  return { status: result.status, stderr: result.stderr.toString(), out };
}

// A dated file's cells as Gnumeric reads them, as CSV text (a CSV file's own bytes as text).
export function cellsOf(file) {
  if (file.endsWith('.csv')) return readFileSync(file, 'utf8');
  return readFileSync(gnumeric(file, `${file}.cells.csv`), 'utf8');
}

// Chooses the file in the section, waits for its header's names, and Dates it with the column
// preselected; resolves to the texts the section's live region held, in order, once it is done.
export async function dateInPage(page, file, { timeout = 60000 } = {}) {
  await reachTools(page);
  await page.evaluate(() => {
    globalThis.tableStatus = [];
    new MutationObserver(() => globalThis.tableStatus.push(document.querySelector('#date-table-status').textContent))
      .observe(document.querySelector('#date-table-status'), { childList: true, characterData: true, subtree: true });
  });
  await page.upload('#date-table-file', file);
  await page.waitFor(() => !document.querySelector('#date-table-run').disabled, { timeout });
  await page.evaluate(() => { globalThis.tableStatus = []; });
  await page.click('#date-table-run');
  await page.waitFor(() => document.querySelector('#date-table').getAttribute('aria-busy') === 'false'
    && globalThis.tableStatus.some((text) => text.startsWith('Dating')), { timeout });
  return page.evaluate(() => globalThis.tableStatus);
}

export function writeScratch(dir, name, text) {
  const file = path.join(dir, name);
  writeFileSync(file, text);
  return file;
}

// CSV text as rows of fields (RFC 4180: quotes, doubled quotes; no line breaks inside fields).
export function parseCsv(text) {
  return text.replace(/^\uFEFF/, '').split(/\r?\n/).filter((line, i, all) => line !== '' || i < all.length - 1)
    .map((line) => {
      const fields = [];
      for (const match of line.matchAll(/("((?:[^"]|"")*)"|[^,]*)(,|$)/g)) {
        fields.push(match[2] !== undefined ? match[2].replaceAll('""', '"') : match[1]);
        if (match[3] === '') break;
      }
      return fields;
    });
}

// What the page should say of a table the command dated, read from the command's output: the
// summary, and the first rows as the preview shows them ([serial, built on]).
export function expectedFrom(cells, previewRows = 20) {
  const [header, ...rows] = parseCsv(cells);
  const at = (name) => header.indexOf(name);
  const answered = rows.filter((row) => row.some((field) => field !== ''));
  const dated = answered.filter((row) => row[at('estimate_error')] === '').length;
  const n = (count) => count.toLocaleString('en-US');
  const summary = `${n(answered.length)} ${answered.length === 1 ? 'row' : 'rows'}: ${n(dated)} dated, `
    + `${n(answered.length - dated)} not dated`;
  const preview = answered.slice(0, previewRows).map((row) => (row[at('estimate_error')] === ''
    ? `${row[at('estimate_month')]} ${row[at('estimate_day')]}, ${row[at('estimate_year')]}`
    : `Not dated: ${row[at('estimate_error')]}`));
  return { summary, preview };
}
