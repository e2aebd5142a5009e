// The browsers the page's tests run in, all from Debian's packages, and one way to use a page in
// each: Chromium (puppeteer over its DevTools protocol), Firefox ESR (puppeteer over WebDriver
// BiDi) and WebKitGTK (its classic WebDriver, WebKitWebDriver, driving MiniBrowser under a
// virtual X display). A test file writes its cases once, inside `forEachEngine`, against the
// Page below; what an engine cannot do here is in LACKS, and a case that needs it is skipped
// there with that reason.
//
// Environment: TARNWICK_ENGINES (the engines to run, separated by spaces or commas; all three
// by default), CHROMIUM, FIREFOX, WEBKIT_MINIBROWSER (the browsers' executables).

import { spawn, spawnSync } from 'node:child_process';
import { once } from 'node:events';
import { mkdirSync, mkdtempSync, readdirSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:net';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { after, before, describe } from 'node:test';
import { setTimeout as sleep } from 'node:timers/promises';
import puppeteer from 'puppeteer-core';
import { Builder, By, Key } from 'selenium-webdriver';

export const ENGINES = ['chromium', 'firefox', 'webkit'];

export const selected = (process.env.TARNWICK_ENGINES || ENGINES.join(' ')).split(/[\s,]+/).filter(Boolean);
for (const name of selected) {
  if (!ENGINES.includes(name)) throw new Error(`TARNWICK_ENGINES: no engine ${name} (${ENGINES.join(', ')})`);
}

// The narrowest page MiniBrowser's window gives.
const MINIBROWSER_NARROWEST = 447;
const SESSION_START_MS = 60000;

// What each engine cannot do here, and why.
const LACKS = {
  chromium: {},
  firefox: {
    devtools: 'Lighthouse, request interception and CPU throttling speak Chromium\'s DevTools protocol',
    accessibilityTree: 'puppeteer reads the accessibility tree through Chromium\'s DevTools protocol only',
    layoutShift: 'Firefox reports no layout-shift performance entries',
    clipboard: 'WebDriver BiDi cannot grant the clipboard-read and clipboard-write permissions',
    touch: 'WebDriver BiDi emulates no touch screen or mobile viewport',
  },
  webkit: {
    devtools: 'Lighthouse, request interception and CPU throttling speak Chromium\'s DevTools protocol',
    accessibilityTree: 'classic WebDriver gives no accessibility tree',
    layoutShift: 'WebKit reports no layout-shift performance entries',
    clipboard: 'classic WebDriver has no clipboard, and navigator.clipboard needs a person\'s gesture',
    touch: 'classic WebDriver emulates no touch screen, mobile viewport or pixel ratio',
    requestLog: 'classic WebDriver reports none of the requests a page makes',
    narrowViewport: `MiniBrowser's window is never narrower than ${MINIBROWSER_NARROWEST} px, so a 360 px page cannot be had`,
  },
};

// The settings that keep Chromium off the network it cannot reach here, as root, with no GPU.
export const CHROMIUM_FLAGS = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
  '--disable-dev-shm-usage'];

// Folders of the browsers' own (profiles, downloads, homes), gone when the tests end.
const scratchDirs = [];
process.on('exit', () => scratchDirs.forEach((dir) => rmSync(dir, { recursive: true, force: true })));
function scratchDir(name) {
  scratchDirs.push(mkdtempSync(path.join(tmpdir(), `tarnwick-${name}-`)));
  return scratchDirs.at(-1);
}

// Puppeteer's key names, as classic WebDriver sends them.
const WEBDRIVER_KEYS = {
  Enter: Key.ENTER, Backspace: Key.BACK_SPACE, Tab: Key.TAB, Escape: Key.ESCAPE, Space: ' ',
  ArrowLeft: Key.ARROW_LEFT, ArrowRight: Key.ARROW_RIGHT, Alt: Key.ALT, Control: Key.CONTROL,
};

// The one finished file in `dir`, none still being written: its path, once it is there and its
// size has stood still for 0.3 s (WebKitGTK writes a download under its own name, and a busy
// machine was seen to read one before its end).
export async function downloaded(dir, timeout = 20000) {
  const partial = /\.(crdownload|part|download)$/;
  let last = null; // "name size" at the last look
  for (const start = Date.now(); Date.now() - start < timeout;) {
    const files = readdirSync(dir).filter((name) => !name.startsWith('.'));
    const now = files.length === 1 && !partial.test(files[0])
      ? `${files[0]} ${statSync(path.join(dir, files[0])).size}` : null;
    if (now && now === last) return path.join(dir, files[0]);
    last = now;
    await sleep(300);
  }
  throw new Error(`no finished download in ${dir}: ${readdirSync(dir).join(', ')}`);
}

