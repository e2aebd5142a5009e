#pragma once

#include "LineOutput.h"
#include "OutputSink.h"

// A failed input's line on standard error, after what standard output holds so far, so that both
// streams read in order at a terminal: "tarnwick-estimate: INPUT: MESSAGE", the input escaped.
void reportFailure(OutputSink& out, const InputText::Piece& input, const QString& message);

// The result sentence of each calculated input on standard output; for any other input a line
// "tarnwick-estimate: INPUT: MESSAGE" on standard error, with the input escaped.
class PlainOutput final : public LineOutput {
public:
    explicit PlainOutput(OutputSink& out)
        : out_(out)
    {
    }

    void write(const InputText::Piece& input, const QString* text,
               const BatchEstimator::Result& result, const FieldSet& fields) override;

private:
    OutputSink& out_;
};
