#pragma once

#include "OutputSink.h"

#include <QByteArrayView>
#include <QString>

#include <span>
#include <string>

// Writes one CSV record (RFC 4180) to standard output: a field is quoted when it holds the
// delimiter, a quote, CR or LF, with its quotes doubled; the record ends in CR LF.
class CsvRecord {
public:
    CsvRecord(OutputSink& out, char delimiter)
        : out_(out)
        , delimiter_(delimiter)
    {
    }
    CsvRecord(const CsvRecord&) = delete;
    CsvRecord& operator=(const CsvRecord&) = delete;

    CsvRecord& field(QByteArrayView utf8);
    CsvRecord& field(const QByteArray& utf8) { return field(QByteArrayView(utf8)); }
    CsvRecord& field(QStringView text);
    CsvRecord& field(const QString& text) { return field(QStringView(text)); }
    // A field as it was written in a CSV of the same delimiter: its bytes go out as they are.
    CsvRecord& writtenField(QByteArrayView written);
    // More bytes of that field, when it comes in parts.
    CsvRecord& more(QByteArrayView written);
    // Column names, each after `prefix`.
    CsvRecord& fields(std::span<const QByteArrayView> names, QByteArrayView prefix = {});
    // Text from the input. A spreadsheet takes text that begins with =, +, -, @, TAB or CR for a
    // formula: unless it is a number, it gets a ' before it, so that it stays text.
    CsvRecord& inputField(QString text, bool isNumber);
    void end();

private:
    OutputSink& out_;
    char delimiter_;
    bool first_ = true;
    std::string ascii_;
};
