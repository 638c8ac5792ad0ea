#pragma once

#include "NameCheck.h"
#include "RdapQuery.h"
#include "WhoisQuery.h"
#include "platform/Clock.h"

#include <QObject>
#include <QString>

#include <memory>

class QNetworkAccessManager;
class WhoisSlot;

// What a slot needs from the checker that owns it.
class WhoisSlotOwner
{
public:
    virtual ~WhoisSlotOwner() = default;
    virtual bool IsStopped() const = 0;
    // The connection of slot `slot` stands and asks `name`, as the user wrote it.
    virtual void ShowConnecting(int slot, const QString &name) = 0;
    // The server closed the connection: the reply is complete.
    virtual void ReplyComplete(WhoisSlot &slot) = 0;
    // The slot gave up on its name (the server refused, the reply was too long...): no verdict,
    // for the reason given.
    virtual void QueryFailed(WhoisSlot &slot, const QString &reason) = 0;
    // A slot that gives up on a silent server did so (see WhoisSlot::TimeoutPolicy).
    virtual void QueryTimedOut(WhoisSlot &slot) { Q_UNUSED(slot); }
    // The slot wants a new connection for its name: after a timeout, a broken connection or a
    // failed send. The owner calls slot.Reconnect() when the server may be asked again; without
    // an override, at once.
    virtual void ReconnectWanted(WhoisSlot &slot);
    // An RDAP service answered; without an override, an answer is a failure with its reason.
    virtual void RdapAnswered(WhoisSlot &slot, const RdapAnswer &answer) { QueryFailed(slot, answer.reason); }
};

// One whois connection with its timeout: one of the check engine's pool, or the browse window's
// own. It connects, sends and reads; what a name is and what its reply means is NameCheck's, and
// the pool's bookkeeping the engine's.
//
// Start() asks a prepared name (CheckedName) at its server: over whois (WhoisQuery), or, for an
// RDAP service, with an RdapQuery when the slot has a network (setNetwork()). A server that
// refuses or does not resolve, and a reply past the size limit, end the query at once without a
// verdict. What a silent server gets depends on the policy fixed at construction: the pool's
// slots ask again on the same port ten ticks after the last (re)connection, when their owner
// lets them (WhoisSlotOwner::ReconnectWanted), keeping the reply gathered so far in front of the
// new one (a connection that breaks is asked again by the same rule); the browse window's slot
// gives up five ticks after the start, and on a broken connection at once.
//
// The timeout runs on the clock given: ticks that arrive late while the loop is busy do not
// stretch it.
class WhoisSlot : public QObject, private WhoisQuery::Receiver
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

    // How a query start went.
    enum class Started
    {
        Yes,
        NoRdapClient,  // an RDAP name, and no network to ask it with: the slot stays idle
        AddressInvalid // the server's address was refused twice; the timeout still runs
    };

    WhoisSlot(int index, WhoisSlotOwner &owner, std::unique_ptr<SocketComponent> socket, int tickMs,
              TimeoutPolicy policy = kPoolPolicy, Clock &clock = Clock::System(), QObject *parent = nullptr);

    // Lets the slot ask RDAP services.
    void setNetwork(QNetworkAccessManager *network);

    // Starts the exchange for a name that can be asked.
    Started Start(const CheckedName &name);
    // Asks the server again on a new connection, keeping the reply gathered so far (see
    // WhoisSlotOwner::ReconnectWanted), with a fresh timeout.
    void Reconnect();
    // Closes the connection and stops the timeout while the slot waits to reconnect; the name
    // and the reply so far stay.
    void Park();
    void CloseConnection();
    void StopTimer();
    // Back to idle: connection closed, timer off.
    void Reset();

    int index() const { return m_index; }
    // What the slot was started with.
    const CheckedName &checked() const { return m_checked; }
    const QString &name() const { return m_checked.name; }
    // The server asked: the whois host, or the RDAP service's host.
    const QString &host() const { return m_checked.host; }
    // The body of the last RDAP answer.
    QByteArray rdapBody() const { return m_rdap ? m_rdap->body() : QByteArray(); }
    quint16 port() const { return m_query.port(); }
    const QByteArray &reply() const { return m_query.reply(); }
    bool isTimerActive() const { return m_timeout->isActive(); }
    // The last failure of this query that the slot answered by asking again (a reset), so that
    // a name that never gets an answer can say what went wrong; empty when none.
    const QString &lastProblem() const { return m_lastProblem; }

private:
    void RestartTimeout();
    void QueryConnected() override;
    void ReplyComplete() override { m_owner.ReplyComplete(*this); }
    void QueryFailed(WhoisQuery::Failure failure, const QString &detail) override;
    void OnTimeout();

    int m_index;
    WhoisSlotOwner &m_owner;
    QString m_lastProblem;
    WhoisQuery m_query;
    std::unique_ptr<RdapQuery> m_rdap;
    CheckedName m_checked;
    std::unique_ptr<ClockTimer> m_timeout;
    int m_tickMs;
    TimeoutPolicy m_policy;
};
