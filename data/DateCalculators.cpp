#include "DateCalculators.h"

#include "StaticTexts.h"
#include "ui/main/FieldSet.h"

#include <algorithm>
#include <array>
#include <vector>

namespace DateCalculators {

namespace {

using enum Control;

bool holds(double serial, quint32 first, quint32 last) { return first <= serial && serial <= last; }

// The texts each row writes, made once so that a lookup only shares them.
struct MonthTexts {
    QString month, days, first, last;
};
struct YearTexts {
    QString year, first, last;
};

const std::vector<MonthTexts>& monthTexts()
{
    static const std::vector<MonthTexts> texts = [] {
        static StaticTexts store;
        std::vector<MonthTexts> out;
        for (const MonthRow& row : monthRows()) {
            out.push_back({monthText(row.month), daysText(row.month),
                           store.keep(QString::number(row.first)),
                           store.keep(QString::number(row.last))});
        }
        return out;
    }();
    return texts;
}

const std::vector<YearTexts>& yearTexts()
{
    static const std::vector<YearTexts> texts = [] {
        static StaticTexts store;
        std::vector<YearTexts> out;
        for (const YearRow& row : yearRows()) {
            out.push_back({store.keep(QString::number(row.year)),
                           store.keep(QString::number(row.first)),
                           store.keep(QString::number(row.last))});
        }
        return out;
    }();
    return texts;
}

} // namespace

QString monthText(Month month)
{
    static const std::array<QString, 14> names{
        QString(),
        QStringLiteral("January"),
        QStringLiteral("February"),
        QStringLiteral("March"),
        QStringLiteral("April"),
        QStringLiteral("May"),
        QStringLiteral("June"),
        QStringLiteral("July"),
        QStringLiteral("August"),
        QStringLiteral("September"),
        QStringLiteral("October"),
        QStringLiteral("November"),
        QStringLiteral("December"),
        QStringLiteral("Oct-Dec"),
    };
    return names[static_cast<std::size_t>(month)];
}

QString daysText(Month month)
{
    switch (month) {
    case Month::Feb:
        return QStringLiteral("28");
    case Month::Apr:
    case Month::Jun:
    case Month::Sep:
    case Month::Nov:
        return QStringLiteral("30");
    default:
        return QStringLiteral("31");
    }
}

const MonthRow* monthRowFor(double serial)
{
    const auto rows = monthRows();
    // The last row starting at or below the serial; where two neighbouring rows share serials
    // the earlier one wins, so it is asked first.
    const auto after =
        std::upper_bound(rows.begin(), rows.end(), serial,
                         [](double s, const MonthRow& row) { return s < row.first; });
    if (after == rows.begin())
        return nullptr;
    const auto candidate = after - 1;
    if (candidate != rows.begin() && holds(serial, (candidate - 1)->first, (candidate - 1)->last))
        return &*(candidate - 1);
    return holds(serial, candidate->first, candidate->last) ? &*candidate : nullptr;
}

const YearRow* yearRowFor(double serial)
{
    for (const YearRow& row : yearRows()) {
        if (holds(serial, row.first, row.last))
            return &row;
    }
    return nullptr;
}

const YearRow* yearRowOf(quint16 year)
{
    for (const YearRow& row : yearRows()) {
        if (row.year == year)
            return &row;
    }
    return nullptr;
}

void FindProductionMonth(FieldSet& fields)
{
    const auto serial = fields.value(txtSerial);
    const MonthRow* row = serial ? monthRowFor(*serial) : nullptr;
    if (!row)
        return;
    const MonthTexts& texts = monthTexts()[static_cast<std::size_t>(row - monthRows().data())];
    fields.setText(txtMonth, texts.month);
    fields.setText(txtMonthDays, texts.days);
    fields.setText(txtFirstSerial, texts.first);
    fields.setText(txtLastSerial, texts.last);
}

void writeYearRow(FieldSet& fields, const YearRow& row)
{
    const YearTexts& texts = yearTexts()[static_cast<std::size_t>(&row - yearRows().data())];
    fields.setText(txtYear, texts.year);
    fields.setText(txtYearStart, texts.first);
    fields.setText(txtYearEnd, texts.last);
}

void FindProductionYear(FieldSet& fields)
{
    const auto serial = fields.value(txtSerial);
    if (const YearRow* row = serial ? yearRowFor(*serial) : nullptr)
        writeYearRow(fields, *row);
}

} // namespace DateCalculators
