#include "RdapTestServer.h"

#include "tools/http/HttpRequestHeads.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace {

QByteArray Response(int status, const QByteArray &reason, const QByteArray &body,
                    const QByteArray &extraHeaders = QByteArray())
{
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason +
           "\r\nContent-Type: application/rdap+json\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body;
}

QByteArray ErrorObject(int code, const QByteArray &title)
{
    return "{\"errorCode\":" + QByteArray::number(code) + ",\"title\":\"" + title +
           "\",\"rdapConformance\":[\"rdap_level_0\"]}";
}

} // namespace

RdapTestServer::RdapTestServer(QObject *parent) : QObject(parent), m_server(new QTcpServer(this))
{
    m_clock.start();
    m_server->setMaxPendingConnections(1024);
    ServeRequestHeads(m_server, this,
                      [this](QTcpSocket *socket, const QByteArray &head) { OnRequest(socket, head); });
}

RdapTestServer::~RdapTestServer() = default;

bool RdapTestServer::Listen(quint16 port)
{
    return m_server->listen(QHostAddress::LocalHost, port);
}

quint16 RdapTestServer::port() const
{
    return m_server->serverPort();
}

QString RdapTestServer::baseAddress() const
{
    return QStringLiteral("http://127.0.0.1:%1/rdap/").arg(port());
}

void RdapTestServer::setRateLimit(int perSecond, int retryAfterSeconds)
{
    m_limitPerSecond = perSecond;
    m_retryAfterSeconds = retryAfterSeconds;
}

QByteArray RdapTestServer::DomainObject(const QString &name)
{
    const QByteArray ldh = name.toUtf8();
    return "{\"objectClassName\":\"domain\",\"ldhName\":\"" + ldh +
           "\",\"status\":[\"active\",\"client transfer prohibited\"],"
           "\"entities\":[{\"objectClassName\":\"entity\",\"roles\":[\"registrar\"],\"handle\":\"292\","
           "\"vcardArray\":[\"vcard\",[[\"version\",{},\"text\",\"4.0\"],[\"fn\",{},\"text\",\"Example "
           "Registrar, Inc.\"]]]}],"
           "\"events\":[{\"eventAction\":\"registration\",\"eventDate\":\"1997-09-15T04:00:00Z\"},"
           "{\"eventAction\":\"expiration\",\"eventDate\":\"2028-09-14T04:00:00Z\"}],"
           "\"nameservers\":[{\"objectClassName\":\"nameserver\",\"ldhName\":\"ns1.example.net\"}],"
           "\"rdapConformance\":[\"rdap_level_0\"]}";
}

void RdapTestServer::OnRequest(QTcpSocket *socket, const QByteArray &head)
{
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> words = lines.value(0).trimmed().split(' ');
    const QString target = QString::fromUtf8(words.value(1));
    for (const QByteArray &line : lines) {
        if (line.toLower().startsWith("accept:"))
            m_lastAccept = line.mid(7).trimmed();
    }
    const QString prefix = QStringLiteral("/rdap/domain/");
    if (!target.startsWith(prefix)) {
        socket->write(Response(400, "Bad Request", ErrorObject(400, "Bad Request")));
        socket->disconnectFromHost();
        return;
    }
    const QString name = target.mid(prefix.size());
    const qint64 now = m_clock.elapsed();
    m_names.append(name);
    m_times.append(now);
    if (m_limitPerSecond > 0) {
        int inSecond = 0;
        for (auto it = m_times.crbegin(); it != m_times.crend() && *it > now - 1000; ++it)
            ++inSecond;
        if (inSecond > m_limitPerSecond) {
            ++m_limited;
            socket->write(Response(429, "Too Many Requests", ErrorObject(429, "Too Many Requests"),
                                   "Retry-After: " + QByteArray::number(m_retryAfterSeconds) + "\r\n"));
            socket->disconnectFromHost();
            return;
        }
    }
    const auto found = m_rules.constFind(name.toLower());
    const RdapReplyRule rule =
        found != m_rules.constEnd() ? *found : (m_chooser ? m_chooser(name) : m_defaultRule);
    if (rule.mode == RdapReplyRule::Mode::Hang)
        return;
    QPointer<QTcpSocket> guarded(socket);
    QTimer::singleShot(rule.delayMs, this, [this, guarded, name, rule] {
        if (guarded)
            Answer(guarded, name, rule);
    });
}

void RdapTestServer::Answer(QTcpSocket *socket, const QString &name, const RdapReplyRule &rule)
{
    using Mode = RdapReplyRule::Mode;
    switch (rule.mode) {
    case Mode::Registered:
        socket->write(Response(200, "OK", DomainObject(name)));
        break;
    case Mode::NotRegistered:
        socket->write(Response(404, "Not Found", ErrorObject(404, "Not Found")));
        break;
    case Mode::Forbidden:
        socket->write(Response(403, "Forbidden", ErrorObject(403, "Forbidden")));
        break;
    case Mode::Unprocessable:
        socket->write(Response(422, "Unprocessable Content", ErrorObject(422, "Unprocessable Content")));
        break;
    case Mode::ServerError:
        socket->write(Response(500, "Internal Server Error", ErrorObject(500, "Internal Server Error")));
        break;
    case Mode::NotJson:
        socket->write(Response(200, "OK", "<html><body>Welcome</body></html>"));
        break;
    case Mode::Redirect:
        socket->write(
            Response(302, "Found", QByteArray(),
                     "Location: " + (rule.location + QStringLiteral("domain/") + name).toUtf8() + "\r\n"));
        break;
    case Mode::Endless: {
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/rdap+json\r\nConnection: close\r\n\r\n"
                      "{\"objectClassName\":\"domain\",\"remarks\":[");
        auto *timer = new QTimer(socket);
        connect(timer, &QTimer::timeout, socket, [socket] {
            if (socket->bytesToWrite() < 256 * 1024)
                socket->write(QByteArray(64 * 1024, ' '));
        });
        timer->start(1);
        return;
    }
    case Mode::Hang:
        return;
    }
    socket->disconnectFromHost();
}
