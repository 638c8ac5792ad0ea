#include "RdapQuery.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <algorithm>

namespace {

// Retry-After is seconds, or an HTTP date (RFC 9110). No header: -1, the pacer's own cool-down.
// Zero, a negative number, a past date or text that is neither: a short pause, since the service
// did ask for one. A number too large to read waits as long as the longest.
qint64 RetryAfterMs(const QByteArray &value, qint64 nowUtcMs)
{
    constexpr qint64 kLongestMs = qint64(1) << 50; // some 35,000 years
    const QByteArray text = value.trimmed();
    if (text.isEmpty())
        return -1;
    bool ok = false;
    const qlonglong seconds = text.toLongLong(&ok);
    if (ok)
        return seconds > 0 ? std::min<qint64>(seconds, kLongestMs / 1000) * 1000 : RdapAnswer::kShortPauseMs;
    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return kLongestMs;
    // HTTP dates end in "GMT", which the RFC 2822 reader does not take as a zone.
    QString dateText = QString::fromLatin1(text);
    if (dateText.endsWith(QLatin1String(" GMT")))
        dateText = dateText.chopped(3) + QLatin1String("+0000");
    const QDateTime date = QDateTime::fromString(dateText, Qt::RFC2822Date);
    if (!date.isValid())
        return RdapAnswer::kShortPauseMs;
    const qint64 now = nowUtcMs >= 0 ? nowUtcMs : QDateTime::currentMSecsSinceEpoch();
    const qint64 wait = date.toMSecsSinceEpoch() - now;
    return wait > 0 ? std::min(wait, kLongestMs) : RdapAnswer::kShortPauseMs;
}

QJsonObject DomainObject(const QByteArray &body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return QJsonObject();
    const QJsonObject object = document.object();
    return object.value(QLatin1String("objectClassName")).toString() == QLatin1String("domain")
               ? object
               : QJsonObject();
}

} // namespace

RdapAnswer JudgeRdapResponse(const RdapResponse &response, const QString &serviceOrigin, qint64 nowUtcMs)
{
    const QString serviceHost = RdapQuery::HostText(serviceOrigin);
    const QString finalHost = RdapQuery::HostText(response.finalOrigin);
    using Kind = RdapAnswer::Kind;
    if (response.tooLong)
        return {Kind::NoVerdict, QStringLiteral("reply too long")};
    if (response.timedOut)
        return {Kind::NoVerdict,
                QStringLiteral("no answer within %1 seconds").arg(RdapQuery::kTimeoutSeconds)};
    switch (response.status) {
    case 0:
        return {Kind::NoVerdict,
                QStringLiteral("%1 cannot be reached: %2").arg(serviceHost, response.networkError)};
    case 200:
        if (const QJsonObject domain = DomainObject(response.body); !domain.isEmpty()) {
            RdapAnswer answer{Kind::Registered, QString()};
            for (const QJsonValue &value : domain.value(QLatin1String("status")).toArray())
                answer.statuses << value.toString().toLower();
            return answer;
        }
        return {Kind::NoVerdict, QStringLiteral("unexpected RDAP reply from %1").arg(finalHost)};
    case 404:
        if (response.finalOrigin == serviceOrigin)
            return {Kind::NotRegistered, QString()};
        if (finalHost == serviceHost) { // another port or scheme of the same host
            const QUrl from(serviceOrigin);
            const QUrl to(response.finalOrigin);
            return {Kind::NoVerdict,
                    QStringLiteral("not found at %1://%2:%3, where %4://%2:%5 sent the question")
                        .arg(to.scheme(), finalHost)
                        .arg(to.port())
                        .arg(from.scheme())
                        .arg(from.port())};
        }
        return {Kind::NoVerdict,
                QStringLiteral("not found at %1, where %2 sent the question").arg(finalHost, serviceHost)};
    case 429:
        return {Kind::RateLimited, QStringLiteral("rate limited"), {}, RetryAfterMs(response.retryAfter, nowUtcMs)};
    default:
        if (response.status >= 300 && response.status < 400 && !response.networkError.isEmpty()) {
            // The service sent the question on, and the address it named did not answer.
            const QUrl to(response.finalOrigin);
            return {Kind::NoVerdict, QStringLiteral("%1 sent the question on to %2, which cannot be reached: %3")
                                         .arg(serviceHost,
                                              to.port() < 0 ? to.host() : QStringLiteral("%1:%2").arg(to.host()).arg(to.port()),
                                              response.networkError)};
        }
        return {Kind::NoVerdict, QStringLiteral("%1 answered HTTP %2").arg(finalHost).arg(response.status)};
    }
}

