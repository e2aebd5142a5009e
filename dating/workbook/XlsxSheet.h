#pragma once

#include "WorkbookSheet.h"
#include "XmlSplice.h"
#include "ZipArchive.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <memory>
#include <optional>

// A worksheet of an Office Open XML workbook (.xlsx, transitional or strict), as Excel,
// LibreOffice and Gnumeric write them. Rows come from the sheet's XML; text from shared strings
// or from the cell. Cells are added as inline strings, numbers and dates (with a date style added
// to the workbook's styles); the sheet's dimension is widened to them.
class XlsxSheet final : public WorkbookSheet {
public:
    // The sheet named `sheetName`, or the first; none when the workbook has no such sheet or
    // cannot be read, and `problem` says why.
    static std::unique_ptr<WorkbookSheet> open(std::unique_ptr<ZipArchive> zip,
                                               const std::optional<QString>& sheetName,
                                               QString& problem);

    bool nextRow(SheetRow& row) override;
    double progress() const override { return sheet_->progress(); }
    qint64 lastMergedColumn(qint64 row) const override;
    void rewind(qint64 first, qint64 count) override;
    void addCells(const QList<AddedCell>& cells) override;
    QByteArray finish() override;

private:
    // A cell element of the row just read: where it stands in the sheet's text.
    struct CellPlace {
        qint64 column = 0;
        qsizetype start = 0;
        qsizetype end = 0;
    };
    struct Merge {
        qint64 lastRow = 0;
        qint64 lastColumn = 0;
    };

    XlsxSheet() = default;
    bool readCell(SheetRow& row, qint64 column, QStringView typeAttribute);
    void widenDimension();
    QByteArray datedStyles();
    void appendCell(QByteArray& xml, QByteArrayView column, QByteArrayView row,
                    const AddedCell& cell) const;
    bool fail(const QString& problem);
    void writeParts(const QByteArray& upTo);

    std::unique_ptr<ZipArchive> zip_;
    QByteArray sheetName_; // the parts' names
    QByteArray stylesName_;
    QStringList sharedStrings_;
    bool date1904_ = false;
    std::optional<XmlSplice> sheet_;
    QByteArray prefix_; // of the sheet's elements, "x:" or none (UTF-8)

    qint64 lastRowNumber_ = 0;
    QList<CellPlace> places_; // of the row just read
    qsizetype rowEnd_ = 0;    // where its end tag starts
    QList<Merge> merges_;

    qint64 first_ = -1; // the added columns, once rewound
    qint64 count_ = 0;
    QList<QByteArray> addedColumns_; // their names
    QByteArray added_;               // a row's added cells, its room kept from row to row
    int dateStyle_ = -1;             // the cell format of the added dates
    int dateFormat_ = 0;             // its number format
    QByteArray styles_;              // with the dates' format
    std::optional<ZipWriter> writer_;
    qsizetype written_ = 0; // the parts written so far
    bool stylesHaveFormats_ = false;
};
