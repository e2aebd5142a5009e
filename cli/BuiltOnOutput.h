#pragma once

#include "DaySerials.h"

#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>

// The texts of --built-on's two outputs; the caller writes them out.
namespace BuiltOnOutput {

// "January 9, 1909: serials 399 to 409 (11 cars).", "October 21, 1908: serial 1 (1 car).",
// "February 4, 1924: no serial is estimated to this day."
QString line(const BuildDay& day, const std::optional<SerialRange>& serials);

inline constexpr std::array<QByteArrayView, 8> kCsvColumns{
    "input", "month", "day", "year", "first_serial", "last_serial", "count", "error"};

// One CSV row's fields in the order of kCsvColumns, not yet quoted. An answered input fills the
// month (as the window writes it: "January", "Oct-Dec"), day, year and count, and the serials
// when there are any (count "0" when there are none); an input that was not answered fills the
// input and the error only.
std::array<QString, kCsvColumns.size()> csvFields(const QString& input,
                                                  const BuiltOnAnswer& answer);

} // namespace BuiltOnOutput
