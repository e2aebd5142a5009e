#pragma once

#include "ui/main/FormHost.h"

#include <deque>
#include <vector>

// Answers the main window's questions from a script given in advance and records what was asked.
// A question nobody scripted is recorded as unexpected and answered as a close of the box.
class ScriptedHost : public FormHost {
public:
    void answerNext(Answer answer) { script.push_back(answer); }

    Answer ask(const Message& message) override
    {
        asked.push_back(message);
        if (script.empty()) {
            ++unexpected;
            return Answer::Closed;
        }
        const Answer answer = script.front();
        script.pop_front();
        return answer;
    }
    void showAbout() override { ++aboutShown; }
    void endApplication() override { ++ended; }

    std::deque<Answer> script;
    std::vector<Message> asked;
    int unexpected = 0;
    int aboutShown = 0;
    int ended = 0;
};
