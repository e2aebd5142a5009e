#!/usr/bin/env python3
"""Registers kept in LibreOffice's and Gnumeric's own workbooks, dated by tarnwick-estimate and
read back by the same programs. Both programs write .xlsx and .ods at test time, from a flat OpenDocument register written here
(several sheets, a title row, number, text and formula serials, a merged cell, comments, a
defined name, an empty row, dates) and from CSV. Each is dated with
`tarnwick-estimate --column Serial [--sheet NAME] BOOK --output DATED`, and both programs export
the input and the dated workbook to CSV, every sheet. Then every cell the input had is unchanged,
with its kind, and so are, to Gnumeric, the merged cells, comments, formulas, column widths and
defined names; the estimate's columns start right of the table, under their names; every added
cell equals the CSV path's answer for the table as that program exports it (figures as numbers,
texts as text, the day as a date to both programs); and the exit status is the CSV path's.

Usage: tst_roundtrip.py TARNWICK_ESTIMATE [WORK_DIR]   (WORK_DIR is emptied first)
"""

import csv
import datetime
import io
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

ADDED = ["estimate_serial", "estimate_month", "estimate_day", "estimate_year",
         "estimate_first_serial", "estimate_last_serial", "estimate_production_total",
         "estimate_daily_average", "estimate_cars_to_month_end", "estimate_days_to_month_end",
         "estimate_sentence", "estimate_error", "estimate_date"]
TEXT_COLUMNS = {"estimate_month", "estimate_sentence", "estimate_error"}
DAY_ZERO = datetime.date(1899, 12, 30)  # day 0 of both programs' dates
GNM = {"gnm": "http://www.gnumeric.org/v10.dtd"}


class Failure(Exception):
    pass