// `wrapper`, with what it does not have itself taken from puppeteer's own `raw` object (the
// benchmarks and Chromium's own checks use puppeteer's whole interface).
function overRaw(wrapper) {
  return new Proxy(wrapper, {
    get(target, key) {
      if (key in target || !target.raw) return target[key];
      const value = target.raw[key];
      return typeof value === 'function' ? value.bind(target.raw) : value;
    },
  });
}

// A page in Chromium or Firefox, through puppeteer.
class PuppeteerPage {
  constructor(engine, page) {
    this.engine = engine;
    this.raw = page;
    return overRaw(this);
  }

  goto(url, { wait = 'load' } = {}) {
    const going = this.raw.goto(url, { waitUntil: 'load', timeout: wait === 'load' ? 30000 : 0 });
    return wait === 'load' ? going : void going.catch(() => null);
  }

  reload() { return this.raw.reload({ waitUntil: 'load' }); }
  url() { return this.raw.url(); }
  evaluate(fn, ...args) { return this.raw.evaluate(fn, ...args); }
  async waitFor(fn, { timeout = 30000, args = [] } = {}) {
    await this.raw.waitForFunction(fn, { timeout }, ...args);
  }

  click(selector) { return this.raw.click(selector); }
  focus(selector) { return this.raw.focus(selector); }
  async type(selector, text) { await this.raw.focus(selector); await this.raw.keyboard.type(text); }
  keys(text) { return this.raw.keyboard.type(text); }
  async press(key, modifiers = []) {
    for (const modifier of modifiers) await this.raw.keyboard.down(modifier);
    await this.raw.keyboard.press(key === 'Space' ? ' ' : key);
    for (const modifier of modifiers.toReversed()) await this.raw.keyboard.up(modifier);
  }

  async upload(selector, file) { await (await this.raw.$(selector)).uploadFile(file); }
  // Opens the focused file field's picker with `key` and chooses `file` in it. Chromium is told
  // to take its picker over before the key is sent: puppeteer sends both at once, and under load
  // the key could win (puppeteer's issue 6040), and the picker opened unseen.
  async pickFile(key, file) {
    const chooser = this.raw.waitForFileChooser({ timeout: 30000 });
    if (this.engine === 'chromium') {
      await this.raw._client().send('Page.setInterceptFileChooserDialog', { enabled: true });
    }
    await this.press(key);
    await (await chooser).accept([file]);
  }

  screenshot(file, { fullPage = false } = {}) { return this.raw.screenshot({ path: file, fullPage }); }
  async screenshotOf(selector, file) { await (await this.raw.$(selector)).screenshot({ path: file }); }
  // What the page asks the network for from now on (its workers too), as addresses.
  watchRequests() {
    const asked = [];
    this.raw.on('request', (request) => asked.push(request.url()));
    return asked;
  }

  close() { return this.raw.close(); }
}

// A page in WebKitGTK: a MiniBrowser of its own, a fresh profile, through classic WebDriver.
class WebDriverPage {
  constructor(engine, driver, preload) {
    this.engine = engine;
    this.driver = driver;
    this.preload = preload;
  }

  // Classic WebDriver has no script that runs before the page's own: `preload` runs as soon
  // as the new document is there.
  async goto(url, { wait = 'load' } = {}) {
    await this.driver.get(url);
    if (this.preload) {
      await this.waitFor((address) => location.href.startsWith(address) && document.documentElement,
        { args: [url.split('?')[0]] });
      await this.evaluate(this.preload.fn, this.preload.arg);
    }
    if (wait === 'load') await this.waitFor(() => document.readyState === 'complete');
  }

  async reload() {
    await this.evaluate(() => { globalThis.tarnwickLeaving = true; location.reload(); });
    await this.waitFor(() => !globalThis.tarnwickLeaving && document.readyState === 'complete');
  }

  url() { return this.driver.getCurrentUrl(); }
  evaluate(fn, ...args) { return this.driver.executeScript(`return (${fn}).apply(null, arguments)`, ...args); }
  // Polls: classic WebDriver has no wait in the page; a page that is between documents is asked again.
  async waitFor(fn, { timeout = 30000, args = [] } = {}) {
    for (const start = Date.now(); ;) {
      if (await this.evaluate(fn, ...args).catch(() => false)) return;
      if (Date.now() - start > timeout) throw new Error(`waited ${timeout} ms for ${fn}`);
      await sleep(50);
    }
  }

  element(selector) { return this.driver.findElement(By.css(selector)); }
  async click(selector) { await (await this.element(selector)).click(); }
  focus(selector) { return this.evaluate((s) => document.querySelector(s).focus(), selector); }
  async type(selector, text) { await this.focus(selector); await this.keys(text); }
  keys(text) { return this.driver.actions().sendKeys(text).perform(); }
  async press(key, modifiers = []) {
    const name = (k) => WEBDRIVER_KEYS[k] ?? k;
    let actions = this.driver.actions();
    for (const modifier of modifiers) actions = actions.keyDown(name(modifier));
    actions = actions.sendKeys(name(key));
    for (const modifier of modifiers.toReversed()) actions = actions.keyUp(name(modifier));
    await actions.perform();
  }

