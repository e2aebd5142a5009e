// The form as the HTML shows it, before the WebAssembly has come: it stands where the page puts
// it, and the page takes it over in place (nothing moves); what is typed or pressed meanwhile is
// kept and answered once the core has started. The core's file is held back by the test until
// it lets it through. Also: the Content-Security-Policy lets the whole page run, and reports
// nothing, and a paste is cut to its first line.

import assert from 'node:assert/strict';
import { test } from 'node:test';
import { DESKTOP, PHONE, paste, ready, textOf, useBrowser } from './support.mjs';

const web = useBrowser();

// Opens the site with tarnwick-web.wasm (or `held`) held back, in a context of its own (no service
// worker that could serve it); resolves to { page, letThrough }. Closing the page closes its context.
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
  const gate = new Promise((resolve) => { letThrough = resolve; });
  page.on('request', (request) => {
    if (request.url().endsWith(`/${held}`)) gate.then(() => request.continue());
    else request.continue();
  });
  // not awaited: a script held back holds the document's loaded events too
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

const EARLY_USES = [
  ['a serial typed and Entered is answered', async (page) => {
    await page.type('#txtSerial', '400');
    await page.keyboard.press('Enter');
  }, '400', '400 was built on January 9, 1909.'],
  ['a serial typed and Calculate clicked is answered', async (page) => {
    await page.type('#txtSerial', '15076231');
    await page.click('#cmdCalculate');
  }, '15076231', '15076231 was built on December 31, 1927.'],
  ['a serial typed and not calculated stays in the field, uncalculated', async (page) => {
    await page.type('#txtSerial', '5');
  }, '5', "Enter your serial number, then click 'Calculate' to reveal the build date."],
];

// Before any script has come, Enter or Calculate sends the form to the page itself (?serial=).
const HELD = [['tarnwick-web.wasm', 'the core is ready', EARLY_USES],
  ['EarlyForm.js', 'any script has come', EARLY_USES.slice(0, 2)]];
for (const [held, before, uses] of HELD) for (const [name, use, field, sentence] of uses) {
  test(`before ${before}: ${name}`, async () => {
    const { page, letThrough } = await openHeld(DESKTOP, held);
    await use(page);
    if (held === 'EarlyForm.js') await page.waitForFunction(() => location.search && document.querySelector('#txtSerial'));
    assert.equal(await isReady(page), false, 'the core came before it was let through');
    letThrough();
    await ready(page);
    await page.waitForFunction((text) => document.querySelector('#lblDate').textContent === text, { timeout: 5000 }, sentence)
      .catch(() => null);
    assert.equal(await textOf(page, '#txtSerial'), field);
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

test('a paste is let into the field and cut to its first line', async () => {
  const page = await web.open();
  for (const [clipboard, expected] of [['15,076,231\n42', '15076231'], ['400\r\nanything', '400'], ['5', '5']]) {
    await page.click('#txtSerial', { clickCount: 3 });
    await page.keyboard.press('Backspace');
    assert.equal(await paste(page, clipboard), false, `${JSON.stringify(clipboard)}: the paste was prevented`);
    assert.equal(await textOf(page, '#txtSerial'), expected, JSON.stringify(clipboard));
  }
  await page.close();
});
