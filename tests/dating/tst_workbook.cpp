// A workbook's sheet dated in memory, as the command and the page's worker date it: what Excel's
// own files hold that the other programs' do not (strict namespaces, prefixes, rich and inline
// strings, cells without references), the table's place, what stays as it was, and the files
// that are refused. The round trip through LibreOffice and Gnumeric is tried by tst_roundtrip.
#include "dating/ByteStreams.h"
#include "dating/modes/Modes.h"
#include "dating/output/Messages.h"
#include "dating/workbook/WorkbookSheet.h"
#include "dating/workbook/ZipArchive.h"

#include <QDate>
#include <QTest>

namespace {

constexpr auto kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr auto kRelations = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr auto kStrictMain = "http://purl.oclc.org/ooxml/spreadsheetml/main";
constexpr auto kStrictRelations = "http://purl.oclc.org/ooxml/officeDocument/relationships";
constexpr auto kStyles =
    R"(<styleSheet xmlns="%1"><cellXfs count="1"><xf numFmtId="0"/></cellXfs></styleSheet>)";

// A workbook of one sheet, its parts as Excel names them.
QByteArray workbook(const QString& sheetData, const QString& strings = {}, bool strict = false,
                    const QString& styles = QLatin1String(kStyles))
{
    const QString main = QLatin1String(strict ? kStrictMain : kMain);
    const QString relations = QLatin1String(strict ? kStrictRelations : kRelations);
    const QString rel = QStringLiteral(R"(<Relationship Id="%1" Type="%2/%3" Target="%4"/>)");
    ZipWriter zip;
    zip.add("[Content_Types].xml", "<Types/>");
    zip.add("_rels/.rels",
            (QStringLiteral("<Relationships>") +
             rel.arg(QStringLiteral("rId1"), relations, QStringLiteral("officeDocument"),
                     QStringLiteral("xl/workbook.xml")) +
             QStringLiteral("</Relationships>"))
                .toUtf8());
    zip.add(
        "xl/workbook.xml",
        QStringLiteral(
            R"(<workbook xmlns="%1" xmlns:r="%2"><sheets><sheet name="Cars" sheetId="1" r:id="rId1"/></sheets></workbook>)")
            .arg(main, relations)
            .toUtf8());
    zip.add("xl/_rels/workbook.xml.rels",
            (QStringLiteral("<Relationships>") +
             rel.arg(QStringLiteral("rId1"), relations, QStringLiteral("worksheet"),
                     QStringLiteral("worksheets/sheet1.xml")) +
             rel.arg(QStringLiteral("rId2"), relations, QStringLiteral("styles"),
                     QStringLiteral("styles.xml")) +
             rel.arg(QStringLiteral("rId3"), relations, QStringLiteral("sharedStrings"),
                     QStringLiteral("sharedStrings.xml")) +
             QStringLiteral("</Relationships>"))
                .toUtf8());
    zip.add("xl/styles.xml", styles.arg(main).toUtf8());
    zip.add("xl/sharedStrings.xml",
            QStringLiteral("<sst xmlns=\"%1\">%2</sst>").arg(main, strings).toUtf8());
    zip.add("xl/worksheets/sheet1.xml",
            QString(sheetData).replace(QStringLiteral("MAIN"), main).toUtf8());
    return zip.finish();
}

QString sheet(const QString& rows)
{
    return QStringLiteral("<worksheet xmlns=\"MAIN\"><dimension ref=\"A1:B2\"/><sheetData>") +
           rows + QStringLiteral("</sheetData></worksheet>");
}

struct Dated {
    int status = -1;
    QByteArray errors;
    QByteArray file;

