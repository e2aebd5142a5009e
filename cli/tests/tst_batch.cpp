// The batch command as scripts see it: its output, its messages and its exit status.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// For the tests that need Linux's tools (bash, /dev/full, the C library's locales).
#ifdef Q_OS_WIN
#define SKIP_ON_WINDOWS(why) QSKIP(why)
#else
#define SKIP_ON_WINDOWS(why)
#endif

namespace {

struct Run {
    QByteArray out;
    QByteArray err;
    int status = -1;
};

void setUp(QProcess& process, const QString& locale)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("LANG"));
    env.remove(QStringLiteral("LC_NUMERIC"));
    env.insert(QStringLiteral("LC_ALL"), locale);
    env.insert(QStringLiteral("ESTIMATE"), QStringLiteral(TARNWICK_ESTIMATE));
    process.setProcessEnvironment(env);
}

Run runEstimate(const QStringList& arguments, const QByteArray& input = {},
                const QString& locale = QStringLiteral("C"), const QString& outputFile = {})
{
    QProcess process;
    setUp(process, locale);
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    process.start(QStringLiteral(TARNWICK_ESTIMATE), arguments);
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return {process.readAllStandardOutput(), process.readAllStandardError(),
            process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1};
}

// Compares a run with the current row's expected output, messages and exit status.
void compareWithRow(const Run& run)
{
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QFETCH(int, status);
    QCOMPARE(run.out, out);
    QCOMPARE(run.err, err);
    QCOMPARE(run.status, status);
}

// A bash script that runs the command as $ESTIMATE; what it prints is its output.
Run runScript(const QString& script)
{
    QProcess process;
    setUp(process, QStringLiteral("C"));
    process.start(QStringLiteral("bash"), {QStringLiteral("-c"), script});
    process.closeWriteChannel();
    if (!process.waitForFinished(30000))
        process.kill();
    return {process.readAllStandardOutput(), process.readAllStandardError(),
            process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1};
}

QByteArray utf16(const QString& text, bool littleEndian)
{
    QByteArray bytes = littleEndian ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    for (const QChar c : text) {
        const char low = static_cast<char>(c.unicode() & 0xFF);
        const char high = static_cast<char>(c.unicode() >> 8);
        bytes += littleEndian ? low : high;
        bytes += littleEndian ? high : low;
    }
    return bytes;
}

const QByteArray k400("400 was built on January 9, 1909.\n");
const QByteArray k5("5 was built on October 25, 1908.\n");
const QByteArray kNotASerial(": not a serial number\n");
// The estimate's columns as --column writes them, with a delimiter.
QByteArray estimateNames(char d)
{
    return QByteArray("estimate_serial,estimate_month,estimate_day,estimate_year,"
                      "estimate_first_serial,estimate_last_serial,estimate_production_total,"
                      "estimate_daily_average,estimate_cars_to_month_end,"
                      "estimate_days_to_month_end,estimate_sentence,estimate_error,estimate_date")
        .replace(',', d);
}

QByteArray estimateOf400(char d)
{
    const QByteArray sentence("400 was built on January 9, 1909.");
    return QByteArray("400,January,9,1909,310,646,336,11,246,22,").replace(',', d) +
           (d == ',' ? '"' + sentence + '"' : sentence) + d + d + "1909-01-09";
}

QByteArray failedEstimate(char d, const QByteArray& message)
{
    return QByteArray(11, d) + message + d;
}

} // namespace

class TestBatch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void arguments_data();
    void arguments();
    void usageErrors_data();
    void usageErrors();
    void csv_data();
    void csv();
    void everyInputIsAnsweredAsInAFreshWindow();
    void localeSeparatorsApply();
    void unwritableOutputFails();
    void tableFiles_data();
    void tableFiles();
    void standardInput_data();
    void standardInput();
    void failuresAreSaid_data();
    void failuresAreSaid();
    void eachAnswerIsOutBeforeWaiting();
    void echoedInputIsEscaped_data();
    void echoedInputIsEscaped();
    void csvInputIsGuardedAgainstFormulas_data();
    void csvInputIsGuardedAgainstFormulas();
    void column_data();
    void column();
    void tableComesBackWhole_data();
    void tableComesBackWhole();
    void builtOn_data();
    void builtOn();
};

void TestBatch::arguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<int>("status");
    QTest::newRow("one serial gives its sentence")
        << QStringList{"400"} << QByteArray("400 was built on January 9, 1909.\n") << QByteArray()
        << 0;
    QTest::newRow("serials are answered in order")
        << QStringList{"5", "400"}
        << QByteArray("5 was built on October 25, 1908.\n400 was built on January 9, 1909.\n")
        << QByteArray() << 0;
    QTest::newRow("an out-of-range serial is reported and fails")
        << QStringList{"0"} << QByteArray()
        << QByteArray("tarnwick-estimate: 0: Please enter a serial number between 1 and 15076231\n")
        << 1;
    QTest::newRow("a negative serial is a serial, not an option")
        << QStringList{"-5"} << QByteArray()
        << QByteArray(
               "tarnwick-estimate: -5: Please enter a serial number between 1 and 15076231\n")
        << 1;
    QTest::newRow("text that is no number is not a serial number")
        << QStringList{"abc"} << QByteArray()
        << QByteArray("tarnwick-estimate: abc: not a serial number\n") << 1;
    QTest::newRow("an empty argument is not a serial number")
        << QStringList{""} << QByteArray()
        << QByteArray("tarnwick-estimate: : not a serial number\n") << 1;
    QTest::newRow("an unassigned serial is reported")
        << QStringList{"2831427"} << QByteArray()
        << QByteArray("tarnwick-estimate: 2831427: No production month is recorded for serial "
                      "number 2831427.\n")
        << 1;
    QTest::newRow("a failure among successes still answers the rest")
        << QStringList{"400", "x", "5"}
        << QByteArray("400 was built on January 9, 1909.\n5 was built on October 25, 1908.\n")
        << QByteArray("tarnwick-estimate: x: not a serial number\n"
                      "tarnwick-estimate: 1 of 3 inputs was not dated: see the messages above\n")
        << 1;
    QTest::newRow("an input longer than the typing limit is not cut")
        << QStringList{"015076231"} << QByteArray("15076231 was built on December 31, 1927.\n")
        << QByteArray() << 0;
    QTest::newRow("a fraction is rounded as the serial field does, with a warning")
        << QStringList{"5.5"} << QByteArray("6 was built on October 26, 1908.\n")
        << QByteArray("tarnwick-estimate: 5.5: read as serial 6, which is not the number its "
                      "digits write\n")
        << 0;
    QTest::newRow("an accented argument is echoed in UTF-8")
        << QStringList{QStringLiteral("\u00C9t\u00E9")} << QByteArray()
        << QByteArray("tarnwick-estimate: \xC3\x89t\xC3\xA9: not a serial number\n") << 1;
    QTest::newRow("after -- everything is a serial")
        << QStringList{"--", "--csv"} << QByteArray()
        << QByteArray("tarnwick-estimate: --csv: not a serial number\n") << 1;
    QTest::newRow("version") << QStringList{"--version"} << QByteArray("tarnwick-estimate 1.0.22\n")
                             << QByteArray() << 0;
}

