// Fuzzes the workbook reader and writer: the zip container, the .xlsx and .ods sheets' XML, and
// --column over a workbook.
//
// Input: the bytes of a file, as the command would read it (most seeds are real workbooks); or,
// after a first line "xlsx-sheet" or "ods-content", the XML of an .xlsx sheet or of an .ods
// file's content.xml, put into a small workbook here, so that changes to the XML reach the XML
// readers rather than a zip's checksum.
//
// When the file opens as a workbook, its sheet is read to the end, rewound with four columns to
// add right of every cell read, and read again, each row given a text, a number, a date and an
// empty cell. The rows must be well formed (numbers and columns in order and in a sheet's
// bounds, progress from 0 to 1), the second reading the same as the first, and the finished
// workbook empty exactly when a problem is said. A finished workbook must open again and read as
// the same rows with the added text and number cells in their columns. Then runWorkbook dates the
// file by its "Serial" column: its exit status is one of the three, and a dated workbook (never
// one refused) opens again. Nothing is printed: the messages go to a buffer.
#include "cli/modes/Modes.h"
#include "cli/output/Messages.h"
#include "cli/workbook/WorkbookSheet.h"
#include "cli/workbook/ZipArchive.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>

namespace {

constexpr qint64 kLastColumn = 16383; // XFD
// Far past any sheet's last row (Excel's is 1,048,576; OpenDocument sets none, and its repeated
// rows may reach beyond), yet far from overflowing the row numbers.
constexpr qint64 kLastRow = qint64(1) << 40;
constexpr qint64 kAdded = 4; // text, number, date, empty
constexpr qint64 kMostRowsChecked = 20000;

[[noreturn]] void fail(const char* what, const QString& detail = {})
{
    std::fprintf(stderr, "fuzz_workbook: %s %s\n", what, qPrintable(detail));
    std::abort();
}

struct Pass {
    QList<SheetRow> rows;
    QString problem;
    bool ordered = true; // each row's number after the last row's (and its repeats)
};

// A row as a sheet read without a fault gives it: in the sheet's bounds, cells in column order.
// Rows out of order or twice over are what no spreadsheet program writes; the reader passes them
// on, so `ordered` says whether the rows can be compared by number.
void checkRow(const SheetRow& row, qint64& nextFree, bool& ordered)
{
    if (row.number < 1 || row.number > kLastRow)
        fail("a row's number is out of bounds:", QString::number(row.number));
    ordered = ordered && row.number >= nextFree;
    if (row.repeat < 1 || row.repeat > kLastRow - row.number + 1)
        fail("a row repeats out of bounds:", QString::number(row.repeat));
    nextFree = row.number + row.repeat;
    if (row.cells.isEmpty())
        fail("a row holds no cell");
    qint64 column = -1;
    for (const SheetCell& cell : row.cells) {
        if (cell.column <= column || cell.column > kLastColumn)
            fail("a cell's column is out of order or past the sheet's end, row",
                 QString::number(row.number));
        column = cell.column;
    }
}

// The sheet read to its end. The rows are checked once it is read without a fault: a reader may
// give rows of a sheet whose fault it finds only further on.
Pass readAll(WorkbookSheet& sheet)
{
    Pass pass;
    SheetRow row;
    while (sheet.nextRow(row)) {
        const double progress = sheet.progress();
        if (!(progress >= 0 && progress <= 1))
            fail("progress out of 0 to 1:", QString::number(progress));
        pass.rows.append(row);
    }
    pass.problem = sheet.problem();
    if (pass.problem.isEmpty()) {
        qint64 nextFree = 1; // the first row number a next row may have
        for (const SheetRow& each : pass.rows)
            checkRow(each, nextFree, pass.ordered);
    }
    return pass;
}

bool sameRows(const QList<SheetRow>& a, const QList<SheetRow>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].number != b[i].number || a[i].repeat != b[i].repeat ||
            a[i].cells.size() != b[i].cells.size())
            return false;
        for (qsizetype c = 0; c < a[i].cells.size(); ++c) {
            const SheetCell &x = a[i].cells[c], &y = b[i].cells[c];
            if (x.column != y.column || x.text != y.text || x.number != y.number)
                return false;
        }
    }
    return true;
}

