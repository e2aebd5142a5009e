#include "estimate/NumberRules.h"

#include <QLocale>
#include <QTest>

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <random>
#include <string>

using NumberRules::Mask;
using NumberRules::Separators;

Q_DECLARE_METATYPE(std::optional<double>)

namespace {

Separators separatorsOf(const QString& localeName)
{
    return Separators::fromLocale(QLocale(localeName));
}

} // namespace

class TestNumberRules : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void localesGiveTheirSeparators();
    void strictReading_data();
    void strictReading();
    void leadingValue_data();
    void leadingValue();
    void masks_data();
    void masks();
    void maskOfText_data();
    void maskOfText();
    void hugeTextsStayFiniteAndQuick();
    void roundsAsTheStandardLibraryDoes();
};

void TestNumberRules::localesGiveTheirSeparators()
{
    QCOMPARE(separatorsOf(QStringLiteral("en_US")).decimal, QStringLiteral("."));
    QCOMPARE(separatorsOf(QStringLiteral("en_US")).group, QStringLiteral(","));
    QCOMPARE(separatorsOf(QStringLiteral("de_DE")).decimal, QStringLiteral(","));
    QCOMPARE(separatorsOf(QStringLiteral("de_DE")).group, QStringLiteral("."));
    const Separators fr = separatorsOf(QStringLiteral("fr_FR"));
    QCOMPARE(fr.decimal, QStringLiteral(","));
    QCOMPARE(fr.group.size(), 1);
    QVERIFY2(fr.group.at(0).unicode() > 0x7f, "the French group separator is not ASCII");
}

