// Start-up: create and load the main window, show it, and run until it is closed.
#include "app/DisplayCheck.h"
#include "app/Identity.h"
#include "estimate/NumberRules.h"
#include "ui/main/view/frmMainWindow.h"

#include <QApplication>
#include <QLocale>

#include <cstdio>

int main(int argc, char* argv[])
{
    // Where there is no display, Qt would abort (SIGABRT) with several lines of its own.
    if (!DisplayCheck::hasDisplay(argc, argv, [](const char* name) { return qgetenv(name); })) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(appIdentity().executableName),
                     DisplayCheck::kNoDisplay);
        return 1;
    }

    // Qt takes its own standard options (-platform, -style, ...); the program has none.
    QApplication app(argc, argv);
    const AppIdentity& identity = appIdentity();
    QCoreApplication::setApplicationName(identity.executableName);
    QCoreApplication::setApplicationVersion(identity.versionText());
    QCoreApplication::setOrganizationName(identity.companyName);
    // Lets Wayland desktops match the running window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(identity.desktopFileName);
    // The display name is left unset: Qt would append it to every window caption ("About — …").

    frmMainWindow window(NumberRules::Separators::fromLocale(QLocale::system()), identity);
    window.load(); // Form_Load runs before the window is first shown
    window.show();
    return app.exec(); // 0 when the close confirmation ends the program
}
