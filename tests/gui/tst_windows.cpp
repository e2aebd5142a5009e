// How the two windows are built and drawn: window properties, every control against its table,
// fonts, captions that fit, colours and stacking on screen, accessibility; the About window's
// keys and its label texts.
#include "ui/about/frmAbout.h"
#include "ui/about/view/frmAboutDialog.h"
#include "ui/main/view/frmMainWindow.h"
#include "ui/widgets/ControlBuilder.h"
#include "ui/widgets/ScreenFit.h"

#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <memory>
#include <utility>

using ControlBuilder::SystemColour;
Q_DECLARE_METATYPE(SystemColour)

namespace {

const QString kMain = QStringLiteral("main");
const QString kAbout = QStringLiteral("About");

QString captionOf(QWidget* w) { return w->property("text").toString(); }

} // namespace

class TestWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<frmMainWindow> main;
    std::unique_ptr<frmAboutDialog> about;

    QWidget* window(const QString& which) const
    {
        return which == kMain ? static_cast<QWidget*>(main.get()) : about.get();
    }
    QWidget* control(const QString& which, const QString& name) const
    {
        return window(which)->findChild<QWidget*>(name);
    }

private Q_SLOTS:
    void init()
    {
        main = std::make_unique<frmMainWindow>(NumberRules::Separators{});
        main->load();
        main->show();
        about = std::make_unique<frmAboutDialog>(appIdentity(), main.get());
        about->show();
        QVERIFY(QTest::qWaitForWindowExposed(about.get()));
    }
    void cleanup()
    {
        about.reset();
        main.reset();
    }

    void windowProperties_data();
    void windowProperties();
    void controlsMatchTheirTables_data();
    void controlsMatchTheirTables();
    void fonts_data();
    void fonts();
    void captionsFit_data();
    void captionsFit();
    void largestScaleThatFits_data();
    void largestScaleThatFits();
    void scaledFormKeepsItsLayout_data();
    void scaledFormKeepsItsLayout();
    void stackingOrder();
    void coloursAndStacking_data();
    void coloursAndStacking();
    void pictures_data();
    void pictures();
    void windowIconImages_data();
    void windowIconImages();
    void accessibleTexts_data();
    void accessibleTexts();
    void resultSentenceIsAnnounced();
    void aboutKeys_data();
    void aboutKeys();
    void aboutLabels_data();
    void aboutLabels();
};

void TestWindows::windowProperties_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<bool>("minimise");
    QTest::addColumn<bool>("icon");
    QTest::newRow("main window: 898 x 560, minimise but no maximise, icon")
        << kMain << "Quorvin Halvex Build Date Calculator" << QSize(898, 560) << true << true;
    QTest::newRow("About window: 474 x 274, neither button, no icon")
        << kAbout << "About" << QSize(474, 274) << false << false;
}