// Each row number's cells, repeated rows spread out; none when that would be too many.
std::optional<std::map<qint64, QList<SheetCell>>> byNumber(const QList<SheetRow>& rows)
{
    std::map<qint64, QList<SheetCell>> out;
    qint64 total = 0;
    for (const SheetRow& row : rows) {
        total += row.repeat;
        if (total > kMostRowsChecked)
            return std::nullopt;
        for (qint64 r = 0; r < row.repeat; ++r)
            out[row.number + r] = row.cells;
    }
    return out;
}

// The cells added to a row: its number names it (a repeated row's first number, for them all).
QList<AddedCell> cellsFor(qint64 number)
{
    const QString n = QString::number(number % 1000);
    return {{AddedCell::Kind::Text, QStringLiteral("t") + n},
            {AddedCell::Kind::Number, n},
            {AddedCell::Kind::Date, QStringLiteral("1916-05-09")},
            {AddedCell::Kind::Empty, {}}};
}

// The finished workbook reads as the original rows with the added cells in their columns.
void checkWritten(const QByteArray& written, const QList<SheetRow>& original, bool ordered,
                  qint64 first)
{
    OpenedWorkbook again = openWorkbook(written, std::nullopt);
    if (!again.sheet)
        fail("a finished workbook does not open again:", again.problem);
    const Pass reread = readAll(*again.sheet);
    if (!reread.problem.isEmpty())
        fail("a finished workbook does not read again:", reread.problem);
    const auto before = byNumber(original);
    const auto after = byNumber(reread.rows);
    if (!ordered || !reread.ordered || !before || !after)
        return;
    if (before->size() != after->size())
        fail("a finished workbook has another number of rows");
    for (const SheetRow& row : original) {
        for (qint64 number = row.number; number < row.number + row.repeat; ++number) {
            const auto found = after->find(number);
            if (found == after->end())
                fail("a row is missing from the finished workbook:", QString::number(number));
            const QList<SheetCell>& now = found->second;
            const QString where = QString::number(number);
            if (now.size() < row.cells.size())
                fail("a row lost cells in the finished workbook, row", where);
            for (qsizetype c = 0; c < row.cells.size(); ++c) {
                const SheetCell &was = row.cells[c], &is = now[c];
                if (is.column != was.column || is.text != was.text || is.number != was.number)
                    fail("a cell changed in the finished workbook, row", where);
            }
            SheetRow added;
            added.cells = now.mid(row.cells.size());
            const QString name = QString::number(row.number % 1000);
            const SheetCell* text = added.at(first);
            const SheetCell* figure = added.at(first + 1);
            if (!text || text->number || text->text != u't' + name)
                fail("the added text cell does not read back, row", where);
            if (!figure || !figure->number || figure->text.toDouble() != name.toDouble())
                fail("the added number cell does not read back, row", where);
            if (!added.at(first + 2))
                fail("the added date cell does not read back, row", where);
            if (added.cells.size() != 3)
                fail("cells were added that were not asked for, row", where);
        }
    }
}

void fuzzSheet(const QByteArray& file)
{
    OpenedWorkbook opened = openWorkbook(file, std::nullopt);
    if (!opened.sheet) {
        if (opened.problem.isEmpty())
            fail("a file refused without a reason");
        return;
    }
    WorkbookSheet& sheet = *opened.sheet;
    const Pass first = readAll(sheet);
    if (!first.problem.isEmpty()) {
        if (!sheet.finish().isEmpty())
            fail("a sheet that could not be read was finished");
        return;
    }
    qint64 column = sheet.lastMergedColumn(1) + 1;
    for (const SheetRow& row : first.rows)
        column = std::max(column, row.cells.back().column + 1);
    if (column + kAdded - 1 > kLastColumn)
        return;
    sheet.rewind(column, kAdded);
    Pass second;
    SheetRow row;
    while (sheet.nextRow(row)) {
        sheet.addCells(cellsFor(row.number));
        second.rows.append(row);
    }
    if (!sheet.problem().isEmpty())
        return; // a fault found only on the second reading (a limit) is said, not finished
    if (!sameRows(first.rows, second.rows))
        fail("the sheet reads otherwise after rewind()");
    const QByteArray written = sheet.finish();
    if (written.isEmpty() != !sheet.problem().isEmpty())
        fail("finish() gave nothing without a problem, or a workbook with one:", sheet.problem());
    if (written.isEmpty())
        return;
    // Repeated rows that take cells may be written out one by one; the check spreads them too.
    checkWritten(written, first.rows, first.ordered, column);
}