    QString part(QByteArrayView name) const
    {
        ZipArchive zip(file);
        return QString::fromUtf8(zip.read(name).value_or(QByteArray()));
    }
};

Dated date(const QByteArray& file, const QString& column = QStringLiteral("Serial"))
{
    BatchOptions options;
    options.column = column;
    Dated dated;
    ByteArraySink errors(dated.errors);
    Messages::sendTo(&errors);
    dated.status = runWorkbook(options, NumberRules::Separators(), file, dated.file);
    Messages::sendTo(nullptr);
    return dated;
}

int days(const QDate& day) { return int(QDate(1899, 12, 30).daysTo(day)); }

constexpr QByteArrayView kOdsType = "application/vnd.oasis.opendocument.spreadsheet";

// An OpenDocument package of a table (Serial, 400) stating the media type `type`, its parts in
// the order given; "mimetype" is stored, or deflated when `packed`, and the manifest states the
// type for the package's root.
QByteArray openDocument(const QList<QByteArrayView>& parts, QByteArrayView type = kOdsType,
                        bool packed = false)
{
    const QByteArray manifest =
        R"(<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0"><manifest:file-entry manifest:full-path="/" manifest:media-type=")" +
        type.toByteArray() + R"("/></manifest:manifest>)";
    const QByteArray content =
        R"(<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"><office:body><office:spreadsheet><table:table table:name="Cars">)"
        R"(<table:table-row><table:table-cell office:value-type="string"><text:p>Serial</text:p></table:table-cell></table:table-row>)"
        R"(<table:table-row><table:table-cell office:value-type="float" office:value="400"><text:p>400</text:p></table:table-cell></table:table-row>)"
        R"(</table:table></office:spreadsheet></office:body></office:document-content>)";
    ZipWriter zip;
    for (const QByteArrayView part : parts) {
        if (part == "mimetype")
            zip.add(part, type, !packed);
        else
            zip.add(part, part == "content.xml" ? content : manifest);
    }
    return zip.finish();
}

// The zip with every entry flagged as encrypted (bit 0 of its flags), in its local header and
// in the central directory, as a zip tool that encrypts its entries writes them.
QByteArray flaggedEncrypted(QByteArray zip)
{
    for (const auto& [signature, flags] :
         {std::pair{QByteArray("PK\x03\x04"), 6}, std::pair{QByteArray("PK\x01\x02"), 8}}) {
        for (qsizetype at = zip.indexOf(signature); at >= 0; at = zip.indexOf(signature, at + 4))
            zip[at + flags] = char(zip[at + flags] | 1);
    }
    return zip;
}

} // namespace

class TestWorkbook : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void reading_data();
    void reading();
    void addedCells();
    void kindFromParts_data();
    void kindFromParts();
    void refused_data();
    void refused();
    void unpackingIsBounded();
};

