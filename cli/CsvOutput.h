#pragma once

#include "LineOutput.h"
#include "OutputSink.h"

#include "estimate/NumberRules.h"

// The input as a CSV column shows it: as it was given, except that what is not text is shown
// escaped and a text that a spreadsheet would take as a formula gets a ' before it.
QString csvInputColumn(const InputText::Piece& input, const QString* text,
                       const NumberRules::Separators& separators);

// One CSV row per input after a header row: the input, then the estimate's columns. The input
// is written as it was given, except that what is not text is shown escaped and a text that a
// spreadsheet would take as a formula gets a ' before it.
class CsvOutput final : public LineOutput {
public:
    CsvOutput(OutputSink& out, NumberRules::Separators separators);

    void write(const InputText::Piece& input, const QString* text,
               const BatchEstimator::Result& result, const FieldSet& fields) override;

private:
    OutputSink& out_;
    NumberRules::Separators separators_;
};
