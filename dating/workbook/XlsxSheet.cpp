#include "XlsxSheet.h"

#include <QDate>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace {

constexpr qint64 kLastColumn = 16383; // XFD
constexpr qint64 kLastRow = 1048576;
constexpr qsizetype kMostSharedStrings = 4 << 20;

struct Relationship {
    QString id;
    QString type;
    QByteArray target; // the part's name in the zip
};

// "xl/worksheets/sheet1.xml" from the folder of the part that names it and its target.
QByteArray partName(const QByteArray& folder, const QString& target)
{
    QList<QByteArray> parts = target.startsWith(u'/') ? QList<QByteArray>() : folder.split('/');
    parts.removeAll(QByteArray());
    for (const QByteArray& part : target.toUtf8().split('/')) {
        if (part == "..") {
            if (!parts.isEmpty())
                parts.removeLast();
        } else if (!part.isEmpty() && part != ".") {
            parts.append(part);
        }
    }
    return parts.join('/');
}

QByteArray folderOf(const QByteArray& part)
{
    const qsizetype slash = part.lastIndexOf('/');
    return slash < 0 ? QByteArray() : part.first(slash);
}

// The relationships of a part (`_rels/NAME.rels` beside it).
QList<Relationship> relationships(ZipArchive& zip, const QByteArray& part)
{
    const QByteArray folder = folderOf(part);
    const QByteArray name = (folder.isEmpty() ? QByteArray() : folder + '/') + "_rels/" +
                            part.sliced(folder.isEmpty() ? 0 : folder.size() + 1) + ".rels";
    QList<Relationship> found;
    const std::optional<QByteArray> xml = zip.read(name, 16 << 20);
    if (!xml)
        return found;
    QXmlStreamReader reader(*xml);
    while (reader.readNextStartElement() || (!reader.atEnd() && !reader.hasError())) {
        if (reader.tokenType() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() != u"Relationship")
            continue;
        const QXmlStreamAttributes a = reader.attributes();
        if (a.value(QLatin1String("TargetMode")) == u"External")
            continue;
        found.append({a.value(QLatin1String("Id")).toString(),
                      a.value(QLatin1String("Type")).toString(),
                      partName(folder, a.value(QLatin1String("Target")).toString())});
    }
    return found;
}

std::optional<Relationship> ofType(const QList<Relationship>& all, QStringView type)
{
    for (const Relationship& r : all) {
        if (r.type.endsWith(type))
            return r;
    }
    return std::nullopt;
}

// The text of a shared or inline string: its runs' text, without phonetic readings.
QString stringText(QXmlStreamReader& reader)
{
    QString text;
    int depth = 1;
    int phonetic = 0;
    while (depth > 0 && !reader.atEnd()) {
        const auto type = reader.readNext();
        if (type == QXmlStreamReader::StartElement) {
            ++depth;
            if (reader.name() == u"rPh")
                ++phonetic;
            else if (reader.name() == u"t" && phonetic == 0)
                text += reader.readElementText(), --depth;
        } else if (type == QXmlStreamReader::EndElement) {
            --depth;
            if (reader.name() == u"rPh")
                --phonetic;
        }
    }
    return text;
}

// "AB12" as a 0-based column and a 1-based row; -1 for what is missing or out of range.
std::pair<qint64, qint64> cellReference(QStringView reference)
{
    qint64 column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference[i].isLetter() && i < 4; ++i)
        column = column * 26 + (reference[i].toUpper().unicode() - u'A' + 1);
    bool ok = false;
    const qint64 row = reference.sliced(i).toLongLong(&ok);
    return {i == 0 || column - 1 > kLastColumn ? -1 : column - 1,
            ok && row >= 1 && row <= kLastRow ? row : -1};
}

