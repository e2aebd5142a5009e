#pragma once

#include "ui/common/Message.h"

#include <QString>

// What the main window's logic asks of whoever shows it: modal message boxes, the About window,
// the end of the application and what a screen reader should say. The window answers with real
// dialogs; tests answer in advance.
class FormHost {
public:
    virtual Answer ask(const Message& message) = 0;
    virtual void showAbout() = 0;      // modal: returns when the About window is closed
    virtual void endApplication() = 0; // at once; no further handler of any window runs
    // The outcome of a command in words, for a user who does not see the window: a screen
    // reader speaks it. A host with nobody to tell leaves it.
    virtual void announce(const QString& text) { Q_UNUSED(text); }

protected:
    ~FormHost() = default;
};
