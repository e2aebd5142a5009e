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
#include "dating/portrait/RegisterPortrait.h"
#include "dating/workbook/WorkbookSheet.h"
#include "estimate/NumberRules.h"
#include "ui/main/Controls.h"
#include "ui/web/WebValues.h"

#include <QLocale>
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

// What the command said on standard error, each line without the command's name; the synopsis
// that follows a usage error is for a command line, not for the page, and is left out.
QStringList messageLines(const QByteArray& said)
{
    QStringList lines;
    for (const QString& line : QString::fromUtf8(said).split(QLatin1Char('\n'))) {
        if (line.startsWith(kCommandPrefix))
            lines.append(line.sliced(kCommandPrefix.size()));
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

// A non-negative value with two decimals, its whole part grouped: "1,234.57".
QString twoDecimals(double value, const NumberRules::Separators& separators)
{
    const QString plain = QString::number(value, 'f', 2);
    const qsizetype point = plain.indexOf(QLatin1Char('.'));
    return NumberRules::format(plain.first(point).toDouble(), NumberRules::Mask::Grouped,
                               separators) +
           separators.decimal + plain.sliced(point + 1);
}

// The register's cars by year beside the factory's output, summed from its months:
// [{ year, cars, built, per10000 }], as text, numbers grouped by `separators`.
val portraitYears(const QList<RegisterPortrait::Month>& months,
                  const NumberRules::Separators& separators)
{
    struct Year {
        int year;
        qsizetype cars;
        double built;
    };
    QList<Year> years;
    for (const RegisterPortrait::Month& month : months) {
        if (years.isEmpty() || years.last().year != month.row->year)
            years.append({month.row->year, 0, 0});
        years.last().cars += month.cars;
        years.last().built += month.built;
    }
    const auto number = [&](double n) {
        return WebValues::text(NumberRules::format(n, NumberRules::Mask::Grouped, separators));
    };
    val out = val::array();
    for (const Year& year : years) {
        val row = val::object();
        row.set("year", WebValues::text(QString::number(year.year)));
        row.set("cars", number(double(year.cars)));
        row.set("built", number(year.built));
        const double per10000 = year.built > 0 ? double(year.cars) * 10000.0 / year.built : 0;
        row.set("per10000", WebValues::text(twoDecimals(per10000, separators)));
        out.call<void>("push", row);
    }
    return out;
}

// The register's portrait, as `--portrait NAME.svg --portrait NAME.csv` writes it:
// { svg, monthsCsv, words, years }. The two files are the command's bytes; `words` is the figures
// in words, with the rows not dated and the serials listed more than once.
val portraitOf(RegisterPortrait& portrait, const NumberRules::Separators& separators)
{
    const RegisterPortrait::Counts& counts = portrait.counts();
    const auto counted = [&](qsizetype n, const char* one, const char* many) {
        return NumberRules::format(double(n), NumberRules::Mask::Grouped, separators) +
               QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
    };
    const QString words = portrait.words(separators) +
                          QStringLiteral(" %1 not dated, and %2 listed more than once.")
                              .arg(counted(counts.rows - counts.dated, "row was", "rows were"),
                                   counted(counts.listedAgain, "serial was", "serials were"));
    val out = val::object();
    out.set("svg", uint8Array(portrait.svg()));
    out.set("monthsCsv", uint8Array(portrait.monthsCsv()));
    out.set("words", WebValues::text(words));
    out.set("years", portraitYears(portrait.months(), separators));
    return out;
}

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
// browser language's number separators: { status, kind, bytes, messages, summary, preview,
// portrait }; `bytes` is empty and `portrait` undefined when the table was refused (status 2).
// `name` is the file's name, which the portrait's title shows; `withPortrait` false leaves the
// portrait out (for timing the dating alone).
val dateTable(const std::string& file, const std::string& column, const std::string& language,
              const std::string& name, bool withPortrait)
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
    RegisterPortrait portrait(WebValues::fromJs(name), &progress);
    TableProgress* watcher = withPortrait ? static_cast<TableProgress*>(&portrait) : &progress;
    ByteArraySink saidSink(said);
    Messages::sendTo(&saidSink);
    Messages::groupCountsWith(&separators); // "266 of 2,000 rows were not dated"
    int status = Messages::kUsageError;
    if (spreadsheet.isEmpty()) {
        InputStream input(table);
        OutputSink out(&dated);
        status = runColumn(options, separators, input, out, watcher);
    } else {
        status = runWorkbook(options, separators, table, dated, watcher);
    }
    Messages::sendTo(nullptr);
    Messages::groupCountsWith(nullptr);
    if (status == Messages::kUsageError)
        dated.clear();

    val out = val::object();
    out.set("status", status);
    out.set("kind", WebValues::text(kind));
    out.set("bytes", uint8Array(dated));
    out.set("messages", list(messageLines(said)));
    out.set("summary",
            WebValues::text(status == Messages::kUsageError ? QString()
                                                            : progress.summary(separators)));
    out.set("preview", progress.preview());
    if (withPortrait && status != Messages::kUsageError)
        out.set("portrait", portraitOf(portrait, separators));
    return out;
}

// The serials built on a day (YYYY-MM-DD, as a date field gives it), as
// `tarnwick-estimate --built-on DAY` answers, its count of cars grouped in the browser's language:
// { answered, text }.
val builtOn(const std::string& isoDay, const std::string& language)
{
    static DaySerialFinder finder;
    const QString input = WebValues::fromJs(isoDay);
    const BuiltOnAnswer answer = finder.answer(input, SlashDateOrder::DayFirst);
    const NumberRules::Separators separators = separatorsOf(language);
    const bool answered = answer.answered() && answer.day;
    val out = val::object();
    out.set("answered", answered);
    const QString why = answer.message.isEmpty() ? notADate() : answer.message;
    out.set("text", WebValues::text(answered ? answer.line(&separators)
                                             : input + QStringLiteral(": ") + why));
    return out;
}

} // namespace

EMSCRIPTEN_BINDINGS(tableWorker)
{
    emscripten::function("tableHeader", &tableHeader);
    emscripten::function("dateTable", &dateTable);
    emscripten::function("builtOn", &builtOn);
}
