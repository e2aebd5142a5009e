#pragma once

#include <QString>
#include <QtGlobal>

// The application's identity: what the windows show about the product and what the executable's
// version information carries. One read-only object; the windows hold no copies.
struct AppIdentity {
    QString projectName;
    QString executableName;
    QString title;
    QString productName;
    QString fileDescription;
    quint16 major;
    quint16 minor;
    quint16 revision;
    QString fileVersionText; // "1.00.0022": never the source of a displayed version
    QString internalName;
    QString companyName;
    QString copyright;
    QString trademarks;
    QString iconResource;

    // "1.0.22": each number in plain decimal.
    QString versionText() const;
};

const AppIdentity& appIdentity();