void TestNumberRules::strictReading_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<double>>("expected");
    const std::optional<double> none;
    const QString en = QStringLiteral("en_US");
    const QString de = QStringLiteral("de_DE");
    const QString fr = QStringLiteral("fr_FR");
    const QString frGroup = separatorsOf(fr).group;

    QTest::newRow("digits are a number") << en << "400" << std::optional(400.0);
    QTest::newRow("blanks around a number are allowed") << en << " \t42  " << std::optional(42.0);
    QTest::newRow("a plus sign is allowed") << en << "+7" << std::optional(7.0);
    QTest::newRow("a minus sign is allowed") << en << "-5" << std::optional(-5.0);
    QTest::newRow("a trailing decimal point is allowed") << en << "12." << std::optional(12.0);
    QTest::newRow("a leading decimal point is allowed") << en << ".5" << std::optional(0.5);
    QTest::newRow("leading zeros are allowed") << en << "0007" << std::optional(7.0);
    QTest::newRow("an exponent is allowed") << en << "1e3" << std::optional(1000.0);
    QTest::newRow("an exponent may carry a sign") << en << "2.5E-1" << std::optional(0.25);
    QTest::newRow("group separators between digits")
        << en << "15,076,231" << std::optional(15076231.0);
    QTest::newRow("sixteen digits are read exactly")
        << en << "1234567890123456" << std::optional(1234567890123456.0);
    QTest::newRow("a value below the smallest double reads as 0")
        << en << "1e-400" << std::optional(0.0);
    QTest::newRow("the largest double is a number")
        << en << "1.7976931348623157e308" << std::optional(std::numeric_limits<double>::max());

    QTest::newRow("empty text is not a number") << en << "" << none;
    QTest::newRow("blanks alone are not a number") << en << "   " << none;
    QTest::newRow("a lone minus is not a number") << en << "-" << none;
    QTest::newRow("a lone plus is not a number") << en << "+" << none;
    QTest::newRow("a lone decimal point is not a number") << en << "." << none;
    QTest::newRow("a lone group separator is not a number") << en << "," << none;
    QTest::newRow("an exponent without digits is not a number") << en << "1e" << none;
    QTest::newRow("an exponent sign without digits is not a number") << en << "1e+" << none;
    QTest::newRow("inf is not a number") << en << "inf" << none;
    QTest::newRow("infinity is not a number") << en << "Infinity" << none;
    QTest::newRow("nan is not a number") << en << "nan" << none;
    QTest::newRow("hexadecimal is not a number") << en << "0x10" << none;
    QTest::newRow("a trailing group separator is not a number") << en << "1," << none;
    QTest::newRow("a leading group separator is not a number") << en << ",1" << none;
    QTest::newRow("two group separators in a row are not a number") << en << "1,,2" << none;
    QTest::newRow("a group separator in the fraction is not a number") << en << "1.2,3" << none;
    QTest::newRow("a blank inside is not a number") << en << "1 2" << none;
    QTest::newRow("two signs are not a number") << en << "+-1" << none;
    QTest::newRow("two decimal points are not a number") << en << "1.2.3" << none;
    QTest::newRow("a fractional exponent is not a number") << en << "1e5.5" << none;
    QTest::newRow("a letter after digits is not a number") << en << "12a" << none;
    QTest::newRow("non-ASCII digits are not a number")
        << en << QStringLiteral("\u0661\u0662") << none;
    QTest::newRow("a value too large for a double is not a number") << en << "1e400" << none;
    QTest::newRow("400 digits are too large for a double") << en << QString(400, u'9') << none;
    QTest::newRow("the other locale's decimal point is a group separator in en_US")
        << en << "12,5" << std::optional(125.0);

    QTest::newRow("de_DE: comma is the decimal separator") << de << "12,5" << std::optional(12.5);
    QTest::newRow("de_DE: point is the group separator")
        << de << "1.234,5" << std::optional(1234.5);
    QTest::newRow("de_DE: a lone comma is not a number") << de << "," << none;
    QTest::newRow("fr_FR: its group separator groups")
        << fr << QStringLiteral("1") + frGroup + QStringLiteral("234") << std::optional(1234.0);
    QTest::newRow("fr_FR: comma is the decimal separator") << fr << "0,25" << std::optional(0.25);
    QTest::newRow("fr_FR: an ASCII point is not a separator") << fr << "1.5" << none;
    QTest::newRow("fr_FR: a no-break space groups, as spreadsheets write it")
        << fr << QStringLiteral("12\u00A0345") << std::optional(12345.0);
    QTest::newRow("fr_FR: a plain space does not group") << fr << "12 345" << none;
    QTest::newRow("nb_NO: a narrow no-break space groups like its no-break space")
        << QStringLiteral("nb_NO") << QStringLiteral("12\u202F345") << std::optional(12345.0);
    QTest::newRow("de_CH: an apostrophe groups, as spreadsheets write it")
        << QStringLiteral("de_CH") << "1'234'567" << std::optional(1234567.0);
    QTest::newRow("de_CH: its own separator groups")
        << QStringLiteral("de_CH") << QStringLiteral("1\u2019234") << std::optional(1234.0);
    QTest::newRow("en_US: a no-break space is not a separator")
        << en << QStringLiteral("12\u00A0345") << none;
    QTest::newRow("en_US: an apostrophe is not a separator") << en << "1'234" << none;
}

void TestNumberRules::strictReading()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(std::optional<double>, expected);
    const std::optional<double> actual = NumberRules::fieldValue(text, separatorsOf(locale));
    QCOMPARE(actual.has_value(), expected.has_value());
    if (expected) {
        QVERIFY2(*actual == *expected, qPrintable(QStringLiteral("read %1, expected %2")
                                                      .arg(*actual, 0, 'g', 17)
                                                      .arg(*expected, 0, 'g', 17)));
    }
}

