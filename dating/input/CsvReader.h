#pragma once

#include "InputStream.h"

#include "dating/output/Messages.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QStringDecoder>

#include <optional>

// Reads CSV from standard input as UTF-8 (UTF-16 is converted first), one record at a time, and
// keeps each field twice: as it was written (quotes and all) and as its text. Every line of the
// input belongs to exactly one record; records are never joined.
//
// Fields follow RFC 4180 (quoted fields, doubled quotes, line breaks inside quotes, CR LF, LF or
// CR), and malformed quoting is read as spreadsheets read it, each repair noted with its line:
// text after a closing quote stays in that field; a byte-order mark inside the input is dropped;
// a quote that is never closed ends its field at the end of its line. A quote inside an unquoted
// field is text. A blank line is a record of one empty field.
//
// The delimiter is given, or found from the header record: whichever of comma, semicolon and TAB
// splits it into the most fields (comma when none does). A record longer than kMaxRowBytes
// (unless told otherwise) is not kept: its fields go to the Overflow as they are read, so memory
// stays bounded whatever the input.
class CsvReader {
public:
    static constexpr qsizetype kMaxRowBytes = qsizetype(1) << 20;

    // Where the fields of a record too long to keep go, as written, while it is read.
    class Overflow {
    public:
        virtual void fieldStarted(qsizetype index) = 0;
        virtual void bytes(QByteArrayView written) = 0;

    protected:
        ~Overflow() = default;
    };

    using Repair = CsvRepair;
    struct RepairAt {
        Repair repair;
        qsizetype line;
    };

    explicit CsvReader(InputStream& input, qsizetype maxRowBytes = kMaxRowBytes);

    void setOverflow(Overflow* overflow) { overflow_ = overflow; }
    // Reads the input in this encoding (a name QStringDecoder knows), whatever its start says.
    void setEncoding(const QString& name) { encodingName_ = name; }
    // The encoding assumed for an input that is not valid UTF-8 and has no mark: Windows-1252,
    // as spreadsheet programs save "ANSI" text; empty when none was.
    const QString& assumedEncoding() const { return assumed_; }
    // A first line "sep=X", which sets the delimiter, as it was written; empty when none.
    const QByteArray& separatorLine() const { return separatorLine_; }

    // To the first record, once the delimiter is settled (a "sep=X" line before it settles it,
    // unless it is given); false when the input holds none.
    bool readHeader(std::optional<char> delimiter);
    // To the next record; false at the end of the input.
    bool next();

    const QList<QByteArray>& fields() const { return fields_; }   // the record's texts, UTF-8
    const QList<QByteArray>& written() const { return written_; } // as written, UTF-8
    bool tooLong() const { return tooLong_; } // then it has no fields: the Overflow had them
    qsizetype overflowFields() const { return overflowFields_; } // how many it had
    bool blank() const { return blank_; }                        // an empty line
    qsizetype line() const { return recordLine_; }               // where it starts, from 1
    const QList<RepairAt>& repairs() const { return repairs_; }  // made in this record
    char delimiter() const { return delimiter_; }
    // The header splits into as many fields at another candidate: the delimiter is a guess.
    bool delimiterUndecided() const { return undecided_; }

private:
    enum class State { FieldStart, Unquoted, Quoted, QuoteInQuoted, AfterQuote, ToLineEnd };

    bool readUtf8(QByteArray& block);
    bool readMore();
    char findDelimiter();
    void readSeparatorLine();
    bool firstBlockDecoded();
    bool parseRecord();
    bool dropMark();
    void endField();
    void startOverflow(bool fieldOpen);
    void keepWritten();

    InputStream& input_;
    QByteArray raw_;       // as read, before a conversion
    bool oddByte_ = false; // an odd number of UTF-16 bytes so far
    bool started_ = false; // the first block has been read
    bool utf16_ = false;
    bool windows1252_ = false; // read here, where Qt has no codec for it
    QStringDecoder decoder_;   // from UTF-16, or another encoding than UTF-8
    QString encodingName_;
    QString assumed_;
    QByteArray separatorLine_;
    qsizetype maxRowBytes_;
    Overflow* overflow_ = nullptr;
    char delimiter_ = ',';
    bool undecided_ = false;
    bool ended_ = false; // the input has ended

    QByteArray buffer_;            // the record being read starts at recordStart_
    qsizetype pos_ = 0;            // the next byte to read
    qsizetype recordStart_ = 0;    // in buffer_
    qsizetype fieldStart_ = 0;     // of the written bytes not yet kept, in buffer_
    qsizetype unclosedQuote_ = -1; // after recordStart_: the quote that is never closed
    qsizetype dropped_ = 0;        // bytes of marks dropped from the record
    qsizetype lineNumber_ = 1;     // of pos_
    State state_ = State::FieldStart;
    bool quoted_ = false;    // the field started with a quote
    QByteArray writtenPart_; // of the field, before fieldStart_
    QByteArray text_;

    QList<QByteArray> fields_;
    QList<QByteArray> written_;
    bool tooLong_ = false;
    qsizetype overflowFields_ = 0;
    bool blank_ = false;
    bool recordDone_ = false; // its line has ended
    qsizetype recordLine_ = 1;
    QList<RepairAt> repairs_;
};
