#pragma once

#include "SocketComponent.h"

#include <QHostAddress>
#include <QList>

class QHostInfo;
class QSocketNotifier;

// SocketComponent over a non-blocking TCP socket of the operating system, watched by socket
// notifiers of the event loop. Host names are resolved with QHostInfo, without blocking.
//
// It does not sit on QTcpSocket because QTcpSocket reports a connection reset by the server as
// an orderly close: a reply cut off by a reset would then be judged as complete. Here a read of
// zero bytes is the server's close (PeerClosed) and a reset is a failure (Failed, Reset).
//
// Reading is bounded: at most kReadChunk bytes per turn of the event loop, and no more reading
// while kPendingLimit bytes wait for GetData(), so a server that floods cannot make the program
// hold more than that per connection, nor starve the other connections and timers.
class TcpSocketComponent : public SocketComponent
{
    Q_OBJECT
public:
    static constexpr qsizetype kReadChunk = 64 * 1024;
    static constexpr qsizetype kPendingLimit = 256 * 1024;

    explicit TcpSocketComponent(QObject *parent = nullptr);
    ~TcpSocketComponent() override;

    static SocketFactory Factory();

    void Close() override;
    ConnectResult Connect(const QString &host, quint16 port) override;
    bool SendData(const QString &text) override;
    bool SendOnConnect(const QString &text) override;
    QByteArray GetData() override;

private:
    enum class State
    {
        Closed,
        LookingUp,
        Connecting,
        Connected
    };

    void OnLookedUp(const QHostInfo &info);
    void ConnectToNextAddress();
    void OnWritable();
    // Looks at the connection once the turn of the event loop that started it is over: whether it
    // stands (or failed) already, or must wait for its write event.
    void SettleAfterThisTurn();
    void SettleConnecting();
    void OnReadable();
    void FlushOutput();
    // While connecting: sends what waits when the connection already stands.
    void SendEarly();
    // Closes the connection and reports the failure: at once, or from the event loop while
    // Connect() runs.
    void Fail(Error error, const QString &message);
    void CloseDescriptor();

    State m_state = State::Closed;
    quint64 m_generation = 0; // grows with every Connect() and Close(): stale events are dropped
    int m_lookupId = -1;
    int m_descriptor = -1;
    quint16 m_port = 0;
    QString m_host;
    QHostAddress m_literal; // m_host as an address, when it is one
    QList<QHostAddress> m_addresses;
    int m_lastConnectErrno = 0;
    bool m_reportLater = false; // inside Connect(): failures are reported from the event loop
    QSocketNotifier *m_readNotifier;  // on while connected and room is left for data
    QSocketNotifier *m_writeNotifier; // on while connecting, and while output waits
    QByteArray m_pending; // received, not yet taken by GetData()
    QByteArray m_output;  // to send, not yet accepted by the kernel
    QByteArray m_onConnect; // to send on every connection attempt (SendOnConnect)
    bool m_standing = false; // while connecting: the connection was seen to stand
    int m_earlyError = 0;    // while connecting: the failure an early send was told of
};
