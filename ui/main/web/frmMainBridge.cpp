#include "app/Identity.h"
#include "estimate/NumberRules.h"
#include "ui/main/Controls.h"
#include "ui/main/frmMain.h"
#include "ui/web/WebValues.h"

#include <QLocale>

#include <emscripten/bind.h>

#include <functional>
#include <optional>
#include <string>

using emscripten::val;
using enum Control;

namespace {

std::optional<Control> controlNamed(const std::string& name)
{
    for (const ControlDef& def : controlTable()) {
        if (name == def.name)
            return def.id;
    }
    return std::nullopt;
}

// The main window's page: the browser's view of frmMain, as frmMainWindow is the desktop's. The
// page shows the field set's texts and hands edits, button presses and close requests to the
// form's handlers; this class answers the form as its host and tells the page what came of each.
//
// A browser cannot wait inside a handler for a dialog's answer. So a handler that asks runs twice:
// first with no answer to give, which the form takes as a box closed without an answer (a
// question then changes nothing; a warning has nothing after it) while the page shows the box;
// then, for a question, once more with the user's answer given in advance.
class frmMainPage final : public FormHost {
public:
    explicit frmMainPage(const std::string& localeName)
        : form_(*this, appIdentity(),
                NumberRules::Separators::fromLocale(QLocale(WebValues::fromJs(localeName))))
    {
    }

    void load() { form_.Form_Load(); }

    // Every control's text, by control name.
    val texts() const
    {
        val out = val::object();
        for (const ControlDef& def : controlTable())
            out.set(def.name, WebValues::text(form_.fields().text(def.id)));
        return out;
    }

    int caret(const std::string& name) const
    {
        const auto control = controlNamed(name);
        return control ? form_.fields().caret(*control) : 0;
    }

    // What came of a user's edit: the text the field was given and where the caret stood.
    val edit(const std::string& name, const std::string& text, int caret)
    {
        const auto control = controlNamed(name);
        return run([&] {
            if (control)
                form_.userEdit(*control, WebValues::fromJs(text), caret);
        });
    }

    val click(const std::string& name)
    {
        for (const ButtonHandler& button : kButtonHandlers) {
            if (name == controlDef(button.id).name)
                return run([this, click = button.click] { (form_.*click)(); });
        }
        return run([] {});
    }

    // A request to close the page (its close box): Form_QueryUnload, as the window's close box.
    val close()
    {
        return run([this] {
            qint16 cancel = 0;
            form_.Form_QueryUnload(cancel, 0);
        });
    }

    // The user's answer to the question the last command asked: that command runs again with it.
    val answer(const std::string& answer)
    {
        if (!question_)
            return run([] {});
        given_ = WebValues::answerNamed(answer);
        auto handler = std::move(question_);
        question_ = nullptr;
        return run(handler);
    }

    // FormHost
    Answer ask(const Message& message) override
    {
        if (given_) {
            const Answer answer = *given_;
            given_.reset();
            return answer;
        }
        asked_ = message;
        return Answer::Closed;
    }
    void showAbout() override { aboutRequested_ = true; }
    void endApplication() override { ended_ = true; }
    void announce(const QString& text) override { announcement_ = text; }

private:
    // Runs a command of the form, unless the application has ended, and says what came of it:
    // { message, about, ended, announcement }.
    val run(const std::function<void()>& command)
    {
        asked_.reset();
        announcement_.reset();
        aboutRequested_ = false;
        if (!ended_)
            command();
        given_.reset();
        if (asked_ && asked_->buttons == MessageButtons::YesNo)
            question_ = command;

        val out = val::object();
        out.set("message", asked_ ? WebValues::message(*asked_) : val::null());
        out.set("about", aboutRequested_);
        out.set("ended", ended_);
        out.set("announcement", announcement_ ? WebValues::text(*announcement_) : val::null());
        return out;
    }

    frmMain form_;
    std::optional<Answer> given_;
    std::optional<Message> asked_;
    std::optional<QString> announcement_;
    std::function<void()> question_;
    bool aboutRequested_ = false;
    bool ended_ = false;
};

val mainControls()
{
    val rows = val::array();
    for (const ControlDef& def : controlTable()) {
        val row = WebValues::row({def.name, def.kind, def.text, def.rect, def.font, def.flags,
                                  def.maxLength, def.tabIndex});
        for (const AccessibleDef& accessible : kAccessible) {
            if (accessible.id != def.id)
                continue;
            if (accessible.name)
                row.set("accessibleName", val(accessible.name));
            if (accessible.description)
                row.set("accessibleDescription", val(accessible.description));
            if (accessible.describedBy)
                row.set("describedBy", val(controlDef(*accessible.describedBy).name));
        }
        rows.call<void>("push", row);
    }
    return rows;
}

val mainClientSize()
{
    val size = val::object();
    size.set("width", kClientWidthTwips);
    size.set("height", kClientHeightTwips);
    size.set("caption", WebValues::text(appIdentity().productName));
    return size;
}

} // namespace

EMSCRIPTEN_BINDINGS(frmMainPage)
{
    emscripten::class_<frmMainPage>("frmMainPage")
        .constructor<std::string>()
        .function("load", &frmMainPage::load)
        .function("texts", &frmMainPage::texts)
        .function("caret", &frmMainPage::caret)
        .function("edit", &frmMainPage::edit)
        .function("click", &frmMainPage::click)
        .function("close", &frmMainPage::close)
        .function("answer", &frmMainPage::answer);
    emscripten::function("mainControls", &mainControls);
    emscripten::function("mainClientSize", &mainClientSize);
}
