// Fuzzes the batch command's input path: decoding, line reading and CSV reading, with small reads
// and small limits so that block edges and long lines come up often.
//
// Input: byte 0 picks the mode (bit 0: lines or CSV; bit 1: CSV built from the bytes, or the bytes
// themselves; bits 2-3: the CSV delimiter, or none to find it from the header; bits 4-5: UTF-8,
// UTF-16 LE or BE for a built CSV); byte 1 the largest read (1-16 bytes); byte 2 the longest line
// or row (1-64 bytes); the rest is the input, or the table to build.
//
// Lines must come out as a plain split of the input gives them, one for one, never joined: LF
// ends a line in the input's encoding, a CR before it is dropped, a line over the limit comes out
// cut and marked, a blank line is skipped. A line is text exactly when it holds no NUL and is valid
// in its encoding; its escaped form holds no control character. A built CSV must read back as the
// rows it was built from, each field written back as it was written (a row over the limit in
// parts), nothing said repaired; any bytes must read as records that, joined, give back the input.
#include "dating/ByteStreams.h"
#include "dating/input/CsvReader.h"
#include "dating/input/InputStream.h"
#include "dating/input/InputText.h"
#include "dating/input/LineReader.h"
#include "dating/input/SpreadsheetFile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace {

[[noreturn]] void fail(const char* what, const QByteArray& data)
{
    std::fprintf(stderr, "fuzz_input: %s\n  at \"%s\"\n", what,
                 data.left(200).toPercentEncoding(" ").constData());
    std::abort();
}

// The input as a file to read from, read as the command reads a file.
class FileHolding : public ByteSource {
public:
    explicit FileHolding(const QByteArray& data)
        : fd_(memfd_create("input", 0))
    {
        if (fd_ < 0 || write(fd_, data.constData(), std::size_t(data.size())) != data.size() ||
            lseek(fd_, 0, SEEK_SET) != 0)
            std::abort();
    }
    ~FileHolding() override { close(fd_); }
    qsizetype read(char* into, qsizetype capacity, int& error) override
    {
        const ssize_t n = ::read(fd_, into, std::size_t(capacity));
        if (n < 0)
            error = errno;
        return n;
    }

private:
    int fd_;
};

// --- Lines --------------------------------------------------------------------------------

struct Split {
    InputText::Encoding encoding = InputText::Encoding::Utf8;
    QList<QByteArray> lines;
};

Split plainSplit(QByteArray data)
{
    Split split;
    int unit = 1;
    QByteArray lf("\n"), cr("\r");
    if (data.startsWith("\xEF\xBB\xBF")) {
        data.remove(0, 3);
    } else if (data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF")) {
        const bool little = data.startsWith("\xFF\xFE");
        split.encoding = little ? InputText::Encoding::Utf16LE : InputText::Encoding::Utf16BE;
        unit = 2;
        lf = little ? QByteArray("\n\0", 2) : QByteArray("\0\n", 2);
        cr = little ? QByteArray("\r\0", 2) : QByteArray("\0\r", 2);
        data.remove(0, 2);
    } else if (const auto utf16 = InputText::utf16FromZeros(data)) {
        // Which inputs count as UTF-16 without a mark is the reader's rule; the split is checked.
        const bool little = *utf16 == InputText::Encoding::Utf16LE;
        split.encoding = *utf16;
        unit = 2;
        lf = little ? QByteArray("\n\0", 2) : QByteArray("\0\n", 2);
        cr = little ? QByteArray("\r\0", 2) : QByteArray("\0\r", 2);
    }
    QByteArray line;
    for (qsizetype i = 0; i < data.size(); i += unit) {
        const QByteArray u = data.mid(i, unit);
        if (u == lf) {
            split.lines << line;
            line.clear();
        } else {
            line += u;
        }
    }
    if (!line.isEmpty())
        split.lines << line;
    for (QByteArray& l : split.lines) {
        if (l.endsWith(cr))
            l.chop(unit);
    }
    return split;
}

QString utf16Units(const QByteArray& line, InputText::Encoding encoding)
{
    QString text;
    for (qsizetype i = 0; i + 1 < line.size(); i += 2) {
        const auto b0 = static_cast<unsigned char>(line[i]);
        const auto b1 = static_cast<unsigned char>(line[i + 1]);
        text += QChar(encoding == InputText::Encoding::Utf16LE ? b0 | b1 << 8 : b1 | b0 << 8);
    }
    return text;
}

bool isText(const QByteArray& line, InputText::Encoding encoding)
{
    if (encoding == InputText::Encoding::Utf8) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom |
                                                         QStringDecoder::Flag::Stateless);
        const QString text = decoder(line);
        return !line.contains('\0') && !decoder.hasError();
    }
    if (line.size() % 2 != 0)
        return false;
    const QString text = utf16Units(line, encoding);
    return !text.contains(QChar(0)) && QStringView(text).isValidUtf16();
}

