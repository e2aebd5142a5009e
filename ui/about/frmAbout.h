#pragma once

#include "ui/common/ControlTypes.h"

#include <QString>
#include <QtGlobal>

#include <array>
#include <cstddef>

struct AppIdentity;

// The About window's controls and its logic, with no widget in sight. The dialog builds its
// widgets from aboutControlTable() and shows the captions this class holds.

enum class AboutControl : quint8 {
    Image3,
    lblApp,
    Label1,
    lblVersion,
    lblCopyright,
    lblWarnings,
    cmdClose
};

inline constexpr std::size_t kAboutControlCount =
    static_cast<std::size_t>(AboutControl::cmdClose) + 1;

constexpr std::size_t indexOf(AboutControl c) { return static_cast<std::size_t>(c); }

struct AboutControlDef {
    AboutControl id;
    const char* name;
    ControlKind kind;
    const char* text; // design caption, UTF-8
    TwipsRect rect;
    FontDef font;
    quint16 flags; // ControlFlag
    int tabIndex;  // -1: takes no focus position
};

// In enum order, indexed by AboutControl.
const std::array<AboutControlDef, kAboutControlCount>& aboutControlTable();

inline const AboutControlDef& aboutControlDef(AboutControl c)
{
    return aboutControlTable()[indexOf(c)];
}

// The About window's client area in twips.
inline constexpr int kAboutClientWidthTwips = 7110;
inline constexpr int kAboutClientHeightTwips = 4110;

class frmAbout {
public:
    // Whoever shows the window: unload() destroys it.
    class Host {
    public:
        virtual void unload() = 0;

    protected:
        ~Host() = default;
    };

    class Observer {
    public:
        virtual void captionChanged(AboutControl control) = 0;

    protected:
        ~Observer() = default;
    };

    frmAbout(Host& host, const AppIdentity& identity);
    frmAbout(const frmAbout&) = delete;
    frmAbout& operator=(const frmAbout&) = delete;

    static QString caption(); // the window's caption

    const QString& text(AboutControl control) const { return texts_[indexOf(control)]; }
    void setObserver(Observer* observer) { observer_ = observer; }

    // Fills the four identity labels, before the window is first shown.
    void Form_Load();
    void cmdClose_Click();
    // The window is being closed from its caption bar: nothing to do but go.
    void Form_Unload() {}

    // "V1.0.22" and "Product 1.0": each number in plain decimal.
    static QString versionCaption(const AppIdentity& identity);
    static QString appCaption(const AppIdentity& identity);

private:
    void setText(AboutControl control, const QString& text);

    Host& host_;
    const AppIdentity& identity_;
    std::array<QString, kAboutControlCount> texts_;
    Observer* observer_ = nullptr;
};
