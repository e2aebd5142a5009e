#include "BatchRun.h"

#include "BatchEstimator.h"
#include "BuiltOnWriters.h"
#include "ColumnChoice.h"
#include "ColumnOutput.h"
#include "CsvOutput.h"
#include "CsvReader.h"
#include "InputStream.h"
#include "LineReader.h"
#include "Messages.h"
#include "OutputSink.h"
#include "PlainOutput.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <unistd.h>

namespace {

using Result = BatchEstimator::Result;

bool isBlank(const QString& text)
{
    return std::ranges::all_of(
        text, [](QChar c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; });
}

// The end of a run: what is still buffered goes out, then a failed write or read is said.
int finish(OutputSink& out, int readError, bool allCalculated)
{
    if (!out.flush()) {
        Messages::say(Messages::cannotWrite(out.error()));
        return kNotAllCalculated;
    }
    if (readError != 0) {
        Messages::say(Messages::cannotRead(readError));
        return kNotAllCalculated;
    }
    return allCalculated ? kAllCalculated : kNotAllCalculated;
}

// The inputs of the line modes: the arguments, else the lines of standard input (blank ones
// skipped). Each goes to `answer` with its text, none when it is not text or was cut; `answer`
// says whether it was answered.
using Answer = std::function<bool(const InputText::Piece& input, const QString* text)>;

int onEachInput(const BatchOptions& options, OutputSink& out, const Answer& answer)
{
    bool allAnswered = true;
    const auto take = [&](const InputText::Piece& input, bool skipBlank) {
        const std::optional<QString> text =
            input.cut ? std::nullopt : InputText::decode(input.bytes, input.encoding);
        if (skipBlank && text && isBlank(*text))
            return true;
        allAnswered = answer(input, text ? &*text : nullptr) && allAnswered;
        return !out.failed();
    };
    if (!options.inputs.isEmpty()) {
        for (const QByteArray& argument : options.inputs) {
            const InputText::ByteOrderMark mark = InputText::sniff(argument);
            if (!take({QByteArrayView(argument).sliced(mark.length), mark.encoding}, false))
                break;
        }
        return finish(out, 0, allAnswered);
    }
    InputStream input(STDIN_FILENO, [&out] { return out.flush(); });
    LineReader lines(input);
    LineReader::Line line;
    while (lines.next(line) && take({line.bytes, lines.encoding(), line.tooLong}, true)) {
    }
    return finish(out, input.error(), allAnswered);
}

int runOnSerials(const BatchOptions& options, const NumberRules::Separators& separators)
{
    OutputSink out(STDOUT_FILENO);
    BatchEstimator estimator(separators);
    std::unique_ptr<LineOutput> output;
    if (options.csv)
        output = std::make_unique<CsvOutput>(out, separators);
    else
        output = std::make_unique<PlainOutput>(out);
    return onEachInput(options, out, [&](const InputText::Piece& input, const QString* text) {
        const Result result = input.cut ? Result{false, BatchEstimator::lineTooLong()}
                              : !text   ? Result{false, BatchEstimator::notASerialNumber()}
                                        : estimator.estimate(*text);
        output->write(input, text, result, estimator.fields());
        return result.calculated;
    });
}

int runOnDays(const BatchOptions& options, const NumberRules::Separators& separators)
{
    OutputSink out(STDOUT_FILENO);
    DaySerialFinder finder;
    std::unique_ptr<BuiltOnWriter> output;
    if (options.csv)
        output = std::make_unique<BuiltOnCsvWriter>(out, separators);
    else
        output = std::make_unique<BuiltOnPlainWriter>(out);
    return onEachInput(options, out, [&](const InputText::Piece& input, const QString* text) {
        const BuiltOnAnswer answer = input.cut
                                         ? BuiltOnAnswer{{}, {}, BatchEstimator::lineTooLong()}
                                     : !text ? BuiltOnAnswer{{}, {}, notADate()}
                                             : finder.answer(*text);
        output->write(input, text, answer);
        return answer.answered();
    });
}

int runOnColumn(const BatchOptions& options, const NumberRules::Separators& separators)
{
    OutputSink out(STDOUT_FILENO);
    InputStream input(STDIN_FILENO, [&out] { return out.flush(); });
    Utf8Input text(input);
    CsvReader reader(text);
    CsvReader::Row header;
    if (!reader.readHeader(options.delimiter, header)) {
        if (input.error() != 0)
            return finish(out, input.error(), false);
        Messages::say(
            QStringLiteral("the input has no header row to find column \"%1\" in")
                .arg(InputText::escaped(options.column->toUtf8(), InputText::Encoding::Utf8)));
        return kUsageError;
    }
    const std::optional<qsizetype> column = chooseColumn(header.fields, *options.column);
    if (!column) {
        Messages::say(noSuchColumn(header.fields, *options.column));
        return kUsageError;
    }

    BatchEstimator estimator(separators);
    ColumnOutput output(out, reader.delimiter(), text.hadByteOrderMark());
    output.writeHeader(header.fields);
    bool allCalculated = true;
    CsvReader::Row row;
    while (!out.failed() && reader.next(row)) {
        const QByteArrayView serial =
            *column < row.fields.size() ? QByteArrayView(row.fields[*column]) : QByteArrayView();
        const std::optional<QString> serialText =
            InputText::decode(serial, InputText::Encoding::Utf8);
        const Result result = row.tooLong   ? Result{false, BatchEstimator::lineTooLong()}
                              : !serialText ? Result{false, BatchEstimator::notASerialNumber()}
                                            : estimator.estimate(*serialText);
        allCalculated = allCalculated && result.calculated;
        output.write(row.fields, result, estimator.fields());
    }
    return finish(out, input.error(), allCalculated);
}

} // namespace

int runBatch(const BatchOptions& options, const NumberRules::Separators& separators)
{
    if (options.column)
        return runOnColumn(options, separators);
    if (options.builtOn)
        return runOnDays(options, separators);
    return runOnSerials(options, separators);
}