void TestWindows::windowProperties()
{
    QFETCH(QString, which);
    QFETCH(QString, caption);
    QFETCH(QSize, client);
    QFETCH(bool, minimise);
    QFETCH(bool, icon);
    QWidget* w = window(which);
    QCOMPARE(w->windowTitle(), caption);
    QCOMPARE(w->size(), client);
    QCOMPARE(w->minimumSize(), client); // fixed: the user cannot resize it
    QCOMPARE(w->maximumSize(), client);
    QVERIFY(!(w->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(bool(w->windowFlags() & Qt::WindowMinimizeButtonHint), minimise);
    QVERIFY(w->windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(!w->windowIcon().isNull(), icon);
    if (icon)
        QVERIFY(w->windowIcon().availableSizes().contains(QSize(128, 128))); // the largest
    // Centred on the screen, frame and all, in each direction in which it fits the screen.
    const QRect screen = w->screen()->availableGeometry();
    const QRect frame = w->frameGeometry();
    if (frame.width() <= screen.width())
        QVERIFY(qAbs(frame.center().x() - screen.center().x()) <= 1);
    if (frame.height() <= screen.height())
        QVERIFY(qAbs(frame.center().y() - screen.center().y()) <= 1);
    // Only the main window has a task-bar entry: the About window is its dialog.
    QCOMPARE(w->windowType(), which == kMain ? Qt::Window : Qt::Dialog);
    QCOMPARE(w->windowHandle()->transientParent(), which == kMain ? nullptr : main->windowHandle());
}

void TestWindows::controlsMatchTheirTables_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("pixels"); // empty: outside the client area, no widget at all
    QTest::addColumn<QString>("parent");
    QTest::addColumn<bool>("takesFocus");
    // The tables' twips, 15 to a pixel.
    QTest::newRow("main Image1: 0, 0, 2850 x 7530")
        << kMain << "Image1" << QRect(0, 0, 190, 502) << "frmMain" << false;
    QTest::newRow("main Label14: 3120, 720, 9015 x 1095")
        << kMain << "Label14" << QRect(208, 48, 601, 73) << "frmMain" << false;
    QTest::newRow("main txtSerial: 4920, 2760, 1935 x 495")
        << kMain << "txtSerial" << QRect(328, 184, 129, 33) << "frmMain" << true;
    QTest::newRow("main cmdCalculate: 6720, 7680, 2415 x 495")
        << kMain << "cmdCalculate" << QRect(448, 512, 161, 33) << "frmMain" << true;
    QTest::newRow("main Frame3: 3600, 5400, 9135 x 1575")
        << kMain << "Frame3" << QRect(240, 360, 609, 105) << "frmMain" << false;
    QTest::newRow("main lblDate, in Frame3: 240, 360, 8655 x 975")
        << kMain << "lblDate" << QRect(16, 24, 577, 65) << "Frame3" << false;
    QTest::newRow("main Shape1, past the left edge: -840, 7440, 15495 x 1815")
        << kMain << "Shape1" << QRect(-56, 496, 1033, 121) << "frmMain" << false;
    QTest::newRow("main txtDate, right of 13470: no widget")
        << kMain << "txtDate" << QRect() << "" << false;
    QTest::newRow("main Label10, right of 13470: no widget")
        << kMain << "Label10" << QRect() << "" << false;
    QTest::newRow("About lblWarnings: 1440, 1800, 4695 x 1455")
        << kAbout << "lblWarnings" << QRect(96, 120, 313, 97) << "frmAbout" << false;
    QTest::newRow("About cmdClose: 5400, 3480, 1575 x 495")
        << kAbout << "cmdClose" << QRect(360, 232, 105, 33) << "frmAbout" << true;
}

void TestWindows::controlsMatchTheirTables()
{
    QFETCH(QString, which);
    QFETCH(QString, name);
    QFETCH(QRect, pixels);
    QFETCH(QString, parent);
    QFETCH(bool, takesFocus);
    QWidget* w = control(which, name);
    if (pixels.isNull()) {
        QVERIFY2(!w, "a control outside the client area gets no widget");
        return;
    }
    QVERIFY(w);
    QCOMPARE(w->geometry(), pixels);
    QCOMPARE(w->parentWidget()->objectName(), parent);
    QVERIFY(w->isVisible());
    QCOMPARE(w->focusPolicy() != Qt::NoFocus, takesFocus);
    if (auto* button = qobject_cast<QPushButton*>(w)) {
        QVERIFY(!button->autoDefault());
        QCOMPARE(button->isDefault(), name == QLatin1String("cmdCalculate"));
    }
}

void TestWindows::fonts_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("pixels"); // points at 96 dpi
    QTest::addColumn<bool>("bold");
    QTest::newRow("Label15: Arial 15.75 bold") << kMain << "Label15" << 21 << true;
    QTest::newRow("Label14: form font Arial 12") << kMain << "Label14" << 16 << false;
    QTest::newRow("Label6: Arial 12 bold") << kMain << "Label6" << 16 << true;
    QTest::newRow("txtSerial: Arial 14.25") << kMain << "txtSerial" << 19 << false;
    QTest::newRow("lblProductionTotal: Arial 14.25")
        << kMain << "lblProductionTotal" << 19 << false;
    QTest::newRow("lblDate: Arial 20.25") << kMain << "lblDate" << 27 << false;
    QTest::newRow("lblAbout: Arial 9.75") << kMain << "lblAbout" << 13 << false;
    QTest::newRow("cmdCalculate: MS Sans Serif 9.75") << kMain << "cmdCalculate" << 13 << false;
    QTest::newRow("About lblApp: MS Sans Serif 9.75 bold") << kAbout << "lblApp" << 13 << true;
    QTest::newRow("About lblWarnings: MS Sans Serif 9.75")
        << kAbout << "lblWarnings" << 13 << false;
}

void TestWindows::fonts()
{
    QFETCH(QString, which);
    QFETCH(QString, name);
    QFETCH(int, pixels);
    QFETCH(bool, bold);
    const QFontInfo info(control(which, name)->font());
    QCOMPARE(info.pixelSize(), pixels);
    QCOMPARE(info.bold(), bold);
    // Arial's metric twin, and the close face that stands in for MS Sans Serif.
    QVERIFY2(info.family() == QLatin1String("Liberation Sans") ||
                 info.family() == QLatin1String("Arial"),
             qPrintable(info.family()));
}

void TestWindows::captionsFit_data()
{
    QTest::addColumn<double>("scale");
    QTest::newRow("as designed") << 1.0;
    QTest::newRow("150 % on a 1366 x 768 screen: 498 / 560") << 498.0 / 560;
    QTest::newRow("half size") << 0.5;
}

void TestWindows::captionsFit()
{
    QFETCH(double, scale);
    main->setFormScale(scale);
    // The longest sentence: an eight-digit serial in September.
    main->form().fields().setText(Control::txtSerial, QStringLiteral("14331152"));
    main->form().cmdCalculate_Click();
    QVERIFY(captionOf(main->widgetOf(Control::lblDate)).contains(QLatin1String("September")));
    for (QWidget* w : {static_cast<QWidget*>(main.get()), static_cast<QWidget*>(about.get())}) {
        for (QLabel* label : w->findChildren<QLabel*>()) {
            if (label->text().isEmpty())
                continue;
            const QRect room = label->contentsRect();
            const QFontMetrics metrics(label->font());
            const QRect needed = metrics.boundingRect(
                room, int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0),
                label->text());
            QVERIFY2(room.contains(needed), qPrintable(label->objectName() + u' ' + label->text()));
        }
    }
}

