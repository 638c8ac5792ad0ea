#include "TcpSocketComponent.h"

#include <QTcpSocket>

TcpSocketComponent::TcpSocketComponent(QObject *parent) : SocketComponent(parent) {}

TcpSocketComponent::~TcpSocketComponent()
{
    Close();
}

SocketFactory TcpSocketComponent::Factory()
{
    return [] {
        return std::make_unique<TcpSocketComponent>();
    };
}

void TcpSocketComponent::Close()
{
    if (!m_socket)
        return;
    QTcpSocket *socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->abort();
    // Close() may run inside one of this socket's own signals, so it is deleted later.
    socket->deleteLater();
}

SocketComponent::ConnectResult TcpSocketComponent::Connect(const QString &host, quint16 port)
{
    Close();
    if (host.trimmed().isEmpty() || port == 0)
        return ConnectResult::InvalidArgument;
    m_peerClosedSent = false;
    auto *socket = new QTcpSocket(this);
    m_socket = socket;
    connect(socket, &QTcpSocket::connected, this, &SocketComponent::Connected);
    connect(socket, &QTcpSocket::readyRead, this, &TcpSocketComponent::OnReadyRead);
    connect(socket, &QTcpSocket::disconnected, this, &TcpSocketComponent::OnDisconnected);
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket](QAbstractSocket::SocketError error) {
        if (error == QAbstractSocket::RemoteHostClosedError)
            return; // the normal end of a whois reply: PeerClosed follows
        emit Failed(socket->errorString());
    });
    socket->connectToHost(host, port);
    return ConnectResult::Started;
}

bool TcpSocketComponent::SendData(const QString &text)
{
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState)
        return false;
    const QByteArray bytes = text.toUtf8();
    if (m_socket->write(bytes) != bytes.size())
        return false;
    m_socket->flush(); // on the wire now, not at the next turn of the event loop
    return true;
}

QByteArray TcpSocketComponent::GetData()
{
    return m_socket ? m_socket->readAll() : QByteArray();
}

void TcpSocketComponent::OnReadyRead()
{
    if (m_socket && m_socket->bytesAvailable() > 0)
        emit DataArrival(m_socket->bytesAvailable());
}

void TcpSocketComponent::OnDisconnected()
{
    // Data that came with the close is delivered before the close itself.
    OnReadyRead();
    if (m_socket && !m_peerClosedSent) {
        m_peerClosedSent = true;
        emit PeerClosed();
    }
}
