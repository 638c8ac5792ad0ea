#pragma once

#include "platform/SocketComponent.h"

#include <QList>
#include <QPair>
#include <QString>

#include <vector>

// A SocketComponent a test drives by hand: it records what the code under test asks of it and
// raises the events the test tells it to.
class FakeSocket : public SocketComponent
{
    Q_OBJECT
public:
    using SocketComponent::SocketComponent;

    void Close() override;
    ConnectResult Connect(const QString &host, quint16 port) override;
    bool SendData(const QString &text) override;
    QByteArray GetData() override;

    // Test side.
    void RaiseConnected();
    void RaiseData(const QByteArray &data);
    void RaisePeerClosed();
    void RaiseFailed(SocketComponent::Error error);
    // Connected, the reply, closed: a whole exchange, as one turn of the event loop (what the
    // receiver leaves for the end of the turn runs before this returns).
    void Answer(const QByteArray &reply);

    bool isOpen() const { return m_open; }
    QList<QPair<QString, quint16>> connects;
    QStringList sent;
    int closeCount = 0;
    bool refuseSend = false;
    bool rejectConnect = false;

private:
    bool m_open = false;
    QByteArray m_pending;
};

// Hands out FakeSockets and keeps them for the test to drive.
class FakeSocketFactory
{
public:
    SocketFactory factory();
    FakeSocket &at(int index) { return *m_sockets.at(static_cast<size_t>(index)); }
    int size() const { return static_cast<int>(m_sockets.size()); }

private:
    std::vector<FakeSocket *> m_sockets;
};
