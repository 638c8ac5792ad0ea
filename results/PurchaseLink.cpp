#include "PurchaseLink.h"

#include "OrvelleConfig.h"

#include <QUrl>

ProgramConfig VersionRecord()
{
    ProgramConfig config;
    config.productName = QStringLiteral(ORVELLE_PRODUCT_NAME);
    config.companyName = QStringLiteral(ORVELLE_COMPANY_NAME);
    config.siteAddress = QStringLiteral(ORVELLE_SITE_ADDRESS);
    config.versionMajor = ORVELLE_VERSION_MAJOR;
    config.versionMinor = ORVELLE_VERSION_MINOR;
    config.versionPatch = ORVELLE_VERSION_PATCH;
    config.purchaseUrlPrefix = QStringLiteral(ORVELLE_PURCHASE_URL_PREFIX);
    config.whoisDetailHost = QStringLiteral(ORVELLE_WHOIS_DETAIL_HOST);
    config.whoisDetailPort = ORVELLE_WHOIS_DETAIL_PORT;
    config.googleSearchBase = QStringLiteral(ORVELLE_GOOGLE_SEARCH_BASE);
    config.yahooSearchBase = QStringLiteral(ORVELLE_YAHOO_SEARCH_BASE);
    config.excludedLinkTexts =
        QStringLiteral(ORVELLE_EXCLUDED_LINK_TEXTS).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    config.browsePresets = QStringLiteral(ORVELLE_BROWSE_PRESETS).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    return config;
}

void PurchaseLink(ProgramConfig &config, const ProgramConfig &record)
{
    config.productName = record.productName;
    config.companyName = record.companyName;
    config.siteAddress = record.siteAddress;
    config.purchaseOnDoubleClick = true;
    config.purchaseUrlPrefix = record.purchaseUrlPrefix;
    config.skinEnabled = false;
}

QString PurchaseAddress(const ProgramConfig &config, const QString &name)
{
    // toPercentEncoding keeps letters, digits and "-._~"; "_" and "~" are encoded as well.
    return config.purchaseUrlPrefix + QString::fromLatin1(QUrl::toPercentEncoding(name, QByteArray(), "_~"));
}
