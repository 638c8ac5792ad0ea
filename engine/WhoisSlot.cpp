#include "WhoisSlot.h"

void WhoisSlotOwner::ReconnectWanted(WhoisSlot &slot)
{
    slot.Reconnect();
}

WhoisSlot::WhoisSlot(int index, WhoisSlotOwner &owner, std::unique_ptr<SocketComponent> socket, int tickMs,
                     TimeoutPolicy policy, Clock &clock, QObject *parent)
    : QObject(parent), m_index(index), m_owner(owner), m_query(std::move(socket), *this),
      m_timeout(clock.MakeTimer()), m_tickMs(tickMs), m_policy(policy)
{
    connect(m_timeout.get(), &ClockTimer::timeout, this, &WhoisSlot::OnTimeout);
}

WhoisSlot::Started WhoisSlot::Start(const CheckedName &name)
{
    m_checked = name;
    m_lastProblem.clear();
    if (name.isRdap()) {
        if (!m_rdap)
            return Started::NoRdapClient;
        // RDAP has its own time limit; the tick timer is for whois connections.
        m_rdap->Start(name.rdapBase, name.wireName);
        return Started::Yes;
    }
    RestartTimeout();
    // An invalid argument is tried once more; the running timer then retries the connection as
    // after a timeout.
    if (!m_query.Start(name.host, name.port, name.wireName) && !m_query.Retry())
        return Started::AddressInvalid;
    return Started::Yes;
}

void WhoisSlot::RestartTimeout()
{
    m_timeout->Start(qint64(m_policy.ticks) * m_tickMs);
}

void WhoisSlot::Reconnect()
{
    // A slot that gives up counts its time from the start, whatever it asks again in between.
    if (m_policy.onTimeout == TimeoutPolicy::OnTimeout::Reconnect)
        RestartTimeout();
    m_query.Retry(); // to the row's own port; a refused address is asked again at the timeout
}

void WhoisSlot::Park()
{
    m_query.Abort();
    m_timeout->Stop();
}

void WhoisSlot::setNetwork(QNetworkAccessManager *network)
{
    m_rdap.reset();
    if (!network)
        return;
    m_rdap = std::make_unique<RdapQuery>(*network, m_tickMs);
    connect(m_rdap.get(), &RdapQuery::finished, this, [this](const RdapAnswer &answer) {
        if (!m_owner.IsStopped())
            m_owner.RdapAnswered(*this, answer);
    });
}

void WhoisSlot::CloseConnection()
{
    m_query.Abort();
    if (m_rdap)
        m_rdap->Abort();
}

void WhoisSlot::StopTimer()
{
    m_timeout->Stop();
}

void WhoisSlot::Reset()
{
    CloseConnection();
    m_timeout->Stop();
}

void WhoisSlot::QueryConnected()
{
    if (m_owner.IsStopped()) {
        m_query.Abort();
        return;
    }
    // The name as the user wrote it (bücher.de), not the A-label that went on the wire.
    m_owner.ShowConnecting(m_index, m_checked.name);
    if (m_policy.resetTicksOnConnect)
        RestartTimeout();
}

void WhoisSlot::QueryFailed(WhoisQuery::Failure failure, const QString &detail)
{
    if (m_owner.IsStopped())
        return;
    switch (failure) {
    case WhoisQuery::Failure::SendFailed:
        m_lastProblem = WhoisQuery::FailureText(failure, m_query.host(), detail);
        m_owner.ReconnectWanted(*this);
        return;
    case WhoisQuery::Failure::Reset:
        if (m_policy.onTimeout == TimeoutPolicy::OnTimeout::Reconnect) {
            // Asked again when the timeout comes, like a server that never closes.
            m_lastProblem = WhoisQuery::FailureText(failure, m_query.host(), detail);
            return;
        }
        [[fallthrough]];
    case WhoisQuery::Failure::CannotConnect:
    case WhoisQuery::Failure::ReplyTooLong:
        m_timeout->Stop();
        m_owner.QueryFailed(*this, WhoisQuery::FailureText(failure, m_query.host(), detail));
        return;
    }
}

void WhoisSlot::OnTimeout()
{
    if (m_owner.IsStopped())
        return;
    if (m_policy.onTimeout == TimeoutPolicy::OnTimeout::GiveUp) {
        Reset();
        m_owner.QueryTimedOut(*this);
        return;
    }
    m_owner.ReconnectWanted(*this);
}
