// --column: the command's side of a table. The table is standard input, or the file named; CSV is
// read as it streams, a workbook whole. What is dated goes to standard output, or to the file
// --output names, which is written beside its place and put there only when the whole of it is
// written: a failure never leaves half a table, and the input is only written over when --output
// names it.
#include "TableFiles.h"

#include "Descriptors.h"
#include "Usage.h"

#include "dating/input/InputStream.h"
#include "dating/input/SpreadsheetFile.h"
#include "dating/output/Messages.h"
#include "dating/output/OutputSink.h"
#include "dating/portrait/RegisterPortrait.h"
#include "dating/workbook/WorkbookSheet.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <unistd.h>

namespace {

constexpr qint64 kLargestWorkbook = qint64(256) << 20;

// The CSV through the column mode, to standard output or the output file. The table (none for
// standard input) is closed before the output is put in place, which may be where it was: Windows
// renames nothing onto a file that is open.
TableRun dateCsv(const BatchOptions& options, const NumberRules::Separators& separators,
                 QFile* table, TableProgress* progress)
{
    DescriptorSource source(table ? table->handle() : STDIN_FILENO);
    if (!options.output) {
        DescriptorSink standardOutput(STDOUT_FILENO);
        OutputSink out(standardOutput);
        InputStream input(source, &out);
        const int status = runColumn(options, separators, input, out, progress);
        return {status, status != Messages::kUsageError && !out.failed() && input.error() == 0 &&
                            input.spreadsheet().isEmpty()};
    }
    QSaveFile file(*options.output);
    if (!file.open(QIODevice::WriteOnly))
        return {Messages::cannotWrite(*options.output, file.errorString()), false};
    DescriptorSink sink(file.handle());
    OutputSink out(sink);
    InputStream input(source, &out);
    const int status = runColumn(options, separators, input, out, progress);
    if (status == Messages::kUsageError || out.failed() || input.error() != 0 ||
        !input.spreadsheet().isEmpty())
        return {status, false};
    if (table)
        table->close();
    if (!file.commit())
        return {Messages::cannotWrite(*options.output, file.errorString()), false};
    return {status, true};
}

// The workbook read whole and dated; its kind is told from its parts, and an --output named for
// another kind is refused before anything is written.
TableRun dateWorkbook(const BatchOptions& options, const NumberRules::Separators& separators,
                      QFile& table, TableProgress* progress)
{
    const QString& name = *options.table;
    if (!options.output)
        return {Usage::error(Usage::Error::WorkbookWithoutOutput, name.toUtf8()), false};
    if (table.size() > kLargestWorkbook)
        return {Messages::workbookRefused(
                    QStringLiteral("%1 is larger than the %2 MiB of a workbook that Tarnwick reads")
                        .arg(name)
                        .arg(kLargestWorkbook >> 20)),
                false};
    const QByteArray workbook = table.readAll();
    if (table.error() != QFileDevice::NoError)
        return {Messages::cannotRead(name, table.errorString()), false};
    table.close();
    const QString kind = workbookKind(workbook);
    const QString suffix = u'.' + QFileInfo(*options.output).suffix().toLower();
    const bool namesAKind =
        suffix == u".xlsx" || suffix == u".ods" || suffix == u".xls" || suffix == u".csv";
    if (namesAKind && !kind.isEmpty() && kind != u".xls" && suffix != kind)
        return {Usage::error(Usage::Error::OutputOfOtherKind, kind.toUtf8()), false};

    QByteArray dated;
    const int status = runWorkbook(options, separators, workbook, dated, progress);
    if (dated.isEmpty())
        return {status, false};
    QSaveFile file(*options.output);
    if (!file.open(QIODevice::WriteOnly) || file.write(dated) != dated.size() || !file.commit())
        return {Messages::cannotWrite(*options.output, file.errorString()), false};
    return {status, true};
}

} // namespace

TableRun runTable(const BatchOptions& options, const NumberRules::Separators& separators,
                  TableProgress* progress)
{
    if (!options.table) {
        if (options.sheet)
            return {Usage::error(Usage::Error::SheetOfCsv, "standard input"), false};
        return dateCsv(options, separators, nullptr, progress);
    }
    QFile table(*options.table);
    if (!table.open(QIODevice::ReadOnly))
        return {Messages::cannotRead(*options.table, table.errorString()), false};
    if (table.isSequential()) // a pipe: read as standard input is
        return dateCsv(options, separators, &table, progress);
    const QByteArray start = table.peek(SpreadsheetFile::kStartBytes);
    if (!SpreadsheetFile::kind(start).isEmpty() || start.startsWith("PK") ||
        start.startsWith("\xD0\xCF\x11\xE0"))
        return dateWorkbook(options, separators, table, progress);
    if (options.sheet)
        return {Usage::error(Usage::Error::SheetOfCsv, options.table->toUtf8()), false};
    table.seek(0); // the descriptor back at the start that peek() read
    return dateCsv(options, separators, &table, progress);
}

int writePortrait(RegisterPortrait& portrait, const std::optional<QString>& svg,
                  const std::optional<QString>& csv, int status)
{
    const auto write = [](const QString& name, const QByteArray& bytes) {
        QSaveFile file(name);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()
                   ? QString()
                   : file.errorString();
    };
    for (const auto& [name, isSvg] : {std::pair{svg, true}, std::pair{csv, false}}) {
        if (!name)
            continue;
        if (const QString problem = write(*name, isSvg ? portrait.svg() : portrait.monthsCsv());
            !problem.isEmpty())
            return Messages::cannotWrite(*name, problem);
    }
    return status;
}
