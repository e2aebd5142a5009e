#pragma once

#include "dating/output/CsvRecord.h"

#include "ui/main/FormHost.h"
#include "ui/main/frmMain.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <array>

// Runs inputs through the main window's logic as a freshly opened window would, and says what
// each one gave. Message boxes become the message of the estimate instead of being shown.
class BatchEstimator final : private FormHost {
public:
    // An estimate as CSV fields: the serial that was calculated, the month, day and year, the
    // month's first and last serial, production total and daily average, the cars and days to
    // the month's end, the sentence, then the error, and last the day as ISO 8601 (1909-01-09),
    // for a spreadsheet to sort by: empty for October to December 1912, which is no calendar
    // month.
    static constexpr std::array<QByteArrayView, 13> kColumns{"serial",
                                                             "month",
                                                             "day",
                                                             "year",
                                                             "first_serial",
                                                             "last_serial",
                                                             "production_total",
                                                             "daily_average",
                                                             "cars_to_month_end",
                                                             "days_to_month_end",
                                                             "sentence",
                                                             "error",
                                                             "date"};

    explicit BatchEstimator(NumberRules::Separators separators);

    // The input is assigned whole to txtSerial, as code does, and Calculate runs. True when it
    // calculated; else message() says why not.
    bool estimate(const QString& input);
    const QString& message() const { return message_; }
    // After an estimate: the serial it read, when that is not the number the input's digits
    // write (a group separator read as a decimal point, a fraction rounded, text left out);
    // else empty.
    QString serialReadOtherwise(const QString& input) const;

    const FieldSet& fields() const { return form_.fields(); }

    // The fields of kColumns: those of the last estimate, or when `error` says why the input was
    // not calculated, empty ones; then `error`, then the date.
    void appendColumns(CsvRecord& record, const QString& error) const;
    // The same fields as text.
    QStringList columnTexts(const QString& error) const;

private:
    QString isoDate() const;
    Answer ask(const Message& message) override;
    void showAbout() override {}
    void endApplication() override {}

    frmMain form_;
    QString message_;
    bool asked_ = false;
};
