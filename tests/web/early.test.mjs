// The form the HTML shows before the WebAssembly has come (held back until the test lets it
// through): the page takes it over in place, nothing moving and the Content-Security-Policy
// refusing nothing, and what is typed or pressed meanwhile is answered once the core has started.

import assert from 'node:assert/strict';
import { test } from 'node:test';
import { DESKTOP, PHONE, ready, textOf, useBrowser } from './support.mjs';

const web = useBrowser();

// Opens the site with a file (tarnwick-web.wasm unless said) held back, in a context of its own
// (no service worker that could serve it); resolves to { page, letThrough }. Closing the page
// closes its context.
async function openHeld(viewport = DESKTOP, held = 'tarnwick-web.wasm') {
  const context = await web.browser.createBrowserContext();
  const page = await context.newPage();
  page.once('close', () => context.close());
  await page.setViewport(viewport);
  await page.evaluateOnNewDocument(() => {
    globalThis.shifts = 0;
    new PerformanceObserver((list) => {
      for (const entry of list.getEntries()) if (!entry.hadRecentInput) globalThis.shifts += entry.value;
    }).observe({ type: 'layout-shift', buffered: true });
    globalThis.refused = [];
    document.addEventListener('securitypolicyviolation', (event) => globalThis.refused.push(event.violatedDirective));
  });
  page.on('dialog', (dialog) => dialog.accept());
  await page.setRequestInterception(true);
  let letThrough;
  const letGo = new Promise((resolve) => { letThrough = resolve; });
  page.on('request', (request) => {
    if (request.url().endsWith(`/${held}`)) letGo.then(() => request.continue());
    else request.continue();
  });
  // (a script held back holds the document's loaded event too)
  page.goto(web.server.address, { waitUntil: 'domcontentloaded', timeout: 0 }).catch(() => null);
  await page.waitForSelector('#txtSerial');
  return { page, letThrough };
}

// Each control's box in the main window, by id.
function boxes(page) {
  return page.$$eval('#frmMain [id]', (elements) => Object.fromEntries(elements.map((element) => {
    const { x, y, width, height } = element.getBoundingClientRect();
    return [element.id, [x, y, width, height].map(Math.round)];
  })));
}

const isReady = (page) => page.evaluate(() => performance.getEntriesByName('tarnwick-ready').length > 0);

// what a person does before a file has come: the file held back, the keys typed, then the
// button clicked if any
const CORE = 'tarnwick-web.wasm';
const FIRST_SCRIPT = 'EarlyForm.js'; // without it, the form is sent to the page itself
const EARLY_USES = [
  ['the core: a serial typed and Entered is answered', CORE, '400\n', null, '400 was built on January 9, 1909.'],
  ['the core: a serial typed and Calculate clicked is answered', CORE, '15076231', '#cmdCalculate',
    '15076231 was built on December 31, 1927.'],
  ['the core: a serial typed and not calculated stays in the field, uncalculated', CORE, '5', null,
    "Enter your serial number, then click 'Calculate' to reveal the build date."],
  ['any script: a serial typed and Entered is answered', FIRST_SCRIPT, '400\n', null,
    '400 was built on January 9, 1909.'],
  ['any script: a serial typed and Calculate clicked is answered', FIRST_SCRIPT, '15076231', '#cmdCalculate',
    '15076231 was built on December 31, 1927.'],
];

for (const [name, held, keys, button, sentence] of EARLY_USES) {
  test(`before ${name}`, async () => {
    const { page, letThrough } = await openHeld(DESKTOP, held);
    await page.type('#txtSerial', keys);
    if (button) await page.click(button);
    if (held === FIRST_SCRIPT) {
      await page.waitForFunction(() => location.search !== '' && document.querySelector('#txtSerial'), { timeout: 10000 });
    }
    assert.equal(await isReady(page), false, 'the page started before it was let through');
    letThrough();
    await ready(page);
    await page.waitForFunction((text) => document.querySelector('#lblDate').textContent === text, { timeout: 5000 }, sentence)
      .catch(() => null);
    assert.equal(await textOf(page, '#txtSerial'), keys.trim());
    assert.equal(await textOf(page, '#lblDate'), sentence);
    assert.equal(await page.evaluate(() => document.activeElement.id), 'txtSerial');
    assert.equal(new URL(page.url()).search, '', 'the address the page stands at');
    await page.close();
  });
}

for (const [size, viewport] of [['desktop', DESKTOP], ['phone', PHONE]]) {
  test(`${size}: the form the HTML shows is the page's, and nothing moves when it is taken over`, async () => {
    const { page, letThrough } = await openHeld(viewport);
    const early = await boxes(page);
    const earlyTexts = await page.$eval('#frmMain', (view) => view.innerText);
    letThrough();
    await ready(page);
    assert.deepEqual(await boxes(page), early);
    assert.equal(await page.$eval('#frmMain', (view) => view.innerText), earlyTexts);
    assert.ok(await page.evaluate(() => globalThis.shifts) < 0.01, 'layout shift');
    assert.deepEqual(await page.evaluate(() => globalThis.refused), [], 'refused by the policy');
    await page.close();
  });
}
