#include "SerialValidator.h"

#include <algorithm>

QValidator::State SerialValidator::validate(QString& input, int& pos) const
{
    const auto isLineBreak = [](QChar c) {
        return c == u'\n' || c == u'\r';
    };
    const auto lineBreak = std::find_if(input.cbegin(), input.cend(), isLineBreak);
    if (lineBreak == input.cend())
        return Acceptable;
    const qsizetype at = lineBreak - input.cbegin();
    const qsizetype end = std::clamp<qsizetype>(pos, 0, input.size());
    if (at < end) {
        // The line break came with the new characters, which end at the cursor: the rest of
        // them goes, the text after the cursor stays.
        input.remove(at, end - at);
    } else {
        input.truncate(at);
    }
    pos = static_cast<int>(std::min(at, input.size()));
    return Acceptable;
}
