#include "Clock.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace {

// Most of these timers are watchdogs started again for every name, long before they are due.
// Moving an event loop timer costs a removal and an insertion in its sorted list each time, so a
// timer armed for a deadline no later than the new one stays armed: when it fires early it arms
// itself for the rest. A stopped timer that is still armed fires into nothing.
class SystemTimer : public ClockTimer
{
public:
    explicit SystemTimer(const QElapsedTimer &clock) : m_clock(clock)
    {
        // Deadlines are kept to the millisecond, not rounded to the loop's coarse ticks.
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, &SystemTimer::OnFired);
    }
    void Start(qint64 ms) override
    {
        ms = std::clamp<qint64>(ms, 0, std::numeric_limits<int>::max());
        m_deadline = m_clock.elapsed() + ms;
        if (!m_timer.isActive() || m_armedFor > m_deadline)
            Arm(ms);
    }
    void Stop() override { m_deadline = -1; }
    bool isActive() const override { return m_deadline >= 0; }

private:
    void Arm(qint64 ms)
    {
        m_armedFor = m_clock.elapsed() + ms;
        m_timer.start(static_cast<int>(ms));
    }
    void OnFired()
    {
        if (m_deadline < 0)
            return;
        if (const qint64 left = m_deadline - m_clock.elapsed(); left > 0) {
            Arm(left);
            return;
        }
        m_deadline = -1;
        emit timeout();
    }

    const QElapsedTimer &m_clock;
    QTimer m_timer;
    qint64 m_deadline = -1; // on m_clock; -1 while stopped
    qint64 m_armedFor = -1; // when m_timer fires
};

class SystemClock : public Clock
{
public:
    SystemClock() { m_elapsed.start(); }
    qint64 Now() const override { return m_elapsed.elapsed(); }
    std::unique_ptr<ClockTimer> MakeTimer() override { return std::make_unique<SystemTimer>(m_elapsed); }

private:
    QElapsedTimer m_elapsed;
};

} // namespace

Clock &Clock::System()
{
    static SystemClock clock;
    return clock;
}
