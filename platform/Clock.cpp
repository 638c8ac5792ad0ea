#include "Clock.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace {

class SystemTimer : public ClockTimer
{
public:
    SystemTimer()
    {
        // Deadlines are kept to the millisecond, not rounded to the loop's coarse ticks.
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, &ClockTimer::timeout);
    }
    void Start(qint64 ms) override
    {
        m_timer.start(static_cast<int>(std::clamp<qint64>(ms, 0, std::numeric_limits<int>::max())));
    }
    void Stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

class SystemClock : public Clock
{
public:
    SystemClock() { m_elapsed.start(); }
    qint64 Now() const override { return m_elapsed.elapsed(); }
    std::unique_ptr<ClockTimer> MakeTimer() override { return std::make_unique<SystemTimer>(); }

private:
    QElapsedTimer m_elapsed;
};

} // namespace

Clock &Clock::System()
{
    static SystemClock clock;
    return clock;
}
