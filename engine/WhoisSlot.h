#pragma once

#include "WhoisQuery.h"

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
    // The slot gave up on its name: no verdict, for the reason given.
    virtual void QueryFailed(WhoisSlot &slot, const QString &reason) = 0;
    virtual void ReportError(const QString &title, const QString &text) = 0;
};

// One connection of the whois connection pool, with its timeout.
//
// StartQuery() cleans the candidate, gives it ".com" when it has no extension, picks the
// server from the whois server table and starts the exchange (WhoisQuery). A server that has
// not closed ten ticks after the last (re)connection is asked again on the same port, the reply
// gathered so far kept in front of the new one; a connection that breaks is asked again by the
// same rule. A server that refuses or does not resolve, and a reply past the size limit, end
// the query at once without a verdict.
//
// The timeout runs on the event loop's monotonic clock: ticks that arrive late while the loop
// is busy do not stretch it.
class WhoisSlot : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTimeoutTicks = 10;

    // How a query start went. A refused start leaves the slot idle.
    struct StartResult
    {
        bool started = false;
        QString reason; // why it did not start
    };

    WhoisSlot(int index, WhoisSlotHost &host, std::unique_ptr<SocketComponent> socket, int tickMs,
              QObject *parent = nullptr);

    StartResult StartQuery(const QString &candidate, const RegistrarTable &table, bool proxyMode,
                           const QString &defaultExtension);

    void CloseConnection();
    void StopTimer();
    // Back to idle: connection closed, timer off.
    void Reset();

    int index() const { return m_index; }
    const QString &name() const { return m_name; }
    quint16 port() const { return m_query.port(); }
    const QByteArray &reply() const { return m_query.reply(); }
    bool isTimerActive() const { return m_timeout.isActive(); }

    // Handed a name in the current batch and not finished with it yet.
    bool busy = false;
    // The name's position in the list of the run.
    qint64 position = 0;

private:
    void ReportStartFailure(int errorNumber, const QString &description);
    void RestartTimeout();
    void OnConnected();
    void OnFailed(WhoisQuery::Failure failure, const QString &detail);
    void OnTimeout();

    int m_index;
    WhoisSlotHost &m_host;
    WhoisQuery m_query;
    QTimer m_timeout;
    int m_tickMs;
    QString m_name;
};

// True when the text holds a control character (below U+0020, or U+007F): such a name is never
// sent to a server nor filed.
bool HasControlCharacter(const QString &text);
