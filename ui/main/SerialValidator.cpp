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

QValidator::State SerialValidator::validate(QString& input, int& pos) const
{
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
