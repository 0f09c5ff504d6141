#include "productinfo.h"

namespace ProductInfo {

Version buildVersion()
{
    return {QUILLO_VERSION_MAJOR, QUILLO_VERSION_MINOR, QUILLO_VERSION_REVISION};
}

QString splashVersionText(const Version &version)
{
    return QStringLiteral("Version %1.%2").arg(version.major).arg(version.minor);
}

QString productVersionText(const Version &version)
{
    return QStringLiteral("Quillo Version %1.%2.%3").arg(version.major).arg(version.minor).arg(version.revision);
}

QString legalCopyright()
{
    return QStringLiteral("Copyright \u00A9 2026 The Quillo Project. All rights reserved.");
}

QString legalNotice()
{
    return QStringLiteral("Quillo is provided \"as is\", without warranty of any kind. Bulk messages are "
                          "subject to the terms of your network operator and to the law of the country "
                          "where they are sent; send only to people who have agreed to receive them.");
}

QString splashLegalText()
{
    return QStringLiteral("Copyright \u00A9 2026 The Quillo Project.\nAll rights reserved.\n") + webSiteText();
}

QString webSiteUrl()
{
    return QStringLiteral("https://quillo.example.com/");
}

QString webSiteText()
{
    return QStringLiteral("quillo.example.com");
}

QString supportPageUrl()
{
    return QStringLiteral("https://quillo.example.com/support/");
}

QString supportEmail()
{
    return QStringLiteral("support@quillo.example.com");
}

} // namespace ProductInfo
