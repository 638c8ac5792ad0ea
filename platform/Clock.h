#pragma once

#include <QObject>

#include <memory>

class ClockTimer;

// A monotonic clock in milliseconds, and single-shot timers that run on it.
//
// The program runs on Clock::System(): the event loop's timers. Tests run the check engine on a
// ManualClock that they move forward by hand, so that pacing, cool-downs and deadlines are
// checked in order and outcome without waiting for them.
//
//     std::unique_ptr<ClockTimer> timer = clock.MakeTimer();
//     QObject::connect(timer.get(), &ClockTimer::timeout, ...);
//     timer->Start(250);   // fires once, 250 ms on this clock from now
class Clock
{
public:
    virtual ~Clock() = default;
    virtual qint64 Now() const = 0;
    virtual std::unique_ptr<ClockTimer> MakeTimer() = 0;

    // The event loop's monotonic clock.
    static Clock &System();
};

// A single-shot timer of a Clock. Starting it again moves its deadline.
class ClockTimer : public QObject
{
    Q_OBJECT
public:
    virtual void Start(qint64 ms) = 0;
    virtual void Stop() = 0;
    virtual bool isActive() const = 0;

signals:
    void timeout();
};
