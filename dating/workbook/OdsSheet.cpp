// An OpenDocument spreadsheet's table, read from content.xml token by token and written back with
// the estimate's cells in its rows. LibreOffice and Gnumeric both write a sheet as rows and cells
// that may each stand for many (number-rows-repeated, number-columns-repeated): a run of empty
// rows or columns to the sheet's edge is one element, and is read as one.
#include "OdsSheet.h"

#include <QXmlStreamReader>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QLatin1StringView kOffice("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
constexpr QLatin1StringView kTable("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
constexpr QLatin1StringView kText("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
constexpr QLatin1StringView kStyle("urn:oasis:names:tc:opendocument:xmlns:style:1.0");
constexpr QLatin1StringView kNumber("urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0");
constexpr QLatin1StringView kDraw("urn:oasis:names:tc:opendocument:xmlns:drawing:1.0");
constexpr QLatin1StringView kManifest("urn:oasis:names:tc:opendocument:xmlns:manifest:1.0");

constexpr qint64 kMostColumns = 16384;                 // cells past the last column are not read
constexpr qint64 kMostRepeat = qint64(1) << 31;        // of a row or a cell
constexpr qsizetype kLongestText = qsizetype(1) << 22; // of a cell, in characters
constexpr qint64 kMostRowText = 16000000;              // of a row's cells
constexpr qint64 kMostRepeatedCells = 100000000;       // read from repeats, in a sheet
constexpr qint64 kLargestManifest = 16 << 20;
constexpr qint64 kLargestStyles = 64 << 20;
constexpr qsizetype kPieceOfPart = 1 << 16;

bool is(const QXmlStreamReader& reader, QLatin1StringView ns, QStringView name)
{
    return reader.name() == name && reader.namespaceUri() == ns;
}

// A count an attribute of the table namespace gives (repeats, spans): 1 when it gives none.
qint64 countOf(const QXmlStreamReader& reader, QLatin1StringView name)
{
    bool ok = false;
    const qint64 n = reader.attributes().value(kTable, name).toLongLong(&ok);
    return ok ? std::clamp<qint64>(n, 1, kMostRepeat) : 1;
}

// A manifest entry with encryption data: the part is encrypted with a password.
bool isEncrypted(ZipArchive& zip)
{
    if (!zip.contains("META-INF/manifest.xml"))
        return false;
    const std::optional<QByteArray> manifest = zip.read("META-INF/manifest.xml", kLargestManifest);
    if (!manifest)
        return false;
    QXmlStreamReader reader(*manifest);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement &&
            is(reader, kManifest, u"encryption-data"))
            return true;
    }
    return false;
}

// The spreadsheet's tables in their order, up to the one wanted (the first, when none is named);
// `found` is its place, or -1 when the spreadsheet has no such table.
struct TableSearch {
    QStringList names;
    qsizetype found = -1;
    QString error;
};

