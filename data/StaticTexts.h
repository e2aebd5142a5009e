#pragma once

#include <QString>

#include <deque>
#include <string>

// Texts made once and kept for the life of the program. The QStrings handed out refer to the
// kept characters directly, so copying them costs no reference counting.
class StaticTexts {
public:
    QString keep(const QString& text)
    {
        const std::u16string& kept = store_.emplace_back(
            reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
        return QString::fromRawData(reinterpret_cast<const QChar*>(kept.data()),
                                    static_cast<qsizetype>(kept.size()));
    }

private:
    std::deque<std::u16string> store_; // a deque never moves what it holds
};
