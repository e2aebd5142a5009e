// Fuzzes the batch command's estimator and its CSV output.
//
// Input: byte 0 picks the separators (FuzzLocales); the rest is the command's standard input,
// one serial per line. Every input must be calculated exactly when its text, as the serial field
// normalises it, names a serial that a month holds; the field set must pass ModelChecks::check
// after each; and the CSV must read back, by a separate RFC 4180 reader, as one row per input
// with the input, the results or the error in their columns.
#include "FuzzLocales.h"
#include "ModelChecks.h"
#include "Reference.h"

#include "dating/BatchEstimator.h"
#include "dating/output/CsvRecord.h"
#include "dating/output/OutputSink.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

using enum Control;

namespace {

constexpr int kColumns = 14; // input, 11 results, error, date

struct Result {
    bool calculated = false;
    QString message;
};

[[noreturn]] void fail(const QString& what, const QByteArray& input)
{
    std::fprintf(stderr, "fuzz_batch: %s\n  at \"%s\"\n", qPrintable(what),
                 input.toPercentEncoding(" ").constData());
    std::abort();
}

// RFC 4180: records end in CR LF; a field is plain, or quoted with doubled quotes inside.
std::vector<QList<QByteArray>> readCsv(const QByteArray& csv)
{
    std::vector<QList<QByteArray>> records;
    QList<QByteArray> record;
    QByteArray field;
    qsizetype i = 0;
    while (i < csv.size()) {
        if (csv[i] == '"' && field.isEmpty()) {
            for (++i;; ++i) {
                if (i >= csv.size())
                    fail(QStringLiteral("CSV: a quoted field does not end"), csv.right(80));
                if (csv[i] == '"') {
                    if (i + 1 < csv.size() && csv[i + 1] == '"') {
                        field += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += csv[i];
            }
            if (i < csv.size() && csv[i] != ',' && csv[i] != '\r')
                fail(QStringLiteral("CSV: text after a quoted field"), csv.mid(i, 80));
            continue;
        }
        if (csv[i] == ',') {
            record << field;
            field.clear();
            ++i;
        } else if (csv[i] == '\r') {
            if (i + 1 >= csv.size() || csv[i + 1] != '\n')
                fail(QStringLiteral("CSV: CR without LF"), csv.mid(i, 80));
            record << field;
            field.clear();
            records.push_back(record);
            record.clear();
            i += 2;
        } else if (csv[i] == '\n' || csv[i] == '"') {
            fail(QStringLiteral("CSV: a bare LF or quote inside a plain field"), csv.mid(i, 80));
        } else {
            field += csv[i++];
        }
    }
    if (!field.isEmpty() || !record.isEmpty())
        fail(QStringLiteral("CSV: the last record does not end in CR LF"), csv.right(80));
    return records;
}

// The input column: a text that a spreadsheet would take as a formula gets a ' before it.
QString guarded(const QString& input, const NumberRules::Separators& separators)
{
    const bool formula = !input.isEmpty() && QStringLiteral("=+-@\t\r").contains(input[0]);
    return formula && !Reference::strict(input, separators) ? u'\'' + input : input;
}

bool isBlankLine(const QByteArray& line)
{
    for (const char c : line) {
        if (c != ' ' && c != '\t' && c != '\v' && c != '\f')
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzLocales::all();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const FuzzLocales::Entry& locale = FuzzLocales::pick(data[0]);
    const QByteArray stdinText(reinterpret_cast<const char*>(data + 1),
                               static_cast<qsizetype>(size - 1));

    // The lines as the command reads them: LF ends a line, a CR before it is dropped, blank
    // lines are skipped.
    QList<QByteArray> lines = stdinText.split('\n');
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    QList<QString> inputs;
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!isBlankLine(line))
            inputs << QString::fromUtf8(line);
    }

    QByteArray csv;
    std::vector<Result> results;
    std::vector<QString> sentences;
    {
        BatchEstimator estimator(locale.separators);
        OutputSink sink(&csv);
        // As the serials mode writes --csv.
        CsvRecord(sink, ',').field(QByteArrayView("input")).fields(BatchEstimator::kColumns).end();
        for (const QString& input : inputs) {
            const Result result{estimator.estimate(input), estimator.message()};
            const QString fault = ModelChecks::check(estimator.fields());
            if (!fault.isEmpty())
                fail(fault, input.toUtf8());

            const auto value = Reference::strict(input, locale.separators);
            const QString serial =
                value ? Reference::mask(*value, NumberRules::Mask::Zero, locale.separators.group)
                      : QString();
            const auto serialValue = Reference::strict(serial, locale.separators);
            const auto expected =
                serialValue && *serialValue >= 1 && *serialValue <= DateCalculators::kLastSerial
                    ? ModelChecks::expectedFor(*serialValue)
                    : std::nullopt;
            if (result.calculated != expected.has_value())
                fail(result.calculated ? QStringLiteral("calculated an input that names no serial")
                                       : QStringLiteral("did not calculate serial %1: %2")
                                             .arg(serial, result.message),
                     input.toUtf8());
            if (result.calculated == !result.message.isEmpty())
                fail(QStringLiteral("a result has both or neither of a sentence and a message"),
                     input.toUtf8());
            if (expected &&
                estimator.fields().text(lblDate) != ModelChecks::sentence(serial, *expected))
                fail(QStringLiteral("the sentence is \"%1\"").arg(estimator.fields().text(lblDate)),
                     input.toUtf8());
            results.push_back(result);
            sentences.push_back(result.calculated ? estimator.fields().text(lblDate) : QString());
            CsvRecord row(sink, ',');
            row.inputField(input, NumberRules::fieldValue(input, locale.separators).has_value());
            estimator.appendColumns(row, result.message);
            row.end();
        }
        if (!sink.flush())
            fail(QStringLiteral("the output could not be written"), {});
    }

    const auto records = readCsv(csv);
    if (records.size() != static_cast<std::size_t>(inputs.size()) + 1)
        fail(QStringLiteral("CSV: %1 records for %2 inputs").arg(records.size()).arg(inputs.size()),
             {});
    for (std::size_t r = 0; r < records.size(); ++r) {
        if (records[r].size() != kColumns)
            fail(QStringLiteral("CSV: record %1 has %2 fields").arg(r).arg(records[r].size()), {});
    }
    for (qsizetype i = 0; i < inputs.size(); ++i) {
        const QList<QByteArray>& record = records[static_cast<std::size_t>(i) + 1];
        const Result& result = results[static_cast<std::size_t>(i)];
        if (record[0] != guarded(inputs[i], locale.separators).toUtf8())
            fail(QStringLiteral("CSV: the input column reads \"%1\"")
                     .arg(QString::fromUtf8(record[0])),
                 inputs[i].toUtf8());
        if (record[11] != sentences[static_cast<std::size_t>(i)].toUtf8() ||
            record[12] != result.message.toUtf8())
            fail(QStringLiteral("CSV: the sentence or error column is wrong"), inputs[i].toUtf8());
        // The date column is the day of the month, day and year columns, in ISO 8601; empty
        // when nothing was calculated and for the month that is no calendar month.
        const QDate day = QDate::fromString(QString::fromUtf8(record[13]), Qt::ISODate);
        const bool noDay = !result.calculated || record[2] == "Oct-Dec";
        if (noDay ? !record[13].isEmpty()
                  : !day.isValid() || QString::number(day.day()).toUtf8() != record[3] ||
                        QString::number(day.year()).toUtf8() != record[4] ||
                        QLocale::c().monthName(day.month()).toUtf8() != record[2])
            fail(QStringLiteral("CSV: the date column is wrong"), inputs[i].toUtf8());
        for (int c = 1; c <= 10 && !result.calculated; ++c) {
            if (!record[c].isEmpty())
                fail(QStringLiteral("CSV: a failed input has a result in column %1").arg(c),
                     inputs[i].toUtf8());
        }
    }
    return 0;
}
