#pragma once

#include "platform/SocketComponent.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class RegistrarTable;
class WhoisSlot;

// What a slot needs from the engine that owns it.
class WhoisSlotHost
{
public:
    virtual ~WhoisSlotHost() = default;
    virtual bool IsStopped() const = 0;
    virtual void ShowConnectionStatus(const QString &text) = 0;
    // The server closed the connection: the reply is complete.
    virtual void ReplyComplete(WhoisSlot &slot) = 0;
    virtual void ReportError(const QString &title, const QString &text) = 0;
};

// One connection of the whois connection pool, with its timeout timer.
//
// StartQuery() cleans the candidate, gives it ".com" when it has no extension, picks the
// server from the whois server table, connects and sends the name with CR LF once connected.
// The reply is collected (at most 1 MiB; more is discarded) until the server closes the
// connection. A server that has not closed after ten ticks is asked again on the same port;
// the reply gathered so far stays in front of the new one.
class WhoisSlot : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTimeoutTicks = 10;
    static constexpr qsizetype kReplyLimit = 1 << 20;

    WhoisSlot(int index, WhoisSlotHost &host, std::unique_ptr<SocketComponent> socket, int tickMs,
              QObject *parent = nullptr);

    // False when the query could not be started; the slot is then idle and its name dropped.
    bool StartQuery(const QString &candidate, const RegistrarTable &table, bool proxyMode,
                    const QString &defaultExtension);

    void CloseConnection();
    void StopTimer();
    // Back to idle: connection closed, timer off, tick count 0.
    void Reset();

    int index() const { return m_index; }
    const QString &name() const { return m_name; }
    quint16 port() const { return m_port; }
    const QByteArray &reply() const { return m_reply; }
    bool isTimerActive() const { return m_timer.isActive(); }

    // Handed a name in the current batch and not finished with it yet.
    bool busy = false;

private:
    enum class Step
    {
        Lookup,
        Connect
    };
    void ReportStartFailure(int errorNumber, const QString &description);
    SocketComponent::ConnectResult ConnectToServer();
    void OnConnected();
    void OnDataArrival();
    void OnPeerClosed();
    void OnTick();

    int m_index;
    WhoisSlotHost &m_host;
    std::unique_ptr<SocketComponent> m_socket;
    QTimer m_timer;
    int m_tickMs;

    QString m_name;
    QString m_server;
    quint16 m_port = 43;
    QString m_query;
    QByteArray m_reply;
    int m_ticks = 0;
};
