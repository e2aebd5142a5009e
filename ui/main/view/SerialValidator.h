#pragma once

#include <QValidator>

#include <functional>

// What an edit may bring into a one-line text field: the first line of what it brings, within the
// typing limit that a maximum length would give, without cutting text that the program assigns.
//
// Text with a line break (a spreadsheet cell or a terminal line pasted or dropped: "400\n",
// "400\r\n") keeps the new characters up to the first CR or LF, as single-line fields do on every
// desktop. An edit that makes the text longer than max(limit, length before the edit) loses its
// excess characters just before the cursor: a typed character beyond the limit is refused and a
// paste is cut to what still fits. Everything else is acceptable as it stands; what the text means
// is the field's change handler's business.
class SerialValidator : public QValidator {
    Q_OBJECT

public:
    // currentLength: the field's length before the edit (the text the program last showed).
    SerialValidator(int limit, std::function<qsizetype()> currentLength, QObject* parent = nullptr);

    State validate(QString& input, int& pos) const override;

    int limit() const { return limit_; }

private:
    static void keepFirstLine(QString& input, int& pos);

    int limit_;
    std::function<qsizetype()> currentLength_;
};