// A line of text that holds only spaces, TABs, VTs and FFs once a byte-order mark at its start is
// dropped (as decoding a line drops it).
bool isBlank(const QByteArray& line, InputText::Encoding encoding)
{
    QString text;
    if (encoding == InputText::Encoding::Utf8) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        text = decoder(line);
    } else {
        text = utf16Units(line, encoding);
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return std::ranges::all_of(
        text, [](QChar c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; });
}

void checkEscaped(const QString& shown, const QByteArray& line)
{
    for (const QChar c : shown) {
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0) ||
            c.category() == QChar::Other_Format)
            fail("an escaped line shows a control character", line);
    }
}

void fuzzLines(const QByteArray& data, qsizetype largestRead, qsizetype limit)
{
    Split expected = plainSplit(data);
    if (!SpreadsheetFile::kind(data).isEmpty())
        expected.lines.clear(); // a spreadsheet's file is not read
    expected.lines.removeIf([&](const QByteArray& line) {
        return line.size() <= limit && isText(line, expected.encoding) &&
               isBlank(line, expected.encoding);
    });
    FileHolding file(data);
    InputStream input(file);
    input.setLargestRead(largestRead);
    const QList<QByteArray> noArguments;
    LineReader reader(noArguments, input, limit);
    qsizetype n = 0;
    while (reader.next()) {
        if (n >= expected.lines.size())
            fail("more lines than the input has", data);
        const QByteArray& want = expected.lines[n++];
        if (reader.encoding() != expected.encoding)
            fail("the encoding is not the mark's", data);
        if (reader.tooLong() != (want.size() > limit))
            fail("a line is cut, or not, against the limit", want);
        if (reader.tooLong() ? !want.startsWith(reader.bytes()) || reader.bytes().isEmpty()
                             : reader.bytes() != want)
            fail("a line is not the input's", want);
        if (reader.tooLong())
            continue;
        if (reader.text().has_value() != isText(want, expected.encoding))
            fail("a line is text, or not, against its bytes", want);
        checkEscaped(reader.shown(), want);
    }
    if (n != expected.lines.size())
        fail("fewer lines than the input has", data);
    if (input.error() != 0)
        fail("a read error", data);
}

// --- CSV ------------------------------------------------------------------------------------

using Table = QList<QList<QByteArray>>;

// Fields from the bytes: each byte one character of a small alphabet, with separators.
Table tableFrom(QByteArrayView bytes, bool plainHeader)
{
    static const char* const kAlphabet[] = {"a",  "1",  " ",  ",",        ";", "\t",
                                            "\"", "\r", "\n", "\xC3\xA9", "x", "'"};
    Table table{{}};
    QByteArray field;
    for (const char b : bytes) {
        const auto c = static_cast<unsigned char>(b);
        if (c >= 0xF0) { // end of field and row
            table.back() << field;
            field.clear();
            table.append(QList<QByteArray>());
        } else if (c >= 0xD0) { // end of field
            table.back() << field;
            field.clear();
        } else {
            const bool header = table.size() == 1;
            const char* character = kAlphabet[c % (sizeof kAlphabet / sizeof *kAlphabet)];
            if (header && plainHeader && QByteArrayView(",;\t\"\r\n ").contains(character[0]))
                character = "h";
            field += character;
        }
    }
    table.back() << field;
    return table;
}

// The CSV of a table, and each field as it is written there.
QByteArray csvOf(const Table& table, char delimiter, unsigned flags, Table* written)
{
    QByteArray csv;
    written->clear();
    for (qsizetype r = 0; r < table.size(); ++r) {
        const QList<QByteArray>& row = table[r];
        written->append(QList<QByteArray>());
        for (qsizetype f = 0; f < row.size(); ++f) {
            const QByteArray& field = row[f];
            const bool needsQuotes = field.contains(delimiter) || field.contains('"') ||
                                     field.contains('\r') || field.contains('\n') ||
                                     (row.size() == 1 && field.isEmpty());
            if (f > 0)
                csv += delimiter;
            const QByteArray form = needsQuotes || (flags >> (f % 8)) & 1
                                        ? '"' + QByteArray(field).replace("\"", "\"\"") + '"'
                                        : field;
            csv += form;
            written->back() << form;
        }
        if (r + 1 < table.size() || flags & 0x100)
            csv += (flags >> (r % 8)) & 2 ? "\r\n" : "\n";
    }
    return csv;
}

qsizetype rowBytes(const QList<QByteArray>& row)
{
    qsizetype n = row.size() - 1;
    for (const QByteArray& field : row)
        n += field.size();
    return n;
}

// A row too long to keep, as the reader hands it over in parts.
struct Parts final : CsvReader::Overflow {
    QList<QByteArray> fields;
    void fieldStarted(qsizetype index) override
    {
        if (index != fields.size())
            std::abort();
        fields << QByteArray();
    }
    void bytes(QByteArrayView written) override { fields.back() += written; }
};

struct Read {
    Table fields;  // empty for a row too long to keep
    Table written; // as written, from the parts for a row too long to keep
    QList<bool> tooLong;
    QList<int> repairs;
    char delimiter = 0;
};