TableSearch findTable(const QByteArray& content, const std::optional<QString>& wanted)
{
    TableSearch search;
    // The part given to the reader a piece at a time, as it would otherwise decode it whole
    // before the first token, when the table sought is often near the start.
    QXmlStreamReader reader;
    qsizetype given = 0;
    const auto next = [&] {
        while (true) {
            const auto type = reader.readNext();
            if (type != QXmlStreamReader::Invalid || given == content.size() ||
                reader.error() != QXmlStreamReader::PrematureEndOfDocumentError)
                return type;
            const qsizetype n = std::min<qsizetype>(kPieceOfPart, content.size() - given);
            reader.addData(content.sliced(given, n));
            given += n;
        }
    };
    int depth = 0;
    bool rootEnded = false;
    bool spreadsheet = false;
    for (auto type = next(); type != QXmlStreamReader::Invalid && !rootEnded; type = next()) {
        if (type == QXmlStreamReader::DTD) {
            search.error =
                QStringLiteral("its XML declares a document type, which no workbook does");
            return search;
        }
        if (type == QXmlStreamReader::EndElement) {
            spreadsheet = spreadsheet && depth != 3;
            rootEnded = --depth == 0;
        }
        if (type != QXmlStreamReader::StartElement)
            continue;
        ++depth;
        if (depth == 3 && is(reader, kOffice, u"spreadsheet")) {
            spreadsheet = true;
        } else if (depth == 4 && spreadsheet && is(reader, kTable, u"table")) {
            search.names.append(reader.attributes().value(kTable, "name"_L1).toString());
            if (!wanted || *wanted == search.names.back()) {
                search.found = search.names.size() - 1;
                return search;
            }
            for (int inner = 0; inner >= 0;) { // to the table's end
                type = next();
                if (type == QXmlStreamReader::Invalid)
                    break;
                inner += type == QXmlStreamReader::StartElement ? 1
                         : type == QXmlStreamReader::EndElement ? -1
                                                                : 0;
            }
            --depth;
        }
    }
    if (!rootEnded)
        search.error = QStringLiteral("its content is malformed at line %1: %2")
                           .arg(reader.lineNumber())
                           .arg(reader.errorString());
    return search;
}

// A name for a new style that no part names already.
QString unusedName(const QString& base, const QList<QByteArray>& parts)
{
    for (int i = 0;; ++i) {
        QString name = i == 0 ? base : base + QString::number(i);
        const QByteArray utf8 = name.toUtf8();
        const bool used = std::any_of(parts.begin(), parts.end(), [&](const QByteArray& part) {
            return part.contains('"' + utf8 + '"') || part.contains('\'' + utf8 + '\'');
        });
        if (!used)
            return name;
    }
}

// The start tag with the attribute `name` set to `value`: replaced where the tag has it, else
// added after the element's name.
QString withAttribute(QStringView tag, QStringView element, QStringView name, const QString& value)
{
    for (qsizetype at = tag.indexOf(name); at > 0; at = tag.indexOf(name, at + 1)) {
        qsizetype i = at + name.size();
        while (i < tag.size() && tag[i].isSpace())
            ++i;
        if (!tag[at - 1].isSpace() || i >= tag.size() || tag[i] != u'=')
            continue;
        for (++i; i < tag.size() && tag[i].isSpace(); ++i) {
        }
        if (i >= tag.size() || (tag[i] != u'"' && tag[i] != u'\''))
            continue;
        const qsizetype close = tag.indexOf(tag[i], i + 1);
        if (close > i)
            return tag.first(i + 1).toString().append(value).append(tag.sliced(close));
    }
    const qsizetype afterName = 1 + element.size();
    return tag.first(afterName)
        .toString()
        .append(QStringLiteral(" %1=\"%2\"").arg(name, value))
        .append(tag.sliced(afterName));
}

// Text as the paragraphs of a cell: OpenDocument folds white space in text, so runs of spaces,
// tabs and line breaks are spelled out as its elements.
QString paragraphsXml(QStringView text, const QString& p)
{
    const QString open = QStringLiteral("<%1:p>").arg(p);
    const QString close = QStringLiteral("</%1:p>").arg(p);
    QString out = open;
    qsizetype plain = 0; // where the text not yet written starts
    const auto flush = [&](qsizetype to) {
        out += XmlSplice::escaped(text.sliced(plain, to - plain));
    };
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (c == u' ') {
            qsizetype n = 1;
            while (i + n < text.size() && text[i + n] == u' ')
                ++n;
            flush(i);
            // One space between words is itself; at a paragraph's ends or after another, it is
            // a <text:s/>.
            const bool atStart = i == 0 || text[i - 1] == u'\n' || text[i - 1] == u'\r';
            const bool atEnd = i + n == text.size() || text[i + n] == u'\n' || text[i + n] == u'\r';
            qint64 spaces = n;
            if (!atStart && !atEnd) {
                out += u' ';
                --spaces;
            }
            if (spaces == 1)
                out += QStringLiteral("<%1:s/>").arg(p);
            else if (spaces > 1)
                out += QStringLiteral("<%1:s %1:c=\"%2\"/>").arg(p).arg(spaces);
            i += n;
            plain = i;
            continue;
        }
        if (c == u'\t' || c == u'\n' || c == u'\r') {
            flush(i);
            if (c == u'\t')
                out += QStringLiteral("<%1:tab/>").arg(p);
            else if (c == u'\n' || i + 1 >= text.size() || text[i + 1] != u'\n')
                out += close + open; // a CR LF is one line break, as is a CR alone
            plain = ++i;
            continue;
        }
        ++i;
    }
    flush(text.size());
    return out + close;
}

} // namespace