void TestBatch::arguments()
{
    QFETCH(QStringList, arguments);
    compareWithRow(runEstimate(arguments));
}

void TestBatch::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("an unknown option")
        << QStringList{"--bogus"} << QByteArray("unknown option '--bogus'");
    QTest::newRow("--column without its value")
        << QStringList{"--column"}
        << QByteArray("--column takes a column's name or its 1-based number");
    QTest::newRow("--delimiter without its value")
        << QStringList{"--column", "Serial", "--delimiter"}
        << QByteArray("--delimiter takes one ASCII character other than a quote or a line "
                      "break, or 'tab'");
    QTest::newRow("--delimiter with more than one character")
        << QStringList{"--column", "Serial", "--delimiter=;;"}
        << QByteArray("--delimiter takes one ASCII character other than a quote or a line "
                      "break, or 'tab'");
    QTest::newRow("--delimiter without --column")
        << QStringList{"--delimiter", ";", "400"} << QByteArray("--delimiter needs --column");
    QTest::newRow("--column with a SERIAL")
        << QStringList{"--column", "Serial", "400"}
        << QByteArray("--column reads standard input; give no SERIAL with it");
    QTest::newRow("--column with --built-on")
        << QStringList{"--built-on", "--column", "Serial"}
        << QByteArray("--built-on and --column cannot be given together");
    QTest::newRow("--column with --csv")
        << QStringList{"--csv", "--column=Serial"}
        << QByteArray("--csv and --column cannot be given together");
    QTest::newRow("a portrait is a picture or the months")
        << QStringList{"--column", "Serial", "--portrait", "cars.png"}
        << QByteArray("--portrait writes a picture, FILE.svg, or the months, FILE.csv: cars.png "
                      "is neither");
    QTest::newRow("a portrait draws a dated table, not serials")
        << QStringList{"--portrait", "cars.svg", "400"}
        << QByteArray("--portrait needs --column: it draws a dated table");
    QTest::newRow("a portrait draws a dated table, not days")
        << QStringList{"--built-on", "--portrait=cars.csv"}
        << QByteArray("--portrait needs --column: it draws a dated table");
    QTest::newRow("one picture at most")
        << QStringList{"--column", "Serial", "--portrait", "a.svg", "--portrait", "b.SVG"}
        << QByteArray("--portrait names one .svg file at most");
}

void TestBatch::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, message);
    const Run run = runEstimate(arguments, "Serial\n400\n");
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(
        run.err,
        "tarnwick-estimate: " + message +
            "\nusage: tarnwick-estimate [--csv] [SERIAL ...]\n"
            "       tarnwick-estimate --column NAME [--delimiter C] [--encoding NAME] < table.csv\n"
            "       tarnwick-estimate --built-on [--csv] [DATE ...]\n");
    QCOMPARE(run.status, 2);
}

void TestBatch::csv_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("rows"); // after the header
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<int>("status");
    QTest::newRow("a calculated row holds every field")
        << QStringList{"--csv", "400"}
        << QByteArray("400,400,January,9,1909,310,646,336,11,246,22,\"400 was built on January 9, "
                      "1909.\",,1909-01-09\r\n")
        << QByteArray() << 0;
    QTest::newRow("a row that was not calculated holds only the input and the message")
        << QStringList{"--csv", "0"}
        << QByteArray("0,,,,,,,,,,,,Please enter a serial number between 1 and 15076231,\r\n")
        << QByteArray() << 1;
    QTest::newRow("quotes and commas in the input are quoted")
        << QStringList{"--csv", "x,\"y"}
        << QByteArray("\"x,\"\"y\",,,,,,,,,,,,not a serial number,\r\n") << QByteArray() << 1;
    QTest::newRow("the input column keeps what was given")
        << QStringList{"--csv", " 0400 "}
        << QByteArray(" 0400 ,400,January,9,1909,310,646,336,11,246,22,\"400 was built on January "
                      "9, 1909.\",,1909-01-09\r\n")
        << QByteArray() << 0;
}

void TestBatch::csv()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, rows);
    QFETCH(QByteArray, err);
    QFETCH(int, status);
    const Run run = runEstimate(arguments);
    const QByteArray header(
        "input,serial,month,day,year,first_serial,last_serial,production_total,"
        "daily_average,cars_to_month_end,days_to_month_end,sentence,error,date\r\n");
    QCOMPARE(run.out, header + rows);
    QCOMPARE(run.err, err);
    QCOMPARE(run.status, status);
}

void TestBatch::everyInputIsAnsweredAsInAFreshWindow()
{
    const QStringList serials{"400", "2831427", "401", "0",        "10998500", "646", "abc",
                              "5",   "9323672", "310", "15076231", "157425",   "1"};
    QByteArray together;
    for (const QString& serial : serials)
        together += serial.toUtf8() + '\n';
    const Run batch = runEstimate({QStringLiteral("--csv")}, together);
    const QList<QByteArray> rows = batch.out.split('\n');
    QCOMPARE(rows.size(), serials.size() + 2); // header, rows, and the empty rest after the last
    for (qsizetype i = 0; i < serials.size(); ++i) {
        const Run alone = runEstimate({QStringLiteral("--csv"), serials[i]});
        QCOMPARE(rows[i + 1] + '\n', alone.out.split('\n').at(1) + '\n');
    }
}

