#pragma once

#include <QValidator>

#include <functional>

// The typing limit of a text field, as a maximum length would give it, without touching text
// that the program assigns (QLineEdit validates edits, never setText()).
//
// An edit that makes the text longer than max(limit, length before the edit) loses its excess
// characters just before the cursor: a typed character beyond the limit is refused and a paste
// is cut to what still fits. Everything else is acceptable as it stands; what the text means is
// the field's change handler's business.
class SerialValidator : public QValidator {
    Q_OBJECT

public:
    // currentLength: the field's length before the edit (the text the program last showed).
    SerialValidator(int limit, std::function<qsizetype()> currentLength, QObject* parent = nullptr);

    State validate(QString& input, int& pos) const override;

    int limit() const { return limit_; }

private:
    int limit_;
    std::function<qsizetype()> currentLength_;
};
