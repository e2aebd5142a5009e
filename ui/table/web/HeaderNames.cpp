#include "HeaderNames.h"

#include "dating/input/CsvReader.h"
#include "dating/input/InputStream.h"
#include "dating/input/SpreadsheetFile.h"
#include "dating/workbook/WorkbookSheet.h"

#include <algorithm>

namespace {

// How far into a workbook's sheet a header is looked for.
constexpr int kRowsLookedAt = 50;

bool saysSerial(const QString& name)
{
    return name.contains(QLatin1String("serial"), Qt::CaseInsensitive);
}

void choose(HeaderNames& header)
{
    for (qsizetype i = 0; i < header.names.size(); ++i) {
        if (saysSerial(header.names[i])) {
            header.chosen = i;
            return;
        }
    }
}

QStringList namesIn(const SheetRow& row)
{
    QStringList names;
    for (const SheetCell& cell : row.cells) {
        if (!cell.text.trimmed().isEmpty())
            names.append(cell.text);
    }
    return names;
}

void readCsv(const QByteArray& file, HeaderNames& header)
{
    InputStream input(file);
    CsvReader reader(input);
    if (!reader.readHeader(std::nullopt) || reader.tooLong()) {
        header.problem = QStringLiteral("The file holds no header row.");
        return;
    }
    for (const QByteArray& field : reader.fields()) {
        const QString name = QString::fromUtf8(field);
        if (!name.trimmed().isEmpty())
            header.names.append(name);
    }
    if (header.names.isEmpty())
        header.problem = QStringLiteral("The file's first row names no column.");
}

void readWorkbook(const QByteArray& file, HeaderNames& header)
{
    OpenedWorkbook workbook = openWorkbook(file, std::nullopt);
    if (!workbook.sheet) {
        header.problem = workbook.problem;
        return;
    }
    SheetRow row;
    QStringList first;
    for (int i = 0; i < kRowsLookedAt && workbook.sheet->nextRow(row); ++i) {
        const QStringList names = namesIn(row);
        if (first.isEmpty())
            first = names;
        if (std::any_of(names.begin(), names.end(), saysSerial)) {
            header.names = names;
            return;
        }
    }
    if (!workbook.sheet->problem().isEmpty())
        header.problem = workbook.sheet->problem();
    else if (first.isEmpty())
        header.problem = QStringLiteral("The first sheet holds no header row.");
    header.names = first;
}

} // namespace

HeaderNames HeaderNames::read(const QByteArray& file)
{
    HeaderNames header;
    const QString spreadsheet = SpreadsheetFile::kind(
        QByteArrayView(file).first(std::min(file.size(), SpreadsheetFile::kStartBytes)));
    const QString told = spreadsheet.isEmpty() ? QString() : workbookKind(file);
    header.kind = spreadsheet.isEmpty() ? QStringLiteral(".csv")
                  : told.isEmpty()      ? spreadsheet
                                        : told;
    if (spreadsheet.isEmpty())
        readCsv(file, header);
    else
        readWorkbook(file, header);
    if (header.problem.isEmpty())
        choose(header);
    else
        header.names.clear();
    return header;
}
