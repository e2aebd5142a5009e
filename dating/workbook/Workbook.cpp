// Which kind of workbook a file is, told from its bytes, and its sheet opened; what cannot be
// read is named, with what to do instead.
#include "WorkbookSheet.h"

#include "OdsSheet.h"
#include "XlsxSheet.h"
#include "ZipArchive.h"

#include <QByteArrayView>

namespace {

constexpr QByteArrayView kZip = "PK\x03\x04";
constexpr QByteArrayView kEmptyZip = "PK\x05\x06";
constexpr QByteArrayView kOle2 = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr QByteArrayView kOdfSpreadsheet = "application/vnd.oasis.opendocument.spreadsheet";

constexpr auto kSaveAs = "save it as .xlsx or .ods and try again";

// An Office file that a password protects is a compound file holding the encrypted package;
// its directory names the stream in UTF-16.
bool isEncryptedPackage(QByteArrayView file)
{
    static const QByteArray name = [] {
        QByteArray utf16;
        for (const char c : QByteArrayView("EncryptedPackage"))
            utf16.append(c).append('\0');
        return utf16;
    }();
    return file.contains(name);
}

OpenedWorkbook refused(QString problem, QString kind = {})
{
    return {nullptr, std::move(kind), std::move(problem)};
}

} // namespace

OpenedWorkbook openWorkbook(const QByteArray& file, const std::optional<QString>& sheetName)
{
    if (file.startsWith(kOle2)) {
        if (isEncryptedPackage(file))
            return refused(QStringLiteral("this workbook is protected by a password, which "
                                          "Tarnwick cannot open: save a copy without a password "
                                          "as .xlsx or .ods and try again"));
        return refused(QStringLiteral("this is an old binary Excel workbook (.xls), which Tarnwick "
                                      "cannot read: ") +
                       QLatin1String(kSaveAs));
    }
    if (!file.startsWith(kZip) && !file.startsWith(kEmptyZip))
        return refused(QStringLiteral("this file is no workbook that Tarnwick reads (.xlsx or "
                                      ".ods): if a spreadsheet program opens it, ") +
                       QLatin1String(kSaveAs));
    auto zip = std::make_unique<ZipArchive>(file);
    if (!zip->isOpen())
        return refused(
            QStringLiteral("this file cannot be read as a workbook: %1").arg(zip->problem()));

    QString problem;
    if (zip->contains("mimetype")) {
        const std::optional<QByteArray> type = zip->read("mimetype", 1024);
        if (type && type->trimmed() == kOdfSpreadsheet) {
            std::unique_ptr<WorkbookSheet> sheet = openOdsSheet(std::move(zip), sheetName, problem);
            if (!sheet)
                return refused(QStringLiteral("this .ods workbook cannot be read: ") + problem,
                               QStringLiteral(".ods"));
            return {std::move(sheet), QStringLiteral(".ods"), {}};
        }
        return refused(QStringLiteral("this is an OpenDocument file, but no spreadsheet: open it "
                                      "in its program, or give the .ods or .xlsx of the table"));
    }
    if (!zip->contains("[Content_Types].xml"))
        return refused(QStringLiteral("this is a zip file, not a workbook: give the .xlsx or .ods "
                                      "file itself"));
    std::unique_ptr<WorkbookSheet> sheet = XlsxSheet::open(std::move(zip), sheetName, problem);
    if (!sheet)
        return refused(QStringLiteral("this .xlsx workbook cannot be read: ") + problem,
                       QStringLiteral(".xlsx"));
    return {std::move(sheet), QStringLiteral(".xlsx"), {}};
}
