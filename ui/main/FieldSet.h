#pragma once

#include "Controls.h"
#include "estimate/NumberRules.h"

#include <QString>

#include <array>
#include <optional>

// The main window's state: one text per control (a field's text, a label's caption) and a caret
// position per text field. Writing a different text stores it, tells the observer (the window,
// when there is one) and then runs the control's change handler at once, nested inside the write.
// Writing the text a control already holds changes nothing and runs nothing.
class FieldSet {
public:
    class Handler {
    public:
        virtual void fieldChanged(Control control) = 0;

    protected:
        ~Handler() = default;
    };

    class Observer {
    public:
        virtual void textChanged(Control control) = 0;
        virtual void caretMoved(Control control) = 0;

    protected:
        ~Observer() = default;
    };

    // Deeper nesting than this only comes from a handler that never comes to rest; the write is
    // then stored but its handler is not run again.
    static constexpr int kMaxNesting = 4;

    explicit FieldSet(NumberRules::Separators separators);

    const QString& text(Control control) const { return texts_[indexOf(control)]; }
    bool setText(Control control, const QString& text); // true when the text changed
    bool setText(Control control, QString&& text);

    int caret(Control control) const { return carets_[indexOf(control)]; }
    void setCaret(Control control, int position);

    // The strict reading of a control's text under the field set's separators.
    std::optional<double> value(Control control) const;
    const NumberRules::Separators& separators() const { return separators_; }

    // Every text back to the window's design, carets to 0; nothing is notified.
    void restoreDesign();

    void setHandler(Handler* handler) { handler_ = handler; }
    void setObserver(Observer* observer) { observer_ = observer; }

    // The deepest nesting of one control's handler since the last reset of the count.
    int deepestNesting() const { return deepest_; }
    void resetNestingCount() { deepest_ = 0; }

private:
    NumberRules::Separators separators_;
    std::array<QString, kControlCount> texts_;
    std::array<int, kControlCount> carets_{};
    std::array<int, kControlCount> depth_{};
    int deepest_ = 0;
    Handler* handler_ = nullptr;
    Observer* observer_ = nullptr;
};
