// Fuzzes the workbook reader and writer (the zip container, the .xlsx and .ods sheets' XML) and
// --column over a workbook. The input is a file's bytes; or, after a first line "xlsx-sheet" or
// "ods-content", the XML of a sheet or of content.xml, put into a small workbook here, so that
// changes to the XML reach the XML readers rather than a zip's checksum.
//
// A file that opens is read to the end, rewound and read again with cells added to each row; the
// finished workbook is empty exactly when a problem is said, and otherwise opens again. Then
// runWorkbook dates the file: its status is one of the three, and a refused file is never
// written. Nothing is printed: the messages go to a buffer.
#include "dating/ByteStreams.h"
#include "dating/modes/Modes.h"
#include "dating/output/Messages.h"
#include "dating/workbook/WorkbookSheet.h"
#include "dating/workbook/ZipArchive.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr qsizetype kMostRows = 20000;

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_workbook: %s\n", what);
    std::abort();
}

void fuzzSheet(const QByteArray& file)
{
    OpenedWorkbook opened = openWorkbook(file, std::nullopt);
    if (!opened.sheet)
        return;
    WorkbookSheet& sheet = *opened.sheet;
    SheetRow row;
    qint64 last = -1;
    for (qsizetype n = 0; n < kMostRows && sheet.nextRow(row); ++n) {
        for (const SheetCell& cell : row.cells)
            last = std::max(last, cell.column);
    }
    if (!sheet.problem().isEmpty() || last >= 16383 - 3)
        return;
    const QList<AddedCell> added{{AddedCell::Kind::Text, QStringLiteral("a <b> & \"c\"")},
                                 {AddedCell::Kind::Number, QStringLiteral("1909")},
                                 {AddedCell::Kind::Date, QStringLiteral("1909-01-09")},
                                 {}};
    sheet.rewind(last + 1, added.size());
    for (qsizetype n = 0; n < kMostRows && sheet.nextRow(row); ++n)
        sheet.addCells(added);
    const QByteArray written = sheet.finish();
    if (written.isEmpty() != !sheet.problem().isEmpty())
        fail("a workbook written with a problem, or none written without one");
    if (!written.isEmpty() && !openWorkbook(written, std::nullopt).sheet)
        fail("a written workbook does not open again");
}

void fuzzCommand(const QByteArray& file)
{
    QByteArray messages;
    ByteArraySink sink(messages);
    Messages::sendTo(&sink);
    BatchOptions options;
    options.column = QStringLiteral("Serial");
    QByteArray dated;
    const int status = runWorkbook(options, NumberRules::Separators{}, file, dated);
    Messages::sendTo(nullptr);
    if (status < 0 || status > 2)
        fail("an exit status that is none of 0, 1 and 2");
    if (status == Messages::kUsageError && (!dated.isEmpty() || messages.isEmpty()))
        fail("a refused workbook written, or refused without a message");
    if (!dated.isEmpty() && !openWorkbook(dated, std::nullopt).sheet)
        fail("a dated workbook does not open again");
}

QByteArray xlsxAround(QByteArrayView sheet)
{
    const QByteArray rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    ZipWriter zip;
    zip.add("[Content_Types].xml", "<Types/>");
    zip.add("_rels/.rels", "<Relationships><Relationship Id=\"rId1\" Type=\"" + rel +
                               "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
    zip.add("xl/workbook.xml",
            "<workbook xmlns:r=\"" + rel +
                "\"><sheets><sheet name=\"S\" r:id=\"rId1\"/></sheets></workbook>");
    zip.add("xl/_rels/workbook.xml.rels",
            "<Relationships><Relationship Id=\"rId1\" Type=\"" + rel +
                "/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"" +
                rel +
                "/sharedStrings\" Target=\"sharedStrings.xml\"/><Relationship Id=\"rId3\" "
                "Type=\"" +
                rel + "/styles\" Target=\"styles.xml\"/></Relationships>");
    zip.add("xl/sharedStrings.xml", "<sst><si><t>Serial</t></si><si><r><t>1,234,</t></r><r><t>567"
                                    "</t></r></si></sst>");
    zip.add("xl/styles.xml", "<styleSheet><cellXfs count=\"1\"><xf/></cellXfs></styleSheet>");
    zip.add("xl/worksheets/sheet1.xml", sheet);
    return zip.finish();
}

QByteArray odsAround(QByteArrayView content)
{
    ZipWriter zip;
    zip.add("mimetype", "application/vnd.oasis.opendocument.spreadsheet", true);
    zip.add("META-INF/manifest.xml", "<manifest/>");
    zip.add("content.xml", content);
    return zip.finish();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(bytes), qsizetype(size));
    const QByteArray file = input.startsWith("xlsx-sheet\n")    ? xlsxAround(input.sliced(11))
                            : input.startsWith("ods-content\n") ? odsAround(input.sliced(12))
                                                                : input;
    if (file.isEmpty())
        return 0;
    fuzzSheet(file);
    fuzzCommand(file);
    return 0;
}
