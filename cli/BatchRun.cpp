#include "BatchRun.h"

#include "BatchEstimator.h"
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

class LineRun {
public:
    LineRun(const BatchOptions& options, const NumberRules::Separators& separators)
        : estimator_(separators)
    {
        if (options.csv)
            output_ = std::make_unique<CsvOutput>(out_, separators);
        else
            output_ = std::make_unique<PlainOutput>(out_);
    }

    int onArguments(const QList<QByteArray>& arguments)
    {
        for (const QByteArray& argument : arguments) {
            const InputText::ByteOrderMark mark = InputText::sniff(argument);
            if (!answer({QByteArrayView(argument).sliced(mark.length), mark.encoding}, false))
                break;
        }
        return finish(out_, 0, allCalculated_);
    }

    int onStandardInput()
    {
        InputStream input(STDIN_FILENO, [this] { return out_.flush(); });
        LineReader lines(input);
        LineReader::Line line;
        while (lines.next(line)) {
            if (!answer({line.bytes, lines.encoding(), line.tooLong}, true))
                break;
        }
        return finish(out_, input.error(), allCalculated_);
    }

private:
    // False once the output has failed.
    bool answer(const InputText::Piece& input, bool skipBlank)
    {
        const std::optional<QString> text =
            input.cut ? std::nullopt : InputText::decode(input.bytes, input.encoding);
        if (skipBlank && text && isBlank(*text))
            return true;
        const Result result = input.cut ? Result{false, BatchEstimator::lineTooLong()}
                              : !text   ? Result{false, BatchEstimator::notASerialNumber()}
                                        : estimator_.estimate(*text);
        allCalculated_ = allCalculated_ && result.calculated;
        output_->write(input, text ? &*text : nullptr, result, estimator_.fields());
        return !out_.failed();
    }

    BatchEstimator estimator_;
    OutputSink out_{STDOUT_FILENO};
    std::unique_ptr<LineOutput> output_;
    bool allCalculated_ = true;
};

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
    LineRun run(options, separators);
    return options.serials.isEmpty() ? run.onStandardInput() : run.onArguments(options.serials);
}
