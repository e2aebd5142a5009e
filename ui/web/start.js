// Start-up: the form logic (compiled to WebAssembly) loads, the main window's page opens, and the
// service worker keeps the site for use without a network. Below the window, the table tools
// (a whole table dated, the serials built on a day) run in a worker of their own, which starts
// once the calculator is ready and the browser is idle, or when a tool is first used.

import createCore from './tarnwick-web.js';
import { installMnemonics } from './ControlBuilder.js';
import { openMainPage } from './frmMainPage.js';
import { openBuiltOn } from './BuiltOnSection.js';
import { openDateTable } from './TableSection.js';
import { startTableWorker } from './TableTasks.js';

if ('serviceWorker' in navigator) {
  navigator.serviceWorker.register('sw.js').catch(() => {
    // Served without a secure context (plain http but for localhost): the page still works online.
  });
}

openDateTable(document.getElementById('date-table'));
openBuiltOn(document.getElementById('built-on'));

const core = await createCore();
globalThis.tarnwickCore = core; // the bridge, for the page's tests
installMnemonics();
openMainPage(core, document.getElementById('page'), document.getElementById('announcements'));
performance.mark('tarnwick-ready'); // the serial field takes typing from here

const whenIdle = globalThis.requestIdleCallback ?? ((run) => setTimeout(run, 200));
whenIdle(() => startTableWorker(), { timeout: 2000 });
