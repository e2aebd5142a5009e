#pragma once

// The separator pairs the fuzzers run under: one for every distinct (decimal, group) pair that
// some locale known to Qt uses, in a fixed order, with the C locale's first.

#include "estimate/NumberRules.h"

#include <QLocale>

#include <map>
#include <utility>
#include <vector>

namespace FuzzLocales {

struct Entry {
    QString name; // one locale that uses the pair
    NumberRules::Separators separators;
};

inline const std::vector<Entry>& all()
{
    static const std::vector<Entry> entries = [] {
        std::map<std::pair<QString, QString>, QString> pairs;
        for (const QLocale& locale : QLocale::matchingLocales(
                 QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
            pairs.emplace(std::pair(locale.decimalPoint(), locale.groupSeparator()), locale.name());
        }
        std::vector<Entry> out;
        out.push_back({QStringLiteral("C"), NumberRules::Separators::fromLocale(QLocale::c())});
        for (const auto& [key, name] : pairs) {
            if (key.first != out.front().separators.decimal ||
                key.second != out.front().separators.group)
                out.push_back({name, {key.first, key.second}});
        }
        return out;
    }();
    return entries;
}

inline const Entry& pick(unsigned char byte) { return all()[byte % all().size()]; }

} // namespace FuzzLocales
