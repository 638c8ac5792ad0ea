#include "FakeSocket.h"

#include <QCoreApplication>

void FakeSocket::Close()
{
    if (m_open)
        ++closeCount;
    m_open = false;
    m_pending.clear();
}

SocketComponent::ConnectResult FakeSocket::Connect(const QString &host, quint16 port)
{
    Close();
    if (rejectConnect)
        return ConnectResult::InvalidArgument;
    connects.append({host, port});
    m_open = true;
    return ConnectResult::Started;
}

bool FakeSocket::SendData(const QString &text)
{
    if (!m_open || refuseSend)
        return false;
    sent.append(text);
    return true;
}

QByteArray FakeSocket::GetData()
{
    return std::exchange(m_pending, QByteArray());
}

void FakeSocket::RaiseConnected()
{
    if (m_open)
        TellConnected();
}

void FakeSocket::RaiseData(const QByteArray &data)
{
    if (!m_open)
        return;
    m_pending += data;
    TellDataArrival(m_pending.size());
}

void FakeSocket::RaisePeerClosed()
{
    if (!m_open)
        return;
    TellPeerClosed();
}

void FakeSocket::RaiseFailed(SocketComponent::Error error)
{
    if (!m_open)
        return;
    m_open = false;
    TellFailed(error, error == SocketComponent::Error::Reset ? QStringLiteral("Connection reset by peer")
                                                              : QStringLiteral("Connection refused"));
}

void FakeSocket::Answer(const QByteArray &reply)
{
    RaiseConnected();
    RaiseData(reply);
    RaisePeerClosed();
    QCoreApplication::processEvents();
}

SocketFactory FakeSocketFactory::factory()
{
    return [this] {
        auto socket = std::make_unique<FakeSocket>();
        m_sockets.push_back(socket.get());
        return socket;
    };
}
