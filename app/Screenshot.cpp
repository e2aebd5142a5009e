// Draws the main window without a display: types the sample serial 400 (or another), presses
// Enter, and saves pictures of the main window and of the About window.
//
// Usage: tarnwick-screenshot [OUTPUT_DIR [SERIAL]]   (default: the current directory, 400)
#include "app/Identity.h"
#include "estimate/NumberRules.h"
#include "ui/about/view/frmAboutDialog.h"
#include "ui/main/view/frmMainWindow.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLocale>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {

void sendKey(QWidget* target, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

bool save(QWidget* widget, const QString& path)
{
    if (widget->grab().save(path))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(QDir::toNativeSeparators(path)));
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const AppIdentity& identity = appIdentity();
    QCoreApplication::setApplicationName(identity.executableName);
    const QStringList args = QCoreApplication::arguments();
    const QDir out(args.size() > 1 ? args.at(1) : QDir::currentPath());
    const QString serialText = args.size() > 2 ? args.at(2) : QStringLiteral("400");

    frmMainWindow window(NumberRules::Separators::fromLocale(QLocale::system()), identity);
    window.load();
    window.show();
    QCoreApplication::processEvents();

    // Nothing here should ask a question; should it, say so and go on.
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != window.aboutWindow()) {
            std::fprintf(stderr, "unexpected window: %s\n", qPrintable(modal->windowTitle()));
            modal->close();
        }
    });
    watchdog.start(200);

    // Typed into the real field, key by key, then Enter as a user would.
    QWidget* serial = window.widgetOf(Control::txtSerial);
    for (const QChar c : serialText)
        sendKey(serial, c.isDigit() ? Qt::Key_0 + c.digitValue() : Qt::Key_unknown, QString(c));
    sendKey(serial, Qt::Key_Return, QString());
    QCoreApplication::processEvents();

    bool ok = true;
    const QString mainPath = out.absoluteFilePath(QStringLiteral("tarnwick.png"));
    ok &= save(&window, mainPath);

    const QString aboutPath = out.absoluteFilePath(QStringLiteral("tarnwick-about.png"));
    QTimer::singleShot(0, [&] {
        if (frmAboutDialog* about = window.aboutWindow()) {
            ok &= save(about, aboutPath);
            qobject_cast<QPushButton*>(about->widgetOf(AboutControl::cmdClose))->click();
        }
    });
    qobject_cast<QPushButton*>(window.widgetOf(Control::cmdAbout))->click(); // modal until closed

    std::printf("%s\n", qPrintable(window.fields().text(Control::lblDate)));
    std::printf("Main window: %s\n", qPrintable(QDir::toNativeSeparators(mainPath)));
    std::printf("About window: %s\n", qPrintable(QDir::toNativeSeparators(aboutPath)));
    return ok ? 0 : 1;
}
