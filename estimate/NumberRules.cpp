#include "NumberRules.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

namespace NumberRules {

Separators Separators::fromLocale(const QLocale& locale)
{
    return {locale.decimalPoint(), locale.groupSeparator()};
}

namespace {

constexpr int kLargestDecimalExponent = 308; // DBL_MAX is about 1.8e308
constexpr long long kExponentCap = 1'000'000'000;

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }
bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool isSign(QChar c) { return c == u'+' || c == u'-'; }
bool isExponentMark(QChar c) { return c == u'e' || c == u'E'; }

bool tokenAt(QStringView text, qsizetype pos, QStringView token)
{
    return !token.isEmpty() && pos <= text.size() && text.sliced(pos).startsWith(token);
}

// The length of the group separator at `pos`, 0 where there is none. Spreadsheets and keyboards
// write some locales' separators another way, which reads the same: a no-break space for the
// narrow no-break space and the other way round (French, Nordic, Slavic locales), an ASCII
// apostrophe for the right single quotation mark (Swiss locales).
qsizetype groupAt(QStringView text, qsizetype pos, const QString& group)
{
    if (tokenAt(text, pos, group))
        return group.size();
    if (group.size() != 1 || pos >= text.size())
        return 0;
    const char16_t wanted = group[0].unicode();
    const char16_t written = text[pos].unicode();
    const auto isNoBreakSpace = [](char16_t c) {
        return c == u'\u00A0' || c == u'\u202F';
    };
    if (isNoBreakSpace(wanted) && isNoBreakSpace(written))
        return 1;
    return wanted == u'\u2019' && written == u'\'' ? 1 : 0;
}

qsizetype skipBlanks(QStringView text, qsizetype pos)
{
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    return pos;
}

// Decimal exponent of the leading significant digit of an ASCII spelling such as "-0.012e5":
// 3 for "1234", -2 for "0.012", plus the exponent. Used only to tell overflow from underflow.
long long leadingExponent(std::string_view s)
{
    std::size_t i = (!s.empty() && s[0] == '-') ? 1 : 0;
    long long intDigits = 0;
    bool significant = false;
    long long lead = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        if (s[i] != '0')
            significant = true;
        if (significant)
            ++intDigits;
    }
    if (significant) {
        lead = intDigits - 1;
    } else if (i < s.size() && s[i] == '.') {
        long long zeros = 0;
        for (++i; i < s.size() && s[i] == '0'; ++i)
            ++zeros;
        lead = -(zeros + 1);
    }
    while (i < s.size() && s[i] != 'e' && s[i] != 'E')
        ++i;
    long long exponent = 0;
    if (i < s.size()) {
        ++i;
        const bool negative = i < s.size() && s[i] == '-';
        if (i < s.size() && (s[i] == '-' || s[i] == '+'))
            ++i;
        for (; i < s.size(); ++i)
            exponent = std::min(exponent * 10 + (s[i] - '0'), kExponentCap);
        if (negative)
            exponent = -exponent;
    }
    return lead + exponent;
}

// Converts an ASCII spelling, rounded to the nearest double. A value too large for a double gives
// nothing; one too small gives 0. Qt's conversion rounds correctly on every platform, the browser
// included, whose standard library has no floating-point from_chars.
std::optional<double> convert(std::string_view s)
{
    bool ok = false;
    const double value = QByteArrayView(s.data(), static_cast<qsizetype>(s.size())).toDouble(&ok);
    if (ok)
        return value;
    if (!s.empty() && leadingExponent(s) < 0)
        return s[0] == '-' ? -0.0 : 0.0;
    return std::nullopt;
}

void appendDigits(std::string& out, QStringView text, qsizetype from, qsizetype to)
{
    for (qsizetype i = from; i < to; ++i)
        out.push_back(static_cast<char>(text[i].unicode()));
}

} // namespace

