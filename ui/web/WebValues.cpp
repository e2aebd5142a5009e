#include "WebValues.h"

using emscripten::val;

namespace WebValues {

namespace {

const char* kindName(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Picture:
        return "Picture";
    case ControlKind::Label:
        return "Label";
    case ControlKind::TextField:
        return "TextField";
    case ControlKind::Button:
        return "Button";
    case ControlKind::Frame:
        return "Frame";
    case ControlKind::Rectangle:
        return "Rectangle";
    }
    return "Label";
}

const char* answerName(Answer answer)
{
    switch (answer) {
    case Answer::Ok:
        return "Ok";
    case Answer::Yes:
        return "Yes";
    case Answer::No:
        return "No";
    case Answer::Closed:
        break;
    }
    return "Closed";
}

} // namespace

val text(const QString& text) { return val(text.toStdString()); }

QString fromJs(const std::string& utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

val row(const Row& row)
{
    const FontDef& font = row.font.face ? row.font : kFormFont;
    val fontValue = val::object();
    fontValue.set("face", val(font.face));
    fontValue.set("points", font.points);
    fontValue.set("bold", font.bold);

    val out = val::object();
    out.set("name", val(row.name));
    out.set("kind", val(kindName(row.kind)));
    out.set("text", text(QString::fromUtf8(row.text)));
    out.set("left", row.rect.left);
    out.set("top", row.rect.top);
    out.set("width", row.rect.width);
    out.set("height", row.rect.height);
    out.set("font", fontValue);
    out.set("rightAligned", (row.flags & RightAligned) != 0);
    out.set("wordWrap", (row.flags & WordWrap) != 0);
    out.set("readOnly", (row.flags & ReadOnly) != 0);
    out.set("buttonFace", (row.flags & ButtonFace) != 0);
    out.set("defaultButton", (row.flags & DefaultButton) != 0);
    out.set("inFrame", (row.flags & InFrame) != 0);
    out.set("thinBorder", (row.flags & ThinBorder) != 0);
    out.set("maxLength", row.maxLength);
    out.set("tabIndex", row.tabIndex);
    return out;
}

val message(const Message& message)
{
    val out = val::object();
    out.set("title", text(message.title));
    out.set("text", text(message.text));
    out.set("icon", val(message.icon == MessageIcon::Warning ? "Warning" : "Question"));
    val buttons = val::array();
    if (message.buttons == MessageButtons::Ok) {
        buttons.call<void>("push", val("Ok"));
    } else {
        buttons.call<void>("push", val("Yes"));
        buttons.call<void>("push", val("No"));
    }
    out.set("buttons", buttons);
    out.set("defaultAnswer", val(answerName(message.defaultAnswer)));
    return out;
}

Answer answerNamed(const std::string& name)
{
    for (const Answer answer : {Answer::Ok, Answer::Yes, Answer::No}) {
        if (name == answerName(answer))
            return answer;
    }
    return Answer::Closed;
}

} // namespace WebValues