void TestNumberRules::leadingValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("empty text reads 0") << "" << 0.0;
    QTest::newRow("text without a number reads 0") << "abc" << 0.0;
    QTest::newRow("the leading number is taken") << "12abc" << 12.0;
    QTest::newRow("leading blanks are skipped") << "  -3.5x" << -3.5;
    QTest::newRow("the decimal point is always a point") << "1,5" << 1.0;
    QTest::newRow("an exponent without digits is left out") << "1e" << 1.0;
    QTest::newRow("an exponent is part of the number") << "2e3xyz" << 2000.0;
    QTest::newRow("a lone sign reads 0") << "-" << 0.0;
    QTest::newRow("a plus sign before a fraction is read") << "+1.5" << 1.5;
    QTest::newRow("a plus sign before a bare fraction is read") << "+.3x" << 0.3;
    QTest::newRow("a plus sign before an exponent is read") << "+2e3" << 2000.0;
    QTest::newRow("a plus sign before an overflowing exponent is read") << "+1e999" << 1e99;
    QTest::newRow("a plus sign before many digits is read")
        << QStringLiteral("+") + QString(20, u'1') << 11111111111111111111.0;
    QTest::newRow("a fraction without whole part") << ".5" << 0.5;
    QTest::newRow("a lone point reads 0") << "." << 0.0;
    QTest::newRow("an overflowing exponent loses digits until finite") << "1e999" << 1e99;
    QTest::newRow("an underflowing value reads 0") << "1e-999" << 0.0;
    QTest::newRow("an underflowing value with a capital E reads 0") << "1E-400" << 0.0;
    QTest::newRow("an underflowing value with a capital E and more digits reads 0")
        << "5E-4004009999x" << 0.0;
    QTest::newRow("a negative exponent on a huge mantissa")
        << QStringLiteral("1") + QString(300, u'0') + QStringLiteral("e-100") << 1e200;
}

void TestNumberRules::leadingValue()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    // Exactly: QCOMPARE of doubles would let any value near 0 pass for 0.
    const double actual = NumberRules::leadingValue(text);
    QVERIFY2(actual == expected, qPrintable(QStringLiteral("read %1, expected %2")
                                                .arg(actual, 0, 'g', 17)
                                                .arg(expected, 0, 'g', 17)));
}

void TestNumberRules::masks_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("mask");
    QTest::addColumn<QString>("expected");
    const QString en = QStringLiteral("en_US");
    const int blank = int(Mask::Blank);
    const int zero = int(Mask::Zero);
    const int grouped = int(Mask::Grouped);

    QTest::newRow("######## rounds a half up") << en << 2.5 << blank << "3";
    QTest::newRow("######## rounds 0.5 away from zero") << en << 0.5 << blank << "1";
    QTest::newRow("######## rounds a negative half away from zero") << en << -2.5 << blank << "-3";
    QTest::newRow("######## writes zero as empty text") << en << 0.4 << blank << "";
    QTest::newRow("######## rounds the double just below a half down")
        << en << 0.49999999999999994 << blank << "";
    QTest::newRow("######## rounds a negative half away from zero at -0.5")
        << en << -0.5 << blank << "-1";
    QTest::newRow("######## keeps whole values past 2^52 exact")
        << en << 4503599627370497.0 << blank << "4503599627370497";
    QTest::newRow("######## rounds a half past 2^51")
        << en << 2251799813685248.5 << blank << "2251799813685249";
    QTest::newRow("######## writes negative zero as empty text") << en << -0.4 << blank << "";
    QTest::newRow("######## has no digit limit") << en << 15076231.0 << blank << "15076231";
    QTest::newRow("######## writes every digit of a large value")
        << en << 1e20 << blank << "100000000000000000000";
    QTest::newRow("#######0 writes zero as 0") << en << 0.0 << zero << "0";
    QTest::newRow("#######0 writes a value rounding to zero without sign")
        << en << -0.4 << zero << "0";
    QTest::newRow("#######0 rounds like ########") << en << 12.5 << zero << "13";
    QTest::newRow("##,###,##0 groups thousands") << en << 15076231.0 << grouped << "15,076,231";
    QTest::newRow("##,###,##0 groups four digits") << en << 1234.0 << grouped << "1,234";
    QTest::newRow("##,###,##0 leaves three digits alone") << en << 999.0 << grouped << "999";
    QTest::newRow("##,###,##0 writes zero as 0") << en << 0.2 << grouped << "0";
    QTest::newRow("##,###,##0 keeps the sign outside the groups")
        << en << -123456.0 << grouped << "-123,456";
    QTest::newRow("##,###,##0 rounds a negative half away from zero")
        << en << -2.5 << grouped << "-3";
    QTest::newRow("##,###,##0 goes past its placeholders")
        << en << 1234567890.0 << grouped << "1,234,567,890";
    QTest::newRow("de_DE groups with a point")
        << QStringLiteral("de_DE") << 15076231.0 << grouped << "15.076.231";
    QTest::newRow("a non-finite value gives empty text")
        << en << std::numeric_limits<double>::infinity() << zero << "";
}

