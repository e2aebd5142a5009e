// The OpenDocument sheet over files that LibreOffice and Gnumeric make from CSV at test time: the
// rows it reads, and the cells it adds as both programs read them back (converted to CSV), the
// dates as dates, the other sheets and the other parts of the file as they were.
#include "cli/workbook/OdsSheet.h"

#include <QDate>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QXmlStreamReader>

namespace {

// A change to a part of a made file, for what the programs do not make from CSV: each match of
// `pattern` replaced.
struct Edit {
    QByteArray part;
    QString pattern;
    QString replacement;
};
using Edits = QList<Edit>;

// The cells added to the header and to each row below it: text, a number, none, a date.
QList<AddedCell> addedTo(qint64 row, bool header)
{
    using Kind = AddedCell::Kind;
    if (header)
        return {{Kind::Text, "est_a"},
                {Kind::Text, "est_b"},
                {Kind::Text, "est_c"},
                {Kind::Text, "est_d"}};
    return {{Kind::Text, QStringLiteral(" row %1  <&> \"q\"\nnext ").arg(row)},
            {Kind::Number, QStringLiteral("%1.5").arg(row)},
            {Kind::Empty, {}},
            {Kind::Date, QDate(1915, 3, 1).addDays(row).toString(Qt::ISODate)}};
}

QList<QStringList> parseCsv(const QString& text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted && c == u'"' && i + 1 < text.size() && text[i + 1] == u'"')
            field += text[++i];
        else if (c == u'"')
            quoted = !quoted;
        else if (quoted || (c != u',' && c != u'\n' && c != u'\r'))
            field += c;
        else if (c == u',' || c == u'\n')
            row << std::exchange(field, {});
        if (!quoted && c == u'\n')
            rows << std::exchange(row, {});
    }
    return rows;
}

// "3: A=name | B=12#": a row as read, numbers marked #, a run of equal cells as one ("A..C=x").
QString described(const SheetRow& row)
{
    const auto name = [](qint64 column) {
        QString text;
        for (++column; column > 0; column = (column - 1) / 26)
            text.prepend(QChar(u'A' + char16_t((column - 1) % 26)));
        return text;
    };
    QStringList cells;
    for (qsizetype i = 0, j = 1; i < row.cells.size(); i = j++) {
        const SheetCell& c = row.cells[i];
        while (j < row.cells.size() && row.cells[j].column == c.column + j - i &&
               row.cells[j].text == c.text && row.cells[j].number == c.number)
            ++j;
        cells << name(c.column) + (j - i > 1 ? ".." + name(row.cells[j - 1].column) : "") + u'=' +
                     c.text + (c.number ? "#" : "");
    }
    return QString::number(row.number) +
           (row.repeat > 1 ? QStringLiteral("x%1").arg(row.repeat) : "") + ": " + cells.join(" | ");
}

} // namespace

class TestOdsSheet : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rowsRead_data();
    void rowsRead();
    void cellsAdded_data();
    void cellsAdded();
    void refused_data();
    void refused();

private:
    void run(const QString& program, QStringList arguments);
    QByteArray made(const QString& maker, const QStringList& csvs, const QString& filter,
                    const Edits& edits);
    QStringList saved(const QList<QByteArray>& files, const QString& format);
    QList<QStringList> csvOf(const QString& program, const QString& name, const QString& sheet,
                             const QString& format = "preserve");
    QString path(const QString& name) const { return dir_.filePath(name); }

    QTemporaryDir dir_;
    int files_ = 0;
};

void TestOdsSheet::run(const QString& program, QStringList arguments)
{
    if (program == "soffice") // a profile of its own, so that no other LibreOffice takes the work
        arguments.prepend("-env:UserInstallation=" +
                          QUrl::fromLocalFile(path("profile")).toString());
    QProcess process;
    process.setWorkingDirectory(dir_.path());
    process.start(program, arguments);
    QVERIFY2(process.waitForStarted(),
             qPrintable(program + " is missing: tools/install-deps.sh installs it"));
    QVERIFY2(process.waitForFinished(180000) && process.exitStatus() == QProcess::NormalExit &&
                 process.exitCode() == 0,
             qPrintable(program + ": " + process.readAllStandardError()));
}