void TestBatch::localeSeparatorsApply()
{
    SKIP_ON_WINDOWS("its locale comes from the regional settings, not LC_ALL");
    const Run de = runEstimate({QStringLiteral("--csv"), QStringLiteral("10.998.500")}, {},
                               QStringLiteral("de_DE.UTF-8"));
    QVERIFY2(de.out.contains("10998500,December,31,1924,10886260,10999000,112740,3637,500,0,"),
             de.out);
    QCOMPARE(de.status, 0);
    const Run c = runEstimate({QStringLiteral("10.5")});
    QCOMPARE(c.out, QByteArray("11 was built on October 31, 1908.\n"));
}

void TestBatch::unwritableOutputFails()
{
    SKIP_ON_WINDOWS("it has no /dev/full (tools/windows/test.sh tries one under Wine)");
    const Run run =
        runEstimate({QStringLiteral("400")}, {}, QStringLiteral("C"), QStringLiteral("/dev/full"));
    QCOMPARE(run.status, 1);
    QCOMPARE(run.err,
             QByteArray("tarnwick-estimate: cannot write the output: No space left on device\n"));
}

// --column with the table's file named: CSV is read as standard input is; --output gets the
// whole table or, when the run is refused, nothing at all. Without TABLE among the arguments the
// table comes on standard input.
void TestBatch::tableFiles_data()
{
    QTest::addColumn<QStringList>("arguments"); // TABLE and OUT stand for the files
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<bool>("written");   // OUT holds what standard input would give
    QTest::addColumn<bool>("portrayed"); // PICTURE and MONTHS are written
    const QByteArray csv("Owner;Serial\r\nAnn;400\r\n");
    const QStringList named{QStringLiteral("--column"), QStringLiteral("Serial"),
                            QStringLiteral("TABLE")};
    const QStringList toOut =
        named + QStringList{QStringLiteral("--output"), QStringLiteral("OUT")};
    const QStringList portraits{QStringLiteral("--portrait"), QStringLiteral("PICTURE"),
                                QStringLiteral("--portrait"), QStringLiteral("MONTHS")};
    QTest::newRow("a CSV file is read as standard input is")
        << named << csv << 0 << QByteArray() << false << false;
    QTest::newRow("--output gets the table, standard output nothing")
        << toOut << csv << 0 << QByteArray() << true << false;
    QTest::newRow("the portrait's picture and months beside the dated table")
        << toOut + portraits << csv << 0 << QByteArray() << true << true;
    QTest::newRow("the portrait of a table dated to standard output")
        << named + portraits << csv + "Bob;abc\r\n"
        << 1 << QByteArray("1 of 2 rows") << false << true;
    QTest::newRow("--output naming the table writes over it, as asked")
        << QStringList{QStringLiteral("--column"), QStringLiteral("Serial"),
                       QStringLiteral("TABLE"), QStringLiteral("--output"), QStringLiteral("TABLE")}
        << csv << 0 << QByteArray() << false << false;
    QTest::newRow("a refused run leaves no output file, and no portrait")
        << QStringList{QStringLiteral("--column"), QStringLiteral("Nope"), QStringLiteral("TABLE"),
                       QStringLiteral("--output"), QStringLiteral("OUT")} +
               portraits
        << csv << 2 << QByteArray("no column \"Nope\"") << false << false;
    QTest::newRow("a workbook needs --output, and no portrait is drawn")
        << named + portraits << QByteArray("PK\x03\x04", 4) + QByteArray(200, 'x') << 2
        << QByteArray("is a workbook: name the dated copy to write with --output FILE") << false
        << false;
    QTest::newRow("a workbook that is no workbook is refused, and no portrait is drawn")
        << toOut + portraits << QByteArray("PK\x03\x04", 4) + QByteArray(200, 'x') << 2
        << QByteArray("") << false << false;
    QTest::newRow("a workbook on standard input is refused, and leaves no output file")
        << QStringList{QStringLiteral("--column"), QStringLiteral("Serial"),
                       QStringLiteral("--output"), QStringLiteral("OUT")}
        << QByteArray("PK\x03\x04\x14\0\x06\0[Content_Types].xml", 27) + QByteArray(200, 'x') << 2
        << QByteArray("this is an .xlsx spreadsheet, not CSV") << false << false;
    QTest::newRow("--sheet is for a workbook")
        << named + QStringList{QStringLiteral("--sheet"), QStringLiteral("Cars")} << csv << 2
        << QByteArray("--sheet is for a workbook") << false << false;
    QTest::newRow("two tables are one too many")
        << named + QStringList{QStringLiteral("TABLE")} << csv << 2
        << QByteArray("--column reads one table") << false << false;
}