void fuzzCommand(const QByteArray& file)
{
    static QByteArray messages;
    messages.clear();
    Messages::sendTo(&messages);
    BatchOptions options;
    options.column = QStringLiteral("Serial");
    options.table = QStringLiteral("fuzz.xlsx");
    options.output = QStringLiteral("fuzz-dated.xlsx");
    QByteArray dated;
    const int status = runWorkbook(options, NumberRules::Separators{}, file, dated);
    Messages::sendTo(nullptr);
    if (status < 0 || status > 2)
        fail("an exit status that is none of 0, 1 and 2:", QString::number(status));
    if (status == Messages::kUsageError) {
        if (!dated.isEmpty())
            fail("a refused workbook was written");
        if (messages.isEmpty())
            fail("a workbook refused without a message");
        return;
    }
    if (dated.isEmpty())
        fail("a dated workbook is empty");
    OpenedWorkbook again = openWorkbook(dated, std::nullopt);
    if (!again.sheet)
        fail("a dated workbook does not open again:", again.problem);
}

// The parts of a small .xlsx around its one sheet, with two shared strings.
QByteArray xlsxAround(QByteArrayView sheet)
{
    ZipWriter zip;
    zip.add(
        "[Content_Types].xml",
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
        R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
        R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
        R"(<Default Extension="xml" ContentType="application/xml"/>)"
        R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
        R"(<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
        R"(<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>)"
        R"(<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>)"
        R"(</Types>)");
    zip.add(
        "_rels/.rels",
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
        R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>)"
        R"(</Relationships>)");
    zip.add(
        "xl/workbook.xml",
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
        R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
        R"(<sheets><sheet name="Register" sheetId="1" r:id="rId1"/></sheets></workbook>)");
    zip.add(
        "xl/_rels/workbook.xml.rels",
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
        R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>)"
        R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>)"
        R"(<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)"
        R"(</Relationships>)");
    zip.add(
        "xl/sharedStrings.xml",
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
        R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="2" uniqueCount="2">)"
        R"(<si><t>Serial</t></si><si><r><t>1,234,</t></r><r><t>567</t></r></si></sst>)");
    zip.add(
        "xl/styles.xml",
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
        R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
        R"(<fonts count="1"><font><sz val="11"/></font></fonts>)"
        R"(<fills count="1"><fill><patternFill patternType="none"/></fill></fills>)"
        R"(<borders count="1"><border/></borders>)"
        R"(<cellStyleXfs count="1"><xf/></cellStyleXfs><cellXfs count="1"><xf xfId="0"/></cellXfs>)"
        R"(</styleSheet>)");
    zip.add("xl/worksheets/sheet1.xml", sheet);
    return zip.finish();
}

// The parts of a small .ods around its content.xml.
QByteArray odsAround(QByteArrayView content)
{
    ZipWriter zip;
    zip.add("mimetype", "application/vnd.oasis.opendocument.spreadsheet", true);
    zip.add(
        "META-INF/manifest.xml",
        R"(<?xml version="1.0" encoding="UTF-8"?>)"
        R"(<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.3">)"
        R"(<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.spreadsheet"/>)"
        R"(<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>)"
        R"(</manifest:manifest>)");
    zip.add("content.xml", content);
    return zip.finish();
}

// The file to read: the input itself, or its XML in a workbook made here.
QByteArray fileOf(const QByteArray& input)
{
    if (input.startsWith("xlsx-sheet\n"))
        return xlsxAround(QByteArrayView(input).sliced(11));
    if (input.startsWith("ods-content\n"))
        return odsAround(QByteArrayView(input).sliced(12));
    return input;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QByteArray file =
        fileOf(QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(size)));
    if (file.isEmpty())
        return 0;
    fuzzSheet(file);
    fuzzCommand(file);
    return 0;
}
