#include "FieldSet.h"

#include "data/StaticTexts.h"

#include <algorithm>
#include <utility>

namespace {

const std::array<QString, kControlCount>& designTexts()
{
    static const std::array<QString, kControlCount> texts = [] {
        static StaticTexts store;
        std::array<QString, kControlCount> out;
        for (const ControlDef& def : controlTable())
            out[indexOf(def.id)] = store.keep(QString::fromUtf8(def.text));
        return out;
    }();
    return texts;
}

} // namespace

FieldSet::FieldSet(NumberRules::Separators separators)
    : separators_(std::move(separators))
    , texts_(designTexts())
{
}

bool FieldSet::setText(Control control, const QString& text)
{
    if (texts_[indexOf(control)] == text)
        return false;
    return setText(control, QString(text));
}

bool FieldSet::setText(Control control, QString&& text)
{
    const std::size_t i = indexOf(control);
    if (texts_[i] == text)
        return false;
    texts_[i] = std::move(text);
    const QString& stored = texts_[i];
    carets_[i] = std::min(carets_[i], static_cast<int>(stored.size()));
    if (observer_)
        observer_->textChanged(control);
    if (handler_ && depth_[i] < kMaxNesting) {
        ++depth_[i];
        deepest_ = std::max(deepest_, depth_[i]);
        handler_->fieldChanged(control);
        --depth_[i];
    }
    return true;
}

void FieldSet::setCaret(Control control, int position)
{
    const std::size_t i = indexOf(control);
    const int clamped = std::clamp(position, 0, static_cast<int>(texts_[i].size()));
    if (carets_[i] == clamped)
        return;
    carets_[i] = clamped;
    if (observer_)
        observer_->caretMoved(control);
}

std::optional<double> FieldSet::value(Control control) const
{
    return NumberRules::fieldValue(text(control), separators_);
}

void FieldSet::restoreDesign()
{
    const auto& design = designTexts();
    for (std::size_t i = 0; i < kControlCount; ++i) {
        if (texts_[i].constData() != design[i].constData() || texts_[i].size() != design[i].size())
            texts_[i] = design[i];
    }
    carets_.fill(0);
}
