#include "DnsAhead.h"

DnsAhead::DnsAhead(Clock &clock, QObject *parent) : QObject(parent), m_dns(clock)
{
    connect(&m_dns, &DnsPrecheck::gaveUpAsking, this, &DnsAhead::TurnOff);
}

bool DnsAhead::Begin(const CheckSettings &settings, int timeoutMs, QString *error)
{
    Stop();
    m_counts = {};
    const bool configured = m_dns.Configure(settings, timeoutMs, error);
    m_active = m_askedAtStart = m_dns.isOn();
    return configured;
}

void DnsAhead::Stop()
{
    m_held.clear();
    m_asking.clear();
    m_dns.CancelAll();
}

void DnsAhead::Add(WaitingName waiting)
{
    if (m_active) {
        m_held.push_back(std::move(waiting));
        return;
    }
    waiting.passedDns = m_askedAtStart; // DNS turned itself off
    emit passed(waiting);
}

void DnsAhead::Ask(const std::function<bool()> &readMore)
{
    while (m_active && static_cast<int>(m_asking.size()) < kInFlight) {
        if (m_held.empty()) {
            if (!readMore())
                break;
            continue;
        }
        const quint64 id = ++m_nextId;
        const WaitingName &waiting = m_asking.emplace(id, std::move(m_held.front())).first->second;
        m_held.pop_front();
        m_dns.Ask(waiting.checked.wireName, [this, id](const DnsPrecheck::Result &result) { Answered(id, result); });
    }
}

void DnsAhead::Answered(quint64 id, const DnsPrecheck::Result &result)
{
    using Answer = DnsPrecheck::Answer;
    const auto found = m_asking.find(id);
    if (found == m_asking.end())
        return;
    WaitingName waiting = std::move(found->second);
    m_asking.erase(found);
    if (result.answer == Answer::Failed || result.answer == Answer::TimedOut)
        ++m_counts.failures;
    if (result.answer == Answer::Delegated) {
        ++m_counts.registered;
        emit countsChanged();
        emit delegated(waiting);
    } else {
        // Not delegated, or no telling: whois or RDAP decides, as without DNS.
        waiting.passedDns = true;
        emit countsChanged();
        emit passed(waiting);
    }
    emit answered();
}

void DnsAhead::TurnOff()
{
    if (!m_active)
        return;
    m_active = false;
    m_counts.turnedOff = true;
    m_dns.CancelAll();
    for (auto &[id, waiting] : m_asking)
        m_held.push_back(std::move(waiting));
    m_asking.clear();
    std::deque<WaitingName> held = std::exchange(m_held, {});
    std::sort(held.begin(), held.end(), [](const WaitingName &a, const WaitingName &b) { return a.ordinal < b.ordinal; });
    for (WaitingName &waiting : held) {
        waiting.passedDns = true;
        emit passed(waiting);
    }
    emit countsChanged();
    emit turnedOff();
    emit answered();
}

void DnsAhead::CountAsked()
{
    ++m_counts.overWhois; // counted when asked, not when DNS let it pass
    emit countsChanged();
}

std::optional<qint64> DnsAhead::FirstOrdinal() const
{
    std::optional<qint64> first;
    if (!m_held.empty())
        first = m_held.front().ordinal;
    if (!m_asking.empty())
        first = std::min(first.value_or(m_asking.begin()->second.ordinal), m_asking.begin()->second.ordinal);
    return first;
}
