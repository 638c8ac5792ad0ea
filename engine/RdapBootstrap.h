#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

// Which RDAP service answers for which extension, read from a bootstrap file of IANA's shape:
//
//     {"services": [[["com"], ["https://rdap.verisign.com/com/v1/"]], ...]}
//
// A name's service is the one of its longest matching extension ("a.co.uk" tries "co.uk", then
// "uk"), without regard to letter case. Of a service's addresses the first https one is used,
// else the first; every base address ends with "/".
class RdapBootstrap
{
public:
    // Nothing for text that is not such a file, with what was wrong.
    static std::optional<RdapBootstrap> Parse(const QByteArray &json, QString *error = nullptr);

    // The base address for the name's extension; empty when none.
    QString ServiceFor(const QString &name) const;
    int size() const { return static_cast<int>(m_services.size()); }

private:
    QHash<QString, QString> m_services; // lower-case extension -> base address
};
