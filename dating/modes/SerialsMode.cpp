// Each SERIAL, else each line of standard input, is entered whole into the serial field of a
// freshly opened window and calculated. Plain output is its result sentence on standard output,
// or a message on standard error; --csv writes a header row, then one row per input: the input,
// then the estimate's columns.
#include "Modes.h"

#include "dating/BatchEstimator.h"
#include "dating/input/InputStream.h"
#include "dating/input/LineReader.h"
#include "dating/output/CsvRecord.h"
#include "dating/output/Messages.h"
#include "dating/output/OutputSink.h"

int runSerials(const BatchOptions& options, const NumberRules::Separators& separators,
               InputStream& input, OutputSink& out)
{
    LineReader inputs(options.inputs, input);
    BatchEstimator estimator(separators);
    if (options.csv)
        CsvRecord(out, ',').field(QByteArrayView("input")).fields(BatchEstimator::kColumns).end();

    Messages::Tally tally;
    while (!out.failed() && inputs.next()) {
        const std::optional<QString>& text = inputs.text();
        const bool calculated = text && estimator.estimate(*text);
        tally.count(calculated);
        if (calculated) {
            if (const QString serial = estimator.serialReadOtherwise(*text); !serial.isEmpty())
                Messages::serialReadAs(out, inputs.shown(), serial);
        }
        const QString error = calculated         ? QString()
                              : inputs.tooLong() ? Messages::lineTooLong()
                              : !text            ? Messages::notASerialNumber()
                                                 : estimator.message();
        if (options.csv) {
            CsvRecord row(out, ',');
            row.inputField(text ? *text : inputs.shown(),
                           text && NumberRules::fieldValue(*text, separators));
            estimator.appendColumns(row, error);
            row.end();
        } else if (calculated) {
            out.writeLine(estimator.fields().text(Control::lblDate));
        } else {
            Messages::inputFailed(out, inputs.shown(), error);
        }
    }
    if (!input.spreadsheet().isEmpty())
        return Messages::spreadsheetGiven(input.spreadsheet());
    return Messages::finish(out, input.error(), tally,
                            options.csv ? Messages::Inputs::CsvSerials : Messages::Inputs::Serials);
}
