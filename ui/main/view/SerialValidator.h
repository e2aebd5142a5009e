#pragma once

#include <QValidator>

// What an edit may bring into the serial field: the first line of what it brings.
//
// Text with a line break (a spreadsheet cell or a terminal line pasted or dropped: "400\n",
// "400\r\n") keeps the new characters up to the first CR or LF, as single-line fields do on every
// desktop. Everything else is acceptable as it stands, however long: the typing limit is the
// field's (TextField), and what the text means is the field's change handler's business.
class SerialValidator : public QValidator {
    Q_OBJECT

public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override;
};
