#pragma once

#include "data/DateCalculators.h"

#include <QString>
#include <QtGlobal>

#include <optional>
#include <vector>

class QLocale;

// A day of the production period as the result sentence names it: month, day of the month, year.
// Every month is a calendar month (January 1921, which the records skip, included), except that
// October to December 1912 is the one month Oct-Dec, whose days run from 1 to 31, its days in
// month.
struct BuildDay {
    quint16 year = 0;
    DateCalculators::Month month = DateCalculators::Month::Jan;
    quint8 day = 0;

    friend bool operator==(const BuildDay&, const BuildDay&) = default;
};

struct BuildDayReading {
    std::optional<BuildDay> day;
    QString message; // why the text names no day of the production period; empty with a day
};

// How a slash date with the year last is read: 1/9/1909 is January 9 month first and September 1
// day first. Always handed in by the caller, never looked up here.
enum class SlashDateOrder { DayFirst, MonthFirst };

// The order of the day and the month in the locale's short date format: month first for en_US
// (M/d/yy) and for year-first formats such as ja (yyyy/MM/dd), day first for en_GB, de, fr and
// the C locale (d MMM yyyy), and for a format that has no day or no month.
SlashDateOrder slashDateOrder(const QLocale& locale);

// Reads a day written as the result sentence writes it, "January 9, 1909" (the month name in any
// case, blanks around each part, a day of one or two digits), "Oct-Dec 9, 1912", or in ISO 8601,
// "1909-01-09"; or as spreadsheets write days:
//   - the same with the month's three-letter abbreviation ("Jan 9, 1909", also "Sept") or with
//     blanks instead of the comma ("January 9 1909"); Oct-Dec has no other name or form;
//   - ISO 8601 with a time of day, which must be one but is not read ("1909-01-09 00:00:00",
//     "1909-01-09T00:00");
//   - "9-Jan-1909" (day, month name, year), "09.01.1909" (day, month, year);
//   - "1909/1/9" (year, month, day) and "1/9/1909", whose day and month come in slashDates order;
//   - any of these as a quoted CSV field: the quotes around it dropped, doubled ones inside undone.
// A day must be in the calendar (February 29 only in a leap year) and within October 1908 to
// December 1927. A day of October to December 1912 written any other way than
// "Oct-Dec D, 1912" is refused with a message that names that form. A year of two digits is
// refused with a message that asks for four.
BuildDayReading readBuildDay(const QString& text, SlashDateOrder slashDates);

// Why a text is no day at all, and how to write one.
QString notADate();

// "January 9, 1909" or "Oct-Dec 9, 1912": the day as the result sentence writes it.
QString buildDayText(const BuildDay& day);

// Every day from October 1, 1908 to December 31, 1927 in order, with October to December 1912
// as the 31 days of Oct-Dec.
const std::vector<BuildDay>& everyBuildDay();
