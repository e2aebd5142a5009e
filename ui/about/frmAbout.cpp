#include "frmAbout.h"

#include "app/Identity.h"

namespace {

using enum AboutControl;
using K = ControlKind;

constexpr FontDef sans{"MS Sans Serif", 9.75, false};
constexpr FontDef sansBold{"MS Sans Serif", 9.75, true};

// clang-format off
constexpr std::array<AboutControlDef, kAboutControlCount> kTable{{
//   id            name            kind          text               left  top   width height font      flags     tab
    {Image3,       "Image3",       K::Picture,   "",                {120,  120,  960,  960},  sans,     NoFlags,  -1},
    {lblApp,       "lblApp",       K::Label,     "Quorvin Halvex",  {1440, 360,  5295, 375},  sansBold, NoFlags,  -1},
    {Label1,       "Label1",       K::Label,     "Version:",        {1440, 720,  855,  375},  sans,     NoFlags,  -1},
    {lblVersion,   "lblVersion",   K::Label,     "0",               {2400, 720,  2295, 375},  sans,     NoFlags,  -1},
    {lblCopyright, "lblCopyright", K::Label,     "Copyright",       {1440, 1080, 4575, 615},  sans,     WordWrap, -1},
    {lblWarnings,  "lblWarnings",  K::Label,     "Warnings",        {1440, 1800, 4695, 1455}, sans,     WordWrap, -1},
    {cmdClose,     "cmdClose",     K::Button,    "&Close",          {5400, 3480, 1575, 495},  sans,     NoFlags,   1},
}};
// clang-format on

constexpr bool tableIsInOrder()
{
    for (std::size_t i = 0; i < kTable.size(); ++i) {
        if (indexOf(kTable[i].id) != i)
            return false;
    }
    return true;
}
static_assert(tableIsInOrder(), "the About table must list the controls in enum order");

} // namespace

const std::array<AboutControlDef, kAboutControlCount>& aboutControlTable() { return kTable; }

frmAbout::frmAbout(Host& host, const AppIdentity& identity)
    : host_(host)
    , identity_(identity)
{
    for (const AboutControlDef& def : kTable)
        texts_[indexOf(def.id)] = QString::fromUtf8(def.text);
}

QString frmAbout::caption() { return QStringLiteral("About"); }

QString frmAbout::versionCaption(const AppIdentity& identity)
{
    return QStringLiteral("V%1.%2.%3")
        .arg(QString::number(identity.major), QString::number(identity.minor),
             QString::number(identity.revision));
}

QString frmAbout::appCaption(const AppIdentity& identity)
{
    // One multi-argument arg(): a "%" in the product name is kept as it is.
    return QStringLiteral("%1 %2.%3")
        .arg(identity.productName, QString::number(identity.major),
             QString::number(identity.minor));
}

void frmAbout::setText(AboutControl control, const QString& text)
{
    QString& current = texts_[indexOf(control)];
    if (current == text)
        return;
    current = text;
    if (observer_)
        observer_->captionChanged(control);
}

void frmAbout::Form_Load()
{
    setText(lblVersion, versionCaption(identity_));
    setText(lblApp, appCaption(identity_));
    setText(lblCopyright, identity_.copyright);
    setText(lblWarnings, identity_.trademarks);
}

void frmAbout::cmdClose_Click() { host_.unload(); }
