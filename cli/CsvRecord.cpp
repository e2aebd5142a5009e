#include "CsvRecord.h"

#include <algorithm>
#include <string_view>

CsvRecord& CsvRecord::field(QByteArrayView utf8)
{
    if (!first_)
        out_ += delimiter_;
    first_ = false;
    const std::string_view text(utf8.data(), static_cast<std::size_t>(utf8.size()));
    const auto special = [this](char c) {
        return c == delimiter_ || c == '"' || c == '\n' || c == '\r';
    };
    if (std::ranges::none_of(text, special)) {
        out_ += text;
        return *this;
    }
    out_ += '"';
    std::size_t from = 0;
    for (std::size_t quote; (quote = text.find('"', from)) != std::string_view::npos;
         from = quote + 1) {
        out_ += text.substr(from, quote + 1 - from);
        out_ += '"';
    }
    out_ += text.substr(from);
    out_ += '"';
    return *this;
}

CsvRecord& CsvRecord::field(QStringView text)
{
    // The estimate's own texts are ASCII: no conversion and no allocation for them.
    ascii_.clear();
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return field(QByteArrayView(text.toUtf8()));
        ascii_ += static_cast<char>(c.unicode());
    }
    return field(QByteArrayView(ascii_.data(), static_cast<qsizetype>(ascii_.size())));
}

bool startsLikeFormula(QStringView text)
{
    return !text.isEmpty() && QStringView(u"=+-@\t\r").contains(text.front());
}
