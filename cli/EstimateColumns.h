#pragma once

#include "BatchEstimator.h"
#include "CsvRecord.h"

#include <QByteArrayView>

#include <array>

// An estimate as CSV fields: the serial that was calculated, the month, day and year, the
// month's first and last serial, production total and daily average, the cars and days to the
// month's end, the sentence, then the error. A failed input has only the error.
namespace EstimateColumns {

inline constexpr std::array<QByteArrayView, 12> kNames{"serial",
                                                       "month",
                                                       "day",
                                                       "year",
                                                       "first_serial",
                                                       "last_serial",
                                                       "production_total",
                                                       "daily_average",
                                                       "cars_to_month_end",
                                                       "days_to_month_end",
                                                       "sentence",
                                                       "error"};

void append(CsvRecord& record, const BatchEstimator::Result& result, const FieldSet& fields);

} // namespace EstimateColumns
