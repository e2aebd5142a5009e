// Builds the page's controls from a window's control table, as the desktop view's builder builds
// widgets from it: one element a row, placed in pixels (15 twips each) where the row puts it,
// with the row's font, alignment and stacking. Styles that depend on the screen (one column on a
// phone) are the style sheet's: the builder only hands it each control's place and font.

const TWIPS_PER_PIXEL = 15;
const PIXELS_PER_POINT = 96 / 72;

// Later layers stand in front: pictures, the band, labels, then fields, buttons and frames.
const STACKING = { Picture: 0, Rectangle: 1, Label: 2, TextField: 3, Button: 3, Frame: 3 };

// The faces the window asks for, with the substitutes it installs for them.
const FACES = {
  'Arial': '"Arial", "Liberation Sans", "Arimo", sans-serif',
  'MS Sans Serif':
    '"Microsoft Sans Serif", "Liberation Sans", "Arimo", "Arial", "DejaVu Sans", sans-serif',
};

export function toPixels(twips) {
  return Math.trunc(twips / TWIPS_PER_PIXEL);
}

// "&Calculate": the caption without its ampersand, and the access key it marks.
export function mnemonic(caption) {
  const at = caption.search(/&[^&]/);
  return {
    text: caption.replace(/&(.)/g, '$1'),
    key: at >= 0 ? caption[at + 1].toLowerCase() : null,
    at,
  };
}

// Alt and a button's underlined letter press it, as in the window, whatever a browser's own
// access keys are: in the open dialog while there is one, else on the page.
export function markMnemonic(button, key) {
  if (!key) return;
  button.dataset.mnemonic = key;
  button.setAttribute('aria-keyshortcuts', `Alt+${key.toUpperCase()}`);
}

export function installMnemonics() {
  document.addEventListener('keydown', (event) => {
    if (!event.altKey || event.ctrlKey || event.metaKey || event.key.length !== 1) return;
    const dialogs = document.querySelectorAll('dialog[open]');
    const scope = dialogs.length ? dialogs[dialogs.length - 1] : document;
    const key = CSS.escape(event.key.toLowerCase());
    const button = scope.querySelector(`button[data-mnemonic="${key}"]`);
    if (button) {
      event.preventDefault();
      button.click();
    }
  });
}

export function setCaption(element, row, text) {
  if (row.kind === 'TextField') {
    if (element.value !== text) element.value = text;
  } else if (row.kind === 'Button') {
    const { text: plain, at } = mnemonic(text);
    element.replaceChildren(plain);
    if (at >= 0) {
      // The access key's letter underlined, as the window shows it.
      const underlined = document.createElement('u');
      underlined.textContent = plain[at];
      element.replaceChildren(plain.slice(0, at), underlined, plain.slice(at + 1));
    }
  } else if (row.kind === 'Frame') {
    element.querySelector('.frame-caption').textContent = text;
  } else if (row.kind === 'Label') {
    if (element.textContent !== text) element.textContent = text;
    if (!row.wordWrap) fitOneLine(element);
  }
}

// Condensing beyond this would read as a different face; the caption is then cut as it is.
const NARROWEST_STRETCH = 0.9;

// A one-line caption a little too wide for its label is drawn condensed to fit, as the window
// draws it. Only where the page stands as the window does: a narrow screen wraps captions.
export function fitOneLine(element) {
  element.style.removeProperty('--stretch');
  if (!element.isConnected || getComputedStyle(element).position !== 'absolute') return;
  const room = element.clientWidth;
  const needed = element.scrollWidth;
  if (needed > room) {
    element.style.setProperty('--stretch', Math.max(NARROWEST_STRETCH, room / needed).toFixed(3));
  }
}

function makeElement(row, pictures, buddy) {
  switch (row.kind) {
    case 'Picture': {
      const image = document.createElement('img');
      image.src = pictures[row.name];
      // The picture's own size (the control's less a thin border): its proportions before it has
      // come, where the screen is too narrow to place it.
      const border = row.thinBorder ? 2 : 0;
      image.width = toPixels(row.width) - border;
      image.height = toPixels(row.height) - border;
      image.alt = ''; // a decoration: nothing in it for a screen reader to tell
      // Fetched after the form's own files and when it comes into view (on a phone the tall
      // picture stands below the form): the form is painted without waiting for it.
      image.setAttribute('loading', 'lazy');
      image.setAttribute('fetchpriority', 'low');
      return image;
    }
    case 'Label': {
      if (!buddy) return document.createElement('div');
      const label = document.createElement('label'); // names the field it stands beside
      label.htmlFor = buddy;
      return label;
    }
    case 'TextField': {
      const field = document.createElement('input');
      field.type = 'text';
      field.readOnly = row.readOnly;
      field.autocomplete = 'off';
      field.spellcheck = false;
      return field;
    }
    case 'Button': {
      const button = document.createElement('button');
      button.type = row.defaultButton ? 'submit' : 'button';
      markMnemonic(button, mnemonic(row.text).key);
      return button;
    }
    case 'Frame': {
      // A group named by its caption, which stands in the frame's top edge.
      const frame = document.createElement('div');
      frame.setAttribute('role', 'group');
      const caption = document.createElement('div');
      caption.className = 'frame-caption';
      caption.id = `${row.name}-caption`;
      frame.setAttribute('aria-labelledby', caption.id);
      frame.append(caption);
      return frame;
    }
    default: {
      const shape = document.createElement('div');
      shape.setAttribute('aria-hidden', 'true');
      return shape;
    }
  }
}

// One control of a table row. `pictures` names each picture's file; `idPrefix` sets one window's
// control names apart from the other's; `buddies` names the field a label stands for.
export function buildControl(row, { pictures = {}, idPrefix = '', buddies = {} } = {}) {
  const buddy = buddies[row.name] ? idPrefix + buddies[row.name] : null;
  const element = makeElement(row, pictures, buddy);
  element.id = idPrefix + row.name;
  element.classList.add('control', row.kind.toLowerCase());
  if (row.rightAligned) element.classList.add('right');
  if (row.wordWrap) element.classList.add('wrap');
  if (row.buttonFace) element.classList.add('button-face');
  if (row.thinBorder) element.classList.add('thin-border');
  const style = element.style;
  style.setProperty('--left', `${toPixels(row.left)}px`);
  style.setProperty('--top', `${toPixels(row.top)}px`);
  style.setProperty('--width', `${toPixels(row.width)}px`);
  style.setProperty('--height', `${toPixels(row.height)}px`);
  style.setProperty('--layer', STACKING[row.kind]);
  if (row.kind !== 'Picture' && row.kind !== 'Rectangle') {
    style.fontFamily = FACES[row.font.face] ?? `"${row.font.face}", sans-serif`;
    style.fontSize = `${Math.max(1, Math.round(row.font.points * PIXELS_PER_POINT))}px`;
    style.fontWeight = row.font.bold ? 'bold' : 'normal';
  }
  setCaption(element, row, row.text);
  return element;
}

// Whether a row lies outside the window's client area, never seen: its text lives in the field
// set only.
export function isOutsideClientArea(row, client) {
  return !row.inFrame && row.left >= client.width;
}

export function clientStyle(element, client) {
  element.style.setProperty('--client-width', `${toPixels(client.width)}px`);
  element.style.setProperty('--client-height', `${toPixels(client.height)}px`);
}
