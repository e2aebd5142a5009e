#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_workbook (tests/fuzz/corpus/fuzz_workbook/), one file per seed.

Usage: tests/fuzz/make-workbook-seeds.py   (rewrites the seed files; other files stay)

Three kinds of seed, each under 100 KiB:
- workbooks that LibreOffice (soffice) and Gnumeric (ssconvert) write, from the registers of
  tests/workbook/tst_roundtrip.py (skipped, with a note, where a program is missing);
- hostile files made here: entries that claim or unpack to far more than their size, names that
  climb out of the archive, DTDs with entity declarations, rows and columns at a sheet's edge,
  a cell of 256 KiB, a password-protected .ods, files that are no workbook;
- the XML of a sheet (first line "xlsx-sheet") or of content.xml ("ods-content"), which the fuzzer
  puts into a workbook itself, so that its changes reach the XML readers.
"""
import os
import shutil
import struct
import sys
import tempfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
OUT = os.path.join(HERE, "corpus", "fuzz_workbook")
LARGEST_SEED = 100 * 1024

sys.path.insert(0, os.path.join(ROOT, "tests", "workbook"))
import tst_roundtrip  # noqa: E402  (the registers and the programs' wrappers)

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG_REL = "http://schemas.openxmlformats.org/package/2006/relationships"
HEAD = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'


def xlsx_parts(sheet, *, main=MAIN, rel=REL, extra=None, workbook_target="worksheets/sheet1.xml",
               strings=("Serial", "1,234,567")):
    """A small .xlsx's parts around `sheet`, as Excel lays them out."""
    sst = "".join(f"<si><t>{s}</t></si>" for s in strings)
    parts = {
        "[Content_Types].xml": HEAD +
        '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
        '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
        '<Default Extension="xml" ContentType="application/xml"/>'
        '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
        '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
        '<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>'
        '<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>'
        '</Types>',
        "_rels/.rels": HEAD + f'<Relationships xmlns="{PKG_REL}">'
        f'<Relationship Id="rId1" Type="{rel}/officeDocument" Target="xl/workbook.xml"/></Relationships>',
        "xl/workbook.xml": HEAD + f'<workbook xmlns="{main}" xmlns:r="{rel}">'
        '<sheets><sheet name="Register" sheetId="1" r:id="rId1"/></sheets>'
        '<definedNames><definedName name="Serials">Register!$A:$A</definedName></definedNames>'
        '</workbook>',
        "xl/_rels/workbook.xml.rels": HEAD + f'<Relationships xmlns="{PKG_REL}">'
        f'<Relationship Id="rId1" Type="{rel}/worksheet" Target="{workbook_target}"/>'
        f'<Relationship Id="rId2" Type="{rel}/sharedStrings" Target="sharedStrings.xml"/>'
        f'<Relationship Id="rId3" Type="{rel}/styles" Target="styles.xml"/></Relationships>',
        "xl/sharedStrings.xml": HEAD + f'<sst xmlns="{main}" count="{len(strings)}" '
        f'uniqueCount="{len(strings)}">{sst}</sst>',
        "xl/styles.xml": HEAD + f'<styleSheet xmlns="{main}">'
        '<numFmts count="1"><numFmt numFmtId="164" formatCode="yyyy\\-mm\\-dd"/></numFmts>'
        '<fonts count="1"><font><sz val="11"/></font></fonts>'
        '<fills count="1"><fill><patternFill patternType="none"/></fill></fills>'
        '<borders count="1"><border/></borders><cellStyleXfs count="1"><xf/></cellStyleXfs>'
        '<cellXfs count="2"><xf xfId="0"/><xf numFmtId="164" applyNumberFormat="1" xfId="0"/></cellXfs>'
        '</styleSheet>',
        "xl/worksheets/sheet1.xml": sheet,
    }
    parts.update(extra or {})
    return parts


def sheet_xml(rows, *, main=MAIN, prolog="", merges=""):
    return (HEAD + prolog + f'<worksheet xmlns="{main}" xmlns:r="{REL}">'
            '<sheetViews><sheetView workbookViewId="0"><pane ySplit="2" topLeftCell="A3" '
            'state="frozen"/></sheetView></sheetViews>'
            '<cols><col min="1" max="2" width="20" customWidth="1"/></cols>'
            f'<sheetData>{rows}</sheetData>{merges}</worksheet>')


