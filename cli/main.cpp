// tarnwick-estimate: the calculator's answers for many serial numbers at once.
#include "BatchEstimator.h"
#include "OutputWriter.h"

#include "app/Identity.h"

#include <QLocale>
#include <QStringList>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* kUsage = "usage: tarnwick-estimate [--csv] [SERIAL ...]\n";

constexpr const char* kHelp =
    "Estimates the build date of Quorvin Halvex cars from their serial numbers.\n"
    "\n"
    "With no SERIAL, reads standard input, one serial per line (blank lines are skipped).\n"
    "Each serial gives the result sentence of the calculator's window on one line.\n"
    "\n"
    "  --csv      write CSV (RFC 4180) with a header row and one row per input\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "Exit status: 0 when every input was calculated, 1 when any was not, 2 for a usage error.\n";

bool isBlankLine(const std::string& line)
{
    return line.find_first_not_of(" \t\v\f") == std::string::npos;
}

// Reads standard input one line at a time; a CR LF ending counts as a line ending.
bool readLine(std::FILE* in, std::string& line)
{
    line.clear();
    char chunk[4096];
    bool any = false;
    while (std::fgets(chunk, sizeof chunk, in)) {
        any = true;
        const std::size_t n = std::strlen(chunk);
        if (n > 0 && chunk[n - 1] == '\n') {
            line.append(chunk, n - 1);
            break;
        }
        line.append(chunk, n);
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return any;
}

} // namespace

int main(int argc, char** argv)
{
    bool csv = false;
    bool optionsEnded = false;
    QStringList serials;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!optionsEnded && std::strncmp(arg, "--", 2) == 0) {
            if (std::strcmp(arg, "--") == 0) {
                optionsEnded = true;
            } else if (std::strcmp(arg, "--csv") == 0) {
                csv = true;
            } else if (std::strcmp(arg, "--help") == 0) {
                std::fputs(kUsage, stdout);
                std::fputs(kHelp, stdout);
                return 0;
            } else if (std::strcmp(arg, "--version") == 0) {
                std::printf("tarnwick-estimate %s\n", qPrintable(appIdentity().versionText()));
                return 0;
            } else {
                std::fprintf(stderr, "tarnwick-estimate: unknown option '%s'\n%s", arg, kUsage);
                return 2;
            }
        } else {
            serials.append(QString::fromLocal8Bit(arg));
        }
    }

    BatchEstimator estimator(NumberRules::Separators::fromLocale(QLocale::system()));
    OutputWriter writer(stdout, stderr,
                        csv ? OutputWriter::Format::Csv : OutputWriter::Format::Plain);
    bool allCalculated = true;
    auto run = [&](const QString& input) {
        const BatchEstimator::Result result = estimator.estimate(input);
        allCalculated = allCalculated && result.calculated;
        writer.write(input, result, estimator.fields());
    };

    if (!serials.isEmpty()) {
        for (const QString& serial : serials)
            run(serial);
    } else {
        std::string line;
        while (readLine(stdin, line)) {
            if (!isBlankLine(line))
                run(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
        }
    }
    if (!writer.finish()) {
        std::fputs("tarnwick-estimate: cannot write the output\n", stderr);
        return 1;
    }
    return allCalculated ? 0 : 1;
}
