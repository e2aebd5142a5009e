// The OpenDocument sheet over files that LibreOffice and Gnumeric make from CSV at test time: the
// rows it reads, and the cells it adds as both programs read them back (converted to CSV), the
// dates as dates, the other sheets and the other parts of the file as they were.
#include "cli/workbook/OdsSheet.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QXmlStreamReader>

namespace {

// Changes to a part of a made file: each match of `pattern` replaced (an empty pattern: the part
// renamed to `replacement`), for what the programs do not make from CSV.
struct Edit {
    QByteArray part;
    QString pattern;
    QString replacement;
};
using Edits = QList<Edit>;

// The cells the test adds to a row from the header on, as a command adds its columns.
QList<AddedCell> addedTo(qint64 row, bool header)
{
    using Kind = AddedCell::Kind;
    if (header)
        return {{Kind::Text, "est_text"}, {Kind::Text, "est_number"}, {Kind::Text, "est_empty"},
                {Kind::Text, "est_date"}};
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

// "3: A=name | B=12#": a row as read, runs of equal cells as one ("A..C=x"), numbers marked #.
QString described(const SheetRow& row)
{
    auto name = [](qint64 column) {
        QString text;
        for (++column; column > 0; column = (column - 1) / 26)
            text.prepend(QChar(u'A' + char16_t((column - 1) % 26)));
        return text;
    };
    QStringList cells;
    for (qsizetype i = 0; i < row.cells.size();) {
        qsizetype j = i + 1;
        while (j < row.cells.size() && row.cells[j].column == row.cells[j - 1].column + 1 &&
               row.cells[j].text == row.cells[i].text && row.cells[j].number == row.cells[i].number)
            ++j;
        const SheetCell& c = row.cells[i];
        cells << (j - i > 1 ? name(c.column) + ".." + name(row.cells[j - 1].column) : name(c.column)) +
                     u'=' + c.text + (c.number ? "#" : "");
        i = j;
    }
    return QString::number(row.number) + (row.repeat > 1 ? QStringLiteral("x%1").arg(row.repeat) : "") +
           ": " + cells.join(" | ");
}

} // namespace

class TestOdsSheet : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void rowsRead_data();
    void rowsRead();
    void cellsAdded_data();
    void cellsAdded();
    void refused_data();
    void refused();

private:
    QByteArray made(const QString& maker, const QStringList& csvs, const QString& filter,
                    const Edits& edits);
    void run(const QString& program, QStringList arguments);
    QStringList saved(const QList<QByteArray>& files, const QString& format);
    QList<QStringList> csvOf(const QString& program, const QString& name, const QString& sheet,
                             const QString& format = "preserve");
    QStringList datesOf(const QString& name, const QString& sheet);
    QString path(const QString& name) const { return dir_.filePath(name); }

    QTemporaryDir dir_;
    int files_ = 0;
};

void TestOdsSheet::initTestCase()
{
    QVERIFY(dir_.isValid());
    for (const char* program : {"soffice", "ssconvert"}) {
        if (QStandardPaths::findExecutable(program).isEmpty())
            QFAIL(qPrintable(QStringLiteral("%1 is missing: tools/install-deps.sh installs it").arg(program)));
    }
}

void TestOdsSheet::run(const QString& program, QStringList arguments)
{
    if (program == "soffice") // a profile of its own, so that no other LibreOffice gets the work
        arguments.prepend("-env:UserInstallation=" + QUrl::fromLocalFile(path("lo-profile")).toString());
    QProcess process;
    process.setWorkingDirectory(dir_.path());
    process.start(program, arguments);
    QVERIFY2(process.waitForFinished(180000), qPrintable(program + " does not finish"));
    QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
             qPrintable(program + ": " + process.readAllStandardError()));
}

