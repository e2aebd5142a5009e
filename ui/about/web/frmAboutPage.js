// The About window's page: the browser's view of frmAbout, a modal dialog built from its control
// table, whose captions the form fills at load. Close, or the caption bar's close box, unloads it.

import { buildControl, clientStyle, setCaption } from './ControlBuilder.js';
import { buildTitleBar } from './TitleBar.js';

const PICTURES = { Image3: 'images/Image3_about.gif' };
const ID_PREFIX = 'about-';

// Opens the About window over the page; resolves when it has closed.
export function showAbout(core) {
  const form = new core.frmAboutPage();
  form.load(); // before the window is first shown
  const client = core.aboutClientSize();

  const dialog = document.createElement('dialog');
  dialog.className = 'window about';
  dialog.id = 'frmAbout';
  const { bar, heading } = buildTitleBar({
    caption: client.caption,
    headingLevel: 2,
    onClose: () => dialog.close(), // closing from the caption bar: nothing to do but go
  });
  heading.id = 'frmAbout-caption';
  dialog.setAttribute('aria-labelledby', heading.id);

  const area = document.createElement('div');
  area.className = 'client';
  clientStyle(area, client);
  const texts = form.texts();
  for (const row of core.aboutControls()) {
    const element = buildControl(row, { pictures: PICTURES, idPrefix: ID_PREFIX });
    setCaption(element, row, texts[row.name]);
    if (row.name === 'cmdClose') {
      element.addEventListener('click', () => {
        if (form.clickClose()) dialog.close();
      });
    }
    area.append(element);
  }
  // The window reads as one text: the product, its version and the legal notices.
  const described = ['lblApp', 'Label1', 'lblVersion', 'lblCopyright', 'lblWarnings'];
  dialog.setAttribute('aria-describedby', described.map((name) => ID_PREFIX + name).join(' '));
  dialog.append(bar, area);
  // Escape does nothing: only Close and the close box close the window.
  dialog.addEventListener('cancel', (event) => event.preventDefault());
  document.body.append(dialog);

  return new Promise((resolve) => {
    dialog.addEventListener('close', () => {
      dialog.remove();
      form.delete();
      resolve();
    });
    dialog.showModal();
    area.querySelector(`#${ID_PREFIX}cmdClose`).focus();
  });
}
