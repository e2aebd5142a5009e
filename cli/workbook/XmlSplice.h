#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QXmlStreamReader>

// A part's XML read token by token and written back exactly as it was, but for the edits made
// between tokens: the bytes not edited are copied unchanged. A document type declaration (and so
// any entity declared in it) is refused, as no workbook part has one.
class XmlSplice {
public:
    explicit XmlSplice(const QByteArray& xml);

    // The next token, as QXmlStreamReader reads it; Invalid at the end or on a fault (error()).
    QXmlStreamReader::TokenType next();
    const QXmlStreamReader& reader() const { return reader_; }
    // The current token's place in the part's text, and its text.
    qsizetype tokenStart() const { return tokenStart_; }
    qsizetype tokenEnd() const { return tokenEnd_; }
    QStringView token() const { return QStringView(text_).sliced(tokenStart_, tokenEnd_ - tokenStart_); }
    // How far through the text the reader is, 0 to 1.
    double progress() const;

    // The output: the part's text up to `at` copied, or passed over; then new text (XML).
    void copyTo(qsizetype at);
    void skipTo(qsizetype at);
    void insert(QStringView xml);

    // The rest copied; the part as written (UTF-8). Empty after a fault.
    QByteArray finish();
    // From the start again, with nothing written.
    void restart();

    QString error() const;

    // Text made safe for an element's content or an attribute's value.
    static QString escaped(QStringView text);

private:
    void advanceBytes(qsizetype to);

    QByteArray bytes_;
    QString text_;
    QXmlStreamReader reader_;
    qsizetype tokenStart_ = 0;
    qsizetype tokenEnd_ = 0;
    QByteArray out_;
    qsizetype copied_ = 0;     // in text_
    qsizetype copiedByte_ = 0; // the same place in bytes_
    QString refused_;
};
