#pragma once

#include "DaySerials.h"
#include "InputText.h"
#include "OutputSink.h"

#include "estimate/NumberRules.h"

// Writes --built-on's answer to one input: the line of each day answered on standard output and
// a message on standard error for any other input, or one CSV row per input after a header row.
class BuiltOnWriter {
public:
    virtual ~BuiltOnWriter() = default;
    // `text` is the input as text, or null when it is not text or was cut.
    virtual void write(const InputText::Piece& input, const QString* text,
                       const BuiltOnAnswer& answer) = 0;
};

class BuiltOnPlainWriter final : public BuiltOnWriter {
public:
    explicit BuiltOnPlainWriter(OutputSink& out)
        : out_(out)
    {
    }
    void write(const InputText::Piece& input, const QString* text,
               const BuiltOnAnswer& answer) override;

private:
    OutputSink& out_;
};

class BuiltOnCsvWriter final : public BuiltOnWriter {
public:
    BuiltOnCsvWriter(OutputSink& out, NumberRules::Separators separators);
    void write(const InputText::Piece& input, const QString* text,
               const BuiltOnAnswer& answer) override;

private:
    OutputSink& out_;
    NumberRules::Separators separators_;
};
