#pragma once

#include "LineOutput.h"
#include "OutputSink.h"

#include "estimate/NumberRules.h"

#include <QByteArrayView>

#include <span>

// One CSV row per input after a header row: the input, then the answer's columns. The input is
// written as it was given, except that what is not text is shown escaped and a text that a
// spreadsheet would take as a formula gets a ' before it.
class CsvOutput final : public LineOutput {
public:
    // `columns` names the answer's columns.
    CsvOutput(OutputSink& out, NumberRules::Separators separators,
              std::span<const QByteArrayView> columns);

    void write(const InputText::Piece& input, const QString* text,
               const LineAnswer& answer) override;

private:
    OutputSink& out_;
    NumberRules::Separators separators_;
};
