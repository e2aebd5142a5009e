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

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <unistd.h>

namespace {

constexpr qint64 kLargestWorkbook = qint64(256) << 20;

// The CSV through the column mode, to standard output or the output file. The table (none for
// standard input) is closed before the output is put in place, which may be where it was: Windows
// renames nothing onto a file that is open.
int dateCsv(const BatchOptions& options, const NumberRules::Separators& separators, QFile* table)
{
    DescriptorSource source(table ? table->handle() : STDIN_FILENO);
    if (!options.output) {
        DescriptorSink standardOutput(STDOUT_FILENO);
        OutputSink out(standardOutput);
        InputStream input(source, &out);
        return runColumn(options, separators, input, out);
    }
    QSaveFile file(*options.output);
    if (!file.open(QIODevice::WriteOnly))
        return Messages::cannotWrite(*options.output, file.errorString());
    DescriptorSink sink(file.handle());
    OutputSink out(sink);
    InputStream input(source, &out);
    const int status = runColumn(options, separators, input, out);
    if (status == Messages::kUsageError || out.failed() || input.error() != 0 ||
        !input.spreadsheet().isEmpty())
        return status;
    if (table)
        table->close();
    if (!file.commit())
        return Messages::cannotWrite(*options.output, file.errorString());
    return status;
}

int dateWorkbook(const BatchOptions& options, const NumberRules::Separators& separators,
                 QFile& table, const QString& kind)
{
    const QString& name = *options.table;
    if (!options.output)
        return Usage::error(Usage::Error::WorkbookWithoutOutput, name.toUtf8());
    const QString suffix = u'.' + QFileInfo(*options.output).suffix().toLower();
    const bool namesAKind =
        suffix == u".xlsx" || suffix == u".ods" || suffix == u".xls" || suffix == u".csv";
    if (namesAKind && !kind.isEmpty() && kind != u".xls" && suffix != kind)
        return Usage::error(Usage::Error::OutputOfOtherKind, kind.toUtf8());
    if (table.size() > kLargestWorkbook)
        return Messages::workbookRefused(
            QStringLiteral("%1 is larger than the %2 MiB of a workbook that Tarnwick reads")
                .arg(name)
                .arg(kLargestWorkbook >> 20));
    const QByteArray workbook = table.readAll();
    if (table.error() != QFileDevice::NoError)
        return Messages::cannotRead(name, table.errorString());
    table.close();

    QByteArray dated;
    const int status = runWorkbook(options, separators, workbook, dated);
    if (dated.isEmpty())
        return status;
    QSaveFile file(*options.output);
    if (!file.open(QIODevice::WriteOnly) || file.write(dated) != dated.size() || !file.commit())
        return Messages::cannotWrite(*options.output, file.errorString());
    return status;
}

} // namespace

int runTable(const BatchOptions& options, const NumberRules::Separators& separators)
{
    if (!options.table) {
        if (options.sheet)
            return Usage::error(Usage::Error::SheetOfCsv, "standard input");
        return dateCsv(options, separators, nullptr);
    }
    QFile table(*options.table);
    if (!table.open(QIODevice::ReadOnly))
        return Messages::cannotRead(*options.table, table.errorString());
    if (table.isSequential()) // a pipe: read as standard input is
        return dateCsv(options, separators, &table);
    const QByteArray start = table.peek(SpreadsheetFile::kStartBytes);
    const QString kind = SpreadsheetFile::kind(start);
    if (!kind.isEmpty())
        return dateWorkbook(options, separators, table, kind);
    if (start.startsWith("PK") || start.startsWith("\xD0\xCF\x11\xE0"))
        return dateWorkbook(options, separators, table, {});
    if (options.sheet)
        return Usage::error(Usage::Error::SheetOfCsv, options.table->toUtf8());
    table.seek(0); // the descriptor back at the start that peek() read
    return dateCsv(options, separators, &table);
}