std::unique_ptr<WorkbookSheet> openOdsSheet(std::unique_ptr<ZipArchive> zip,
                                            const std::optional<QString>& sheetName,
                                            QString& problem)
{
    if (isEncrypted(*zip)) {
        problem = QStringLiteral("it is protected by a password, which Tarnwick cannot open: save "
                                 "a copy without a password as .ods or .xlsx and try again");
        return nullptr;
    }
    if (!zip->contains("content.xml")) {
        problem = QStringLiteral("it has no content.xml, the part that holds an OpenDocument "
                                 "spreadsheet's sheets: save it again as .ods or .xlsx");
        return nullptr;
    }
    const std::optional<QByteArray> content = zip->read("content.xml");
    if (!content) {
        problem = QStringLiteral("its content.xml cannot be read: ") + zip->problem();
        return nullptr;
    }
    const TableSearch search = findTable(*content, sheetName);
    if (!search.error.isEmpty()) {
        problem = search.error;
        return nullptr;
    }
    if (search.found < 0) {
        if (search.names.isEmpty()) {
            problem = QStringLiteral("it has no sheet");
            return nullptr;
        }
        QStringList names;
        for (const QString& name : search.names)
            names << u'"' + name + u'"';
        problem = QStringLiteral("it has no sheet \"%1\"; its sheets are %2")
                      .arg(sheetName.value_or(QString()), names.join(QStringLiteral(", ")));
        return nullptr;
    }
    auto sheet = std::make_unique<OdsSheet>(std::move(zip), *content, search.found);
    if (!sheet->problem().isEmpty()) {
        problem = sheet->problem();
        return nullptr;
    }
    return sheet;
}

OdsSheet::OdsSheet(std::unique_ptr<ZipArchive> zip, const QByteArray& content, qsizetype table)
    : zip_(std::move(zip))
    , content_(content)
    , contentBytes_(content)
    , table_(table)
{
    if (!content_.error().isEmpty())
        problem_ = content_.error();
}

bool OdsSheet::fail(const QString& problem)
{
    if (problem_.isEmpty())
        problem_ = problem;
    return false;
}

bool OdsSheet::failed()
{
    return fail(content_.error().isEmpty()
                    ? QStringLiteral("its content ends before its sheet does")
                    : QStringLiteral("its content cannot be read: ") + content_.error());
}

// Where the current token's markup starts (past the white space before it), and whether it is an
// element's start tag that closes the element too ("<a/>"): from the part's bytes, at the
// reader's byte offsets.
qsizetype OdsSheet::tagStart() const
{
    const qsizetype at = contentBytes_.indexOf('<', content_.tokenStart());
    return at >= 0 && at < content_.tokenEnd() ? at : content_.tokenStart();
}

bool OdsSheet::closesItself() const
{
    const qsizetype end = content_.tokenEnd();
    return end >= 2 && contentBytes_.at(end - 2) == '/' && contentBytes_.at(end - 1) == '>';
}

