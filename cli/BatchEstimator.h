#pragma once

#include "ui/main/FormHost.h"
#include "ui/main/frmMain.h"

#include <QString>

// Runs inputs through the main window's logic as a freshly opened window would, and says what
// each one gave. Message boxes become the result's message instead of being shown.
class BatchEstimator final : private FormHost {
public:
    struct Result {
        bool calculated = false;
        QString message; // why it was not calculated
    };

    explicit BatchEstimator(NumberRules::Separators separators);

    // The input is assigned whole to txtSerial, as code does, and Calculate runs.
    Result estimate(const QString& input);

    const FieldSet& fields() const { return form_.fields(); }

private:
    Answer ask(const Message& message) override;
    void showAbout() override {}
    void endApplication() override {}

    frmMain form_;
    QString message_;
    bool asked_ = false;
};