void TestNumberRules::masks()
{
    QFETCH(QString, locale);
    QFETCH(double, value);
    QFETCH(int, mask);
    QFETCH(QString, expected);
    QCOMPARE(NumberRules::format(value, Mask(mask), separatorsOf(locale)), expected);
}

void TestNumberRules::maskOfText_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("mask");
    QTest::addColumn<QString>("expected");
    const QString en = QStringLiteral("en_US");
    const QString fr = QStringLiteral("fr_FR");
    const QString frGroup = separatorsOf(fr).group;
    QTest::newRow("text that is no number comes back unchanged")
        << en << "abc" << int(Mask::Zero) << "abc";
    QTest::newRow("empty text comes back unchanged") << en << "" << int(Mask::Grouped) << "";
    QTest::newRow("leading zeros vanish") << en << "007" << int(Mask::Zero) << "7";
    QTest::newRow("a pasted fraction rounds up") << en << "12.5" << int(Mask::Zero) << "13";
    QTest::newRow("a pasted fraction rounds down") << en << "12.4" << int(Mask::Zero) << "12";
    QTest::newRow("a trailing point vanishes") << en << "12." << int(Mask::Zero) << "12";
    QTest::newRow("blanks and groups vanish") << en << " 1,234 " << int(Mask::Zero) << "1234";
    QTest::newRow("a too large value is no number") << en << "1e400" << int(Mask::Zero) << "1e400";
    QTest::newRow("fr_FR groups with its own separator")
        << fr << "15076231" << int(Mask::Grouped)
        << QStringLiteral("15") + frGroup + QStringLiteral("076") + frGroup + QStringLiteral("231");
}

void TestNumberRules::maskOfText()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(int, mask);
    QFETCH(QString, expected);
    QCOMPARE(NumberRules::formatText(text, Mask(mask), separatorsOf(locale)), expected);
}

void TestNumberRules::hugeTextsStayFiniteAndQuick()
{
    // A pasted wall of digits must neither hang nor produce infinity.
    const QString digits(200000, u'7');
    QVERIFY(std::isfinite(NumberRules::leadingValue(digits)));
    QVERIFY(std::isfinite(NumberRules::leadingValue(QStringLiteral("1e") + digits)));
    QVERIFY(std::isfinite(NumberRules::leadingValue(digits + QStringLiteral("e-") + digits)));
    QVERIFY(!NumberRules::fieldValue(digits, Separators{}).has_value());
    QCOMPARE(NumberRules::fieldValue(QStringLiteral("1e-") + digits, Separators{}),
             std::optional(0.0));
}

void TestNumberRules::roundsAsTheStandardLibraryDoes()
{
    // The host's std::from_chars and std::to_chars round and write correctly: random spellings,
    // from subnormal to beyond the largest double, must read and write exactly as they do.
    std::mt19937_64 random(20261208);
    std::uniform_int_distribution<int> digitCount(1, 40);
    std::uniform_int_distribution<int> exponent(-340, 320);
    std::uniform_int_distribution<int> digit(0, 9);
    for (int round = 0; round < 50000; ++round) {
        std::string text = random() % 2 ? "-" : "";
        for (int k = digitCount(random); k > 0; --k)
            text += static_cast<char>('0' + digit(random));
        text += 'e' + std::to_string(exponent(random));
        double expected = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), expected);
        const auto actual = NumberRules::fieldValue(QString::fromStdString(text), Separators{});
        if (error == std::errc::result_out_of_range) {
            QVERIFY2(!actual || *actual == 0, text.c_str());
            continue;
        }
        QVERIFY2(actual && *actual == expected, text.c_str());
        const double whole = std::round(expected);
        if (!std::isfinite(whole) || std::abs(whole) < 9.0e15)
            continue;
        std::array<char, 400> digits{};
        const auto written = std::to_chars(digits.data(), digits.data() + digits.size(), whole,
                                           std::chars_format::fixed, 0);
        QCOMPARE(NumberRules::format(whole, Mask::Zero, Separators{}),
                 QString::fromLatin1(digits.data(), written.ptr - digits.data()));
    }
}

QTEST_APPLESS_MAIN(TestNumberRules)
#include "tst_numberrules.moc"
