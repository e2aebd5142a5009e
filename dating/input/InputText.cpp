#include "InputText.h"

#include <QList>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstring>

namespace InputText {

namespace {

struct Mark {
    QByteArrayView bytes;
    Encoding encoding;
};

const std::array kMarks{Mark{"\xEF\xBB\xBF", Encoding::Utf8}, Mark{"\xFF\xFE", Encoding::Utf16LE},
                        Mark{"\xFE\xFF", Encoding::Utf16BE}};

QStringDecoder::Encoding qtEncoding(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf16LE:
        return QStringDecoder::Utf16LE;
    case Encoding::Utf16BE:
        return QStringDecoder::Utf16BE;
    case Encoding::Utf8:
        break;
    }
    return QStringDecoder::Utf8;
}

// Each piece is decoded on its own; a mark at its start is dropped, as QString::fromUtf8 does.
constexpr auto kLineFlags = QStringDecoder::Flag::Stateless;

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Characters that could move the cursor, change the terminal or hide text: C0 and C1 controls,
// DEL, format characters (bidirectional overrides among them), line and paragraph separators.
bool needsEscape(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return c == U'\\';
    }
}

void appendHex(QString& out, const char* prefix, unsigned value, int digits)
{
    out += QLatin1StringView(prefix);
    out += QString::number(value, 16).toUpper().rightJustified(digits, u'0');
}

void appendCharacter(QString& out, char32_t c)
{
    if (c == U'\\')
        out += QStringLiteral("\\\\");
    else if (!needsEscape(c))
        out += QString::fromUcs4(&c, 1);
    else if (c < 0x80)
        appendHex(out, "\\x", c, 2);
    else if (c <= 0xFFFF)
        appendHex(out, "\\u", c, 4);
    else
        appendHex(out, "\\U", c, 8);
}

QString escapedUtf8(QByteArrayView bytes)
{
    QString out;
    qsizetype i = 0;
    while (i < bytes.size()) {
        // The shortest valid piece from here is one whole character; none means a bad byte.
        qsizetype length = 1;
        while (length <= 4 && i + length <= bytes.size() && !bytes.sliced(i, length).isValidUtf8())
            ++length;
        if (length > 4 || i + length > bytes.size()) {
            appendHex(out, "\\x", static_cast<unsigned char>(bytes[i]), 2);
            ++i;
            continue;
        }
        // A byte-order mark is a character here: it is shown, not taken away.
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        const QString character = decoder(bytes.sliced(i, length));
        appendCharacter(out, character.toUcs4().value(0));
        i += length;
    }
    return out;
}

QString escapedUtf16(QByteArrayView bytes, Encoding encoding)
{
    const qsizetype whole = bytes.size() & ~qsizetype(1);
    QStringDecoder decoder(qtEncoding(encoding), kLineFlags);
    const QString text = decoder(bytes.first(whole));
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            appendCharacter(out, QChar::surrogateToUcs4(c, text[i + 1]));
            ++i;
        } else {
            appendCharacter(out, c.unicode()); // a lone surrogate is escaped
        }
    }
    if (whole < bytes.size())
        appendHex(out, "\\x", static_cast<unsigned char>(bytes.back()), 2);
    return out;
}

} // namespace

QByteArray codeUnit(char c, Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf16LE: {
        const char unit[] = {c, '\0'};
        return {unit, 2};
    }
    case Encoding::Utf16BE: {
        const char unit[] = {'\0', c};
        return {unit, 2};
    }
    case Encoding::Utf8:
        break;
    }
    return {1, c};
}

ByteOrderMark sniff(QByteArrayView start)
{
    for (const Mark& mark : kMarks) {
        if (start.startsWith(mark.bytes))
            return {mark.encoding, static_cast<int>(mark.bytes.size())};
    }
    return {};
}

std::optional<Encoding> utf16FromZeros(QByteArrayView start)
{
    const qsizetype units = std::min(start.size(), kUtf16Looked) / 2;
    if (units < 2 || (start[0] == '\0') == (start[1] == '\0'))
        return std::nullopt;
    qsizetype zeroLow = 0;  // the first byte of the unit is zero
    qsizetype zeroHigh = 0; // the second
    for (qsizetype i = 0; i < units; ++i) {
        zeroLow += start[2 * i] == '\0' ? 1 : 0;
        zeroHigh += start[2 * i + 1] == '\0' ? 1 : 0;
    }
    // Nearly every unit has its zero on one side, and none on the other.
    if (zeroHigh * 10 >= units * 9 && zeroLow == 0)
        return Encoding::Utf16LE;
    if (zeroLow * 10 >= units * 9 && zeroHigh == 0)
        return Encoding::Utf16BE;
    return std::nullopt;
}

bool couldBeUtf16(QByteArrayView start)
{
    return start.size() < 2 ||
           ((start[0] == '\0') != (start[1] == '\0') && start.size() < kUtf16Looked);
}

bool couldBeMarkPrefix(QByteArrayView start)
{
    return std::any_of(kMarks.begin(), kMarks.end(), [start](const Mark& mark) {
        return start.size() < mark.bytes.size() && mark.bytes.startsWith(start);
    });
}

bool isWindows1252(QByteArrayView encodingName)
{
    return encodingName.compare("windows-1252", Qt::CaseInsensitive) == 0 ||
           encodingName.compare("cp1252", Qt::CaseInsensitive) == 0;
}

QString fromWindows1252(QByteArrayView bytes)
{
    // 0x80 to 0x9F; the rest is Latin-1. The five bytes the code page leaves unassigned stand for
    // the C1 controls of the same value, as browsers and Qt's ICU codec read them.
    static constexpr std::array<char16_t, 32> kHigh = {
        u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
        u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
        u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
        u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178'};
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        text[i] = (byte >= 0x80 && byte < 0xA0) ? QChar(kHigh[byte - 0x80]) : QChar(char16_t(byte));
    }
    return text;
}

std::optional<QString> decode(QByteArrayView bytes, Encoding encoding)
{
    if (bytes.isEmpty())
        return QString();
    if (encoding == Encoding::Utf8) {
        if (std::memchr(bytes.data(), 0, static_cast<std::size_t>(bytes.size())))
            return std::nullopt;
        if (isAscii(bytes))
            return QString::fromLatin1(bytes);
        if (!bytes.isValidUtf8())
            return std::nullopt;
        return QString::fromUtf8(bytes);
    }
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    QStringDecoder decoder(qtEncoding(encoding), kLineFlags);
    QString text = decoder(bytes);
    if (decoder.hasError() || !QStringView(text).isValidUtf16() || text.contains(QChar(0)))
        return std::nullopt;
    return text;
}

QString escaped(QByteArrayView bytes, Encoding encoding)
{
    return encoding == Encoding::Utf8 ? escapedUtf8(bytes) : escapedUtf16(bytes, encoding);
}

} // namespace InputText
