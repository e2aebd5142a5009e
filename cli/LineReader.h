#pragma once

#include "InputStream.h"
#include "InputText.h"

#include <QByteArray>
#include <QByteArrayView>

// Splits standard input into lines in its own encoding: LF ends a line and a CR before it is
// dropped; the last line needs no ending. Lines are never joined, whatever bytes they hold. A
// line longer than kMaxLineBytes (unless told otherwise) is not kept: only its first bytes are, to
// name it, and memory stays bounded whatever the input.
class LineReader {
public:
    static constexpr qsizetype kMaxLineBytes = qsizetype(1) << 20;
    static constexpr qsizetype kNameBytes = 32; // what is kept of a line that is too long

    struct Line {
        QByteArrayView bytes; // valid until the next call
        bool tooLong = false; // then `bytes` is its start only
    };

    // Reads the start of the input, which tells its encoding.
    explicit LineReader(InputStream& input, qsizetype maxLineBytes = kMaxLineBytes);

    bool next(Line& line); // false at the end of the input
    InputText::Encoding encoding() const { return encoding_; }

private:
    bool readMore();
    qsizetype findLineEnd() const;
    QByteArrayView withoutCarriageReturn(QByteArrayView bytes) const;
    Line take(qsizetype length, qsizetype endingLength);

    InputStream& input_;
    qsizetype maxLineBytes_;
    QByteArray buffer_;
    qsizetype start_ = 0;   // the first byte not yet returned
    qsizetype scanned_ = 0; // bytes after start_ known to hold no line ending
    InputText::Encoding encoding_ = InputText::Encoding::Utf8;
    QByteArray lineFeed_;
    QByteArray carriageReturn_;
    bool skipping_ = false; // inside a line that is too long
    QByteArray longLineStart_;
};
