#include "ManualClock.h"

#include <QCoreApplication>

#include <algorithm>

class ManualClock::Timer : public ClockTimer
{
public:
    explicit Timer(ManualClock &clock) : m_clock(&clock) { clock.m_timers.push_back(this); }
    ~Timer() override
    {
        if (m_clock)
            std::erase(m_clock->m_timers, this);
    }
    void Start(qint64 ms) override
    {
        m_due = m_clock ? m_clock->m_now + std::max<qint64>(0, ms) : 0;
        m_order = m_clock ? ++m_clock->m_sequence : 0;
        m_active = true;
    }
    void Stop() override { m_active = false; }
    bool isActive() const override { return m_active; }
    void Fire()
    {
        m_active = false;
        emit timeout();
    }

    ManualClock *m_clock;
    qint64 m_due = 0;
    quint64 m_order = 0;
    bool m_active = false;
};

ManualClock::~ManualClock()
{
    for (Timer *timer : m_timers)
        timer->m_clock = nullptr;
}

std::unique_ptr<ClockTimer> ManualClock::MakeTimer()
{
    return std::make_unique<Timer>(*this);
}

void ManualClock::Advance(qint64 ms)
{
    const qint64 end = m_now + std::max<qint64>(0, ms);
    for (;;) {
        Timer *next = nullptr;
        for (Timer *timer : m_timers) {
            if (timer->m_active && timer->m_due <= end &&
                (!next || std::pair(timer->m_due, timer->m_order) < std::pair(next->m_due, next->m_order)))
                next = timer;
        }
        if (!next)
            break;
        m_now = std::max(m_now, next->m_due);
        next->Fire();
        QCoreApplication::processEvents();
    }
    m_now = end;
    QCoreApplication::processEvents();
}
