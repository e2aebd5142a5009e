#pragma once

#include "ui/about/frmAbout.h"

#include <QDialog>

#include <array>

class QKeyEvent;

// The About window: a fixed dialog built from the About control table, showing the captions of
// its frmAbout. One is created for every opening and destroyed when it closes.
class frmAboutDialog : public QDialog, private frmAbout::Host, private frmAbout::Observer {
    Q_OBJECT

public:
    static QSize clientSize();

    explicit frmAboutDialog(const AppIdentity& identity, QWidget* parent = nullptr);
    ~frmAboutDialog() override;

    const frmAbout& form() const { return form_; }
    QWidget* widgetOf(AboutControl control) const { return widgets_[indexOf(control)]; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void unload() override;
    void captionChanged(AboutControl control) override;
    void centreOnScreen();
    void nameTitleLine();

    frmAbout form_;
    std::array<QWidget*, kAboutControlCount> widgets_{};
};
