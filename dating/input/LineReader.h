#pragma once

#include "InputStream.h"
#include "InputText.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// The inputs of the line modes, one at a time: each argument given, else each line of standard
// input, read only once there is no argument.
//
// An argument is one input, whatever it holds; a byte-order mark at its start tells its encoding.
// Standard input is split into lines in its own encoding: LF ends a line and a CR before it is
// dropped; the last line needs no ending; blank lines (spaces, TABs, VTs and FFs) are skipped.
// Lines are never joined, whatever bytes they hold. A line longer than kMaxLineBytes (unless told
// otherwise) is not kept: only its first bytes are, to name it, and memory stays bounded whatever
// the input.
class LineReader {
public:
    static constexpr qsizetype kMaxLineBytes = qsizetype(1) << 20;
    static constexpr qsizetype kNameBytes = 32; // what is kept of a line that is too long

    LineReader(const QList<QByteArray>& arguments, InputStream& input,
               qsizetype maxLineBytes = kMaxLineBytes);

    bool next(); // to the next input; false at the end

    // The input as text; none when it is not text (InputText::decode) or too long.
    const std::optional<QString>& text() const { return text_; }
    bool tooLong() const { return tooLong_; } // then bytes() is its start only
    // The input as one line for a message: escaped (InputText::escaped), "..." after a cut.
    QString shown() const;

    QByteArrayView bytes() const { return bytes_; } // valid until the next call of next()
    InputText::Encoding encoding() const { return encoding_; }

private:
    bool nextArgument();
    bool nextLine();
    bool readMore();
    qsizetype findLineEnd() const;
    void take(qsizetype length, qsizetype endingLength);

    const QList<QByteArray>& arguments_;
    qsizetype argument_ = 0; // the next one
    InputStream& input_;
    qsizetype maxLineBytes_;

    QByteArray buffer_;
    qsizetype start_ = 0;   // the first byte not yet taken
    qsizetype scanned_ = 0; // bytes after start_ known to hold no line ending
    QByteArray lineFeed_;
    QByteArray carriageReturn_;
    bool skipping_ = false; // inside a line that is too long
    QByteArray longLineStart_;

    QByteArrayView bytes_;
    InputText::Encoding encoding_ = InputText::Encoding::Utf8;
    bool tooLong_ = false;
    std::optional<QString> text_;
};
