#pragma once

#include "HostLimit.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// A DNS server to ask: an IPv4 address and a port.
struct DnsServer
{
    QString address;
    quint16 port = 53;
    friend bool operator==(const DnsServer &, const DnsServer &) = default;
};

// How names are checked, as one value: read and checked when the settings load or change
// (ProgramSettings::ReadCheckSettings, orvelle-check's options), copied into a run's request at
// Start, and never read from the live settings while a check goes on.
//
//     CheckSettings settings;
//     settings.extensions = CheckSettings::ParseExtensions("com, io", &ok);
//     settings.hostLimits = *CheckSettings::ParseHostLimits("whois.nic.uk=2/2", &error);
struct CheckSettings
{
    // The extension a name without one gets when no extension to try is chosen.
    static inline const QString kDefaultExtension = QStringLiteral(".com");

    QStringList extensions;               // to try with a name without one, in order; empty: ".com"
    bool proxyMode = false;               // every whois question to the "proxy" row's server
    bool dnsFirst = false;                // names are asked in DNS before whois (stored: on)
    bool controlQueries = true;           // free whois verdicts wait for a control (ControlQueries)
    QList<DnsServer> dnsServers;          // empty: the system's resolvers
    QHash<QString, HostLimit> hostLimits; // the user's limits per whois host, by lower-case host

    // DNS is asked first when it is on and not in proxy mode (where every question goes to the
    // one server the user named).
    bool asksDnsFirst() const { return dnsFirst && !proxyMode; }

    // "io, .COM,ai" -> io, com, ai: lower case, without a leading dot, each once. Items that are
    // empty, hold a dot or are no label of a domain name ("c%m") are left out, and *ok (when
    // given) becomes false.
    static QStringList ParseExtensions(const QString &text, bool *ok = nullptr);
    // "whois.nic.uk=5/2; whois.example=0.5/1" (queries a second / open connections, 1 to 25);
    // nothing for text it cannot read, with what was wrong.
    static std::optional<QHash<QString, HostLimit>> ParseHostLimits(const QString &text, QString *error = nullptr);
    // "127.0.0.1:5353, 192.0.2.1" (port 53 when none); nothing for text it cannot read.
    static std::optional<QList<DnsServer>> ParseDnsServers(const QString &text, QString *error = nullptr);
    // The servers as c-ares reads them: "127.0.0.1:5353,192.0.2.1:53".
    static QString DnsServersText(const QList<DnsServer> &servers);
};
