// --column over a workbook (.xlsx, .ods): the table is in a sheet, its header the first row with a
// cell named NAME (rows above it are left alone). Each row below is dated as CSV's rows are, and
// the estimate's columns are added right of the last column the table uses, as cells of their
// kind: figures as numbers, the day as a date, the rest as text. Everything else in the workbook
// stays as it was.
#include "Modes.h"

#include "dating/BatchEstimator.h"
#include "dating/HeaderColumn.h"
#include "dating/input/InputText.h"
#include "dating/output/Messages.h"
#include "dating/output/OutputSink.h"
#include "dating/workbook/WorkbookSheet.h"

#include <QLocale>

namespace {

constexpr qint64 kLastColumn = 16383;         // the last column a sheet can have (XFD)
constexpr qsizetype kLongestSerial = 1 << 20; // a cell longer than this holds no serial

// The last column in which the row holds something.
qint64 lastColumnOf(const SheetRow& row)
{
    qint64 last = -1;
    for (const SheetCell& cell : row.cells)
        last = std::max(last, cell.column);
    return last;
}

// The header's names by column, an empty name where a column has no cell.
QList<QByteArray> namesOf(const SheetRow& row)
{
    QList<QByteArray> names(lastColumnOf(row) + 1);
    for (const SheetCell& cell : row.cells)
        names[cell.column] = cell.text.toUtf8();
    return names;
}

// What the serial field is given: a text cell's text, or a number cell's value written as the
// locale writes numbers, so that the field reads the cell's number.
QString serialText(const SheetCell* cell, const NumberRules::Separators& separators)
{
    if (!cell || !cell->number)
        return cell ? cell->text : QString();
    bool ok = false;
    const double value = cell->text.toDouble(&ok);
    if (!ok)
        return cell->text;
    QString text = QString::number(value, 'f', QLocale::FloatingPointShortest);
    return text.replace(u'.', separators.decimal);
}

// The estimate's columns of a row as cells: the kinds of BatchEstimator::kColumns.
QList<AddedCell> cellsOf(const QStringList& texts)
{
    using Kind = AddedCell::Kind;
    static constexpr std::array<Kind, BatchEstimator::kColumns.size()> kKinds{
        Kind::Number, Kind::Text,   Kind::Number, Kind::Number, Kind::Number,
        Kind::Number, Kind::Number, Kind::Number, Kind::Number, Kind::Number,
        Kind::Text,   Kind::Text,   Kind::Date};
    QList<AddedCell> cells;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const Kind kind = texts[i].isEmpty() ? Kind::Empty : kKinds[std::size_t(i)];
        cells.append({kind, texts[i]});
    }
    return cells;
}

QList<AddedCell> headerCells()
{
    QList<AddedCell> cells;
    for (const QByteArrayView name : BatchEstimator::kColumns)
        cells.append(
            {AddedCell::Kind::Text, QStringLiteral("estimate_") + QString::fromLatin1(name)});
    return cells;
}

} // namespace

int runWorkbook(const BatchOptions& options, const NumberRules::Separators& separators,
                const QByteArray& workbook, QByteArray& dated, TableProgress* progress)
{
    // The reader: the workbook's sheet, read down to the table's header.
    const OpenedWorkbook opened = openWorkbook(workbook, options.sheet);
    if (!opened.sheet)
        return Messages::workbookRefused(opened.problem);
    WorkbookSheet& sheet = *opened.sheet;
    const auto unreadable = [&] {
        return Messages::workbookRefused(QStringLiteral("this %1 workbook cannot be read: %2")
                                             .arg(opened.kind, sheet.problem()));
    };
    SheetRow row;
    std::optional<qint64> headerRow;
    QList<QByteArray> firstNames;
    HeaderColumn chosen;
    while (!headerRow && sheet.nextRow(row)) {
        const QList<QByteArray> names = namesOf(row);
        if (firstNames.isEmpty())
            firstNames = names;
        chosen = HeaderColumn::choose(names, *options.column);
        if (chosen.index >= 0 || !chosen.sharing.isEmpty())
            headerRow = row.number;
    }
    if (!sheet.problem().isEmpty())
        return unreadable();
    if (!headerRow && firstNames.isEmpty())
        return Messages::noHeaderRow(*options.column);
    if (!headerRow)
        return Messages::noSuchColumn(firstNames, *options.column);
    if (!chosen.sharing.isEmpty())
        return Messages::sharedColumn(*options.column, chosen.sharing);

    // The writer: the sheet read again from the top, with the estimate's cells added right of the
    // header. A row or merged cell of the table that reaches further is known only once it is
    // read: then the sheet is read a last time, with the cells right of the furthest.
    BatchEstimator estimator(separators);
    QByteArray said; // what would go to standard output: nothing, but the messages' order
    OutputSink out(&said);
    Messages::Tally tally;
    const auto count = qint64(BatchEstimator::kColumns.size());
    qint64 first = lastColumnOf(row) + 1;
    qint64 saidUpTo = 0; // the rows already counted and said, on an earlier reading
    double shown = 0;
    for (qint64 reaches = -1;; first = reaches + 1) {
        if (first + count - 1 > kLastColumn)
            return Messages::workbookRefused(
                QStringLiteral("the table reaches too far to the right: a sheet has no room for "
                               "the estimate's %1 columns beside it")
                    .arg(count));
        sheet.rewind(first, count);
        reaches = first - 1;
        while (sheet.nextRow(row)) {
            if (row.number < *headerRow)
                continue;
            reaches = std::max(reaches, lastColumnOf(row));
            if (reaches >= first)
                continue; // no cells in this reading: the next puts them further right
            if (row.number == *headerRow) {
                sheet.addCells(headerCells());
                continue;
            }
            const SheetCell* cell = row.at(chosen.index);
            const QString serial = serialText(cell, separators);
            const bool calculated = serial.size() <= kLongestSerial && estimator.estimate(serial);
            const QString error = calculated                       ? QString()
                                  : serial.size() > kLongestSerial ? Messages::notASerialNumber()
                                                                   : estimator.message();
            sheet.addCells(cellsOf(estimator.columnTexts(error)));
            if (row.number < saidUpTo)
                continue;
            saidUpTo = row.number + row.repeat;
            tally.count(calculated, row.repeat);
            if (const QString read = calculated ? estimator.serialReadOtherwise(serial) : QString();
                !read.isEmpty())
                Messages::serialReadAs(
                    out,
                    QStringLiteral("row %1: \"%2\"")
                        .arg(row.number)
                        .arg(InputText::escaped(serial.toUtf8(), InputText::Encoding::Utf8)),
                    read);
            if (progress) {
                progress->row(serial, estimator, error);
                shown = std::max(shown, sheet.progress());
                progress->advanced(shown);
            }
        }
        if (!sheet.problem().isEmpty())
            return unreadable();
        reaches = std::max(reaches, sheet.lastMergedColumn(*headerRow));
        if (reaches < first)
            break;
    }

    // The end: the workbook whole, or nothing.
    dated = sheet.finish();
    if (dated.isEmpty())
        return Messages::workbookRefused(QStringLiteral("this %1 workbook cannot be dated: %2")
                                             .arg(opened.kind, sheet.problem()));
    return Messages::finish(out, 0, tally, Messages::Inputs::TableRows);
}
