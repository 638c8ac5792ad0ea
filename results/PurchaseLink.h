#pragma once

#include <QString>
#include <QStringList>

// The program-wide configuration values: what the program's version record says about it, and
// the values PurchaseLink fixes at start-up.
struct ProgramConfig
{
    QString productName;
    QString companyName;
    QString siteAddress; // the maker's web site
    int versionMajor = 0;
    int versionMinor = 0;
    int versionPatch = 0;

    bool purchaseOnDoubleClick = false;
    QString purchaseUrlPrefix; // a name appended to it makes the purchase page's address
    bool skinEnabled = false;

    // The one whois server the whois detail window asks.
    QString whoisDetailHost;
    quint16 whoisDetailPort = 43;

    // The search engines the harvester reads: scheme and host (and port), no trailing slash.
    QString googleSearchBase;
    QString yahooSearchBase;
    // For the other engines of the engine table: empty, their own hosts; else a test server,
    // asked at this base + "/" + the engine's name in lower case ("/bing").
    QString searchBase;
    // A link holding one of these texts (ignoring case) gives no names: the search engine's own
    // domain and the domain marketplace's.
    QStringList excludedLinkTexts;
    // The home pages of the browse window's site buttons, in button order.
    QStringList browsePresets;
};

// "1.0.0": the version of a configuration.
inline QString VersionText(const ProgramConfig &config)
{
    return QStringLiteral("%1.%2.%3").arg(config.versionMajor).arg(config.versionMinor).arg(config.versionPatch);
}

// The version record of this build, as the configuration fixed it, with the purchase partner's
// address prefix; the switches are as they are before PurchaseLink runs.
ProgramConfig VersionRecord();

// Fixes the start-up values from the version record: names, site and purchase prefix, purchase
// on double click, and the skin switched off. Running it again changes nothing.
void PurchaseLink(ProgramConfig &config, const ProgramConfig &record = VersionRecord());

// The purchase page of a name: the prefix followed by the name, in which every character other
// than a letter, a digit, "." and "-" is percent-encoded, so a name taken from a web page
// cannot add parameters to the partner's address.
QString PurchaseAddress(const ProgramConfig &config, const QString &name);