// The start tag's text with one attribute's value replaced (or the tag as it was).
QString withAttribute(QStringView tag, QStringView name, const QString& value)
{
    const QRegularExpression attribute(QStringLiteral("(\\s%1\\s*=\\s*)([\"'])[^\"']*\\2")
                                           .arg(QRegularExpression::escape(name.toString())));
    QString text = tag.toString();
    const QRegularExpressionMatch match = attribute.match(text);
    if (match.hasMatch())
        text.replace(match.capturedStart(), match.capturedLength(),
                     match.captured(1) + u'"' + value + u'"');
    return text;
}

} // namespace

std::unique_ptr<WorkbookSheet> XlsxSheet::open(std::unique_ptr<ZipArchive> zip,
                                               const std::optional<QString>& sheetName,
                                               QString& problem)
{
    std::unique_ptr<XlsxSheet> sheet(new XlsxSheet);
    const QList<Relationship> root = [&] {
        QList<Relationship> found;
        const std::optional<QByteArray> xml = zip->read("_rels/.rels", 16 << 20);
        if (!xml)
            return found;
        QXmlStreamReader reader(*xml);
        while (!reader.atEnd() && !reader.hasError()) {
            if (reader.readNext() == QXmlStreamReader::StartElement &&
                reader.name() == u"Relationship")
                found.append(
                    {reader.attributes().value(QLatin1String("Id")).toString(),
                     reader.attributes().value(QLatin1String("Type")).toString(),
                     partName({}, reader.attributes().value(QLatin1String("Target")).toString())});
        }
        return found;
    }();
    const std::optional<Relationship> workbookPart = ofType(root, u"/officeDocument");
    std::optional<QByteArray> workbookXml;
    if (workbookPart)
        workbookXml = zip->read(workbookPart->target, 64 << 20);
    if (!workbookXml) {
        problem = QStringLiteral("it is a zip file, but no Office Open XML workbook");
        return nullptr;
    }

    // The sheets in their order, and the date system.
    QList<std::pair<QString, QString>> sheets; // name, relationship id
    QXmlStreamReader reader(*workbookXml);
    while (!reader.atEnd() && !reader.hasError()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() == u"sheet") {
            QString id; // r:id, in the relationships' namespace (strict or transitional)
            for (const QXmlStreamAttribute& a : reader.attributes()) {
                if (a.name() == u"id" && a.namespaceUri().endsWith(u"/relationships"))
                    id = a.value().toString();
            }
            sheets.append({reader.attributes().value(QLatin1String("name")).toString(), id});
        } else if (reader.name() == u"workbookPr") {
            const QStringView v = reader.attributes().value(QLatin1String("date1904"));
            sheet->date1904_ = v == u"1" || v == u"true";
        }
    }
    if (reader.hasError() || sheets.isEmpty()) {
        problem = QStringLiteral("its list of sheets cannot be read");
        return nullptr;
    }
    qsizetype chosen = 0;
    if (sheetName) {
        chosen = -1;
        for (qsizetype i = 0; i < sheets.size() && chosen < 0; ++i) {
            if (sheets[i].first == *sheetName)
                chosen = i;
        }
        if (chosen < 0) {
            QStringList names;
            for (const auto& s : sheets)
                names << u'"' + s.first + u'"';
            problem = QStringLiteral("it has no sheet \"%1\"; its sheets are %2")
                          .arg(*sheetName, names.join(QStringLiteral(", ")));
            return nullptr;
        }
    }
    const QList<Relationship> parts = relationships(*zip, workbookPart->target);
    const auto sheetPart = std::find_if(parts.begin(), parts.end(), [&](const Relationship& r) {
        return r.id == sheets[chosen].second;
    });
    if (sheetPart == parts.end() || !sheetPart->type.endsWith(u"/worksheet")) {
        problem = QStringLiteral("its sheet \"%1\" is no worksheet (a chart, or missing)")
                      .arg(sheets[chosen].first);
        return nullptr;
    }
    sheet->sheetName_ = sheetPart->target;
    if (const auto styles = ofType(parts, u"/styles"))
        sheet->stylesName_ = styles->target;

    // The shared strings, whose index text cells give.
    if (const auto strings = ofType(parts, u"/sharedStrings")) {
        const std::optional<QByteArray> xml = zip->read(strings->target);
        if (!xml) {
            problem = zip->problem();
            return nullptr;
        }
        QXmlStreamReader sst(*xml);
        while (!sst.atEnd() && !sst.hasError()) {
            const auto type = sst.readNext();
            if (type == QXmlStreamReader::DTD) {
                problem =
                    QStringLiteral("its XML declares a document type, which no workbook does");
                return nullptr;
            }
            if (type == QXmlStreamReader::StartElement && sst.name() == u"si") {
                sheet->sharedStrings_.append(stringText(sst));
                if (sheet->sharedStrings_.size() > kMostSharedStrings) {
                    problem = QStringLiteral("it holds more shared strings than a sheet can");
                    return nullptr;
                }
            }
        }
        if (sst.hasError()) {
            problem = QStringLiteral("its shared strings are malformed: ") + sst.errorString();
            return nullptr;
        }
    }
    const std::optional<QByteArray> xml = zip->read(sheet->sheetName_);
    if (!xml) {
        problem =
            zip->problem().isEmpty() ? QStringLiteral("its sheet cannot be found") : zip->problem();
        return nullptr;
    }
    sheet->sheet_.emplace(*xml);
    sheet->zip_ = std::move(zip);
    return sheet;
}

