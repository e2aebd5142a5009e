#include "TextField.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

#include <algorithm>

namespace {

// Whether QLineEdit takes the key's text as typed characters rather than as a shortcut or an
// editing key: the rule of Qt's own text controls.
bool isTypedText(const QKeyEvent* event)
{
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    const QChar c = text.front();
    if (c.category() == QChar::Other_Format)
        return true;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers == Qt::ControlModifier || modifiers == (Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    return c.isPrint() || c.category() == QChar::Other_PrivateUse ||
           (c.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate());
}

} // namespace

qsizetype TextField::roomForTyping(qsizetype replaced) const
{
    const qsizetype length = text().size();
    const qsizetype allowed = std::max<qsizetype>(typingLimit_, length);
    return std::max<qsizetype>(0, allowed - (length - std::min(replaced, length)));
}

void TextField::keyPressEvent(QKeyEvent* event)
{
    if (typingLimit_ > 0 && !isReadOnly() && isTypedText(event)) {
        const QString typed = event->text();
        const qsizetype room = roomForTyping(selectedText().size());
        if (typed.size() > room) {
            if (room > 0)
                insert(typed.left(room));
            event->accept(); // the rest is refused
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TextField::inputMethodEvent(QInputMethodEvent* event)
{
    const QString commit = event->commitString();
    if (typingLimit_ > 0 && !isReadOnly() && !commit.isEmpty()) {
        // The commit replaces the selection, or the characters the event names.
        const qsizetype replaced = std::max(event->replacementLength(), 0) +
                                   (hasSelectedText() ? selectedText().size() : 0);
        const qsizetype room = roomForTyping(replaced);
        if (commit.size() > room) {
            QInputMethodEvent kept(event->preeditString(), event->attributes());
            kept.setCommitString(commit.left(room), event->replacementStart(),
                                 event->replacementLength());
            QLineEdit::inputMethodEvent(&kept);
            event->accept();
            return;
        }
    }
    QLineEdit::inputMethodEvent(event);
}