// The .ods that a program writes from the CSV texts, one sheet each ("s0.csv", ...). LibreOffice
// opens CSV as one sheet: Gnumeric joins the sheets, and LibreOffice saves its file again.
QByteArray TestOdsSheet::made(const QString& maker, const QStringList& csvs, const QString& filter,
                              const Edits& edits)
{
    const QString name = QStringLiteral("f%1").arg(++files_);
    QStringList inputs;
    for (qsizetype i = 0; i < csvs.size(); ++i) {
        QFile csv(path(QStringLiteral("s%1.csv").arg(i)));
        if (!csv.open(QIODevice::WriteOnly) || csv.write(csvs[i].toUtf8()) < 0)
            return {};
        inputs << csv.fileName();
    }
    if (csvs.size() > 1)
        run("ssconvert", QStringList{"--merge-to=" + path(name + ".ods")} + inputs);
    else if (maker == "gnumeric")
        run("ssconvert", {inputs[0], path(name + ".ods")});
    if (maker == "libreoffice" && csvs.size() > 1)
        run("soffice", {"--headless", "--convert-to", "ods", "--outdir", path("lo"), path(name + ".ods")});
    else if (maker == "libreoffice")
        run("soffice", {"--headless", "--infilter=CSV:44,34,76,1," + filter, "--convert-to", "ods",
                        "--outdir", path("lo"), inputs[0]});
    QFile file(maker == "gnumeric" ? path(name + ".ods")
               : csvs.size() > 1   ? path("lo/" + name + ".ods")
                                   : path("lo/s0.ods"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray ods = file.readAll();
    file.remove();
    if (edits.isEmpty())
        return ods;
    ZipArchive zip(ods);
    ZipWriter out;
    for (const ZipArchive::Entry& entry : zip.entries()) {
        QString text = QString::fromUtf8(zip.read(entry.name).value_or(QByteArray()));
        QByteArray name = entry.name;
        bool changed = false;
        for (const Edit& edit : edits) {
            if (edit.part != entry.name)
                continue;
            changed = true;
            if (edit.pattern.isEmpty())
                name = edit.replacement.toUtf8();
            else
                text.replace(QRegularExpression(edit.pattern), edit.replacement);
        }
        changed ? out.add(name, text.toUtf8(), name == "mimetype") : out.copy(zip, entry);
    }
    return out.finish();
}

// The files written to the folder, by the names returned ("c1", ...), and converted by
// LibreOffice all at once: to CSV (every sheet, "c1-NAME.csv"), or to another format ("fods").
QStringList TestOdsSheet::saved(const QList<QByteArray>& files, const QString& format)
{
    QStringList names;
    QStringList paths;
    for (const QByteArray& ods : files) {
        names << QStringLiteral("c%1").arg(++files_);
        QFile file(path(names.back() + ".ods"));
        if (!file.open(QIODevice::WriteOnly) || file.write(ods) != ods.size())
            return {};
        paths << file.fileName();
    }
    run("soffice", QStringList{"--headless", "--convert-to",
                               format == "csv" ? "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,"
                                                 "false,true,false,false,false,-1"
                                               : format,
                               "--outdir", dir_.path()} +
                       paths);
    return names;
}

// A sheet of a saved file as the program converts it to CSV: LibreOffice as it shows the cells;
// Gnumeric as it shows them ("preserve") or their values ("raw", dates as days from 1899-12-30).
QList<QStringList> TestOdsSheet::csvOf(const QString& program, const QString& name,
                                      const QString& sheet, const QString& format)
{
    QString csv = path(name + u'-' + sheet + ".csv");
    if (program == "ssconvert") {
        csv = path(name + u'-' + sheet + u'-' + format + ".gnumeric.csv");
        run(program, {"-T", "Gnumeric_stf:stf_assistant", "-O",
                      QStringLiteral("sheet=%1 format=%2").arg(sheet, format), path(name + ".ods"), csv});
    }
    QFile out(csv);
    if (!out.open(QIODevice::ReadOnly))
        return {};
    return parseCsv(QString::fromUtf8(out.readAll()));
}

// The date cells of a sheet of a file that LibreOffice saved again as flat XML: their values.
QStringList TestOdsSheet::datesOf(const QString& name, const QString& sheet)
{
    QFile flat(path(name + ".fods"));
    if (!flat.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&flat);
    QStringList dates;
    bool inSheet = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"table" && xml.prefix() == u"table")
            inSheet = xml.attributes().value("table:name") == sheet;
        else if (inSheet && xml.attributes().value("office:value-type") == u"date")
            dates << xml.attributes().value("office:date-value").toString();
    }
    return dates;
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
    QTest::addRow("libreoffice: text serials as text")
        << "libreoffice" << QStringList{"name,serial\nA,\"1,234,567\"\nB,'1234567\n"} << "2/2"
        << Edits{} << "" << QStringList{"1: A=name | B=serial", "2: A=A | B=1,234,567", "3: A=B | B='1234567"}
        << qint64(-1);
    QTest::addRow("gnumeric: text serials as text")
        << "gnumeric" << QStringList{"name,serial\nA,\"'1,234,567\"\nB,'1234567\n"} << "" << Edits{}
        << "" << QStringList{"1: A=name | B=serial", "2: A=A | B=1,234,567", "3: A=B | B=1234567"}
        << qint64(-1);

    // What the programs write of sheets edited by hand, made from Gnumeric's file by an edit.
    const auto edited = [](const char* name, const QString& csv, const Edits& edits, const QStringList& rows,
                           qint64 lastMerged = -1) {
        QTest::newRow(name) << "gnumeric" << QStringList{csv} << "" << edits << "" << rows << lastMerged;
    };
    edited("a row repeated, read once", "a,b\nx,1\n",
           {{"content.xml", "(<table:table-row [^>]*)(>\\s*<table:table-cell [^>]*><text:p>x<)",
             "\\1 table:number-rows-repeated=\"1000000\"\\2"}},
           {"1: A=a | B=b", "2x1000000: A=x | B=1#"});
    edited("a cell repeated to the last column and past it", "a\nwide\n",
           {{"content.xml", "<table:table-cell ([^>]*)><text:p>wide<",
             "<table:table-cell table:number-columns-repeated=\"99999\" \\1><text:p>wide<"}},
           {"1: A=a", "2: A..XFD=wide"});
    edited("merged cells, in the title and below", "title,,\nn,s,\nx,1,\ny,2,\n",
           {{"content.xml", "(<table:table-cell )([^>]*><text:p>title<)", "\\1table:number-columns-spanned=\"6\" \\2"},
            {"content.xml", "(<table:table-cell )([^>]*><text:p>x<)", "\\1table:number-columns-spanned=\"4\" \\2"}},
           {"1: A=title", "2: A=n | B=s", "3: A=x | B=1#", "4: A=y | B=2#"}, 3);
    edited("empty rows to the sheet's end, and past it", "a\n1\n",
           {{"content.xml", "</table:table>",
             "<table:table-row table:number-rows-repeated=\"1000000\"><table:table-cell "
             "table:number-columns-repeated=\"1024\"/></table:table-row><table:table-row><table:table-cell>"
             "<text:p>end</text:p></table:table-cell></table:table-row></table:table>"}},
           {"1: A=a", "2: A=1#", "1065537: A=end"}); // after Gnumeric's 65,536 rows
    edited("a comment, a note, spans and white space in the text", "a\nx\n",
           {{"content.xml", "<text:p>x</text:p>",
             "<office:annotation><text:p>comment</text:p></office:annotation><text:p> <text:span>x</text:span>"
             "<text:s text:c=\"3\"/>y<text:note><text:note-body><text:p>n</text:p></text:note-body></text:note>"
             "\n  z <text:tab/><text:line-break/>w</text:p><text:p>second</text:p>"}},
           {"1: A=a", "2: A= x   y\n  z \t\nw\nsecond"});
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
    QTest::addColumn<QStringList>("csvs");
    QTest::addColumn<Edits>("edits");
    QTest::addColumn<int>("sheet");  // which one the cells go to
    QTest::addColumn<qint64>("header"); // its row: the cells go to it and the rows below

    const QStringList table{"Register,,\n,,\nname,serial,note\nA,1234567,x\nB,\"1,234,567\",\n,,\nC,2,\"a\nb\"\n",
                            "other,1\n2,3\n"};
    const Edits repeated{{"content.xml", "(<table:table-row [^>]*)(>\\s*<table:table-cell [^>]*><text:p>B<)",
                           "\\1 table:number-rows-repeated=\"3\"\\2"}};
    for (const char* maker : {"libreoffice", "gnumeric"}) {
        QTest::addRow("%s: right of the table, below its title, a row repeated", maker)
            << maker << table << repeated << 0 << qint64(3);
        QTest::addRow("%s: in the second sheet", maker) << maker << table << Edits{} << 1 << qint64(1);
    }
    QTest::addRow("libreoffice: rows that end short, no automatic styles")
        << "libreoffice" << table
        << Edits{{"content.xml", "<table:table-cell table:number-columns-repeated=\"\\d+\"/></table:table-row>",
                  "</table:table-row>"},
                 {"content.xml", "<table:table-cell/></table:table-row>", "</table:table-row>"},
                 {"content.xml", "<office:automatic-styles>.*</office:automatic-styles>", ""}}
        << 0 << qint64(3);
}

