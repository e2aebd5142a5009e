// --built-on: each DATE, else each line of standard input, is read as a day, and the serials
// that the estimate puts on that day are found (DaySerialFinder). Plain output is one line per
// day on standard output, or a message on standard error; --csv writes a header row, then one row
// per input: the input, the day and its serials. A first line of standard input without a digit
// is a header (a spreadsheet's column) and is passed over.
#include "Modes.h"

#include "dating/DaySerials.h"
#include "dating/input/InputStream.h"
#include "dating/input/LineReader.h"
#include "dating/output/CsvRecord.h"
#include "dating/output/Messages.h"
#include "dating/output/OutputSink.h"

#include <QLocale>

#include <algorithm>
#include <utility>

namespace {

// A first line that holds no digit is a column's name, such as "Built on", not a day.
bool isHeader(const QString& line)
{
    return std::none_of(line.begin(), line.end(), [](QChar c) { return c.isDigit(); });
}

} // namespace

int runBuiltOn(const BatchOptions& options, const NumberRules::Separators& separators,
               InputStream& input, OutputSink& out)
{
    LineReader inputs(options.inputs, input);
    DaySerialFinder finder;
    const SlashDateOrder slashDates = slashDateOrder(QLocale::system());
    if (options.csv)
        CsvRecord(out, ',').fields(BuiltOnAnswer::kCsvColumns).end();

    Messages::Tally tally;
    bool firstLine = options.inputs.isEmpty(); // of standard input
    while (!out.failed() && inputs.next()) {
        const std::optional<QString>& text = inputs.text();
        if (std::exchange(firstLine, false) && text && isHeader(*text))
            continue;
        const BuiltOnAnswer answer =
            text ? finder.answer(*text, slashDates)
                 : BuiltOnAnswer{{}, {}, inputs.tooLong() ? Messages::lineTooLong() : notADate()};
        const bool answered = answer.answered() && answer.day;
        tally.count(answered);
        if (options.csv) {
            CsvRecord row(out, ',');
            row.inputField(text ? *text : inputs.shown(),
                           text && NumberRules::fieldValue(*text, separators));
            const auto fields = answer.csvFields({});
            for (std::size_t i = 1; i < fields.size(); ++i) // after the input
                row.field(fields[i]);
            row.end();
        } else if (answered) {
            out.writeLine(answer.line());
        } else {
            Messages::inputFailed(out, inputs.shown(), answer.message);
        }
    }
    if (!input.spreadsheet().isEmpty())
        return Messages::spreadsheetGiven(input.spreadsheet());
    return Messages::finish(out, input.error(), tally,
                            options.csv ? Messages::Inputs::CsvDays : Messages::Inputs::Days);
}