void TestBatch::tableFiles()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, table);
    QFETCH(int, status);
    QFETCH(QByteArray, err);
    QFETCH(bool, written);
    QFETCH(bool, portrayed);
    QTemporaryDir dir;
    const QString tablePath = dir.filePath(QStringLiteral("registry.csv"));
    const QString outPath = dir.filePath(QStringLiteral("dated.csv"));
    QFile file(tablePath);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(table) == table.size());
    file.close();
    const bool piped = !arguments.contains(QStringLiteral("TABLE"));
    arguments.replaceInStrings(QStringLiteral("TABLE"), tablePath);
    arguments.replaceInStrings(QStringLiteral("OUT"), outPath);
    arguments.replaceInStrings(QStringLiteral("PICTURE"), dir.filePath(QStringLiteral("cars.svg")));
    arguments.replaceInStrings(QStringLiteral("MONTHS"),
                               dir.filePath(QStringLiteral("months.csv")));
    const QByteArray asStandardInput =
        runEstimate({QStringLiteral("--column"), QStringLiteral("Serial")}, table).out;
    const Run run = runEstimate(arguments, piped ? table : QByteArray());
    QCOMPARE(run.status, status);
    QVERIFY2(run.err.contains(err), run.err.constData());
    const bool toTable =
        arguments.value(arguments.indexOf(QStringLiteral("--output")) + 1) == tablePath;
    QFile out(toTable ? tablePath : outPath);
    if (written || toTable) {
        QVERIFY(run.out.isEmpty());
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(out.readAll(), asStandardInput);
    } else {
        QVERIFY(!out.exists() || toTable);
        if (status == 0)
            QCOMPARE(run.out, asStandardInput);
    }
    QFile picture(dir.filePath(QStringLiteral("cars.svg")));
    QFile months(dir.filePath(QStringLiteral("months.csv")));
    QCOMPARE(picture.exists(), portrayed);
    QCOMPARE(months.exists(), portrayed);
    if (portrayed) {
        QVERIFY(picture.open(QIODevice::ReadOnly) && months.open(QIODevice::ReadOnly));
        QVERIFY(picture.readAll().contains(
            "<title id=\"portrait-title\">registry.csv: 1 car dated, 1 distinct serial<"));
        const QByteArray january = months.readAll().split('\n').value(4);
        QCOMPARE(january, "1909,January,310,646,336,1,29.76\r"); // 10,000 / 336 = 29.76
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(),
             (out.exists() && !toTable ? 2 : 1) + (portrayed ? 2 : 0));
}

void TestBatch::standardInput_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<int>("status");
    QTest::newRow("one serial per line")
        << QByteArray("400\n5\n") << k400 + k5 << QByteArray() << 0;
    QTest::newRow("CR LF is a line ending")
        << QByteArray("400\r\n5\r\n") << k400 + k5 << QByteArray() << 0;
    QTest::newRow("blank lines are skipped")
        << QByteArray("\n400\n\n  \r\n5\n\n") << k400 + k5 << QByteArray() << 0;
    QTest::newRow("the last line needs no line ending")
        << QByteArray("400\n5") << k400 + k5 << QByteArray() << 0;
    QTest::newRow("no input gives no output") << QByteArray() << QByteArray() << QByteArray() << 0;
    QTest::newRow("a bad line fails the run")
        << QByteArray("400\nzz\n5\n") << k400 + k5
        << "tarnwick-estimate: zz" + kNotASerial +
               "tarnwick-estimate: 1 of 3 inputs was not dated: see the messages above\n"
        << 1;
    QTest::newRow("a NUL fails its own line only")
        << QByteArray("12\0\n400\n", 8) << k400
        << "tarnwick-estimate: 12\\x00" + kNotASerial +
               "tarnwick-estimate: 1 of 2 inputs was not dated: see the messages above\n"
        << 1;
    QTest::newRow("an invalid UTF-8 byte fails its line")
        << QByteArray("4\xFF\n400\n") << k400
        << "tarnwick-estimate: 4\\xFF" + kNotASerial +
               "tarnwick-estimate: 1 of 2 inputs was not dated: see the messages above\n"
        << 1;
    QTest::newRow("a UTF-8 mark is dropped") << QByteArray("\xEF\xBB\xBF"
                                                           "400\n")
                                             << k400 << QByteArray() << 0;
    QTest::newRow("a UTF-8 mark is not part of the first line's text")
        << QByteArray("\xEF\xBB\xBF"
                      "abc\n400\n")
        << k400
        << "tarnwick-estimate: abc" + kNotASerial +
               "tarnwick-estimate: 1 of 2 inputs was not dated: see the messages above\n"
        << 1;
    QTest::newRow("UTF-16 LE with its mark, CR LF and a blank line")
        << utf16(QStringLiteral("400\r\n\r\n5\r\n"), true) << k400 + k5 << QByteArray() << 0;
    QTest::newRow("UTF-16 BE with its mark, no last line ending")
        << utf16(QStringLiteral("400\n5"), false) << k400 + k5 << QByteArray() << 0;
    QTest::newRow("UTF-16 without a mark is told from its zero bytes")
        << utf16(QStringLiteral("400\n5"), true).mid(2) << k400 + k5 << QByteArray() << 0;
    QTest::newRow("a lone UTF-16 surrogate fails its line")
        << utf16(QStringLiteral("4") + QChar(0xD800) + QStringLiteral("\n400"), true) << k400
        << "tarnwick-estimate: 4\\uD800" + kNotASerial +
               "tarnwick-estimate: 1 of 2 inputs was not dated: see the messages above\n"
        << 1;
    QTest::newRow("a line longer than 1 MiB fails alone")
        << QByteArray((1 << 20) + 1, '1') + "\n400\n"
        << k400
        << QByteArray("tarnwick-estimate: 11111111111111111111111111111111...: line too long\n"
                      "tarnwick-estimate: 1 of 2 inputs was not dated: see the messages above\n")
        << 1;
    QTest::newRow("a line of 1 MiB is read whole")
        << QByteArray("400").leftJustified(1 << 20, ' ') << k400 << QByteArray() << 0;
    QTest::newRow("the CR of a CR LF does not count: 1 MiB is read, one byte more is too long")
        << QByteArray("400").leftJustified(1 << 20, ' ') + "\r\n" +
               QByteArray("5").leftJustified((1 << 20) + 1, ' ') + "\r\n"
        << k400
        << "tarnwick-estimate: 5" + QByteArray(31, ' ') +
               "...: line too long\n"
               "tarnwick-estimate: 1 of 2 inputs was not dated: see the messages above\n"
        << 1;
}

void TestBatch::standardInput()
{
    QFETCH(QByteArray, input);
    compareWithRow(runEstimate({}, input));
}