def esc(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")


def cell(kind=None, value="", *, formula=None, note=None, span=1, style=None):
    """One cell of the flat OpenDocument source: "text", "number", "date", or empty."""
    if kind is None:
        return "<table:table-cell/>"
    attrs = {"text": 'office:value-type="string"',
             "number": f'office:value-type="float" office:value="{value}"',
             "date": f'office:value-type="date" office:date-value="{value}"'}[kind]
    if style:
        attrs += f' table:style-name="{style}"'
    if span > 1:
        attrs += f' table:number-columns-spanned="{span}" table:number-rows-spanned="1"'
    if formula:
        attrs += f' table:formula="of:={esc(formula)}"'
    note = (f"<office:annotation><dc:creator>Registrar</dc:creator><text:p>{esc(note)}</text:p>"
            f"</office:annotation>") if note else ""
    return (f"<table:table-cell {attrs}>{note}<text:p>{esc(value)}</text:p></table:table-cell>"
            + "<table:covered-table-cell/>" * (span - 1))


def table(name, rows, widths=()):
    columns = "".join(f'<table:table-column table:style-name="co{w}"/>' for w in widths)
    body = "".join(f"<table:table-row>{''.join(r or [cell()])}</table:table-row>" for r in rows)
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


T, N, D = "text", "number", "date"
# The register: a merged title row (with a note further right), the header, serials of every
# kind a registrar keeps, an empty row in the middle, rows that are not dated.
REGISTER = [
    [cell(T, "Halvex register, spring audit", span=4), cell(), cell(T, "kept by the club")],
    [cell(T, "Serial"), cell(T, "Owner"), cell(T, "Bought"), cell(T, "Price")],
    [cell(N, "1234567"), cell(T, "Zo\u00eb M\u00fcller", note="inherited"),
     cell(D, "1950-03-01", style="day"), cell(N, "1200")],
    [cell(T, "1,234,567"), cell(T, "A. Jones"), cell(D, "1961-07-15", style="day")],
    [cell(T, "1234567"), cell(T, "text cell, digits only")],
    [cell(T, "  400  "), cell(T, "blanks around")],
    [cell(N, "1234567", formula="1234000+567"), cell(T, "a formula's value")],
    [cell(N, "1234567.5"), cell(T, "half a car")],
    [cell(N, "164596"), cell(T, "October to December 1912")],
    [],
    [cell(N, "2831427"), cell(T, "no month recorded")],
    [cell(N, "99999999"), cell(T, "out of range")],
    [cell(T, "abc"), cell(T, "not a number")],
    [cell(), cell(T, "no serial yet")],
    [cell(N, "1"), cell(T, "the first"), cell(), cell(N, "95.5")],
    [cell(N, "15076231"), cell(T, "the last")],
]
COVER = [[cell(T, "Club register", span=2)],
         [cell(T, "Cars"), cell(N, "14", formula="2*7", note="counted by hand")],
         [cell(T, "Audited"), cell(D, "2026-04-01", style="day")]]
NOTES = [[cell(T, "Serial"), cell(T, "not this sheet's table")], [cell(N, "400"), cell(T, "a note")]]
# A defined name over the register's serials.
SERIALS_NAME = ('<table:named-expressions><table:named-range table:name="Serials" '
                'table:base-cell-address="$Register.$A$3" '
                'table:cell-range-address="$Register.$A$3:.$A$16"/></table:named-expressions>')

SOURCES = {
    # name: flat OpenDocument text, or CSV text (imported by each program as it imports CSV)
    "register.fods": fods([table("Register", REGISTER, (1, 2, 1, 1)), table("Cover", COVER, (2, 1)),
                           table("Notes", NOTES)], SERIALS_NAME),
    "plain.csv": ("Halvex register,,\nSerial,Owner,Note\n1234567,a,number\n\"1,234,567\",b,grouped\n"
                  "1234567.0,c,a point and a zero\n164596,d,October to December 1912\n,,\n"
                  "99999999,e,out of range\nabc,f,not a number\n"),
}


def run(argv, timeout=120, **kwargs):
    """Runs a program in a session of its own, ended whole when it overstays."""
    process = subprocess.Popen(argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                               start_new_session=True, **kwargs)
    try:
        out, err = process.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.communicate()
        raise Failure(f"{os.path.basename(argv[0])} took over {timeout} s: {argv}")
    if argv[0] != ESTIMATE and process.returncode != 0:
        raise Failure(f"{' '.join(argv)} failed: {err.decode(errors='replace')}")
    return process.returncode, out, err


def soffice(files, target, outdir):
    """LibreOffice's conversion of many files at one start, on a profile of its own."""
    return run(["soffice", f"-env:UserInstallation=file://{WORK}/lo-profile", "--headless",
                "--norestore", "--convert-to", target, "--outdir", outdir, *files])[1].decode()


# Comma, double quote, UTF-8, from line 1; quote every text cell; cells as shown; every sheet to
# a file of its own.
LO_CSV = "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,true,false,true,false,false,-1"


def lo_sheets(files, outdir):
    """Each file's sheets as LibreOffice shows them: {file: [(name, rows of (text, quoted))]}."""
    sheets, current = {}, None
    for line in soffice(files, LO_CSV, outdir).splitlines():
        if m := re.match(r"convert (.*?)(?: ->| using)", line):
            current = sheets.setdefault(m[1], [])
        elif (m := re.match(r"Writing sheet (.*) -> (.*)$", line)) and current is not None:
            with open(m[2], encoding="utf-8", newline="") as f:
                current.append((m[1], quoted_csv(f.read())))
    if missing := [f for f in files if not sheets.get(f)]:
        raise Failure(f"LibreOffice exported no sheet of {missing}")
    return sheets


def quoted_csv(text):
    """Rows of (field, quoted): LibreOffice quotes exactly the text cells."""
    return [[(m[1].replace('""', '"'), True) if m[1] is not None else (m[2], False)
             for m in re.finditer(r'(?:^|,)(?:"((?:[^"]|"")*)"|([^,"]*))', line)]
            for line in text.splitlines()]


def gn_sheets(book, outdir):
    """Each sheet as Gnumeric reads it: (name, rows of (shown, None), {(row, column): (value
    type, raw value)}, layout), in order, and the workbook's defined names."""
    base = os.path.join(outdir, os.path.basename(book))
    run(["ssconvert", "-S", "-T", "Gnumeric_stf:stf_assistant", "-O",
         "separator=, format=automatic charset=UTF-8 eol=unix", book, f"{base}-%n.csv"])
    run(["ssconvert", "-T", "Gnumeric_XmlIO:sax:0", book, f"{base}.xml"])
    root = ET.parse(f"{base}.xml").getroot()
    sheets = []
    for i, sheet in enumerate(root.findall("gnm:Sheets/gnm:Sheet", GNM)):
        rows = []
        if os.path.exists(f"{base}-{i}.csv"):
            with open(f"{base}-{i}.csv", encoding="utf-8", newline="") as f:
                rows = [[(v, None) for v in row] for row in csv.reader(f)]
        cells = {(int(c.get("Row")), int(c.get("Col"))): (c.get("ValueType"), c.text or "")
                 for c in sheet.findall("gnm:Cells/gnm:Cell", GNM)}
        sheets.append((sheet.findtext("gnm:Name", "", GNM), rows, cells, layout_of(sheet)))
    return sheets, names_of(root)


def layout_of(sheet):
    """What a sheet holds besides its cells' values: merged cells, comments, formulas, column
    widths (by column), frozen panes, the sheet's names."""
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


def header_index(rows):
    for i, row in enumerate(rows):
        if any(v == "Serial" for v, _ in row):
            return i
    raise Failure("no row holds a cell named Serial")


def csv_answers(rows, header):
    """The CSV path's answer for the table from its header row on: (status, answer rows)."""
    width = max(len(r) for r in rows[header:])
    buffer = io.StringIO()
    writer = csv.writer(buffer, lineterminator="\n")
    for row in rows[header:]:
        # A row with no cell is a blank line, as an empty row of the sheet is no row of cells.
        if all(v == "" for v, _ in row):
            buffer.write("\n")
        else:
            writer.writerow([v for v, _ in row] + [""] * (width - len(row)))
    process = subprocess.run([ESTIMATE, "--column", "Serial"], input=buffer.getvalue().encode(),
                             capture_output=True, timeout=60)
    answers = list(csv.reader(io.StringIO(process.stdout.decode())))
    if len(answers) != len(rows) - header or answers[0][-len(ADDED):] != ADDED:
        raise Failure(f"the CSV path gave {answers[:1]} and {len(answers)} rows")
    return process.returncode, [a[-len(ADDED):] for a in answers]


def as_number(text):
    try:
        return float(text.replace(",", ""))
    except ValueError:
        return None


def shows_day(shown, iso):
    """Whether a cell shows the day, in its date format or either program's own."""
    for fmt in ["%Y-%m-%d", "%Y/%m/%d", "%m/%d/%Y", "%d/%m/%Y", "%d %b %Y", "%b %d, %Y",
                "%B %d, %Y", "%d-%b-%Y"]:
        try:
            if datetime.datetime.strptime(shown, fmt).date() == datetime.date.fromisoformat(iso):
                return True
        except ValueError:
            continue
    return False


def check_table(label, before, after, answers, kind_of, errors):
    """The dated sheet: `before` and `after` are rows of (shown text, quoted or None);
    `kind_of(row, column, kind, shown, quoted, expected)` says whether an added cell is a
    "text", "number" or "date" cell to the program that exported it."""
    header = header_index(before)
    used = max((i for row in before[header:] for i, (v, _) in enumerate(row) if v != ""),
               default=-1) + 1
    width = max([len(r) for r in before + after] + [used + len(ADDED)])
    height, rows, empty = len(before), max(len(before), len(after)), ("", None)

    def padded(table):  # `rows` rows of `width` cells; an empty cell, whoever exported it
        return [[c if c[0] != "" else empty for c in r] + [empty] * (width - len(r))
                for r in table] + [[empty] * width] * (rows - len(table))
    before, after = padded(before), padded(after)
    for r, (old, new) in enumerate(zip(before, after)):
        for c in range(width):
            if not (r >= header and used <= c < used + len(ADDED)) and new[c] != old[c]:
                errors.append(f"{label}: cell row {r + 1} column {c + 1} was {old[c]!r}, "
                              f"is {new[c]!r}")
    for c, name in enumerate(ADDED):
        if after[header][used + c][0] != name or after[header][used + c][1] is False:
            errors.append(f"{label}: header column {used + c + 1} is {after[header][used + c]!r}")
    for r in range(header + 1, height):
        for c, name in enumerate(ADDED):
            shown, quoted = after[r][used + c]
            want = answers[r - header][c]
            kind = "date" if name == "estimate_date" else "text" if name in TEXT_COLUMNS else "number"
            same = {"date": True, "text": shown == want,
                    "number": as_number(shown) == as_number(want)}[kind]
            if (shown != "") if want == "" else not (same and kind_of(r, used + c, kind, shown, quoted, want)):
                errors.append(f"{label}: row {r + 1} {name} is {shown!r} (quoted {quoted}), "
                              f"not the {kind} {want!r}")


def lo_kind(r, c, kind, shown, quoted, want):
    return quoted is (kind == "text") and (kind != "date" or shows_day(shown, want))


def gnumeric_kind(cells):
    def kind_of(r, c, kind, shown, quoted, want):
        value_type, raw = cells.get((r, c), (None, ""))
        if kind == "text" or value_type != "40":
            return kind == "text" and value_type == "60"
        day = datetime.date.fromisoformat(want) if kind == "date" else None
        return not day or (as_number(raw) == (day - DAY_ZERO).days and shows_day(shown, want))
    return kind_of


def check_book(label, before, after, table_name, kind_for, errors):
    """Sheets in the same order with the same names; the table's sheet dated, the rest equal.
    `kind_for(sheet name)` tells an added cell's kind. Gives the CSV path's exit status."""
    if [n for n, _ in before] != [n for n, _ in after]:
        errors.append(f"{label}: sheets {[n for n, _ in after]}, were {[n for n, _ in before]}")
        return None
    status = None
    for (name, rows_before), (_, rows_after) in zip(before, after):
        if name != (table_name or before[0][0]):
            if rows_before != rows_after:
                errors.append(f"{label}: sheet {name!r} changed")
            continue
        try:
            header = header_index(rows_before)
            status, answers = csv_answers(rows_before, header)
            check_table(label, rows_before, rows_after, answers, kind_for(name), errors)
        except Failure as failure:
            errors.append(f"{label}: {failure}")
    return status


def check_layout(label, before, after, names_before, names_after, errors):
    """In every sheet the merged cells, comments, formulas, frozen panes and names stay, and the
    widths of the columns the input had (the estimate's may get widths of their own)."""
    if names_before != names_after:
        errors.append(f"{label}: the defined names were {names_before}, are {names_after}")
    for (name, *_, old), (_, shown, *_, new) in zip(before, after):
        first_added = next((c for row in shown for c, (v, _) in enumerate(row) if v == ADDED[0]),
                           None)
        for part in old:
            was, now = old[part], new[part]
            if part == "widths" and first_added is not None:
                was, now = ({c: w for c, w in d.items() if c < first_added} for d in (was, now))
            if was != now:
                errors.append(f"{label}: sheet {name!r}: the {part} were {was}, are {now}")


# (rule, source, writer, format, extra arguments): each workbook dated and read back by both.
ROUND_TRIPS = [
    ("LibreOffice .xlsx: register on the first sheet, other sheets unchanged",
     "register.fods", "lo", "xlsx", []),
    ("LibreOffice .ods: register on the first sheet, other sheets unchanged",
     "register.fods", "lo", "ods", []),
    ("Gnumeric .xlsx: register on the first sheet, other sheets unchanged",
     "register.fods", "gn", "xlsx", []),
    ("Gnumeric .ods: register on the first sheet, other sheets unchanged",
     "register.fods", "gn", "ods", []),
    ("LibreOffice .xlsx: --sheet picks the last sheet, the first unchanged",
     "register.fods", "lo", "xlsx", ["--sheet", "Notes"]),
    ("Gnumeric .ods: --sheet picks the last sheet, the first unchanged",
     "register.fods", "gn", "ods", ["--sheet", "Notes"]),
    ("LibreOffice .xlsx imported from CSV: serials as LibreOffice reads them",
     "plain.csv", "lo", "xlsx", []),
    ("Gnumeric .ods imported from CSV: serials as Gnumeric reads them",
     "plain.csv", "gn", "ods", []),
]

def make_workbooks():
    """Each source as each program saves it as each format: {(source, writer, format): path}."""
    src, made = os.path.join(WORK, "src"), os.path.join(WORK, "made")
    os.makedirs(src)
    for name, text in SOURCES.items():
        with open(os.path.join(src, name), "w", encoding="utf-8", newline="\n") as f:
            f.write(text)
    sources = [os.path.join(src, n) for n in SOURCES]
    for fmt in ("xlsx", "ods"):
        soffice(sources, fmt, made)
    books = {}
    for name in SOURCES:
        stem = os.path.splitext(name)[0]
        for fmt in ("xlsx", "ods"):
            books[(name, "lo", fmt)] = shutil.copy(os.path.join(made, f"{stem}.{fmt}"),
                                                   os.path.join(WORK, f"lo-{stem}.{fmt}"))
            # Gnumeric reads no flat OpenDocument: it reads LibreOffice's .ods and writes its own.
            books[(name, "gn", fmt)] = os.path.join(WORK, f"gn-{stem}.{fmt}")
            run(["ssconvert", os.path.join(src if name.endswith(".csv") else made,
                                           name if name.endswith(".csv") else f"{stem}.ods"),
                 books[(name, "gn", fmt)]])
    return books


def check_round_trips(books):
    errors, runs = [], []
    os.makedirs(os.path.join(WORK, "dated"))
    for rule, source, writer, fmt, extra in ROUND_TRIPS:
        book = books[(source, writer, fmt)]
        out = os.path.join(WORK, "dated", f"{len(runs):02d}-{os.path.basename(book)}")
        status, _, err = run([ESTIMATE, "--column", "Serial", *extra, book, "--output", out])
        if os.path.exists(out):
            runs.append((rule, book, out, status, extra[1] if extra else None))
        else:
            errors.append(f"{rule}: nothing written (exit {status}): {err.decode(errors='replace')}")
    lo = lo_sheets(sorted({r[1] for r in runs} | {r[2] for r in runs}), os.path.join(WORK, "lo-csv"))
    os.makedirs(os.path.join(WORK, "gn-csv"))
    for rule, book, out, status, table_name in runs:
        statuses = {check_book(f"{rule} [LibreOffice]", lo[book], lo[out], table_name,
                               lambda name: lo_kind, errors)}
        (before, names_before), (after, names_after) = (gn_sheets(b, os.path.join(WORK, "gn-csv"))
                                                        for b in (book, out))
        kinds = {sheet[0]: gnumeric_kind(sheet[2]) for sheet in after}
        statuses.add(check_book(f"{rule} [Gnumeric]", [s[:2] for s in before],
                                [s[:2] for s in after], table_name, kinds.get, errors))
        check_layout(f"{rule} [Gnumeric]", before, after, names_before, names_after, errors)
        errors += [f"{rule}: exit status {status}, the CSV path's is {expected}"
                   for expected in statuses - {None, status}]
        print(f"{'FAIL' if any(e.startswith(rule) for e in errors) else 'ok  '} {rule}")
    return errors


def main():
    global ESTIMATE, WORK
    if len(sys.argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    ESTIMATE = os.path.abspath(sys.argv[1])
    if missing := [t for t in ("soffice", "ssconvert") if not shutil.which(t)]:
        print(f"FAIL: missing {', '.join(missing)} (tools/install-deps.sh installs them)")
        return 1
    WORK = os.path.abspath(sys.argv[2] if len(sys.argv) == 3 else tempfile.mkdtemp(prefix="tst_roundtrip-"))
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    os.environ["LC_ALL"] = "C.UTF-8"
    try:
        errors = check_round_trips(make_workbooks())
    except Failure as failure:
        print(f"FAIL: {failure}")
        return 1
    for error in errors:
        print(f"  {error}")
    rules = [case[0] for case in ROUND_TRIPS]
    failed = sum(1 for rule in rules if any(e.startswith(rule) for e in errors))
    print(f"{len(rules) - failed} passed, {failed} failed")
    return 1 if errors else 0


ESTIMATE = WORK = None
if __name__ == "__main__":
    sys.exit(main())
