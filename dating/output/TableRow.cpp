#include "TableRow.h"

#include "Messages.h"

TableRow::TableRow(OutputSink& out, char delimiter, qsizetype headerWidth,
                   const BatchEstimator& estimator)
    : out_(out)
    , delimiter_(delimiter)
    , headerWidth_(headerWidth)
    , estimator_(estimator)
{
}

void TableRow::write(const QList<QByteArray>& written, const QString& error)
{
    error_ = error;
    record_.emplace(out_, delimiter_);
    for (const QByteArray& field : written) {
        fieldStarted(fields_);
        bytes(field);
    }
    end();
}

void TableRow::writeBlank(const QList<QByteArray>& written)
{
    blank_ = true;
    write(written, {});
}

void TableRow::fieldStarted(qsizetype index)
{
    if (!record_) {
        record_.emplace(out_, delimiter_);
        error_ = Messages::lineTooLong();
    }
    if (index == headerWidth_)
        estimate();
    record_->writtenField({});
    fields_ = index + 1;
}

void TableRow::bytes(QByteArrayView written) { record_->more(written); }

void TableRow::endParts() { end(); }

// The estimate's columns, after the header's width; empty for a blank row.
void TableRow::estimate()
{
    for (; fields_ < headerWidth_; ++fields_)
        record_->writtenField({});
    if (blank_) {
        for (std::size_t i = 0; i < BatchEstimator::kColumns.size(); ++i)
            record_->writtenField({});
    } else {
        estimator_.appendColumns(*record_, error_);
    }
    estimated_ = true;
}

void TableRow::end()
{
    if (!record_)
        return;
    if (!estimated_)
        estimate();
    record_->end();
    record_.reset();
    fields_ = 0;
    estimated_ = false;
    blank_ = false;
}