void TestBatch::failuresAreSaid_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<int>("status");
    const QByteArray cannotWrite("tarnwick-estimate: cannot write the output: ");
    QTest::newRow("a directory as input is a read error, after the answers")
        << QStringLiteral("\"$ESTIMATE\" < /tmp") << QByteArray()
        << QByteArray("tarnwick-estimate: cannot read the input: Is a directory\n") << 1;
    QTest::newRow("--column on a directory is a read error, not a missing header")
        << QStringLiteral("\"$ESTIMATE\" --column Serial < /tmp") << QByteArray()
        << QByteArray("tarnwick-estimate: cannot read the input: Is a directory\n") << 1;
    QTest::newRow("a message comes after the answers before it, on one stream")
        << QStringLiteral("printf '400\\n5.5\\nabc\\n5\\n' | \"$ESTIMATE\" 2>&1")
        << k400 +
               "tarnwick-estimate: 5.5: read as serial 6, which is not the number its digits "
               "write\n6 was built on October 26, 1908.\ntarnwick-estimate: abc" +
               kNotASerial + k5 +
               "tarnwick-estimate: 1 of 4 inputs was not dated: see the messages above\n"
        << QByteArray() << 1;
    QTest::newRow("a closed standard input is a read error")
        << QStringLiteral("\"$ESTIMATE\" <&-") << QByteArray()
        << QByteArray("tarnwick-estimate: cannot read the input: Bad file descriptor\n") << 1;
    QTest::newRow("a full disk stops an endless input at once")
        << QStringLiteral("yes 400 | \"$ESTIMATE\" > /dev/full") << QByteArray()
        << cannotWrite + "No space left on device\n"
        << 1;
    QTest::newRow("a closed pipe with SIGPIPE ignored stops it at once")
        << QStringLiteral("trap '' PIPE; yes 400 | \"$ESTIMATE\" | head -n 1 >/dev/null; "
                          "echo ${PIPESTATUS[1]}")
        << QByteArray("1\n") << cannotWrite + "Broken pipe\n"
        << 0;
    // 400 and spaces to 1 MiB, then CR, in one part; the LF half a second later, once the command
    // has read the first (printf returns when what is left of it fits in the pipe).
    QTest::newRow("the CR of a CR LF does not count also when a pipe gives the LF a read later")
        << QStringLiteral("{ printf '400%1048573s\\r' ''; sleep 0.5; printf '\\n'; } "
                          "| \"$ESTIMATE\"")
        << k400 << QByteArray() << 0;
    QTest::newRow("help that cannot be written fails")
        << QStringLiteral("\"$ESTIMATE\" --help > /dev/full") << QByteArray()
        << cannotWrite + "No space left on device\n"
        << 1;
    QTest::newRow("version that cannot be written fails")
        << QStringLiteral("\"$ESTIMATE\" --version > /dev/full") << QByteArray()
        << cannotWrite + "No space left on device\n"
        << 1;
}

void TestBatch::failuresAreSaid()
{
    SKIP_ON_WINDOWS(
        "these failures are made with bash (tools/windows/test.sh makes some under Wine)");
    QFETCH(QString, script);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QFETCH(int, status);
    const Run run = runScript(script);
    QCOMPARE(run.out, out);
    QVERIFY2(run.err.contains(err), run.err); // yes(1) may complain of the broken pipe too
    QCOMPARE(run.status, status);
}

void TestBatch::eachAnswerIsOutBeforeWaiting()
{
    // As a co-process: one line in, its answer out, the input still open. The input never ends
    // while the answer is awaited, so a command that waited for its end would never answer: the
    // wait is long only so that a slow start (Wine, sanitizers, a busy machine) is not taken
    // for that.
    constexpr int kWaitMs = 10000;
    const QList<QStringList> modes{{}, {QStringLiteral("--column"), QStringLiteral("serial")}};
    for (const QStringList& arguments : modes) {
        QProcess process;
        setUp(process, QStringLiteral("C"));
        process.start(QStringLiteral(TARNWICK_ESTIMATE), arguments);
        QVERIFY(process.waitForStarted());
        if (!arguments.isEmpty())
            process.write("serial\n");
        process.write("400\n");
        QByteArray out;
        QElapsedTimer timer;
        timer.start();
        while (!out.contains("January 9, 1909") && timer.elapsed() < kWaitMs &&
               process.waitForReadyRead(int(kWaitMs - timer.elapsed())))
            out += process.readAllStandardOutput();
        QVERIFY2(out.contains("400 was built on January 9, 1909."), out);
        QCOMPARE(process.state(), QProcess::Running);
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitCode(), 0);
    }
}

void TestBatch::echoedInputIsEscaped_data()
{
    QTest::addColumn<QByteArray>("argument");
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("terminal escape sequences")
        << QByteArray("\x1B]0;X\x07\x1B[2J400") << QByteArray(R"(\x1B]0;X\x07\x1B[2J400)");
    QTest::newRow("a line feed keeps the message on one line")
        << QByteArray("4\n00") << QByteArray("4\\x0A00");
    QTest::newRow("an invalid byte") << QByteArray("\xC3(") << QByteArray("\\xC3(");
    QTest::newRow("a C1 control, NEL, is shown as its code point, not its bytes")
        << QByteArray("\xC2\x85"
                      "400")
        << QByteArray("\\u0085400");
    QTest::newRow("a right-to-left override") << QByteArray("\xE2\x80\xAE"
                                                            "004")
                                              << QByteArray("\\u202E004");
    QTest::newRow("a byte-order mark inside is shown as it is") << QByteArray("a\xEF\xBB\xBF"
                                                                              "b")
                                                                << QByteArray("a\\uFEFFb");
    QTest::newRow("a backslash is doubled, other text is kept")
        << QByteArray("\\x1B \xC3\xA9") << QByteArray("\\\\x1B \xC3\xA9");
}

void TestBatch::echoedInputIsEscaped()
{
    SKIP_ON_WINDOWS("its command line cannot carry these bytes, and the rows use bash");
    QFETCH(QByteArray, argument);
    QFETCH(QByteArray, shown);
    QProcess process;
    setUp(process, QStringLiteral("C.UTF-8"));
    process.start(QStringLiteral("bash"),
                  {QStringLiteral("-c"), QStringLiteral("\"$ESTIMATE\" \"$(printf '%b' \"$0\")\""),
                   QString::fromLatin1(argument.toPercentEncoding().replace('%', "\\x"))});
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.readAllStandardError(), "tarnwick-estimate: " + shown + kNotASerial);
}

