#include "SpreadsheetFile.h"

#include <algorithm>
#include <array>

namespace SpreadsheetFile {

namespace {

constexpr QByteArrayView kZip = "PK\x03\x04";
constexpr QByteArrayView kOle2 = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
// Where a zip's first entry's name stands, in its local header.
constexpr qsizetype kZipNameAt = 30;
// The parts only an OpenDocument package has. Most programs store "mimetype" first; others
// (SheetJS) begin with the manifest or the content.
constexpr std::array<QByteArrayView, 7> kOpenDocumentParts{
    "mimetype",     "META-INF/",  "content.xml", "meta.xml",
    "settings.xml", "styles.xml", "manifest.rdf"};

bool startsLike(QByteArrayView start, QByteArrayView signature)
{
    const qsizetype n = std::min(start.size(), signature.size());
    return start.first(n) == signature.first(n);
}

} // namespace

bool couldBe(QByteArrayView start)
{
    if (start.size() >= kStartBytes)
        return false;
    return startsLike(start, kZip) || startsLike(start, kOle2);
}

QString kind(QByteArrayView start)
{
    if (start.startsWith(kOle2))
        return QStringLiteral(".xls");
    if (!start.startsWith(kZip))
        return {};
    const QByteArrayView name = start.sliced(std::min(kZipNameAt, start.size()));
    if (std::any_of(kOpenDocumentParts.begin(), kOpenDocumentParts.end(),
                    [name](QByteArrayView part) { return name.startsWith(part); }))
        return QStringLiteral(".ods");
    return QStringLiteral(".xlsx");
}

} // namespace SpreadsheetFile