void TestWorkbook::reading_data()
{
    QTest::addColumn<QString>("sheetData");
    QTest::addColumn<QString>("strings");
    QTest::addColumn<bool>("strict");
    QTest::addColumn<QString>("serialCell"); // where estimate_serial of the first car stands
    QTest::addColumn<QString>("serial");

    const QString header = QStringLiteral(R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)");
    const QString serial = QStringLiteral("<si><t>Serial</t></si>");
    QTest::newRow("a number cell")
        << sheet(header + R"(<row r="2"><c r="A2"><v>400</v></c></row>)") << serial << false << "B2"
        << "400";
    QTest::newRow("a number written with a fraction of zero is the whole number")
        << sheet(header + R"(<row r="2"><c r="A2"><v>1234567.0</v></c></row>)") << serial << false
        << "B2"
        << "1234567";
    QTest::newRow("a shared string with group separators is read as the field reads it")
        << sheet(header + R"(<row r="2"><c r="A2" t="s"><v>1</v></c></row>)")
        << serial + "<si><t> 1,234,567 </t></si>" << false << "B2"
        << "1234567";
    QTest::newRow("a rich string's runs are joined, its phonetic reading left out")
        << sheet(header + R"(<row r="2"><c r="A2" t="s"><v>1</v></c></row>)")
        << serial + "<si><r><t>12</t></r><r><rPr/><t>34</t></r><rPh><t>99</t></rPh></si>" << false
        << "B2"
        << "1234";
    QTest::newRow("an inline string")
        << sheet(header + R"(<row r="2"><c r="A2" t="inlineStr"><is><t>646</t></is></c></row>)")
        << serial << false << "B2"
        << "646";
    QTest::newRow("a formula's cached value")
        << sheet(header + R"(<row r="2"><c r="A2"><f>200*2</f><v>400</v></c></row>)") << serial
        << false << "B2"
        << "400";
    QTest::newRow("cells and rows without references follow one another")
        << sheet(
               R"(<row><c t="s"><v>1</v></c><c t="s"><v>0</v></c></row><row><c t="s"><v>1</v></c><c><v>5</v></c></row>)")
        << serial + "<si><t>Owner</t></si>" << false << "C2"
        << "5";
    QTest::newRow("strict Office Open XML")
        << sheet(header + R"(<row r="2"><c r="A2"><v>400</v></c></row>)") << serial << true << "B2"
        << "400";
    QTest::newRow("the header is the first row with the name, below a title")
        << sheet(
               R"(<row r="1"><c r="A1" t="s"><v>1</v></c><c r="E1" t="s"><v>1</v></c></row>)"
               R"(<row r="3"><c r="B3" t="s"><v>0</v></c></row><row r="4"><c r="B4"><v>400</v></c></row>)")
        << serial + "<si><t>Registry of cars</t></si>" << false << "C4"
        << "400";
    QTest::newRow("a merged cell of the table is not written into")
        << QString(sheet(header + R"(<row r="2"><c r="A2"><v>400</v></c></row>)"))
               .replace(QStringLiteral("</sheetData>"),
                        QStringLiteral("</sheetData><mergeCells count=\"1\"><mergeCell "
                                       "ref=\"B2:D2\"/></mergeCells>"))
        << serial << false << "E2"
        << "400";
    QTest::newRow("a row that reaches past the header puts the estimate right of it")
        << sheet(header + R"(<row r="2"><c r="A2"><v>400</v></c></row>)"
                          R"(<row r="3"><c r="A3"><v>1</v></c><c r="C3"><v>7</v></c></row>)")
        << serial << false << "D2"
        << "400";
    QTest::newRow("an empty styled cell where the estimate goes gives way")
        << sheet(header +
                 R"(<row r="2"><c r="A2"><v>400</v></c><c r="B2" s="0"/><c r="Z2" s="0"/></row>)")
        << serial << false << "B2"
        << "400";
    QTest::newRow("elements with a prefix")
        << QStringLiteral(
               R"(<x:worksheet xmlns:x="MAIN"><x:sheetData><x:row r="1"><x:c r="A1" t="s"><x:v>0</x:v></x:c></x:row><x:row r="2"><x:c r="A2"><x:v>400</x:v></x:c></x:row></x:sheetData></x:worksheet>)")
        << serial << false << "B2"
        << "400";
}

void TestWorkbook::reading()
{
    QFETCH(QString, sheetData);
    QFETCH(QString, strings);
    QFETCH(bool, strict);
    QFETCH(QString, serialCell);
    QFETCH(QString, serial);
    const Dated dated = date(workbook(sheetData, strings, strict));
    QCOMPARE(dated.status, 0);
    const QString xml = dated.part("xl/worksheets/sheet1.xml");
    const QString prefix =
        sheetData.startsWith(QStringLiteral("<x:")) ? QStringLiteral("x:") : QString();
    QVERIFY2(
        xml.contains(
            QStringLiteral("<%1c r=\"%2\"><%1v>%3</%1v></%1c>").arg(prefix, serialCell, serial)),
        qPrintable(xml));
    // Every cell of the sheet is still there, as it was written.
    QRegularExpression cell(QStringLiteral("<(x:)?c [^>]*(/>|>.*?</(x:)?c>)"));
    for (const auto& match : cell.globalMatch(sheetData))
        QVERIFY2(xml.contains(match.captured()) ||
                     match.captured().contains(QStringLiteral("s=\"0\"/>")),
                 qPrintable(match.captured()));
}

