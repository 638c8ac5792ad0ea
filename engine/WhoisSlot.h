#pragma once

#include "RdapQuery.h"
#include "WhoisQuery.h"
#include "platform/Clock.h"

#include <QObject>
#include <QString>

#include <memory>

class QNetworkAccessManager;
class RdapBootstrap;
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
    // The slot gave up on its name (the server refused, the reply was too long...): no verdict,
    // for the reason given.
    virtual void QueryFailed(WhoisSlot &slot, const QString &reason) = 0;
    // A slot that gives up on a silent server did so (see WhoisSlot::TimeoutPolicy).
    virtual void QueryTimedOut(WhoisSlot &slot) { Q_UNUSED(slot); }
    // The slot wants a new connection for its name: after a timeout, a broken connection or a
    // failed send. The host calls slot.Reconnect() when the server may be asked again; without
    // an override, at once.
    virtual void ReconnectWanted(WhoisSlot &slot);
    // An RDAP service answered; without an override, an answer is a failure with its reason.
    virtual void RdapAnswered(WhoisSlot &slot, const RdapAnswer &answer) { QueryFailed(slot, answer.reason); }
};

// One whois connection with its timeout: one of the check engine's pool, or the browse window's
// own.
//
// Prepare() cleans the candidate, gives it ".com" when it has no extension and picks the server
// from the whois server table; Start() starts the exchange (WhoisQuery). A name with letters
// outside ASCII is asked for by its A-label. A row whose server is an http(s) address is an RDAP
// service, and so is the bootstrap's service for an extension without a row (or with a "none"
// row): such names are asked with an RdapQuery when the slot has a network (setNetwork()). A server that
// refuses or does not resolve, and a reply past the size limit, end the query at once without a verdict. What
// a silent server gets depends on the policy fixed at construction: the pool's slots ask again on the same
// port ten ticks after the last (re)connection, when its host lets it (WhoisSlotHost::ReconnectWanted),
// keeping the reply gathered so far in front of the new one (a connection that breaks is asked again by the
// same rule); the browse window's slot gives up five ticks after the start, and on a broken connection at
// once.
//
// The timeout runs on the event loop's monotonic clock: ticks that arrive late while the loop
// is busy do not stretch it.
class WhoisSlot : public QObject
{
    Q_OBJECT
public:
    struct TimeoutPolicy
    {
        enum class OnTimeout
        {
            Reconnect,
            GiveUp
        };
        int ticks = 10;
        OnTimeout onTimeout = OnTimeout::Reconnect;
        bool resetTicksOnConnect = true;
    };
    static constexpr TimeoutPolicy kPoolPolicy = {10, TimeoutPolicy::OnTimeout::Reconnect, true};
    static constexpr TimeoutPolicy kGiveUpPolicy = {5, TimeoutPolicy::OnTimeout::GiveUp, false};
    // A longer candidate line cannot clean to a domain name: it is refused unread ("line too
    // long"), shown by its first kShownOfLongLine characters.
    static constexpr qsizetype kMaxLineLength = 4096;
    static constexpr qsizetype kShownOfLongLine = 64;

    // How a query start went.
    struct StartResult
    {
        enum class Kind
        {
            Started,
            InvalidName,   // a control character: the slot stays idle
            Stopped,       // the run is stopped: the slot stays idle
            LookupFailed,  // the whois table is empty: the slot stays idle
            NoServer,      // no server to ask for it (see RegistrarTable::RouteFor): idle
            ConnectRefused // the server's address was refused twice; the timeout still runs
        };
        Kind kind = Kind::Started;
        QString reason; // why it did not start
        bool started() const { return kind == Kind::Started; }
    };

