// tarnwick-estimate: the calculator's answers for many serial numbers at once.
#include "BatchRun.h"
#include "InputText.h"
#include "Messages.h"
#include "OutputSink.h"
#include "SystemIo.h"

#include "app/Identity.h"

#include <QLocale>

#include <cstring>
#include <unistd.h>

namespace {

constexpr const char* kUsage =
    "usage: tarnwick-estimate [--csv] [SERIAL ...]\n"
    "       tarnwick-estimate --column NAME [--delimiter C] < table.csv\n"
    "       tarnwick-estimate --built-on [--csv] [DATE ...]\n";

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
    "                 estimate_error)\n"
    "  --delimiter C  the field separator of that CSV (default: comma, semicolon or TAB,\n"
    "                 as its header row shows; 'tab' for TAB)\n"
    "  --built-on     the inputs are days, written as the result sentence writes them\n"
    "                 (January 9, 1909; Oct-Dec 9, 1912 for October to December 1912) or\n"
    "                 as 1909-01-09: give the serials the estimate puts on each day\n"
    "  --help         show this help and exit\n"
    "  --version      show the version and exit\n"
    "\n"
    "Examples:\n"
    "  tarnwick-estimate 400 5\n"
    "  tarnwick-estimate --csv < serials.txt > dates.csv\n"
    "  tarnwick-estimate --column Serial < registry.csv > registry-dated.csv\n"
    "  tarnwick-estimate --built-on 'January 9, 1909' 1924-02-04\n"
    "\n"
    "Exit status: 0 when every input was calculated, 1 when any was not or the input could\n"
    "not be read or the output written, 2 for a usage error.\n";

int usageError(const QString& message)
{
    Messages::say(message);
    Messages::write(kUsage);
    return kUsageError;
}

int show(const QByteArray& text)
{
    OutputSink out(STDOUT_FILENO);
    out.append(text);
    if (out.flush())
        return kAllCalculated;
    Messages::say(Messages::cannotWrite(out.error()));
    return kNotAllCalculated;
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

// "--name VALUE" or "--name=VALUE"; advances i past the value.
std::optional<QByteArray> valueOf(const char* name, int argc, char** argv, int& i)
{
    const std::size_t length = std::strlen(name);
    if (std::strncmp(argv[i], name, length) != 0)
        return std::nullopt;
    if (argv[i][length] == '=')
        return QByteArray(argv[i] + length + 1);
    if (argv[i][length] == '\0' && i + 1 < argc)
        return QByteArray(argv[++i]);
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    SystemIo::prepareStandardStreams();
    const SystemIo::Utf8Arguments utf8Arguments(argc, argv);
    argv = utf8Arguments.argv();
    BatchOptions options;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (optionsEnded || std::strncmp(arg, "--", 2) != 0) {
            options.inputs.append(QByteArray(arg));
        } else if (std::strcmp(arg, "--") == 0) {
            optionsEnded = true;
        } else if (std::strcmp(arg, "--csv") == 0) {
            options.csv = true;
        } else if (std::strcmp(arg, "--built-on") == 0) {
            options.builtOn = true;
        } else if (std::strcmp(arg, "--help") == 0) {
            return show(QByteArray(kUsage) + kHelp);
        } else if (std::strcmp(arg, "--version") == 0) {
            return show("tarnwick-estimate " + appIdentity().versionText().toUtf8() + '\n');
        } else if (const auto column = valueOf("--column", argc, argv, i)) {
            options.column = QString::fromUtf8(*column);
        } else if (const auto delimiter = valueOf("--delimiter", argc, argv, i)) {
            options.delimiter = delimiterFrom(*delimiter);
            if (!options.delimiter)
                return usageError(QStringLiteral("--delimiter takes one ASCII character other "
                                                 "than a quote or a line break, or 'tab'"));
        } else {
            return usageError(QStringLiteral("unknown option '%1'")
                                  .arg(InputText::escaped(arg, InputText::Encoding::Utf8)));
        }
    }
    if (options.column && !options.inputs.isEmpty())
        return usageError(QStringLiteral("--column reads standard input; give no SERIAL with it"));
    if (options.column && options.builtOn)
        return usageError(QStringLiteral("--built-on and --column cannot be given together"));
    if (options.delimiter && !options.column)
        return usageError(QStringLiteral("--delimiter needs --column"));

    return runBatch(options, NumberRules::Separators::fromLocale(QLocale::system()));
}
