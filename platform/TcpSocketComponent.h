#pragma once

#include "SocketComponent.h"

#include <QPointer>

class QTcpSocket;

// SocketComponent over QTcpSocket. Every Connect() uses a fresh QTcpSocket, so events of an
// earlier connection can never reach the caller after Close().
class TcpSocketComponent : public SocketComponent
{
    Q_OBJECT
public:
    explicit TcpSocketComponent(QObject *parent = nullptr);
    ~TcpSocketComponent() override;

    static SocketFactory Factory();

    void Close() override;
    ConnectResult Connect(const QString &host, quint16 port) override;
    bool SendData(const QString &text) override;
    QByteArray GetData() override;

private:
    void OnReadyRead();
    void OnDisconnected();

    QPointer<QTcpSocket> m_socket;
    bool m_peerClosedSent = false;
};
