// --column over CSV: the table (standard input, a file, or bytes in memory) has a header as its
// first row; each row's serial is taken from the column asked for and calculated, and the table is
// written back, every column as it was read, followed by the estimate's columns, each name
// prefixed "estimate_". The delimiter is the input's; a UTF-8 byte-order mark leads when the
// input had a mark.
#include "Modes.h"

#include "dating/BatchEstimator.h"
#include "dating/HeaderColumn.h"
#include "dating/input/CsvReader.h"
#include "dating/input/InputStream.h"
#include "dating/input/InputText.h"
#include "dating/output/CsvRecord.h"
#include "dating/output/Messages.h"
#include "dating/output/OutputSink.h"
#include "dating/output/TableRow.h"

namespace {

// Each repair of the record's quoting, once the record is out.
void noteRepairs(OutputSink& out, const CsvReader& reader, Messages::Repairs& repairs)
{
    for (const CsvReader::RepairAt& at : reader.repairs())
        repairs.add(out, at.line, at.repair);
}

} // namespace

int runColumn(const BatchOptions& options, const NumberRules::Separators& separators,
              InputStream& input, OutputSink& out, TableProgress* progress)
{
    CsvReader reader(input);
    reader.setEncoding(options.encoding);
    if (!reader.readHeader(options.delimiter)) {
        if (!input.spreadsheet().isEmpty())
            return Messages::spreadsheetGiven(input.spreadsheet());
        if (input.error() != 0)
            return Messages::finish(out, input.error(), false);
        return Messages::noHeaderRow(*options.column);
    }
    const QList<QByteArray> header = reader.fields();
    const HeaderColumn chosen = HeaderColumn::choose(header, *options.column);
    if (!chosen.sharing.isEmpty())
        return Messages::sharedColumn(*options.column, chosen.sharing);
    if (chosen.index < 0)
        return Messages::noSuchColumn(header, *options.column, reader.delimiterUndecided());
    const qsizetype column = chosen.index;

    BatchEstimator estimator(separators);
    if (input.hadByteOrderMark())
        out.append("\xEF\xBB\xBF");
    if (!reader.separatorLine().isEmpty()) {
        out.append(reader.separatorLine());
        out.append("\r\n");
    }
    CsvRecord names(out, reader.delimiter());
    for (const QByteArray& name : reader.written())
        names.writtenField(name);
    names.fields(BatchEstimator::kColumns, "estimate_").end();
    if (!reader.assumedEncoding().isEmpty())
        Messages::encodingAssumed(out, reader.assumedEncoding());
    Messages::Repairs repairs;
    noteRepairs(out, reader, repairs);

    TableRow row(out, reader.delimiter(), header.size(), estimator);
    reader.setOverflow(&row);
    Messages::Tally tally;
    while (!out.failed() && reader.next()) {
        if (reader.tooLong()) {
            row.endParts();
            tally.count(false);
        } else if (reader.blank()) {
            row.writeBlank(reader.written());
        } else {
            const QList<QByteArray>& fields = reader.fields();
            const std::optional<QString> serial = InputText::decode(
                column < fields.size() ? QByteArrayView(fields[column]) : QByteArrayView(),
                InputText::Encoding::Utf8);
            const bool calculated = serial && estimator.estimate(*serial);
            tally.count(calculated);
            if (calculated) {
                if (const QString read = estimator.serialReadOtherwise(*serial); !read.isEmpty())
                    Messages::serialReadAs(
                        out,
                        QStringLiteral("line %1: \"%2\"")
                            .arg(reader.line())
                            .arg(InputText::escaped(fields[column], InputText::Encoding::Utf8)),
                        read);
            }
            const QString error = calculated ? QString()
                                  : !serial  ? Messages::notASerialNumber()
                                             : estimator.message();
            row.write(reader.written(), error);
            if (progress) {
                progress->row(serial.value_or(QString()), estimator, error);
                if (input.bytesTotal() > 0)
                    progress->advanced(double(input.bytesRead()) / double(input.bytesTotal()));
            }
        }
        noteRepairs(out, reader, repairs);
    }
    repairs.sayCounted(out);
    return Messages::finish(out, input.error(), tally, Messages::Inputs::TableRows);
}
