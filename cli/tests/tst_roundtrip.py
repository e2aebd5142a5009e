#!/usr/bin/env python3
"""Registers kept in real spreadsheet programs' workbooks, dated by tarnwick-estimate and read
back by the same programs.

LibreOffice (soffice --headless) and Gnumeric (ssconvert) write the workbooks at test time, from
a flat OpenDocument file written here (several sheets, a title row, number, text and formula
serials, a merged cell, comments, a defined name, an empty row, dates, empty rows and columns
stored as repeats) and from CSV text. So do the libraries a registry's own scripts and web apps
write workbooks with: openpyxl (inline strings, the 1904 date system), XlsxWriter (its
constant-memory mode), SheetJS (formula strings; an .ods whose mimetype is neither first nor, in
one, stored) and ExcelJS (a merged title row above the header), through
tests/web/makeWorkbooks.mjs for the two JavaScript ones. Each is dated with

    tarnwick-estimate --column Serial [--sheet NAME] WORKBOOK --output DATED

and both programs convert the input and the dated workbook back to CSV, every sheet. Then:

- every cell the input had is unchanged, in every sheet, with its kind (text or not), and so
  are, to Gnumeric, the merged cells, comments, formulas, column widths and defined names;
- the estimate's columns start right of the last column the table uses, the header row holds
  their names and nothing else is added;
- every added cell equals the answer of the CSV path (`tarnwick-estimate --column Serial` on the
  same table as that program exports it as CSV): figures as numbers, sentences and reasons as
  text, the day as a date to both programs (LibreOffice exports it unquoted as a date; to
  Gnumeric it is a number, the day's count from 1899-12-30, shown as that date);
- the exit status is the CSV path's: 0 when every row is dated, 1 when some are not;
- the dated file is the same kind of package as the input (.xlsx or .ods), and every row a
  message names holds the serial the message quotes;
- the libraries' registers give the days worked out by hand (serial 400: January 9, 1909; 5:
  October 25, 1908), read back as dates in the workbook's own date system: by openpyxl for an
  .xlsx (which also finds every cell it wrote unchanged), by Gnumeric for an .ods.

Files that are no workbook the command can date (an old binary .xls, a password-protected
workbook, a zip of something else), a workbook without --output and an --output named for the
other kind of workbook are refused: exit status 2, nothing written, a message on standard error.

Usage: tst_roundtrip.py TARNWICK_ESTIMATE [WORK_DIR]   (WORK_DIR is emptied first)
"""

import csv
import datetime
import importlib.util
import json
import io
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
MAKE_WORKBOOKS = os.path.join(HERE, "..", "..", "tests", "web", "makeWorkbooks.mjs")
TOOLS = ["soffice", "ssconvert", "node"]
PYTHON_LIBRARIES = ["openpyxl", "xlsxwriter"]  # Debian's python3-openpyxl, python3-xlsxwriter
ADDED = ["estimate_serial", "estimate_month", "estimate_day", "estimate_year",
         "estimate_first_serial", "estimate_last_serial", "estimate_production_total",
         "estimate_daily_average", "estimate_cars_to_month_end", "estimate_days_to_month_end",
         "estimate_sentence", "estimate_error", "estimate_date"]
TEXT_COLUMNS = {"estimate_month", "estimate_sentence", "estimate_error"}
DATE_COLUMN = "estimate_date"
LO_TIMEOUT = 120   # seconds for one soffice run over a batch of files
RUN_TIMEOUT = 60   # seconds for one run of the command
DAY_ZERO = datetime.date(1899, 12, 30)  # day 0 of both programs' dates
DAY_ZERO_1904 = datetime.date(1904, 1, 1)  # day 0 of a workbook on the 1904 date system


class Failure(Exception):
    pass


# --- The sources: a flat OpenDocument workbook and CSV text ---------------------------------