void TestWindows::largestScaleThatFits_data()
{
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<QSize>("available");
    QTest::addColumn<double>("scale");
    const QMargins openbox(1, 20, 1, 1); // openbox's frame, in pixels at 100 %
    QTest::newRow("100 % on 1280 x 1024: as designed") << openbox << QSize(1280, 1024) << 1.0;
    QTest::newRow("frame and all exactly fit: as designed") << openbox << QSize(900, 581) << 1.0;
    QTest::newRow("150 % on 1366 x 768: the height decides")
        << QMargins(1, 13, 1, 1) << QSize(911, 512) << (512.0 - 13 - 1) / 560;
    QTest::newRow("200 % on 1920 x 1080 under a 27-pixel panel")
        << openbox << QSize(960, 513) << (513.0 - 20 - 1) / 560;
    QTest::newRow("a narrow screen: the width decides")
        << openbox << QSize(600, 1000) << (600.0 - 1 - 1) / 898;
    QTest::newRow("a screen too small to read anything on: a quarter")
        << openbox << QSize(100, 100) << 0.25;
}

void TestWindows::largestScaleThatFits()
{
    QFETCH(QMargins, frame);
    QFETCH(QSize, available);
    QFETCH(double, scale);
    QCOMPARE(ScreenFit::largestScale(QSize(898, 560), frame, available), scale);
}

