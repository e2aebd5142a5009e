// A register's portrait: its cars by build month beside the factory's output. The figures are
// worked out by hand from the production table.
#include "dating/ByteStreams.h"
#include "dating/input/InputStream.h"
#include "dating/modes/Modes.h"
#include "dating/output/Messages.h"
#include "dating/output/OutputSink.h"
#include "dating/portrait/RegisterPortrait.h"

#include <QMap>
#include <QTest>
#include <QXmlStreamReader>

namespace {

// 15 rows (an empty serial is a row not dated, as a blank line is not): 12 dated, 11 distinct
// serials, 400 listed twice.
const QByteArray kRegister = "Serial,Note\n"
                             "5,first month\n"
                             "400,January 9 1909\n"
                             "310,January 1909's first\n"
                             "646,January 1909's last\n"
                             "400,listed again\n"
                             "647,February 1909's first\n"
                             "157500,Oct-Dec 1912\n"
                             "9300000,shared by January and February 1924\n"
                             "9232672,\"the first shared, January's too\"\n"
                             "15034680,shared by August and September 1927\n"
                             "10998500,December 1924\n"
                             "15076231,the last serial\n"
                             "2831500,in no month\n"
                             ",\n"
                             "\n"
                             "abc,no serial\n";

struct Portrayed {
    RegisterPortrait::Counts counts;
    QMap<QString, QStringList> months; // "1909 January" -> the CSV's fields
    QList<QByteArray> lines;
    QString words;
    QByteArray svg;
};

Portrayed portray(const QByteArray& table)
{
    BatchOptions options;
    options.column = QStringLiteral("Serial");
    RegisterPortrait portrait(QStringLiteral("club & register.csv"));
    QByteArray dated;
    QByteArray said;
    ByteArraySink messages(said);
    Messages::sendTo(&messages);
    InputStream input(table);
    OutputSink out(&dated);
    runColumn(options, NumberRules::Separators(), input, out, &portrait);
    Messages::sendTo(nullptr);

    Portrayed portrayed{portrait.counts(), {}, portrait.monthsCsv().split('\n'), {}, {}};
    for (const QByteArray& line : portrayed.lines) {
        const QStringList fields = QString::fromUtf8(line.trimmed()).split(QLatin1Char(','));
        portrayed.months.insert(fields.value(0) + QLatin1Char(' ') + fields.value(1), fields);
    }
    portrayed.words = portrait.words(NumberRules::Separators());
    portrayed.svg = portrait.svg();
    return portrayed;
}

} // namespace

class TestPortrait : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void months_data();
    void months();
    void monthsTable();
    void picture();
};

void TestPortrait::months_data()
{
    // year,month,first_serial,last_serial,built,cars,per_10000
    QTest::addColumn<QString>("line");
    QTest::newRow("a month's cars per 10,000 of its output") << "1908,October,1,11,10,1,1000.00";
    QTest::newRow("a serial listed twice is one car; a month's first and last count")
        << "1909,January,310,646,336,3,89.29";
    QTest::newRow("the next month starts one above") << "1909,February,647,1052,405,1,24.69";
    QTest::newRow("October to December 1912 is one row")
        << "1912,Oct-Dec,157425,183563,26138,1,0.38";
    QTest::newRow("shared serials go to January 1924, as the estimate places them")
        << "1924,January,9008372,9323671,315299,2,0.06";
    QTest::newRow("February 1924 keeps its own range and output")
        << "1924,February,9232672,9427721,195049,0,0.00";
    QTest::newRow("a serial the yearly table leaves out is December 1924's")
        << "1924,December,10886260,10999000,112740,1,0.09";
    QTest::newRow("shared serials go to August 1927")
        << "1927,August,15023925,15034699,10774,1,0.93";
    QTest::newRow("the last month ends at the last serial")
        << "1927,December,15068958,15076231,7273,1,1.37";
}

void TestPortrait::months()
{
    QFETCH(QString, line);
    const QStringList expected = line.split(QLatin1Char(','));
    const Portrayed portrayed = portray(kRegister);
    QCOMPARE(portrayed.months.value(expected.value(0) + QLatin1Char(' ') + expected.value(1)),
             expected);
}

void TestPortrait::monthsTable()
{
    const Portrayed portrayed = portray(kRegister);
    QCOMPARE(portrayed.lines.value(0),
             "year,month,first_serial,last_serial,built,cars,per_10000\r");
    QCOMPARE(portrayed.lines.size(), 1 + 228 + 1); // the header, each month, and the last CR LF
    QVERIFY(!portrayed.months.contains(QStringLiteral("1921 January")));
    QCOMPARE(portrayed.months.value(QStringLiteral("1921 February")).value(2), "4698420");
    QCOMPARE(portrayed.counts.rows, 15);
    QCOMPARE(portrayed.counts.dated, 12);
    QCOMPARE(portrayed.counts.serials, 11);
    QCOMPARE(portrayed.counts.listedAgain, 1);
    qsizetype cars = 0;
    for (const QStringList& row : portrayed.months)
        cars += row.value(5).toLongLong();
    QCOMPARE(cars, 11);
}

void TestPortrait::picture()
{
    const Portrayed portrayed = portray(kRegister);
    const QString words = QStringLiteral(
        "12 cars dated, 11 distinct serials, built from October 1908 to December 1927. The "
        "busiest year was 1909, with 4 cars. The month best kept relative to its output was "
        "October 1908: 1,000.00 cars per 10,000 built.");
    QCOMPARE(portrayed.words, words);
    QVERIFY(portrayed.svg.size() < 100000);

    // Well-formed, named and described, one bar a month with cars in each panel.
    QXmlStreamReader svg(portrayed.svg);
    QMap<QString, QString> texts;
    QMap<QString, int> rects;
    QString viewBox;
    while (!svg.atEnd()) {
        if (svg.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QString name = svg.name().toString();
        if (name == u"svg")
            viewBox = svg.attributes().value(QStringLiteral("viewBox")).toString();
        if (name == u"rect")
            ++rects[svg.attributes().value(QStringLiteral("class")).toString()];
        if (name == u"title" || name == u"desc") {
            const QString id = svg.attributes().value(QStringLiteral("id")).toString();
            const QString text = svg.readElementText();
            if (!id.isEmpty())
                texts.insert(id, text);
        }
    }
    QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));
    QCOMPARE(viewBox, QStringLiteral("0 0 960.0 560.0"));
    QCOMPARE(texts.value(QStringLiteral("portrait-title")),
             QStringLiteral("club & register.csv: 12 cars dated, 11 distinct serials"));
    QCOMPARE(texts.value(QStringLiteral("portrait-desc")), words);
    QCOMPARE(rects.value(QStringLiteral("cars")), 8);
    QCOMPARE(rects.value(QStringLiteral("rate")), 8);
    QCOMPARE(rects.value(QStringLiteral("none")), 2); // January 1921 in both panels
}

QTEST_GUILESS_MAIN(TestPortrait)
#include "tst_portrait.moc"
