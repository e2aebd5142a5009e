#pragma once

#include "BatchEstimator.h"

#include <cstdio>
#include <string>

// Writes each input's result: the sentence on standard output and failures on standard error,
// or one CSV row per input.
class OutputWriter {
public:
    enum class Format { Plain, Csv };

    OutputWriter(std::FILE* out, std::FILE* err, Format format);
    OutputWriter(const OutputWriter&) = delete;
    OutputWriter& operator=(const OutputWriter&) = delete;

    void write(const QString& input, const BatchEstimator::Result& result, const FieldSet& fields);
    bool finish(); // flushes; false when the output could not be written

private:
    void appendCsvField(const QString& text);
    void flushIfFull();

    std::FILE* out_;
    std::FILE* err_;
    Format format_;
    std::string buffer_;
    bool failed_ = false;
};