std::optional<double> fieldValue(QStringView text, const Separators& separators)
{
    const qsizetype n = text.size();
    // Plain digits, the usual content of a field, are read at once.
    if (n > 0 && n <= 15) {
        const char16_t* chars = text.utf16();
        quint64 whole = 0;
        qsizetype k = 0;
        for (; k < n && chars[k] >= u'0' && chars[k] <= u'9'; ++k)
            whole = whole * 10 + (chars[k] - u'0');
        if (k == n)
            return static_cast<double>(whole);
    }

    // First pass: check the grammar and read other whole numbers of up to 15 digits exactly.
    qsizetype i = skipBlanks(text, 0);
    bool negative = false;
    if (i < n && isSign(text[i])) {
        negative = text[i] == u'-';
        ++i;
    }
    const qsizetype numberStart = i;
    double whole = 0;
    int intDigits = 0;
    while (i < n) {
        if (isDigit(text[i])) {
            whole = whole * 10 + (text[i].unicode() - u'0');
            ++intDigits;
            ++i;
            continue;
        }
        const qsizetype groupSize = intDigits > 0 ? groupAt(text, i, separators.group) : 0;
        if (groupSize == 0 || i + groupSize >= n || !isDigit(text[i + groupSize]))
            break;
        i += groupSize;
    }
    const qsizetype intEnd = i;

    qsizetype fracFrom = i;
    qsizetype fracTo = i;
    const bool hasPoint = tokenAt(text, i, separators.decimal);
    if (hasPoint) {
        i += separators.decimal.size();
        fracFrom = i;
        while (i < n && isDigit(text[i]))
            ++i;
        fracTo = i;
    }
    if (intDigits == 0 && fracTo == fracFrom)
        return std::nullopt;

    qsizetype expFrom = i;
    const bool hasExponent = i < n && isExponentMark(text[i]);
    if (hasExponent) {
        ++i;
        expFrom = i;
        if (i < n && isSign(text[i]))
            ++i;
        const qsizetype digitsFrom = i;
        while (i < n && isDigit(text[i]))
            ++i;
        if (i == digitsFrom)
            return std::nullopt;
    }
    if (skipBlanks(text, i) != n)
        return std::nullopt;
    if (!hasPoint && !hasExponent && intDigits <= 15)
        return negative ? -whole : whole;

    // Second pass: spell the number in plain ASCII for an exact conversion.
    std::string spelled;
    spelled.reserve(static_cast<std::size_t>(i - numberStart + 2));
    if (negative)
        spelled.push_back('-');
    for (qsizetype k = numberStart; k < intEnd; ++k) {
        if (isDigit(text[k]))
            spelled.push_back(static_cast<char>(text[k].unicode()));
    }
    if (hasPoint) {
        spelled.push_back('.');
        appendDigits(spelled, text, fracFrom, fracTo);
    }
    if (hasExponent) {
        spelled.push_back('e');
        appendDigits(spelled, text, expFrom, i);
    }
    return convert(spelled);
}

double leadingValue(QStringView text)
{
    const qsizetype n = text.size();
    qsizetype i = skipBlanks(text, 0);
    const qsizetype start = i;
    if (i < n && isSign(text[i]))
        ++i;
    const qsizetype intFrom = i;
    while (i < n && isDigit(text[i]))
        ++i;
    const qsizetype intTo = i;
    qsizetype mantissaEnd = intTo;
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && isDigit(text[i]))
            ++i;
        if (intTo > intFrom || i > intTo + 1)
            mantissaEnd = i;
    }
    if (mantissaEnd == intFrom)
        return 0; // no digit at all
    const bool exponentFollows = mantissaEnd + 1 < n && isExponentMark(text[mantissaEnd]) &&
                                 (isDigit(text[mantissaEnd + 1]) || isSign(text[mantissaEnd + 1]));
    if (mantissaEnd == intTo && intTo - intFrom <= 15 && !exponentFollows) {
        double whole = 0;
        for (qsizetype k = intFrom; k < intTo; ++k)
            whole = whole * 10 + (text[k].unicode() - u'0');
        return text[start] == u'-' ? -whole : whole;
    }

    // Exponent digits, if any: "e", optional sign, at least one digit.
    qsizetype expDigitsFrom = mantissaEnd;
    qsizetype expDigitsTo = mantissaEnd;
    if (mantissaEnd < n && isExponentMark(text[mantissaEnd])) {
        qsizetype j = mantissaEnd + 1;
        if (j < n && isSign(text[j]))
            ++j;
        expDigitsFrom = j;
        while (j < n && isDigit(text[j]))
            ++j;
        expDigitsTo = j;
    }

    // The ASCII conversion takes a minus sign but no plus sign.
    const qsizetype spellFrom = text[start] == u'+' ? start + 1 : start;
    std::string spelled;
    appendDigits(spelled, text, spellFrom, mantissaEnd);
    const std::string mantissa = spelled;
    const long long mantissaLead = leadingExponent(mantissa);

    // Longest prefix first: the mantissa with ever fewer exponent digits.
    if (expDigitsTo > expDigitsFrom) {
        const bool negativeExponent = text[expDigitsFrom - 1] == u'-';
        std::string withExponent = mantissa;
        appendDigits(withExponent, text, mantissaEnd, expDigitsFrom);
        std::vector<long long> exponents; // value of the first k exponent digits
        exponents.reserve(static_cast<std::size_t>(expDigitsTo - expDigitsFrom));
        long long e = 0;
        for (qsizetype k = expDigitsFrom; k < expDigitsTo; ++k) {
            e = std::min(e * 10 + (text[k].unicode() - u'0'), kExponentCap);
            exponents.push_back(e);
        }
        for (qsizetype k = expDigitsTo - expDigitsFrom; k >= 1; --k) {
            const long long exponent = negativeExponent ? -exponents[k - 1] : exponents[k - 1];
            if (mantissaLead + exponent > kLargestDecimalExponent)
                continue; // certainly too large
            std::string candidate = withExponent;
            appendDigits(candidate, text, expDigitsFrom, expDigitsFrom + k);
            if (const auto value = convert(candidate))
                return *value;
        }
    }

    // Then the mantissa alone, then ever shorter whole parts.
    if (mantissaLead <= kLargestDecimalExponent) {
        if (const auto value = convert(mantissa))
            return *value;
    }
    qsizetype significantFrom = intFrom;
    while (significantFrom < intTo && text[significantFrom] == u'0')
        ++significantFrom;
    const qsizetype longest =
        std::min(intTo, significantFrom + qsizetype(kLargestDecimalExponent + 1));
    for (qsizetype end = longest; end > intFrom; --end) {
        std::string candidate;
        appendDigits(candidate, text, spellFrom, end);
        if (const auto value = convert(candidate))
            return *value;
    }
    return 0;
}

