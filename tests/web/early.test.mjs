// The form as the HTML shows it, before the WebAssembly has come: it stands where the page puts
// it, and the page takes it over in place (nothing moves); what is typed or pressed meanwhile is
// kept and answered once the core has started. The core's file is held back by the test's server
// until the test lets it through. Also: the Content-Security-Policy lets the whole page run, and reports
// nothing, and a paste is cut to its first line.

import assert from 'node:assert/strict';
import { test } from 'node:test';
import { setTimeout as sleep } from 'node:timers/promises';
import {
  DESKTOP, PHONE, clear, forEachEngineWithSite, isTouchFirst, newPage, paste, reachTools, ready, serve, textOf,
} from './support.mjs';

// What the page does before its scripts run: the layout shifts it reports, and what its
// Content-Security-Policy refuses.
function watch() {
  globalThis.shifts = 0;
  if (PerformanceObserver.supportedEntryTypes.includes('layout-shift')) {
    new PerformanceObserver((list) => {
      for (const entry of list.getEntries()) if (!entry.hadRecentInput) globalThis.shifts += entry.value;
    }).observe({ type: 'layout-shift', buffered: true });
  }
  globalThis.refused = [];
  document.addEventListener('securitypolicyviolation', (event) => globalThis.refused.push(event.violatedDirective));
}

// Opens the site from a server of its own that holds tarnwick-web.wasm (or the files `held`
// names) back, at an address no page has been to (no service worker or cache can serve the
// file); resolves to { page, letThrough, askedFor, done }.
async function openHeld(browser, viewport = DESKTOP, held = 'tarnwick-web.wasm') {
  const server = await serve({ hold: held });
  const page = await newPage(browser, { viewport, preload: { fn: watch } });
  await page.goto(server.address, { wait: 'none' }); // a script held back holds the load event too
  await page.waitFor(() => document.querySelector('#txtSerial'));
  const done = async () => { await page.close(); server.stop(); };
  return { page, letThrough: server.letThrough, askedFor: server.askedFor, done };
}

// Each control's box in the main window, by id.
function boxes(page) {
  return page.evaluate(() => Object.fromEntries([...document.querySelectorAll('#frmMain [id]')].map((element) => {
    const { x, y, width, height } = element.getBoundingClientRect();
    return [element.id, [x, y, width, height].map(Math.round)];
  })));
}

// Lets the lazy pictures come (on a phone the tall one stands below the form) and waits for them.
function picturesCome(page) {
  return page.evaluate(() => Promise.all([...document.images].map((image) => {
    image.loading = 'eager';
    return image.decode().catch(() => null);
  })));
}

// Whether the table tools' first inputs (a table's file, a day) take input.
const toolsTakeInput = (page) => page.evaluate(() => ['#date-table-file', '#built-on-day']
  .map((selector) => !document.querySelector(selector).disabled));

const PICTURES = ['Image1.gif', 'Image3_main.gif'];
const ON_THE_WAY_MS = 500;

const isReady = (page) => page.evaluate(() => performance.getEntriesByName('tarnwick-ready').length > 0);

const EARLY_USES = [
  ['a serial typed and Entered is answered', async (page) => {
    await page.type('#txtSerial', '400');
    await page.press('Enter');
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
forEachEngineWithSite((web) => {
  // First of the file's cases, while the browser has never had the pictures: once it has had
  // one, Firefox lays it out by the proportions it knows, fetched or not.
  for (const [size, viewport] of [['phone', PHONE], ['desktop', DESKTOP]]) {
    test(`${size}: the form the HTML shows is the page's, and nothing moves when it is taken over or its pictures come`, async (t) => {
      const { page, letThrough, askedFor, done } = await openHeld(web.browser, viewport, ['tarnwick-web.wasm', ...PICTURES]);
      // Measured while the pictures are on their way: an engine may lay out a picture it is
      // fetching otherwise than one it has, and Firefox does a moment after asking for it.
      await Promise.all(PICTURES.map(askedFor));
      await sleep(ON_THE_WAY_MS);
      const early = await boxes(page);
      const earlyTexts = await page.evaluate(() => document.querySelector('#frmMain').innerText);
      assert.deepEqual(await toolsTakeInput(page), [false, false], 'the table tools, before they have come');
      letThrough();
      await ready(page);
      // A touch-first phone asks for the tools only once it is scrolled toward them.
      const touchFirst = size === 'phone' && !web.lacks('touch');
      assert.equal(await isTouchFirst(page), touchFirst);
      assert.deepEqual(await toolsTakeInput(page), [!touchFirst, !touchFirst], 'the table tools, once the core has come');
      assert.equal(await page.evaluate(() => performance.getEntriesByType('resource')
        .some((entry) => entry.name.endsWith('/TableSection.js'))), !touchFirst, 'the tools asked for');
      await picturesCome(page);
      assert.deepEqual(await boxes(page), early);
      assert.equal(await page.evaluate(() => document.querySelector('#frmMain').innerText), earlyTexts);
      await reachTools(page);
      assert.deepEqual(await toolsTakeInput(page), [true, true], 'the table tools, scrolled to');
      await t.test('no layout shift is reported', { skip: web.lacks('layoutShift') }, async () => {
        assert.ok(await page.evaluate(() => globalThis.shifts) < 0.01, 'layout shift');
      });
      assert.deepEqual(await page.evaluate(() => globalThis.refused), [], 'refused by the policy');
      await done();
    });
  }

  for (const [held, before, uses] of HELD) for (const [name, use, field, sentence] of uses) {
    test(`before ${before}: ${name}`, async () => {
      const { page, letThrough, done } = await openHeld(web.browser, DESKTOP, held);
      await use(page);
      if (held === 'EarlyForm.js') await page.waitFor(() => location.search && document.querySelector('#txtSerial'));
      assert.equal(await isReady(page), false, 'the core came before it was let through');
      letThrough();
      await ready(page);
      await page.waitFor((text) => document.querySelector('#lblDate').textContent === text,
        { timeout: 5000, args: [sentence] })
        .catch(() => null);
      assert.equal(await textOf(page, '#txtSerial'), field);
      assert.equal(await textOf(page, '#lblDate'), sentence);
      assert.equal(await page.evaluate(() => document.activeElement.id), 'txtSerial');
      assert.equal(new URL(await page.url()).search, '', 'the address the page stands at');
      await done();
    });
  }

  test('a paste is let into the field and cut to its first line', { skip: web.lacks('clipboard') }, async () => {
    const page = await web.open();
    for (const [clipboard, expected] of [['15,076,231\n42', '15076231'], ['400\r\nanything', '400'], ['5', '5']]) {
      await clear(page, '#txtSerial');
      assert.equal(await paste(page, clipboard), false, `${JSON.stringify(clipboard)}: the paste was prevented`);
      assert.equal(await textOf(page, '#txtSerial'), expected, JSON.stringify(clipboard));
    }
    await page.close();
  });
});
