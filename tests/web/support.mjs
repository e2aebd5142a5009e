// What the page's tests share: the site served on localhost as a static host would serve it,
// headless Chromium (Debian's), a fresh page at a size, and the ways a person uses it.
//
// Environment: TARNWICK_SITE (the site folder), TARNWICK_ESTIMATE (the Linux batch command),
// TARNWICK_WEB_OUTPUT (where screenshots go), CHROMIUM (default /usr/bin/chromium).

import { spawn } from 'node:child_process';
import { mkdirSync, mkdtempSync, readFileSync, symlinkSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { once } from 'node:events';
import { createRequire } from 'node:module';
import { after, before } from 'node:test';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '../..');
export const site = process.env.TARNWICK_SITE ?? path.join(root, 'build-web/site');
export const estimate = process.env.TARNWICK_ESTIMATE ?? path.join(root, 'build/bin/tarnwick-estimate');
export const output = process.env.TARNWICK_WEB_OUTPUT ?? path.join(root, 'build-web/test-output');
mkdirSync(output, { recursive: true });

export const DESKTOP = { width: 1280, height: 800 };
export const PHONE = { width: 360, height: 640, isMobile: true, hasTouch: true, deviceScaleFactor: 2 };

// The flags that keep Chromium off the network it cannot reach here, as root, with no GPU.
export const CHROMIUM_FLAGS = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
  '--disable-dev-shm-usage'];

// Serves the site; resolves to { address, stop, requests }. With `log`, requests gathers the
// server's line for each request it answered. With `under` ('tools/tarnwick'), the site is a
// folder of the host's, and the address is that folder's.
export async function serve({ log = false, under = '' } = {}) {
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
  const address = line.toString().trim() + (under ? `${under}/` : '');
  return { address, stop: () => server.kill(), requests };
}

export async function launch(extraFlags = []) {
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    userDataDir: mkdtempSync(path.join(tmpdir(), 'tarnwick-chromium-')),
    args: [...CHROMIUM_FLAGS, ...extraFlags],
  });
}

// For a test file: the site served and a browser, from before its first test to after its last.
// Resolves nothing itself: its fields are set once the tests start.
export function useBrowser() {
  const context = {};
  before(async () => {
    context.server = await serve();
    context.browser = await launch();
  });
  after(async () => {
    await context.browser?.close();
    context.server?.stop();
  });
  context.open = (viewport, language) => open(context.browser, context.server.address, viewport, language);
  return context;
}

// Whether the core has taken over the form the HTML shows: typing is calculated at once.
export async function ready(page, timeout = 30000) {
  await page.waitForFunction(() => performance.getEntriesByName('tarnwick-ready').length > 0, { timeout });
}

// A fresh page at a viewport, opened at the site and ready for typing.
export async function open(browser, address, viewport = DESKTOP, language = 'en-US') {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  await page.setExtraHTTPHeaders({ 'Accept-Language': language });
  await page.evaluateOnNewDocument((lang) => {
    Object.defineProperty(navigator, 'language', { get: () => lang });
  }, language);
  page.on('dialog', (dialog) => dialog.accept()); // the browser's own leave-the-page question
  await page.goto(address, { waitUntil: 'load' });
  await ready(page);
  return page;
}

export async function textOf(page, selector) {
  return page.$eval(selector, (element) => element.value ?? element.textContent);
}

// Types into the serial field, as keys, and presses Enter.
export async function calculate(page, serial) {
  await page.click('#txtSerial', { clickCount: 3 });
  await page.keyboard.press('Backspace');
  await page.keyboard.type(serial);
  await page.keyboard.press('Enter');
}

// Pastes text into the focused field as a person does: the clipboard holds it, Ctrl+V pastes.
// Resolves to whether the page prevented the paste.
export async function paste(page, text) {
  const origin = new URL(page.url()).origin;
  await page.browserContext().overridePermissions(origin, ['clipboard-read', 'clipboard-write',
    'clipboard-sanitized-write']);
  await page.evaluate((clipboard) => navigator.clipboard.writeText(clipboard), text);
  const prevented = page.evaluate(() => new Promise((resolve) => {
    document.activeElement.addEventListener('paste', (event) => {
      setTimeout(() => resolve(event.defaultPrevented));
    }, { once: true });
  }));
  await page.keyboard.down('Control');
  await page.keyboard.press('KeyV', { commands: ['paste'] });
  await page.keyboard.up('Control');
  return prevented;
}

// The open message box: { title, text, buttons, focused }; null when none opens (at once, or
// within two seconds when waiting).
export async function messageBox(page, { wait = true } = {}) {
  if (wait) await page.waitForSelector('dialog.message-box[open]', { timeout: 2000 }).catch(() => null);
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
  await page.keyboard.press(key);
  await page.waitForSelector('dialog.message-box', { hidden: true });
}

// The polite live region's text once it has been filled (it is emptied first, then filled a
// moment later); empty when nothing was announced within three seconds.
export async function announced(page) {
  await page.waitForFunction(() => document.querySelector('#announcements').textContent !== '',
    { timeout: 3000 }).catch(() => null);
  return textOf(page, '#announcements');
}

const axeSource = createRequire(import.meta.url).resolve('axe-core/axe.min.js');

// What axe-core finds wrong with the page as it stands: "rule: elements" for each violation.
// (axe-core is evaluated as the browser's tools evaluate a script, which the page's
// Content-Security-Policy does not govern: the page itself runs no script but its own files.)
export async function violations(page) {
  await page.evaluate(readFileSync(axeSource, 'utf8'));
  const result = await page.evaluate(() => globalThis.axe.run(document));
  return result.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
}
