// The main window's form as the HTML shows it (the build writes it there), before the core has
// started: it takes typing at once, and what a person does with it meanwhile is kept and handed
// to the page that takes the form over: the serial typed, where the caret stood, the buttons
// pressed (Enter as Calculate), and which element had the focus.

export function holdEarlyForm(root) {
  const serial = root.hasAttribute('data-prerendered') ? root.querySelector('#txtSerial') : null;
  const pressed = []; // selectors of the buttons pressed, in order
  const listening = new AbortController();
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

// The form is held from the moment this module runs: the page lists it before start.js, so that
// it runs as soon as it has come, without waiting for the rest of the page's scripts.
export const releaseEarlyForm = holdEarlyForm(document.getElementById('page'));
