#pragma once

#include <QByteArrayView>
#include <QString>

#include <string>

// Writes one CSV record (RFC 4180) into a buffer: a field is quoted when it holds the delimiter,
// a quote, CR or LF, with its quotes doubled; the record ends in CR LF.
class CsvRecord {
public:
    CsvRecord(std::string& out, char delimiter)
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
    void end() { out_ += "\r\n"; }

private:
    std::string& out_;
    char delimiter_;
    bool first_ = true;
    std::string ascii_;
};

// Whether a spreadsheet could take the text as a formula: it begins with =, +, -, @, TAB or CR.
// Unless it is a number, such text is written with a ' before it, so that it stays text.
bool startsLikeFormula(QStringView text);
