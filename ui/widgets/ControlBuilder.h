#pragma once

#include "ui/common/ControlTypes.h"

#include <QColor>
#include <QFont>
#include <QGroupBox>
#include <QPoint>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <QWidget>

class QPaintEvent;

// Turns rows of a window's control table into widgets: twips to pixels, fonts by face and size,
// alignment, word wrap, system colours and the stacking of windowed over drawn-only controls.
// Both windows build all their controls through buildControl(), one row at a time.
namespace ControlBuilder {

// The system colours the windows are drawn in, by their desktop names.
enum class SystemColour { WindowBackground, WindowText, ButtonFace, MenuBar, DarkShadow3D };

// The colour from the application's palette (the desktop's colour scheme).
QColor systemColour(SystemColour colour);

// Rect in device-independent pixels (15 twips each).
constexpr int toPixels(int twips) { return twips / kTwipsPerPixel; }
inline QRect pixelRect(const TwipsRect& r)
{
    return {toPixels(r.left), toPixels(r.top), toPixels(r.width), toPixels(r.height)};
}

// Where a window puts its controls: its design drawn `scale` times its size (1: as designed),
// moved by `origin` (room the window keeps above its client area).
struct Placement {
    double scale = 1.0;
    QPoint origin;
};

// A length of the design, in pixels, at a scale.
int scaled(int pixels, double scale);
// The rect at a scale: its edges are scaled, so controls that touch at 1 touch at every scale.
QRect pixelRect(const TwipsRect& r, double scale);

// Makes the pictures and the icon of the resources available; safe to call often.
void ensureResources();

// Registers close faces for fonts a desktop may lack (MS Sans Serif, Arial). Safe to call often.
void installFontSubstitutes();

// A face in points, sized in pixels at 96 dots per inch (times the scale) so that text keeps its
// place in a layout that is itself in pixels. A FontDef without a face means the form's default
// font.
QFont fontFor(const FontDef& font, double scale = 1.0);

// Sets the palette roles a window and its labels draw with to the system colours above.
void applyWindowColours(QWidget* window);

// Front-to-back layer of a control: windowed controls (text fields, buttons, frames) in front,
// then labels, then filled rectangles, pictures at the back.
int stackingLayer(ControlKind kind);

// One control row, whatever window it belongs to.
struct ControlLook {
    const char* name;
    ControlKind kind;
    QString text;
    TwipsRect rect;
    FontDef font;
    quint16 flags;
    QString pictureResource; // pictures only
};

// Creates the widget for one row as a child of parent, placed as designed (not shown, not yet
// stacked).
QWidget* build(QWidget* parent, const ControlLook& look);

// Gives a row's widget its place, its font and (a picture) its image at a placement: the whole
// control scaled alike, pictures redrawn smoothly at their scaled size.
void place(QWidget* widget, const ControlLook& look, const Placement& placement);

template <class Def> ControlLook lookOf(const Def& def, const QString& picture = {})
{
    return {def.name,  def.kind, QString::fromUtf8(def.text), def.rect, def.font,
            def.flags, picture};
}

template <class Def>
QWidget* buildControl(QWidget* parent, const Def& def, const QString& picture = {})
{
    return build(parent, lookOf(def, picture));
}

// Raises children so that higher layers are in front; within one layer the order of the list.
void stack(const QList<QPair<QWidget*, ControlKind>>& controls);

// Writes a caption into whatever kind of widget shows it. A one-line label whose caption is a
// little wider than the label gets a slightly condensed face rather than a cut-off caption.
void setCaption(QWidget* widget, const QString& text);

// The group frame: an etched rectangle with its caption set into the top edge, its surface in
// the window background colour whatever the style would draw.
class FrameWidget : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A push button that shows the keyboard focus as a ring inside its edge.
class ButtonWidget : public QPushButton {
public:
    static constexpr int kFocusRingWidth = 2;
    static constexpr int kFocusRingInset = 3;

    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The band at the foot of the main window: a filled rectangle in the menu-bar colour with a
// one-pixel outline in the 3D dark shadow colour.
class ShapeWidget : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace ControlBuilder
