// Start-up: the form logic (compiled to WebAssembly) loads, the main window's page opens, and the
// service worker keeps the site for use without a network.

import createCore from './tarnwick-web.js';
import { installMnemonics } from './ControlBuilder.js';
import { openMainPage } from './frmMainPage.js';

if ('serviceWorker' in navigator) {
  navigator.serviceWorker.register('sw.js').catch(() => {
    // Served without a secure context (plain http but for localhost): the page still works online.
  });
}

const core = await createCore();
globalThis.tarnwickCore = core; // the bridge, for the page's tests
installMnemonics();
openMainPage(core, document.getElementById('page'), document.getElementById('announcements'));
performance.mark('tarnwick-ready'); // the serial field takes typing from here
