#include "SearchTestServer.h"

#include "tools/http/HttpRequestHeads.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>

namespace {

QString ResultKey(SearchTestServer::Engine engine, int offset)
{
    return (engine == SearchTestServer::Engine::Google ? QStringLiteral("google/")
                                                       : QStringLiteral("yahoo/")) +
           QString::number(offset);
}

} // namespace

SearchTestServer::SearchTestServer(QObject *parent) : QObject(parent), m_server(new QTcpServer(this))
{
    ServeRequestHeads(m_server, this,
                      [this](QTcpSocket *socket, const QByteArray &request) { OnRequest(socket, request); });
}

SearchTestServer::~SearchTestServer() = default;

bool SearchTestServer::Listen(quint16 port)
{
    return m_server->listen(QHostAddress::LocalHost, port);
}

quint16 SearchTestServer::port() const
{
    return m_server->serverPort();
}

QString SearchTestServer::baseAddress() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port());
}

void SearchTestServer::setResultPage(Engine engine, int offset, const QByteArray &html)
{
    m_results.insert(ResultKey(engine, offset), html);
}

QByteArray SearchTestServer::PageFor(const QString &target) const
{
    const QString path = target.section(QLatin1Char('?'), 0, 0);
    const QUrlQuery query(target.section(QLatin1Char('?'), 1));
    if (path == QLatin1String("/search"))
        return m_results.value(
            ResultKey(Engine::Google, query.queryItemValue(QStringLiteral("start")).toInt()),
            NoResultsPage());
    if (path == QLatin1String("/search/dir"))
        return m_results.value(ResultKey(Engine::Yahoo, query.queryItemValue(QStringLiteral("b")).toInt()),
                               NoResultsPage());
    return m_pages.value(path, m_defaultPage);
}

void SearchTestServer::OnRequest(QTcpSocket *socket, const QByteArray &request)
{
    const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
    const QString target = words.size() > 1 ? QString::fromUtf8(words.at(1)) : QStringLiteral("/");
    m_targets.append(target);
    if (m_hanging.contains(target.section(QLatin1Char('?'), 0, 0)))
        return;
    if (m_trickling.contains(target.section(QLatin1Char('?'), 0, 0))) {
        socket->write("HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n\r\n"
                      "<html><head><title>Still loading</title></head><body><p>The first part" +
                      QByteArray(4096, ' '));
        return;
    }
    const QByteArray body = PageFor(target);
    QTimer::singleShot(m_delayMs, socket, [socket, body] {
        socket->write("HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                      QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    });
}

QByteArray SearchTestServer::ResultsPage(Engine engine, const QStringList &hosts, const QString &title)
{
    QByteArray items;
    for (const QString &host : hosts) {
        const QByteArray name = host.toUtf8();
        if (engine == Engine::Google) {
            items += "<li class=\"g\"><h3><a href=\"http://www." + name + "/\">" + name +
                     "</a></h3><cite>www." + name + "/</cite></li>";
        } else {
            items += "<li><a href=\"http://www." + name + "/\">" + name + "</a></li>";
        }
    }
    const QByteArray list = engine == Engine::Google ? "<div id=\"search\"><ol>" + items + "</ol></div>"
                                                     : "<ul class=\"dir\">" + items + "</ul>";
    const QByteArray heading = title.isEmpty() ? QByteArray("Results") : title.toUtf8();
    return "<html><head><title>" + heading + "</title></head><body>" + list + "</body></html>";
}

QByteArray SearchTestServer::NoResultsPage()
{
    return "<html><head><title>No results</title></head><body><p>No more results.</p></body></html>";
}

QStringList SearchTestServer::NumberedHosts(int first, int count)
{
    QStringList hosts;
    for (int i = first; i < first + count; ++i)
        hosts << QStringLiteral("site%1.com").arg(i, 4, 10, QLatin1Char('0'));
    return hosts;
}
