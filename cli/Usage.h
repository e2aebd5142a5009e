#pragma once

#include <QByteArrayView>

// The command's usage: its synopsis, and the errors in the options it is given, each said on
// standard error with the synopsis after it (exit status 2).
namespace Usage {

// The synopsis: after a usage error, and at the head of --help.
inline constexpr QByteArrayView kSynopsis =
    "usage: tarnwick-estimate [--csv] [SERIAL ...]\n"
    "       tarnwick-estimate --column NAME [--delimiter C] [--encoding NAME] < table.csv\n"
    "       tarnwick-estimate --built-on [--csv] [DATE ...]\n";

enum class Error {
    UnknownOption, // the option is named, escaped
    NoColumnName,  // --column is the last argument
    BadDelimiter,  // none, or not a delimiter
    ColumnWithSerials,
    ColumnWithBuiltOn,
    ColumnWithCsv,
    DelimiterWithoutColumn,
    BadEncoding, // none, or one not known (named, escaped)
    EncodingWithoutColumn,
    OutputWithoutColumn,
    SheetWithoutColumn,
    SeveralTables,         // --column with more than one file
    WorkbookWithoutOutput, // the workbook is named
    SheetOfCsv,            // --sheet with a CSV table
    OutputOfOtherKind,     // the output's extension names another kind than the input's
    MissingValue,          // the option (named) is the last argument
};

// The error's message, then the synopsis; gives Messages::kUsageError.
int error(Error error, QByteArrayView option = {});

} // namespace Usage
