#include "BatchRun.h"

#include "BatchEstimator.h"
#include "BuiltOnOutput.h"
#include "ColumnChoice.h"
#include "ColumnOutput.h"
#include "CsvOutput.h"
#include "CsvReader.h"
#include "EstimateColumns.h"
#include "InputStream.h"
#include "LineReader.h"
#include "Messages.h"
#include "OutputSink.h"
#include "PlainOutput.h"

#include <QLocale>

#include <algorithm>
#include <functional>
#include <memory>
#include <span>
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

// The answer to a serial: refused when the input was cut or is not text, else calculated.
Result estimateOrRefuse(BatchEstimator& estimator, bool cut, const QString* text)
{
    if (cut)
        return {false, BatchEstimator::lineTooLong()};
    if (!text)
        return {false, BatchEstimator::notASerialNumber()};
    return estimator.estimate(*text);
}

std::unique_ptr<LineOutput> lineOutput(const BatchOptions& options, OutputSink& out,
                                       const NumberRules::Separators& separators,
                                       std::span<const QByteArrayView> columns)
{
    if (options.csv)
        return std::make_unique<CsvOutput>(out, separators, columns);
    return std::make_unique<PlainOutput>(out);
}

int runOnSerials(const BatchOptions& options, const NumberRules::Separators& separators)
{
    OutputSink out(STDOUT_FILENO);
    BatchEstimator estimator(separators);
    const FieldSet& fields = estimator.fields();
    const auto output = lineOutput(options, out, separators, EstimateColumns::kNames);
    return onEachInput(options, out, [&](const InputText::Piece& input, const QString* text) {
        const Result result = estimateOrRefuse(estimator, input.cut, text);
        output->write(input, text,
                      {result.calculated,
                       result.calculated ? fields.text(Control::lblDate) : result.message,
                       [&](CsvRecord& row) {
                           EstimateColumns::append(row, result, fields);
                       }});
        return result.calculated;
    });
}

int runOnDays(const BatchOptions& options, const NumberRules::Separators& separators)
{
    OutputSink out(STDOUT_FILENO);
    DaySerialFinder finder;
    const SlashDateOrder slashDates = slashDateOrder(QLocale::system());
    // The input's column is the output's own.
    const auto output =
        lineOutput(options, out, separators, std::span(BuiltOnOutput::kCsvColumns).subspan(1));
    return onEachInput(options, out, [&](const InputText::Piece& input, const QString* text) {
        const BuiltOnAnswer answer = input.cut
                                         ? BuiltOnAnswer{{}, {}, BatchEstimator::lineTooLong()}
                                     : !text ? BuiltOnAnswer{{}, {}, notADate()}
                                             : finder.answer(*text, slashDates);
        const bool answered = answer.answered() && answer.day;
        const auto columns = [&](CsvRecord& row) {
            const auto fields = BuiltOnOutput::csvFields({}, answer);
            for (std::size_t i = 1; i < fields.size(); ++i)
                row.field(fields[i]);
        };
        output->write(input, text,
                      {answered,
                       answered ? BuiltOnOutput::line(*answer.day, answer.serials) : answer.message,
                       columns});
        return answered;
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
        const Result result =
            estimateOrRefuse(estimator, row.tooLong, serialText ? &*serialText : nullptr);
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
