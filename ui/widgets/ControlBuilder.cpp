#include "ControlBuilder.h"

#include "ui/widgets/Accessibility.h"
#include "ui/widgets/TextField.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>

// The resources live in this static library: nothing would pull them into a program unless
// referenced from here. Q_INIT_RESOURCE must stand outside any namespace.
static void initAssetResources() { Q_INIT_RESOURCE(assets); }

namespace ControlBuilder {

namespace {

constexpr double kPixelsPerPoint = 96.0 / 72.0;

Qt::Alignment labelAlignment(quint16 flags)
{
    return Qt::AlignTop | ((flags & RightAligned) ? Qt::AlignRight : Qt::AlignLeft);
}

QLabel* makeLabel(QWidget* parent, const ControlLook& look)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText); // a caption is never markup, whatever the user typed
    label->setText(look.text);
    label->setAlignment(labelAlignment(look.flags));
    label->setWordWrap(look.flags & WordWrap);
    label->setMargin(0);
    label->setIndent(0);
    if (look.flags & ButtonFace) {
        label->setAutoFillBackground(true);
        label->setBackgroundRole(QPalette::Button);
        label->setForegroundRole(QPalette::ButtonText);
    } else if (look.flags & InFrame) {
        // The frame's contents are opaque in the window background colour.
        label->setAutoFillBackground(true);
        label->setBackgroundRole(QPalette::Window);
    }
    return label;
}

QLabel* makePicture(QWidget* parent, const ControlLook& look)
{
    ensureResources();
    auto* picture = new QLabel(parent);
    const QPixmap pixmap(look.pictureResource);
    if (pixmap.isNull())
        qWarning("picture %s: cannot load %s", look.name, qPrintable(look.pictureResource));
    picture->setPixmap(pixmap);
    picture->setScaledContents(false); // drawn at its own size, never stretched
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture->setMargin(0);
    if (look.flags & ThinBorder) {
        picture->setFrameStyle(QFrame::Box | QFrame::Plain);
        picture->setLineWidth(1);
    }
    return picture;
}

QLineEdit* makeTextField(QWidget* parent, const ControlLook& look)
{
    auto* field = new TextField(parent);
    // No setMaxLength: it would also cut text that is pasted, dropped or assigned. A typing
    // limit is the owner's to set (TextField::setTypingLimit).
    field->setText(look.text);
    field->setReadOnly(look.flags & ReadOnly);
    if (look.flags & ButtonFace)
        field->setBackgroundRole(QPalette::Button);
    field->setFocusPolicy(Qt::StrongFocus);
    return field;
}

QPushButton* makeButton(QWidget* parent, const ControlLook& look)
{
    auto* button = new ButtonWidget(look.text, parent);
    // Inside a dialog every push button would answer Enter by itself; only the default button
    // of a window does.
    button->setAutoDefault(false);
    button->setDefault(look.flags & DefaultButton);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

QGroupBox* makeFrame(QWidget* parent, const ControlLook& look)
{
    auto* frame = new FrameWidget(look.text, parent);
    frame->setAutoFillBackground(true);
    frame->setBackgroundRole(QPalette::Window);
    frame->setFlat(false);
    return frame;
}

// Condensing beyond this would read as a different face; the caption is then cut as it is.
constexpr int kNarrowestStretch = 90;

void fitOneLine(QLabel* label)
{
    QFont font = label->font();
    font.setStretch(QFont::AnyStretch);
    const int room = label->contentsRect().width();
    const QString& text = label->text();
    if (!text.contains(u'\n') && QFontMetricsF(font).horizontalAdvance(text) > room) {
        for (int stretch = 99; stretch >= kNarrowestStretch; --stretch) {
            font.setStretch(stretch);
            if (QFontMetricsF(font).horizontalAdvance(text) <= room)
                break;
        }
    }
    if (font != label->font())
        label->setFont(font);
}

} // namespace

QColor systemColour(SystemColour colour)
{
    const QPalette palette = QApplication::palette();
    switch (colour) {
    case SystemColour::WindowBackground:
        return palette.color(QPalette::Base);
    case SystemColour::WindowText:
        return palette.color(QPalette::Text);
    case SystemColour::ButtonFace:
        return palette.color(QPalette::Button);
    case SystemColour::MenuBar:
        return QApplication::palette("QMenuBar").color(QPalette::Window);
    case SystemColour::DarkShadow3D:
        return palette.color(QPalette::Shadow);
    }
    return {};
}

void ensureResources()
{
    static const bool done = [] {
        initAssetResources();
        return true;
    }();
    Q_UNUSED(done);
}