void TestBatch::csvInputIsGuardedAgainstFormulas_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QByteArray>("column");
    QTest::newRow("= starts a formula")
        << QStringLiteral("=HYPERLINK(\"x\")") << QByteArray("\"'=HYPERLINK(\"\"x\"\")\"");
    QTest::newRow("+ and @ start formulas") << QStringLiteral("+1+2@") << QByteArray("'+1+2@");
    QTest::newRow("a TAB starts one") << QStringLiteral("\t=1") << QByteArray("'\t=1");
    QTest::newRow("a CR starts one") << QStringLiteral("\r=1") << QByteArray("\"'\r=1\"");
    QTest::newRow("a negative number is a number") << QStringLiteral("-5") << QByteArray("-5");
    QTest::newRow("other text is kept") << QStringLiteral("x=1") << QByteArray("x=1");
}

void TestBatch::csvInputIsGuardedAgainstFormulas()
{
    QFETCH(QString, input);
    QFETCH(QByteArray, column);
    const Run run = runEstimate({QStringLiteral("--csv"), input});
    QVERIFY2(run.out.split('\n').value(1).startsWith(column + ','), run.out);
}

void TestBatch::column_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<int>("status");
    QTest::newRow("by name, comma, quoted fields with commas, quotes and line breaks")
        << QStringList{"--column", "Serial"}
        << QByteArray("Name,Serial,Notes\r\n\"Smith, J\",400,\"a \"\"b\"\"\nc\"\r\nX,zz\r\n")
        << "Name,Serial,Notes," + estimateNames(',') + "\r\n\"Smith, J\",400,\"a \"\"b\"\"\nc\"," +
               estimateOf400(',') + "\r\nX,zz,," + failedEstimate(',', "not a serial number") +
               "\r\n"
        << QByteArray("tarnwick-estimate: 1 of 2 rows was not dated: see the estimate_error "
                      "column\n")
        << 1;
    QTest::newRow("by number, semicolon, blanks kept")
        << QStringList{"--column", "2"} << QByteArray("a;b\n x ;400\n")
        << "a;b;" + estimateNames(';') + "\r\n x ;400;" + estimateOf400(';') + "\r\n"
        << QByteArray() << 0;
    QTest::newRow("UTF-16 with TAB: UTF-8 out, with its mark")
        << QStringList{"--column", "serial"}
        << utf16(QStringLiteral("\u00C9t\tSerial\r\n\u00E9\t400\r\n"), true)
        << "\xEF\xBB\xBF\xC3\x89t\tSerial\t" + estimateNames('\t') + "\r\n\xC3\xA9\t400\t" +
               estimateOf400('\t') + "\r\n"
        << QByteArray() << 0;
    // The header splits into more fields at semicolons, so without --delimiter it would be read
    // as "Owner", "Model", "Notes,Serial", which has no column Serial.
    QTest::newRow("--delimiter overrides the delimiter the header suggests")
        << QStringList{"--column", "Serial", "--delimiter", ","}
        << QByteArray("Owner;Model;Notes,Serial\r\nA;B;C,400\r\n")
        << QByteArray("Owner;Model;Notes,Serial,estimate_serial,estimate_month,estimate_day,"
                      "estimate_year,estimate_first_serial,estimate_last_serial,"
                      "estimate_production_total,estimate_daily_average,"
                      "estimate_cars_to_month_end,estimate_days_to_month_end,estimate_sentence,"
                      "estimate_error,estimate_date\r\n"
                      "A;B;C,400,400,January,9,1909,310,646,336,11,246,22,"
                      "\"400 was built on January 9, 1909.\",,1909-01-09\r\n")
        << QByteArray() << 0;
    QTest::newRow("a row over 1 MiB keeps its bytes and fails alone, memory bounded")
        << QStringList{"--column", "s"} << "s\n\"" + QByteArray(2 << 20, 'x') + "\"\n400\n"
        << "s," + estimateNames(',') + "\r\n\"" + QByteArray(2 << 20, 'x') + "\"," +
               failedEstimate(',', "line too long") + "\r\n400," + estimateOf400(',') + "\r\n"
        << QByteArray("tarnwick-estimate: 1 of 2 rows was not dated: see the estimate_error "
                      "column\n")
        << 1;
    QTest::newRow("a header without the column is a usage error")
        << QStringList{"--column", "VIN"} << QByteArray("Name,Serial\n") << QByteArray()
        << QByteArray("tarnwick-estimate: no column \"VIN\" in the header row; its columns are "
                      "\"Name\", \"Serial\"\n")
        << 2;
}

void TestBatch::column()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    compareWithRow(runEstimate(arguments, input));
}

