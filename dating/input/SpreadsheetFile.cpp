#include "SpreadsheetFile.h"

namespace SpreadsheetFile {

namespace {

constexpr QByteArrayView kZip = "PK\x03\x04";
constexpr QByteArrayView kOle2 = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
// An OpenDocument zip stores its media type first, uncompressed, as the entry "mimetype".
constexpr qsizetype kZipNameAt = 30;
constexpr QByteArrayView kMimetype = "mimetype";
constexpr QByteArrayView kOdfSpreadsheet = "application/vnd.oasis.opendocument.spreadsheet";

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
    const QByteArrayView entry = start.sliced(std::min(kZipNameAt, start.size()));
    if (entry.startsWith(kMimetype) && entry.sliced(kMimetype.size()).startsWith(kOdfSpreadsheet))
        return QStringLiteral(".ods");
    return QStringLiteral(".xlsx");
}

} // namespace SpreadsheetFile
