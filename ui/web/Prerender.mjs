// Writes the main window's form into the site's index.html, as the page itself builds it: the
// core (tarnwick-web.wasm, the same module the browser runs) and the page's own frmMainPage.js,
// run under node over a document read from index.html. The browser then paints the whole form
// from the HTML and the style sheet, before any script has run; start.js takes it over in place
// once the core has started. The controls' places and fonts, which the page sets on each element,
// become rules of one style element, after the style sheet's own, whose hash the page's
// Content-Security-Policy allows (it allows no style attribute). Run by the build (MakeSite.cmake): node Prerender.mjs SITE
// (jsdom, Debian's node-jsdom, is found through NODE_PATH).

import { createHash } from 'node:crypto';
import { readFileSync, renameSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const site = path.resolve(process.argv[2] ?? '.');
const page = path.join(site, 'index.html');
const { JSDOM } = createRequire(import.meta.url)('jsdom');

const dom = new JSDOM(readFileSync(page, 'utf8'), { url: 'http://localhost/' });
const { window } = dom;
const { document } = window;
// Two properties browsers reflect as attributes and jsdom does not.
for (const [property, attribute] of [['spellcheck', 'spellcheck'], ['enterKeyHint', 'enterkeyhint']]) {
  Object.defineProperty(window.HTMLElement.prototype, property, {
    set(value) { this.setAttribute(attribute, String(value)); },
    get() { return this.getAttribute(attribute); },
  });
}
// The browser's globals the page's modules use, as a browser in English at a desktop's width
// has them: numbers are written in the page's language until the browser's own takes over.
for (const name of ['document', 'Event', 'HTMLElement', 'getComputedStyle', 'addEventListener']) {
  globalThis[name] = typeof window[name] === 'function' && !/^[A-Z]/.test(name)
    ? window[name].bind(window) : window[name];
}
Object.defineProperty(globalThis, 'navigator', { value: { language: 'en' }, configurable: true });
globalThis.matchMedia = () => ({ matches: false, addEventListener() {} });

const createCore = (await import(pathToFileURL(path.join(site, 'tarnwick-web.js')))).default;
const core = await createCore({ wasmBinary: readFileSync(path.join(site, 'tarnwick-web.wasm')) });
const { openMainPage } = await import(pathToFileURL(path.join(site, 'frmMainPage.js')));

const root = document.getElementById('page');
const without = root.querySelector('noscript');
openMainPage(core, root, document.getElementById('announcements'));
root.dataset.prerendered = ''; // start.js: the form is the HTML's until the core takes it over
// The pictures (all decoration) are fetched once the form is on screen: start.js gives them their
// files then, so that on a slow connection they do not hold the first paint back.
for (const image of root.querySelectorAll('img[src]')) {
  image.dataset.src = image.getAttribute('src');
  image.removeAttribute('src');
}
const serial = root.querySelector('#txtSerial');
serial.autofocus = true; // as the page focuses it
// Enter (or Calculate) before any script has come sends the form to the page itself, with the
// serial as ?serial=, which the page takes up as typed (EarlyForm.js).
serial.name = 'serial';
if (without) root.append(without);

// The modules start.js imports, and theirs, named on the page's one script: EarlyForm.js asks for
// them all at once as it starts the page, rather than one level of imports after another.
function importsOf(file, found = new Set()) {
  const source = readFileSync(path.join(site, file), 'utf8');
  for (const [, name] of source.matchAll(/^import [^;]*? from '\.\/([\w.-]+\.js)';$/gm)) {
    if (!found.has(name)) importsOf(name, found.add(name));
  }
  return found;
}
const early = document.head.querySelector('script[src="EarlyForm.js"]');
early.dataset.modules = ['start.js', ...importsOf('start.js')].filter((name) => name !== 'EarlyForm.js').join(' ');
// On a desktop the browser asks for all of them, the core's loader and its WebAssembly as it
// reads the head: EarlyForm.js runs only once the page is parsed (and, in Chromium, laid out
// first), which had the core's 2 MB asked for some 0.15 s later. A touch-first device (the
// query EarlyForm.js asks) matches none of these links and asks for them after its first paint.
const desktop = 'not all and (hover: none) and (pointer: coarse)';
const linkTo = (attributes) => {
  const link = document.createElement('link');
  for (const [name, value] of Object.entries({ ...attributes, media: desktop })) link.setAttribute(name, value);
  return link;
};
// (crossorigin: as fetch() asks for it, so that EarlyForm.js's fetch takes this one)
const wasm = linkTo({ rel: 'preload', href: 'tarnwick-web.wasm', as: 'fetch', type: 'application/wasm', crossorigin: '' });
const preloads = [...early.dataset.modules.split(' '), 'tarnwick-web.js']
  .map((name) => linkTo({ rel: 'modulepreload', href: name }));
early.after(wasm, ...preloads);

// Each style attribute as a rule for its element, as specific as the page's own id rules and
// more (the attribute outranked them all).
const rules = [...root.querySelectorAll('[style]')].map((element) => {
  const selector = element.id ? `#page #${element.id}` : `#page #${element.parentElement.id} > .${element.classList[0]}`;
  if (root.querySelectorAll(selector).length !== 1) throw new Error(`no single element for ${selector}`);
  const rule = `${selector} { ${element.getAttribute('style')} }`;
  element.removeAttribute('style');
  return rule;
});
// The style sheet stands in the page with them, so that the first paint waits for the HTML alone.
const sheet = document.head.querySelector('link[rel=stylesheet]');
const style = document.createElement('style');
style.textContent = `\n${readFileSync(path.join(site, sheet.getAttribute('href')), 'utf8')}\n${rules.join('\n')}\n`;
sheet.replaceWith(style);
const policy = document.head.querySelector('meta[http-equiv=Content-Security-Policy]');
const hash = createHash('sha256').update(style.textContent).digest('base64');
policy.content = policy.content.replace("style-src 'self'", `style-src 'self' 'sha256-${hash}'`);

writeFileSync(`${page}.part`, dom.serialize());
renameSync(`${page}.part`, page);
