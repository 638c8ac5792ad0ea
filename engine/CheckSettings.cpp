#include "CheckSettings.h"

#include "DomainName.h"

#include <QHostAddress>
#include <QRegularExpression>

QStringList CheckSettings::ParseExtensions(const QString &text, bool *ok)
{
    if (ok)
        *ok = true;
    QStringList extensions;
    for (const QString &part : text.split(QLatin1Char(','))) {
        QString extension = part.trimmed().toLower();
        if (extension.isEmpty() && text.trimmed().isEmpty())
            continue;
        if (extension.startsWith(QLatin1Char('.')))
            extension.remove(0, 1);
        // Each must be a label of a domain name ("c%m" is none), in A-label or U-label form.
        if (extension.isEmpty() || extension.contains(QLatin1Char('.')) ||
            !AsciiDomainName(QStringLiteral("x.") + extension)) {
            if (ok)
                *ok = false;
            continue;
        }
        if (!extensions.contains(extension))
            extensions << extension;
    }
    return extensions;
}

std::optional<QHash<QString, HostLimit>> CheckSettings::ParseHostLimits(const QString &text, QString *error)
{
    static const QRegularExpression kEntry(QStringLiteral("^\\s*([A-Za-z0-9.:-]+)\\s*=(.*)$"));
    QHash<QString, HostLimit> limits;
    for (const QString &entry : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (entry.trimmed().isEmpty())
            continue;
        const QRegularExpressionMatch match = kEntry.match(entry);
        QString why = QStringLiteral("no host=");
        const std::optional<HostLimit> limit = match.hasMatch() ? ParseHostLimit(match.captured(2), &why) : std::nullopt;
        if (!limit) {
            if (error)
                *error = QStringLiteral("\"%1\" is not host=queries-per-second/open-connections (1 to %2), "
                                        "with N/Mmin and N/day quotas after it if any: %3")
                             .arg(entry.trimmed())
                             .arg(HostLimit::kMostOpen)
                             .arg(why);
            return std::nullopt;
        }
        limits.insert(match.captured(1).toLower(), *limit);
    }
    return limits;
}

std::optional<QList<DnsServer>> CheckSettings::ParseDnsServers(const QString &text, QString *error)
{
    QList<DnsServer> servers;
    for (const QString &entry : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString trimmed = entry.trimmed();
        if (trimmed.isEmpty())
            continue;
        const qsizetype colon = trimmed.lastIndexOf(QLatin1Char(':'));
        bool portOk = colon > 0;
        const int port = portOk ? trimmed.mid(colon + 1).toInt(&portOk) : 53;
        const QHostAddress address(colon > 0 ? trimmed.left(colon) : trimmed);
        if ((colon > 0 && (!portOk || port < 1 || port > 65535)) || address.isNull() ||
            address.protocol() != QAbstractSocket::IPv4Protocol) {
            if (error)
                *error = QStringLiteral("\"%1\" is not an IPv4 address with a port (host:port)").arg(trimmed);
            return std::nullopt;
        }
        servers.append({address.toString(), static_cast<quint16>(port)});
    }
    return servers;
}

QString CheckSettings::DnsServersText(const QList<DnsServer> &servers)
{
    QStringList texts;
    for (const DnsServer &server : servers)
        texts << QStringLiteral("%1:%2").arg(server.address).arg(server.port);
    return texts.join(QLatin1Char(','));
}
