#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QXmlStreamReader>

#include <functional>

// A part's XML read token by token and written back exactly as it was, but for the edits made
// between tokens: the bytes not edited are copied unchanged. A document type declaration (and so
// any entity declared in it) is refused, as no workbook part has one.
class XmlSplice {
public:
    explicit XmlSplice(QByteArray xml);

    // The next token, as QXmlStreamReader reads it; Invalid at the end or on a fault (error()).
    QXmlStreamReader::TokenType next();
    const QXmlStreamReader& reader() const { return reader_; }
    // The current token's place in the part (a byte offset), and its text.
    qsizetype tokenStart() const { return tokenStart_; }
    qsizetype tokenEnd() const { return tokenEnd_; }
    QString token() const;
    // How far through the text the reader is, 0 to 1.
    double progress() const;

    // The output: the part's text up to `at` copied, or passed over; then new text (XML).
    void copyTo(qsizetype at);
    void skipTo(qsizetype at);
    void insert(QStringView xml);
    void insert(QByteArrayView utf8);

    // The rest copied; the part as written (UTF-8). Empty after a fault.
    QByteArray finish();
    // Or: what is written is handed on a block at a time, and the rest at the end, so that the
    // part is never held whole; false after a fault.
    void setSink(std::function<void(QByteArrayView)> sink) { sink_ = std::move(sink); }
    bool finishIntoSink();
    // From the start again, with nothing written.
    void restart();

    QString error() const;

    // Text made safe for an element's content or an attribute's value.
    static QString escaped(QStringView text);
    static void appendEscaped(QString& out, QStringView text);

private:
    void handOn();
    void refuseEncoding(const QString& encoding);
    bool feed();
    qsizetype byteAt(qint64 character);

    QByteArray bytes_;
    QXmlStreamReader reader_;
    qsizetype tokenStart_ = 0;
    qsizetype tokenEnd_ = 0;
    // The reader counts characters (UTF-16 code units); the part's place of the last one asked.
    qint64 cursorCharacter_ = 0;
    qsizetype cursorByte_ = 0;
    qsizetype start_ = 0; // past a byte-order mark, which the reader does not count
    qsizetype fed_ = 0;   // to the reader so far
    QByteArray out_;
    std::function<void(QByteArrayView)> sink_;
    qsizetype copied_ = 0;
    QString refused_;
};