// Each rule of --column on a registry's table: every record out once, in order, each field as it
// was written, the estimate under its names.
void TestBatch::tableComesBackWhole_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<int>("status");
    const QStringList serial{"--column", "Serial"};
    const QByteArray head = "Name,Serial," + estimateNames(',') + "\r\n";
    const QByteArray e400 = estimateOf400(',');
    const QByteArray said("tarnwick-estimate: line ");
    QTest::newRow("quoted fields keep their quotes, text stays text")
        << serial << QByteArray("Name,Serial\n\"00400\",400\n\"-12\",\"400\"\n")
        << head + "\"00400\",400," + e400 + "\r\n\"-12\",\"400\"," + e400 + "\r\n"
        << QByteArray() << 0;
    QTest::newRow("a blank line stays an empty row with empty estimate columns")
        << serial << QByteArray("Name,Serial\nA,400\n\nB,400\n")
        << head + "A,400," + e400 + "\r\n" + QByteArray(14, ',') + "\r\nB,400," + e400 + "\r\n"
        << QByteArray() << 0;
    QTest::newRow("cells past the header's width follow the estimate columns")
        << serial << QByteArray("Name,Serial\nA,400,x,\"y,z\",\n")
        << head + "A,400," + e400 + ",x,\"y,z\",\r\n"
        << QByteArray() << 0;
    QTest::newRow("a short row is filled up to the header's width")
        << QStringList{"--column", "Serial"} << QByteArray("Serial,Name,Notes\n400\n")
        << "Serial,Name,Notes," + estimateNames(',') + "\r\n400,,," + e400 + "\r\n"
        << QByteArray() << 0;
    QTest::newRow("a quote inside an unquoted field is text")
        << serial << QByteArray("Name,Serial\nab\"c,400\n") << head + "ab\"c,400," + e400 + "\r\n"
        << QByteArray() << 0;
    QTest::newRow("a delimiter inside quotes stays, semicolon")
        << serial << QByteArray("Name;Serial\n\"a;b\";\"400\"\n")
        << "Name;Serial;" + estimateNames(';') + "\r\n\"a;b\";\"400\";" + estimateOf400(';') +
               "\r\n"
        << QByteArray() << 0;
    QTest::newRow("CR alone ends a row") << serial << QByteArray("Name,Serial\rA,400\rB,400")
                                         << head + "A,400," + e400 + "\r\nB,400," + e400 + "\r\n"
                                         << QByteArray() << 0;
    QTest::newRow("text after a closing quote stays in its field, said with its line")
        << serial << QByteArray("Name,Serial\n\"Smith\"x,400\nB,400\n")
        << head + "\"Smith\"x,400," + e400 + "\r\nB,400," + e400 + "\r\n"
        << said + "2: text after a closing quote is kept in its field\n"
        << 0;
    QTest::newRow("text after a closing quote at a row's end does not take in the next row")
        << serial << QByteArray("Name,Serial\nA,400,\"Smith\" Jr\nB,400\n")
        << head + "A,400," + e400 + ",\"Smith\" Jr\r\nB,400," + e400 + "\r\n"
        << said + "2: text after a closing quote is kept in its field\n"
        << 0;
    QTest::newRow("a byte-order mark after a closing quote is dropped, said")
        << serial << QByteArray("Name,Serial\n\"Smith\"\xEF\xBB\xBF,400\n")
        << head + "\"Smith\",400," + e400 + "\r\n"
        << said + "2: a byte-order mark inside the text is dropped\n"
        << 0;
    QTest::newRow("a byte-order mark inside quotes and unquoted text is dropped too")
        << serial
        << QByteArray("Name,Serial\n\"a\xEF\xBB\xBF\",4\xEF\xBB\xBF"
                      "00\n")
        << head + "\"a\",400," + e400 + "\r\n"
        << said + "2: a byte-order mark inside the text is dropped\n"
        << 0;
    QTest::newRow("a repair made on several lines is said once, with how many, first and last")
        << serial
        << QByteArray("Name,Serial\n\"a\"\xEF\xBB\xBF,400\n\"b\"x,400\n\"c\"\xEF\xBB\xBF,400\n"
                      "\"d\"x,400,\"e\"y\n")
        << head + "\"a\",400," + e400 + "\r\n\"b\"x,400," + e400 + "\r\n\"c\",400," + e400 +
               "\r\n\"d\"x,400," + e400 + ",\"e\"y\r\n"
        << QByteArray("tarnwick-estimate: text after a closing quote was kept in its field on 2 "
                      "lines, lines 3 to 5\ntarnwick-estimate: a byte-order mark inside the text "
                      "was dropped on 2 lines, lines 2 to 4\n")
        << 0;
    QTest::newRow("lines are counted across a quoted line break")
        << serial << QByteArray("Name,Serial\n\"a\nb\",400\n\"c\"d,400\n")
        << head + "\"a\nb\",400," + e400 + "\r\n\"c\"d,400," + e400 + "\r\n"
        << said + "4: text after a closing quote is kept in its field\n"
        << 0;
    QTest::newRow("a quote never closed ends its field at the end of its line")
        << serial << QByteArray("Name,Serial\nA,\"400\nB,400\n")
        << head + "A,\"400," + e400 + "\r\nB,400," + e400 + "\r\n"
        << said + "2: a quote is never closed: its field ends at the end of its line\n"
        << 0;
    const QByteArray odsStart = QByteArray("PK\x03\x04", 4) + QByteArray(26, '\0') +
                                "mimetypeapplication/vnd.oasis.opendocument.spreadsheetPK";
    QTest::newRow("an .ods file is named, nothing is written")
        << serial << odsStart << QByteArray()
        << QByteArray("tarnwick-estimate: this is an .ods spreadsheet, not CSV: save it as CSV "
                      "(UTF-8) first\n")
        << 2;
    QTest::newRow("an .ods that begins with its manifest, as SheetJS writes it, is named")
        << serial
        << QByteArray("PK\x03\x04", 4) + QByteArray(26, '\0') + "META-INF/manifest.xml<?xml"
        << QByteArray()
        << QByteArray("tarnwick-estimate: this is an .ods spreadsheet, not CSV: save it as CSV "
                      "(UTF-8) first\n")
        << 2;
    QTest::newRow("any other zip file is an .xlsx, in the line modes too")
        << QStringList{"--csv"} << QByteArray("PK\x03\x04\x14\0\x06\0[Content_Types].xml", 27)
        << QByteArray()
        << QByteArray("tarnwick-estimate: this is an .xlsx spreadsheet, not CSV: save it as CSV "
                      "(UTF-8) first\n")
        << 2;
    QTest::newRow("an OLE2 file is an .xls")
        << QStringList{"--column", "1"} << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0", 10)
        << QByteArray()
        << QByteArray("tarnwick-estimate: this is an .xls spreadsheet, not CSV: save it as CSV "
                      "(UTF-8) first\n")
        << 2;
    QTest::newRow("a name two columns share: both positions, give the number")
        << serial << QByteArray("Serial,x,Serial\n400,1,2\n") << QByteArray()
        << QByteArray("tarnwick-estimate: columns 1 and 3 are both named \"Serial\": give the "
                      "number of the one to read with --column\n")
        << 2;
    QTest::newRow("a name apart from case shared by three columns")
        << serial << QByteArray("serial,SERIAL,x,Serial \n400,1,2,3\n") << QByteArray()
        << QByteArray("tarnwick-estimate: columns 1, 2 and 4 are all named \"Serial\": give the "
                      "number of the one to read with --column\n")
        << 2;
    QTest::newRow("a name matches apart from case and Unicode normalisation")
        << QStringList{"--column", "NUM\xC3\x89RO"} << QByteArray("Nume\xCC\x81ro\n400\n")
        << "Nume\xCC\x81ro," + estimateNames(',') + "\r\n400," + e400 + "\r\n"
        << QByteArray() << 0;
    QTest::newRow("the columns named in an error are the first twenty, then how many more")
        << QStringList{"--column", "x"}
        << QByteArray("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22\n") << QByteArray()
        << QByteArray("tarnwick-estimate: no column \"x\" in the header row; its columns are "
                      "\"1\", \"2\", \"3\", \"4\", \"5\", \"6\", \"7\", \"8\", \"9\", \"10\", "
                      "\"11\", \"12\", \"13\", \"14\", \"15\", \"16\", \"17\", \"18\", \"19\", "
                      "\"20\", and 2 more\n")
        << 2;
    QTest::newRow("UTF-16 BE without a mark is told from its zero bytes")
        << serial << utf16(QStringLiteral("Name,Serial\n\u00E9,400\n"), false).mid(2)
        << "Name,Serial," + estimateNames(',') + "\r\n\xC3\xA9,400," + e400 + "\r\n"
        << QByteArray() << 0;
    QTest::newRow("a Windows-1252 export is read as such, written as UTF-8, said")
        << QStringList{"--column", "Num\xC3\xA9ro"}
        << QByteArray("Nom;Num\xE9ro\r\nL\xE9"
                      "a;400\r\n")
        << "Nom;Num\xC3\xA9ro;" + estimateNames(';') +
               "\r\nL\xC3\xA9"
               "a;400;" +
               estimateOf400(';') + "\r\n"
        << QByteArray("tarnwick-estimate: the input is not UTF-8: it was read as Windows-1252; "
                      "give --encoding if it is another\n")
        << 0;
    QTest::newRow("--encoding says it outright")
        << QStringList{"--column", "2", "--encoding", "latin1"} << QByteArray("A,S\xE9\n\xC0,400\n")
        << "A,S\xC3\xA9," + estimateNames(',') + "\r\n\xC3\x80,400," + e400 + "\r\n"
        << QByteArray() << 0;
    QTest::newRow("a sep= first line sets the delimiter and is kept")
        << serial << QByteArray("sep=;\nName;Serial\n\"a,b\";400\n")
        << "sep=;\r\nName;Serial;" + estimateNames(';') + "\r\n\"a,b\";400;" + estimateOf400(';') +
               "\r\n"
        << QByteArray() << 0;
    QTest::newRow("a header that does not decide the separator says to give --delimiter")
        << QStringList{"--column", "Notes"} << QByteArray("Owner;Notes,Serial\n") << QByteArray()
        << QByteArray("tarnwick-estimate: no column \"Notes\" in the header row; its columns are "
                      "\"Owner;Notes\", \"Serial\" (the header splits as well at another "
                      "separator: give --delimiter)\n")
        << 2;
    QTest::newRow("estimate_date is empty for the October to December 1912 month")
        << serial << QByteArray("Name,Serial\nA,164600\n")
        << head + "A,164600,164600,Oct-Dec,9,1912,157425,183563,26138,843,18963,22,\"164600 "
                  "was built on Oct-Dec 9, 1912.\",,\r\n"
        << QByteArray() << 0;
    QTest::newRow("a serial read otherwise than its digits write is warned of, by line")
        << serial << QByteArray("Name,Serial\nA,400.4\nB,\"0400\"\n")
        << head + "A,400.4," + e400 + "\r\nB,\"0400\"," + e400 + "\r\n"
        << QByteArray("tarnwick-estimate: line 2: \"400.4\": read as serial 400, which is not the "
                      "number its digits write\n")
        << 0;
}

