// Start-up: the main window's form stands in the HTML already (the build writes it) and takes
// typing at once; the form logic (compiled to WebAssembly, asked for by EarlyForm.js with this
// module) loads meanwhile, and the main window's page takes the form over in place, with whatever
// was typed or pressed. The service worker keeps the site for use without a network. Below the
// window, the table tools (a whole table dated, the serials built on a day) are asked for once
// the calculator answers, so that they do not compete with it for the network (on a touch-first
// device, once the page is scrolled toward them); they run in a worker of their own, which
// starts once the browser is idle, or when a tool is first used.

import { installMnemonics } from './ControlBuilder.js';
import { core as coreFiles, releaseEarlyForm, touchFirst } from './EarlyForm.js';
import { openMainPage } from './frmMainPage.js';

const root = document.getElementById('page');
// The form's pictures, all decoration: on a touch-first device the form has been painted
// (EarlyForm.js asks for this module only then); on a desktop they come with it or after.
for (const image of root.querySelectorAll('img[data-src]')) image.src = image.dataset.src;
installMnemonics();

// The core's WebAssembly and its loader were asked for by EarlyForm.js, with this module.
const [createCore, module] = await Promise.all([coreFiles.createCore, coreFiles.module]);
// Each step of the core's start is a task of its own (instantiating the module, starting the
// core, taking the form over), so that the browser can paint and take input between them (what
// is typed meanwhile is still the early form's). On a touch-first device, which may be slow,
// the control table is read in a task of its own too, so that on Lighthouse's simulated phone
// each step stays near or under the 50 ms that counts as blocking; a desktop is spared the wait.
const nextTask = (value) => new Promise((resolve) => setTimeout(() => resolve(value)));
const core = await createCore(module ? {
  instantiateWasm(imports, receive) {
    WebAssembly.instantiate(module, imports).then(nextTask).then((instance) => receive(instance, module));
    return {}; // the exports come through receive
  },
} : {});
globalThis.tarnwickCore = core; // the bridge, for the page's tests
await nextTask();
const controls = core.mainControls();
if (touchFirst) await nextTask();
const replay = releaseEarlyForm();
openMainPage(core, root, document.getElementById('announcements'), controls);
replay();
performance.mark('tarnwick-ready'); // the serial field calculates from here

// The service worker, which copies every file of the site, comes after, so that it does not
// compete with the core's own fetch.
if ('serviceWorker' in navigator) {
  navigator.serviceWorker.register('sw.js').catch(() => {
    // Served without a secure context (plain http but for localhost): the page still works online.
  });
}

// The table tools' controls stand disabled in the HTML until their modules have come.
let tools = null; // resolves to the table section, once the tools are open
function openTools() {
  tools ??= Promise.all([import('./TableSection.js'), import('./BuiltOnSection.js'), import('./TableTasks.js')])
    .then(([{ openDateTable }, { openBuiltOn }, { startTableWorker }]) => {
      const dateTable = openDateTable(document.getElementById('date-table'));
      openBuiltOn(document.getElementById('built-on'));
      performance.mark('tarnwick-tools'); // the table tools take their input from here
      const whenIdle = globalThis.requestIdleCallback ?? ((run) => setTimeout(run, 200));
      whenIdle(() => startTableWorker(), { timeout: 2000 });
      return dateTable;
    });
  return tools;
}

// A table opened with the installed page from the file manager (the manifest's file_handlers;
// Chromium on a desktop) goes to the table section, once the calculator has taken the focus.
globalThis.launchQueue?.setConsumer((launch) => openTools().then((dateTable) => dateTable.openLaunched(launch.files)));

// On a desktop the tools come at once. A phone shows them a screen or two below the calculator
// and may be slow: there they come once the page is scrolled to within a quarter of a screen of
// them, which spares a visit for one serial their start (about 80 ms of Lighthouse's simulated
// blocking time) and the table worker's.
if (!touchFirst || !globalThis.IntersectionObserver) {
  openTools();
} else {
  const near = new IntersectionObserver((entries) => {
    if (!entries.some((entry) => entry.isIntersecting)) return;
    near.disconnect();
    openTools();
  }, { rootMargin: '0px 0px 25% 0px' });
  for (const id of ['date-table', 'built-on']) near.observe(document.getElementById(id));
}
