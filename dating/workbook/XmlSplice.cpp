#include "XmlSplice.h"

#include <QRegularExpression>

#include <algorithm>

XmlSplice::XmlSplice(QByteArray xml)
    : bytes_(std::move(xml))
{
    if (!QByteArrayView(bytes_).isValidUtf8())
        refused_ = QStringLiteral("its XML is not UTF-8");
    start_ = bytes_.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    // The part is read and written as UTF-8: one that declares another encoding is refused. The
    // declaration is read here, not by the reader, which fails on encodings its build lacks.
    static const QRegularExpression declaration(
        QStringLiteral(R"(^<\?xml\s[^?>]*\bencoding\s*=\s*["']([^"']{0,40}))"));
    const QString encoding =
        declaration
            .match(QString::fromUtf8(QByteArrayView(bytes_).sliced(start_).first(
                std::min<qsizetype>(200, bytes_.size() - start_))))
            .captured(1);
    if (refused_.isEmpty())
        refuseEncoding(encoding);
    restart();
}

void XmlSplice::refuseEncoding(const QString& encoding)
{
    if (!encoding.isEmpty() && encoding.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) != 0)
        refused_ = QStringLiteral("its XML is declared as %1, not UTF-8").arg(encoding.left(40));
}

void XmlSplice::restart()
{
    reader_.clear();
    reader_.setNamespaceProcessing(true);
    fed_ = 0;
    feed();
    tokenStart_ = tokenEnd_ = 0;
    cursorCharacter_ = 0;
    cursorByte_ = start_;
    out_.clear();
    copied_ = 0;
}

// The byte where the reader's character offset is: the cursor moves on, a UTF-8 sequence at a
// time, as the reader does (a sequence of four bytes is two UTF-16 code units).
qsizetype XmlSplice::byteAt(qint64 character)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes_.constData());
    while (cursorCharacter_ < character && cursorByte_ < bytes_.size()) {
        const unsigned char lead = data[cursorByte_];
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        cursorByte_ += length;
        cursorCharacter_ += length == 4 ? 2 : 1;
    }
    return std::min(cursorByte_, bytes_.size());
}

// The reader decodes whatever it is given at once: it is given the part a block at a time, so
// that a large part is never held decoded.
bool XmlSplice::feed()
{
    constexpr qsizetype kBlock = qsizetype(1) << 16;
    if (fed_ >= bytes_.size())
        return false;
    const qsizetype n = std::min(kBlock, bytes_.size() - fed_);
    reader_.addData(QByteArrayView(bytes_).sliced(fed_, n).toByteArray());
    fed_ += n;
    return true;
}

QXmlStreamReader::TokenType XmlSplice::next()
{
    if (!refused_.isEmpty())
        return QXmlStreamReader::Invalid;
    tokenStart_ = tokenEnd_;
    QXmlStreamReader::TokenType type = reader_.readNext();
    // One token is held whole by the reader: a run of text or markup longer than any a workbook
    // writes (megabytes of blanks, say) is refused before it takes the memory it claims.
    constexpr qsizetype kLongestToken = qsizetype(32) << 20;
    while (type == QXmlStreamReader::Invalid &&
           reader_.error() == QXmlStreamReader::PrematureEndOfDocumentError && feed()) {
        if (fed_ - tokenStart_ > kLongestToken) {
            refused_ = QStringLiteral("its XML has a run of text or markup over %1 MiB")
                           .arg(kLongestToken >> 20);
            return QXmlStreamReader::Invalid;
        }
        type = reader_.readNext();
    }
    if (type == QXmlStreamReader::DTD) {
        refused_ = QStringLiteral("its XML declares a document type, which no workbook does");
        return QXmlStreamReader::Invalid;
    }
    // A part in UTF-16 passes the UTF-8 check (its ASCII is valid UTF-8) and is told by the reader.
    if (type == QXmlStreamReader::StartDocument) {
        refuseEncoding(reader_.documentEncoding().toString());
        if (!refused_.isEmpty())
            return QXmlStreamReader::Invalid;
    }
    tokenEnd_ = byteAt(reader_.characterOffset());
    // Text is known to end only when the next markup has begun: its '<' is not the text's.
    if (type == QXmlStreamReader::Characters && tokenEnd_ > tokenStart_ &&
        bytes_.at(tokenEnd_ - 1) == '<' && !reader_.isCDATA())
        --tokenEnd_;
    return type;
}

QString XmlSplice::token() const
{
    return QString::fromUtf8(QByteArrayView(bytes_).sliced(tokenStart_, tokenEnd_ - tokenStart_));
}

double XmlSplice::progress() const
{
    return bytes_.isEmpty() ? 1.0 : double(tokenEnd_) / double(bytes_.size());
}

void XmlSplice::copyTo(qsizetype at)
{
    if (at <= copied_)
        return;
    out_.append(QByteArrayView(bytes_).sliced(copied_, at - copied_));
    copied_ = at;
    handOn();
}

void XmlSplice::handOn()
{
    constexpr qsizetype kBlock = qsizetype(1) << 20;
    if (sink_ && out_.size() >= kBlock) {
        sink_(out_);
        out_.resize(0); // keeps its capacity
    }
}

bool XmlSplice::finishIntoSink()
{
    if (!refused_.isEmpty() || reader_.hasError())
        return false;
    copyTo(bytes_.size());
    sink_(out_);
    out_.clear();
    return true;
}

void XmlSplice::skipTo(qsizetype at) { copied_ = std::max(copied_, at); }

void XmlSplice::insert(QStringView xml) { insert(QByteArrayView(xml.toUtf8())); }

void XmlSplice::insert(QByteArrayView utf8)
{
    out_.append(utf8);
    handOn();
}

QByteArray XmlSplice::finish()
{
    if (!refused_.isEmpty() || reader_.hasError())
        return {};
    copyTo(bytes_.size());
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
    appendEscaped(out, text);
    return out;
}

void XmlSplice::appendEscaped(QString& out, QStringView text)
{
    const auto plain = [](QChar c) {
        return c.unicode() >= 0x20 && c != u'<' && c != u'>' && c != u'&' && c != u'"' &&
               c.unicode() != 0xFFFE && c.unicode() != 0xFFFF;
    };
    if (std::all_of(text.begin(), text.end(), plain)) {
        out.append(text); // most text: nothing to escape
        return;
    }
    out.reserve(out.size() + text.size() + 16);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'<':
            out += QLatin1String("&lt;");
            break;
        case u'>':
            out += QLatin1String("&gt;");
            break;
        case u'&':
            out += QLatin1String("&amp;");
            break;
        case u'"':
            out += QLatin1String("&quot;");
            break;
        case u'\n':
            out += QLatin1String("&#10;");
            break;
        case u'\r':
            out += QLatin1String("&#13;");
            break;
        case u'\t':
            out += QLatin1String("&#9;");
            break;
        default:
            if (plain(c))
                out += c; // the control characters XML 1.0 does not allow are left out
        }
    }
}
