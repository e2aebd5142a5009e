#include "SerialValidator.h"

#include <algorithm>
#include <utility>

SerialValidator::SerialValidator(int limit, std::function<qsizetype()> currentLength,
                                 QObject* parent)
    : QValidator(parent)
    , limit_(limit)
    , currentLength_(std::move(currentLength))
{
}

void SerialValidator::keepFirstLine(QString& input, int& pos)
{
    const auto isLineBreak = [](QChar c) {
        return c == u'\n' || c == u'\r';
    };
    const auto lineBreak = std::find_if(input.cbegin(), input.cend(), isLineBreak);
    if (lineBreak == input.cend())
        return;
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
}

QValidator::State SerialValidator::validate(QString& input, int& pos) const
{
    keepFirstLine(input, pos);
    const qsizetype allowed = std::max<qsizetype>(limit_, currentLength_ ? currentLength_() : 0);
    const qsizetype excess = input.size() - allowed;
    if (excess <= 0)
        return Acceptable;
    // The new characters stand just before the cursor; drop the last of them.
    const qsizetype end = std::clamp<qsizetype>(pos, 0, input.size());
    const qsizetype start = std::max<qsizetype>(0, end - excess);
    input.remove(start, end - start);
    pos = static_cast<int>(start);
    if (input.size() > allowed) // the cursor stood too near the start: cut the tail
        input.truncate(allowed);
    pos = std::min(pos, static_cast<int>(input.size()));
    return Acceptable;
}
