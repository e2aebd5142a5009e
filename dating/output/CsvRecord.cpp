#include "CsvRecord.h"

#include <algorithm>
#include <string_view>

CsvRecord& CsvRecord::field(QByteArrayView utf8)
{
    std::string& out = out_.buffer();
    if (!first_)
        out += delimiter_;
    first_ = false;
    const std::string_view text(utf8.data(), static_cast<std::size_t>(utf8.size()));
    const auto special = [this](char c) {
        return c == delimiter_ || c == '"' || c == '\n' || c == '\r';
    };
    if (std::none_of(text.begin(), text.end(), special)) {
        out += text;
        return *this;
    }
    out += '"';
    std::size_t from = 0;
    for (std::size_t quote; (quote = text.find('"', from)) != std::string_view::npos;
         from = quote + 1) {
        out += text.substr(from, quote + 1 - from);
        out += '"';
    }
    out += text.substr(from);
    out += '"';
    return *this;
}

CsvRecord& CsvRecord::writtenField(QByteArrayView written)
{
    if (!first_)
        out_.buffer() += delimiter_;
    first_ = false;
    return more(written);
}

CsvRecord& CsvRecord::more(QByteArrayView written)
{
    out_.append(written);
    out_.written();
    return *this;
}

CsvRecord& CsvRecord::field(QStringView text)
{
    // The estimate's own texts are ASCII: they are copied as they are, without a conversion.
    ascii_.clear();
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return field(QByteArrayView(text.toUtf8()));
        ascii_ += static_cast<char>(c.unicode());
    }
    return field(QByteArrayView(ascii_.data(), static_cast<qsizetype>(ascii_.size())));
}

CsvRecord& CsvRecord::fields(std::span<const QByteArrayView> names, QByteArrayView prefix)
{
    for (const QByteArrayView name : names)
        field(QByteArrayView(prefix.toByteArray() + name.toByteArray()));
    return *this;
}

CsvRecord& CsvRecord::inputField(QString text, bool isNumber)
{
    if (!isNumber && !text.isEmpty() && QStringView(u"=+-@\t\r").contains(text.front()))
        text.prepend(u'\'');
    return field(text);
}

void CsvRecord::end()
{
    out_.buffer() += "\r\n";
    out_.written();
}
