#include "CsvRecord.h"

CsvRecord& CsvRecord::field(QByteArrayView utf8)
{
    if (!first_)
        out_ += delimiter_;
    first_ = false;
    bool quote = false;
    for (const char c : utf8) {
        if (c == delimiter_ || c == '"' || c == '\n' || c == '\r') {
            quote = true;
            break;
        }
    }
    if (!quote) {
        out_.append(utf8.data(), static_cast<std::size_t>(utf8.size()));
        return *this;
    }
    out_ += '"';
    for (const char c : utf8) {
        if (c == '"')
            out_ += '"';
        out_ += c;
    }
    out_ += '"';
    return *this;
}

bool startsLikeFormula(QStringView text)
{
    return !text.isEmpty() && QStringView(u"=+-@\t\r").contains(text.front());
}
