#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// One cell of a sheet that holds something, as the table reads it.
struct SheetCell {
    qint64 column = 0; // 0-based
    QString text;      // a number cell's value as XML writes it ("1234567", "1234567.5"), or the
                       // text a text cell shows; a formula's cached value
    bool number = false;
};

// One row of a sheet that holds at least one cell.
struct SheetRow {
    qint64 number = 0;      // 1-based
    qint64 repeat = 1;      // the same row this many times over (OpenDocument's repeated rows)
    QList<SheetCell> cells; // in column order

    const SheetCell* at(qint64 column) const
    {
        for (const SheetCell& cell : cells) {
            if (cell.column == column)
                return &cell;
        }
        return nullptr;
    }
};

// A cell that the estimate adds to a row.
struct AddedCell {
    enum class Kind { Empty, Text, Number, Date };
    Kind kind = Kind::Empty;
    QString value; // Text: the text; Number: as the C locale writes it; Date: YYYY-MM-DD
};

// "A", "B", ... "Z", "AA": a column (0-based) as sheets and their programs name it.
inline QString columnName(qint64 column)
{
    QString name;
    for (++column; column > 0; column = (column - 1) / 26)
        name.prepend(QChar(u'A' + char16_t((column - 1) % 26)));
    return name;
}

// One sheet of a workbook, read row by row and written back with cells added to its rows; every
// other part of the workbook stays as it was. The rows are read down to the table's header, then
// again from the top after rewind(), with the cells added as they go; a table that reaches
// further than rewind() was told is read once more, after another rewind().
class WorkbookSheet {
public:
    virtual ~WorkbookSheet() = default;

    // The next row that holds a cell; false at the end of the sheet, or on a fault (problem()).
    virtual bool nextRow(SheetRow& row) = 0;
    // How far through the sheet the last row read is, 0 to 1.
    virtual double progress() const = 0;
    // Once every row has been read: the last column (0-based) that a merged cell of the rows from
    // `row` on covers, so that no added cell lands inside one; -1 when there is none.
    virtual qint64 lastMergedColumn(qint64 row) const
    {
        Q_UNUSED(row);
        return -1;
    }
    // Back to the first row, and the workbook written afresh; the rows read from now on take
    // `count` cells from column `first` (0-based) on, and are given them only where no cell
    // that holds something reaches that far.
    virtual void rewind(qint64 first, qint64 count) = 0;
    // Adds the cells to the row nextRow() gave last, from the column rewind() named on.
    virtual void addCells(const QList<AddedCell>& cells) = 0;
    // The whole workbook with the cells added; empty on a fault (problem()).
    virtual QByteArray finish() = 0;

    // Why the sheet could not be read or written; empty while all is well.
    const QString& problem() const { return problem_; }

protected:
    QString problem_;
};

// A workbook's file opened on its sheet: the sheet named, or the first.
struct OpenedWorkbook {
    std::unique_ptr<WorkbookSheet> sheet; // none when the file is refused
    QString kind;                         // ".xlsx" or ".ods", once the file is known as one
    QString problem;                      // why it is refused: what it is and what to do
};
OpenedWorkbook openWorkbook(const QByteArray& file, const std::optional<QString>& sheetName);

// The kind of workbook a whole file is, as openWorkbook() tells it: ".xlsx" or ".ods" from a
// zip's parts (wherever they stand, however they are stored), ".xls" for an old binary workbook;
// empty for anything else.
QString workbookKind(const QByteArray& file);