// The cells added to a dated row and the header, the date as a date, what stays as it was.
void TestWorkbook::addedCells()
{
    const QString rows = QStringLiteral(
        R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row><row r="2"><c r="A2"><v>400</v></c></row><row r="3"><c r="A3"><v>2831427</v></c></row>)");
    const QByteArray file = workbook(sheet(rows), QStringLiteral("<si><t>Serial</t></si>"));
    const Dated dated = date(file);
    QCOMPARE(dated.status, 1);
    QVERIFY(dated.errors.contains("1 of 2 rows was not dated"));
    const QString xml = dated.part("xl/worksheets/sheet1.xml");
    QVERIFY(xml.contains(R"(<c r="B1" t="inlineStr"><is><t>estimate_serial</t></is></c>)"));
    QVERIFY(xml.contains(R"(<c r="N1" t="inlineStr"><is><t>estimate_date</t></is></c>)"));
    QVERIFY(xml.contains(
        R"(<c r="C2" t="inlineStr"><is><t>January</t></is></c><c r="D2"><v>9</v></c><c r="E2"><v>1909</v></c>)"));
    QVERIFY(xml.contains(
        R"(<c r="L2" t="inlineStr"><is><t>400 was built on January 9, 1909.</t></is></c>)"));
    QVERIFY(xml.contains(
        QStringLiteral(R"(<c r="N2" s="1"><v>%1</v></c>)").arg(days(QDate(1909, 1, 9)))));
    QVERIFY(xml.contains(
        R"(<c r="M3" t="inlineStr"><is><t>No production month is recorded for serial number 2831427.</t></is></c></row>)"));
    QVERIFY(xml.contains(R"(<dimension ref="A1:N2"/>)"));
    const QString styles = dated.part("xl/styles.xml");
    QVERIFY(styles.contains(
        R"(<numFmts count="1"><numFmt numFmtId="164" formatCode="yyyy-mm-dd"/></numFmts>)"));
    QVERIFY(styles.contains(R"(<cellXfs count="2"><xf numFmtId="0"/><xf numFmtId="164")"));
    // The parts that hold nothing of the sheet keep their packed bytes.
    ZipArchive before(file);
    ZipArchive after(dated.file);
    QCOMPARE(after.entries().size(), before.entries().size());
    for (qsizetype i = 0; i < before.entries().size(); ++i) {
        const auto& entry = before.entries()[i];
        QCOMPARE(after.entries()[i].name, entry.name);
        if (!entry.name.endsWith("sheet1.xml") && !entry.name.endsWith("styles.xml")) {
            QCOMPARE(after.entries()[i].compressedSize, entry.compressedSize);
            QCOMPARE(after.read(entry.name), before.read(entry.name));
        }
    }
}

// A workbook's kind comes from its parts, whatever their order and however they are stored, and
// it is dated as that kind.
void TestWorkbook::kindFromParts_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("kind");
    const QByteArray xlsx = workbook(
        sheet(
            R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row><row r="2"><c r="A2"><v>400</v></c></row>)"),
        QStringLiteral("<si><t>Serial</t></si>"));
    QTest::newRow("an .ods with its mimetype stored first, as LibreOffice writes it")
        << openDocument({"mimetype", "META-INF/manifest.xml", "content.xml"}) << ".ods";
    QTest::newRow("an .ods with its manifest first and its mimetype stored later, as SheetJS")
        << openDocument({"META-INF/manifest.xml", "content.xml", "mimetype"}) << ".ods";
    QTest::newRow("an .ods whose mimetype is deflated")
        << openDocument({"content.xml", "mimetype", "META-INF/manifest.xml"}, kOdsType, true)
        << ".ods";
    QTest::newRow("an .ods whose manifest alone states its media type")
        << openDocument({"META-INF/manifest.xml", "content.xml"}) << ".ods";
    QTest::newRow("an Office Open XML package is an .xlsx") << xlsx << ".xlsx";
    QTest::newRow("an OpenDocument text is no workbook")
        << openDocument({"mimetype", "META-INF/manifest.xml", "content.xml"},
                        "application/vnd.oasis.opendocument.text")
        << "";
}

void TestWorkbook::kindFromParts()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, kind);
    QCOMPARE(workbookKind(file), kind);
    const Dated dated = date(file);
    QCOMPARE(dated.status, kind.isEmpty() ? int(Messages::kUsageError) : 0);
    if (kind == u".ods")
        QVERIFY2(
            dated.part("content.xml").contains(QStringLiteral("office:date-value=\"1909-01-09\"")),
            dated.errors.constData());
}