REGISTER_ROWS = (
    '<row r="1"><c r="A1" t="inlineStr"><is><t>Halvex register</t></is></c></row>'
    '<row r="2" spans="1:3"><c r="A2" t="s"><v>0</v></c><c r="B2" t="inlineStr"><is><t>Owner</t></is></c></row>'
    '<row r="3"><c r="A3"><v>1234567</v></c><c r="B3" t="str"><f>"A"&amp;"B"</f><v>AB</v></c></row>'
    '<row r="4"><c r="A4" t="s"><v>1</v></c></row>'
    '<row r="5"><c r="A5" s="1"><v>1234567.0</v></c></row>'
    '<row r="6"><c r="A6"><f>1234000+567</f><v>1234567</v></c></row>'
    '<row r="8"><c r="A8" t="inlineStr"><is><t xml:space="preserve">  400  </t></is></c></row>'
    '<row r="9"><c r="A9" t="inlineStr"><is><t>\'164596</t></is></c><c r="C9" t="b"><v>1</v></c></row>'
    '<row r="10"><c r="A10" t="e"><v>#N/A</v></c></row>'
    '<row r="11"><c r="A11"><v>99999999</v></c></row>')

CONTENT_HEAD = (
    '<?xml version="1.0" encoding="UTF-8"?>\n'
    '<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
    'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
    'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
    'xmlns:dc="http://purl.org/dc/elements/1.1/" '
    'xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2" office:version="1.3">'
    '<office:body><office:spreadsheet>')
CONTENT_TAIL = '</office:spreadsheet></office:body></office:document-content>'


def content_xml(tables, prolog=""):
    body = CONTENT_HEAD + tables + CONTENT_TAIL
    return body.replace('<?xml version="1.0" encoding="UTF-8"?>\n',
                        '<?xml version="1.0" encoding="UTF-8"?>\n' + prolog, 1)


ODS_TABLE = (
    '<table:table table:name="Register">'
    '<table:table-column table:number-columns-repeated="3"/>'
    '<table:table-row><table:table-cell table:number-columns-spanned="2" office:value-type="string">'
    '<text:p>Halvex register</text:p></table:table-cell><table:covered-table-cell/></table:table-row>'
    '<table:table-row><table:table-cell office:value-type="string"><text:p>Serial</text:p>'
    '</table:table-cell><table:table-cell office:value-type="string"><text:p>Owner</text:p>'
    '<office:annotation><dc:creator>R</dc:creator><text:p>a note</text:p></office:annotation>'
    '</table:table-cell></table:table-row>'
    '<table:table-row><table:table-cell office:value-type="float" office:value="1234567">'
    '<text:p>1234567</text:p></table:table-cell></table:table-row>'
    '<table:table-row><table:table-cell office:value-type="string"><text:p>1,<text:s/>234,567</text:p>'
    '</table:table-cell></table:table-row>'
    '<table:table-row table:number-rows-repeated="3"><table:table-cell table:number-columns-repeated="3"/>'
    '</table:table-row>'
    '<table:table-row><table:table-cell table:formula="of:=1234000+567" office:value-type="float" '
    'office:value="1234567"><text:p>1234567</text:p></table:table-cell>'
    '<table:table-cell office:value-type="date" office:date-value="1950-03-01"><text:p>1950-03-01</text:p>'
    '</table:table-cell></table:table-row>'
    '<table:table-row table:number-rows-repeated="2"><table:table-cell office:value-type="float" '
    'office:value="400"><text:p>400</text:p></table:table-cell></table:table-row>'
    '</table:table>'
    '<table:table table:name="Other"><table:table-row><table:table-cell office:value-type="string">'
    '<text:p>Serial</text:p></table:table-cell></table:table-row></table:table>')

# A DTD whose entities grow by ten at each step: read as written, a few KiB become gigabytes.
LAUGHS = ('<!DOCTYPE worksheet [<!ENTITY a "1234567">' +
          "".join(f'<!ENTITY {chr(98 + i)} "{("&" + chr(97 + i) + ";") * 10}">' for i in range(8)) +
          '<!ENTITY ext SYSTEM "file:///etc/passwd">]>')


def write_zip(path, parts, *, method=zipfile.ZIP_DEFLATED, first_stored=None):
    with zipfile.ZipFile(path, "w") as z:
        if first_stored:
            z.writestr(zipfile.ZipInfo(first_stored[0]), first_stored[1], zipfile.ZIP_STORED)
        for name, data in parts.items():
            info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
            z.writestr(info, data, method, compresslevel=9 if method == zipfile.ZIP_DEFLATED else None)


def ods(path, content, extra=None):
    parts = {"META-INF/manifest.xml":
             '<?xml version="1.0" encoding="UTF-8"?>'
             '<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" '
             'manifest:version="1.3"><manifest:file-entry manifest:full-path="/" '
             'manifest:media-type="application/vnd.oasis.opendocument.spreadsheet"/>'
             '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>'
             '</manifest:manifest>',
             "content.xml": content}
    parts.update(extra or {})
    write_zip(path, parts, first_stored=("mimetype", "application/vnd.oasis.opendocument.spreadsheet"))