bool XlsxSheet::fail(const QString& problem)
{
    if (problem_.isEmpty())
        problem_ = problem;
    return false;
}

bool XlsxSheet::nextRow(SheetRow& row)
{
    XmlSplice& xml = *sheet_;
    while (problem_.isEmpty()) {
        const auto type = xml.next();
        if (type == QXmlStreamReader::Invalid || type == QXmlStreamReader::EndDocument) {
            if (!xml.error().isEmpty())
                return fail(QStringLiteral("its sheet cannot be read: ") + xml.error());
            return false;
        }
        if (type != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = xml.reader().name();
        if (name == u"dimension") {
            widenDimension();
        } else if (name == u"mergeCell") {
            const QList<QStringView> ends =
                xml.reader().attributes().value(QLatin1String("ref")).split(u':');
            const auto [column, lastRow] = cellReference(ends.back());
            if (column >= 0 && lastRow >= 0)
                merges_.append({lastRow, column});
        } else if (name == u"row") {
            prefix_ = xml.reader().prefix().isEmpty() ? QByteArray()
                                                      : xml.reader().prefix().toUtf8() + ':';
            bool numbered = false;
            const qint64 number =
                xml.reader().attributes().value(QLatin1String("r")).toLongLong(&numbered);
            // Rows and their cells stand in order, as a sheet writes them; where they do not,
            // no place for the added cells can be trusted.
            if (numbered && number <= lastRowNumber_)
                return fail(QStringLiteral("its sheet has rows out of order (row %1 after row %2)")
                                .arg(number)
                                .arg(lastRowNumber_));
            lastRowNumber_ = numbered ? number : lastRowNumber_ + 1;
            if (lastRowNumber_ < 1 || lastRowNumber_ > kLastRow)
                return fail(QStringLiteral("its sheet has a row numbered %1, past the last row a "
                                           "sheet can have")
                                .arg(lastRowNumber_));
            row = SheetRow{lastRowNumber_, 1, {}};
            places_.clear();
            qint64 column = -1;
            // The row's cells, to its end tag.
            while (problem_.isEmpty()) {
                const auto inner = xml.next();
                if (inner == QXmlStreamReader::Invalid)
                    return fail(QStringLiteral("its sheet cannot be read: ") + xml.error());
                if (inner == QXmlStreamReader::EndElement && xml.reader().name() == u"row") {
                    rowEnd_ = xml.tokenStart();
                    break;
                }
                if (inner == QXmlStreamReader::StartElement && xml.reader().name() == u"c") {
                    const QXmlStreamAttributes attributes = xml.reader().attributes();
                    const bool referenced = attributes.hasAttribute(QLatin1String("r"));
                    const auto [at, inRow] = cellReference(attributes.value(QLatin1String("r")));
                    if (referenced && (at <= column || inRow != lastRowNumber_))
                        return fail(QStringLiteral("its sheet has cells out of order in row %1")
                                        .arg(lastRowNumber_));
                    column = referenced ? at : column + 1;
                    if (column < 0 || column > kLastColumn)
                        return fail(QStringLiteral("its sheet has a cell outside the columns a "
                                                   "sheet can have"));
                    const qsizetype start = xml.tokenStart();
                    if (!readCell(row, column, attributes.value(QLatin1String("t"))))
                        return false;
                    places_.append({column, start, xml.tokenEnd()});
                }
            }
            if (!row.cells.isEmpty())
                return true;
        }
    }
    return false;
}

// The cell whose start tag was just read, to its end tag: its value, when it has one. The
// value is a <v>'s text, or an inline string's text runs without their phonetic readings.
bool XlsxSheet::readCell(SheetRow& row, qint64 column, QStringView typeAttribute)
{
    constexpr qsizetype kLongestValue = qsizetype(1) << 22; // more is no serial's
    XmlSplice& xml = *sheet_;
    const QString type = typeAttribute.toString();
    QString value;
    bool hasValue = false;
    bool collecting = false;
    int phonetic = 0;
    for (int depth = 1; depth > 0;) {
        const auto token = xml.next();
        if (token == QXmlStreamReader::Invalid)
            return fail(QStringLiteral("its sheet cannot be read: ") + xml.error());
        const QStringView name = xml.reader().name();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            phonetic += name == u"rPh" ? 1 : 0;
            if ((name == u"v" || name == u"t") && phonetic == 0)
                collecting = hasValue = true;
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
            phonetic -= name == u"rPh" ? 1 : 0;
            collecting = false;
        } else if (token == QXmlStreamReader::Characters && collecting &&
                   value.size() < kLongestValue) {
            value += xml.reader().text();
        }
    }
    if (!hasValue)
        return true;
    SheetCell cell{column, value, false};
    if (type == u"s") {
        bool ok = false;
        const qsizetype index = value.trimmed().toLongLong(&ok);
        if (!ok || index < 0 || index >= sharedStrings_.size())
            return fail(QStringLiteral("its sheet names a shared string that is not there"));
        cell.text = sharedStrings_[index];
    } else if (type.isEmpty() || type == u"n") {
        cell.number = true;
        cell.text = value.trimmed();
    } else if (type == u"b") {
        cell.text = value.trimmed() == u"1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    }
    if (!cell.text.isEmpty())
        row.cells.append(cell);
    return true;
}

qint64 XlsxSheet::lastMergedColumn(qint64 row) const
{
    qint64 last = -1;
    for (const Merge& merge : merges_) {
        if (merge.lastRow >= row)
            last = std::max(last, merge.lastColumn);
    }
    return last;
}

// The second reading writes the workbook as it goes: the parts before the sheet, the sheet a
// block at a time as its rows are read, the rest at the end. The styles gain the dates' format
// first, so that they can be written wherever they stand.
void XlsxSheet::rewind(qint64 first, qint64 count)
{
    first_ = first;
    count_ = count;
    addedColumns_.clear();
    for (qint64 column = first; column < first + count; ++column)
        addedColumns_.append(columnName(column).toLatin1());
    lastRowNumber_ = 0;
    merges_.clear();
    sheet_->restart();
    if (!stylesName_.isEmpty() && styles_.isEmpty()) { // the same on every reading
        datedStyles();                                 // the format's number
        styles_ = datedStyles();
        if (styles_.isEmpty())
            fail(QStringLiteral("its styles cannot be read"));
    }
    writer_.emplace();
    written_ = 0;
    writeParts(sheetName_);
    writer_->begin(sheetName_);
    sheet_->setSink([this](QByteArrayView bytes) { writer_->write(bytes); });
}

// The parts not yet written, up to the one named (or all), the styles with the dates' format.
void XlsxSheet::writeParts(const QByteArray& upTo)
{
    const QList<ZipArchive::Entry>& entries = zip_->entries();
    for (; written_ < entries.size() && entries[written_].name != upTo; ++written_) {
        if (entries[written_].name == stylesName_ && !styles_.isEmpty())
            writer_->add(entries[written_].name, styles_);
        else
            writer_->copy(*zip_, entries[written_]);
    }
}

// On the second reading: the dimension's range is widened to the added columns.
void XlsxSheet::widenDimension()
{
    XmlSplice& xml = *sheet_;
    if (first_ < 0)
        return;
    const QList<QStringView> ends =
        xml.reader().attributes().value(QLatin1String("ref")).split(u':');
    const auto [firstColumn, firstRow] = cellReference(ends.front());
    const auto [lastColumn, lastRow] = cellReference(ends.back());
    if (firstColumn < 0 || firstRow < 0 || lastColumn < 0 || lastRow < 0)
        return;
    const QString ref = columnName(firstColumn) + QString::number(firstRow) + u':' +
                        columnName(std::max(lastColumn, first_ + count_ - 1)) +
                        QString::number(lastRow);
    xml.copyTo(xml.tokenStart());
    xml.insert(withAttribute(xml.token(), u"ref", ref));
    xml.skipTo(xml.tokenEnd());
}

// The cell's XML, appended to `xml` piece by piece as UTF-8: a row's cells are many.
void XlsxSheet::appendCell(QByteArray& xml, QByteArrayView column, QByteArrayView row,
                           const AddedCell& cell) const
{
    const auto element = [&xml, this](QByteArrayView before, QByteArrayView name) {
        xml.append(before).append(prefix_).append(name);
    };
    if (cell.kind == AddedCell::Kind::Empty)
        return;
    element("<", "c r=\"");
    xml.append(column).append(row).append('"');
    switch (cell.kind) {
    case AddedCell::Kind::Empty:
        break;
    case AddedCell::Kind::Number:
        element("><", "v>");
        xml.append(cell.value.toLatin1());
        break;
    case AddedCell::Kind::Date: {
        const QDate day = QDate::fromString(cell.value, Qt::ISODate);
        const QDate epoch = date1904_ ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
        if (dateStyle_ >= 0)
            xml.append(" s=\"").append(QByteArray::number(dateStyle_)).append('"');
        element("><", "v>");
        xml.append(QByteArray::number(epoch.daysTo(day)));
        break;
    }
    case AddedCell::Kind::Text:
        xml.append(" t=\"inlineStr\">");
        element("<", "is>");
        element("<", "t");
        if (cell.value != cell.value.trimmed())
            xml.append(" xml:space=\"preserve\"");
        xml.append('>');
        xml.append(XmlSplice::escaped(cell.value).toUtf8());
        element("</", "t>");
        element("</", "is>");
        element("</", "c>");
        return;
    }
    element("</", "v>");
    element("</", "c>");
}

void XlsxSheet::addCells(const QList<AddedCell>& cells)
{
    XmlSplice& xml = *sheet_;
    // The row's empty cells where the added ones go are replaced; those after them stay.
    qsizetype insertAt = rowEnd_;
    qsizetype replacedTo = -1;
    for (const CellPlace& place : places_) {
        if (place.column >= first_ && insertAt == rowEnd_)
            insertAt = place.start;
        if (place.column >= first_ && place.column < first_ + qint64(cells.size()))
            replacedTo = place.end;
    }
    QByteArray& added = added_;
    added.resize(0); // keeps its capacity
    const QByteArray row = QByteArray::number(lastRowNumber_);
    for (qsizetype i = 0; i < cells.size() && i < addedColumns_.size(); ++i)
        appendCell(added, addedColumns_[i], row, cells[i]);
    xml.copyTo(insertAt);
    xml.insert(added);
    if (replacedTo >= 0)
        xml.skipTo(replacedTo);
}

// The workbook's styles with a cell format for the added dates (YYYY-MM-DD). Reading them first
// (dateStyle_ < 0) only finds the number the format will have.
QByteArray XlsxSheet::datedStyles()
{
    const std::optional<QByteArray> styles = zip_->read(stylesName_, 64 << 20);
    if (!styles)
        return {};
    XmlSplice xml(*styles);
    const bool finding = dateStyle_ < 0;
    int formats = 0;
    int highestFormat = 163; // custom number formats start at 164
    bool inCellFormats = false;
    while (true) {
        const auto type = xml.next();
        if (type == QXmlStreamReader::Invalid || type == QXmlStreamReader::EndDocument)
            break;
        const QStringView name = xml.reader().name();
        const QString p =
            xml.reader().prefix().isEmpty() ? QString() : xml.reader().prefix().toString() + u':';
        if (type == QXmlStreamReader::StartElement) {
            if (name == u"numFmts")
                stylesHaveFormats_ = true;
            if (name == u"styleSheet" && !finding && !stylesHaveFormats_) {
                // No list of number formats: one of its own, in its place as the first child.
                xml.copyTo(xml.tokenEnd());
                xml.insert(QStringLiteral("<%1numFmts count=\"1\"><%1numFmt numFmtId=\"%2\" "
                                          "formatCode=\"yyyy-mm-dd\"/></%1numFmts>")
                               .arg(p)
                               .arg(dateFormat_));
            }
            if (name == u"numFmt")
                highestFormat =
                    std::max(highestFormat,
                             xml.reader().attributes().value(QLatin1String("numFmtId")).toInt());
            if (name == u"cellXfs")
                inCellFormats = true;
            if (name == u"xf" && inCellFormats)
                ++formats;
            if (!finding && (name == u"numFmts" || name == u"cellXfs")) {
                const int count =
                    xml.reader().attributes().value(QLatin1String("count")).toInt() + 1;
                xml.copyTo(xml.tokenStart());
                xml.insert(withAttribute(xml.token(), u"count", QString::number(count)));
                xml.skipTo(xml.tokenEnd());
            }
        } else if (type == QXmlStreamReader::EndElement) {
            if (name == u"cellXfs") {
                inCellFormats = false;
                if (!finding) {
                    xml.copyTo(xml.tokenStart());
                    xml.insert(QStringLiteral("<%1xf numFmtId=\"%2\" fontId=\"0\" fillId=\"0\" "
                                              "borderId=\"0\" xfId=\"0\" "
                                              "applyNumberFormat=\"1\"/>")
                                   .arg(p)
                                   .arg(dateFormat_));
                }
            } else if (name == u"numFmts" && !finding) {
                xml.copyTo(xml.tokenStart());
                xml.insert(QStringLiteral("<%1numFmt numFmtId=\"%2\" formatCode=\"yyyy-mm-dd\"/>")
                               .arg(p)
                               .arg(dateFormat_));
            }
        }
    }
    if (finding) {
        dateStyle_ = formats;
        dateFormat_ = highestFormat + 1;
        return {};
    }
    return xml.finish();
}

QByteArray XlsxSheet::finish()
{
    if (!writer_ || !problem_.isEmpty() || !sheet_->finishIntoSink()) {
        fail(QStringLiteral("its sheet cannot be written: ") + sheet_->error());
        return {};
    }
    writer_->end();
    ++written_;
    writeParts({});
    QByteArray file = writer_->finish();
    if (file.isEmpty())
        fail(QStringLiteral("the workbook cannot be written"));
    return file;
}
