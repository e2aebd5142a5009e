// tarnwick-estimate: the calculator's answers for many serial numbers at once.
#include "Descriptors.h"
#include "SystemIo.h"
#include "TableFiles.h"
#include "Usage.h"

#include "dating/input/InputStream.h"
#include "dating/input/InputText.h"
#include "dating/modes/Modes.h"
#include "dating/output/Messages.h"
#include "dating/output/OutputSink.h"

#include "app/Identity.h"

#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>

#include <unistd.h>

namespace {

constexpr const char* kHelp =
    "Estimates the build date of Quorvin Halvex cars from their serial numbers.\n"
    "\n"
    "With no SERIAL (or DATE), reads standard input, one per line (blank lines are skipped).\n"
    "Input is UTF-8, or UTF-16 when it starts with a byte-order mark. Each serial gives the\n"
    "result sentence of the calculator's window on one line; an input that cannot be\n"
    "calculated gives a message on standard error instead.\n"
    "\n"
    "  --csv          write CSV (RFC 4180) with a header row and one row per input\n"
    "  --column NAME  read standard input as CSV whose first row is a header, take each\n"
    "                 row's serial from column NAME (or its 1-based number), and write\n"
    "                 the same rows with the estimate's columns added (estimate_serial ...\n"
    "                 estimate_error); or read the TABLE file named: CSV, or a workbook\n"
    "                 (.xlsx, .ods) whose header is the first row with a cell NAME, written\n"
    "                 whole with the estimate's columns added right of the table\n"
    "  --delimiter C  the field separator of that CSV (default: comma, semicolon or TAB,\n"
    "                 as its header row shows, or a first line sep=C; 'tab' for TAB)\n"
    "  --sheet NAME   with --column and a workbook: the sheet that holds the table (default:\n"
    "                 the first)\n"
    "  --output FILE  with --column: write the dated table to FILE (written whole, then\n"
    "                 put in place); needed for a workbook\n"
    "  --encoding NAME  the encoding of that CSV: UTF-8, UTF-16LE, UTF-16BE, windows-1252...\n"
    "                 (default: UTF-8, UTF-16 by its byte-order mark or zero bytes, else\n"
    "                 windows-1252, said on standard error)\n"
    "  --built-on     the inputs are days, written as the result sentence writes them\n"
    "                 (January 9, 1909; Oct-Dec 9, 1912 for October to December 1912) or\n"
    "                 as spreadsheets write them (1909-01-09, 1909-01-09 00:00:00,\n"
    "                 9-Jan-1909, Jan 9, 1909, 09.01.1909, slash dates in the order of\n"
    "                 the locale's short dates): give the serials the estimate puts on\n"
    "                 each day\n"
    "  --help         show this help and exit\n"
    "  --version      show the version and exit\n"
    "\n"
    "Examples:\n"
    "  tarnwick-estimate 400 5\n"
    "  tarnwick-estimate --csv < serials.txt > dates.csv\n"
    "  tarnwick-estimate --column Serial < registry.csv > registry-dated.csv\n"
    "  tarnwick-estimate --column Serial registry.xlsx --output registry-dated.xlsx\n"
    "  tarnwick-estimate --built-on 'January 9, 1909' 1924-02-04\n"
    "\n"
    "Exit status: 0 when every input was calculated, 1 when any was not or the input could\n"
    "not be read or the output written, 2 for a usage error.\n";

int show(const QByteArray& text)
{
    DescriptorSink standardOutput(STDOUT_FILENO);
    OutputSink out(standardOutput);
    out.append(text);
    return Messages::finish(out, 0, true);
}

std::optional<char> delimiterFrom(const QByteArray& text)
{
    if (text == "tab" || text == "\\t")
        return '\t';
    if (text.size() != 1 || static_cast<unsigned char>(text[0]) >= 0x80)
        return std::nullopt;
    const char c = text[0];
    if (c == '"' || c == '\r' || c == '\n')
        return std::nullopt;
    return c;
}

} // namespace

