#pragma once

#include <QStyle>
#include <QWidget>

class QToolButton;

// The title bar a window draws for itself on Wayland, in place of the one Qt 6.4 draws there.
// Qt's offers a maximise button whatever the window's flags say, and on a fixed-size window (the
// forms, the message boxes) a click on it ends the program with a protocol error: the compositor
// hands out the maximised size, which the window refuses. This one offers only what the window's
// flags allow (minimise, close), shows the window's icon and title, and moves the window when
// dragged. It spans the top of the window and adds its height to the window's top contents
// margin: a layout keeps below it by itself, a form places its controls from contentsRect().
class TitleBar : public QWidget {
    Q_OBJECT

public:
    static constexpr int kHeight = 30;

    // Whether windows draw their own title bar: on Wayland.
    static bool wanted();

    // Takes the window's frame away (Qt draws none then) and puts this bar at its top.
    explicit TitleBar(QWidget* window);

    QToolButton* minimiseButton() const { return minimise_; }
    QToolButton* closeButton() const { return close_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QToolButton* addButton(const char* name, const QString& text, QStyle::StandardPixmap icon);
    void fitWidth();

    QWidget* window_;
    QToolButton* minimise_ = nullptr;
    QToolButton* close_ = nullptr;
};