  async upload(selector, file) { await (await this.element(selector)).sendKeys(file); }
  // Classic WebDriver cannot drive the picker a key opens: the file is sent to the focused field
  // as WebDriver chooses a file field's files, and `key` is not pressed.
  async pickFile(key, file) { await this.driver.switchTo().activeElement().sendKeys(file); }

  async screenshot(file) { writeFileSync(file, await this.driver.takeScreenshot(), 'base64'); }
  async screenshotOf(selector, file) {
    writeFileSync(file, await (await this.element(selector)).takeScreenshot(true), 'base64');
  }

  watchRequests() { return null; }
  close() { return this.driver.quit(); }
}

async function freePort() {
  const server = createServer().listen(0, '127.0.0.1');
  await once(server, 'listening');
  const { port } = server.address();
  server.close();
  return port;
}

// Xvfb on the first free display: { child, name }.
async function startXvfb() {
  const child = spawn('Xvfb', ['-displayfd', '1', '-screen', '0', '1400x1000x24', '-nolisten', 'tcp'],
    { stdio: ['ignore', 'pipe', 'ignore'] });
  const [number] = await Promise.race([once(child.stdout, 'data'),
    once(child, 'exit').then(() => { throw new Error('Xvfb did not start'); })]);
  child.stdout.resume();
  return { child, name: `:${number.toString().trim()}` };
}

// WebKitWebDriver on a virtual display; one per language, since MiniBrowser takes its
// language from the environment. Downloads land in the folder its home's user-dirs.dirs names.
class WebKit {
  constructor() {
    this.drivers = new Map();
    this.downloadsDir = scratchDir('webkit-downloads');
  }

  async display() {
    this.xvfb ??= startXvfb();
    return (await this.xvfb).name;
  }

  async driver(language) {
    if (!this.drivers.has(language)) {
      this.drivers.set(language, (async () => {
        const port = await freePort();
        const home = scratchDir('webkit-home');
        mkdirSync(path.join(home, '.config'));
        writeFileSync(path.join(home, '.config/user-dirs.dirs'), `XDG_DOWNLOAD_DIR="${this.downloadsDir}"\n`);
        // WebKit takes navigator.language from the C library's locale, made here from Debian's sources.
        const locale = `${language.replace('-', '_')}.UTF-8`;
        const locales = scratchDir('webkit-locales');
        const made = spawnSync('localedef', ['-i', locale.split('.')[0], '-f', 'UTF-8', path.join(locales, locale)]);
        if (made.status !== 0) throw new Error(`localedef ${locale}: ${made.stderr}`);
        const env = { ...process.env, DISPLAY: await this.display(), HOME: home, LOCPATH: locales,
          LANG: locale, LANGUAGE: '', LC_ALL: '', GTK_A11Y: 'none', NO_AT_BRIDGE: '1' };
        // A new session ends the one before: a case that failed with its page open ends nothing else.
        const child = spawn('WebKitWebDriver', [`--port=${port}`, '--replace-on-new-session'],
          { env, stdio: 'ignore' });
        const address = `http://127.0.0.1:${port}`;
        for (const start = Date.now(); !(await fetch(`${address}/status`).then((r) => r.ok, () => false));) {
          if (child.exitCode !== null || Date.now() - start > 10000) throw new Error('WebKitWebDriver did not start');
          await sleep(50);
        }
        return { child, address };
      })());
    }
    return this.drivers.get(language);
  }

  // A session of its own, with a MiniBrowser of its own. On a loaded machine WebKitWebDriver has
  // once waited for ever for a MiniBrowser that had gone: a session not started in a minute is
  // given up, with its driver, and asked of a new driver once.
  async session(language) {
    for (let tries = 1; ; tries++) {
      const { address, child } = await this.driver(language);
      const starting = new Builder().usingServer(address).withCapabilities({
        browserName: 'MiniBrowser',
        pageLoadStrategy: 'none',
        unhandledPromptBehavior: 'accept',
        'webkitgtk:browserOptions': {
          binary: process.env.WEBKIT_MINIBROWSER ?? '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser',
          args: ['--automation'],
        },
      }).build();
      starting.catch(() => null); // given up: its end is of no interest
      const driver = await Promise.race([starting, sleep(SESSION_START_MS, null, { ref: false })]);
      if (driver) return driver;
      child.kill();
      this.drivers.delete(language);
      if (tries === 2) throw new Error(`no MiniBrowser session in ${SESSION_START_MS / 1000} s, twice`);
    }
  }