def claim_size(path, entry, size):
    """Makes the local header and the central directory claim `size` unpacked bytes for `entry`."""
    data = bytearray(open(path, "rb").read())
    name = entry.encode()
    at = 0
    while True:
        at = data.find(name, at)
        if at < 0:
            break
        if data[at - 30:at - 26] == b"PK\x03\x04":
            struct.pack_into("<I", data, at - 30 + 22, size)
        elif data[at - 46:at - 42] == b"PK\x01\x02":
            struct.pack_into("<I", data, at - 46 + 24, size)
        at += len(name)
    open(path, "wb").write(bytes(data))


def hostile(out):
    register = sheet_xml(REGISTER_ROWS)
    write_zip(os.path.join(out, "made-register.xlsx"), xlsx_parts(register))
    write_zip(os.path.join(out, "made-register-stored.xlsx"), xlsx_parts(register),
              method=zipfile.ZIP_STORED)
    strict = sheet_xml(REGISTER_ROWS, main="http://purl.oclc.org/ooxml/spreadsheetml/main")
    write_zip(os.path.join(out, "made-strict.xlsx"),
              xlsx_parts(strict, main="http://purl.oclc.org/ooxml/spreadsheetml/main",
                         rel="http://purl.oclc.org/ooxml/officeDocument/relationships"))
    ods(os.path.join(out, "made-register.ods"), content_xml(ODS_TABLE))

    # A sheet entry claiming 4 GiB; one of a few KiB that unpacks to 1 MiB of blanks in the sheet.
    path = os.path.join(out, "bomb-claims-4gib.xlsx")
    write_zip(path, xlsx_parts(register))
    claim_size(path, "xl/worksheets/sheet1.xml", 0xFFFFFFFF)
    blanks = sheet_xml(REGISTER_ROWS.replace('<row r="11">', " " * (1 << 20) + '<row r="11">'))
    write_zip(os.path.join(out, "bomb-expands-1mib.xlsx"), xlsx_parts(blanks))
    ods(os.path.join(out, "bomb-expands-1mib.ods"),
        content_xml(ODS_TABLE.replace("</table:table>", " " * (1 << 20) + "</table:table>", 1)))

    # Names that climb out of the archive, or start at its root.
    write_zip(os.path.join(out, "names-climb.xlsx"),
              xlsx_parts(register, extra={"../../evil.xml": "<x/>", "/etc/evil.xml": "<x/>",
                                          "xl/../../up.xml": "<x/>"}))
    write_zip(os.path.join(out, "rels-climb.xlsx"),
              xlsx_parts(register, workbook_target="../../../worksheets/sheet1.xml"))
    ods(os.path.join(out, "names-climb.ods"), content_xml(ODS_TABLE),
        extra={"../content.xml": "<x/>", "/content.xml": "<x/>"})

    # DTDs with entity declarations, in the sheet and in content.xml.
    laughs_rows = REGISTER_ROWS.replace("<t>Halvex register</t>", "<t>&h;&ext;</t>")
    write_zip(os.path.join(out, "dtd-entities.xlsx"), xlsx_parts(sheet_xml(laughs_rows, prolog=LAUGHS)))
    ods(os.path.join(out, "dtd-entities.ods"),
        content_xml(ODS_TABLE.replace("<text:p>Halvex register</text:p>", "<text:p>&h;</text:p>"),
                    prolog=LAUGHS.replace("worksheet", "office:document-content")))

    # Rows and columns at a sheet's edge and past it.
    edge = ('<row r="1"><c r="A1" t="s"><v>0</v></c><c r="XFD1" t="inlineStr"><is><t>x</t></is></c></row>'
            '<row r="1048575"><c r="A1048575"><v>400</v></c></row>'
            '<row r="1048576"><c r="A1048576"><v>401</v></c><c r="XFD1048576"><v>1</v></c></row>'
            '<row r="1048577"><c r="A1048577"><v>402</v></c><c r="XFE1048577"><v>1</v></c></row>')
    write_zip(os.path.join(out, "rows-at-edge.xlsx"), xlsx_parts(sheet_xml(edge)))
    ods(os.path.join(out, "rows-repeated.ods"), content_xml(
        '<table:table table:name="Register"><table:table-row><table:table-cell office:value-type="string">'
        '<text:p>Serial</text:p></table:table-cell></table:table-row>'
        '<table:table-row table:number-rows-repeated="1048570"><table:table-cell '
        'table:number-columns-repeated="16384"/></table:table-row>'
        '<table:table-row table:number-rows-repeated="4"><table:table-cell office:value-type="float" '
        'office:value="400" table:number-columns-repeated="3"><text:p>400</text:p></table:table-cell>'
        '</table:table-row></table:table>'))

    # A cell of 256 KiB.
    big = REGISTER_ROWS.replace("<t>Owner</t>", "<t>" + "x" * (256 << 10) + "</t>")
    write_zip(os.path.join(out, "cell-256kib.xlsx"), xlsx_parts(sheet_xml(big)))

    # Not workbooks: a zip of something else, an empty zip, an old binary header.
    write_zip(os.path.join(out, "zip-of-notes.xlsx"), {"notes.txt": "Serial\n400\n"})
    with zipfile.ZipFile(os.path.join(out, "zip-empty.xlsx"), "w"):
        pass
    open(os.path.join(out, "ole2-header.xls"), "wb").write(
        b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + b"\0" * 504)
    shutil.copy(os.path.join(ROOT, "tests", "workbook", "data", "password.ods"),
                os.path.join(out, "password.ods"))

    # XML that the fuzzer puts into a workbook itself.
    texts = {
        "xml-xlsx-register": "xlsx-sheet\n" + register,
        "xml-xlsx-edge": "xlsx-sheet\n" + sheet_xml(edge),
        "xml-xlsx-dtd": "xlsx-sheet\n" + sheet_xml(laughs_rows, prolog=LAUGHS),
        "xml-xlsx-merged": "xlsx-sheet\n" + sheet_xml(
            REGISTER_ROWS, merges='<mergeCells count="1"><mergeCell ref="A1:E1"/></mergeCells>'),
        "xml-ods-register": "ods-content\n" + content_xml(ODS_TABLE),
        "xml-ods-repeated": "ods-content\n" + content_xml(
            '<table:table table:name="R"><table:table-row table:number-rows-repeated="1048576">'
            '<table:table-cell office:value-type="string" table:number-columns-repeated="2">'
            '<text:p>Serial</text:p></table:table-cell></table:table-row></table:table>'),
        "xml-ods-repeat-huge": "ods-content\n" + content_xml(
            '<table:table table:name="Register"><table:table-row><table:table-cell '
            'office:value-type="string"><text:p>Serial</text:p></table:table-cell></table:table-row>'
            '<table:table-row table:number-rows-repeated="9223372036854775807"><table:table-cell '
            'office:value-type="float" office:value="400"><text:p>400</text:p></table:table-cell>'
            '</table:table-row><table:table-row><table:table-cell office:value-type="float" '
            'office:value="500"><text:p>500</text:p></table:table-cell></table:table-row>'
            '</table:table>'),
    }
    for name, text in texts.items():
        open(os.path.join(out, name), "w", encoding="utf-8").write(text)