bool OdsSheet::nextRow(SheetRow& row)
{
    while (problem_.isEmpty() && !done_) {
        const auto type = content_.next();
        if (type == QXmlStreamReader::Invalid || type == QXmlStreamReader::EndDocument)
            return failed();
        const QXmlStreamReader& reader = content_.reader();
        if (type == QXmlStreamReader::EndElement) {
            if (depth_ == tableDepth_) {
                done_ = true;
                tableDepth_ = -1;
            } else if (depth_ == 2 && is(reader, kOffice, u"automatic-styles")) {
                addStyles(false);
            }
            --depth_;
            continue;
        }
        if (type != QXmlStreamReader::StartElement)
            continue;
        ++depth_;
        if (tableDepth_ < 0) {
            // Before the table: the prefixes the part uses, its styles, and the table's start.
            if (depth_ == 1) {
                names_ = namesOf(reader.namespaceDeclarations());
            } else if (depth_ == 2 && is(reader, kOffice, u"automatic-styles")) {
                if (closesItself())
                    addStyles(true);
            } else if (depth_ == 2 && is(reader, kOffice, u"body")) {
                addStyles(false);
            } else if (depth_ == 3) {
                spreadsheet_ = is(reader, kOffice, u"spreadsheet");
            } else if (depth_ == 4 && spreadsheet_ && is(reader, kTable, u"table")) {
                if (tables_++ == table_)
                    tableDepth_ = depth_;
                else if (!skipElement())
                    return false;
            }
            continue;
        }
        // Within the table: its columns, then its rows, either of them in groups.
        const bool childOfTable = depth_ == tableDepth_ + 1;
        if (reader.namespaceUri() == kTable) {
            const QStringView name = reader.name();
            if (name == u"table-column") {
                declaredColumns_ += countOf(reader, "number-columns-repeated"_L1);
                continue;
            }
            if (name == u"table-column-group" || name == u"table-header-columns" ||
                name == u"table-columns")
                continue;
            if (name == u"table-row-group" || name == u"table-header-rows" ||
                name == u"table-rows") {
                if (childOfTable)
                    declareColumns();
                continue;
            }
            if (name == u"table-row") {
                if (childOfTable)
                    declareColumns();
                if (readRow(row))
                    return true;
                continue;
            }
        }
        if (!skipElement())
            return false;
    }
    return false;
}

// The element whose start tag was just read, passed over to its end tag.
bool OdsSheet::skipElement()
{
    for (int inner = 0;;) {
        const auto type = content_.next();
        if (type == QXmlStreamReader::Invalid || type == QXmlStreamReader::EndDocument)
            return failed();
        if (type == QXmlStreamReader::StartElement) {
            ++inner;
        } else if (type == QXmlStreamReader::EndElement && inner-- == 0) {
            --depth_;
            return true;
        }
    }
}

// The row whose start tag was just read, to its end tag: true when a cell of it shows something.
bool OdsSheet::readRow(SheetRow& row)
{
    const qint64 repeat = countOf(content_.reader(), "number-rows-repeated"_L1);
    row = SheetRow{nextRowNumber_, repeat, {}};
    nextRowNumber_ += repeat;
    const bool closed = closesItself();
    column_ = 0;
    rowText_ = 0;
    places_.clear();
    rowEnd_ = -1;
    while (problem_.isEmpty()) {
        const auto type = content_.next();
        if (type == QXmlStreamReader::Invalid || type == QXmlStreamReader::EndDocument)
            return failed();
        if (type == QXmlStreamReader::EndElement) {
            if (!closed)
                rowEnd_ = tagStart();
            --depth_;
            break;
        }
        if (type != QXmlStreamReader::StartElement)
            continue;
        ++depth_;
        const QXmlStreamReader& reader = content_.reader();
        const bool cell =
            reader.namespaceUri() == kTable &&
            (reader.name() == u"table-cell" || reader.name() == u"covered-table-cell");
        if (!(cell ? readCell(row) : skipElement()))
            return false;
    }
    return problem_.isEmpty() && std::any_of(row.cells.cbegin(), row.cells.cend(),
                                             [](const SheetCell& c) { return !c.text.isEmpty(); });
}