void TestOdsSheet::cellsAdded()
{
    QFETCH(QString, maker);
    QFETCH(QStringList, csvs);
    QFETCH(Edits, edits);
    QFETCH(int, sheet);
    QFETCH(qint64, header);
    const QByteArray ods = made(maker, csvs, "", edits);
    QVERIFY(!ods.isEmpty());
    QStringList names{"s0.csv", "s1.csv"};

    // Read as a command reads it: where the table ends, then again with the cells added.
    QString problem;
    const auto dated = openOdsSheet(std::make_unique<ZipArchive>(ods), names[sheet], problem);
    QVERIFY2(dated, qPrintable(problem));
    SheetRow row;
    qint64 first = 0;
    while (dated->nextRow(row))
        first = std::max(first, row.number >= header ? row.cells.back().column + 1 : 0);
    dated->rewind(first, 4);
    QMap<qint64, QList<AddedCell>> added; // by row of the sheet
    while (dated->nextRow(row)) {
        if (row.number < header)
            continue;
        const QList<AddedCell> cells = addedTo(row.number, row.number == header);
        dated->addCells(cells);
        for (qint64 r = row.number; r < row.number + row.repeat; ++r)
            added[r] = cells;
    }
    const QByteArray file = dated->finish();
    QVERIFY2(!file.isEmpty(), qPrintable(dated->problem()));

    // Every cell as it was, and the added ones where they go, as both programs read them.
    const QStringList files = saved({ods, file}, "csv");
    QCOMPARE(files.size(), 2);
    for (const QString program : {"soffice", "ssconvert"}) {
        const QList<QStringList> before = csvOf(program, files[0], names[sheet]);
        const QList<QStringList> after = csvOf(program, files[1], names[sheet]);
        const QList<QStringList> values = csvOf(program, files[1], names[sheet], "raw");
        QCOMPARE(after.size(), before.size());
        for (qsizetype r = 0; r < before.size(); ++r) {
            const QList<AddedCell> cells = added.value(r + 1);
            QStringList expected = before[r];
            while (expected.size() < first + (cells.isEmpty() ? 0 : 4))
                expected << QString();
            for (qsizetype i = 0; i < cells.size(); ++i)
                expected[first + i] = cells[i].value;
            QStringList got = after[r];
            while (!got.isEmpty() && got.size() > expected.size() && got.back().isEmpty())
                got.removeLast();
            QCOMPARE(got, expected);
            if (program == "ssconvert" && !cells.isEmpty() && r + 1 > header)
                QCOMPARE(values[r][first + 3], QString::number(QDate(1899, 12, 30).daysTo(QDate::fromString(cells[3].value, Qt::ISODate))));
        }
        // The other sheet as it was.
        QCOMPARE(csvOf(program, files[1], names[1 - sheet]), csvOf(program, files[0], names[1 - sheet]));
    }
    QStringList dates;
    for (const QList<AddedCell>& cells : added) {
        if (cells[3].kind == AddedCell::Kind::Date)
            dates << cells[3].value;
    }
    QStringList resaved = datesOf(saved({file}, "fods").value(0), names[sheet]);
    resaved.removeDuplicates(); // LibreOffice may write repeated rows once, or each
    dates.removeDuplicates();
    QCOMPARE(resaved, dates);

    // Every other part of the file as it was, byte for byte; and content.xml but for the styles
    // and the sheet's rows.
    ZipArchive from(ods), to(file);
    QCOMPARE(to.entries().size(), from.entries().size());
    for (qsizetype i = 0; i < from.entries().size(); ++i) {
        const ZipArchive::Entry& a = from.entries()[i];
        const ZipArchive::Entry& b = to.entries()[i];
        QCOMPARE(b.name, a.name);
        if (a.name != "content.xml") {
            QCOMPARE(b.compressedSize, a.compressedSize);
            QCOMPARE(to.read(b.name).value_or("-"), from.read(a.name).value_or(""));
        }
    }
    const QByteArray original = *from.read("content.xml");
    const QByteArray content = *to.read("content.xml");
    const qsizetype stylesEnd = original.indexOf("</office:automatic-styles>");
    QVERIFY(content.startsWith(original.first(stylesEnd > 0 ? stylesEnd : original.indexOf("<office:body>"))));
    const qsizetype tableEnd = original.indexOf("</table:table>", original.indexOf("table:name=\"" + names[sheet].toUtf8()));
    QVERIFY(content.endsWith(original.sliced(tableEnd)));
}

