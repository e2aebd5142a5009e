#pragma once

#include <QByteArrayView>
#include <QString>

// A spreadsheet's own file given where CSV was expected: told from the signature at its start.
namespace SpreadsheetFile {

// Bytes of the start that tell the kind of a zip file: its first entry's name and contents.
inline constexpr qsizetype kStartBytes = 128;

// True while the start could still be a spreadsheet's, so that more of it is worth reading.
bool couldBe(QByteArrayView start);

// The file's extension (".xlsx", ".ods", ".xls") when the start is a spreadsheet's; else empty.
// A zip file is an Office Open XML workbook unless its first entry is one of an OpenDocument
// package's; a whole workbook's kind is told from all its parts (workbookKind()).
QString kind(QByteArrayView start);

} // namespace SpreadsheetFile
