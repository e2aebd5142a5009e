// What the page's tests share: the site served on localhost as a static host would serve it, a
// fresh page of an engine's at a size (engines.mjs), and the ways a person uses the page.
//
// Environment: TARNWICK_SITE (the site folder), TARNWICK_ESTIMATE (the Linux batch command),
// TARNWICK_WEB_OUTPUT (where screenshots go); engines.mjs reads the browsers' own.

import { spawn } from 'node:child_process';
import { mkdirSync, mkdtempSync, readFileSync, symlinkSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { once } from 'node:events';
import { createServer, request as httpRequest } from 'node:http';
import { createRequire } from 'node:module';
import { fileURLToPath } from 'node:url';
import { after, before } from 'node:test';
import { DESKTOP, PHONE, downloaded, downloadsOf, forEachEngine, launchEngine, newPage } from './engines.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '../..');
export const site = process.env.TARNWICK_SITE ?? path.join(root, 'build-web/site');
export const estimate = process.env.TARNWICK_ESTIMATE ?? path.join(root, 'build/bin/tarnwick-estimate');
export const output = process.env.TARNWICK_WEB_OUTPUT ?? path.join(root, 'build-web/test-output');
mkdirSync(output, { recursive: true });

export { DESKTOP, PHONE, downloaded, downloadsOf, newPage };

// The servers started, ended with the tests whether or not their cases stopped them.
const servers = new Set();
process.on('exit', () => servers.forEach((server) => server.kill()));

// Serves the site; resolves to { address, stop, requests, letThrough, askedFor }. With `log`, requests
// gathers the server's line for each request it answered. With `under` ('tools/tarnwick'), the
// site is a folder of the host's, and the address is that folder's. With `hold` (a file's name,
// or a list of them), requests for those files wait until letThrough() is called.
export async function serve({ log = false, under = '', hold = '' } = {}) {
  let served = site;
  if (under) {
    served = mkdtempSync(path.join(tmpdir(), 'tarnwick-host-'));
    mkdirSync(path.join(served, path.dirname(under)), { recursive: true });
    symlinkSync(site, path.join(served, under));
    writeFileSync(path.join(served, 'index.html'), '<!doctype html><title>The host\'s own page</title>\n');
  }
  const server = spawn('python3', [path.join(root, 'tools/web/serve.py'), served, '--port', '0',
    ...(log ? [] : ['--quiet'])], { stdio: ['ignore', 'pipe', log ? 'pipe' : 'inherit'] });
  const requests = [];
  server.stderr?.on('data', (chunk) => requests.push(...chunk.toString().split('\n').filter(Boolean)));
  const [line] = await once(server.stdout, 'data');
  // A case that fails before it stops its server must not keep the test file from ending.
  for (const handle of [server, server.stdout, server.stderr]) handle?.unref();
  servers.add(server);
  const address = line.toString().trim() + (under ? `${under}/` : '');
  if (!hold) return { address, stop: () => server.kill(), requests };
  const { proxy, letThrough, askedFor } = await holding(address, hold);
  const stop = () => { proxy.close(); proxy.closeAllConnections(); server.kill(); };
  return { address: `http://127.0.0.1:${proxy.address().port}/`, stop, requests, letThrough, askedFor };
}

// A server in front of `address` that holds back the requests for the files `held` names until
// letThrough(); askedFor(name) resolves once a held file has been asked for.
async function holding(address, held) {
  const gate = deferred();
  const asked = new Map([held].flat().map((name) => [name, deferred()]));
  const proxy = createServer(async (request, response) => {
    const { pathname } = new URL(request.url, address);
    const name = [...asked.keys()].find((file) => pathname.endsWith(`/${file}`));
    if (name) {
      asked.get(name).resolve();
      await gate.promise;
    }
    const onward = httpRequest(new URL(request.url, address), { method: request.method, headers: request.headers },
      (answer) => { response.writeHead(answer.statusCode, answer.headers); answer.pipe(response); });
    onward.on('error', () => response.destroy());
    request.pipe(onward);
  }).listen(0, '127.0.0.1');
  await once(proxy, 'listening');
  proxy.unref();
  return { proxy, letThrough: gate.resolve, askedFor: (name) => asked.get(name).promise };
}

// A promise and the function that resolves it.
function deferred() {
  let resolve;
  const promise = new Promise((done) => { resolve = done; });
  return { promise, resolve };
}

// Chromium, as the benchmarks and Chromium's own checks use it (puppeteer's whole interface).
export function launch(extraFlags = []) {
  return launchEngine('chromium', extraFlags);
}

// For a test file: its cases, written once, run in each engine (engines.mjs), with the site
// served from before an engine's first case to after its last. `web.open(viewport, language)`
// opens a page ready for typing; `web.output(name)` is where a screenshot of that name goes.
export function forEachEngineWithSite(cases) {
  forEachEngine((web) => {
    before(async () => { web.server = await serve(); });
    after(() => web.server?.stop());
    web.open = (viewport, language) => open(web.browser, web.server.address, viewport, language);
    web.output = (name) => path.join(output, web.name === 'chromium' ? name : `${web.name}-${name}`);
    cases(web);
  });
}

// Until the core has taken over the form the HTML shows (typing is calculated at once) and the
// table tools, which come after it, take their input; on a touch-first device, where the tools
// come once they are scrolled toward, until the core has.
export async function ready(page, timeout = 30000) {
  await page.waitFor((touchFirst) => performance.getEntriesByName('tarnwick-tools').length > 0
    || (matchMedia(touchFirst).matches && performance.getEntriesByName('tarnwick-ready').length > 0),
  { timeout, args: [TOUCH_FIRST] });
}

// A touch-first device, a phone or a tablet, as the page itself tells one.
const TOUCH_FIRST = '(hover: none) and (pointer: coarse)';
export const isTouchFirst = (page) => page.evaluate((query) => matchMedia(query).matches, TOUCH_FIRST);

// Scrolls to the table tools, as a person goes to them, and waits until they take input.
export async function reachTools(page, timeout = 30000) {
  await page.evaluate(() => document.querySelector('#date-table').scrollIntoView());
  await page.waitFor(() => performance.getEntriesByName('tarnwick-tools').length > 0, { timeout });
}

// A fresh page at a viewport, opened at the site and ready for typing.
export async function open(browser, address, viewport = DESKTOP, language = 'en-US') {
  const page = await newPage(browser, { viewport, language });
  await page.goto(address);
  await ready(page);
  return page;
}

// The value of a field, else the text of an element.
export async function textOf(page, selector) {
  return page.evaluate((s) => {
    const element = document.querySelector(s);
    return element.value ?? element.textContent;
  }, selector);
}

// Whether an element is there (and, for a dialog, open).
export function has(page, selector) {
  return page.evaluate((s) => document.querySelector(s) !== null, selector);
}

export async function waitForSelector(page, selector, { hidden = false, timeout = 30000 } = {}) {
  await page.waitFor((s, gone) => (document.querySelector(s) === null) === gone, { timeout, args: [selector, hidden] });
}

// Empties a field as a person does: clicks into it, selects all, deletes.
export async function clear(page, selector) {
  await page.click(selector);
  await page.press('a', ['Control']);
  await page.press('Backspace');
}

// Types into the serial field, as keys, over what it held, and presses Enter.
export async function calculate(page, serial) {
  await clear(page, '#txtSerial');
  await page.keys(serial);
  await page.press('Enter');
}

// Types a day into a date field as a person with a US English browser does: month, day and year,
// each part's digits and a slash to the next part. Resolves to the field's value.
export async function typeDay(page, selector, day) {
  const [year, month, date] = day.split('-');
  await page.evaluate((s) => {
    document.querySelector(s).value = '';
    document.activeElement?.blur(); // focused afresh, the field starts at its first part
  }, selector);
  await page.focus(selector);
  if (page.engine === 'chromium') { // Chromium focuses the field's last part, the year
    await page.press('ArrowLeft');
    await page.press('ArrowLeft');
  }
  await page.keys(`${month}/${date}/${year}`);
  return textOf(page, selector);
}

// Pastes text into the focused field as a person does: the clipboard holds it, Ctrl+V pastes.
// Resolves to whether the page prevented the paste. (Chromium: puppeteer grants the clipboard.)
// The listener is in place before the keys are sent: the protocol may deliver a key before a
// script sent ahead of it.
export async function paste(page, text) {
  const origin = new URL(page.url()).origin;
  await page.browserContext().overridePermissions(origin, ['clipboard-read', 'clipboard-write',
    'clipboard-sanitized-write']);
  await page.evaluate((clipboard) => navigator.clipboard.writeText(clipboard), text);
  await page.evaluate(() => {
    globalThis.tarnwickPasted = new Promise((resolve) => {
      document.activeElement.addEventListener('paste', (event) => {
        setTimeout(() => resolve(event.defaultPrevented));
      }, { once: true });
    });
  });
  await page.keyboard.down('Control');
  await page.keyboard.press('KeyV', { commands: ['paste'] });
  await page.keyboard.up('Control');
  return page.evaluate(() => Promise.race([globalThis.tarnwickPasted,
    new Promise((resolve, reject) => { setTimeout(() => reject(new Error('no paste event came')), 10000); })]));
}

// The open message box: { title, text, buttons, focused }; null when none opens (at once, or
// within ten seconds when waiting, as long as the box has not yet taken the focus).
export async function messageBox(page, { wait = true } = {}) {
  if (wait) {
    await page.waitFor(() => document.querySelector('dialog.message-box[open]')?.contains(document.activeElement),
      { timeout: 10000 }).catch(() => null);
  }
  return page.evaluate(() => {
    const box = document.querySelector('dialog.message-box[open]');
    if (!box) return null;
    return {
      title: box.querySelector('h2').textContent,
      text: box.querySelector('p').textContent,
      buttons: [...box.querySelectorAll('button')].map((button) => button.textContent),
      focused: document.activeElement?.textContent ?? null,
    };
  });
}

// Presses a key in the open message box and waits until the box has gone and the page has
// shown what came of the answer.
export async function answerBox(page, key) {
  await page.evaluate(() => { globalThis.answeredBox = document.querySelector('dialog.message-box[open]'); });
  await page.press(key);
  // The box is closed at once and taken out of the page by its close event, a task later, in
  // which its answer is given: the page has the answer once the box has gone.
  await page.waitFor(() => !globalThis.answeredBox?.isConnected, { timeout: 30000 });
}

// The polite live region's text once it has been filled (it is emptied first, then filled a
// moment later); empty when nothing was announced within ten seconds.
export async function announced(page) {
  await page.waitFor(() => document.querySelector('#announcements').textContent !== '',
    { timeout: 10000 }).catch(() => null);
  return textOf(page, '#announcements');
}

const axeSource = createRequire(import.meta.url).resolve('axe-core/axe.min.js');

// What axe-core finds wrong with the page as it stands: "rule: elements" for each violation.
// (axe-core is evaluated as the browser's tools evaluate a script, which the page's
// Content-Security-Policy does not govern: the page itself runs no script but its own files.)
export async function violations(page) {
  await page.evaluate(new Function(readFileSync(axeSource, 'utf8')));
  const result = await page.evaluate(() => globalThis.axe.run(document).then((r) => JSON.parse(JSON.stringify(r))));
  return result.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
}
