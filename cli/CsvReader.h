#pragma once

#include "Utf8Input.h"

#include <QByteArray>
#include <QList>

#include <deque>
#include <optional>

struct csv_parser;

// Reads CSV (RFC 4180: quoted fields, doubled quotes, line breaks inside quotes, CR LF or LF)
// from standard input as UTF-8, with libcsv. Fields are kept exactly as they were read: blanks
// around them too. The delimiter is given, or found from the header row: whichever of comma,
// semicolon and TAB splits it into the most fields (comma when none does). A row longer than
// kMaxRowBytes (unless told otherwise) is not kept, and memory stays bounded whatever the input.
class CsvReader {
public:
    static constexpr qsizetype kMaxRowBytes = qsizetype(1) << 20;

    struct Row {
        QList<QByteArray> fields;
        bool tooLong = false; // then `fields` is empty
    };

    explicit CsvReader(Utf8Input& input, qsizetype maxRowBytes = kMaxRowBytes);
    ~CsvReader();
    CsvReader(const CsvReader&) = delete;
    CsvReader& operator=(const CsvReader&) = delete;

    // The first row; settles the delimiter first. False when the input holds no row.
    bool readHeader(std::optional<char> delimiter, Row& header);
    // The next row; false at the end of the input.
    bool next(Row& row);

    char delimiter() const { return delimiter_; }

private:
    static void fieldEnded(void* field, std::size_t size, void* data);
    static void rowEnded(int terminator, void* data);

    bool parseMore();
    void parse(QByteArrayView bytes);
    char findDelimiter();

    Utf8Input& input_;
    qsizetype maxRowBytes_;
    csv_parser* parser_ = nullptr;
    char delimiter_ = ',';
    QByteArray start_;      // what was read to find the delimiter
    bool ended_ = false;    // the input has ended
    bool finished_ = false; // and so has the parsing
    Row row_;               // the row being read
    qsizetype rowBytes_ = 0;
    std::deque<Row> rows_; // rows read and not yet taken
};
