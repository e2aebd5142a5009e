// The site served from a folder of a host (https://example.org/tools/tarnwick/ and the like), in
// each engine: the page calculates, asks the host for nothing outside its folder, its service
// worker keeps that folder only, its manifest starts and stays there, and with the server gone a
// reload still calculates.

import assert from 'node:assert/strict';
import { test } from 'node:test';
import { forEachEngine } from './engines.mjs';
import { calculate, open, ready, serve, textOf } from './support.mjs';

const UNDER = 'tools/tarnwick';

forEachEngine((web) => {
  test(`served from /${UNDER}/: calculates, installs there, and works offline there`, async () => {
    const server = await serve({ log: true, under: UNDER });
    let page;
    try {
      page = await open(web.browser, server.address);
      await calculate(page, '400');
      assert.equal(await textOf(page, '#lblDate'), '400 was built on January 9, 1909.');

      await page.waitFor(() => navigator.serviceWorker.controller !== null, { timeout: 15000 });
      const installed = await page.evaluate(async () => {
        const registration = await navigator.serviceWorker.getRegistration();
        const link = document.querySelector('link[rel=manifest]').href;
        const manifest = await (await fetch(link)).json();
        return {
          scope: registration.scope,
          script: registration.active.scriptURL,
          start: new URL(manifest.start_url, link).href,
          manifestScope: new URL(manifest.scope, link).href,
          icons: manifest.icons.map((icon) => new URL(icon.src, link).href),
        };
      });
      assert.equal(installed.scope, server.address);
      assert.equal(installed.script, `${server.address}sw.js`);
      assert.equal(installed.start, server.address);
      assert.equal(installed.manifestScope, server.address);
      for (const icon of installed.icons) assert.ok(icon.startsWith(server.address), icon);

      const outside = server.requests.filter((line) => / "GET /.test(line) && !line.includes(` "GET /${UNDER}/`));
      assert.deepEqual(outside, [], 'requests outside the folder');

      server.stop();
      await page.reload();
      await ready(page);
      await calculate(page, '15076231');
      assert.equal(await textOf(page, '#lblDate'), '15076231 was built on December 31, 1927.');
    } finally {
      await page?.close();
      server.stop();
    }
  });
});
