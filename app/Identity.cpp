#include "Identity.h"

#include "app/IdentityValues.h"

QString AppIdentity::versionText() const
{
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(revision);
}

const AppIdentity& appIdentity()
{
    using namespace IdentityValues;
    static const AppIdentity identity{
        executableName(), desktopFileName(),
        productName(),    kMajor,
        kMinor,           kRevision,
        companyName(),    copyright(),
        trademarks(),     QStringLiteral(":/icons/tarnwick.ico"),
    };
    return identity;
}
