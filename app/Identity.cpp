#include "Identity.h"

#ifndef TARNWICK_VERSION_MAJOR
#error "the build passes the version numbers in"
#endif

QString AppIdentity::versionText() const
{
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(revision);
}

const AppIdentity& appIdentity()
{
    static const AppIdentity identity{
        QStringLiteral("Halvex"),
        QStringLiteral("Tarnwick"),
        QStringLiteral("Build Date Calculator"),
        QStringLiteral("Quorvin Halvex Build Date Calculator"),
        QStringLiteral("Calculates the approximate build date of a Quorvin Halvex"),
        TARNWICK_VERSION_MAJOR,
        TARNWICK_VERSION_MINOR,
        TARNWICK_VERSION_REVISION,
        QStringLiteral("%1.%2.%3")
            .arg(TARNWICK_VERSION_MAJOR)
            .arg(TARNWICK_VERSION_MINOR, 2, 10, QLatin1Char('0'))
            .arg(TARNWICK_VERSION_REVISION, 4, 10, QLatin1Char('0')),
        QStringLiteral("Tarnwick"),
        QStringLiteral("Tarnwick Motor Archive Software"),
        QStringLiteral("\u00A9 2026 Tarnwick Motor Archive Software. All rights reserved."),
        QStringLiteral(
            "Warning: this computer program is protected by copyright law and international "
            "treaties. Unauthorised copying, reproduction or distribution of this program, or of "
            "any part of it, may result in severe civil and criminal penalties, and will be "
            "prosecuted to the maximum extent possible under the law."),
        QStringLiteral(":/icons/tarnwick.ico"),
    };
    return identity;
}
