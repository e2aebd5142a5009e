// The main window's page: the browser's view of frmMain, as the widget window is the desktop's.
// Every control shows the text the form's field set holds for it; edits of the serial field, the
// buttons, Enter and the close box go to the form's handlers (through the bridge, which answers
// the form as its host) and the page shows what came of them: the texts, a message box, the
// About window, an announcement, the end.

import { buildControl, clientStyle, isOutsideClientArea, setCaption } from './ControlBuilder.js';
import { Announcer, ask } from './MessageDialogs.js';
import { buildTitleBar } from './TitleBar.js';
import { showAbout } from './frmAboutPage.js';

const PICTURES = { Image1: 'images/Image1.gif', Image3: 'images/Image3_main.gif' };
const BUDDIES = { Label1: 'txtSerial' }; // "Serial Number:" names the serial field
const ICON = 'icons/icon-32.png';

// A line pasted or dropped keeps the text up to its first line break, as the window's field does.
function firstLine(text) {
  return text.split(/[\r\n]/, 1)[0];
}

// `rows` is the core's control table (core.mainControls()), when the caller has it already.
export function openMainPage(core, root, announcements, rows = core.mainControls()) {
  const form = new core.frmMainPage(navigator.language);
  const client = core.mainClientSize();
  const announcer = new Announcer(announcements);
  const shown = []; // [row, element] for each control in the client area
  let busy = false; // a message box or the About window is open

  // The form the HTML shows already (the build writes it there) is taken over as it stands, so
  // that the browser paints nothing anew; else the form is built here.
  const built = root.querySelector(':scope > #frmMain') ?? buildView(rows, client, root);
  const area = built.querySelector('form.client');
  for (const row of rows) {
    if (!isOutsideClientArea(row, client)) shown.push([row, area.querySelector(`#${row.name}`)]);
  }
  built.querySelector('.close-box').addEventListener('click', () => command(() => form.close()));
  area.addEventListener('submit', (event) => event.preventDefault()); // Enter clicks the default button
  delete root.dataset.prerendered;

  const serial = area.querySelector('#txtSerial');
  const serialRow = rows.find((row) => row.name === 'txtSerial');

  function render() {
    const texts = form.texts();
    for (const [row, element] of shown) {
      if (element !== serial) {
        setCaption(element, row, texts[row.name]);
      } else if (serial.value !== texts.txtSerial) {
        // The handler changed the text: it placed the caret too.
        serial.value = texts.txtSerial;
        const caret = form.caret('txtSerial');
        serial.setSelectionRange(caret, caret);
      }
    }
  }

  // Shows what came of a command: its message box (a question's answer runs the command again),
  // the About window, the end of the application, the announcement.
  async function settle(outcome) {
    render();
    busy = true;
    try {
      while (outcome.message) {
        const answer = await ask(outcome.message);
        if (outcome.message.buttons.length === 1) break;
        outcome = form.answer(answer);
        render();
      }
      if (outcome.about) await showAbout(core);
    } finally {
      busy = false;
    }
    if (outcome.ended) return end();
    if (outcome.announcement !== null) announcer.announce(outcome.announcement);
  }

  function command(run) {
    if (!busy) settle(run());
  }

  function end() {
    const note = document.createElement('p');
    note.className = 'ended';
    note.textContent = `${client.caption} is closed.`;
    const again = document.createElement('button');
    again.type = 'button';
    again.textContent = 'Open it again';
    again.addEventListener('click', () => location.reload());
    root.replaceChildren(note, again);
    again.focus();
  }

  // Typing stops at the field's limit; a paste or a drop comes whole.
  serial.addEventListener('beforeinput', (event) => {
    const typed = event.inputType === 'insertText' || event.inputType === 'insertCompositionText';
    if (!typed || !serialRow.maxLength) return;
    const selected = serial.selectionEnd - serial.selectionStart;
    if (serial.value.length - selected + (event.data ?? '').length > serialRow.maxLength) {
      event.preventDefault();
    }
  });
  // A paste goes into the field as the browser puts it (which may join its lines), then is cut
  // to its first line where it went.
  let pasted = null;
  serial.addEventListener('paste', (event) => {
    pasted = {
      text: firstLine(event.clipboardData?.getData('text/plain') ?? ''),
      before: serial.value,
      start: serial.selectionStart,
      end: serial.selectionEnd,
    };
  });
  serial.addEventListener('input', (event) => {
    if (pasted && event.inputType === 'insertFromPaste') {
      const { text, before, start, end } = pasted;
      serial.value = before.slice(0, start) + text + before.slice(end);
      serial.setSelectionRange(start + text.length, start + text.length);
    }
    pasted = null;
    command(() => form.edit('txtSerial', serial.value, serial.selectionStart));
  });
  for (const name of ['cmdCalculate', 'cmdReset', 'cmdAbout']) {
    area.querySelector(`#${name}`).addEventListener('click', () => command(() => form.click(name)));
  }
  // Closing the tab or the browser: the browser's own question, the one it allows a page.
  addEventListener('beforeunload', (event) => {
    if (!root.querySelector('.ended')) event.preventDefault();
  });

  // Between a desktop's width and a phone's the captions are fitted afresh.
  matchMedia('(max-width: 919px)').addEventListener('change', render);

  form.load();
  render();
  serial.focus();
  return form;
}

// The window's view: its title bar over its client area, with a control for each row.
function buildView(rows, client, root) {
  const view = document.createElement('section');
  view.className = 'window main';
  view.id = 'frmMain';
  const { bar, heading } = buildTitleBar({ caption: client.caption, icon: ICON, headingLevel: 1 });
  heading.id = 'frmMain-caption';
  view.setAttribute('aria-labelledby', heading.id);

  const area = document.createElement('form');
  area.className = 'client';
  area.noValidate = true;
  clientStyle(area, client);
  let frame = null;
  for (const row of rows) {
    if (isOutsideClientArea(row, client)) continue;
    const element = buildControl(row, { pictures: PICTURES, buddies: BUDDIES });
    (row.inFrame ? frame : area).append(element);
    if (row.kind === 'Frame') frame = element;
  }
  view.append(bar, area);
  root.replaceChildren(view);
  describe(rows, area);
  const serial = area.querySelector('#txtSerial');
  serial.inputMode = 'numeric';
  serial.enterKeyHint = 'go';
  return view;
}

// What a screen reader is told: each figure described by the caption beside it, the field and
// the buttons by their own descriptions (hidden texts the page keeps for them).
function describe(rows, area) {
  for (const row of rows) {
    const element = area.querySelector(`#${row.name}`);
    if (!element) continue;
    let description = row.describedBy ?? null;
    if (row.accessibleDescription) {
      const text = document.createElement('span');
      text.id = `${row.name}-description`;
      text.hidden = true;
      text.textContent = row.accessibleDescription;
      area.append(text);
      description = text.id;
    }
    if (description) element.setAttribute('aria-describedby', description);
  }
}