void TestWindows::scaledFormKeepsItsLayout_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<int>("titlePixels"); // Label15, Arial 15.75 bold: 21 pixels as designed
    QTest::addColumn<QSize>("image1");    // 188 x 500 as designed
    QTest::newRow("150 % on a 1366 x 768 screen: 799 x 498")
        << 498.0 / 560 << QSize(799, 498) << 19 << QSize(167, 445);
    QTest::newRow("half size: 449 x 280") << 0.5 << QSize(449, 280) << 11 << QSize(94, 250);
    QTest::newRow("back to 100 %: as designed") << 1.0 << QSize(898, 560) << 21 << QSize(188, 500);
}

void TestWindows::scaledFormKeepsItsLayout()
{
    QFETCH(double, scale);
    QFETCH(QSize, client);
    QFETCH(int, titlePixels);
    QFETCH(QSize, image1);
    main->setFormScale(0.75);
    main->setFormScale(scale);
    QCOMPARE(main->size(), client);
    QCOMPARE(main->minimumSize(), client); // still fixed
    QCOMPARE(main->maximumSize(), client);
    QCOMPARE(QFontInfo(control(kMain, QStringLiteral("Label15"))->font()).pixelSize(), titlePixels);
    QCOMPARE(qobject_cast<QLabel*>(control(kMain, QStringLiteral("Image1")))->pixmap().size(),
             image1);
    // Every control where the table puts it, its edges scaled: the same layout, smaller.
    auto edge = [scale](int twips) {
        const int pixels = twips / 15; // the table's twips are whole pixels
        return qRound(pixels * scale);
    };
    for (const ControlDef& def : controlTable()) {
        QWidget* w = main->widgetOf(def.id);
        if (!w)
            continue;
        const TwipsRect& r = def.rect;
        const QRect expected(QPoint(edge(r.left), edge(r.top)),
                             QPoint(edge(r.left + r.width) - 1, edge(r.top + r.height) - 1));
        QVERIFY2(w->geometry() == expected, def.name);
    }
}

void TestWindows::stackingOrder()
{
    // Where controls overlap, back to front: the band covers the foot of Image1; lblAbout is
    // drawn on the band; the buttons, windows of their own, lie above it.
    const std::pair<const char*, const char*> behindInFront[] = {
        {"Image1", "Shape1"},   {"Shape1", "lblAbout"}, {"Shape1", "cmdCalculate"},
        {"Shape1", "cmdReset"}, {"Shape1", "cmdAbout"},
    };
    QStringList stacked; // raise() moves a child to the end of its parent's children
    for (const QObject* child : main->children())
        stacked << child->objectName();
    for (const auto& [behind, inFront] : behindInFront) {
        const qsizetype back = stacked.indexOf(QLatin1String(behind));
        const qsizetype front = stacked.indexOf(QLatin1String(inFront));
        QVERIFY(back >= 0 && front >= 0);
        QVERIFY2(back < front, qPrintable(stacked.join(u' ')));
    }
    QCOMPARE(main->widgetOf(Control::lblDate)->parentWidget(), main->widgetOf(Control::Frame3));
}

void TestWindows::coloursAndStacking_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<SystemColour>("colour");
    QTest::newRow("open window surface: window background")
        << QPoint(870, 300) << SystemColour::WindowBackground;
    QTest::newRow("frame surface: window background")
        << QPoint(600, 455) << SystemColour::WindowBackground;
    QTest::newRow("band: menu bar") << QPoint(300, 540) << SystemColour::MenuBar;
    QTest::newRow("band's top edge: 3D dark shadow")
        << QPoint(300, 496) << SystemColour::DarkShadow3D;
    QTest::newRow("band over the foot of Image1") << QPoint(100, 499) << SystemColour::MenuBar;
    QTest::newRow("Image1's flat border: window text")
        << QPoint(0, 250) << SystemColour::WindowText;
}

void TestWindows::coloursAndStacking()
{
    QFETCH(QPoint, at);
    QFETCH(SystemColour, colour);
    QVERIFY2(ControlBuilder::systemColour(SystemColour::MenuBar) !=
                 ControlBuilder::systemColour(SystemColour::WindowBackground),
             "the colours must differ for the check to mean anything");
    const QImage image = main->grab().toImage();
    QCOMPARE(image.pixelColor(at).rgb(), ControlBuilder::systemColour(colour).rgb());
}

