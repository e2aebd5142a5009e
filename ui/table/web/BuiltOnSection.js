// The page's "Which serials were built on a day?" section: the browser's date field, limited to
// the production period, answered by the batch command's --built-on in the table worker, as the
// command answers that day (October to December 1912 is one production month, which the answer
// explains). The answer goes to the section's live region.

import { runTask, startTableWorker } from './TableTasks.js';

// Typing a day changes the field at each part; the answer waits for a pause.
const PAUSE_MS = 300;

export function openBuiltOn(section) {
  const day = section.querySelector('#built-on-day');
  const answer = section.querySelector('#built-on-answer');
  day.disabled = false; // disabled in the HTML until now
  let timer = 0;
  let asked = 0; // the last question: an earlier answer that comes later is stale

  async function lookUp() {
    const question = ++asked;
    if (!day.value) {
      answer.textContent = '';
      return;
    }
    let text;
    try {
      text = (await runTask('builtOn', { day: day.value, language: navigator.language })).text;
    } catch (error) {
      text = `The answer could not be found here (${error.message}).`;
    }
    if (question === asked) answer.textContent = text;
  }

  day.addEventListener('input', () => {
    clearTimeout(timer);
    timer = setTimeout(lookUp, PAUSE_MS);
  });
  section.addEventListener('focusin', () => startTableWorker(), { once: true });
}
