// Which kind of workbook a file is, told from its bytes, and its sheet opened; what cannot be
// read is named, with what to do instead.
#include "WorkbookSheet.h"

#include "OdsSheet.h"
#include "XlsxSheet.h"
#include "ZipArchive.h"

#include <QByteArrayView>
#include <QXmlStreamReader>

namespace {

constexpr QByteArrayView kZip = "PK\x03\x04";
constexpr QByteArrayView kEmptyZip = "PK\x05\x06";
constexpr QByteArrayView kOle2 = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr QByteArrayView kOdfSpreadsheet = "application/vnd.oasis.opendocument.spreadsheet";
constexpr QByteArrayView kOdfType = "application/vnd.oasis.opendocument.";
constexpr qint64 kLargestMimetype = 1024;
constexpr qint64 kLargestManifest = 16 << 20;

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

// The media type an OpenDocument package states for itself: its mimetype entry, wherever it stands
// and however it is stored, else its manifest's entry for the package's root ("/"), as some
// programs write the manifest only. Empty when it states none.
QByteArray openDocumentType(ZipArchive& zip)
{
    if (const std::optional<QByteArray> type = zip.read("mimetype", kLargestMimetype))
        return type->trimmed();
    const std::optional<QByteArray> manifest = zip.read("META-INF/manifest.xml", kLargestManifest);
    if (!manifest)
        return {};
    QXmlStreamReader reader(*manifest);
    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::Invalid)
            return {}; // no manifest declares entities
        if (token == QXmlStreamReader::StartElement && reader.name() == u"file-entry") {
            const QXmlStreamAttributes attributes = reader.attributes();
            for (const QXmlStreamAttribute& path : attributes) {
                if (path.name() == u"full-path" && path.value() == u"/") {
                    for (const QXmlStreamAttribute& type : attributes) {
                        if (type.name() == u"media-type")
                            return type.value().toUtf8().trimmed();
                    }
                }
            }
        }
    }
    return {};
}

enum class Package { Xlsx, Ods, OtherOpenDocument, NoWorkbook };

// Which kind of package a zip's parts make, whatever their order: an OpenDocument spreadsheet has
// content.xml and states a spreadsheet's media type; an Office Open XML package has
// [Content_Types].xml.
Package packageOf(ZipArchive& zip)
{
    const QByteArray type = openDocumentType(zip);
    const bool openXml = zip.contains("[Content_Types].xml");
    if (type == kOdfSpreadsheet && (zip.contains("content.xml") || !openXml))
        return Package::Ods;
    if (openXml)
        return Package::Xlsx;
    return type.startsWith(kOdfType) ? Package::OtherOpenDocument : Package::NoWorkbook;
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
    switch (packageOf(*zip)) {
    case Package::Ods: {
        std::unique_ptr<WorkbookSheet> sheet = openOdsSheet(std::move(zip), sheetName, problem);
        if (!sheet)
            return refused(QStringLiteral("this .ods workbook cannot be read: ") + problem,
                           QStringLiteral(".ods"));
        return {std::move(sheet), QStringLiteral(".ods"), {}};
    }
    case Package::OtherOpenDocument:
        return refused(QStringLiteral("this is an OpenDocument file, but no spreadsheet: open it "
                                      "in its program, or give the .ods or .xlsx of the table"));
    case Package::NoWorkbook:
        return refused(QStringLiteral("this is a zip file, not a workbook: give the .xlsx or .ods "
                                      "file itself"));
    case Package::Xlsx:
        break;
    }
    std::unique_ptr<WorkbookSheet> sheet = XlsxSheet::open(std::move(zip), sheetName, problem);
    if (!sheet)
        return refused(QStringLiteral("this .xlsx workbook cannot be read: ") + problem,
                       QStringLiteral(".xlsx"));
    return {std::move(sheet), QStringLiteral(".xlsx"), {}};
}

QString workbookKind(const QByteArray& file)
{
    if (file.startsWith(kOle2))
        return QStringLiteral(".xls");
    if (!file.startsWith(kZip))
        return {};
    ZipArchive zip(file);
    if (!zip.isOpen())
        return {};
    switch (packageOf(zip)) {
    case Package::Xlsx:
        return QStringLiteral(".xlsx");
    case Package::Ods:
        return QStringLiteral(".ods");
    case Package::OtherOpenDocument:
    case Package::NoWorkbook:
        break;
    }
    return {};
}