void TestBatch::tableComesBackWhole()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    compareWithRow(runEstimate(arguments, input));
}

void TestBatch::builtOn_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<int>("status");
    QTest::newRow("many serials, one serial, none: all answers")
        << QStringList{"--built-on", "January 9, 1909", "1908-10-21", "february 4, 1924"}
        << QByteArray()
        << QByteArray("January 9, 1909: serials 399 to 409 (11 cars).\n"
                      "October 21, 1908: serial 1 (1 car).\n"
                      "February 4, 1924: no serial is estimated to this day.\n")
        << QByteArray() << 0;
    QTest::newRow("days from standard input; a bad one fails the run")
        << QStringList{"--built-on"} << QByteArray("Oct-Dec 9, 1912\r\n\nFebruary 30, 1910\n")
        << QByteArray("Oct-Dec 9, 1912: serials 164596 to 165438 (843 cars).\n")
        << QByteArray(
               "tarnwick-estimate: February 30, 1910: not a day of the calendar: February "
               "1910 has 28 days\n"
               "tarnwick-estimate: 1 of 2 inputs was not read as days: see the messages above\n")
        << 1;
    QTest::newRow("a first line without a digit is a header, passed over")
        << QStringList{"--built-on"} << QByteArray("Built on\r\n\"January 9, 1909\"\r\nDate\r\n")
        << QByteArray("January 9, 1909: serials 399 to 409 (11 cars).\n")
        << QByteArray("tarnwick-estimate: Date: not a date: write it as January 9, 1909 or "
                      "1909-01-09\n"
                      "tarnwick-estimate: 1 of 2 inputs was not read as days: see the messages "
                      "above\n")
        << 1;
    QTest::newRow("CSV: a day, a day without serials, a guarded failure")
        << QStringList{"--built-on", "--csv"} << QByteArray("1909-01-09\n1921-01-05\n=1+1\n")
        << QByteArray("input,month,day,year,first_serial,last_serial,count,error\r\n"
                      "1909-01-09,January,9,1909,399,409,11,\r\n"
                      "1921-01-05,January,5,1921,,,0,\r\n"
                      "'=1+1,,,,,,,\"not a date: write it as January 9, 1909 or 1909-01-09\"\r\n")
        << QByteArray("tarnwick-estimate: 1 of 3 inputs was not read as days: see the error "
                      "column\n")
        << 1;
}

void TestBatch::builtOn()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    compareWithRow(runEstimate(arguments, input));
}

QTEST_GUILESS_MAIN(TestBatch)
#include "tst_batch.moc"
