#pragma once

#include "CsvRecord.h"
#include "InputText.h"

#include <QString>

#include <functional>

// What one input of the line modes gave, as either output writes it.
struct LineAnswer {
    bool answered = false;
    QString text;                            // the line to show when answered, else why not
    std::function<void(CsvRecord&)> columns; // its CSV columns after the input's own
};

// Writes the answer to one input of the line modes (arguments or lines of standard input).
class LineOutput {
public:
    virtual ~LineOutput() = default;

    // `text` is the input as text, or null when it is not text or was cut.
    virtual void write(const InputText::Piece& input, const QString* text,
                       const LineAnswer& answer) = 0;
};
