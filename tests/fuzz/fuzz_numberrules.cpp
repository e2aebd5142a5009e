// Fuzzes the two readings of a field's text and the three whole-number masks.
//
// Input: byte 0 picks the separators (FuzzLocales), byte 1 how the rest becomes text:
//   0  UTF-8
//   1  UTF-16, little-endian code units (lone surrogates included)
//   2  UTF-8, where byte 0x01 stands for the decimal separator and 0x02 for the group separator
// The rest is the text. Its first eight bytes, read as a double, are also handed to the masks.
#include "FuzzLocales.h"
#include "Reference.h"

#include "estimate/NumberRules.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using NumberRules::Mask;
using NumberRules::Separators;

namespace {

// The reference reading of the lenient rule is quadratic; longer texts get only the cheap checks.
constexpr qsizetype kLongestReferenceText = 400;

const char* maskName(Mask mask)
{
    switch (mask) {
    case Mask::Blank:
        return "########";
    case Mask::Zero:
        return "#######0";
    case Mask::Grouped:
        return "##,###,##0";
    }
    return "?";
}

[[noreturn]] void fail(const char* what, const QString& text, const FuzzLocales::Entry& locale,
                       const QString& detail = {})
{
    QString shown;
    for (const QChar c : text)
        shown += c.unicode() >= 0x20 && c.unicode() < 0x7f
                     ? QString(c)
                     : QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    std::fprintf(stderr, "fuzz_numberrules: %s\n  locale %s, text \"%s\"\n  %s\n", what,
                 qPrintable(locale.name), qPrintable(shown), qPrintable(detail));
    std::abort();
}

QString decode(const uint8_t* data, size_t size, unsigned mode, const Separators& seps)
{
    const auto* chars = reinterpret_cast<const char*>(data);
    switch (mode % 3) {
    case 1: {
        QString out(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
        for (size_t i = 0; i + 1 < size; i += 2)
            out[static_cast<qsizetype>(i / 2)] =
                QChar(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
        return out;
    }
    case 2: {
        QString out;
        for (const QChar c : QString::fromUtf8(chars, static_cast<qsizetype>(size))) {
            if (c == u'\x01')
                out += seps.decimal;
            else if (c == u'\x02')
                out += seps.group;
            else
                out += c;
        }
        return out;
    }
    default:
        return QString::fromUtf8(chars, static_cast<qsizetype>(size));
    }
}

bool onlyGrammarCharacters(const QString& text, const Separators& seps)
{
    for (const QChar c : text) {
        if (Reference::isAsciiDigit(c) || Reference::isBlank(c) || c == u'+' || c == u'-' ||
            c == u'e' || c == u'E' || seps.decimal.contains(c) || seps.group.contains(c) ||
            Reference::writtenAsGroup(c, seps.group))
            continue;
        return false;
    }
    return true;
}

void checkMaskOfValue(double value, Mask mask, const QString& text,
                      const FuzzLocales::Entry& locale)
{
    const Separators& seps = locale.separators;
    const QString out = NumberRules::format(value, mask, seps);
    const QString expected = Reference::mask(value, mask, seps.group);
    if (out != expected)
        fail("a mask writes the wrong text", text, locale,
             QStringLiteral("%1 of %2 gives \"%3\", expected \"%4\"")
                 .arg(QString::fromLatin1(maskName(mask)))
                 .arg(value, 0, 'g', 17)
                 .arg(out, expected));
    if (out.isEmpty()) {
        if (std::isfinite(value) && (mask != Mask::Blank || std::round(value) != 0))
            fail("a mask gives empty text for a value that is not zero", text, locale);
        return;
    }
    // What a mask writes is itself a number: the rounded value.
    const auto back = NumberRules::fieldValue(out, seps);
    if (!back || *back != std::round(value))
        fail("a mask's text does not read back as the rounded value", text, locale,
             QStringLiteral("%1 of %2 gives \"%3\"")
                 .arg(QString::fromLatin1(maskName(mask)))
                 .arg(value, 0, 'g', 17)
                 .arg(out));
}

void checkText(const QString& text, const FuzzLocales::Entry& locale)
{
    const Separators& seps = locale.separators;
    const std::optional<double> value = NumberRules::fieldValue(text, seps);
    const std::optional<double> expected = Reference::strict(text, seps);

    if (value.has_value() != expected.has_value())
        fail(value ? "the strict reading accepts a text that is no number"
                   : "the strict reading refuses a number",
             text, locale,
             value ? QStringLiteral("read as %1").arg(*value, 0, 'g', 17)
                   : QStringLiteral("expected %1").arg(*expected, 0, 'g', 17));
    if (value) {
        if (!std::isfinite(*value))
            fail("the strict reading gives a value that is not finite", text, locale);
        if (!onlyGrammarCharacters(text, seps))
            fail("the strict reading accepts a character outside its grammar", text, locale);
        if (!Reference::sameReading(*value, *expected))
            fail("the strict reading gives the wrong value", text, locale,
                 QStringLiteral("%1, expected %2")
                     .arg(*value, 0, 'g', 17)
                     .arg(*expected, 0, 'g', 17));
    }

    const double lenient = NumberRules::leadingValue(text);
    if (!std::isfinite(lenient))
        fail("the lenient reading is not finite", text, locale);
    if (text.size() <= kLongestReferenceText) {
        const double reference = Reference::leading(text);
        if (!Reference::sameReading(lenient, reference))
            fail("the lenient reading gives the wrong value", text, locale,
                 QStringLiteral("%1, expected %2")
                     .arg(lenient, 0, 'g', 17)
                     .arg(reference, 0, 'g', 17));
    }

    for (const Mask mask : {Mask::Blank, Mask::Zero, Mask::Grouped}) {
        const QString formatted = NumberRules::formatText(text, mask, seps);
        const std::optional<QString> changed = NumberRules::reformatted(text, mask, seps);
        if (changed.value_or(text) != formatted)
            fail("reformatted() and formatText() disagree", text, locale,
                 QString::fromLatin1(maskName(mask)));
        if (changed && *changed == text)
            fail("reformatted() reports a change that is none", text, locale);
        if (!value) {
            if (formatted != text)
                fail("a mask changes text that is no number", text, locale,
                     QStringLiteral("%1 gives \"%2\"")
                         .arg(QString::fromLatin1(maskName(mask)), formatted));
            continue;
        }
        const QString reference = Reference::mask(*value, mask, seps.group);
        if (formatted != reference)
            fail("a mask of a number's text writes the wrong text", text, locale,
                 QStringLiteral("%1 gives \"%2\", expected \"%3\"")
                     .arg(QString::fromLatin1(maskName(mask)), formatted, reference));
        // A mask's output is either empty or a strict number: the rounded value.
        if (!formatted.isEmpty()) {
            const auto back = NumberRules::fieldValue(formatted, seps);
            if (!back || *back != std::round(*value))
                fail("a mask's text does not read back as the rounded value", text, locale,
                     formatted);
            // Masking it again changes nothing.
            if (NumberRules::formatText(formatted, mask, seps) != formatted)
                fail("a mask's own text is not left as it is", text, locale, formatted);
        } else if (mask != Mask::Blank || std::round(*value) != 0) {
            fail("a mask gives empty text for a number that is not zero", text, locale);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzLocales::all(); // built once, outside the measured runs
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const FuzzLocales::Entry& locale = FuzzLocales::pick(data[0]);
    const QString text = decode(data + 2, size - 2, data[1], locale.separators);
    checkText(text, locale);

    if (size >= 10) {
        double value = 0;
        std::memcpy(&value, data + 2, sizeof value);
        for (const Mask mask : {Mask::Blank, Mask::Zero, Mask::Grouped})
            checkMaskOfValue(value, mask, text, locale);
    }
    return 0;
}