void TestWorkbook::refused_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("message");
    const QByteArray ole =
        QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(504, '\0');
    QTest::newRow("an old binary .xls")
        << ole + "Workbook" << QByteArray("old binary Excel workbook (.xls)");
    QTest::newRow("a workbook protected by a password")
        << ole + QByteArray("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0", 32)
        << QByteArray("protected by a password");
    QTest::newRow("text is no workbook")
        << QByteArray("Serial\n400\n") << QByteArray("no workbook that Tarnwick reads");
    ZipWriter plain;
    plain.add("notes.txt", "hello");
    QTest::newRow("a zip that is no workbook")
        << plain.finish() << QByteArray("a zip file, not a workbook");
    ZipWriter climbing;
    climbing.add("../../etc/passwd", "x");
    QTest::newRow("a part whose name climbs out")
        << climbing.finish() << QByteArray("which no workbook has");
    ZipWriter absolute;
    absolute.add("/etc/passwd", "x");
    QTest::newRow("a part with an absolute name")
        << absolute.finish() << QByteArray("which no workbook has");
    QTest::newRow("a sheet that declares entities")
        << workbook(QStringLiteral(
               R"(<!DOCTYPE w [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;">]><worksheet xmlns="MAIN"><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>Serial &b;</t></is></c></row></sheetData></worksheet>)"))
        << QByteArray("declares a document type");
    QTest::newRow("cells out of order have no trusted place")
        << workbook(sheet(
               R"(<row r="1"><c r="Z1" t="inlineStr"><is><t>Serial</t></is></c><c r="A1"><v>1</v></c></row>)"))
        << QByteArray("cells out of order in row 1");
    QTest::newRow("a cell that names another row")
        << workbook(sheet(R"(<row r="7"><c r="A5" t="inlineStr"><is><t>Serial</t></is></c></row>)"))
        << QByteArray("cells out of order in row 7");
    QTest::newRow("rows out of order")
        << workbook(sheet(
               R"(<row r="3"><c r="A3"><v>1</v></c></row><row r="2"><c r="A2"><v>1</v></c></row>)"))
        << QByteArray("rows out of order (row 2 after row 3)");
    QTest::newRow("a sheet in another encoding than UTF-8")
        << workbook(
               QStringLiteral(R"(<?xml version="1.0" encoding="UTF-7"?><worksheet xmlns="MAIN"/>)"))
        << QByteArray("declared as UTF-7, not UTF-8");
    QTest::newRow("a sheet that is not XML")
        << workbook(QStringLiteral("<worksheet><row>")) << QByteArray("cannot be read");
    QTest::newRow("a row past the last a sheet has")
        << workbook(sheet(R"(<row r="1048577"><c r="A1"><v>1</v></c></row>)"))
        << QByteArray("past the last row");
    QTest::newRow("a zip whose parts are encrypted is refused as such")
        << flaggedEncrypted(workbook(
               sheet(R"(<row r="1"><c r="A1" t="inlineStr"><is><t>Serial</t></is></c></row>)")))
        << QByteArray("its parts are encrypted");
}

void TestWorkbook::refused()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, message);
    const Dated dated = date(file);
    QCOMPARE(dated.status, int(Messages::kUsageError));
    QVERIFY2(dated.errors.contains(message), dated.errors.constData());
    QVERIFY(dated.file.isEmpty());
}

// A part that unpacks to more than its limit is refused as it unpacks, whatever it claims.
void TestWorkbook::unpackingIsBounded()
{
    ZipWriter bomb;
    bomb.add("zeros", QByteArray(3 << 20, '\0'));
    ZipArchive zip(bomb.finish());
    QVERIFY(zip.isOpen());
    QVERIFY(zip.read("zeros", 4 << 20));
    QVERIFY(!zip.read("zeros", 1 << 20));
    QVERIFY(zip.problem().contains(QStringLiteral("unpacks to more than 1 MiB")));
}

QTEST_GUILESS_MAIN(TestWorkbook)
#include "tst_workbook.moc"
