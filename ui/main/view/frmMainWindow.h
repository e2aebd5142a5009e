#pragma once

#include "app/Identity.h"
#include "ui/about/view/frmAboutDialog.h"
#include "ui/main/FieldSet.h"
#include "ui/main/FormHost.h"
#include "ui/main/frmMain.h"
#include "ui/widgets/Accessibility.h"

#include <QMetaObject>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAccessibleEvent;
class QPushButton;
class QSessionManager;
class TextField;
namespace ScreenFit {
class Watcher;
}

// The main window: a thin view of frmMain's field set. Every widget shows the text the field set
// holds for its control; every change of the serial field's text that the view did not make
// itself (typing, paste, drop, undo, input methods, assistive technologies) goes to
// frmMain::userEdit, and the buttons, the keyboard and close requests to its handlers. The window
// answers the logic's requests (message boxes, the About window, the end of the application,
// announcements for a screen reader) as its FormHost.
class frmMainWindow : public QWidget, public FormHost, private FieldSet::Observer {
    Q_OBJECT

public:
    // Why the window is asked to close, as Form_QueryUnload is told.
    enum UnloadMode : int {
        FormControlMenu = 0, // close box, system menu, Alt+F4, the window manager
        FormCode = 1,        // the program's own close()
        AppWindows = 2,      // the desktop session is ending
    };

    static QString caption(); // "Quorvin Halvex Build Date Calculator"
    static QSize clientSize();

    explicit frmMainWindow(NumberRules::Separators separators,
                           const AppIdentity& identity = appIdentity(), QWidget* parent = nullptr);
    ~frmMainWindow() override;

    frmMain& form() { return *form_; }
    const FieldSet& fields() const { return form_->fields(); }

    // The widget that shows a control; nullptr for controls outside the client area.
    QWidget* widgetOf(Control control) const { return widgets_[indexOf(control)]; }

    // Loads the window before it is first shown: Form_Load, focus to the serial, the form at
    // the largest scale that fits the screen (at most as designed), centred.
    void load();

    // The form drawn `scale` times its design size: places, fonts and pictures alike.
    void setFormScale(double scale);
    double formScale() const { return scale_; }
    // Where the form is drawn: the whole window, or below the title bar the window draws itself
    // where it must (TitleBar).
    QRect clientArea() const;

    // FormHost
    Answer ask(const Message& message) override;
    void showAbout() override;
    void endApplication() override;
    // Spoken once the window has the keyboard (a message box may only just have closed).
    void announce(const QString& text) override;

    // What ending the application comes down to; QCoreApplication::exit by default.
    void setApplicationEnder(std::function<void(int exitCode)> ender);
    bool hasEnded() const { return ended_; }

    // Where the window's accessibility events go, its announcements' included:
    // QAccessible::updateAccessibility, which passes them on only while an assistive technology
    // listens.
    void setAccessibilityNotifier(std::function<void(QAccessibleEvent*)> notifier);
    Accessibility::Announcer& announcer() { return *announcer_; }

    // The About window while it is open.
    frmAboutDialog* aboutWindow() const { return about_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // FieldSet::Observer
    void textChanged(Control control) override;
    void caretMoved(Control control) override;

    void buildControls();
    void placeControls();
    void applyAccessibleTexts();
    void connectInput();
    void disconnectInput();
    void centreOnScreen();
    void announcePending();

    void serialChanged(const QString& text);
    void serialCursorMoved(int position);
    void showSerial();
    void queryUnload(int mode, bool& cancelled);
#ifndef QT_NO_SESSIONMANAGER
    void sessionEnding(QSessionManager& manager);
#endif

    const AppIdentity& identity_;
    std::unique_ptr<frmMain> form_;
    std::array<QWidget*, kControlCount> widgets_{};
    TextField* serial_ = nullptr;
    QPushButton* defaultButton_ = nullptr;
    QPointer<frmAboutDialog> about_;
    Accessibility::Announcer* announcer_ = nullptr;
    ScreenFit::Watcher* screenFit_ = nullptr;
    double scale_ = 1.0;
    std::optional<QString> pendingAnnouncement_;
    QList<QMetaObject::Connection> inputConnections_;
    std::function<void(int)> ender_;
    std::function<void(QAccessibleEvent*)> notify_;
    bool showingSerial_ = false; // the view is writing the field set's serial into the widget
    bool ended_ = false;
    bool centred_ = false;
};
