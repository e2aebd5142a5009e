// The page's "Date a whole table" section: a CSV file or a workbook (.xlsx, .ods), chosen or
// dropped on the page, is dated by the batch command's column mode in the table worker, on this
// device, and comes back as the same kind of file with the estimate's columns added. The column
// is picked from the header's names (one whose name says serial is preselected); a progress bar
// follows the run; the first rows are previewed; the summary goes to the section's live region;
// Save downloads the dated file. The register's portrait follows (PortraitFigure.js), with its
// picture and its months to save as the command writes them. A file opened with the installed
// page from the file manager comes here as a chosen one does (openLaunched).

import { clearPortrait, showPortrait } from './PortraitFigure.js';
import { runTask, startTableWorker } from './TableTasks.js';

const TYPES = {
  '.csv': 'text/csv',
  '.xlsx': 'application/vnd.openxmlformats-officedocument.spreadsheetml.sheet',
  '.ods': 'application/vnd.oasis.opendocument.spreadsheet',
  '.svg': 'image/svg+xml',
};

// The names of what is saved from "register.xlsx": "register-dated.xlsx" (the extension is the
// file's kind as its bytes tell it), "register-portrait.svg", "register-months.csv".
export function savedName(name, ending) {
  const base = name.replace(/\.[^.]*$/, '') || 'table';
  return `${base}-${ending}`;
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
  const savePortrait = section.querySelector('#date-table-save-portrait');
  const saveMonths = section.querySelector('#date-table-save-months');
  const drop = section.querySelector('#date-table-drop');
  const portraitView = {
    figure: section.querySelector('#date-table-portrait'),
    picture: section.querySelector('#date-table-portrait-picture'),
    caption: section.querySelector('#date-table-portrait-words'),
    years: section.querySelector('#date-table-years'),
  };

  let table = null; // the chosen File
  let busy = false;
  let chosenAt = 0; // the last choice: a later one makes an earlier header reply stale
  let launched = null; // a file opened from the file manager while another was dated
  // What each Save button saves, { url, name }, and its caption while it has nothing to save.
  const offers = new Map();
  const captions = new Map([save, savePortrait, saveMonths].map((button) => [button, button.textContent]));
  // A browser that restores a form on reload (Firefox) gives back the chosen file and the enabled
  // controls, but not the table they were for: the section starts as one that has chosen nothing.
  picker.value = '';
  for (const control of [column, run, save, savePortrait, saveMonths]) control.disabled = true;
  picker.disabled = false; // disabled in the HTML until now

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

  function offer(button, bytes, name, kind) {
    offers.set(button, { url: URL.createObjectURL(new Blob([bytes], { type: TYPES[kind] })), name });
    button.textContent = `Save ${name}`;
    button.disabled = false;
  }

  function clearResult() {
    for (const [button, caption] of captions) {
      if (offers.has(button)) URL.revokeObjectURL(offers.get(button).url);
      button.disabled = true;
      button.textContent = caption;
    }
    offers.clear();
    clearPortrait(portraitView);
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

  // `focus`: the focus goes to Date (or to the column picker when no column was found), as for a
  // file opened from the file manager, which comes with the page's focus elsewhere.
  async function choose(file, { focus = false } = {}) {
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
    if (focus) (run.disabled ? column : run).focus();
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
      result = await runTask('date', { bytes, column: column.value, language: navigator.language, name: file.name },
        { transfer: [bytes], onProgress: (fraction) => { progress.value = fraction; } });
    } catch (error) {
      result = { status: 2, bytes: new Uint8Array(), messages: [readFailure(error)], summary: '', preview: [] };
    }
    progress.value = 1;
    showMessages(result.messages);
    showPreview(result.preview);
    if (result.bytes.length > 0) offer(save, result.bytes, savedName(file.name, `dated${result.kind}`), result.kind);
    if (result.portrait) {
      showPortrait(portraitView, result.portrait);
      offer(savePortrait, result.portrait.svg, savedName(file.name, 'portrait.svg'), '.svg');
      offer(saveMonths, result.portrait.monthsCsv, savedName(file.name, 'months.csv'), '.csv');
    }
    setBusy(false);
    progress.hidden = true;
    say(result.summary || `${file.name} was not dated: ${result.messages.join(' ') || 'it could not be read.'}`);
    const next = launched;
    launched = null;
    if (next) choose(next, { focus: true });
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
  for (const button of captions.keys()) {
    button.addEventListener('click', () => {
      if (!offers.has(button)) return;
      const link = document.createElement('a');
      link.href = offers.get(button).url;
      link.download = offers.get(button).name;
      link.click();
    });
  }
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

  return {
    // The files of a launch (launchQueue's FileSystemFileHandles): the first is the table, as if
    // chosen; while another is dated, it waits until that one is done.
    async openLaunched(handles) {
      const file = await handles[0]?.getFile();
      if (!file) return;
      if (busy) launched = file;
      else choose(file, { focus: true });
    },
  };
}
