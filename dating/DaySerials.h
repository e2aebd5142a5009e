#pragma once

#include "BatchEstimator.h"
#include "BuildDay.h"

#include "estimate/NumberRules.h"

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

struct SerialRange {
    quint32 first = 0; // inclusive
    quint32 last = 0;  // inclusive

    quint32 count() const { return last - first + 1; }
    friend bool operator==(const SerialRange&, const SerialRange&) = default;
};

// What --built-on answers for one input, and how it is written.
struct BuiltOnAnswer {
    static constexpr std::array<QByteArrayView, 8> kCsvColumns{
        "input", "month", "day", "year", "first_serial", "last_serial", "count", "error"};

    std::optional<BuildDay> day;        // the day read from the input
    std::optional<SerialRange> serials; // the serials estimated to it; none when there are none
    QString message;                    // why the input was not answered; empty when it was

    bool answered() const { return message.isEmpty(); }

    // The line of an answered input: "January 9, 1909: serials 399 to 409 (11 cars).",
    // "October 21, 1908: serial 1 (1 car).", "February 4, 1924: no serial is estimated to this
    // day." The count of cars is written plainly (the command's), or grouped with `grouping`
    // (the page's: "(5,621 cars)"); serial numbers never are.
    QString line(const NumberRules::Separators* grouping = nullptr) const;

    // One CSV row's fields in the order of kCsvColumns, not yet quoted. An answered input fills
    // the month (as the window writes it: "January", "Oct-Dec"), day, year and count, and the
    // serials when there are any (count "0" when there are none); an input that was not answered
    // fills the input and the error only.
    std::array<QString, kCsvColumns.size()> csvFields(const QString& input) const;
};

// Which serials the calculator estimates to a given day: the estimate read backwards.
//
// Every serial it tries is calculated by the main window's logic as a freshly opened window
// calculates it (BatchEstimator), and a serial belongs to the day when the window's month, day
// and year are the day's. Within the month row that names the day, the serials that the window
// gives to an earlier row (those January 1924 and August 1927 share with the next row) come
// first, and the day never decreases as the serial grows; so two binary searches find the first
// serial of the day and the first one after it. The serials just outside the answer are
// calculated again and must name another day, and the ends must name this one.
class DaySerialFinder final {
public:
    DaySerialFinder();

    // Reads the input as a day (readBuildDay) and answers it.
    BuiltOnAnswer answer(const QString& input, SlashDateOrder slashDates);
    BuiltOnAnswer answer(const BuildDay& day);

private:
    // The window's day for the serial when the window places it in the row's month and year;
    // 0 when it places it elsewhere; none when it does not calculate it.
    std::optional<int> dayInRow(quint32 serial, const DateCalculators::MonthRow& row);

    BatchEstimator estimator_;
};