    // A candidate made ready for the wire: cleaned, with its extension, and its server.
    struct Prepared
    {
        QString name;        // as shown and filed (control characters shown encoded)
        StartResult problem; // Started when it can be asked
        QString host;        // the whois server, or the RDAP service's host (with its port, if any)
        quint16 port = 43;
        QString wireName; // as sent: the A-label form
        QString rdapBase; // the RDAP service's base address ending in "/"; empty for whois
    };
    static Prepared Prepare(const QString &candidate, const RegistrarTable &table, bool proxyMode,
                            const QString &defaultExtension, const RdapBootstrap *bootstrap = nullptr);

    WhoisSlot(int index, WhoisSlotHost &host, std::unique_ptr<SocketComponent> socket, int tickMs,
              TimeoutPolicy policy = kPoolPolicy, Clock &clock = Clock::System(), QObject *parent = nullptr);

    // Lets the slot ask RDAP services (without, RDAP names are NoServer).
    void setNetwork(QNetworkAccessManager *network);

    // Starts the exchange for a prepared name.
    StartResult Start(const Prepared &prepared);

    // Asks the server again on a new connection, keeping the reply gathered so far (see
    // WhoisSlotHost::ReconnectWanted), with a fresh timeout.
    void Reconnect();
    // Closes the connection and stops the timeout while the slot waits to reconnect; the name
    // and the reply so far stay.
    void Park();
    void CloseConnection();
    void StopTimer();
    // Back to idle: connection closed, timer off.
    void Reset();

    int index() const { return m_index; }
    const QString &name() const { return m_prepared.name; }
    const QString &host() const { return m_prepared.host; }
    // What the slot was started with.
    const Prepared &prepared() const { return m_prepared; }
    // The body of the last RDAP answer.
    QByteArray rdapBody() const { return m_rdap ? m_rdap->body() : QByteArray(); }
    quint16 port() const { return m_query.port(); }
    const QByteArray &reply() const { return m_query.reply(); }
    bool isTimerActive() const { return m_timeout->isActive(); }
    // The last failure of this query that the slot answered by asking again (a reset), so that
    // a name that never gets an answer can say what went wrong; empty when none.
    const QString &lastProblem() const { return m_lastProblem; }

    // The engine's bookkeeping of the name it handed the slot (times on the engine's clock).
    // Assign: the name at this position of the list, asked for the tries-th time, starts now.
    void Assign(qint64 position, int tries, qint64 now);
    // The slot is done with its name.
    void Unassign();
    // The slot will reconnect at this time (after Park()); counts the reconnects of its name.
    void WaitToReconnect(qint64 at);
    // The latest connection for the name was made now.
    void MarkSent(qint64 now);

    // Handed a name and not finished with it yet.
    bool isBusy() const { return m_busy; }
    // The name's position in the list of the run, and how often it was asked.
    qint64 position() const { return m_position; }
    int tries() const { return m_tries; }
    // When the query started, and when its latest connection was made.
    qint64 startedAt() const { return m_startedAt; }
    qint64 sentAt() const { return m_sentAt; }
    // While the slot waits to reconnect: when it may (-1: not waiting), and how often it did.
    qint64 reconnectAt() const { return m_reconnectAt; }
    bool isWaitingToReconnect() const { return m_reconnectAt >= 0; }
    int reconnects() const { return m_reconnects; }

private:
    void RestartTimeout();
    void OnConnected();
    void OnFailed(WhoisQuery::Failure failure, const QString &detail);
    void OnTimeout();

    int m_index;
    bool m_busy = false;
    qint64 m_position = 0;
    int m_tries = 0;
    qint64 m_startedAt = 0;
    qint64 m_sentAt = 0;
    qint64 m_reconnectAt = -1;
    int m_reconnects = 0;
    WhoisSlotHost &m_host;
    QString m_lastProblem;
    WhoisQuery m_query;
    std::unique_ptr<RdapQuery> m_rdap;
    Prepared m_prepared;
    std::unique_ptr<ClockTimer> m_timeout;
    int m_tickMs;
    TimeoutPolicy m_policy;
};

// True when the text holds a control character (below U+0020, or U+007F): such a name is never
// sent to a server nor filed.
bool HasControlCharacter(const QString &text);
