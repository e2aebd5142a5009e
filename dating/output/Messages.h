#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <limits>
#include <map>

class ByteSink;
class OutputSink;

namespace NumberRules {
struct Separators;
}

enum class CsvRepair {
    // Each cell keeps the text a spreadsheet shows (said once a kind, Messages::Repairs):
    TextAfterClosingQuote,
    ByteOrderMark, // an invisible character is dropped
    // A field ends elsewhere than its quotes say (said at its line):
    UnclosedQuote,      // the field ends at the end of its line
    UnclosedQuoteToEnd, // in a row too long to keep, which then runs to the end of the input
};

// Everything the command says on standard error, each line "tarnwick-estimate: TEXT", and the
// exit status that goes with it.
namespace Messages {

enum ExitStatus : int { kAllCalculated = 0, kNotAllCalculated = 1, kUsageError = 2 };

// Where the messages go: the command's standard error, the page's worker's bytes; nowhere while
// none is set.
void sendTo(ByteSink* sink);
// A message, "tarnwick-estimate: TEXT" and a line break; and bytes as they are.
void say(const QString& text);
void write(QByteArrayView bytes);
// How the counts in the messages are written: plainly while none is set (the command's, for the
// scripts that read them), else grouped with these separators (the page's, in its language).
// Line numbers are places, as a spreadsheet's row numbers are, and stay as they are.
void groupCountsWith(const NumberRules::Separators* separators);

// The table on standard input has no header row, or no column NAME in it; gives kUsageError.
int noHeaderRow(const QString& column);
// With `undecided`, the header's delimiter was a guess: the message says to give --delimiter.
int noSuchColumn(const QList<QByteArray>& header, const QString& column, bool undecided = false);
// Several columns (0-based) have the name NAME; gives kUsageError.
int sharedColumn(const QString& column, const QList<qsizetype>& sharing);

// Standard input is a spreadsheet's file, not CSV (its extension, as SpreadsheetFile::kind
// gives it); gives kUsageError. Nothing is written on standard output.
int spreadsheetGiven(const QString& extension);

// A workbook that cannot be dated: `problem` says what it is and what to do; gives
// kUsageError.
int workbookRefused(const QString& problem);
// A table's file that cannot be read, or the output that cannot be written; gives
// kNotAllCalculated.
int cannotRead(const QString& file, const QString& reason);
int cannotWrite(const QString& file, const QString& reason);

// The CSV was not UTF-8 and was read as `encoding`, said after what standard output holds.
void encodingAssumed(OutputSink& out, const QString& encoding);

// An input whose serial was read otherwise than its digits write it; `where` names it (an input
// as shown, or "line N" of a table). Said after what standard output holds.
void serialReadAs(OutputSink& out, const QString& where, const QString& serial);

// Why an input was not calculated when it is no serial at all: its bytes are not text (or the
// serial field takes none of them), or its line is too long to keep.
QString notASerialNumber();
QString lineTooLong();

// The repairs of malformed CSV quoting in a run. One that changes where a field ends is said at
// once with its line, after what standard output holds so far. The others are said once a kind,
// at the end: with the line when there was one, else with how many lines and the first and last.
class Repairs {
public:
    void add(OutputSink& out, qsizetype line, CsvRepair repair);
    void sayCounted(OutputSink& out) const;

private:
    struct Lines {
        qsizetype count = 0;
        qsizetype first = 0;
        qsizetype last = 0;
    };
    std::map<CsvRepair, Lines> counted_;
};

// "tarnwick-estimate: INPUT: MESSAGE" for an input that was not answered, INPUT as it is shown
// escaped; written after what standard output holds so far, so that both streams read in order
// at a terminal, and not at all when that fails.
void inputFailed(OutputSink& out, const QString& shownInput, const QString& message);

// How many inputs a run had, and how many of them were not answered.
struct Tally {
    qsizetype total = 0;
    qsizetype failed = 0;
    void count(bool answered)
    {
        ++total;
        failed += answered ? 0 : 1;
    }
    // A row that stands for `times` rows (a sheet's repeated row): counted at once, and never
    // past the largest count there can be.
    void count(bool answered, qint64 times)
    {
        const auto add = [times](qsizetype& n) {
            n = times > std::numeric_limits<qsizetype>::max() - n
                    ? std::numeric_limits<qsizetype>::max()
                    : n + qsizetype(times);
        };
        add(total);
        if (!answered)
            add(failed);
    }
};

// What a run's inputs are, and where their failures are said.
enum class Inputs {
    TableRows,  // --column: in the estimate_error column
    Serials,    // in the messages above
    CsvSerials, // in the error column
    Days,       // --built-on: in the messages above
    CsvDays,    // in the error column
};

// The end of a run: what standard output still holds goes out, then a failed write or (with an
// errno) read is said, and last, when there were several inputs, how many were not answered and
// where to look; gives the exit status.
int finish(OutputSink& out, int readError, const Tally& tally, Inputs inputs);
int finish(OutputSink& out, int readError, bool allAnswered);

} // namespace Messages