Read readAll(const QByteArray& data, std::optional<char> delimiter, qsizetype largestRead,
             qsizetype limit)
{
    FileHolding file(data);
    InputStream input(file);
    input.setLargestRead(largestRead);
    CsvReader reader(input, limit);
    Parts parts;
    reader.setOverflow(&parts);
    Read read;
    if (reader.readHeader(delimiter)) {
        read.delimiter = reader.delimiter();
        do {
            read.fields << reader.fields();
            read.written << (reader.tooLong() ? parts.fields : reader.written());
            read.tooLong << reader.tooLong();
            read.repairs << int(reader.repairs().size());
            if (reader.tooLong() != (rowBytes(read.written.back()) > limit))
                fail("a row is marked too long, or not, against the limit", data);
            if (reader.tooLong() && (!reader.fields().isEmpty() || parts.fields.isEmpty()))
                fail("a row too long keeps fields, or has no parts", data);
            if (!reader.tooLong() && reader.fields().size() != reader.written().size())
                fail("a row's texts and written fields differ in number", data);
            parts.fields.clear();
        } while (reader.next());
    }
    return read;
}

QByteArray encoded(const QByteArray& utf8, unsigned encoding)
{
    if (encoding == 0)
        return utf8;
    const bool little = encoding == 1;
    QStringEncoder encoder(little ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE);
    const QByteArray mark = little ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    return mark + QByteArray(encoder(QString::fromUtf8(utf8)));
}

// Any bytes: the records, each its fields as written joined by the delimiter, then a line's end,
// must give back the whole input: nothing lost, nothing joined, nothing moved. A byte-order mark
// inside the input is dropped, so such inputs are left out.
void checkAnyBytes(const QByteArray& data, const Read& read)
{
    // Not UTF-8 (converted, Windows-1252 assumed), or a spreadsheet's file (not read).
    if (data.contains("\xEF\xBB\xBF") || data.startsWith("\xFE\xFF") ||
        data.startsWith("\xFF\xFE") || InputText::utf16FromZeros(data) || !data.isValidUtf8() ||
        !SpreadsheetFile::kind(data).isEmpty())
        return;
    qsizetype at = 0;
    for (qsizetype r = 0; r < read.written.size(); ++r) {
        const QByteArray record = read.written[r].join(read.delimiter);
        if (!QByteArrayView(data).sliced(at).startsWith(record))
            fail("a record is not the input's bytes", data);
        at += record.size();
        if (at < data.size() && data[at] == '\r')
            ++at;
        else if (at < data.size() && data[at] == '\n')
            ++at;
        else if (r + 1 < read.written.size())
            fail("a record does not end at a line's end", data);
        if (at < data.size() && data[at] == '\n' && data[at - 1] == '\r')
            ++at;
    }
    if (at != data.size())
        fail("the records do not hold the whole input", data);
}

void fuzzCsv(const QByteArray& data, unsigned mode, qsizetype largestRead, qsizetype limit)
{
    static constexpr char kDelimiters[] = {0, ',', ';', '\t'};
    const char given = kDelimiters[(mode >> 2) & 3];
    const std::optional<char> delimiter = given ? std::optional(given) : std::nullopt;
    if (!(mode & 2)) {
        checkAnyBytes(data, readAll(data, delimiter, largestRead, limit));
        return;
    }
    const unsigned flags = data.isEmpty() ? 0 : static_cast<unsigned char>(data[0]) << 1;
    const Table table =
        tableFrom(QByteArrayView(data).sliced(std::min<qsizetype>(1, data.size())), !delimiter);
    // Without a delimiter given, one is found only from a header row of several fields; else
    // comma is taken, and a plain header holds none of the candidates.
    Table written;
    csvOf(table, ',', flags, &written);
    const bool findable = table[0].size() > 1 && rowBytes(written[0]) <= limit;
    const char used = delimiter ? *delimiter : findable ? kDelimiters[1 + flags % 3] : ',';
    const QByteArray csv = encoded(csvOf(table, used, flags, &written), (mode >> 4) % 3);
    const Read read = readAll(csv, delimiter, largestRead, limit);
    if (read.written.size() != table.size())
        fail("a built CSV reads back as another number of rows", csv);
    if (!delimiter && read.delimiter != used)
        fail("the delimiter found is not the header's", csv);
    for (qsizetype r = 0; r < table.size(); ++r) {
        if (read.written[r] != written[r])
            fail("a row's fields are not written back as they were written", csv);
        if (!read.tooLong[r] && read.fields[r] != table[r])
            fail("a row's texts read back changed", csv);
        if (read.repairs[r] != 0)
            fail("a well-formed row is said to be repaired", csv);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    if (size < 3)
        return 0;
    const unsigned mode = bytes[0];
    const qsizetype largestRead = 1 + bytes[1] % 16;
    const qsizetype limit = 1 + bytes[2] % 64;
    const QByteArray data(reinterpret_cast<const char*>(bytes + 3), qsizetype(size - 3));
    if (mode & 1)
        fuzzCsv(data, mode, largestRead, limit);
    else
        fuzzLines(data, largestRead, limit);
    return 0;
}
