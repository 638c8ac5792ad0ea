#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

// For the test web servers: hands each request (request line and headers, up to the blank line,
// and the body its Content-Length gives) of every connection the server accepts to onRequest,
// and drops a connection whose request grows past 64 KiB without ending. Sockets delete
// themselves when they close.
template<typename OnRequest> void ServeRequestHeads(QTcpServer *server, QObject *context, OnRequest onRequest)
{
    QObject::connect(server, &QTcpServer::newConnection, context, [server, context, onRequest] {
        while (QTcpSocket *socket = server->nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            auto head = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, context, [socket, head, onRequest] {
                head->append(socket->readAll());
                const qsizetype end = head->indexOf("\r\n\r\n");
                qsizetype bodyLength = 0;
                for (const QByteArray &line : head->left(end).split('\n')) {
                    if (line.toLower().startsWith("content-length:"))
                        bodyLength = line.mid(15).trimmed().toLongLong();
                }
                if (end >= 0 && head->size() >= end + 4 + bodyLength && bodyLength <= 64 * 1024) {
                    onRequest(socket, *head);
                    head->clear();
                } else if (head->size() > 64 * 1024) {
                    socket->abort();
                }
            });
        }
    });
}
