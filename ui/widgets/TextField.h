#pragma once

#include <QLineEdit>

class QInputMethodEvent;
class QKeyEvent;

// A one-line text field whose typing limit holds for typing only: characters typed on the
// keyboard or committed by an input method. Text that arrives whole (a paste, a drop, text set
// by an assistive technology, text the program writes) is never cut here: it reaches the field's
// owner as it is, and what it means is the owner's business.
//
// Typed text may make the field at most max(limit, length before the keystroke) long: a key
// whose character does not fit is refused, and of several characters typed at once (an input
// method's word, a compose sequence) only those that fit are kept.
class TextField : public QLineEdit {
    Q_OBJECT

public:
    using QLineEdit::QLineEdit;

    void setTypingLimit(int limit) { typingLimit_ = limit; }
    int typingLimit() const { return typingLimit_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    // How many characters typing may still add when `replaced` of them give way to it.
    qsizetype roomForTyping(qsizetype replaced) const;

    int typingLimit_ = 0; // 0: none
};
