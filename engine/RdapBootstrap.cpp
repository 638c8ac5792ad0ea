#include "RdapBootstrap.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

std::optional<RdapBootstrap> RdapBootstrap::Parse(const QByteArray &json, QString *error)
{
    const auto fail = [error](const QString &why) -> std::optional<RdapBootstrap> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(
            QStringLiteral("not JSON: %1 at offset %2").arg(parseError.errorString()).arg(parseError.offset));
    const QJsonValue services = document.object().value(QLatin1String("services"));
    if (!services.isArray())
        return fail(QStringLiteral("no list of services"));
    RdapBootstrap bootstrap;
    for (const QJsonValue &service : services.toArray()) {
        const QJsonArray pair = service.toArray();
        if (pair.size() < 2 || !pair.at(0).isArray() || !pair.at(1).isArray())
            return fail(QStringLiteral("a service is not a pair of lists"));
        QString base;
        for (const QJsonValue &address : pair.at(1).toArray()) {
            const QUrl url(address.toString(), QUrl::StrictMode);
            const bool web =
                url.isValid() && !url.host().isEmpty() &&
                (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http"));
            if (web && (base.isEmpty() || (url.scheme() == QLatin1String("https") &&
                                           !base.startsWith(QLatin1String("https:"))))) {
                base = url.toString();
            }
        }
        if (base.isEmpty())
            continue;
        if (!base.endsWith(QLatin1Char('/')))
            base += QLatin1Char('/');
        for (const QJsonValue &extension : pair.at(0).toArray()) {
            const QString key = extension.toString().trimmed().toLower();
            if (!key.isEmpty() && !bootstrap.m_services.contains(key))
                bootstrap.m_services.insert(key, base);
        }
    }
    if (bootstrap.m_services.isEmpty())
        return fail(QStringLiteral("no service with an address"));
    return bootstrap;
}

QString RdapBootstrap::ServiceFor(const QString &name) const
{
    const QString lower = name.toLower();
    for (qsizetype dot = lower.indexOf(QLatin1Char('.')); dot >= 0;
         dot = lower.indexOf(QLatin1Char('.'), dot + 1)) {
        const auto found = m_services.constFind(lower.mid(dot + 1));
        if (found != m_services.constEnd())
            return *found;
    }
    return QString();
}