void installFontSubstitutes()
{
    static const bool installed = [] {
        // MS Sans Serif is a bitmap face of Windows; its TrueType successor and the metric twins
        // of Arial come closest in width.
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                                   {QStringLiteral("Microsoft Sans Serif"),
                                    QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                    QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
        QFont::insertSubstitutions(QStringLiteral("Arial"),
                                   {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
        return true;
    }();
    Q_UNUSED(installed);
}

int scaled(int pixels, double scale) { return scale == 1.0 ? pixels : qRound(pixels * scale); }

QRect pixelRect(const TwipsRect& r, double scale)
{
    const QRect design = pixelRect(r);
    const QPoint topLeft(scaled(design.left(), scale), scaled(design.top(), scale));
    const QPoint end(scaled(design.left() + design.width(), scale),
                     scaled(design.top() + design.height(), scale));
    return {topLeft, QSize(end.x() - topLeft.x(), end.y() - topLeft.y())};
}

QFont fontFor(const FontDef& font, double scale)
{
    const FontDef& f = font.face ? font : kFormFont;
    QFont result(QString::fromLatin1(f.face));
    result.setStyleHint(QFont::SansSerif);
    result.setPixelSize(std::max(1, qRound(f.points * kPixelsPerPoint * scale)));
    result.setBold(f.bold);
    return result;
}

void applyWindowColours(QWidget* window)
{
    QPalette palette = QApplication::palette(window);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, systemColour(SystemColour::WindowBackground));
        palette.setColor(group, QPalette::WindowText, systemColour(SystemColour::WindowText));
    }
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    window->setBackgroundRole(QPalette::Window);
}

int stackingLayer(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Picture:
        return 0;
    case ControlKind::Rectangle:
        return 1;
    case ControlKind::Label:
        return 2;
    case ControlKind::TextField:
    case ControlKind::Button:
    case ControlKind::Frame:
        return 3;
    }
    return 3;
}

QWidget* build(QWidget* parent, const ControlLook& look)
{
    QWidget* widget = nullptr;
    switch (look.kind) {
    case ControlKind::Picture:
        widget = makePicture(parent, look);
        break;
    case ControlKind::Label:
        widget = makeLabel(parent, look);
        break;
    case ControlKind::TextField:
        widget = makeTextField(parent, look);
        break;
    case ControlKind::Button:
        widget = makeButton(parent, look);
        break;
    case ControlKind::Frame:
        widget = makeFrame(parent, look);
        break;
    case ControlKind::Rectangle:
        widget = new ShapeWidget(parent);
        break;
    }
    widget->setObjectName(QString::fromLatin1(look.name));
    if (look.kind != ControlKind::TextField && look.kind != ControlKind::Button)
        widget->setFocusPolicy(Qt::NoFocus);
    if (look.kind == ControlKind::Picture || look.kind == ControlKind::Rectangle)
        Accessibility::markDecoration(widget); // nothing in them for a screen reader to tell
    else
        widget->setFont(fontFor(look.font));
    widget->setGeometry(pixelRect(look.rect));
    return widget;
}

void place(QWidget* widget, const ControlLook& look, const Placement& placement)
{
    const double scale = placement.scale;
    widget->setGeometry(pixelRect(look.rect, scale).translated(placement.origin));
    if (look.kind == ControlKind::Rectangle)
        return;
    auto* label = qobject_cast<QLabel*>(widget);
    if (look.kind != ControlKind::Picture) {
        widget->setFont(fontFor(look.font, scale));
        if (label && !label->wordWrap())
            fitOneLine(label); // the face may need condensing afresh at the new size
        return;
    }
    if (!label)
        return;
    QPixmap pixmap(look.pictureResource);
    if (scale != 1.0 && !pixmap.isNull()) {
        // Drawn afresh for the screen's pixels, so the picture stays sharp.
        const qreal ratio = widget->devicePixelRatioF();
        const QSize size(scaled(pixmap.width(), scale), scaled(pixmap.height(), scale));
        pixmap = pixmap.scaled(size * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        pixmap.setDevicePixelRatio(ratio);
    }
    label->setPixmap(pixmap);
}

void stack(const QList<QPair<QWidget*, ControlKind>>& controls)
{
    QList<QPair<QWidget*, ControlKind>> order = controls;
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
        return stackingLayer(a.second) < stackingLayer(b.second);
    });
    for (const auto& [widget, kind] : order)
        widget->raise();
}

void setCaption(QWidget* widget, const QString& text)
{
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
        if (!label->wordWrap() && label->pixmap().isNull())
            fitOneLine(label);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(text);
    else if (auto* field = qobject_cast<QLineEdit*>(widget))
        field->setText(text);
    else if (auto* frame = qobject_cast<QGroupBox*>(widget))
        frame->setTitle(text);
}

void ShapeWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), systemColour(SystemColour::MenuBar));
    painter.setPen(QPen(systemColour(SystemColour::DarkShadow3D), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void ButtonWidget::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    if (!hasFocus())
        return;
    // Some styles draw the focus only after a Tab, or draw the default button as if it had the
    // focus: the ring inside the button shows it whatever the style and however it came.
    QPainter painter(this);
    QPen pen(palette().color(QPalette::Highlight), kFocusRingWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const int inset = kFocusRingInset + kFocusRingWidth / 2;
    painter.drawRect(rect().adjusted(inset, inset, -inset, -inset));
}

void FrameWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int edge = metrics.height() / 2; // the top edge runs through the caption's middle
    const QRect box = rect().adjusted(0, edge, -1, -1);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(box.adjusted(1, 1, 0, 0));
    if (title().isEmpty())
        return;
    const int indent = metrics.averageCharWidth();
    const int gap = 2; // clear of the edge on either side of the caption
    const QRect caption(indent, 0, metrics.horizontalAdvance(title()), metrics.height());
    painter.fillRect(caption.adjusted(-gap, 0, gap, 0), palette().window());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(caption, Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, title());
}

} // namespace ControlBuilder
