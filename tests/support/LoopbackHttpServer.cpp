#include "LoopbackHttpServer.h"

#include <QTcpServer>
#include <QTcpSocket>

LoopbackHttpServer::LoopbackHttpServer(QObject *parent) : QObject(parent), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            auto request = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, request] {
                request->append(socket->readAll());
                if (!request->contains("\r\n\r\n"))
                    return;
                const QList<QByteArray> words = request->left(request->indexOf("\r\n")).split(' ');
                const QString target =
                    words.size() > 1 ? QString::fromUtf8(words.at(1)) : QStringLiteral("/");
                m_requested.append(target);
                const QString path = target.section(QLatin1Char('?'), 0, 0);
                const QByteArray body = m_pages.value(path, m_defaultPage);
                socket->write(
                    "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                    QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                socket->disconnectFromHost();
                request->clear();
            });
        }
    });
}

bool LoopbackHttpServer::Listen()
{
    return m_server->listen(QHostAddress::LocalHost);
}

quint16 LoopbackHttpServer::port() const
{
    return m_server->serverPort();
}

QString LoopbackHttpServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
}
