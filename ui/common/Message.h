#pragma once

#include <QString>

// A modal message box as the logic asks for it: title, text, icon, buttons and the button that
// Enter presses.
enum class MessageIcon { Warning, Question };
enum class MessageButtons { Ok, YesNo };
enum class Answer { Ok, Yes, No, Closed };

struct Message {
    QString title;
    QString text;
    MessageIcon icon;
    MessageButtons buttons;
    Answer defaultAnswer;

    friend bool operator==(const Message&, const Message&) = default;
};
