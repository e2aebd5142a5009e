#include "OutputWriter.h"

#include <array>

namespace {

using enum Control;

constexpr std::array kCsvColumns{txtSerial,
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

constexpr const char* kCsvHeader =
    "input,serial,month,day,year,first_serial,last_serial,production_total,daily_average,"
    "cars_to_month_end,days_to_month_end,sentence,error\r\n";

constexpr std::size_t kFlushAt = 1 << 16;

} // namespace

OutputWriter::OutputWriter(std::FILE* out, std::FILE* err, Format format)
    : out_(out)
    , err_(err)
    , format_(format)
{
    buffer_.reserve(kFlushAt + 4096);
    if (format_ == Format::Csv)
        buffer_ += kCsvHeader;
}

void OutputWriter::appendCsvField(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    if (utf8.indexOf(',') < 0 && utf8.indexOf('"') < 0 && utf8.indexOf('\n') < 0 &&
        utf8.indexOf('\r') < 0) {
        buffer_.append(utf8.constData(), static_cast<std::size_t>(utf8.size()));
        return;
    }
    buffer_ += '"';
    for (const char c : utf8) {
        if (c == '"')
            buffer_ += '"';
        buffer_ += c;
    }
    buffer_ += '"';
}

void OutputWriter::write(const QString& input, const BatchEstimator::Result& result,
                         const FieldSet& fields)
{
    if (format_ == Format::Csv) {
        appendCsvField(input);
        for (Control column : kCsvColumns) {
            buffer_ += ',';
            if (result.calculated)
                appendCsvField(fields.text(column));
        }
        buffer_ += ',';
        appendCsvField(result.message);
        buffer_ += "\r\n";
    } else if (result.calculated) {
        const QByteArray sentence = fields.text(lblDate).toUtf8();
        buffer_.append(sentence.constData(), static_cast<std::size_t>(sentence.size()));
        buffer_ += '\n';
    } else {
        // Failures go straight out, after the sentences before them.
        finish();
        std::fprintf(err_, "tarnwick-estimate: %s: %s\n", input.toUtf8().constData(),
                     result.message.toUtf8().constData());
    }
    flushIfFull();
}

void OutputWriter::flushIfFull()
{
    if (buffer_.size() >= kFlushAt)
        finish();
}

bool OutputWriter::finish()
{
    if (!buffer_.empty()) {
        if (std::fwrite(buffer_.data(), 1, buffer_.size(), out_) != buffer_.size())
            failed_ = true;
        buffer_.clear();
    }
    if (std::fflush(out_) != 0)
        failed_ = true;
    return !failed_;
}
