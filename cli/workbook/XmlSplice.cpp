#include "XmlSplice.h"

#include <QStringDecoder>

XmlSplice::XmlSplice(const QByteArray& xml)
    : bytes_(xml)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    text_ = decoder(bytes_);
    if (decoder.hasError()) {
        refused_ = QStringLiteral("its XML is not UTF-8");
        text_.clear();
    }
    restart();
}

void XmlSplice::restart()
{
    reader_.clear();
    reader_.addData(text_);
    reader_.setNamespaceProcessing(true);
    tokenStart_ = tokenEnd_ = 0;
    out_.clear();
    copied_ = copiedByte_ = 0;
}

QXmlStreamReader::TokenType XmlSplice::next()
{
    if (!refused_.isEmpty())
        return QXmlStreamReader::Invalid;
    tokenStart_ = tokenEnd_;
    const QXmlStreamReader::TokenType type = reader_.readNext();
    if (type == QXmlStreamReader::DTD) {
        refused_ = QStringLiteral("its XML declares a document type, which no workbook does");
        return QXmlStreamReader::Invalid;
    }
    // The reader does not count a byte-order mark.
    const qsizetype mark = text_.startsWith(QChar(0xFEFF)) ? 1 : 0;
    tokenEnd_ = qsizetype(reader_.characterOffset()) + mark;
    // Text is known to end only when the next markup has begun: its '<' is not the text's.
    if (type == QXmlStreamReader::Characters && tokenEnd_ > tokenStart_ &&
        text_[tokenEnd_ - 1] == u'<' && !reader_.isCDATA())
        --tokenEnd_;
    return type;
}

double XmlSplice::progress() const
{
    return text_.isEmpty() ? 1.0 : double(tokenEnd_) / double(text_.size());
}

void XmlSplice::advanceBytes(qsizetype to)
{
    // The UTF-8 length of the text passed, so that the bytes copied are the part's own.
    for (qsizetype i = copied_; i < to; ++i) {
        const char16_t c = text_[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < to) {
            copiedByte_ += 4;
            ++i;
        } else {
            copiedByte_ += c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        }
    }
    copied_ = to;
}

void XmlSplice::copyTo(qsizetype at)
{
    if (at <= copied_)
        return;
    const qsizetype from = copiedByte_;
    advanceBytes(at);
    out_.append(QByteArrayView(bytes_).sliced(from, copiedByte_ - from));
}

void XmlSplice::skipTo(qsizetype at)
{
    if (at > copied_)
        advanceBytes(at);
}

void XmlSplice::insert(QStringView xml) { out_.append(xml.toUtf8()); }

QByteArray XmlSplice::finish()
{
    if (!refused_.isEmpty() || reader_.hasError())
        return {};
    copyTo(text_.size());
    return std::move(out_);
}

QString XmlSplice::error() const
{
    if (!refused_.isEmpty())
        return refused_;
    if (reader_.hasError())
        return QStringLiteral("its XML is malformed at line %1: %2")
            .arg(reader_.lineNumber())
            .arg(reader_.errorString());
    return {};
}

QString XmlSplice::escaped(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'<': out += QLatin1String("&lt;"); break;
        case u'>': out += QLatin1String("&gt;"); break;
        case u'&': out += QLatin1String("&amp;"); break;
        case u'"': out += QLatin1String("&quot;"); break;
        case u'\n': out += QLatin1String("&#10;"); break;
        case u'\r': out += QLatin1String("&#13;"); break;
        case u'\t': out += QLatin1String("&#9;"); break;
        default:
            if (c.unicode() >= 0x20 && c.unicode() != 0xFFFE && c.unicode() != 0xFFFF)
                out += c; // the control characters XML 1.0 does not allow are left out
        }
    }
    return out;
}