def esc(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")


def cell(kind, value=None, *, formula=None, note=None, span=None, style=None):
    """One cell of the flat OpenDocument source."""
    attrs = []
    if style:
        attrs.append(f'table:style-name="{style}"')
    if span:
        attrs.append(f'table:number-columns-spanned="{span}" table:number-rows-spanned="1"')
    if formula:
        attrs.append(f'table:formula="of:={esc(formula)}"')
    shown = ""
    if kind == "text":
        attrs.append('office:value-type="string"')
        shown = value
    elif kind == "number":
        attrs.append(f'office:value-type="float" office:value="{value}"')
        shown = value
    elif kind == "date":
        attrs.append(f'office:value-type="date" office:date-value="{value}"')
        shown = value
    annotation = ""
    if note:
        annotation = (f"<office:annotation><dc:creator>Registrar</dc:creator>"
                      f"<text:p>{esc(note)}</text:p></office:annotation>")
    covered = "<table:covered-table-cell/>" * ((span or 1) - 1)
    if kind is None:
        return "<table:table-cell/>"
    return (f"<table:table-cell {' '.join(attrs)}>{annotation}<text:p>{esc(shown)}</text:p>"
            f"</table:table-cell>{covered}")


def table(name, rows, widths=()):
    columns = "".join(f'<table:table-column table:style-name="co{w}"/>' for w in widths)
    body = "".join("<table:table-row>" + "".join(r) + "</table:table-row>" if r else
                   "<table:table-row><table:table-cell/></table:table-row>" for r in rows)
    return f'<table:table table:name="{esc(name)}">{columns}{body}</table:table>'


def fods(tables, names=""):
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
 xmlns:dc="http://purl.org/dc/elements/1.1/" office:version="1.3"
 office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles>
 <number:date-style style:name="N1"><number:year number:style="long"/><number:text>-</number:text>
  <number:month number:style="long"/><number:text>-</number:text><number:day number:style="long"/>
 </number:date-style>
 <style:style style:name="day" style:family="table-cell" style:data-style-name="N1"/>
 <style:style style:name="co1" style:family="table-column"><style:table-column-properties style:column-width="1in"/></style:style>
 <style:style style:name="co2" style:family="table-column"><style:table-column-properties style:column-width="2in"/></style:style>
</office:automatic-styles>
<office:body><office:spreadsheet>{''.join(tables)}{names}</office:spreadsheet></office:body>
</office:document>
"""


def register_rows():
    """The register: a merged title row (with a note further right), the header, serials of
    every kind a registrar keeps, an empty row in the middle, rows that are not dated."""
    t, n = "text", "number"
    return [
        [cell(t, "Halvex register, spring audit", span=4), cell(None), cell(t, "kept by the club")],
        [cell(t, "Serial"), cell(t, "Owner"), cell(t, "Bought"), cell(t, "Price")],
        [cell(n, "1234567"), cell(t, "Zo\u00eb M\u00fcller", note="inherited"),
         cell("date", "1950-03-01", style="day"), cell(n, "1200")],
        [cell(t, "1,234,567"), cell(t, "A. Jones"), cell("date", "1961-07-15", style="day")],
        [cell(t, "1234567"), cell(t, "text cell, digits only")],
        [cell(t, "  400  "), cell(t, "blanks around")],
        [cell(n, "1234567", formula="1234000+567"), cell(t, "a formula's value")],
        [cell(n, "1234567.5"), cell(t, "half a car")],
        [cell(n, "164596"), cell(t, "October to December 1912")],
        [],
        [cell(n, "2831427"), cell(t, "no month recorded")],
        [cell(n, "99999999"), cell(t, "out of range")],
        [cell(t, "abc"), cell(t, "not a number")],
        [cell(None), cell(t, "no serial yet")],
        [cell(n, "1"), cell(t, "the first"), cell(None), cell(n, "95.5")],
        [cell(n, "15076231"), cell(t, "the last")],
    ]


def cover_rows():
    t, n = "text", "number"
    return [
        [cell(t, "Club register", span=2)],
        [cell(t, "Cars"), cell(n, "14", formula="2*7", note="counted by hand")],
        [cell(t, "Audited"), cell("date", "2026-04-01", style="day")],
    ]


def notes_rows():
    return [[cell("text", "Serial"), cell("text", "not this sheet's table")],
            [cell("number", "400"), cell("text", "a note")]]


def alldated_rows():
    t, n = "text", "number"
    return [[cell(t, "Serial"), cell(t, "Owner")],
            [cell(n, "400"), cell(t, "B")],
            [cell(t, "1,234,567"), cell(t, "C")],
            [cell(n, "15076231"), cell(t, "D")]]


def gapped_rows():
    """Empty rows above the table and empty columns left of its serials, which both programs
    store as one repeated row and one repeated cell; a row with a note in the first column
    spells its cells out, and a fraction is said with its row."""
    t, n = "text", "number"
    return [[], [], [],
            [cell(None), cell(None), cell(t, "Serial"), cell(t, "Owner")],
            [cell(None), cell(None), cell(n, "400"), cell(t, "A")],
            [cell(t, "note"), cell(None), cell(n, "5"), cell(t, "B")],
            [cell(None), cell(None), cell(n, "1234567.5"), cell(t, "C")]]


# A defined name over the register's serials.
SERIALS_NAME = ('<table:named-expressions><table:named-range table:name="Serials" '
                'table:base-cell-address="$Register.$A$3" '
                'table:cell-range-address="$Register.$A$3:.$A$16"/></table:named-expressions>')

SOURCES = {
    # name: flat OpenDocument text, or CSV text (imported by each program as it imports CSV)
    "register.fods": fods([table("Register", register_rows(), (1, 2, 1, 1)),
                           table("Cover", cover_rows(), (2, 1)),
                           table("Notes", notes_rows())], SERIALS_NAME),
    "covered.fods": fods([table("Cover", cover_rows(), (2, 1)),
                          table("Register", register_rows(), (1, 2, 1, 1))], SERIALS_NAME),
    "alldated.fods": fods([table("Cars", alldated_rows())]),
    "gapped.fods": fods([table("Cars", gapped_rows())]),
    "plain.csv": ("Halvex register,,\n"
                  "Serial,Owner,Note\n"
                  "1234567,a,number\n"
                  "\"1,234,567\",b,grouped\n"
                  "1234567.0,c,a point and a zero\n"
                  "164596,d,October to December 1912\n"
                  ",,\n"
                  "99999999,e,out of range\n"
                  "abc,f,not a number\n"),
}


# --- The registers that libraries write --------------------------------------------------------

# (serial cell, owner, what a person expects of the dated row: its day, "" for a serial dated
# without one, None for one not dated; and its sentence). A cell is a number, a text, or a
# formula with the value it gives.
REGISTER = [
    (400, "a number", "1909-01-09", "400 was built on January 9, 1909."),
    ("5", "a text cell", "1908-10-25", "5 was built on October 25, 1908."),
    (164596, "October to December 1912", "", None),
    ("abc", "not a number", None, None),
]
# The formula cells each library writes with the value they give (openpyxl gives none).
FORMULAS = {
    "xlsxwriter": [({"formula": "200*2", "value": 400}, "a formula", "1909-01-09",
                    "400 was built on January 9, 1909.")],
    "sheetjs": [({"formula": '"4"&"00"', "value": "400"}, "a formula string", "1909-01-09",
                 "400 was built on January 9, 1909.")],
    "exceljs": [({"formula": "200*2", "value": 400}, "a formula", "1909-01-09",
                 "400 was built on January 9, 1909.")],
}
BOUGHT = datetime.date(1950, 3, 1)  # a date openpyxl writes in the 1904 system


def register_of(writer):
    return REGISTER + FORMULAS.get(writer.split()[0], [])


def write_openpyxl(path):
    """openpyxl's own way: inline strings, here on the 1904 date system, below a title row."""
    import openpyxl
    from openpyxl.utils.datetime import CALENDAR_MAC_1904
    book = openpyxl.Workbook()
    book.epoch = CALENDAR_MAC_1904
    sheet = book.active
    sheet.title = "Register"
    sheet.append(["Halvex register, dates of 1904"])
    sheet.append(["Serial", "Owner", "Bought"])
    for serial, owner, *_ in register_of("openpyxl"):
        sheet.append([serial, owner, BOUGHT])
    book.save(path)


def write_xlsxwriter(path):
    """XlsxWriter in constant-memory mode: each row written out as it is made, strings inline."""
    import xlsxwriter
    book = xlsxwriter.Workbook(path, {"constant_memory": True})
    sheet = book.add_worksheet("Register")
    sheet.write_row(0, 0, ["Serial", "Owner"])
    for r, (serial, owner, *_) in enumerate(register_of("xlsxwriter"), 1):
        if isinstance(serial, dict):
            sheet.write_formula(r, 0, "=" + serial["formula"], None, serial["value"])
        else:
            sheet.write(r, 0, serial)
        sheet.write_string(r, 1, owner)
    book.close()


def write_javascript(books, work):
    """SheetJS's and ExcelJS's workbooks, {path: (writer, options)}, by makeWorkbooks.mjs."""
    spec = {}
    for path, (writer, options) in books.items():
        rows = [["Serial", "Owner"]] + [[serial, owner]
                                        for serial, owner, *_ in register_of(writer)]
        spec[os.path.basename(path)] = {"writer": writer.split()[0], "rows": rows, **options}
    spec_path = os.path.join(work, "javascript-books.json")
    with open(spec_path, "w", encoding="utf-8") as f:
        json.dump(spec, f)
    status, _, err = run(["node", MAKE_WORKBOOKS, spec_path, work], LO_TIMEOUT)
    if status != 0:
        raise Failure(f"makeWorkbooks.mjs failed (run `npm ci` in tests/web, as `make test` "
                      f"does): {err.decode(errors='replace')}")


# (writer, format): how each library's register is written. Its books are ("register", writer,
# format) among the others.
LIBRARY_BOOKS = {
    ("openpyxl", "xlsx"): None,
    ("xlsxwriter", "xlsx"): None,
    ("sheetjs", "xlsx"): {"title": None},
    ("sheetjs", "ods"): {"title": "Halvex register", "packed": False},
    ("sheetjs packed", "ods"): {"title": None, "packed": True},
    ("exceljs", "xlsx"): {"title": "Halvex register"},
}


# --- The programs ---------------------------------------------------------------------------

def run(argv, timeout, **kwargs):
    """Runs a program in a session of its own, ended whole when it overstays."""
    process = subprocess.Popen(argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                               start_new_session=True, **kwargs)
    try:
        out, err = process.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.communicate()
        raise Failure(f"{os.path.basename(argv[0])} took over {timeout} s: {argv}")
    return process.returncode, out, err


class LibreOffice:
    """soffice --headless on a profile of its own, many files per start."""

    # Comma, double quote, UTF-8, from line 1; quote every text cell; cells as shown; every sheet
    # to a file of its own.
    CSV_FILTER = "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,true,false,true,false,false,-1"

    def __init__(self, work):
        self.profile = os.path.join(work, "lo-profile")

    def convert(self, files, target, outdir):
        os.makedirs(outdir, exist_ok=True)
        argv = ["soffice", f"-env:UserInstallation=file://{self.profile}", "--headless",
                "--norestore", "--convert-to", target, "--outdir", outdir] + list(files)
        status, out, err = run(argv, LO_TIMEOUT)
        if status != 0:
            raise Failure(f"soffice --convert-to {target} failed: {err.decode(errors='replace')}")
        return out.decode()

    def sheets(self, files, outdir):
        """Each file's sheets in order: {file: [(name, rows of (text, quoted))]}."""
        log = self.convert(files, self.CSV_FILTER, outdir)
        found = {}
        current = None
        for line in log.splitlines():
            m = re.match(r"convert (.*?)(?: ->| using)", line)
            if m:
                current = m.group(1)
                found[current] = []
            m = re.match(r"Writing sheet (.*) -> (.*)$", line)
            if m and current:
                with open(m.group(2), encoding="utf-8", newline="") as f:
                    found[current].append((m.group(1), parse_quoted_csv(f.read())))
        for f in files:
            if not found.get(os.path.abspath(f)):
                raise Failure(f"LibreOffice exported no sheet of {f}:\n{log}")
        return {f: found[os.path.abspath(f)] for f in files}


class Gnumeric:
    """ssconvert: every sheet to CSV as its format shows each value (whatever the column's width)
    and as raw values, and the cells' kinds."""

    def convert(self, source, target, *options):
        status, _, err = run(["ssconvert", *options, source, target], 60)
        if status != 0:
            raise Failure(f"ssconvert {source} {target} failed: {err.decode(errors='replace')}")

    def _csv(self, path, outdir, fmt):
        os.makedirs(outdir, exist_ok=True)
        base = os.path.join(outdir, os.path.basename(path) + f".{fmt}")
        self.convert(path, base + "-%n.csv", "-S", "-T", "Gnumeric_stf:stf_assistant", "-O",
                     f"separator=, format={fmt} charset=UTF-8 eol=unix")
        sheets = []
        n = 0
        while os.path.exists(f"{base}-{n}.csv"):
            with open(f"{base}-{n}.csv", encoding="utf-8", newline="") as f:
                sheets.append([[(v, None) for v in row] for row in csv.reader(f)])
            n += 1
        return sheets

    def sheets(self, path, outdir):
        """[(name, shown rows, raw rows, {(row, col): ValueType}, layout)] for each sheet, in
        order, the workbook's defined names, and day 0 of its date system."""
        shown = self._csv(path, outdir, "automatic")
        raw = self._csv(path, outdir, "raw")
        xml_path = os.path.join(outdir, os.path.basename(path) + ".gnumeric.xml")
        self.convert(path, xml_path, "-T", "Gnumeric_XmlIO:sax:0")
        root = ET.parse(xml_path).getroot()
        result = []
        for i, sheet in enumerate(root.findall("gnm:Sheets/gnm:Sheet", GNM)):
            name = sheet.find("gnm:Name", GNM).text
            kinds = {(int(c.get("Row")), int(c.get("Col"))): c.get("ValueType")
                     for c in sheet.findall("gnm:Cells/gnm:Cell", GNM)}
            # Its CSV starts at the first row that holds a cell: the empty rows above are put back.
            above = [[]] * min((row for row, _ in kinds), default=0)
            result.append((name, above + shown[i] if i < len(shown) else [],
                           above + raw[i] if i < len(raw) else [], kinds, layout_of(sheet)))
        system = root.findtext("gnm:DateConvention", "", GNM)
        return result, names_of(root), DAY_ZERO_1904 if "1904" in system else DAY_ZERO


GNM = {"gnm": "http://www.gnumeric.org/v10.dtd"}


def layout_of(sheet):
    """What a sheet holds besides its cells' values, as Gnumeric reads it: merged cells,
    comments, formulas, column widths (by column), frozen panes, the sheet's names."""
    widths = {}
    for info in sheet.findall("gnm:Cols/gnm:ColInfo", GNM):
        for n in range(int(info.get("Count", "1"))):
            widths[int(info.get("No")) + n] = info.get("Unit")
    return {
        "merged cells": sorted(m.text for m in sheet.findall("gnm:MergedRegions/gnm:Merge", GNM)),
        "comments": sorted((c.get("ObjectBound"), c.get("Author"), c.get("Text"))
                           for c in sheet.findall("gnm:Objects/gnm:CellComment", GNM)),
        "formulas": sorted((c.get("Row"), c.get("Col"), c.text)
                           for c in sheet.findall("gnm:Cells/gnm:Cell", GNM)
                           if (c.text or "").startswith("=")),
        "frozen panes": [sorted(f.attrib.items())
                         for f in sheet.findall("gnm:SheetLayout/gnm:FreezePanes", GNM)],
        "names": names_of(sheet),
        "widths": widths,
    }


def names_of(element):
    return sorted((n.findtext("gnm:name", "", GNM), n.findtext("gnm:value", "", GNM))
                  for n in element.findall("gnm:Names/gnm:Name", GNM))


def check_layout(label, before, after, names_before, names_after, errors):
    """Everything but the cells' values stays: in every sheet, the merged cells, comments,
    formulas, frozen panes and names, and the widths of the columns the input had (the
    estimate's columns may get widths of their own)."""
    if names_before != names_after:
        errors.append(f"{label}: the defined names were {names_before}, are {names_after}")
    for (name, *_, old), (_, shown, *_, new) in zip(before, after):
        first_added = next((c for row in shown for c, (v, _) in enumerate(row)
                            if v == ADDED[0]), None)
        for part in old:
            was, now = old[part], new[part]
            if part == "widths" and first_added is not None:
                was = {c: w for c, w in was.items() if c < first_added}
                now = {c: w for c, w in now.items() if c < first_added}
            if was != now:
                errors.append(f"{label}: sheet {name!r}: the {part} were {was}, are {now}")


def parse_quoted_csv(text):
    """Rows of (field, quoted): LibreOffice quotes exactly the text cells."""
    rows, row, field, quoted, i = [], [], "", False, 0
    in_quotes = False
    started = False
    while i < len(text):
        c = text[i]
        if in_quotes:
            if c == '"' and text[i + 1:i + 2] == '"':
                field += '"'
                i += 1
            elif c == '"':
                in_quotes = False
            else:
                field += c
        elif c == '"' and not started:
            in_quotes = quoted = started = True
        elif c == ",":
            row.append((field, quoted))
            field, quoted, started = "", False, False
        elif c == "\n" or c == "\r":
            if c == "\r" and text[i + 1:i + 2] == "\n":
                i += 1
            row.append((field, quoted))
            rows.append(row)
            row, field, quoted, started = [], "", False, False
        else:
            field += c
            started = True
        i += 1
    if started or row:
        row.append((field, quoted))
        rows.append(row)
    return rows


# --- The checks -----------------------------------------------------------------------------

def padded(rows, width):
    """Every row `width` cells long; an empty cell is ("", None), whoever exported it."""
    return [[(v, q) if v != "" else ("", None) for v, q in r] + [("", None)] * (width - len(r))
            for r in rows]


def header_index(rows):
    for i, row in enumerate(rows):
        if any(v == "Serial" for v, _ in row):
            return i
    raise Failure("no row holds a cell named Serial")


def csv_answers(estimate, rows, header):
    """The CSV path's answer for the table from its header row on: (status, answer rows)."""
    width = max((len(r) for r in rows[header:]), default=0)
    buffer = io.StringIO()
    writer = csv.writer(buffer, lineterminator="\n")
    for row in rows[header:]:
        # A row with no cell is a blank line, as an empty row of the sheet is no row of cells.
        if all(v == "" for v, _ in row):
            buffer.write("\n")
        else:
            writer.writerow([v for v, _ in row] + [""] * (width - len(row)))
    process = subprocess.run([estimate, "--column", "Serial"], input=buffer.getvalue().encode(),
                             capture_output=True, timeout=RUN_TIMEOUT)
    answers = list(csv.reader(io.StringIO(process.stdout.decode())))
    if len(answers) != len(rows) - header:
        raise Failure(f"the CSV path gave {len(answers)} rows for {len(rows) - header}")
    if answers[0][-len(ADDED):] != ADDED:
        raise Failure(f"the CSV path's header is {answers[0]}")
    return process.returncode, [a[-len(ADDED):] for a in answers]


def as_number(text):
    try:
        return float(text.replace(",", ""))
    except ValueError:
        return None


# How either program may show a day, with its date format or its own.
SHOWN_DATES = ["%Y-%m-%d", "%Y/%m/%d", "%m/%d/%Y", "%d/%m/%Y", "%d %b %Y", "%b %d, %Y",
               "%B %d, %Y", "%d-%b-%Y"]


def shows_day(shown, iso):
    day = datetime.date.fromisoformat(iso)
    for fmt in SHOWN_DATES:
        try:
            if datetime.datetime.strptime(shown, fmt).date() == day:
                return True
        except ValueError:
            continue
    return False


def check_table(label, before, after, answers, kind_of, errors):
    """The edited sheet: `before` and `after` are rows of (shown text, quoted or None);
    `kind_of(row, column, kind, shown, quoted, expected)` says whether an added cell is a
    "text", "number" or "date" cell to the program that exported it."""
    header = header_index(before)
    used = max((i for row in before[header:] for i, (v, _) in enumerate(row) if v != ""),
               default=-1) + 1
    width = max([len(r) for r in before] + [len(r) for r in after] + [used + len(ADDED)])
    before_p, after_p = padded(before, width), padded(after, width)
    if len(after_p) < len(before_p):
        after_p += [[("", None)] * width] * (len(before_p) - len(after_p))
    for r in range(max(len(before_p), len(after_p))):
        old = before_p[r] if r < len(before_p) else [("", None)] * width
        new = after_p[r]
        for c in range(width):
            added = r >= header and used <= c < used + len(ADDED)
            if added:
                continue
            if new[c] != old[c]:
                errors.append(f"{label}: cell row {r + 1} column {c + 1} was {old[c]!r}, "
                              f"is {new[c]!r}")
    for c, name in enumerate(ADDED):
        got = after_p[header][used + c]
        if got[0] != name or got[1] is False:
            errors.append(f"{label}: header column {used + c + 1} is {got!r}, not text {name!r}")
    for r in range(header + 1, len(before_p)):
        expected = answers[r - header]
        for c, name in enumerate(ADDED):
            shown, quoted = after_p[r][used + c]
            want = expected[c]
            where = f"{label}: row {r + 1} {name}"
            if want == "":
                if shown != "":
                    errors.append(f"{where} is {shown!r}, the CSV path leaves it empty")
            elif name == DATE_COLUMN:
                if not kind_of(r, used + c, "date", shown, quoted, want):
                    errors.append(f"{where} is {shown!r} (quoted {quoted}), not the date {want}")
            elif name in TEXT_COLUMNS:
                if shown != want or not kind_of(r, used + c, "text", shown, quoted, want):
                    errors.append(f"{where} is {shown!r} (quoted {quoted}), not the text {want!r}")
            elif as_number(shown) != as_number(want) or \
                    not kind_of(r, used + c, "number", shown, quoted, want):
                errors.append(f"{where} is {shown!r} (quoted {quoted}), not the number {want}")


def lo_kind(r, c, kind, shown, quoted, want):
    if kind == "text":
        return quoted is True
    if kind == "date":
        return quoted is False and shows_day(shown, want)
    return quoted is False


def gnumeric_kind(raw, kinds, day_zero):
    def kind_of(r, c, kind, shown, quoted, want):
        value_type = kinds.get((r, c))
        if kind == "text":
            return value_type == "60"
        if value_type != "40":
            return False
        if kind == "date":
            day = datetime.date.fromisoformat(want)
            raw_value = raw[r][c][0] if r < len(raw) and c < len(raw[r]) else ""
            return as_number(raw_value) == (day - day_zero).days and shows_day(shown, want)
        return True
    return kind_of


# --- The cases ------------------------------------------------------------------------------

# (rule, source, writer, format, extra arguments): each workbook dated and read back by both.
ROUND_TRIPS = [
    ("LibreOffice .xlsx: register on the first sheet, other sheets unchanged",
     "register.fods", "libreoffice", "xlsx", []),
    ("LibreOffice .ods: register on the first sheet, other sheets unchanged",
     "register.fods", "libreoffice", "ods", []),
    ("Gnumeric .xlsx: register on the first sheet, other sheets unchanged",
     "register.fods", "gnumeric", "xlsx", []),
    ("Gnumeric .ods: register on the first sheet, other sheets unchanged",
     "register.fods", "gnumeric", "ods", []),
    ("LibreOffice .xlsx: --sheet picks the register after a cover sheet",
     "covered.fods", "libreoffice", "xlsx", ["--sheet", "Register"]),
    ("Gnumeric .ods: --sheet picks the register after a cover sheet",
     "covered.fods", "gnumeric", "ods", ["--sheet", "Register"]),
    ("LibreOffice .ods: every row dated gives exit status 0",
     "alldated.fods", "libreoffice", "ods", []),
    ("Gnumeric .xlsx: every row dated gives exit status 0",
     "alldated.fods", "gnumeric", "xlsx", []),
    ("LibreOffice .xlsx imported from CSV: serials as LibreOffice reads them",
     "plain.csv", "libreoffice", "xlsx", []),
    ("Gnumeric .ods imported from CSV: serials as Gnumeric reads them",
     "plain.csv", "gnumeric", "ods", []),
    ("LibreOffice .ods: empty rows above and cells left of the serials, stored as repeats",
     "gapped.fods", "libreoffice", "ods", []),
    ("Gnumeric .ods: empty rows above and cells left of the serials, stored as repeats",
     "gapped.fods", "gnumeric", "ods", []),
    ("openpyxl .xlsx on the 1904 date system: the days read in its own system",
     "register", "openpyxl", "xlsx", []),
    ("XlsxWriter .xlsx in constant-memory mode, strings inline",
     "register", "xlsxwriter", "xlsx", []),
    ("SheetJS .xlsx: a formula string's text is the serial",
     "register", "sheetjs", "xlsx", []),
    ("SheetJS .ods, its mimetype stored third: dated as the .ods it is",
     "register", "sheetjs", "ods", []),
    ("SheetJS .ods, every part deflated, the mimetype too: dated as the .ods it is",
     "register", "sheetjs packed", "ods", []),
    ("ExcelJS .xlsx: a merged title row above the header",
     "register", "exceljs", "xlsx", []),
]

# (rule, file, arguments before the file, the --output named (None: no --output), words the
# message holds) Files and tables the command refuses.
REFUSALS = [
    ("an old binary .xls is refused: exit 2, nothing written", "register.xls", [], "dated.xls",
     ["xls"]),
    ("a password-protected .ods is refused: exit 2, nothing written", "password.ods", [],
     "dated.ods", ["password"]),
    ("a zip that holds no workbook is refused: exit 2, nothing written", "notes.xlsx", [],
     "dated.xlsx", []),
    ("a workbook without --output is a usage error: exit 2, nothing written",
     "lo-register.xlsx", [], None, ["--output"]),
    ("without --sheet the first sheet holds the table: none there, exit 2, nothing written",
     "gn-covered.xlsx", [], "dated.xlsx", ["Serial"]),
    ("--sheet naming no sheet of the workbook: exit 2, nothing written",
     "lo-covered.ods", ["--sheet", "Registry"], "dated.ods", ["Registry"]),
    ("an .xlsx is written as .xlsx: --output dated.ods is a usage error, nothing written",
     "lo-register.xlsx", [], "dated.ods", ["name the output .xlsx"]),
    ("SheetJS's .ods is written as .ods: --output dated.xlsx is a usage error, nothing written",
     "sheetjs-ods-register.ods", [], "dated.xlsx", ["name the output .ods"]),
]


def make_workbooks(work, lo, gn):
    src = os.path.join(work, "src")
    os.makedirs(src)
    for name, text in SOURCES.items():
        with open(os.path.join(src, name), "w", encoding="utf-8", newline="\n") as f:
            f.write(text)
    sources = [os.path.join(src, n) for n in SOURCES]
    made = os.path.join(work, "made")
    lo.convert(sources, "xlsx", made)
    lo.convert(sources, "ods", made)
    lo.convert([os.path.join(src, "register.fods")], "xls", made)
    books = {}
    for name in SOURCES:
        stem = os.path.splitext(name)[0]
        for fmt in ("xlsx", "ods"):
            lo_book = os.path.join(work, f"lo-{stem}.{fmt}")
            shutil.copy(os.path.join(made, f"{stem}.{fmt}"), lo_book)
            books[(name, "libreoffice", fmt)] = lo_book
            gn_book = os.path.join(work, f"gn-{stem}.{fmt}")
            # Gnumeric reads no flat OpenDocument: it reads LibreOffice's .ods and writes its own.
            gn.convert(os.path.join(src, name) if name.endswith(".csv")
                       else os.path.join(made, f"{stem}.ods"), gn_book)
            books[(name, "gnumeric", fmt)] = gn_book
    shutil.copy(os.path.join(made, "register.xls"), os.path.join(work, "register.xls"))
    # LibreOffice 7.4 saved this with the password "secret" (AES-256 in the zip's entries).
    shutil.copy(os.path.join(HERE, "data", "password.ods"), os.path.join(work, "password.ods"))
    with zipfile.ZipFile(os.path.join(work, "notes.xlsx"), "w") as z:
        z.writestr("notes.txt", "Serial\n400\n")
        z.writestr("docProps/app.xml", "<Properties/>")
    javascript = {}
    for (writer, fmt), options in LIBRARY_BOOKS.items():
        # Each name of its own: LibreOffice names a sheet's CSV by the workbook's stem.
        path = os.path.join(work, f"{writer.replace(' ', '-')}-{fmt}-register.{fmt}")
        books[("register", writer, fmt)] = path
        if writer == "openpyxl":
            write_openpyxl(path)
        elif writer == "xlsxwriter":
            write_xlsxwriter(path)
        else:
            javascript[path] = (writer, options)
    write_javascript(javascript, work)
    return books


def date_table(estimate, book, extra, out):
    return run([estimate, "--column", "Serial", *extra, book, "--output", out], RUN_TIMEOUT)


def check_round_trips(estimate, work, lo, gn, books):
    errors = []
    runs = []
    for rule, source, writer, fmt, extra in ROUND_TRIPS:
        book = books[(source, writer, fmt)]
        out = os.path.join(work, "dated", f"{len(runs):02d}-{os.path.basename(book)}")
        os.makedirs(os.path.dirname(out), exist_ok=True)
        status, _, err = date_table(estimate, book, extra, out)
        if not os.path.exists(out):
            errors.append(f"{rule}: no output written (exit {status}): {err.decode(errors='replace')}")
            continue
        if package_of(out) != package_of(book):
            errors.append(f"{rule}: the input is an {package_of(book)} package, the dated file "
                          f"an {package_of(out)} one")
        runs.append((rule, book, out, status, extra, err.decode(errors="replace"), source,
                     writer, fmt))
    files = sorted({r[1] for r in runs} | {r[2] for r in runs})
    lo_sheets = lo.sheets(files, os.path.join(work, "lo-csv")) if files else {}
    for rule, book, out, status, extra, said, source, writer, fmt in runs:
        table_name = extra[1] if extra else None
        statuses = {check_book(f"{rule} [LibreOffice]", estimate, lo_sheets[book],
                               lo_sheets[out], table_name, lambda name: lo_kind, errors)}
        check_said_rows(rule, said, dict(lo_sheets[book])[table_name or lo_sheets[book][0][0]],
                        errors)
        before, names_before, _ = gn.sheets(book, os.path.join(work, "gn-csv"))
        after, names_after, day_zero = gn.sheets(out, os.path.join(work, "gn-csv"))
        kinds = {sheet[0]: gnumeric_kind(sheet[2], sheet[3], day_zero) for sheet in after}
        statuses.add(check_book(f"{rule} [Gnumeric]", estimate,
                                [(sheet[0], sheet[1]) for sheet in before],
                                [(sheet[0], sheet[1]) for sheet in after],
                                table_name, kinds.get, errors))
        check_layout(f"{rule} [Gnumeric]", before, after, names_before, names_after, errors)
        if source == "register":
            check_hand_worked(rule, book, out, fmt, after[0][1], register_of(writer), errors)
        for expected in statuses - {None}:
            if status != expected:
                errors.append(f"{rule}: exit status {status}, the CSV path's is {expected}")
        print(f"{'FAIL' if any(e.startswith(rule) for e in errors) else 'ok  '} {rule}")
    return errors


def package_of(path):
    """"xlsx" or "ods", as the package's parts say (not its name), or what else it is."""
    with zipfile.ZipFile(path) as z:
        names = z.namelist()
        if "[Content_Types].xml" in names:
            return "xlsx"
        if "mimetype" in names and \
                z.read("mimetype").strip() == b"application/vnd.oasis.opendocument.spreadsheet":
            return "ods"
    return f"unknown ({', '.join(names[:5])})"


def check_said_rows(rule, said, rows, errors):
    """Each row a message names ("row 7: \"1234567.5\": ...") holds the serial it quotes, in
    the table's serial column as the program that exported the sheet shows it."""
    header = header_index(rows)
    column = next(c for c, (v, _) in enumerate(rows[header]) if v == "Serial")
    for number, quoted in re.findall(r'^tarnwick-estimate: row (\d+): "(.*?)": ', said, re.M):
        r = int(number) - 1
        shown = rows[r][column][0] if r < len(rows) and column < len(rows[r]) else ""
        if shown != quoted and (as_number(shown) is None or as_number(shown) != as_number(quoted)):
            errors.append(f"{rule}: a message names row {number} for {quoted!r}, which holds "
                          f"{shown!r}")


def openpyxl_rows(path):
    """The first sheet's cells as openpyxl reads them: a date cell as its day, in the workbook's
    own date system; an empty cell as ""."""
    import openpyxl
    sheet = openpyxl.load_workbook(path).worksheets[0]
    return [[c.value.date() if isinstance(c.value, datetime.datetime) else
             "" if c.value is None else c.value for c in row] for row in sheet.iter_rows()]


def check_hand_worked(rule, book, out, fmt, shown, register, errors):
    """The register dated as a person expects it, row by row (found by its owner): the day read
    back as a date (by openpyxl from an .xlsx, which also finds every cell it wrote unchanged; as
    Gnumeric shows it from an .ods), the sentence, and an error exactly where no day is known."""
    if fmt == "xlsx":
        rows, before = openpyxl_rows(out), openpyxl_rows(book)
        for r, row in enumerate(before):
            for c, value in enumerate(row):
                now = rows[r][c] if r < len(rows) and c < len(rows[r]) else ""
                if value != "" and now != value:
                    errors.append(f"{rule} [openpyxl]: cell {r + 1},{c + 1} was {value!r}, "
                                  f"is {now!r}")
        is_day = lambda value, iso: value == datetime.date.fromisoformat(iso)
    else:
        rows = [[v for v, _ in row] for row in shown]
        is_day = lambda value, iso: isinstance(value, str) and shows_day(value, iso)
    header = next((r for r, row in enumerate(rows) if "Serial" in row), None)
    if header is None:
        errors.append(f"{rule}: the dated register has no header")
        return
    names = list(rows[header])
    at = {name: names.index(name) if name in names else None
          for name in ("Owner", DATE_COLUMN, "estimate_sentence", "estimate_error")}
    if None in at.values():
        errors.append(f"{rule}: the dated header is {names}")
        return
    by_owner = {row[at["Owner"]]: row for row in rows[header + 1:] if len(row) > at["Owner"]}
    for _, owner, day, sentence in register:
        row = by_owner.get(owner)
        if row is None:
            errors.append(f"{rule}: no dated row for {owner!r}")
            continue
        row = list(row) + [""] * (len(names) - len(row))
        got, error, said = row[at[DATE_COLUMN]], row[at["estimate_error"]], \
            row[at["estimate_sentence"]]
        where = f"{rule}: {owner}"
        if day is None:
            if got != "" or error == "":
                errors.append(f"{where}: not dated, yet the day is {got!r} (error {error!r})")
        elif day == "":
            if got != "" or error != "":
                errors.append(f"{where}: dated without a day, yet {got!r} (error {error!r})")
        elif not is_day(got, day) or error != "":
            errors.append(f"{where}: the day is {got!r}, not {day} (error {error!r})")
        if sentence is not None and said != sentence:
            errors.append(f"{where}: the sentence is {said!r}, not {sentence!r}")


def check_book(label, estimate, before, after, table_name, kind_for, errors):
    """Sheets in the same order with the same names; the table's sheet dated, the rest equal.
    `kind_for(sheet name)` tells an added cell's kind. Gives the CSV path's exit status."""
    if [n for n, _ in before] != [n for n, _ in after]:
        errors.append(f"{label}: sheets {[n for n, _ in after]}, were {[n for n, _ in before]}")
        return None
    target = table_name or before[0][0]
    expected_status = None
    for (name, rows_before), (_, rows_after) in zip(before, after):
        if name != target:
            if rows_before != rows_after:
                errors.append(f"{label}: sheet {name!r} changed")
            continue
        try:
            header = header_index(rows_before)
            expected_status, answers = csv_answers(estimate, rows_before, header)
            check_table(label, rows_before, rows_after, answers, kind_for(name), errors)
        except Failure as failure:
            errors.append(f"{label}: {failure}")
    return expected_status


def check_refusals(estimate, work):
    errors = []
    for number, (rule, name, extra, output, words) in enumerate(REFUSALS):
        book = os.path.join(work, name)
        outdir = os.path.join(work, "refused", str(number))
        os.makedirs(outdir)
        argv = [estimate, "--column", "Serial", *extra, book]
        if output:
            argv += ["--output", os.path.join(outdir, output)]
        before = open(book, "rb").read()
        status, stdout, stderr = run(argv, RUN_TIMEOUT, cwd=outdir)
        message = stderr.decode(errors="replace")
        problems = []
        if status != 2:
            problems.append(f"exit status {status}, not 2")
        if os.listdir(outdir):
            problems.append(f"it wrote {os.listdir(outdir)}")
        if stdout:
            problems.append(f"it wrote {len(stdout)} bytes on standard output")
        if not message.strip():
            problems.append("no message on standard error")
        for word in words:
            if word.lower() not in message.lower():
                problems.append(f"the message does not say {word!r}: {message.strip()!r}")
        if open(book, "rb").read() != before:
            problems.append("the input was changed")
        errors += [f"{rule}: {p}" for p in problems]
        print(f"{'FAIL' if problems else 'ok  '} {rule}")
    return errors


def main():
    if len(sys.argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    estimate = os.path.abspath(sys.argv[1])
    missing = [t for t in TOOLS if not shutil.which(t)]
    missing += [f"python3-{m}" for m in PYTHON_LIBRARIES if not importlib.util.find_spec(m)]
    if missing:
        print(f"FAIL: missing {', '.join(missing)} (tools/install-deps.sh installs them)")
        return 1
    work = sys.argv[2] if len(sys.argv) == 3 else tempfile.mkdtemp(prefix="tst_roundtrip-")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    work = os.path.abspath(work)
    os.environ["LC_ALL"] = "C.UTF-8"
    lo, gn = LibreOffice(work), Gnumeric()
    try:
        books = make_workbooks(work, lo, gn)
        errors = check_round_trips(estimate, work, lo, gn, books)
        errors += check_refusals(estimate, work)
    except Failure as failure:
        print(f"FAIL: {failure}")
        return 1
    for error in errors:
        print(f"  {error}")
    rules = [case[0] for case in ROUND_TRIPS + REFUSALS]
    failed = sum(1 for rule in rules if any(e.startswith(rule) for e in errors))
    print(f"{len(rules) - failed} passed, {failed} failed")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
