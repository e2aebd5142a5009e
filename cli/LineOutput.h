#pragma once

#include "BatchEstimator.h"
#include "InputText.h"

// Writes the answer to one input of the line modes (arguments or lines of standard input).
class LineOutput {
public:
    virtual ~LineOutput() = default;

    // `text` is the input as text, or null when it is not text or was cut.
    virtual void write(const InputText::Piece& input, const QString* text,
                       const BatchEstimator::Result& result, const FieldSet& fields) = 0;
};
