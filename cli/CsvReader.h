#pragma once

#include "InputStream.h"

#include <QByteArray>
#include <QList>
#include <QStringDecoder>

#include <deque>
#include <optional>

struct csv_parser;

// Reads CSV (RFC 4180: quoted fields, doubled quotes, line breaks inside quotes, CR LF or LF)
// from standard input as UTF-8, with libcsv: UTF-8 bytes are read as they are, valid or not, and
// UTF-16 (which has a byte-order mark) is converted first. Fields are kept exactly as they were
// read: blanks around them too. The delimiter is given, or found from the header row: whichever
// of comma, semicolon and TAB splits it into the most fields (comma when none does). A row longer
// than kMaxRowBytes (unless told otherwise) is not kept, and memory stays bounded whatever the
// input.
class CsvReader {
public:
    static constexpr qsizetype kMaxRowBytes = qsizetype(1) << 20;

    explicit CsvReader(InputStream& input, qsizetype maxRowBytes = kMaxRowBytes);
    ~CsvReader();
    CsvReader(const CsvReader&) = delete;
    CsvReader& operator=(const CsvReader&) = delete;

    // To the first row, once the delimiter is settled; false when the input holds no row.
    bool readHeader(std::optional<char> delimiter);
    // To the next row; false at the end of the input.
    bool next();

    const QList<QByteArray>& fields() const { return row_.fields; } // the row's, as UTF-8
    bool tooLong() const { return row_.tooLong; }                   // then it has no fields
    char delimiter() const { return delimiter_; }

private:
    struct Row {
        QList<QByteArray> fields;
        bool tooLong = false;
    };

    static void fieldEnded(void* field, std::size_t size, void* data);
    static void rowEnded(int terminator, void* data);

    bool readUtf8(QByteArray& block);
    char findDelimiter();
    void parse(QByteArrayView bytes);
    bool parseMore();

    InputStream& input_;
    QByteArray raw_;         // as read, before a conversion
    bool oddByte_ = false;   // an odd number of UTF-16 bytes so far
    QStringDecoder decoder_; // from UTF-16
    qsizetype maxRowBytes_;
    csv_parser* parser_ = nullptr;
    char delimiter_ = ',';
    QByteArray start_;      // what was read to find the delimiter
    bool ended_ = false;    // the input has ended
    bool finished_ = false; // and so has the parsing
    Row parsing_;           // the row being parsed
    qsizetype parsingBytes_ = 0;
    std::deque<Row> rows_; // rows parsed and not yet taken
    Row row_;              // the row taken
};