QString RdapFacts(const QByteArray &body)
{
    const QJsonObject domain = DomainObject(body);
    if (domain.isEmpty())
        return QString();
    QStringList lines;
    const QString name = domain.value(QLatin1String("ldhName")).toString();
    const QString unicodeName = domain.value(QLatin1String("unicodeName")).toString();
    lines << QStringLiteral("Domain: %1")
                 .arg(unicodeName.isEmpty() || unicodeName == name
                          ? name
                          : QStringLiteral("%1 (%2)").arg(unicodeName, name));
    QStringList status;
    for (const QJsonValue &value : domain.value(QLatin1String("status")).toArray())
        status << value.toString();
    if (!status.isEmpty())
        lines << QStringLiteral("Status: %1").arg(status.join(QStringLiteral(", ")));
    for (const QJsonValue &value : domain.value(QLatin1String("entities")).toArray()) {
        const QJsonObject entity = value.toObject();
        if (!entity.value(QLatin1String("roles")).toArray().contains(QLatin1String("registrar")))
            continue;
        // The registrar's name is the "fn" of its vCard: ["vcard", [["fn", {}, "text", "Name"], ...]].
        QString registrar = entity.value(QLatin1String("handle")).toString();
        const QJsonArray card = entity.value(QLatin1String("vcardArray")).toArray().at(1).toArray();
        for (const QJsonValue &property : card) {
            const QJsonArray fields = property.toArray();
            if (fields.at(0).toString() == QLatin1String("fn"))
                registrar = fields.at(3).toString();
        }
        if (!registrar.isEmpty())
            lines << QStringLiteral("Registrar: %1").arg(registrar);
    }
    for (const QJsonValue &value : domain.value(QLatin1String("events")).toArray()) {
        const QJsonObject event = value.toObject();
        const QString action = event.value(QLatin1String("eventAction")).toString();
        const QString date = event.value(QLatin1String("eventDate")).toString();
        if (!action.isEmpty() && !date.isEmpty())
            lines << QStringLiteral("%1: %2").arg(action, date);
    }
    QStringList servers;
    for (const QJsonValue &value : domain.value(QLatin1String("nameservers")).toArray())
        servers << value.toObject().value(QLatin1String("ldhName")).toString();
    servers.removeAll(QString());
    if (!servers.isEmpty())
        lines << QStringLiteral("Name servers: %1").arg(servers.join(QStringLiteral(", ")));
    return lines.join(QLatin1Char('\n'));
}

RdapQuery::RdapQuery(QNetworkAccessManager &network, int tickMs, QObject *parent)
    : QObject(parent), m_network(network)
{
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(kTimeoutSeconds * tickMs);
    connect(&m_timeout, &QTimer::timeout, this, &RdapQuery::OnTimeout);
}

RdapQuery::~RdapQuery()
{
    Abort();
}

QString RdapQuery::OriginOf(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    const int port = url.port(scheme == QLatin1String("http") ? 80 : 443);
    return QStringLiteral("%1://%2:%3").arg(scheme, url.host().toLower()).arg(port);
}

QString RdapQuery::HostText(const QString &origin)
{
    return QUrl(origin).host();
}

void RdapQuery::Start(const QString &base, const QString &asciiName)
{
    Abort();
    m_origin = OriginOf(QUrl(base));
    m_response = RdapResponse();
    QNetworkRequest request(QUrl(base + QStringLiteral("domain/") + asciiName));
    request.setRawHeader("Accept", "application/rdap+json");
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &RdapQuery::OnReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &RdapQuery::OnFinished);
    m_timeout.start();
}

void RdapQuery::Abort()
{
    m_timeout.stop();
    if (QNetworkReply *reply = m_reply.data()) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void RdapQuery::OnReadyRead()
{
    if (!m_reply)
        return;
    const qint64 room = kMaxBody - m_response.body.size();
    m_response.body += m_reply->read(room + 1);
    if (m_response.body.size() > kMaxBody) {
        m_response.body.truncate(kMaxBody);
        m_response.tooLong = true;
        m_response.finalOrigin = OriginOf(m_reply->url());
        Abort();
        emit finished(JudgeRdapResponse(m_response, m_origin));
    }
}

void RdapQuery::OnTimeout()
{
    m_response.timedOut = true;
    Abort();
    emit finished(JudgeRdapResponse(m_response, m_origin));
}

void RdapQuery::OnFinished()
{
    QNetworkReply *reply = m_reply.data();
    if (!reply)
        return;
    OnReadyRead();
    if (!m_reply)
        return; // cut off at the size limit; told already
    m_timeout.stop();
    m_response.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    m_response.finalOrigin = OriginOf(reply->url());
    m_response.retryAfter = reply->rawHeader("Retry-After");
    if (m_response.status == 0 || (m_response.status >= 300 && m_response.status < 400 &&
                                   reply->error() != QNetworkReply::NoError))
        m_response.networkError = reply->errorString();
    m_reply = nullptr;
    reply->disconnect(this);
    reply->deleteLater();
    emit finished(JudgeRdapResponse(m_response, m_origin));
}