// The cell whose start tag was just read, to its end tag: its value, in each column it stands for.
bool OdsSheet::readCell(SheetRow& row)
{
    const QXmlStreamReader& reader = content_.reader();
    const QXmlStreamAttributes attributes = reader.attributes();
    const qint64 column = column_;
    const qint64 repeat = countOf(reader, "number-columns-repeated"_L1);
    column_ += repeat;
    const qint64 columnSpan = countOf(reader, "number-columns-spanned"_L1);
    const qint64 rowSpan = countOf(reader, "number-rows-spanned"_L1);
    const bool covered = reader.name() == u"covered-table-cell";
    if (columnSpan > 1 || rowSpan > 1) {
        const qint64 lastColumn = std::min(column + repeat + columnSpan - 2, kMostColumns);
        const qint64 lastRow = row.number + row.repeat + rowSpan - 2;
        merges_[lastColumn] = std::max(merges_.value(lastColumn, 0), lastRow);
    }
    const bool wanted = count_ > 0 && column < first_ + count_ && column + repeat > first_;
    CellPlace place;
    if (wanted) {
        place.start = tagStart();
        place.startTag = QString::fromUtf8(
            QByteArrayView(contentBytes_).sliced(place.start, content_.tokenEnd() - place.start));
        place.element = reader.qualifiedName().toString();
        for (const QXmlStreamAttribute& a : attributes) {
            if (a.namespaceUri() == kTable && a.name() == u"number-columns-repeated")
                place.repeatName = a.qualifiedName().toString();
        }
        if (place.repeatName.isEmpty())
            place.repeatName =
                (reader.prefix().isEmpty() ? names_.table : reader.prefix().toString()) +
                QStringLiteral(":number-columns-repeated");
    }
    const bool closed = closesItself();

    // Its content: paragraphs of text, and what else a cell may hold (comments, drawings).
    QString text;
    bool paragraphs = false;
    bool content = false;
    while (problem_.isEmpty()) {
        const auto type = content_.next();
        if (type == QXmlStreamReader::Invalid || type == QXmlStreamReader::EndDocument)
            return failed();
        if (type == QXmlStreamReader::EndElement) {
            --depth_;
            break;
        }
        if (type != QXmlStreamReader::StartElement)
            continue;
        ++depth_;
        content = true;
        if (is(reader, kText, u"p") || is(reader, kText, u"h")) {
            if (std::exchange(paragraphs, true) && text.size() < kLongestText)
                text += u'\n';
            readParagraph(text);
        } else if (!skipElement()) {
            return false;
        }
    }
    if (!problem_.isEmpty())
        return false;

    const QStringView type = attributes.value(kOffice, "value-type"_L1);
    SheetCell value{column, text, false};
    if (type == u"float" || type == u"percentage" || type == u"currency") {
        const QStringView number = attributes.value(kOffice, "value"_L1).trimmed();
        if (!number.isEmpty())
            value = SheetCell{column, number.toString(), true};
    } else if (!paragraphs) {
        // A value without the text that shows it: the value as the file states it.
        for (const QLatin1StringView name : {"string-value"_L1, "date-value"_L1, "time-value"_L1}) {
            if (const QStringView stated = attributes.value(kOffice, name); !stated.isEmpty())
                value.text = stated.toString();
        }
        if (type == u"boolean") {
            const QStringView b = attributes.value(kOffice, "boolean-value"_L1);
            value.text =
                b == u"true" || b == u"1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        }
    }
    const bool holds = !type.isEmpty() || content;
    if (holds && column < kMostColumns) {
        rowText_ += value.text.size(); // a cell repeated shares its text
        if (rowText_ > kMostRowText)
            return fail(QStringLiteral("its sheet has a row of more than %1 million characters, "
                                       "more than a table's row holds")
                            .arg(kMostRowText / 1000000));
        const qint64 last = std::min(column + repeat, kMostColumns);
        repeatedCells_ += last - column - 1;
        if (repeatedCells_ > kMostRepeatedCells)
            return fail(QStringLiteral("its sheet repeats cells that hold something over more than "
                                       "%1 million columns in all, more than a table holds")
                            .arg(kMostRepeatedCells / 1000000));
        for (qint64 c = column; c < last; ++c) {
            value.column = c;
            row.cells.append(value);
        }
    }
    if (wanted) {
        place.column = column;
        place.repeat = repeat;
        place.end = content_.tokenEnd();
        if (!closed)
            place.endTag = content_.token();
        place.holds = holds;
        place.merged = covered || columnSpan > 1 || rowSpan > 1;
        places_.append(place);
    }
    return true;
}

// A paragraph whose start tag was just read, to its end tag: its text added to `text`, and the
// spaces, tabs and line breaks of the elements that spell them. Its white space is kept as it is,
// as LibreOffice and Gnumeric keep it (LibreOffice writes the runs of spaces of a cell of several
// lines so).
void OdsSheet::readParagraph(QString& text)
{
    const auto add = [&](QStringView more) {
        text.append(more.first(std::min(more.size(), kLongestText - text.size())));
    };
    for (int inner = 0; problem_.isEmpty();) {
        const auto type = content_.next();
        if (type == QXmlStreamReader::Invalid || type == QXmlStreamReader::EndDocument) {
            failed();
            break;
        }
        const QXmlStreamReader& reader = content_.reader();
        if (type == QXmlStreamReader::Characters) {
            add(reader.text());
        } else if (type == QXmlStreamReader::EndElement) {
            --depth_;
            if (inner-- == 0)
                break;
        } else if (type == QXmlStreamReader::StartElement) {
            ++depth_;
            ++inner;
            if (is(reader, kText, u"s")) {
                bool ok = false;
                const qint64 n = reader.attributes().value(kText, "c"_L1).toLongLong(&ok);
                const qint64 room = kLongestText - text.size();
                add(QString(qsizetype(std::min(ok ? std::max<qint64>(n, 1) : 1, room)), u' '));
            } else if (is(reader, kText, u"tab")) {
                add(u"\t");
            } else if (is(reader, kText, u"line-break")) {
                add(u"\n");
            } else if (is(reader, kOffice, u"annotation") || is(reader, kText, u"note") ||
                       reader.namespaceUri() == kDraw) {
                // A comment, a note or a drawing anchored in the text: not the cell's text.
                --inner;
                skipElement();
            }
        }
    }
}

qint64 OdsSheet::lastMergedColumn(qint64 row) const
{
    for (auto merge = merges_.constEnd(); merge != merges_.constBegin();) {
        --merge;
        if (merge.value() >= row)
            return merge.key();
    }
    return -1;
}

void OdsSheet::rewind(qint64 first, qint64 count)
{
    first_ = first;
    count_ = std::max<qint64>(count, 0);
    content_.restart();
    depth_ = 0;
    tables_ = 0;
    tableDepth_ = -1;
    spreadsheet_ = false;
    done_ = false;
    nextRowNumber_ = 1;
    repeatedCells_ = 0;
    declaredColumns_ = 0;
    merges_.clear();
    column_ = 0;
    rowEnd_ = -1;
    places_.clear();
    stylesAdded_ = false;
    columnsDeclared_ = false;

    // The date style's names: none that content.xml or styles.xml has already (found once, the
    // same on every reading).
    if (dateStyle_.isEmpty()) {
        QList<QByteArray> parts{contentBytes_};
        if (zip_->contains("styles.xml")) {
            if (const std::optional<QByteArray> styles = zip_->read("styles.xml", kLargestStyles))
                parts.append(*styles);
        }
        dateStyle_ = unusedName(QStringLiteral("N-ymd"), parts);
        dateCellStyle_ = unusedName(QStringLiteral("ce-ymd"), parts);
    }
    startWriting();
}

// The prefixes the part declares on its root for the namespaces of the added XML; those it lacks
// are declared on each added element.
OdsSheet::Names OdsSheet::namesOf(const QXmlStreamNamespaceDeclarations& declared)
{
    Names names;
    const auto pick = [&](QString& prefix, QLatin1StringView uri, QLatin1StringView usual) {
        for (const QXmlStreamNamespaceDeclaration& d : declared) {
            if (d.namespaceUri() == uri && !d.prefix().isEmpty()) {
                prefix = d.prefix().toString();
                return;
            }
        }
        prefix = usual.toString();
        names.declarations += QStringLiteral(" xmlns:%1=\"%2\"").arg(usual, uri);
    };
    pick(names.office, kOffice, "office"_L1);
    pick(names.table, kTable, "table"_L1);
    pick(names.text, kText, "text"_L1);
    pick(names.style, kStyle, "style"_L1);
    pick(names.number, kNumber, "number"_L1);
    return names;
}

// The date style and the cell style over it, at the end of the automatic styles (or as new
// automatic styles before the body when there are none); `replace`: the automatic styles'
// element just read is empty, written as one start tag.
void OdsSheet::addStyles(bool replace)
{
    if (count_ == 0 || stylesAdded_)
        return;
    stylesAdded_ = true;
    const QString& n = names_.number;
    const QString& s = names_.style;
    const QString styles =
        QStringLiteral("<%1:date-style %2:name=\"%3\"%5><%1:year %1:style=\"long\"/>"
                       "<%1:text>-</%1:text><%1:month %1:style=\"long\"/><%1:text>-</%1:text>"
                       "<%1:day %1:style=\"long\"/></%1:date-style>"
                       "<%2:style %2:name=\"%4\" %2:family=\"table-cell\" "
                       "%2:data-style-name=\"%3\"%5/>")
            .arg(n, s, dateStyle_, dateCellStyle_, names_.declarations);
    const QXmlStreamReader& reader = content_.reader();
    const bool atEnd = reader.tokenType() == QXmlStreamReader::EndElement;
    content_.copyTo(tagStart());
    if (atEnd) {
        content_.insert(styles);
        return;
    }
    const QString element = replace ? reader.qualifiedName().toString()
                                    : names_.office + QStringLiteral(":automatic-styles");
    if (replace)
        content_.skipTo(content_.tokenEnd());
    content_.insert(QStringLiteral("<%1%2>%3</%1>")
                        .arg(element, replace ? QString() : names_.declarations, styles));
}

// Before the table's first row: columns declared for the added cells, when the table declares
// fewer.
void OdsSheet::declareColumns()
{
    if (count_ == 0 || columnsDeclared_)
        return;
    columnsDeclared_ = true;
    const qint64 missing = first_ + count_ - declaredColumns_;
    if (missing <= 0)
        return;
    content_.copyTo(tagStart());
    content_.insert(QStringLiteral("<%1:table-column %1:number-columns-repeated=\"%2\"%3/>")
                        .arg(names_.table)
                        .arg(missing)
                        .arg(names_.declarations));
}

QString OdsSheet::cellXml(const AddedCell& cell) const
{
    const QString& t = names_.table;
    const QString& o = names_.office;
    const QString& d = names_.declarations;
    const QString value = XmlSplice::escaped(cell.value);
    switch (cell.kind) {
    case AddedCell::Kind::Empty:
        break;
    case AddedCell::Kind::Text:
        return QStringLiteral("<%1:table-cell %2:value-type=\"string\"%3>%4</%1:table-cell>")
            .arg(t, o, d, paragraphsXml(cell.value, names_.text));
    case AddedCell::Kind::Number:
        return QStringLiteral("<%1:table-cell %2:value-type=\"float\" %2:value=\"%3\"%4>"
                              "<%5:p>%3</%5:p></%1:table-cell>")
            .arg(t, o, value, d, names_.text);
    case AddedCell::Kind::Date:
        return QStringLiteral("<%1:table-cell %1:style-name=\"%2\" %3:value-type=\"date\" "
                              "%3:date-value=\"%4\"%5><%6:p>%4</%6:p></%1:table-cell>")
            .arg(t, dateCellStyle_, o, value, d, names_.text);
    }
    return QStringLiteral("<%1:table-cell%2/>").arg(t, d);
}

// The cell with its repeat changed: the empty cells left of the added ones, or right of them.
QString OdsSheet::repeatedXml(const CellPlace& place, qint64 repeat)
{
    return withAttribute(place.startTag, place.element, place.repeatName, QString::number(repeat)) +
           place.endTag;
}

void OdsSheet::addCells(const QList<AddedCell>& cells)
{
    if (!problem_.isEmpty() || count_ == 0 || rowEnd_ < 0)
        return;
    const auto n = std::min(qint64(cells.size()), count_);
    if (std::all_of(cells.begin(), cells.begin() + n,
                    [](const AddedCell& c) { return c.kind == AddedCell::Kind::Empty; }))
        return; // empty cells over empty columns change nothing

    QList<CellPlace> places;
    for (const CellPlace& place : std::as_const(places_)) {
        if (place.column >= first_ + n)
            break;
        places.append(place);
        const QString where = QStringLiteral("row %1, column %2")
                                  .arg(nextRowNumber_ - 1)
                                  .arg(columnName(std::max(place.column, first_)));
        if (place.merged)
            return void(fail(QStringLiteral("its sheet has merged cells where the estimate's "
                                            "columns go (%1): unmerge them and try again")
                                 .arg(where)));
        if (place.holds)
            return void(fail(QStringLiteral("its sheet has a cell that holds something where the "
                                            "estimate's columns go (%1)")
                                 .arg(where)));
    }

    // The empty cells there are replaced, the part of a repeated one outside them kept.
    QString xml;
    qsizetype from = rowEnd_;
    qsizetype to = rowEnd_;
    if (places.isEmpty()) {
        if (column_ < first_)
            xml += QStringLiteral("<%1:table-cell %1:number-columns-repeated=\"%2\"%3/>")
                       .arg(names_.table)
                       .arg(first_ - column_)
                       .arg(names_.declarations);
    } else {
        from = places.front().start;
        to = places.back().end;
        if (places.front().column < first_)
            xml += repeatedXml(places.front(), first_ - places.front().column);
    }
    for (qint64 i = 0; i < n; ++i)
        xml += cellXml(cells[i]);
    if (!places.isEmpty()) {
        const CellPlace& last = places.back();
        if (last.column + last.repeat > first_ + n)
            xml += repeatedXml(last, last.column + last.repeat - first_ - n);
    }
    content_.copyTo(from);
    content_.insert(xml);
    content_.skipTo(to);
}

// The parts before content.xml copied, then content.xml begun, into which the splice writes a
// block at a time as the rows are read.
void OdsSheet::startWriting()
{
    writer_.emplace();
    const QList<ZipArchive::Entry>& entries = zip_->entries();
    for (written_ = 0; written_ < entries.size() && entries[written_].name != "content.xml";
         ++written_)
        writer_->copy(*zip_, entries[written_]);
    writer_->begin("content.xml");
    content_.setSink([this](QByteArrayView bytes) { writer_->write(bytes); });
}

QByteArray OdsSheet::finish()
{
    if (!writer_)
        startWriting();
    // The rows not read yet, then the rest of the part, read to its end to know it whole.
    SheetRow row;
    while (problem_.isEmpty() && nextRow(row)) {
    }
    while (problem_.isEmpty()) {
        const auto type = content_.next();
        if (type == QXmlStreamReader::EndDocument)
            break;
        if (type == QXmlStreamReader::Invalid)
            failed();
    }
    if (!problem_.isEmpty() || !content_.finishIntoSink()) {
        fail(QStringLiteral("its content cannot be written: ") + content_.error());
        return {};
    }
    writer_->end();
    const QList<ZipArchive::Entry>& entries = zip_->entries();
    for (++written_; written_ < entries.size(); ++written_)
        writer_->copy(*zip_, entries[written_]);
    QByteArray file = writer_->finish();
    if (file.isEmpty())
        fail(QStringLiteral("the workbook cannot be written"));
    return file;
}