void TestWindows::pictures_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::newRow("main Image1: 188 x 500") << kMain << "Image1" << QSize(188, 500);
    QTest::newRow("main Image3: 72 x 72") << kMain << "Image3" << QSize(72, 72);
    QTest::newRow("About Image3: 64 x 64") << kAbout << "Image3" << QSize(64, 64);
}

void TestWindows::pictures()
{
    QFETCH(QString, which);
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QVERIFY(QImageReader::supportedImageFormats().contains("gif"));
    auto* picture = qobject_cast<QLabel*>(control(which, name));
    QVERIFY(picture);
    QCOMPARE(picture->pixmap().size(), size);
    QVERIFY(!picture->hasScaledContents());
}

void TestWindows::windowIconImages_data()
{
    QTest::addColumn<int>("asked");
    QTest::addColumn<int>("image"); // index in the .ico of the image that must be drawn
    QTest::addColumn<int>("side");
    // The .ico holds 48 and 16 pixels at 4, 8 and 32 bits; 24 at 4, 8 and 32; 128 at 32 only.
    QTest::newRow("48 px: the 32-bit image, not a 4- or 8-bit one") << 48 << 16 << 48;
    QTest::newRow("20 px: the 24-pixel image scaled down") << 20 << 18 << 20;
    QTest::newRow("256 px: the largest offered, 128") << 256 << 11 << 128;
}

void TestWindows::windowIconImages()
{
    QFETCH(int, asked);
    QFETCH(int, image);
    QFETCH(int, side);
    const QIcon icon = main->windowIcon();
    const QList<QSize> offered = icon.availableSizes();
    QCOMPARE(offered.size(), 9); // 16, 24, 32, 48, 64, 72, 80, 96 and 128: one image each
    QCOMPARE(offered.back(), QSize(128, 128));

    QImageReader reader(appIdentity().iconResource);
    QVERIFY(reader.jumpToImage(image));
    QImage expected = reader.read();
    if (expected.width() != side)
        expected = expected.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const QImage drawn = icon.pixmap(QSize(asked, asked)).toImage();
    QCOMPARE(drawn.size(), QSize(side, side));
    QCOMPARE(drawn.convertToFormat(QImage::Format_ARGB32),
             expected.convertToFormat(QImage::Format_ARGB32));
}

void TestWindows::accessibleTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("accessibleName");
    QTest::addColumn<QString>("description"); // empty: any, but there is one
    QTest::newRow("txtSerial: Serial Number") << "txtSerial"
                                              << "Serial Number" << QString();
    // A figure is named by itself and described by its caption, so that a review of the window
    // reads "310 The first serial number for the month": the figure once, the caption once.
    QTest::newRow("lblFirstSerial: its figure, described by Label7")
        << "lblFirstSerial"
        << "310"
        << "The first serial number for the month";
    QTest::newRow("lblLastSerial: its figure, described by Label8")
        << "lblLastSerial"
        << "646"
        << "The last serial number for the month";
    QTest::newRow("lblProductionTotal: its figure, described by Label9")
        << "lblProductionTotal"
        << "336"
        << "Total Halvex production for the month";
    QTest::newRow("lblProductionAverage: its figure, described by Label13")
        << "lblProductionAverage"
        << "11"
        << "Average Daily production for the month";
    QTest::newRow("lblDate: named by its sentence")
        << "lblDate"
        << "400 was built on January 9, 1909." << QString();
    QTest::newRow("cmdCalculate") << "cmdCalculate"
                                  << "Calculate" << QString();
    QTest::newRow("cmdReset") << "cmdReset"
                              << "Reset" << QString();
    QTest::newRow("cmdAbout") << "cmdAbout"
                              << "About" << QString();
}

void TestWindows::accessibleTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, accessibleName);
    QFETCH(QString, description);
    main->form().fields().setText(Control::txtSerial, QStringLiteral("400"));
    main->form().cmdCalculate_Click();
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(control(kMain, name));
    QVERIFY(iface);
    QCOMPARE(iface->text(QAccessible::Name), accessibleName);
    if (description.isEmpty())
        QVERIFY(!iface->text(QAccessible::Description).isEmpty());
    else
        QCOMPARE(iface->text(QAccessible::Description), description);
}

