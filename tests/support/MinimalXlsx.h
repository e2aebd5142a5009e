#pragma once
// A workbook of one sheet named "Cars", with the parts Excel writes and names, for the tests and
// the fuzzer: the sheet's XML, its shared strings' and its styles' as given. "MAIN" in any of
// them stands for the namespace of the workbook's elements (transitional, or strict).
#include "cli/workbook/ZipArchive.h"

#include <QString>

inline QByteArray minimalXlsx(QByteArray sheet, const QString& strings, const QString& styles,
                              bool strict = false)
{
    const QString main =
        QLatin1String(strict ? "http://purl.oclc.org/ooxml/spreadsheetml/main"
                             : "http://schemas.openxmlformats.org/spreadsheetml/2006/main");
    const QString relations = QLatin1String(
        strict ? "http://purl.oclc.org/ooxml/officeDocument/relationships"
               : "http://schemas.openxmlformats.org/officeDocument/2006/relationships");
    const auto rel = [&](int id, const char* type, const char* target) {
        return QStringLiteral(R"(<Relationship Id="rId%1" Type="%2/%3" Target="%4"/>)")
            .arg(QString::number(id), relations, QLatin1String(type), QLatin1String(target));
    };
    const auto part = [&](const QString& xml) {
        return QString(xml).replace(QStringLiteral("MAIN"), main).toUtf8();
    };
    ZipWriter zip;
    zip.add("[Content_Types].xml", "<Types/>");
    zip.add("_rels/.rels", "<Relationships>" +
                               rel(1, "officeDocument", "xl/workbook.xml").toUtf8() +
                               "</Relationships>");
    zip.add(
        "xl/workbook.xml",
        QStringLiteral(
            R"(<workbook xmlns="%1" xmlns:r="%2"><sheets><sheet name="Cars" sheetId="1" r:id="rId1"/></sheets></workbook>)")
            .arg(main, relations)
            .toUtf8());
    zip.add("xl/_rels/workbook.xml.rels",
            ("<Relationships>" + rel(1, "worksheet", "worksheets/sheet1.xml") +
             rel(2, "styles", "styles.xml") + rel(3, "sharedStrings", "sharedStrings.xml") +
             "</Relationships>")
                .toUtf8());
    zip.add("xl/styles.xml", part(styles));
    zip.add("xl/sharedStrings.xml",
            part(QStringLiteral("<sst xmlns=\"MAIN\">") + strings + QStringLiteral("</sst>")));
    zip.add("xl/worksheets/sheet1.xml", sheet.replace("MAIN", main.toUtf8()));
    return zip.finish();
}
