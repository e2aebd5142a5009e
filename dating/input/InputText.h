#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// What the batch command's input bytes say as text: the byte-order mark that tells an input's
// encoding (UTF-8 when there is none), the text of a piece of input (a line, an argument, a CSV
// field), and how a piece is shown in a message. A piece is text only when it holds no NUL and
// every byte is valid in its encoding; anything else is never guessed at.
namespace InputText {

enum class Encoding { Utf8, Utf16LE, Utf16BE };

// Bytes per code unit: where line endings and NULs can be.
inline int unitSize(Encoding encoding) { return encoding == Encoding::Utf8 ? 1 : 2; }

// An ASCII character as one code unit of the encoding.
QByteArray codeUnit(char c, Encoding encoding);

struct ByteOrderMark {
    Encoding encoding = Encoding::Utf8;
    int length = 0; // bytes of the mark, 0 for none
};

// The mark at the start of the input, if any.
ByteOrderMark sniff(QByteArrayView start);
// UTF-16 without a mark, told from its zero bytes: ASCII text in UTF-16 has a zero in every
// code unit, always on the same side. Nothing when the start is not plainly so.
// The first code unit must have one zero byte; kUtf16Looked bytes are looked at.
inline constexpr qsizetype kUtf16Looked = 512;
std::optional<Encoding> utf16FromZeros(QByteArrayView start);
// True while more of the start is needed to tell UTF-16 without a mark.
bool couldBeUtf16(QByteArrayView start);
// True when the start is too short to tell: it is the beginning of a mark, not yet a whole one.
bool couldBeMarkPrefix(QByteArrayView start);

// Windows-1252, what spreadsheet programs on Windows write as "ANSI". Qt knows it by name only
// where it is built with ICU (Debian's is; the Windows build is not), so it is also read here.
bool isWindows1252(QByteArrayView encodingName);
QString fromWindows1252(QByteArrayView bytes);

// The text of a piece of input, or nothing when it is not text (a NUL, an invalid byte or
// sequence, half a code unit).
std::optional<QString> decode(QByteArrayView bytes, Encoding encoding);

// The piece as one line that shows no control character and no invalid byte: those are written
// as \xNN (bytes and characters below U+0080), \uXXXX or \UXXXXXXXX, and a backslash as \\.
QString escaped(QByteArrayView bytes, Encoding encoding);

} // namespace InputText
