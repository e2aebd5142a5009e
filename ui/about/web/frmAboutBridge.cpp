#include "app/Identity.h"
#include "ui/about/frmAbout.h"
#include "ui/web/WebValues.h"

#include <emscripten/bind.h>

using emscripten::val;

namespace {

// The About window's page: the browser's view of frmAbout, shown as a modal dialog. It exists
// while the dialog is open; its Close button unloads it.
class frmAboutPage final : private frmAbout::Host {
public:
    frmAboutPage()
        : form_(*this, appIdentity())
    {
    }

    void load() { form_.Form_Load(); }

    // Every control's caption, by control name.
    val texts() const
    {
        val out = val::object();
        for (const AboutControlDef& def : aboutControlTable())
            out.set(def.name, WebValues::text(form_.text(def.id)));
        return out;
    }

    // cmdClose: true when the window has unloaded itself.
    bool clickClose()
    {
        form_.cmdClose_Click();
        return unloaded_;
    }

private:
    void unload() override { unloaded_ = true; }

    frmAbout form_;
    bool unloaded_ = false;
};

val aboutControls()
{
    val rows = val::array();
    for (const AboutControlDef& def : aboutControlTable()) {
        rows.call<void>("push", WebValues::row({def.name, def.kind, def.text, def.rect, def.font,
                                                def.flags, 0, def.tabIndex}));
    }
    return rows;
}

val aboutClientSize()
{
    val size = val::object();
    size.set("width", kAboutClientWidthTwips);
    size.set("height", kAboutClientHeightTwips);
    size.set("caption", WebValues::text(frmAbout::caption()));
    return size;
}

} // namespace

EMSCRIPTEN_BINDINGS(frmAboutPage)
{
    emscripten::class_<frmAboutPage>("frmAboutPage")
        .constructor<>()
        .function("load", &frmAboutPage::load)
        .function("texts", &frmAboutPage::texts)
        .function("clickClose", &frmAboutPage::clickClose);
    emscripten::function("aboutControls", &aboutControls);
    emscripten::function("aboutClientSize", &aboutClientSize);
}
