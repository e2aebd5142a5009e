#pragma once

#include "dating/modes/Modes.h"

// --column with a file named, or standard input: opens the table, runs the column or workbook
// mode over it, and writes the output (standard output, or --output put in place at the end).
int runTable(const BatchOptions& options, const NumberRules::Separators& separators);
