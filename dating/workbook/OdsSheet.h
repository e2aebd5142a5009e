#pragma once

#include "WorkbookSheet.h"
#include "XmlSplice.h"
#include "ZipArchive.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QXmlStreamReader>

#include <memory>
#include <optional>

// The sheet of an OpenDocument spreadsheet (content.xml) named `sheetName`, or the first; none when
// it has no such sheet or cannot be read, and `problem` says why (naming the sheets there are).
std::unique_ptr<WorkbookSheet> openOdsSheet(std::unique_ptr<ZipArchive> zip,
                                            const std::optional<QString>& sheetName,
                                            QString& problem);

// A table (<table:table>) of an OpenDocument spreadsheet's content.xml, as LibreOffice and
// Gnumeric write it. Rows and cells repeated over many rows or columns are read once; the added
// cells replace the empty cells where they go, splitting a repeated empty cell when it straddles
// them. A date style for the added dates joins the automatic styles; the table's columns are
// declared far enough to hold the added cells. Every other byte of the part stays as it was.
class OdsSheet final : public WorkbookSheet {
public:
    OdsSheet(std::unique_ptr<ZipArchive> zip, const QByteArray& content, qsizetype table);

    bool nextRow(SheetRow& row) override;
    double progress() const override { return content_.progress(); }
    qint64 lastMergedColumn(qint64 row) const override;
    void rewind(qint64 first, qint64 count) override;
    void addCells(const QList<AddedCell>& cells) override;
    QByteArray finish() override;

private:
    // An empty cell element of the row just read that lies where the added cells go.
    struct CellPlace {
        qint64 column = 0;
        qint64 repeat = 1;
        qsizetype start = 0; // its start tag's '<'
        qsizetype end = 0;   // past its end tag
        QString startTag;
        QString endTag;      // none when the start tag closes the element
        QString element;     // its qualified name
        QString repeatName;  // the repeat attribute's qualified name
        bool holds = false;  // a value or content: never to be written over
        bool merged = false; // part of merged cells
    };
    // The prefixes the added XML uses, and the declarations it needs where the part has none.
    struct Names {
        QString office, table, text, style, number;
        QString declarations;
    };

    static Names namesOf(const QXmlStreamNamespaceDeclarations& declared);
    static QString repeatedXml(const CellPlace& place, qint64 repeat);

    bool readRow(SheetRow& row);
    bool readCell(SheetRow& row);
    void readParagraph(QString& text);
    bool skipElement();
    qsizetype tagStart() const;
    bool closesItself() const;
    void startWriting();
    void addStyles(bool replace);
    void declareColumns();
    QString cellXml(const AddedCell& cell) const;
    bool fail(const QString& problem);
    bool failed(); // the part's XML fault

    std::unique_ptr<ZipArchive> zip_;
    std::optional<ZipWriter> writer_; // once rewound: the workbook as it is written
    qsizetype written_ = 0;           // the entries copied to it
    XmlSplice content_;
    QByteArray contentBytes_; // as read, to find the names it uses
    qsizetype table_ = 0;     // which table of the spreadsheet, from 0

    // Where the reading is.
    int depth_ = 0;
    qsizetype tables_ = 0;
    bool spreadsheet_ = false; // within <office:spreadsheet>
    int tableDepth_ = -1;      // within the table while >= 0
    bool done_ = false;        // past the table's end
    qint64 nextRowNumber_ = 1;
    qint64 repeatedCells_ = 0; // cells read more than once from one element
    qint64 declaredColumns_ = 0;
    QMap<qint64, qint64> merges_; // the last row of merged cells, by their last column

    // The row just read.
    qint64 column_ = 0;
    qint64 rowText_ = 0;    // characters in its cells
    qsizetype rowEnd_ = -1; // where its end tag starts
    QList<CellPlace> places_;

    // The cells added, once rewound.
    qint64 first_ = 0;
    qint64 count_ = 0;
    Names names_;
    QString dateStyle_;     // the number style
    QString dateCellStyle_; // the cell style over it
    bool stylesAdded_ = false;
    bool columnsDeclared_ = false;
};
