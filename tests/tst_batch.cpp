// The batch command as scripts see it: its output, its messages and its exit status.
#include <QProcess>
#include <QTest>

namespace {

struct Run {
    QByteArray out;
    QByteArray err;
    int status = -1;
};

Run runEstimate(const QStringList& arguments, const QByteArray& input = {},
                const QString& locale = QStringLiteral("C"), const QString& outputFile = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("LANG"));
    env.remove(QStringLiteral("LC_NUMERIC"));
    env.insert(QStringLiteral("LC_ALL"), locale);
    process.setProcessEnvironment(env);
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

} // namespace

class TestBatch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void arguments_data();
    void arguments();
    void standardInput_data();
    void standardInput();
    void csv_data();
    void csv();
    void everyInputIsAnsweredAsInAFreshWindow();
    void localeSeparatorsApply();
    void unwritableOutputFails();
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
        << QByteArray("tarnwick-estimate: x: not a serial number\n") << 1;
    QTest::newRow("an input longer than the typing limit is not cut")
        << QStringList{"015076231"} << QByteArray("15076231 was built on December 31, 1927.\n")
        << QByteArray() << 0;
    QTest::newRow("a fraction is rounded as the serial field does")
        << QStringList{"5.5"} << QByteArray("6 was built on October 26, 1908.\n") << QByteArray()
        << 0;
    QTest::newRow("after -- everything is a serial")
        << QStringList{"--", "--csv"} << QByteArray()
        << QByteArray("tarnwick-estimate: --csv: not a serial number\n") << 1;
    QTest::newRow("version") << QStringList{"--version"} << QByteArray("tarnwick-estimate 1.0.22\n")
                             << QByteArray() << 0;
}

void TestBatch::arguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QFETCH(int, status);
    const Run run = runEstimate(arguments);
    QCOMPARE(run.out, out);
    QCOMPARE(run.err, err);
    QCOMPARE(run.status, status);
}

void TestBatch::standardInput_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<int>("status");
    const QByteArray both("400 was built on January 9, 1909.\n5 was built on October 25, 1908.\n");
    QTest::newRow("one serial per line") << QByteArray("400\n5\n") << both << 0;
    QTest::newRow("CR LF is a line ending") << QByteArray("400\r\n5\r\n") << both << 0;
    QTest::newRow("blank lines are skipped") << QByteArray("\n400\n\n  \r\n5\n\n") << both << 0;
    QTest::newRow("the last line needs no line ending") << QByteArray("400\n5") << both << 0;
    QTest::newRow("no input gives no output") << QByteArray() << QByteArray() << 0;
    QTest::newRow("a bad line fails the run") << QByteArray("400\nzz\n5\n") << both << 1;
}

void TestBatch::standardInput()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, out);
    QFETCH(int, status);
    const Run run = runEstimate({}, input);
    QCOMPARE(run.out, out);
    QCOMPARE(run.status, status);
}

void TestBatch::csv_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("rows"); // after the header
    QTest::addColumn<int>("status");
    QTest::newRow("a calculated row holds every field")
        << QStringList{"--csv", "400"}
        << QByteArray("400,400,January,9,1909,310,646,336,11,246,22,\"400 was built on January 9, "
                      "1909.\",\r\n")
        << 0;
    QTest::newRow("a row that was not calculated holds only the input and the message")
        << QStringList{"--csv", "0"}
        << QByteArray("0,,,,,,,,,,,,Please enter a serial number between 1 and 15076231\r\n") << 1;
    QTest::newRow("quotes and commas in the input are quoted")
        << QStringList{"--csv", "x,\"y"}
        << QByteArray("\"x,\"\"y\",,,,,,,,,,,,not a serial number\r\n") << 1;
    QTest::newRow("the input column keeps what was given")
        << QStringList{"--csv", " 0400 "}
        << QByteArray(" 0400 ,400,January,9,1909,310,646,336,11,246,22,\"400 was built on January "
                      "9, 1909.\",\r\n")
        << 0;
}

void TestBatch::csv()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, rows);
    QFETCH(int, status);
    const Run run = runEstimate(arguments);
    const QByteArray header("input,serial,month,day,year,first_serial,last_serial,production_total,"
                            "daily_average,cars_to_month_end,days_to_month_end,sentence,error\r\n");
    QCOMPARE(run.out, header + rows);
    QCOMPARE(run.err, QByteArray());
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
    const Run run =
        runEstimate({QStringLiteral("400")}, {}, QStringLiteral("C"), QStringLiteral("/dev/full"));
    QCOMPARE(run.status, 1);
    QCOMPARE(run.err, QByteArray("tarnwick-estimate: cannot write the output\n"));
}

QTEST_GUILESS_MAIN(TestBatch)
#include "tst_batch.moc"
