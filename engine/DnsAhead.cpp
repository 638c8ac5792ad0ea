#include "DnsAhead.h"

DnsAhead::DnsAhead(Clock &clock, Pass pass, QObject *parent)
    : QObject(parent), m_clock(clock), m_dns(clock), m_pass(std::move(pass))
{
    connect(&m_dns, &DnsPrecheck::gaveUpAsking, this, &DnsAhead::TurnOff);
}

bool DnsAhead::Begin(const CheckSettings &settings, int timeoutMs, int headStartMs, QString *error)
{
    Stop();
    m_counts = {};
    m_headStartMs = headStartMs;
    m_slow = false;
    const bool configured = m_dns.Configure(settings, timeoutMs, error);
    m_active = m_askedAtStart = m_dns.isOn();
    return configured;
}

void DnsAhead::Stop()
{
    m_held.clear();
    m_asking.clear();
    m_late.clear();
    m_dns.CancelAll();
}

void DnsAhead::Add(WaitingName waiting)
{
    if (m_active) {
        m_held.push_back(std::move(waiting));
        return;
    }
    waiting.passedDns = m_askedAtStart; // DNS turned itself off
    m_pass(waiting);
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
        const WaitingName &waiting =
            m_asking.emplace(id, Asking{std::move(m_held.front()), m_clock.Now()}).first->second.waiting;
        m_held.pop_front();
        m_dns.Ask(waiting.checked.wireName, [this, id](const DnsPrecheck::Result &result) { Answered(id, result); });
    }
}

void DnsAhead::Answered(quint64 id, const DnsPrecheck::Result &result)
{
    using Answer = DnsPrecheck::Answer;
    if (result.answer == Answer::Failed || result.answer == Answer::TimedOut)
        ++m_counts.failures;
    const auto found = m_asking.find(id);
    if (found == m_asking.end()) {
        LateAnswered(id, result.answer == Answer::Delegated);
        return;
    }
    NoteAnswerTime(found->second.askedAt);
    WaitingName waiting = std::move(found->second.waiting);
    m_asking.erase(found);
    if (result.answer == Answer::Delegated) {
        ++m_counts.registered;
        emit countsChanged();
        emit delegated(waiting);
    } else {
        // Not delegated, or no telling: whois or RDAP decides, as without DNS.
        waiting.passedDns = true;
        emit countsChanged();
        m_pass(waiting);
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
    for (auto &[id, asking] : m_asking)
        m_held.push_back(std::move(asking.waiting));
    m_asking.clear();
    // The names whois took before their answer go on without it.
    std::vector<quint64> late;
    for (const auto &[id, unanswered] : m_late) {
        if (!unanswered.delegated)
            late.push_back(id);
    }
    std::deque<WaitingName> held = std::exchange(m_held, {});
    std::sort(held.begin(), held.end(), [](const WaitingName &a, const WaitingName &b) { return a.ordinal < b.ordinal; });
    for (WaitingName &waiting : held) {
        waiting.passedDns = true;
        m_pass(waiting);
    }
    for (const quint64 id : late)
        LateAnswered(id, false);
    emit countsChanged();
    emit turnedOff();
    emit answered();
}

std::optional<WaitingName> DnsAhead::TakeUnanswered()
{
    if (m_asking.empty())
        return std::nullopt;
    const auto oldest = m_asking.begin();
    // Once an answer took longer than the head start, the resolver is slower than whois: the
    // names it is asked are not waited for (else whois, taking names faster than questions go
    // out, would idle for every head start), until an answer comes within it again.
    if (m_clock.Now() - oldest->second.askedAt >= m_headStartMs)
        m_slow = true;
    else if (!m_slow)
        return std::nullopt;
    WaitingName waiting = std::move(oldest->second.waiting);
    waiting.dnsQuestion = oldest->first;
    waiting.passedDns = true; // on to whois, as if DNS had let it pass
    m_late.emplace(oldest->first, Unanswered{{}, {}, {}, oldest->second.askedAt});
    m_asking.erase(oldest);
    return waiting;
}

qint64 DnsAhead::NextUnansweredAt() const
{
    if (m_asking.empty())
        return -1;
    return m_asking.begin()->second.askedAt + (m_slow ? 0 : m_headStartMs);
}

void DnsAhead::NoteAnswerTime(qint64 askedAt)
{
    if (m_clock.Now() - askedAt < m_headStartMs)
        m_slow = false; // the resolver keeps up again
}

DnsAhead::Late DnsAhead::LateAnswer(quint64 question) const
{
    const auto found = m_late.find(question);
    if (found == m_late.end())
        return Late::NotDelegated;
    if (!found->second.delegated)
        return Late::Waiting;
    return *found->second.delegated ? Late::Delegated : Late::NotDelegated;
}

void DnsAhead::HoldFree(WaitingName waiting, Judgement judgement)
{
    Unanswered &unanswered = m_late[waiting.dnsQuestion];
    unanswered.free = std::move(waiting);
    unanswered.judgement = std::move(judgement);
}

void DnsAhead::LateAnswered(quint64 id, bool delegated)
{
    const auto found = m_late.find(id);
    if (found == m_late.end())
        return; // whois decided it without the answer
    NoteAnswerTime(found->second.askedAt);
    if (!found->second.free) {
        found->second.delegated = delegated; // whois still asks it
        return;
    }
    const WaitingName waiting = std::move(*found->second.free);
    const Judgement judgement = std::move(found->second.judgement);
    m_late.erase(found);
    emit freeAnswered(waiting, judgement, delegated);
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
        first = std::min(first.value_or(m_asking.begin()->second.waiting.ordinal),
                         m_asking.begin()->second.waiting.ordinal);
    return first;
}

std::optional<qint64> DnsAhead::FirstHeldFreeOrdinal() const
{
    std::optional<qint64> first;
    for (const auto &[id, unanswered] : m_late) {
        if (unanswered.free)
            first = std::min(first.value_or(unanswered.free->ordinal), unanswered.free->ordinal);
    }
    return first;
}
