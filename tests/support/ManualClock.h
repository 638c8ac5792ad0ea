#pragma once

#include "platform/Clock.h"

#include <vector>

// A clock that stands still until the test moves it. Advance() fires every timer that falls due
// on the way, in the order of their deadlines, with Now() at each deadline; what a timer starts
// while firing fires in the same call when it falls due before the end.
class ManualClock : public Clock
{
public:
    ~ManualClock() override;
    qint64 Now() const override { return m_now; }
    std::unique_ptr<ClockTimer> MakeTimer() override;

    void Advance(qint64 ms);
    // Moves on until the condition holds, in steps of `stepMs`, at most `limitMs`; false when it
    // never held.
    template<typename Condition> bool AdvanceUntil(Condition condition, qint64 limitMs, qint64 stepMs = 10)
    {
        for (qint64 waited = 0; !condition(); waited += stepMs) {
            if (waited >= limitMs)
                return false;
            Advance(stepMs);
        }
        return true;
    }

private:
    class Timer;
    friend class Timer;
    qint64 m_now = 1000000; // far from zero, so that "never" (0) is in the past
    quint64 m_sequence = 0;
    std::vector<Timer *> m_timers;
};
