#include "WhoisSlot.h"

#include "DomainName.h"
#include "RdapBootstrap.h"
#include "sources/NameCleaner.h"
#include "sources/PercentDecoding.h"
#include "whois_table/RegistrarTable.h"

#include <QUrl>

#include <algorithm>

namespace {

bool IsControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

// The name as it may be shown and kept: every control character percent-encoded again.
QString WithControlsEncoded(const QString &name)
{
    QString shown;
    for (const QChar c : name) {
        if (IsControl(c))
            shown += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            shown += c;
    }
    return shown;
}

} // namespace

void WhoisSlotHost::ReconnectWanted(WhoisSlot &slot)
{
    slot.Reconnect();
}

bool HasControlCharacter(const QString &text)
{
    return std::any_of(text.begin(), text.end(), IsControl);
}

WhoisSlot::WhoisSlot(int index, WhoisSlotHost &host, std::unique_ptr<SocketComponent> socket, int tickMs,
                     TimeoutPolicy policy, Clock &clock, QObject *parent)
    : QObject(parent), m_index(index), m_host(host), m_query(std::move(socket)), m_timeout(clock.MakeTimer()),
      m_tickMs(tickMs), m_policy(policy)
{
    connect(m_timeout.get(), &ClockTimer::timeout, this, &WhoisSlot::OnTimeout);
    connect(&m_query, &WhoisQuery::connected, this, &WhoisSlot::OnConnected);
    connect(&m_query, &WhoisQuery::replyComplete, this, [this] { m_host.ReplyComplete(*this); });
    connect(&m_query, &WhoisQuery::failed, this, &WhoisSlot::OnFailed);
}

WhoisSlot::Prepared WhoisSlot::Prepare(const QString &candidate, const RegistrarTable &table, bool proxyMode,
                                       const QString &defaultExtension, const RdapBootstrap *bootstrap)
{
    using Kind = StartResult::Kind;
    Prepared prepared;
    if (candidate.size() > kMaxLineLength) {
        prepared.name = WithControlsEncoded(candidate.left(kShownOfLongLine)) + QStringLiteral("...");
        prepared.problem = {Kind::InvalidName, QStringLiteral("line too long")};
        return prepared;
    }
    QString name = candidate;
    const qsizetype colon = name.indexOf(QLatin1Char(':'));
    if (colon >= 0)
        name = name.mid(colon + 1);
    name = NameCleaner(PercentDecoder(name));
    if (!name.contains(QLatin1Char('.')))
        name += defaultExtension;
    // A decoded line break would put a second query line on the wire and a forged line into the
    // result files and output; such a name is refused, and shown with the characters encoded.
    if (HasControlCharacter(name)) {
        prepared.name = WithControlsEncoded(name);
        prepared.problem = {Kind::InvalidName, QStringLiteral("not a valid domain name")};
        return prepared;
    }
    prepared.name = name;
    const std::optional<QString> ascii = AsciiDomainName(name);
    if (!ascii) {
        prepared.problem = {Kind::InvalidName, QStringLiteral("not a valid domain name")};
        return prepared;
    }
    prepared.wireName = *ascii;
    if (table.size() == 0) {
        prepared.problem = {Kind::LookupFailed, QStringLiteral("the whois server table is empty")};
        return prepared;
    }
    const RegistrarTable::Route route = table.RouteFor(prepared.wireName, proxyMode);
    QString server = route.row >= 0 ? table.row(route.row).Server : QString();
    if (route.row < 0 && !proxyMode && bootstrap)
        server = bootstrap->ServiceFor(prepared.wireName);
    if (server.isEmpty()) {
        prepared.problem = {Kind::NoServer, route.reason};
        return prepared;
    }
    if (RegistrarTable::IsRdapServer(server)) {
        prepared.rdapBase = server.endsWith(QLatin1Char('/')) ? server : server + QLatin1Char('/');
        // Paced apart from a whois server on the same host: the port is part of the key.
        const QUrl url(prepared.rdapBase);
        prepared.host = url.port() < 0 ? url.host() : QStringLiteral("%1:%2").arg(url.host()).arg(url.port());
        prepared.port = 0;
        return prepared;
    }
    prepared.host = server;
    prepared.port = table.row(route.row).Port;
    return prepared;
}

WhoisSlot::StartResult WhoisSlot::Start(const Prepared &prepared)
{
    m_prepared = prepared;
    m_lastProblem.clear();
    if (m_host.IsStopped())
        return {StartResult::Kind::Stopped, QStringLiteral("the search was stopped")};
    if (!prepared.problem.started())
        return prepared.problem;
    if (!prepared.rdapBase.isEmpty()) {
        if (!m_rdap)
            return {StartResult::Kind::NoServer, QStringLiteral("no RDAP client for %1").arg(prepared.host)};
        // RDAP has its own time limit; the tick timer is for whois connections.
        m_rdap->Start(prepared.rdapBase, prepared.wireName);
        return {StartResult::Kind::Started, QString()};
    }
    RestartTimeout();
    // An invalid argument is tried once more; the running timer then retries the connection as
    // after a timeout.
    const QString wireName = prepared.wireName.isEmpty() ? prepared.name : prepared.wireName;
    if (!m_query.Start(prepared.host, prepared.port, wireName) && !m_query.Retry())
        return {StartResult::Kind::ConnectRefused, QStringLiteral("the server's address is not valid")};
    return {StartResult::Kind::Started, QString()};
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

void WhoisSlot::Assign(qint64 position, int tries, qint64 now)
{
    m_busy = true;
    m_position = position;
    m_tries = tries;
    m_startedAt = now;
    m_sentAt = now;
    m_reconnectAt = -1;
    m_reconnects = 0;
}

void WhoisSlot::Unassign()
{
    m_busy = false;
    m_reconnectAt = -1;
}

void WhoisSlot::WaitToReconnect(qint64 at)
{
    m_reconnectAt = at;
    ++m_reconnects;
}

void WhoisSlot::MarkSent(qint64 now)
{
    m_reconnectAt = -1;
    m_sentAt = now;
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
        if (!m_host.IsStopped())
            m_host.RdapAnswered(*this, answer);
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

void WhoisSlot::OnConnected()
{
    if (m_host.IsStopped()) {
        m_query.Abort();
        return;
    }
    // The name as the user wrote it (bücher.de), not the A-label that went on the wire.
    m_host.ShowConnectionStatus(QStringLiteral("connecting(") + QString::number(m_index) +
                                QStringLiteral("): - Search String: ") + m_prepared.name);
    if (m_policy.resetTicksOnConnect)
        RestartTimeout();
}

void WhoisSlot::OnFailed(WhoisQuery::Failure failure, const QString &detail)
{
    if (m_host.IsStopped())
        return;
    switch (failure) {
    case WhoisQuery::Failure::SendFailed:
        m_lastProblem = WhoisQuery::FailureText(failure, m_query.host(), detail);
        m_host.ReconnectWanted(*this);
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
        m_host.QueryFailed(*this, WhoisQuery::FailureText(failure, m_query.host(), detail));
        return;
    }
}

void WhoisSlot::OnTimeout()
{
    if (m_host.IsStopped())
        return;
    if (m_policy.onTimeout == TimeoutPolicy::OnTimeout::GiveUp) {
        Reset();
        m_host.QueryTimedOut(*this);
        return;
    }
    m_host.ReconnectWanted(*this);
}
