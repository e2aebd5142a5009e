#pragma once

#include "dating/modes/Modes.h"

#include "data/DateCalculators.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <vector>

// A register's portrait: its cars by build month beside the factory's output. It gathers the
// rows of a table as the column or workbook mode dates them (a TableProgress), and then gives
// the months as CSV and the picture as SVG, the same bytes for the command and the page.
class RegisterPortrait final : public TableProgress {
public:
    // One production month (a row of the monthly table, in its order) and the register's cars.
    struct Month {
        const DateCalculators::MonthRow* row;
        double built;   // the month's production total, as the estimate gives it
        qsizetype cars; // the distinct serials dated into the month
        double per10000() const { return built > 0 ? double(cars) * 10000.0 / built : 0.0; }
    };

    // What the table held: its rows, the rows dated, the distinct serials among them, and the
    // serials listed more than once.
    struct Counts {
        qsizetype rows = 0;
        qsizetype dated = 0;
        qsizetype serials = 0;
        qsizetype listedAgain = 0;
    };

    // `tableName` is the table's file name, without its folder, as the picture's title shows it.
    // Each row is told to `next` too, when given (the page's progress).
    explicit RegisterPortrait(QString tableName, TableProgress* next = nullptr);

    void advanced(double fraction) override;
    void row(const QString& serial, const BatchEstimator& estimator, const QString& error,
             qint64 times) override;

    // After the run.
    const QList<Month>& months();
    const Counts& counts();
    // The figures in words: cars dated, distinct serials, from which month to which, the
    // busiest year, the month best kept relative to its output; numbers grouped by `separators`.
    QString words(const NumberRules::Separators& separators);

    // "1 car", "2,345 cars": a count and its noun, grouped by `separators`.
    static QString counted(qsizetype n, const char* one, const char* many,
                           const NumberRules::Separators& separators);

    // The months as CSV: year, month, first_serial, last_serial, built, cars, per_10000.
    QByteArray monthsCsv();
    // The picture (PortraitSvg.cpp).
    QByteArray svg();

private:
    void settle();

    QString tableName_;
    TableProgress* next_;
    Counts counts_;
    std::vector<std::pair<quint32, quint16>> dated_; // serial, month row
    QList<Month> months_;
    bool settled_ = false;
};
