#pragma once

#include "LineOutput.h"
#include "OutputSink.h"

// The line of each answered input on standard output; for any other input a line
// "tarnwick-estimate: INPUT: MESSAGE" on standard error, with the input escaped, written after
// what standard output holds so far so that both streams read in order at a terminal.
class PlainOutput final : public LineOutput {
public:
    explicit PlainOutput(OutputSink& out)
        : out_(out)
    {
    }

    void write(const InputText::Piece& input, const QString* text,
               const LineAnswer& answer) override;

private:
    OutputSink& out_;
};