void TestOdsSheet::refused_data()
{
    QTest::addColumn<Edits>("edits");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QString>("problem"); // a part of the sentence

    QTest::newRow("a sheet it has not, named with those it has")
        << Edits{} << "Cars" << "no sheet \"Cars\"; its sheets are \"s0.csv\", \"s1.csv\"";
    QTest::newRow("protected by a password")
        << Edits{{"META-INF/manifest.xml", "(full-path=\"content.xml\"[^>]*)/>",
                  "\\1><manifest:encryption-data manifest:checksum-type=\"SHA1\"/></manifest:file-entry>"}}
        << "" << "save a copy without a password as .ods or .xlsx";
    QTest::newRow("no content.xml") << Edits{{"content.xml", "", "contents.xml"}} << "" << "no content.xml";
    QTest::newRow("a document type, with entities")
        << Edits{{"content.xml", "(\\?>)", "\\1<!DOCTYPE d [<!ENTITY a \"aaaaaaaa\">]>"}} << ""
        << "declares a document type";
    QTest::newRow("malformed in the sheet")
        << Edits{{"content.xml", "</table:table-row>", "</table:table-rows>"}} << "" << "malformed";
    QTest::newRow("malformed after the sheet")
        << Edits{{"content.xml", "</office:spreadsheet>", "</office:spreadsheetx>"}} << "" << "malformed";
    QTest::newRow("cut short") << Edits{{"content.xml", "<table:named-expressions[\\s\\S]*", ""}} << ""
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