  async newPage({ viewport, language, preload }) {
    const driver = await this.session(language);
    // The window's size less its frame is the page's, never narrower than MiniBrowser allows.
    // The window manager may take a moment to give the size asked for (a loaded machine measured
    // the page at 1536 px once), so the page's own size is read until it is the one wanted.
    const window = driver.manage().window();
    const wanted = { width: Math.max(viewport.width, MINIBROWSER_NARROWEST), height: viewport.height };
    for (let tries = 0; ; tries++) {
      const [width, height] = await driver.executeScript('return [innerWidth, innerHeight]');
      if (width === wanted.width && height === wanted.height) break;
      if (tries === 50) throw new Error(`MiniBrowser's page stays ${width} x ${height}`);
      const outer = await window.getRect();
      await window.setRect({ width: outer.width + wanted.width - width, height: outer.height + wanted.height - height });
      await sleep(100);
    }
    return new WebDriverPage('webkit', driver, preload);
  }

  async close() {
    for (const driver of this.drivers.values()) (await driver).child.kill();
    if (this.xvfb) (await this.xvfb).child.kill();
  }
}

// Chromium or Firefox through puppeteer.
class Puppeteer {
  constructor(name) {
    this.name = name;
    this.downloadsDir = scratchDir(`${name}-downloads`);
    return overRaw(this);
  }

  async launch(extraFlags = []) {
    if (this.name === 'chromium') {
      this.raw = await puppeteer.launch({
        executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
        headless: true,
        userDataDir: scratchDir('chromium'),
        args: [...CHROMIUM_FLAGS, ...extraFlags],
      });
    } else {
      this.raw = await puppeteer.launch({
        browser: 'firefox',
        protocol: 'webDriverBiDi',
        executablePath: process.env.FIREFOX ?? '/usr/lib/firefox-esr/firefox-esr',
        headless: true,
        extraPrefsFirefox: {
          'browser.download.dir': this.downloadsDir,
          'browser.download.folderList': 2,
          'browser.download.useDownloadDir': true,
          'browser.download.always_ask_before_handling_new_types': false,
          'browser.download.start_downloads_in_tmp_dir': false,
        },
      });
    }
    return this;
  }

  async newPage({ viewport, language, preload }) {
    const page = await this.raw.newPage();
    const { width, height, deviceScaleFactor = 1 } = viewport;
    await page.setViewport(this.name === 'chromium' ? viewport : { width, height, deviceScaleFactor });
    await page.setExtraHTTPHeaders({ 'Accept-Language': language });
    await page.evaluateOnNewDocument((lang) => {
      Object.defineProperty(navigator, 'language', { get: () => lang });
    }, language);
    if (preload) await page.evaluateOnNewDocument(preload.fn, preload.arg);
    if (this.name === 'chromium') {
      const session = await page.createCDPSession();
      await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: this.downloadsDir });
    }
    page.on('dialog', (dialog) => dialog.accept()); // the browser's own leave-the-page question
    return new PuppeteerPage(this.name, page);
  }

  close() { return this.raw?.close(); }
}

// A browser of the engine, started; `extraFlags` are Chromium's only.
export async function launchEngine(name, extraFlags = []) {
  if (name === 'webkit') return new WebKit();
  return new Puppeteer(name).launch(extraFlags);
}

export const DESKTOP = { width: 1280, height: 800 };
export const PHONE = { width: 360, height: 640, isMobile: true, hasTouch: true, deviceScaleFactor: 2 };

// A fresh page of `browser` at a viewport, in a language, not yet anywhere. `preload` ({ fn,
// arg }) runs in each document the page opens before the page's own scripts where the engine
// can (Chromium, Firefox), else as soon as the document is there.
export async function newPage(browser, { viewport = DESKTOP, language = 'en-US', preload } = {}) {
  return browser.newPage({ viewport, language, preload });
}

// The browser's downloads folder, emptied, for a download to come.
export function downloadsOf(browser) {
  rmSync(browser.downloadsDir, { recursive: true, force: true });
  mkdirSync(browser.downloadsDir, { recursive: true });
  return browser.downloadsDir;
}

// For a test file: its cases, written once in `cases(web)`, in a suite per engine. `web.name`
// is the engine; `web.lacks(feature)` is false where the engine has it, else the reason to skip;
// `web.browser` is the engine's browser, started before the suite's first case.
export function forEachEngine(cases) {
  for (const name of selected) {
    describe(name, () => {
      const web = {
        name,
        lacks: (feature) => (LACKS[name][feature] ? `${name}: ${LACKS[name][feature]}` : false),
        only: (engines, reason) => (engines.includes(name) ? false : `${name}: ${reason}`),
      };
      before(async () => { web.browser = await launchEngine(name); });
      after(async () => { await web.browser?.close(); });
      cases(web);
    });
  }
}
