#pragma once

#include "LineOutput.h"
#include "OutputSink.h"

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
