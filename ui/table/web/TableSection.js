// The page's "Date a whole table" section: a CSV file or a workbook (.xlsx, .ods), chosen or
// dropped on the page, is dated by the batch command's column mode in the table worker, on this
// device, and comes back as the same kind of file with the estimate's columns added. The column
// is picked from the header's names (one whose name says serial is preselected); a progress bar
// follows the run; the first rows are previewed; the summary goes to the section's live region;
// Save downloads the dated file.

import { runTask, startTableWorker } from './TableTasks.js';

const TYPES = {
  '.csv': 'text/csv',
  '.xlsx': 'application/vnd.openxmlformats-officedocument.spreadsheetml.sheet',
  '.ods': 'application/vnd.oasis.opendocument.spreadsheet',
};

// "register.xlsx" dated is "register-dated.xlsx"; the extension is the file's kind as its bytes
// tell it.
export function datedName(name, kind) {
  const base = name.replace(/\.[^.]*$/, '') || 'table';
  return `${base}-dated${kind}`;
}

export function openDateTable(section) {
  const picker = section.querySelector('#date-table-file');
  const column = section.querySelector('#date-table-column');
  const run = section.querySelector('#date-table-run');
  const progress = section.querySelector('#date-table-progress');
  const status = section.querySelector('#date-table-status');
  const messages = section.querySelector('#date-table-messages');
  const preview = section.querySelector('#date-table-preview');
  const save = section.querySelector('#date-table-save');
  const drop = section.querySelector('#date-table-drop');

  let table = null; // the chosen File
  let dated = null; // { url, name }
  let busy = false;
  let chosenAt = 0; // the last choice: a later one makes an earlier header reply stale

  function say(text) {
    status.textContent = text;
  }

  function setBusy(value) {
    busy = value;
    section.setAttribute('aria-busy', String(value));
    picker.disabled = value; // another file waits until this one is dated
    run.setAttribute('aria-disabled', String(value || !column.value));
    run.disabled = !table || !column.value;
  }

  function clearResult() {
    if (dated) URL.revokeObjectURL(dated.url);
    dated = null;
    save.disabled = true;
    save.textContent = 'Save the dated file';
    messages.replaceChildren();
    messages.hidden = true;
    preview.hidden = true;
    preview.querySelector('tbody').replaceChildren();
    progress.hidden = true;
    progress.value = 0;
  }

  function fillColumns(header) {
    const options = header.names.map((name) => new Option(name, name));
    if (header.chosen < 0) {
      const none = new Option('Choose the column', '');
      none.disabled = true;
      options.unshift(none);
    }
    column.replaceChildren(...options);
    column.selectedIndex = header.chosen < 0 ? 0 : header.chosen;
    column.disabled = false;
  }

  async function choose(file) {
    if (busy || !file) return;
    const at = ++chosenAt;
    table = file;
    clearResult();
    column.disabled = true;
    column.replaceChildren(new Option('Reading the header…', ''));
    setBusy(false);
    say(`Reading the header of ${file.name}…`);
    let header;
    try {
      const bytes = await file.arrayBuffer();
      header = await runTask('header', { bytes }, { transfer: [bytes] });
    } catch (error) {
      header = { names: [], chosen: -1, problem: readFailure(error) };
    }
    if (at !== chosenAt) return;
    if (header.problem) {
      table = null;
      column.replaceChildren(new Option('Choose a file first', ''));
      setBusy(false);
      say(`${file.name}: ${header.problem}`);
      return;
    }
    fillColumns(header);
    setBusy(false);
    say(header.chosen < 0
      ? `${file.name}: choose the column that holds the serial numbers, then Date.`
      : `${file.name}: serial numbers from the column “${header.names[header.chosen]}”. Press Date to date the table.`);
  }

  async function date() {
    if (busy || !table || !column.value) return;
    const file = table;
    clearResult();
    setBusy(true);
    progress.hidden = false;
    say(`Dating ${file.name}…`);
    let result;
    try {
      const bytes = await file.arrayBuffer();
      result = await runTask('date', { bytes, column: column.value, language: navigator.language },
        { transfer: [bytes], onProgress: (fraction) => { progress.value = fraction; } });
    } catch (error) {
      result = { status: 2, bytes: new Uint8Array(), messages: [readFailure(error)], summary: '', preview: [] };
    }
    progress.value = 1;
    showMessages(result.messages);
    showPreview(result.preview);
    if (result.bytes.length > 0) {
      const name = datedName(file.name, result.kind);
      dated = { url: URL.createObjectURL(new Blob([result.bytes], { type: TYPES[result.kind] })), name };
      save.textContent = `Save ${name}`;
      save.disabled = false;
    }
    setBusy(false);
    progress.hidden = true;
    say(result.summary || `${file.name} was not dated: ${result.messages.join(' ') || 'it could not be read.'}`);
  }

  function showMessages(lines) {
    messages.replaceChildren(...lines.map((line) => {
      const item = document.createElement('li');
      item.textContent = line;
      return item;
    }));
    messages.hidden = lines.length === 0;
  }

  function showPreview(rows) {
    preview.querySelector('tbody').replaceChildren(...rows.map((row) => {
      const tr = document.createElement('tr');
      const serial = document.createElement('td');
      serial.textContent = row.serial;
      const day = document.createElement('td');
      if (row.error) {
        day.className = 'not-dated';
        day.textContent = `Not dated: ${row.error}`;
      } else {
        day.textContent = row.day;
        day.title = row.sentence;
      }
      tr.append(serial, day);
      return tr;
    }));
    preview.hidden = rows.length === 0;
  }

  function readFailure(error) {
    return `the file could not be read here (${error.message}).`;
  }

  picker.addEventListener('change', () => choose(picker.files[0]));
  column.addEventListener('change', () => setBusy(busy));
  run.addEventListener('click', date);
  save.addEventListener('click', () => {
    if (!dated) return;
    const link = document.createElement('a');
    link.href = dated.url;
    link.download = dated.name;
    link.click();
  });
  section.addEventListener('focusin', () => startTableWorker(), { once: true });

  // A file dropped anywhere on the page is the table; the browser would open it instead.
  const carriesFiles = (event) => event.dataTransfer?.types.includes('Files');
  addEventListener('dragover', (event) => {
    if (!carriesFiles(event)) return;
    event.preventDefault();
    event.dataTransfer.dropEffect = busy ? 'none' : 'copy';
    drop.classList.add('dragging');
  });
  addEventListener('dragleave', (event) => {
    if (event.relatedTarget === null) drop.classList.remove('dragging');
  });
  addEventListener('drop', (event) => {
    if (!carriesFiles(event)) return;
    event.preventDefault();
    drop.classList.remove('dragging');
    choose(event.dataTransfer.files[0]);
  });
}