// The .ods that a program writes from the CSV texts, a sheet each ("s0.csv", ...; LibreOffice
// names one "s0"): Gnumeric joins the sheets, and LibreOffice saves its file again.
QByteArray TestOdsSheet::made(const QString& maker, const QStringList& csvs, const QString& filter,
                              const Edits& edits)
{
    const QString name = QStringLiteral("f%1.ods").arg(++files_);
    QStringList inputs;
    for (qsizetype i = 0; i < csvs.size(); ++i) {
        QFile csv(path(QStringLiteral("s%1.csv").arg(i)));
        if (!csv.open(QIODevice::WriteOnly) || csv.write(csvs[i].toUtf8()) < 0)
            return {};
        inputs << csv.fileName();
    }
    if (maker == "gnumeric" || csvs.size() > 1)
        run("ssconvert", csvs.size() > 1 ? QStringList{"--merge-to=" + path(name)} + inputs
                                         : QStringList{inputs[0], path(name)});
    if (maker == "libreoffice" && csvs.size() > 1)
        run("soffice", {"--headless", "--convert-to", "ods", "--outdir", path("lo"), path(name)});
    else if (maker == "libreoffice")
        run("soffice", {"--headless", "--infilter=CSV:44,34,76,1," + filter, "--convert-to", "ods",
                        "--outdir", path("lo"), inputs[0]});
    QFile file(maker == "gnumeric" ? path(name)
                                   : path("lo/" + (csvs.size() > 1 ? name : "s0.ods")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray ods = file.readAll();
    file.remove();
    ZipArchive zip(ods);
    QHash<QByteArray, QByteArray> parts;
    for (const Edit& edit : edits) {
        QString text = QString::fromUtf8(parts.value(edit.part, zip.read(edit.part).value_or("")));
        parts[edit.part] =
            text.replace(QRegularExpression(edit.pattern), edit.replacement).toUtf8();
    }
    return ZipWriter::rewrite(zip, parts);
}

// The files written to the folder ("c1.ods", ...: their names returned) and converted by
// LibreOffice all at once: to CSV ("c1-SHEET.csv" for each sheet), or to another format.
QStringList TestOdsSheet::saved(const QList<QByteArray>& files, const QString& format)
{
    QStringList names;
    QStringList arguments{
        "--headless", "--convert-to",
        format != "csv"
            ? format
            : "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1",
        "--outdir", dir_.path()};
    for (const QByteArray& ods : files) {
        names << QStringLiteral("c%1").arg(++files_);
        QFile file(path(names.back() + ".ods"));
        if (!file.open(QIODevice::WriteOnly) || file.write(ods) != ods.size())
            return {};
        arguments << file.fileName();
    }
    run("soffice", arguments);
    return names;
}

// A sheet of a saved file in CSV: LibreOffice's as it shows the cells; Gnumeric's as it shows
// them ("preserve") or their values ("raw": dates as days from 1899-12-30).
QList<QStringList> TestOdsSheet::csvOf(const QString& program, const QString& name,
                                       const QString& sheet, const QString& format)
{
    QString csv = path(name + u'-' + sheet + ".csv");
    if (program == "ssconvert") {
        csv = path(name + u'-' + sheet + u'-' + format + ".gnumeric");
        run(program,
            {"-T", "Gnumeric_stf:stf_assistant", "-O",
             QStringLiteral("sheet=%1 format=%2").arg(sheet, format), path(name + ".ods"), csv});
    }
    QFile out(csv);
    return out.open(QIODevice::ReadOnly) ? parseCsv(QString::fromUtf8(out.readAll()))
                                         : QList<QStringList>();
}

void TestOdsSheet::rowsRead_data()
{
    QTest::addColumn<QString>("maker");
    QTest::addColumn<QStringList>("csvs");
    QTest::addColumn<QString>("filter"); // LibreOffice's for the CSV: "2/2", column B as text
    QTest::addColumn<Edits>("edits");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<qint64>("lastMerged"); // of the rows from the third

    const QString table = "Register of cars,,\n,,\nname,serial,note\nA,1234567,first\n"
                          "B,1234567.0,\n,,\nC,-5,\"  two  spaces\nand a line\"\n";
    const QStringList rows{"1: A=Register of cars", "3: A=name | B=serial | C=note",
                           "4: A=A | B=1234567# | C=first", "5: A=B | B=1234567#",
                           "7: A=C | B=-5# | C=  two  spaces\nand a line"};
    for (const char* maker : {"libreoffice", "gnumeric"}) {
        QTest::addRow("%s: numbers, text, title and blank rows", maker)
            << maker << QStringList{table} << "" << Edits{} << "" << rows << qint64(-1);
        QTest::addRow("%s: a formula's value", maker)
            << maker << QStringList{"a,b\n2,=A2*3\n"} << "" << Edits{} << ""
            << QStringList{"1: A=a | B=b", "2: A=2# | B=6#"} << qint64(-1);
        QTest::addRow("%s: the sheet named, not the first", maker)
            << maker << QStringList{"x\n1\n", "y,z\n,3\n"} << "" << Edits{} << "s1.csv"
            << QStringList{"1: A=y | B=z", "2: B=3#"} << qint64(-1);
    }
    QTest::newRow("libreoffice: text serials as text")
        << "libreoffice" << QStringList{"name,serial\nA,\"1,234,567\"\nB,'1234567\n"} << "2/2"
        << Edits{} << ""
        << QStringList{"1: A=name | B=serial", "2: A=A | B=1,234,567", "3: A=B | B='1234567"}
        << qint64(-1);
    QTest::newRow("gnumeric: text serials as text")
        << "gnumeric" << QStringList{"name,serial\nA,\"'1,234,567\"\nB,'1234567\n"} << "" << Edits{}
        << "" << QStringList{"1: A=name | B=serial", "2: A=A | B=1,234,567", "3: A=B | B=1234567"}
        << qint64(-1);

    // What the programs write of sheets edited by hand, made from Gnumeric's file by an edit.
    const auto edited = [](const char* name, const QString& csv, const Edits& edits,
                           const QStringList& rows, qint64 lastMerged = -1) {
        QTest::newRow(name) << "gnumeric" << QStringList{csv} << "" << edits << "" << rows
                            << lastMerged;
    };
    edited("rows and cells repeated, to the sheet's end and past it", "a,b\nx,1\nwide\n",
           {{"content.xml", "(<table:table-row [^>]*)(>\\s*<table:table-cell [^>]*><text:p>x<)",
             R"(\1 table:number-rows-repeated="1000000"\2)"},
            {"content.xml", "<table:table-cell ([^>]*)><text:p>wide<",
             R"(<table:table-cell table:number-columns-repeated="99999" \1><text:p>wide<)"},
            {"content.xml", "</table:table>",
             "<table:table-row table:number-rows-repeated=\"1000000\"><table:table-cell/>"
             "</table:table-row><table:table-row><table:table-cell><text:p>end</text:p>"
             "</table:table-cell></table:table-row></table:table>"}},
           {"1: A=a | B=b", "2x1000000: A=x | B=1#", "1000002: A..XFD=wide",
            "2065536: A=end"}); // Gnumeric's 65,536 rows, one now a million, and a million more
    edited("merged cells; comments, notes, spans and white space in text", "t,,\nn,s,\nx,1,\n",
           {{"content.xml", "(<table:table-cell )([^>]*><text:p>t<)",
             R"(\1table:number-columns-spanned="6" \2)"},
            {"content.xml", "(<table:table-cell )([^>]*><text:p>x<)",
             R"(\1table:number-columns-spanned="4" \2)"},
            {"content.xml", "<text:p>x</text:p>",
             "<office:annotation><text:p>c</text:p></office:annotation><text:p> <text:span>x"
             "</text:span><text:s text:c=\"3\"/>y<text:note><text:note-body><text:p>n</text:p>"
             "</text:note-body></text:note>\n  z <text:tab/><text:line-break/>w</text:p>"
             "<text:p>second</text:p>"}},
           {"1: A=t", "2: A=n | B=s", "3: A= x   y\n  z \t\nw\nsecond | B=1#"}, 3);
}

void TestOdsSheet::rowsRead()
{
    QFETCH(QString, maker);
    QFETCH(QStringList, csvs);
    QFETCH(QString, filter);
    QFETCH(Edits, edits);
    QFETCH(QString, sheet);
    QFETCH(QStringList, rows);
    QFETCH(qint64, lastMerged);
    const QByteArray ods = made(maker, csvs, filter, edits);
    QVERIFY(!ods.isEmpty());
    QString problem;
    const auto read = openOdsSheet(std::make_unique<ZipArchive>(ods),
                                   sheet.isEmpty() ? std::nullopt : std::optional(sheet), problem);
    QVERIFY2(read, qPrintable(problem));
    QStringList found;
    for (SheetRow row; read->nextRow(row);)
        found << described(row);
    QCOMPARE(read->problem(), QString());
    QCOMPARE(found, rows);
    QCOMPARE(read->lastMergedColumn(3), lastMerged);
}

void TestOdsSheet::cellsAdded_data()
{
    QTest::addColumn<QString>("maker");
    QTest::addColumn<Edits>("edits");
    QTest::addColumn<int>("sheet");     // which one the cells go to
    QTest::addColumn<qint64>("header"); // its row: the cells go to it and the rows below

    const Edits repeated{{"content.xml",
                          "(<table:table-row [^>]*)(>\\s*<table:table-cell [^>]*><text:p>B<)",
                          R"(\1 table:number-rows-repeated="3"\2)"}};
    for (const char* maker : {"libreoffice", "gnumeric"}) {
        QTest::addRow("%s: right of the table, below its title, a row repeated", maker)
            << maker << repeated << 0 << qint64(3);
        QTest::addRow("%s: in the second sheet", maker) << maker << Edits{} << 1 << qint64(1);
    }
    QTest::newRow("libreoffice: rows that end short, no automatic styles")
        << "libreoffice"
        << Edits{{"content.xml", "(<table:table-cell[^>]*/>)+</table:table-row>",
                  "</table:table-row>"},
                 {"content.xml", "<office:automatic-styles>.*</office:automatic-styles>", ""}}
        << 0 << qint64(3);
}

void TestOdsSheet::cellsAdded()
{
    QFETCH(QString, maker);
    QFETCH(Edits, edits);
    QFETCH(int, sheet);
    QFETCH(qint64, header);
    const QStringList csvs{
        "Register,,\n,,\nname,serial,note\nA,1234567,x\nB,\"1,234,567\",\n,,\nC,2,\"a\nb\"\n",
        "other,1\n2,3\n"};
    const QByteArray ods = made(maker, csvs, "", edits);
    QVERIFY(!ods.isEmpty());
    const QStringList sheets{"s0.csv", "s1.csv"};

    // Read as the command reads it: where the table ends, then again with the cells added.
    QString problem;
    const auto dated = openOdsSheet(std::make_unique<ZipArchive>(ods), sheets[sheet], problem);
    QVERIFY2(dated, qPrintable(problem));
    SheetRow row;
    qint64 first = 0;
    while (dated->nextRow(row))
        first = std::max(first, row.number >= header ? row.cells.back().column + 1 : 0);
    dated->rewind(first, 4);
    QMap<qint64, QList<AddedCell>> added; // by row of the sheet
    QStringList dates;
    while (dated->nextRow(row)) {
        if (row.number < header)
            continue;
        dated->addCells(addedTo(row.number, row.number == header));
        for (qint64 r = row.number; r < row.number + row.repeat; ++r)
            added[r] = addedTo(row.number, row.number == header);
        if (row.number > header)
            dates << added[row.number][3].value;
    }
    const QByteArray file = dated->finish();
    QVERIFY2(!file.isEmpty(), qPrintable(dated->problem()));

    // Every cell as it was and the added ones where they go, as both programs read them.
    const QStringList files = saved({ods, file}, "csv");
    QCOMPARE(files.size(), 2);
    for (const QString program : {"soffice", "ssconvert"}) {
        const QList<QStringList> before = csvOf(program, files[0], sheets[sheet]);
        const QList<QStringList> after = csvOf(program, files[1], sheets[sheet]);
        const QList<QStringList> values = csvOf(program, files[1], sheets[sheet], "raw");
        QCOMPARE(after.size(), before.size());
        for (qsizetype r = 0; r < before.size(); ++r) {
            const QList<AddedCell> cells = added.value(r + 1);
            QStringList expected = before[r];
            while (expected.size() < first + cells.size())
                expected << QString();
            for (qsizetype i = 0; i < cells.size(); ++i)
                expected[first + i] = cells[i].value;
            QStringList got = after[r];
            while (got.size() > expected.size() && got.back().isEmpty())
                got.removeLast();
            QCOMPARE(got, expected);
            if (program == "ssconvert" && r + 1 > header &&
                !cells.isEmpty()) // a date's value: a day
                QCOMPARE(
                    values[r][first + 3].toLongLong(),
                    QDate(1899, 12, 30).daysTo(QDate::fromString(cells[3].value, Qt::ISODate)));
        }
        QCOMPARE(csvOf(program, files[1], sheets[1 - sheet]),
                 csvOf(program, files[0], sheets[1 - sheet]));
    }

    // The dates are dates to LibreOffice, which saves them again as such (flat XML).
    QFile flat(path(saved({file}, "fods").value(0) + ".fods"));
    QVERIFY(flat.open(QIODevice::ReadOnly));
    QStringList saidDates;
    bool inSheet = false;
    for (QXmlStreamReader xml(&flat); !xml.atEnd();) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.qualifiedName() == u"table:table")
            inSheet = xml.attributes().value("table:name") == sheets[sheet];
        else if (inSheet && xml.attributes().value("office:value-type") == u"date")
            saidDates << xml.attributes().value("office:date-value").toString();
    }
    saidDates.removeDuplicates(); // LibreOffice may write a repeated row once
    QCOMPARE(saidDates, dates);

    // Every other part of the file as it was, byte for byte; and content.xml but for the styles
    // and the sheet's rows.
    ZipArchive from(ods);
    ZipArchive to(file);
    QCOMPARE(to.entries().size(), from.entries().size());
    for (qsizetype i = 0; i < from.entries().size(); ++i) {
        const ZipArchive::Entry& a = from.entries()[i];
        QCOMPARE(to.entries()[i].name, a.name);
        if (a.name != "content.xml") {
            QCOMPARE(to.entries()[i].compressedSize, a.compressedSize);
            QCOMPARE(to.read(a.name).value_or("-"), from.read(a.name).value_or(""));
        }
    }
    const QByteArray original = from.read("content.xml").value_or("");
    const QByteArray content = to.read("content.xml").value_or("");
    const qsizetype stylesEnd = original.indexOf("</office:automatic-styles>");
    QVERIFY(content.startsWith(
        original.first(stylesEnd > 0 ? stylesEnd : original.indexOf("<office:body>"))));
    QVERIFY(content.endsWith(original.sliced(original.indexOf(
        "</table:table>", original.indexOf("table:name=\"" + sheets[sheet].toUtf8())))));
}

