// Fuzzes --column over a workbook: the zip container, the .xlsx and .ods sheets' XML read, and
// the sheet written again with the estimate's cells. The input is a file's bytes; or, after a
// first line "xlsx-sheet" or "ods-content", the XML of a sheet or of content.xml, put into a
// small workbook here, so that changes to the XML reach the XML readers rather than a zip's
// checksum. The status is one of the three, a refused file is never written, and a dated one
// opens again. Nothing is printed: the messages go to a buffer.
#include "cli/modes/Modes.h"
#include "cli/output/Messages.h"
#include "cli/workbook/WorkbookSheet.h"
#include "cli/workbook/ZipArchive.h"
#include "tests/support/MinimalXlsx.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_workbook: %s\n", what);
    std::abort();
}

void fuzzCommand(const QByteArray& file)
{
    QByteArray messages;
    Messages::sendTo(&messages);
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
    return minimalXlsx(
        sheet.toByteArray(),
        QStringLiteral("<si><t>Serial</t></si><si><r><t>1,234,</t></r><r><t>567"
                       "</t></r></si>"),
        QStringLiteral("<styleSheet><cellXfs count=\"1\"><xf/></cellXfs></styleSheet>"));
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
    fuzzCommand(file);
    return 0;
}
