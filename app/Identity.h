#pragma once

#include <QString>
#include <QtGlobal>

// The application's identity: what the windows show about the product and what start-up tells
// Qt and the desktop. One read-only object; the windows hold no copies. The build sets the texts
// and numbers (the top-level CMakeLists.txt).
struct AppIdentity {
    QString executableName;
    QString desktopFileName; // the desktop entry's id, without ".desktop"
    QString productName;
    quint16 major;
    quint16 minor;
    quint16 revision;
    QString companyName;
    QString copyright;
    QString trademarks;
    QString iconResource;

    // "1.0.22": each number in plain decimal.
    QString versionText() const;
};

const AppIdentity& appIdentity();
