#pragma once

#include <QString>
#include <QStringView>

#include <optional>

class QLocale;

// How a field's text is read as a number, and how numbers are written back as whole-number text.
//
// Two readings:
//   fieldValue    strict: the whole text is a number (blanks around it allowed), else nothing
//   leadingValue  lenient: the longest number at the start of the text, or 0; never fails
// Three masks, all rounding halves away from zero:
//   Mask::Blank    "########"    zero gives empty text
//   Mask::Zero     "#######0"    zero gives "0"
//   Mask::Grouped  "##,###,##0"  thousands grouped with the locale's separator, zero gives "0"
namespace NumberRules {

// The user locale's separators. Always handed in by the caller, never looked up here.
struct Separators {
    QString decimal = QStringLiteral(".");
    QString group = QStringLiteral(",");

    static Separators fromLocale(const QLocale& locale);
};

enum class Mask { Blank, Zero, Grouped };

// Strict reading: optional blanks, an optional sign, ASCII digits with the locale's group
// separators between integer digits and at most one decimal separator, an optional exponent
// (e or E, optional sign, at least one digit), optional blanks. Anything else, a lone sign or
// separator, and a value too large for a double are not numbers.
std::optional<double> fieldValue(QStringView text, const Separators& separators);

// Lenient reading: after leading blanks, the longest prefix of the form
// [sign] digits [. digits] [e [sign] digits] whose value is a finite double; 0 when there is none.
double leadingValue(QStringView text);

// Writes a finite value under a mask. Non-finite values give empty text.
QString format(double value, Mask mask, const Separators& separators);

// Formats text that is a number by the strict reading; any other text comes back unchanged.
QString formatText(const QString& text, Mask mask, const Separators& separators);

// The same, but gives nothing when the result would equal the text.
std::optional<QString> reformatted(const QString& text, Mask mask, const Separators& separators);

} // namespace NumberRules