namespace {

// Rounds halves away from zero. Below 2^52 the fraction is exact, so integer arithmetic does it
// without a library call.
double roundHalfAway(double value)
{
    if (std::abs(value) >= 4.0e15)
        return std::round(value);
    const auto whole = static_cast<long long>(value); // towards zero
    const double fraction = value - static_cast<double>(whole);
    if (fraction >= 0.5)
        return static_cast<double>(whole + 1);
    if (fraction <= -0.5)
        return static_cast<double>(whole - 1);
    return static_cast<double>(whole);
}

} // namespace

QString format(double value, Mask mask, const Separators& separators)
{
    if (!std::isfinite(value))
        return {};
    const double rounded = roundHalfAway(value);
    if (rounded == 0)
        return mask == Mask::Blank ? QString() : QStringLiteral("0");

    // Every digit of the whole number: integer arithmetic where it is exact, else Qt's exact
    // fixed-point conversion (DBL_MAX has 309 digits).
    std::array<char, 24> small{};
    QByteArray large;
    const char* buffer = small.data();
    qsizetype length = 0;
    if (std::abs(rounded) < 9.0e15) {
        length = std::to_chars(small.data(), small.data() + small.size(),
                               static_cast<long long>(rounded))
                     .ptr -
                 small.data();
    } else {
        large = QByteArray::number(rounded, 'f', 0);
        buffer = large.constData();
        length = large.size();
    }
    const bool negative = buffer[0] == '-';
    const qsizetype digits = length - (negative ? 1 : 0);
    const QString& group = separators.group;
    const qsizetype groups = mask == Mask::Grouped ? (digits - 1) / 3 : 0;
    QString out(length + groups * group.size(), Qt::Uninitialized);
    QChar* write = out.data();
    if (negative)
        *write++ = u'-';
    for (qsizetype k = 0; k < digits; ++k) {
        if (groups > 0 && k > 0 && (digits - k) % 3 == 0) {
            for (const QChar c : group)
                *write++ = c;
        }
        *write++ = QLatin1Char(buffer[(negative ? 1 : 0) + k]);
    }
    return out;
}

namespace {

// Text that a mask would write back unchanged: a whole number in its plain spelling, short
// enough that no grouping applies and not zero (which the blank mask drops).
bool writesItself(const QString& text, Mask mask)
{
    const qsizetype n = text.size();
    const qsizetype from = (n > 0 && text[0] == u'-') ? 1 : 0;
    const qsizetype digits = n - from;
    if (digits < 1 || digits > (mask == Mask::Grouped ? 3 : 15) || text[from] == u'0')
        return false;
    for (qsizetype k = from; k < n; ++k) {
        if (!isDigit(text[k]))
            return false;
    }
    return true;
}

} // namespace

std::optional<QString> reformatted(const QString& text, Mask mask, const Separators& separators)
{
    if (writesItself(text, mask))
        return std::nullopt;
    const auto value = fieldValue(text, separators);
    if (!value)
        return std::nullopt;
    QString out = format(*value, mask, separators);
    if (out == text)
        return std::nullopt;
    return out;
}

QString formatText(const QString& text, Mask mask, const Separators& separators)
{
    return reformatted(text, mask, separators).value_or(text);
}

} // namespace NumberRules