// The options are read as bytes: "--name", or "--name VALUE" or "--name=VALUE" for the two that
// take a value, and "--" ends them. Every other argument, "-5" too, is a SERIAL (or DATE).
int main(int argc, char** argv)
{
    SystemIo::prepareStandardStreams();
    DescriptorSink standardError(STDERR_FILENO);
    Messages::sendTo(&standardError);
    const SystemIo::Utf8Arguments utf8Arguments(argc, argv);
    argv = utf8Arguments.argv();
    BatchOptions options;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (optionsEnded || !argument.startsWith("--")) {
            options.inputs.append(argument);
            continue;
        }
        const qsizetype equals = argument.indexOf('=');
        const QByteArray name = equals < 0 ? argument : argument.first(equals);
        if (name == "--encoding") {
            if (equals < 0 && i + 1 == argc)
                return Usage::error(Usage::Error::BadEncoding);
            const QByteArray value =
                equals < 0 ? QByteArray(argv[++i]) : argument.sliced(equals + 1);
            if (!QStringDecoder(value.constData()).isValid() && !InputText::isWindows1252(value))
                return Usage::error(Usage::Error::BadEncoding, value);
            options.encoding = QString::fromLatin1(value);
        } else if (name == "--output" || name == "--sheet") {
            if (equals < 0 && i + 1 == argc)
                return Usage::error(Usage::Error::MissingValue, name);
            const QString value =
                QString::fromUtf8(equals < 0 ? QByteArray(argv[++i]) : argument.sliced(equals + 1));
            (name == "--output" ? options.output : options.sheet) = value;
        } else if (name == "--column" || name == "--delimiter") {
            const bool isColumn = name == "--column";
            if (equals < 0 && i + 1 == argc)
                return Usage::error(isColumn ? Usage::Error::NoColumnName
                                             : Usage::Error::BadDelimiter);
            const QByteArray value =
                equals < 0 ? QByteArray(argv[++i]) : argument.sliced(equals + 1);
            if (isColumn)
                options.column = QString::fromUtf8(value);
            else
                options.delimiter = delimiterFrom(value);
            if (!isColumn && !options.delimiter)
                return Usage::error(Usage::Error::BadDelimiter);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--csv") {
            options.csv = true;
        } else if (argument == "--built-on") {
            options.builtOn = true;
        } else if (argument == "--help") {
            return show(Usage::kSynopsis.toByteArray() + kHelp);
        } else if (argument == "--version") {
            return show("tarnwick-estimate " + appIdentity().versionText().toUtf8() + '\n');
        } else {
            return Usage::error(Usage::Error::UnknownOption, argument);
        }
    }
    if (options.column) {
        // One argument names the table's file; a serial given by mistake is said as such.
        for (const QByteArray& input : options.inputs) {
            if (!QFileInfo::exists(QString::fromUtf8(input)) &&
                NumberRules::fieldValue(QString::fromUtf8(input), NumberRules::Separators()))
                return Usage::error(Usage::Error::ColumnWithSerials);
        }
        if (options.inputs.size() > 1)
            return Usage::error(Usage::Error::SeveralTables);
        if (!options.inputs.isEmpty())
            options.table = QString::fromUtf8(options.inputs.takeFirst());
    }
    if (options.output && !options.column)
        return Usage::error(Usage::Error::OutputWithoutColumn);
    if (options.sheet && !options.column)
        return Usage::error(Usage::Error::SheetWithoutColumn);
    if (options.column && options.builtOn)
        return Usage::error(Usage::Error::ColumnWithBuiltOn);
    if (options.column && options.csv)
        return Usage::error(Usage::Error::ColumnWithCsv);
    if (options.delimiter && !options.column)
        return Usage::error(Usage::Error::DelimiterWithoutColumn);
    if (!options.encoding.isEmpty() && !options.column)
        return Usage::error(Usage::Error::EncodingWithoutColumn);

    const auto separators = NumberRules::Separators::fromLocale(QLocale::system());
    if (options.column)
        return runTable(options, separators);
    DescriptorSink standardOutput(STDOUT_FILENO);
    DescriptorSource standardInput(STDIN_FILENO);
    OutputSink out(standardOutput);
    InputStream input(standardInput, &out);
    if (options.builtOn)
        return runBuiltOn(options, separators, input, out);
    return runSerials(options, separators, input, out);
}
