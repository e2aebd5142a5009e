#pragma once

// Plain, slow second implementations of the number rules, for the fuzzers and the random-use
// test to hold the real ones against. They are written for clarity, not speed: the readings go
// through strtod and the masks through printf, so they share no code with estimate/NumberRules.

#include "estimate/NumberRules.h"

#include <QString>
#include <QStringView>

#include <algorithm>

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace Reference {

inline bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }
inline bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

// strtod over an ASCII spelling; nothing when the value is too large for a double.
inline std::optional<double> readAscii(const std::string& spelled)
{
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(spelled.c_str(), &end);
    if (end != spelled.c_str() + spelled.size())
        return std::nullopt;
    if (std::isinf(value))
        return std::nullopt;
    return value;
}

// Two readings agree when they are equal, or both below the smallest normal double (strtod keeps
// subnormals, the program may give 0 for them; no mask or bound can tell them apart).
inline bool sameReading(double a, double b)
{
    if (a == b)
        return true;
    return std::abs(a) < DBL_MIN && std::abs(b) < DBL_MIN;
}

// Group separators as spreadsheets write them: French, Nordic and Slavic sheets put a no-break
// space (U+00A0) or a narrow one (U+202F) for either; Swiss sheets an apostrophe for U+2019.
inline bool writtenAsGroup(QChar c, const QString& group)
{
    static const std::vector<std::pair<char16_t, char16_t>> written = {
        {u'\u202F', u'\u00A0'}, {u'\u00A0', u'\u202F'}, {u'\u2019', u'\''}};
    return group.size() == 1 && std::ranges::any_of(written, [&](const auto& pair) {
               return group[0].unicode() == pair.first && c.unicode() == pair.second;
           });
}

// The strict reading. The text is first cut into tokens (a digit, the decimal separator 'D', the
// group separator 'G', a blank, a sign, an exponent mark, or '?' for anything else), then the
// token string must have the form
//     blanks [sign] ( digit (['G'] digit)* ['D' digit*] | 'D' digit+ ) [e [sign] digit+] blanks
inline std::optional<double> strict(QStringView text, const NumberRules::Separators& separators)
{
    struct Token {
        char kind;
        char digit;
    };
    std::vector<Token> tokens;
    for (qsizetype i = 0; i < text.size();) {
        const QStringView rest = text.sliced(i);
        if (!separators.decimal.isEmpty() && rest.startsWith(separators.decimal)) {
            tokens.push_back({'D', 0});
            i += separators.decimal.size();
        } else if (!separators.group.isEmpty() && rest.startsWith(separators.group)) {
            tokens.push_back({'G', 0});
            i += separators.group.size();
        } else if (writtenAsGroup(text[i], separators.group)) {
            tokens.push_back({'G', 0});
            ++i;
        } else {
            const QChar c = text[i];
            if (isAsciiDigit(c))
                tokens.push_back({'9', static_cast<char>(c.unicode())});
            else if (isBlank(c))
                tokens.push_back({' ', 0});
            else if (c == u'+' || c == u'-')
                tokens.push_back({'s', static_cast<char>(c.unicode())});
            else if (c == u'e' || c == u'E')
                tokens.push_back({'e', 0});
            else
                tokens.push_back({'?', 0});
            ++i;
        }
    }

    std::size_t k = 0;
    const auto at = [&](char kind) {
        return k < tokens.size() && tokens[k].kind == kind;
    };
    std::string spelled;
    while (at(' '))
        ++k;
    if (at('s'))
        spelled.push_back(tokens[k++].digit);
    bool mantissaDigits = false;
    while (at('9') ||
           (at('G') && mantissaDigits && k + 1 < tokens.size() && tokens[k + 1].kind == '9')) {
        if (at('9')) {
            spelled.push_back(tokens[k].digit);
            mantissaDigits = true;
        }
        ++k;
    }
    if (at('D')) {
        ++k;
        spelled.push_back('.');
        while (at('9')) {
            spelled.push_back(tokens[k++].digit);
            mantissaDigits = true;
        }
    }
    if (!mantissaDigits)
        return std::nullopt;
    if (at('e')) {
        ++k;
        spelled.push_back('e');
        if (at('s'))
            spelled.push_back(tokens[k++].digit);
        bool exponentDigits = false;
        while (at('9')) {
            spelled.push_back(tokens[k++].digit);
            exponentDigits = true;
        }
        if (!exponentDigits)
            return std::nullopt;
    }
    while (at(' '))
        ++k;
    if (k != tokens.size())
        return std::nullopt;
    if (!spelled.empty() && spelled[0] == '+')
        spelled.erase(0, 1);
    return readAscii(spelled);
}

// Whether s (ASCII) as a whole has the form [sign] (digit+ [. digit*] | . digit+) [e [sign]
// digit+].
inline bool isLenientNumber(const std::string& s)
{
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9')
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        std::size_t exponentDigits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            ++i, ++exponentDigits;
        if (exponentDigits == 0)
            return false;
    }
    return i == s.size();
}

// The lenient reading: every prefix after the leading blanks, longest first, until one has the
// form of a number and a finite value. Quadratic; meant for texts of a few hundred characters.
inline double leading(QStringView text)
{
    qsizetype start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;
    // Only these characters can be part of the number.
    qsizetype span = start;
    while (span < text.size() && text[span].unicode() < 0x80 &&
           std::string_view("0123456789+-.eE").find(static_cast<char>(text[span].unicode())) !=
               std::string_view::npos)
        ++span;
    std::string ascii;
    for (qsizetype i = start; i < span; ++i)
        ascii.push_back(static_cast<char>(text[i].unicode()));
    for (std::size_t length = ascii.size(); length > 0; --length) {
        const std::string prefix = ascii.substr(0, length);
        if (!isLenientNumber(prefix))
            continue;
        if (const auto value = readAscii(prefix[0] == '+' ? prefix.substr(1) : prefix))
            return *value;
    }
    return 0;
}

// Rounds halves away from zero (std::round does exactly that).
inline double rounded(double value) { return std::round(value); }

// The whole-number masks: "########" (blankZero) and "#######0", optionally grouped in threes.
inline QString mask(double value, NumberRules::Mask mask, const QString& group)
{
    if (!std::isfinite(value))
        return {};
    const double whole = rounded(value);
    if (whole == 0)
        return mask == NumberRules::Mask::Blank ? QString() : QStringLiteral("0");
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.0f", std::fabs(whole));
    const QString digits = QString::fromLatin1(buffer);
    QString out;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (mask == NumberRules::Mask::Grouped && i > 0 && (digits.size() - i) % 3 == 0)
            out += group;
        out += digits[i];
    }
    return whole < 0 ? QStringLiteral("-") + out : out;
}

// A mask applied to text: a number by the strict reading is formatted, other text stays.
inline QString maskText(const QString& text, NumberRules::Mask m,
                        const NumberRules::Separators& separators)
{
    if (const auto value = strict(text, separators))
        return mask(*value, m, separators.group);
    return text;
}

// "0", or an optional minus and digits without a leading zero: what "#######0" writes.
inline bool isWholeNumberText(QStringView text)
{
    if (text == u"0")
        return true;
    const qsizetype from = text.startsWith(u'-') ? 1 : 0;
    if (text.size() == from || text[from] == u'0')
        return false;
    for (qsizetype i = from; i < text.size(); ++i) {
        if (!isAsciiDigit(text[i]))
            return false;
    }
    return true;
}

} // namespace Reference
