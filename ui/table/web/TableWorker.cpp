// The page's table worker: the dating engine's table modes and its reverse lookup, compiled into
// a WebAssembly module of their own that runs in a Web Worker (tableWorker.js), so that the page
// stays responsive while a long table is dated. Every file comes and goes as bytes in memory:
// nothing here opens a file or reaches the network.
#include "HeaderNames.h"

#include "dating/BatchEstimator.h"
#include "dating/ByteStreams.h"
#include "dating/DaySerials.h"
#include "dating/input/InputStream.h"
#include "dating/input/SpreadsheetFile.h"
#include "dating/modes/Modes.h"
#include "dating/output/Messages.h"
#include "dating/output/OutputSink.h"
#include "dating/workbook/WorkbookSheet.h"
#include "estimate/NumberRules.h"
#include "ui/main/Controls.h"
#include "ui/web/WebValues.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <string>

using emscripten::val;
using enum Control;

namespace {

// The rows the page previews.
constexpr qsizetype kPreviewRows = 20;
// The command's own name, which leads each of its messages on standard error.
constexpr QLatin1StringView kCommandPrefix("tarnwick-estimate: ");

QByteArray bytesOf(const std::string& bytes)
{
    return QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

val uint8Array(const QByteArray& bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    return val::global("Uint8Array")
        .new_(emscripten::typed_memory_view(std::size_t(bytes.size()), data));
}

val list(const QStringList& texts)
{
    val out = val::array();
    for (const QString& text : texts)
        out.call<void>("push", WebValues::text(text));
    return out;
}

// A line of the command's with its counts grouped as the page's summary groups numbers: how many
// rows of how many were not dated, on how many lines a repair was made ("266 of 2,000 rows were
// not dated", "... on 1,240 lines, lines 11 to 2400"). Line numbers are places, as a
// spreadsheet's row numbers are, and a quoted input is the table's own text: both stay as they
// are. The command itself writes its counts plainly, for the scripts that read it.
QString withCountsGrouped(QString line, const NumberRules::Separators& separators)
{
    static const QRegularExpression tally(QStringLiteral(R"(^(\d+) of (\d+) \w+ (?:was|were) )"));
    static const QRegularExpression repaired(QStringLiteral(R"( on (\d+) lines, lines \d+ to \d+$)"));
    for (const QRegularExpression* counts : {&tally, &repaired}) {
        const QRegularExpressionMatch match = counts->match(line);
        // The last count first, so that the places of the earlier ones stay as matched.
        for (int group = match.lastCapturedIndex(); group >= 1; --group) {
            const QString grouped = NumberRules::format(
                match.captured(group).toDouble(), NumberRules::Mask::Grouped, separators);
            line.replace(match.capturedStart(group), match.capturedLength(group), grouped);
        }
    }
    return line;
}

// What the command said on standard error, each line without the command's name and with its
// counts grouped; the synopsis that follows a usage error is for a command line, not for the
// page, and is left out.
QStringList messageLines(const QByteArray& said, const NumberRules::Separators& separators)
{
    QStringList lines;
    for (const QString& line : QString::fromUtf8(said).split(QLatin1Char('\n'))) {
        if (line.startsWith(kCommandPrefix))
            lines.append(withCountsGrouped(line.sliced(kCommandPrefix.size()), separators));
    }
    return lines;
}

// Tells the page how far the run is (a message per whole percent) and keeps the first rows'
// answers for its preview, and the count of rows and of rows dated for its summary.
class PageProgress final : public TableProgress {
public:
    void advanced(double fraction) override
    {
        const int percent = qBound(0, int(fraction * 100), 100);
        if (percent == percent_)
            return;
        percent_ = percent;
        val message = val::object();
        message.set("type", val("progress"));
        message.set("fraction", fraction);
        val::global("postMessage")(message);
    }

    void row(const QString& serial, const BatchEstimator& estimator, const QString& error,
             qint64 times) override
    {
        rows_ += qsizetype(times);
        if (error.isEmpty())
            dated_ += qsizetype(times);
        if (preview_.size() >= kPreviewRows)
            return;
        const FieldSet& fields = estimator.fields();
        const QString day = error.isEmpty()
                                ? fields.text(txtMonth) + QLatin1Char(' ') + fields.text(txtDate) +
                                      QStringLiteral(", ") + fields.text(txtYear)
                                : QString();
        preview_.append({serial, day, error.isEmpty() ? fields.text(lblDate) : QString(), error});
    }

    val preview() const
    {
        val rows = val::array();
        for (const PreviewRow& row : preview_) {
            val out = val::object();
            out.set("serial", WebValues::text(row.serial));
            out.set("day", WebValues::text(row.day));
            out.set("sentence", WebValues::text(row.sentence));
            out.set("error", WebValues::text(row.error));
            rows.call<void>("push", out);
        }
        return rows;
    }

    // "2,001 rows: 1,998 dated, 3 not dated", grouped as the page groups numbers.
    QString summary(const NumberRules::Separators& separators) const
    {
        const auto number = [&](qsizetype n) {
            return NumberRules::format(double(n), NumberRules::Mask::Grouped, separators);
        };
        return QStringLiteral("%1 %2: %3 dated, %4 not dated")
            .arg(number(rows_), rows_ == 1 ? QStringLiteral("row") : QStringLiteral("rows"),
                 number(dated_), number(rows_ - dated_));
    }

private:
    struct PreviewRow {
        QString serial;
        QString day;
        QString sentence;
        QString error;
    };
    QList<PreviewRow> preview_;
    qsizetype rows_ = 0;
    qsizetype dated_ = 0;
    int percent_ = -1;
};

NumberRules::Separators separatorsOf(const std::string& language)
{
    return NumberRules::Separators::fromLocale(QLocale(WebValues::fromJs(language)));
}

// The header's names for the column picker: { kind, names, chosen, problem }.
val tableHeader(const std::string& file)
{
    const HeaderNames header = HeaderNames::read(bytesOf(file));
    val out = val::object();
    out.set("kind", WebValues::text(header.kind));
    out.set("names", list(header.names));
    out.set("chosen", int(header.chosen));
    out.set("problem", WebValues::text(header.problem));
    return out;
}

// The table dated as `tarnwick-estimate --column COLUMN FILE --output OUT` dates it, in the
// browser language's number separators: { status, kind, bytes, messages, summary, preview };
// `bytes` is empty when the table was refused (status 2).
val dateTable(const std::string& file, const std::string& column, const std::string& language)
{
    const QByteArray table = bytesOf(file);
    const NumberRules::Separators separators = separatorsOf(language);
    BatchOptions options;
    options.column = WebValues::fromJs(column);
    const QString spreadsheet = SpreadsheetFile::kind(
        QByteArrayView(table).first(std::min(table.size(), SpreadsheetFile::kStartBytes)));
    // What the dated file is saved as: a workbook's kind as its parts tell it (its start may not:
    // an .ods need not begin with its mimetype).
    QString kind = QStringLiteral(".csv");
    if (!spreadsheet.isEmpty()) {
        const QString told = workbookKind(table);
        kind = told.isEmpty() ? spreadsheet : told;
    }

    QByteArray said;
    QByteArray dated;
    PageProgress progress;
    ByteArraySink saidSink(said);
    Messages::sendTo(&saidSink);
    int status = Messages::kUsageError;
    if (spreadsheet.isEmpty()) {
        InputStream input(table);
        OutputSink out(&dated);
        status = runColumn(options, separators, input, out, &progress);
    } else {
        status = runWorkbook(options, separators, table, dated, &progress);
    }
    Messages::sendTo(nullptr);
    if (status == Messages::kUsageError)
        dated.clear();

    val out = val::object();
    out.set("status", status);
    out.set("kind", WebValues::text(kind));
    out.set("bytes", uint8Array(dated));
    out.set("messages", list(messageLines(said, separators)));
    out.set("summary",
            WebValues::text(status == Messages::kUsageError ? QString()
                                                            : progress.summary(separators)));
    out.set("preview", progress.preview());
    return out;
}

// The serials built on a day (YYYY-MM-DD, as a date field gives it), as
// `tarnwick-estimate --built-on DAY` answers: { answered, text }.
val builtOn(const std::string& isoDay)
{
    static DaySerialFinder finder;
    const QString input = WebValues::fromJs(isoDay);
    const BuiltOnAnswer answer = finder.answer(input, SlashDateOrder::DayFirst);
    const bool answered = answer.answered() && answer.day;
    val out = val::object();
    out.set("answered", answered);
    const QString why = answer.message.isEmpty() ? notADate() : answer.message;
    out.set("text", WebValues::text(answered ? answer.line() : input + QStringLiteral(": ") + why));
    return out;
}

} // namespace

EMSCRIPTEN_BINDINGS(tableWorker)
{
    emscripten::function("tableHeader", &tableHeader);
    emscripten::function("dateTable", &dateTable);
    emscripten::function("builtOn", &builtOn);
}
