// The table worker (a module Web Worker): runs the dating engine, compiled to
// WebAssembly (tarnwick-table.js), away from the page, so that the page stays responsive while a
// long table is dated. Each request { id, type, ... } gets one reply { id, ... }; while a table is
// dated, { type: 'progress', fraction } messages come before it. Files arrive and leave as bytes.

import createTable from './tarnwick-table.js';

const table = createTable();

const HANDLERS = {
  // The header's names for the column picker: { kind, names, chosen, problem }.
  header: (module, { bytes }) => module.tableHeader(new Uint8Array(bytes)),
  // The dated file and the register's portrait: { status, kind, bytes, messages, summary, preview,
  // portrait: { svg, monthsCsv, words, years } }; `portrait: false` leaves the portrait out.
  date: (module, { bytes, column, language, name = '', portrait = true }) =>
    module.dateTable(new Uint8Array(bytes), column, language, name, portrait),
  // The serials built on a day, its count of cars grouped as the language groups numbers:
  // { answered, text }.
  builtOn: (module, { day, language }) => module.builtOn(day, language),
};

// Listening from the start: a request that comes while the module still loads waits for it.
self.addEventListener('message', async ({ data }) => {
  const handler = HANDLERS[data.type];
  try {
    const reply = handler(await table, data);
    const moved = [reply.bytes, reply.portrait?.svg, reply.portrait?.monthsCsv].filter(Boolean)
      .map((bytes) => bytes.buffer);
    self.postMessage({ id: data.id, ...reply }, moved);
  } catch (error) {
    self.postMessage({ id: data.id, failed: String(error?.message ?? error) });
  }
});

table.then(() => self.postMessage({ type: 'ready' }),
  (error) => self.postMessage({ type: 'ready', failed: String(error?.message ?? error) }));