void TestOdsSheet::refused_data()
{
    QTest::addColumn<Edits>("edits");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QString>("problem"); // a part of the sentence

    QTest::newRow("a sheet it has not, named with those it has")
        << Edits{} << "Cars"
        << R"(no sheet "Cars"; its sheets are "s0.csv", "s1.csv")";
    QTest::newRow("protected by a password")
        << Edits{{"META-INF/manifest.xml", "(full-path=\"content.xml\"[^>]*)/>",
                  "\\1><manifest:encryption-data "
                  "manifest:checksum-type=\"SHA1\"/></manifest:file-entry>"}}
        << ""
        << "save a copy without a password as .ods or .xlsx";
    QTest::newRow("a document type, with entities")
        << Edits{{"content.xml", "(\\?>)", R"(\1<!DOCTYPE d [<!ENTITY a "aaaaaaaa">]>)"}} << ""
        << "declares a document type";
    const QString megabytes = "<text:p><text:s text:c=\"4000000\"/></text:p>";
    QTest::newRow("a row of megabytes of text")
        << Edits{{"content.xml", "<text:p>a</text:p>",
                  megabytes + QString("</table:table-cell><table:table-cell office:value-type="
                                      "\"string\">" +
                                      megabytes)
                                  .repeated(4)}}
        << ""
        << "a row of more than 16 million characters";
    const QString wide = "<table:table-row><table:table-cell office:value-type=\"float\" "
                         "office:value=\"1\" table:number-columns-repeated=\"16384\">"
                         "<text:p>1</text:p></table:table-cell></table:table-row>";
    QTest::newRow("cells repeated to the last column, row after row")
        << Edits{{"content.xml", "</table:table-row>", "</table:table-row>" + wide.repeated(2100)}}
        << ""
        << "over more than 100 million columns";
    QTest::newRow("malformed in the sheet")
        << Edits{{"content.xml", "</table:table-row>", "</table:table-rows>"}} << ""
        << "malformed";
    QTest::newRow("malformed after the sheet")
        << Edits{{"content.xml", "</office:spreadsheet>", "</office:spreadsheetx>"}} << ""
        << "malformed";
}

void TestOdsSheet::refused()
{
    QFETCH(Edits, edits);
    QFETCH(QString, sheet);
    QFETCH(QString, problem);
    const QByteArray ods = made("gnumeric", {"n,s\na,1\n", "x\n"}, "", edits);
    QVERIFY(!ods.isEmpty());
    QString said;
    auto read = openOdsSheet(std::make_unique<ZipArchive>(ods),
                             sheet.isEmpty() ? std::nullopt : std::optional(sheet), said);
    if (read) {
        SheetRow row;
        while (read->nextRow(row)) {
        }
        read->rewind(2, 1);
        while (read->nextRow(row))
            read->addCells({{AddedCell::Kind::Text, "t"}});
        QVERIFY(read->finish().isEmpty());
        said = read->problem();
    }
    QVERIFY2(said.contains(problem), qPrintable(said));
}

QTEST_GUILESS_MAIN(TestOdsSheet)
#include "tst_odssheet.moc"
