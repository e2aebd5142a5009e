// The page's message boxes: the form's modal boxes (title, text, icon, buttons, the button that
// Enter presses) as HTML dialogs, which keep the keyboard inside them while they are open.

const BUTTON_TEXTS = { Ok: 'OK', Yes: '&Yes', No: '&No' };
const ICON_SIGNS = { Warning: '!', Question: '?' };

import { markMnemonic } from './ControlBuilder.js';

// Shows a box; resolves to the answer: "Ok", "Yes", "No", or "Closed" for a box closed with
// Escape.
export function ask(message) {
  const dialog = document.createElement('dialog');
  dialog.className = 'message-box';
  dialog.setAttribute('aria-labelledby', 'message-title');
  dialog.setAttribute('aria-describedby', 'message-text');
  if (message.icon === 'Warning') dialog.setAttribute('role', 'alertdialog');

  const title = document.createElement('h2');
  title.id = 'message-title';
  title.textContent = message.title;
  const icon = document.createElement('span');
  icon.className = `message-icon ${message.icon.toLowerCase()}`;
  icon.setAttribute('aria-hidden', 'true');
  icon.textContent = ICON_SIGNS[message.icon];
  const text = document.createElement('p');
  text.id = 'message-text';
  text.textContent = message.text;
  const body = document.createElement('div');
  body.className = 'message-body';
  body.append(icon, text);

  const form = document.createElement('form');
  form.method = 'dialog';
  form.className = 'message-buttons';
  for (const answer of message.buttons) {
    const button = document.createElement('button');
    button.value = answer;
    const caption = BUTTON_TEXTS[answer];
    const at = caption.indexOf('&');
    if (at >= 0) {
      const key = caption[at + 1];
      const underlined = document.createElement('u');
      underlined.textContent = key;
      button.append(caption.slice(0, at), underlined, caption.slice(at + 2));
      markMnemonic(button, key.toLowerCase());
    } else {
      button.textContent = caption;
    }
    if (answer === message.defaultAnswer) button.autofocus = true;
    form.append(button);
  }
  dialog.append(title, body, form);
  document.body.append(dialog);

  return new Promise((resolve) => {
    dialog.addEventListener('close', () => {
      dialog.remove();
      resolve(dialog.returnValue || 'Closed');
    });
    dialog.showModal();
  });
}

// What a screen reader should say: a polite live region, emptied first, so that the same
// sentence after a second Calculate is spoken again.
export class Announcer {
  constructor(region) {
    this.region = region;
  }

  announce(text) {
    this.region.textContent = '';
    clearTimeout(this.timer);
    this.timer = setTimeout(() => {
      this.region.textContent = text;
    }, 100);
  }
}
