// The register's portrait in the "Date a whole table" section, once a table is dated: the
// picture the dating engine draws (the very SVG that `tarnwick-estimate --portrait FILE.svg`
// writes) inline in a figure, its figures in words as the caption, and a table of the
// register's cars by year beside the factory's output. The worker gives it all: the SVG's
// bytes, the words, and the years summed from its months, numbers grouped as the browser's
// language groups them.

// The rules of the picture's own style sheet, made to apply to the picture alone.
let pictureRules = null;

// The engine's SVG, parsed as XML (never as HTML), without its <style> element: a style element
// is what the page's Content-Security-Policy refuses (even in a document DOMParser makes), and
// its rules (text, .grid, .title) would reach the whole page. They are taken out of the text
// before it is parsed (the engine writes them as plain text, with no markup or entity) and
// taken up, scoped to `scope`, by a constructed style sheet. Null when the bytes are no SVG.
const STYLE = /<style>([^<]*)<\/style>/g;
function pictureOf(bytes, scope) {
  const text = new TextDecoder().decode(bytes);
  const parsed = new DOMParser().parseFromString(text.replace(STYLE, ''), 'image/svg+xml');
  const svg = parsed.documentElement;
  if (svg.localName !== 'svg' || parsed.getElementsByTagName('parsererror').length > 0) return null;
  adoptScoped([...text.matchAll(STYLE)].map(([, rules]) => rules).join('\n'), scope);
  return document.importNode(svg, true);
}

function adoptScoped(css, scope) {
  const own = new CSSStyleSheet();
  own.replaceSync(css);
  const scoped = new CSSStyleSheet();
  for (const rule of own.cssRules) {
    if (rule instanceof CSSStyleRule) {
      scoped.insertRule(`${scope} svg :is(${rule.selectorText}) { ${rule.style.cssText} }`, scoped.cssRules.length);
    }
  }
  document.adoptedStyleSheets = [...document.adoptedStyleSheets.filter((sheet) => sheet !== pictureRules), scoped];
  pictureRules = scoped;
}

function cell(tag, text) {
  const element = document.createElement(tag);
  element.textContent = text;
  return element;
}

// { figure, picture, caption, years }: the figure, the picture's place in it, its caption, and
// the wrapper of the table by year.
export function showPortrait({ figure, picture, caption, years }, portrait) {
  const svg = pictureOf(portrait.svg, `#${figure.id}`);
  picture.replaceChildren(...(svg ? [svg] : []));
  caption.textContent = portrait.words;
  figure.hidden = false;
  years.querySelector('tbody').replaceChildren(...portrait.years.map((year) => {
    const row = document.createElement('tr');
    const heading = cell('th', year.year);
    heading.scope = 'row';
    row.append(heading, cell('td', year.cars), cell('td', year.built), cell('td', year.per10000));
    return row;
  }));
  years.hidden = false;
}

export function clearPortrait({ figure, picture, caption, years }) {
  figure.hidden = true;
  picture.replaceChildren();
  caption.textContent = '';
  years.hidden = true;
  years.querySelector('tbody').replaceChildren();
}
