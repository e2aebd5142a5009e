// The title bar the page draws above a window's client area, as a desktop draws one: the icon,
// the caption and a close box. The close box asks the window to close, as the desktop's does
// (`onClose`, or a listener the window's page adds).

export function buildTitleBar({ caption, icon, headingLevel, onClose }) {
  const bar = document.createElement('div');
  bar.className = 'title-bar';
  if (icon) {
    const image = document.createElement('img');
    image.src = icon;
    image.alt = '';
    image.className = 'title-icon';
    image.setAttribute('fetchpriority', 'low'); // the caption beside it is painted first
    bar.append(image);
  }
  const heading = document.createElement(`h${headingLevel}`);
  heading.className = 'caption';
  heading.textContent = caption;
  const close = document.createElement('button');
  close.type = 'button';
  close.className = 'close-box';
  close.textContent = '\u00D7';
  close.setAttribute('aria-label', 'Close');
  close.title = 'Close';
  if (onClose) close.addEventListener('click', onClose);
  bar.append(heading, close);
  return { bar, heading };
}
