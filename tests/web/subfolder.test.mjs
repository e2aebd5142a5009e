// The site served from a folder of a host (https://example.org/tools/tarnwick/ and the like):
// the page calculates, asks the host for nothing outside its folder, its service worker keeps
// that folder only, its manifest starts and stays there, and with the server gone a reload
// still calculates.

import assert from 'node:assert/strict';
import { test } from 'node:test';
import { calculate, launch, open, ready, serve, textOf } from './support.mjs';

const UNDER = 'tools/tarnwick';

test(`served from /${UNDER}/: calculates, installs there, and works offline there`, async () => {
  const server = await serve({ log: true, under: UNDER });
  const browser = await launch();
  try {
    const page = await open(browser, server.address);
    await calculate(page, '400');
    assert.equal(await textOf(page, '#lblDate'), '400 was built on January 9, 1909.');

    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, { timeout: 15000 });
    const [scope, script, start, manifestScope, ...icons] = await page.evaluate(async () => {
      const registration = await navigator.serviceWorker.getRegistration();
      const link = document.querySelector('link[rel=manifest]').href;
      const manifest = await (await fetch(link)).json();
      return [registration.scope, registration.active.scriptURL,
        ...[manifest.start_url, manifest.scope, ...manifest.icons.map((icon) => icon.src)].map((url) => new URL(url, link).href)];
    });
    assert.deepEqual([scope, script, start, manifestScope], [server.address, `${server.address}sw.js`, server.address, server.address]);
    for (const icon of icons) assert.ok(icon.startsWith(server.address), icon);

    const outside = server.requests.filter((line) => / "GET /.test(line) && !line.includes(` "GET /${UNDER}/`));
    assert.deepEqual(outside, [], 'requests outside the folder');

    server.stop();
    await page.reload({ waitUntil: 'load' });
    await ready(page);
    await calculate(page, '15076231');
    assert.equal(await textOf(page, '#lblDate'), '15076231 was built on December 31, 1927.');
  } finally {
    await browser.close();
    server.stop();
  }
});
