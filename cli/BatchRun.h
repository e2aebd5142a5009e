#pragma once

#include "BatchOptions.h"
#include "Messages.h"

#include "estimate/NumberRules.h"

// Answers every input as the options say and gives the exit status: the serials (or, with
// --built-on, the days) given, else each line of standard input, else (with a column) each row
// of the CSV on standard input.
int runBatch(const BatchOptions& options, const NumberRules::Separators& separators);
