#pragma once

#include "dating/modes/Modes.h"

#include <QString>

#include <optional>

class RegisterPortrait;

// --column with a file named, or standard input: opens the table, runs the column or workbook
// mode over it (telling each row to `progress`, when given), and writes the output (standard
// output, or --output put in place at the end). `dated` says whether the table was read and
// dated to its end and the whole output written.
struct TableRun {
    int status;
    bool dated;
};
TableRun runTable(const BatchOptions& options, const NumberRules::Separators& separators,
                  TableProgress* progress);

// The portrait's files, once the table is dated: the picture (.svg) and the months (.csv), each
// written beside its place and put there at the end. Gives `status`, or what a failed write
// makes of it.
int writePortrait(RegisterPortrait& portrait, const std::optional<QString>& svg,
                  const std::optional<QString>& csv, int status);
