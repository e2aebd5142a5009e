// Workbooks as a registry's own scripts and web apps write them, with SheetJS and ExcelJS, for the
// command's round trip (cli/tests/tst_roundtrip.py):
//
//     node makeWorkbooks.mjs BOOKS.json OUTDIR
//
// BOOKS.json: { "NAME.xlsx" or "NAME.ods": { "writer": "sheetjs" or "exceljs", "packed": whether
// SheetJS deflates every part, "title": a title row's text or null, "rows": [[cell, ...], ...] } },
// a cell being null (empty), a number, a text, or { "formula": ..., "value": ... } with the value
// it gives (text or a number). Each workbook is written as OUTDIR/NAME.
import ExcelJS from 'exceljs';
import XLSX from 'xlsx';
import { readFileSync, writeFileSync } from 'node:fs';
import path from 'node:path';

// SheetJS: a formula cell keeps its formula and the value it gives, a text one as a formula
// string; an .ods has its manifest first and its mimetype later, stored or, packed, deflated.
function sheetjs(book, name) {
  const rows = (book.title === null ? [] : [[book.title]]).concat(book.rows);
  const sheet = {};
  rows.forEach((row, r) => row.forEach((value, c) => {
    if (value === null) return;
    const cell = typeof value === 'object' ? { v: value.value, f: value.formula } : { v: value };
    cell.t = typeof cell.v === 'number' ? 'n' : 's';
    sheet[XLSX.utils.encode_cell({ r, c })] = cell;
  }));
  const width = Math.max(...rows.map((row) => row.length));
  sheet['!ref'] = XLSX.utils.encode_range({ s: { r: 0, c: 0 }, e: { r: rows.length - 1, c: width - 1 } });
  const workbook = XLSX.utils.book_new();
  XLSX.utils.book_append_sheet(workbook, sheet, 'Register');
  return XLSX.write(workbook, {
    type: 'buffer', bookType: path.extname(name).slice(1), compression: Boolean(book.packed),
  });
}

// ExcelJS: the title merged across the table's width and set in bold, as a report's heading.
async function exceljs(book) {
  const workbook = new ExcelJS.Workbook();
  const sheet = workbook.addWorksheet('Register');
  if (book.title !== null) {
    sheet.addRow([book.title]);
    sheet.mergeCells(1, 1, 1, book.rows[0].length);
    sheet.getCell(1, 1).font = { bold: true, size: 14 };
  }
  for (const row of book.rows) {
    sheet.addRow(row.map((value) => (value !== null && typeof value === 'object'
      ? { formula: value.formula, result: value.value } : value)));
  }
  return Buffer.from(await workbook.xlsx.writeBuffer());
}

const [books, outdir] = process.argv.slice(2);
for (const [name, book] of Object.entries(JSON.parse(readFileSync(books, 'utf8')))) {
  const bytes = book.writer === 'exceljs' ? await exceljs(book) : sheetjs(book, name);
  writeFileSync(path.join(outdir, name), bytes);
}
