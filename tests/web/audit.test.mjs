// Checks a browser makes of the page, in each engine: axe-core finds no accessibility violation,
// with a result shown and with each of its windows open; Lighthouse (Chromium) scores its
// accessibility 100 and finds it installable; with the server gone after the first load, a
// reload still calculates.

import assert from 'node:assert/strict';
import { writeFileSync } from 'node:fs';
import { test } from 'node:test';
import lighthouse from 'lighthouse';
import {
  DESKTOP, PHONE, calculate, forEachEngineWithSite, open, ready, serve, textOf, violations, waitForSelector,
} from './support.mjs';

forEachEngineWithSite((web) => {
  test('axe-core finds no violation', async (t) => {
    for (const [size, viewport] of [['desktop', DESKTOP], ['phone', PHONE]]) {
      await t.test(`${size}: a result, a question, the About window`, async () => {
        const page = await web.open(viewport);
        await calculate(page, '400');
        assert.deepEqual(await violations(page), [], 'with a result');
        await page.click('#cmdReset');
        await waitForSelector(page, 'dialog.message-box[open]');
        assert.deepEqual(await violations(page), [], 'with the Reset question');
        await page.press('Escape');
        await page.click('#cmdAbout');
        await waitForSelector(page, '#frmAbout[open]');
        assert.deepEqual(await violations(page), [], 'with the About window');
        await page.close();
      });
    }
  });

  test('Lighthouse: accessibility 100, installable', { skip: web.lacks('devtools') }, async () => {
    const port = Number(new URL(web.browser.wsEndpoint()).port);
    const { lhr, report } = await lighthouse(web.server.address, {
      port, output: 'html', logLevel: 'error', onlyCategories: ['accessibility', 'pwa'],
    });
    writeFileSync(web.output('lighthouse.html'), report);
    const failed = Object.values(lhr.audits)
      .filter((audit) => audit.score !== null && audit.score < 1 && audit.scoreDisplayMode === 'binary')
      .map((audit) => audit.id);
    assert.equal(lhr.categories.accessibility.score, 1, `failed: ${failed.join(', ')}`);
    assert.equal(lhr.audits['installable-manifest'].score, 1,
      JSON.stringify(lhr.audits['installable-manifest'].details?.items ?? []));
  });

  test('with the server gone after the first load, a reload still calculates', async () => {
    const own = await serve();
    const page = await open(web.browser, own.address);
    await page.waitFor(() => navigator.serviceWorker.controller !== null, { timeout: 10000 });
    own.stop();
    await page.reload();
    await ready(page);
    await calculate(page, '400');
    assert.equal(await textOf(page, '#lblDate'), '400 was built on January 9, 1909.');
    await page.close();
  });
});
