#include "EstimateColumns.h"

namespace EstimateColumns {

namespace {

using enum Control;

constexpr std::array kFields{txtSerial,
                             txtMonth,
                             txtDate,
                             txtYear,
                             txtFirstSerial,
                             txtLastSerial,
                             txtProductionTotal,
                             txtProductionAverage,
                             txtCarsBuilt,
                             txtEndOfMonthDays,
                             lblDate};

static_assert(kFields.size() + 1 == kNames.size());

} // namespace

void append(CsvRecord& record, const BatchEstimator::Result& result, const FieldSet& fields)
{
    for (const Control field : kFields) {
        if (result.calculated)
            record.field(fields.text(field));
        else
            record.field(QByteArrayView());
    }
    record.field(result.message);
}

} // namespace EstimateColumns
