// The main window's form as the HTML shows it (the build writes it there), before the core has
// started: it takes typing at once, and what a person does with it meanwhile is kept and handed
// to the page that takes the form over: the serial typed, where the caret stood, the buttons
// pressed (Enter as Calculate), and which element had the focus.

export function holdEarlyForm(root) {
  const serial = root.hasAttribute('data-prerendered') ? root.querySelector('#txtSerial') : null;
  const pressed = []; // selectors of the buttons pressed, in order
  const listening = new AbortController();
  // The form sent before this module had come (Enter, or Calculate): the page opened again with
  // the serial in its address. It is typed and calculated as if it had been held, and the
  // address is the page's own again.
  const address = new URL(location.href);
  const sent = address.searchParams.get('serial');
  if (serial && sent !== null) {
    address.searchParams.delete('serial');
    history.replaceState(history.state, '', address);
    if (serial.value === '') serial.value = sent;
    pressed.push('#cmdCalculate');
  }
  if (serial) {
    const { signal } = listening;
    serial.form.addEventListener('submit', (event) => {
      event.preventDefault(); // Enter or the default button: Calculate, once the form can
      pressed.push(`#${event.submitter?.id || 'cmdCalculate'}`);
    }, { signal });
    root.addEventListener('click', (event) => {
      const button = event.target.closest('button');
      if (button && button.type !== 'submit') pressed.push(button.id ? `#${button.id}` : '.close-box');
    }, { signal });
  }

  // What was done so far, to be given to the page that now stands in root. Call it before the
  // page takes the early form over.
  return function release() {
    listening.abort();
    if (!serial) return () => {};
    const kept = {
      text: serial.value,
      caret: serial.selectionEnd ?? serial.value.length,
      focus: document.activeElement,
    };
    return function replay() {
      const field = root.querySelector('#txtSerial');
      if (kept.focus && kept.focus !== document.body && !root.contains(kept.focus) && kept.focus.isConnected) {
        kept.focus.focus(); // typing elsewhere on the page goes on there
      }
      if (kept.text !== '' && field) {
        field.value = kept.text;
        field.setSelectionRange(kept.caret, kept.caret);
        field.dispatchEvent(new Event('input', { bubbles: true }));
      }
      for (const selector of pressed) root.querySelector(selector)?.click();
    };
  };
}

// The form is held from the moment this module runs: it is the one script the page lists, so it
// runs as soon as it has come.
export const releaseEarlyForm = holdEarlyForm(document.getElementById('page'));

// The rest of the page: its scripts, and the core's WebAssembly, compiled as it arrives. On a
// desktop (or a laptop) they are asked for at once, so that the calculator answers as soon as
// it can. On a touch-first device, a phone or a tablet, which may be slow and on a slow
// connection, they are asked for once the form has been painted, so that nothing but the HTML
// stands before the first paint there.
export const touchFirst = matchMedia('(hover: none) and (pointer: coarse)').matches;
export const core = { module: null, createCore: null }; // promises, once asked for

function startPage() {
  // Every module start.js imports, at once (the build names them), not one level after another.
  const modules = document.querySelector('script[data-modules]')?.dataset.modules.split(' ') ?? [];
  for (const name of modules) {
    const link = document.createElement('link');
    link.rel = 'modulepreload';
    link.href = name;
    document.head.append(link);
  }
  core.module = compileCore(new URL('./tarnwick-web.wasm', import.meta.url).href)
    .catch(() => null); // the core's own loader then fetches and compiles it
  core.createCore = import('./tarnwick-web.js').then((loader) => loader.default);
  import('./start.js');
}

// The core's WebAssembly, compiled as it arrives. On a touch-first device by a worker
// (CoreCompiler.js), off the page's thread: that took the blocking time of Lighthouse's simulated
// phone from about 1.4 to 0.4 s. On a desktop by the page, which spares the worker's start
// (0.1 to 0.25 s before its fetch begins, here). Where the browser lacks compileStreaming or
// workers, the promise rejects rather than the start throwing, and the core's own loader takes over.
async function compileCore(address) {
  if (!touchFirst) return WebAssembly.compileStreaming(fetch(address));
  return new Promise((resolve, reject) => {
    const compiler = new Worker(new URL('./CoreCompiler.js', import.meta.url));
    const done = (module) => {
      compiler.terminate();
      if (module) resolve(module);
      else reject(new Error('the core could not be compiled'));
    };
    compiler.addEventListener('message', ({ data }) => done(data.module));
    compiler.addEventListener('error', () => done(null));
    compiler.postMessage(address);
  });
}

// After the form's first paint. (A browser that does not tell of its paints: after the first
// frame; one that does not tell of this one: after 3 s.)
function whenPainted(run) {
  let started = false;
  const start = () => {
    if (started) return;
    started = true;
    run();
  };
  if (!globalThis.PerformanceObserver?.supportedEntryTypes?.includes('paint')) {
    requestAnimationFrame(() => setTimeout(start));
    return;
  }
  const observer = new PerformanceObserver((entries) => {
    if (!entries.getEntriesByName('first-contentful-paint').length) return;
    observer.disconnect();
    start();
  });
  observer.observe({ type: 'paint', buffered: true });
  setTimeout(start, 3000);
}

if (touchFirst) whenPainted(startPage);
else startPage();