void TestWindows::resultSentenceIsAnnounced()
{
    // Qt drops accessibility events while no assistive technology listens (always so on the
    // offscreen platform), so the test listens where the window hands them to Qt.
    QWidget* date = main->widgetOf(Control::lblDate);
    QStringList heard; // the name a screen reader would read on each event for lblDate
    main->setAccessibilityNotifier([&](QAccessibleEvent* event) {
        if (event->object() == date && event->type() == QAccessible::NameChanged)
            heard << QAccessible::queryAccessibleInterface(date)->text(QAccessible::Name);
    });
    QTest::keyClicks(main->widgetOf(Control::txtSerial), QStringLiteral("400"));
    QCOMPARE(heard, QStringList()); // typing alone changes no sentence
    QTest::keyClick(main->widgetOf(Control::txtSerial), Qt::Key_Return);
    QCOMPARE(heard, QStringList{QStringLiteral("400 was built on January 9, 1909.")});
}

void TestWindows::aboutKeys_data()
{
    QTest::addColumn<int>("key"); // 0: the caption's close box
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Enter on Close closes") << int(Qt::Key_Return) << 0 << true;
    QTest::newRow("keypad Enter on Close closes")
        << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true;
    QTest::newRow("Space on Close closes") << int(Qt::Key_Space) << 0 << true;
    QTest::newRow("Alt+C closes") << int(Qt::Key_C) << int(Qt::AltModifier) << true;
    QTest::newRow("the close box closes") << 0 << 0 << true;
    QTest::newRow("Escape does nothing") << int(Qt::Key_Escape) << 0 << false;
}

void TestWindows::aboutKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, closes);
    QApplication::setActiveWindow(about.get());
    QVERIFY(QTest::qWaitForWindowActive(about.get()));
    QWidget* close = about->widgetOf(AboutControl::cmdClose);
    QCOMPARE(QApplication::focusWidget(), close);
    if (key)
        QTest::keyClick(close, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    else
        about->windowHandle()->close();
    if (closes)
        QTRY_VERIFY(!about->isVisible());
    else
        QTest::qWait(200);
    QCOMPARE(about->isVisible(), !closes);
}

void TestWindows::aboutLabels_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("copyright");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("app");
    QTest::newRow("1.0.22 reads V1.0.22 and the product with 1.0")
        << 1 << 0 << 22 << "(c) maker"
        << "V1.0.22"
        << "Quorvin Halvex Build Date Calculator 1.0";
    QTest::newRow("numbers are plain decimal, no padding")
        << 2 << 10 << 305 << "(c) maker"
        << "V2.10.305"
        << "Quorvin Halvex Build Date Calculator 2.10";
    QTest::newRow("an empty copyright leaves the label empty")
        << 1 << 0 << 22 << ""
        << "V1.0.22"
        << "Quorvin Halvex Build Date Calculator 1.0";
}

void TestWindows::aboutLabels()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, revision);
    QFETCH(QString, copyright);
    QFETCH(QString, version);
    QFETCH(QString, app);
    AppIdentity identity = appIdentity();
    identity.major = quint16(major);
    identity.minor = quint16(minor);
    identity.revision = quint16(revision);
    identity.copyright = copyright;

    frmAboutDialog dialog(identity);
    QCOMPARE(captionOf(dialog.widgetOf(AboutControl::lblVersion)), version);
    QCOMPARE(captionOf(dialog.widgetOf(AboutControl::lblApp)), app);
    QCOMPARE(captionOf(dialog.widgetOf(AboutControl::lblCopyright)), copyright);
    QCOMPARE(captionOf(dialog.widgetOf(AboutControl::lblWarnings)), identity.trademarks);
    QCOMPARE(captionOf(dialog.widgetOf(AboutControl::Label1)), QStringLiteral("Version:"));
}

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
