#pragma once

#include "ui/common/ControlTypes.h"
#include "ui/common/Message.h"

#include <QString>

#include <emscripten/val.h>

#include <string>

// What the page's bridges hand to JavaScript and take from it: texts, control table rows and
// message boxes as plain JavaScript values.
namespace WebValues {

emscripten::val text(const QString& text);
QString fromJs(const std::string& utf8);

// One row of a window's control table: name, kind, caption, place in twips, font, flags, typing
// limit (0: none) and tab position (-1: none).
struct Row {
    const char* name;
    ControlKind kind;
    const char* text;
    TwipsRect rect;
    FontDef font;
    quint16 flags;
    int maxLength;
    int tabIndex;
};
emscripten::val row(const Row& row);

emscripten::val message(const Message& message);
// "Yes", "No", "Ok"; anything else is a box closed without an answer.
Answer answerNamed(const std::string& name);

} // namespace WebValues
