#include "Messages.h"

#include "OutputSink.h"

#include "dating/ByteStreams.h"
#include "dating/input/InputText.h"
#include "estimate/NumberRules.h"

#include <QStringList>

#include <algorithm>

#include <cstring>

namespace Messages {

namespace {

ByteSink* sentTo = nullptr;
const NumberRules::Separators* countSeparators = nullptr;

QString counted(qsizetype n)
{
    if (!countSeparators)
        return QString::number(n);
    return NumberRules::format(double(n), NumberRules::Mask::Grouped, *countSeparators);
}

QString quoted(QByteArrayView utf8)
{
    return u'"' + InputText::escaped(utf8, InputText::Encoding::Utf8) + u'"';
}

QString reason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// What a repair did, as said of one line, or of several.
QString repairText(CsvRepair repair, bool ofSeveral)
{
    switch (repair) {
    case CsvRepair::TextAfterClosingQuote:
        return ofSeveral ? QStringLiteral("text after a closing quote was kept in its field")
                         : QStringLiteral("text after a closing quote is kept in its field");
    case CsvRepair::ByteOrderMark:
        return ofSeveral ? QStringLiteral("a byte-order mark inside the text was dropped")
                         : QStringLiteral("a byte-order mark inside the text is dropped");
    case CsvRepair::UnclosedQuote:
        return QStringLiteral("a quote is never closed: its field ends at the end of its line");
    case CsvRepair::UnclosedQuoteToEnd:
        return QStringLiteral("a quote is never closed: its row is too long and runs to the end "
                              "of the input");
    }
    return {};
}

} // namespace

void sendTo(ByteSink* sink) { sentTo = sink; }

void groupCountsWith(const NumberRules::Separators* separators) { countSeparators = separators; }

void write(QByteArrayView bytes)
{
    if (sentTo)
        sentTo->write(bytes); // when it fails there is nowhere left to say so
}

void say(const QString& text) { write(QByteArray("tarnwick-estimate: " + text.toUtf8() + '\n')); }

int noHeaderRow(const QString& column)
{
    say(QStringLiteral("the input has no header row to find column %1 in")
            .arg(quoted(column.toUtf8())));
    return kUsageError;
}

int noSuchColumn(const QList<QByteArray>& header, const QString& column, bool undecided)
{
    // The first twenty, then how many more.
    constexpr qsizetype kShown = 20;
    QStringList names;
    for (const QByteArray& name : header.first(std::min(kShown, header.size())))
        names << quoted(name);
    if (header.size() > kShown)
        names << QStringLiteral("and %1 more").arg(header.size() - kShown);
    const QString hint = undecided ? QStringLiteral(" (the header splits as well at another "
                                                    "separator: give --delimiter)")
                                   : QString();
    say(QStringLiteral("no column %1 in the header row; its columns are %2%3")
            .arg(quoted(column.toUtf8()), names.join(QStringLiteral(", ")), hint));
    return kUsageError;
}

int spreadsheetGiven(const QString& extension)
{
    say(QStringLiteral("this is an %1 spreadsheet, not CSV: save it as CSV (UTF-8) first")
            .arg(extension));
    return kUsageError;
}

int sharedColumn(const QString& column, const QList<qsizetype>& sharing)
{
    QStringList numbers;
    for (const qsizetype i : sharing)
        numbers << QString::number(i + 1);
    const QString last = numbers.takeLast();
    const QString named = numbers.size() == 1 ? QStringLiteral("both") : QStringLiteral("all");
    say(QStringLiteral("columns %1 and %2 are %3 named %4: give the number of the one to read "
                       "with --column")
            .arg(numbers.join(QStringLiteral(", ")), last, named, quoted(column.toUtf8())));
    return kUsageError;
}

int workbookRefused(const QString& problem)
{
    say(problem);
    return kUsageError;
}

int cannotRead(const QString& file, const QString& reason)
{
    say(QStringLiteral("cannot read %1: %2").arg(file, reason));
    return kNotAllCalculated;
}

int cannotWrite(const QString& file, const QString& reason)
{
    say(QStringLiteral("cannot write the output: %1: %2").arg(file, reason));
    return kNotAllCalculated;
}

void encodingAssumed(OutputSink& out, const QString& encoding)
{
    if (out.flush())
        say(QStringLiteral("the input is not UTF-8: it was read as %1; give --encoding if it is "
                           "another")
                .arg(encoding));
}

void serialReadAs(OutputSink& out, const QString& where, const QString& serial)
{
    if (out.flush())
        say(QStringLiteral("%1: read as serial %2, which is not the number its digits write")
                .arg(where, serial));
}

QString notASerialNumber() { return QStringLiteral("not a serial number"); }

QString lineTooLong() { return QStringLiteral("line too long"); }

void Repairs::add(OutputSink& out, qsizetype line, CsvRepair repair)
{
    if (repair == CsvRepair::UnclosedQuote || repair == CsvRepair::UnclosedQuoteToEnd) {
        if (out.flush())
            say(QStringLiteral("line %1: ").arg(line) + repairText(repair, false));
        return;
    }
    Lines& lines = counted_[repair];
    if (lines.count > 0 && lines.last == line)
        return; // a line is counted once
    if (lines.count++ == 0)
        lines.first = line;
    lines.last = line;
}

void Repairs::sayCounted(OutputSink& out) const
{
    for (const auto& [repair, lines] : counted_) {
        if (!out.flush())
            return;
        if (lines.count == 1)
            say(QStringLiteral("line %1: ").arg(lines.first) + repairText(repair, false));
        else
            say(QStringLiteral("%1 on %2 lines, lines %3 to %4")
                    .arg(repairText(repair, true), counted(lines.count))
                    .arg(lines.first)
                    .arg(lines.last));
    }
}

void inputFailed(OutputSink& out, const QString& shownInput, const QString& message)
{
    if (out.flush())
        say(shownInput + QStringLiteral(": ") + message);
}

int finish(OutputSink& out, int readError, bool allAnswered)
{
    if (!out.flush()) {
        say(QStringLiteral("cannot write the output: ") + reason(out.error()));
        return kNotAllCalculated;
    }
    if (readError != 0) {
        say(QStringLiteral("cannot read the input: ") + reason(readError));
        return kNotAllCalculated;
    }
    return allAnswered ? kAllCalculated : kNotAllCalculated;
}

int finish(OutputSink& out, int readError, const Tally& tally, Inputs inputs)
{
    const int status = finish(out, readError, tally.failed == 0);
    if (tally.failed == 0 || tally.total < 2 || out.failed())
        return status;
    // "1 of 3 rows was not dated", "2 of 3 rows were not dated"
    const QString verb = tally.failed == 1 ? QStringLiteral("was") : QStringLiteral("were");
    QString what;
    QString where = QStringLiteral("see the error column");
    switch (inputs) {
    case Inputs::TableRows:
        what = QStringLiteral("rows %1 not dated").arg(verb);
        where = QStringLiteral("see the estimate_error column");
        break;
    case Inputs::Serials:
    case Inputs::CsvSerials:
        what = QStringLiteral("inputs %1 not dated").arg(verb);
        break;
    case Inputs::Days:
    case Inputs::CsvDays:
        what = QStringLiteral("inputs %1 not read as days").arg(verb);
        break;
    }
    if (inputs == Inputs::Serials || inputs == Inputs::Days)
        where = QStringLiteral("see the messages above");
    say(QStringLiteral("%1 of %2 %3: %4")
            .arg(counted(tally.failed), counted(tally.total), what, where));
    return status;
}

} // namespace Messages
