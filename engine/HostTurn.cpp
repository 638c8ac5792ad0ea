#include "HostTurn.h"

HostTurn::HostTurn(HostPacer &pacer, Clock &clock, QString host, QObject *parent)
    : QObject(parent), m_pacer(pacer), m_clock(clock), m_host(std::move(host)), m_timer(clock.MakeTimer())
{
    connect(m_timer.get(), &ClockTimer::timeout, this, &HostTurn::TryNow);
}

HostTurn::~HostTurn()
{
    Release(false);
}

void HostTurn::Take(std::function<void()> go, std::function<void(qint64 ms)> waiting)
{
    Release(false);
    m_go = std::move(go);
    m_waiting = std::move(waiting);
    TryNow();
}

void HostTurn::TryNow()
{
    if (!m_go)
        return;
    const qint64 now = m_clock.Now();
    const qint64 wait = m_pacer.WaitFor(m_host, now);
    if (wait == HostPacer::kQuotaSpent) {
        m_go = {};
        if (m_waiting)
            std::exchange(m_waiting, {})(wait);
        return;
    }
    if (wait != 0) {
        if (m_waiting)
            m_waiting(wait);
        m_timer->Start(wait > 0 ? wait : kPollMs);
        return;
    }
    m_pacer.Started(m_host, now);
    m_holding = true;
    m_startedAt = now;
    std::exchange(m_go, {})();
}

bool HostTurn::EndTurn()
{
    m_timer->Stop();
    m_go = {};
    if (!std::exchange(m_holding, false))
        return false;
    m_pacer.Ended(m_host);
    return true;
}

void HostTurn::Release(bool answered)
{
    if (EndTurn() && answered)
        m_pacer.Answered(m_host, m_startedAt, m_clock.Now());
}

void HostTurn::Refused(qint64 serverCoolDownMs)
{
    if (EndTurn())
        m_pacer.Refused(m_host, m_startedAt, m_clock.Now(), serverCoolDownMs);
}

QString HostTurn::QuotaReason() const
{
    return m_pacer.QuotaReason(m_host, m_clock.Now());
}
