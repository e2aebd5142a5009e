#pragma once

#include <QString>
#include <QtGlobal>

#include <span>

class FieldSet;

// The production tables and the two lookups. The lookups read the serial from txtSerial and, on
// a match only, write their results into the main window's fields as text.
namespace DateCalculators {

enum class Month : quint8 {
    Jan = 1,
    Feb,
    Mar,
    Apr,
    May,
    Jun,
    Jul,
    Aug,
    Sep,
    Oct,
    Nov,
    Dec,
    OctDec
};

struct MonthRow {
    quint16 year; // orders the rows; the result's year comes from the yearly table
    Month month;
    quint32 first; // inclusive
    quint32 last;  // inclusive
};

struct YearRow {
    quint16 year;
    quint32 first; // inclusive
    quint32 last;  // inclusive
};

inline constexpr quint32 kFirstSerial = 1;
inline constexpr quint32 kLastSerial = 15076231;

std::span<const MonthRow> monthRows();
std::span<const YearRow> yearRows();

QString monthText(Month month); // "January" ... "December", "Oct-Dec"
QString daysText(Month month);  // "31", "30" or "28": February is always "28"

// The first row that holds the serial (the earlier one where two rows share serials), or none.
const MonthRow* monthRowFor(double serial);
const YearRow* yearRowFor(double serial);
const YearRow* yearRowOf(quint16 year);

// txtMonth, txtMonthDays, txtFirstSerial, txtLastSerial, in this order, on a match.
void FindProductionMonth(FieldSet& fields);
// txtYear, txtYearStart, txtYearEnd, in this order, on a match.
void FindProductionYear(FieldSet& fields);
// Writes one yearly row as FindProductionYear would.
void writeYearRow(FieldSet& fields, const YearRow& row);

} // namespace DateCalculators
