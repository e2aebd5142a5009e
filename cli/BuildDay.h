#pragma once

#include "data/DateCalculators.h"

#include <QString>
#include <QtGlobal>

#include <optional>
#include <vector>

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

// Reads a day written as the result sentence writes it, "January 9, 1909" (the month name in any
// case, blanks around each part, a day of one or two digits), "Oct-Dec 9, 1912", or in ISO 8601,
// "1909-01-09". A day must be in the calendar (February 29 only in a leap year) and within
// October 1908 to December 1927. A day of October to December 1912 written any other way than
// "Oct-Dec D, 1912" is refused with a message that names that form.
BuildDayReading readBuildDay(const QString& text);

// Why a text is no day at all, and how to write one.
QString notADate();

// "January 9, 1909" or "Oct-Dec 9, 1912": the day as the result sentence writes it.
QString buildDayText(const BuildDay& day);

// Every day from October 1, 1908 to December 31, 1927 in order, with October to December 1912
// as the 31 days of Oct-Dec.
const std::vector<BuildDay>& everyBuildDay();