def by_programs(out):
    missing = [t for t in tst_roundtrip.TOOLS if not shutil.which(t)]
    if missing:
        print(f"note: no {', '.join(missing)}: the programs' workbooks are left as they are")
        return
    work = tempfile.mkdtemp(prefix="workbook-seeds-")
    try:
        lo, gn = tst_roundtrip.LibreOffice(work), tst_roundtrip.Gnumeric()
        src = os.path.join(work, "src")
        os.makedirs(src)
        names = ["register.fods", "alldated.fods"]
        for name in names:
            open(os.path.join(src, name), "w", encoding="utf-8").write(tst_roundtrip.SOURCES[name])
        made = os.path.join(work, "made")
        sources = [os.path.join(src, n) for n in names]
        lo.convert(sources, "xlsx", made)
        lo.convert(sources, "ods", made)
        for name in names:
            stem = os.path.splitext(name)[0]
            for fmt in ("xlsx", "ods"):
                shutil.copy(os.path.join(made, f"{stem}.{fmt}"), os.path.join(out, f"lo-{stem}.{fmt}"))
                gn.convert(os.path.join(made, f"{stem}.ods"), os.path.join(out, f"gn-{stem}.{fmt}"))
    finally:
        shutil.rmtree(work, ignore_errors=True)


def main():
    os.makedirs(OUT, exist_ok=True)
    hostile(OUT)
    by_programs(OUT)
    for name in sorted(os.listdir(OUT)):
        size = os.path.getsize(os.path.join(OUT, name))
        if size > LARGEST_SEED:
            sys.exit(f"{name}: {size} bytes, over the {LARGEST_SEED} a seed may have")
        print(f"{size:8d}  {name}")


if __name__ == "__main__":
    main()
