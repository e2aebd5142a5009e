#include "BatchEstimator.h"

#include "dating/output/Messages.h"

#include "app/Identity.h"

#include <QDate>
#include <QStringList>

using enum Control;

namespace {

// The fields of kColumns up to the sentence.
constexpr std::array kFields{txtSerial,
                             txtMonth,
                             txtDate,
                             txtYear,
                             txtFirstSerial,
                             txtLastSerial,
                             txtProductionTotal,
                             txtProductionAverage,
                             txtCarsBuilt,
                             txtEndOfMonthDays,
                             lblDate};

static_assert(kFields.size() + 2 == BatchEstimator::kColumns.size());

} // namespace

BatchEstimator::BatchEstimator(NumberRules::Separators separators)
    : form_(*this, appIdentity(), std::move(separators))
{
}

Answer BatchEstimator::ask(const Message& message)
{
    message_ = message.text;
    asked_ = true;
    return message.buttons == MessageButtons::Ok ? Answer::Ok : Answer::No;
}

bool BatchEstimator::estimate(const QString& input)
{
    FieldSet& fields = form_.fields();
    fields.restoreDesign();
    form_.Form_Load();
    message_.clear();
    asked_ = false;

    fields.setText(txtSerial, input);
    if (fields.text(txtSerial).isEmpty()) {
        message_ = Messages::notASerialNumber();
        return false;
    }
    form_.cmdCalculate_Click();
    return !asked_;
}

void BatchEstimator::appendColumns(CsvRecord& record, const QString& error) const
{
    for (const QString& text : columnTexts(error))
        record.field(text);
}

QStringList BatchEstimator::columnTexts(const QString& error) const
{
    QStringList texts;
    texts.reserve(qsizetype(kColumns.size()));
    for (const Control field : kFields)
        texts << (error.isEmpty() ? fields().text(field) : QString());
    texts << error << (error.isEmpty() ? isoDate() : QString());
    return texts;
}

// The estimate's day as YYYY-MM-DD; empty when its month is no calendar month.
QString BatchEstimator::isoDate() const
{
    static const QStringList kMonths{
        QStringLiteral("January"), QStringLiteral("February"), QStringLiteral("March"),
        QStringLiteral("April"),   QStringLiteral("May"),      QStringLiteral("June"),
        QStringLiteral("July"),    QStringLiteral("August"),   QStringLiteral("September"),
        QStringLiteral("October"), QStringLiteral("November"), QStringLiteral("December")};
    const qsizetype month = kMonths.indexOf(fields().text(txtMonth));
    const QDate day(fields().text(txtYear).toInt(), int(month) + 1, fields().text(txtDate).toInt());
    return month < 0 || !day.isValid() ? QString() : day.toString(Qt::ISODate);
}

QString BatchEstimator::serialReadOtherwise(const QString& input) const
{
    // The input's digits, leading zeros aside, against the serial's, without a copy of either.
    const QString& serial = fields().text(txtSerial);
    qsizetype matched = 0;
    bool leading = true;
    for (const QChar c : input) {
        if (c.isLetter())
            return serial;
        if (!c.isDigit())
            continue;
        const int digit = c.digitValue();
        if (leading && digit == 0)
            continue;
        leading = false;
        if (matched >= serial.size() || serial[matched].digitValue() != digit)
            return serial;
        ++matched;
    }
    const bool zero = leading && serial == u"0";
    return matched == serial.size() || zero ? QString() : serial;
}
