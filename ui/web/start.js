// Start-up: the main window's form stands in the HTML already (the build writes it) and takes
// typing at once; the form logic (compiled to WebAssembly) loads meanwhile, and the main window's
// page takes the form over in place, with whatever was typed or pressed. The service worker keeps
// the site for use without a network. Below the window, the table tools (a whole table dated,
// the serials built on a day) run in a worker of their own, which starts once the calculator is
// ready and the browser is idle, or when a tool is first used.

import { installMnemonics } from './ControlBuilder.js';
import { releaseEarlyForm } from './EarlyForm.js';
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

const root = document.getElementById('page');
// The form's pictures: it has been painted (EarlyForm.js asks for this module only then).
for (const image of root.querySelectorAll('img[data-src]')) image.src = image.dataset.src;
installMnemonics();

// The core's WebAssembly is compiled by a worker while the page goes on; should that fail, the
// core's own loader fetches and compiles it.
const compiled = new Promise((resolve) => {
  const compiler = new Worker(new URL('./CoreCompiler.js', import.meta.url));
  const done = (module) => {
    compiler.terminate();
    resolve(module);
  };
  compiler.addEventListener('message', ({ data }) => done(data.module ?? null));
  compiler.addEventListener('error', () => done(null));
  compiler.postMessage(new URL('./tarnwick-web.wasm', import.meta.url).href);
}).catch(() => null);
const { default: createCore } = await import('./tarnwick-web.js');
const module = await compiled;
// Each step of the core's start is a task of its own (instantiating the module, starting the
// core, taking the form over), so that the browser can paint and take input between them (what
// is typed meanwhile is still the early form's).
const nextTask = (value) => new Promise((resolve) => setTimeout(() => resolve(value)));
const core = await createCore(module ? {
  instantiateWasm(imports, receive) {
    WebAssembly.instantiate(module, imports).then(nextTask).then((instance) => receive(instance, module));
    return {}; // the exports come through receive
  },
} : {});
globalThis.tarnwickCore = core; // the bridge, for the page's tests
await nextTask();
const replay = releaseEarlyForm();
openMainPage(core, root, document.getElementById('announcements'));
replay();
performance.mark('tarnwick-ready'); // the serial field calculates from here

const whenIdle = globalThis.requestIdleCallback ?? ((run) => setTimeout(run, 200));
whenIdle(() => startTableWorker(), { timeout: 2000 });
