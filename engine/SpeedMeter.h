#pragma once

#include <QtGlobal>

#include <deque>
#include <optional>

// How fast a run gets its verdicts: the names decided within the last kWindowMs (or since the
// start, when that was more recent), per second, and from that the time left for the names
// still to come. Times are the engine's clock in milliseconds.
//
//     SpeedMeter speed;
//     speed.Start(now);
//     speed.Counted(now);                        // a name got its verdict
//     speed.NamesPerSecond(now);                 // 0 until a name was counted
//     speed.SecondsLeft(now, 4000);              // nothing while the speed is unknown
class SpeedMeter
{
public:
    static constexpr qint64 kWindowMs = 30000;

    void Start(qint64 now);
    void Counted(qint64 now);
    double NamesPerSecond(qint64 now) const;
    std::optional<qint64> SecondsLeft(qint64 now, qint64 namesLeft) const;

private:
    void Forget(qint64 now) const;

    qint64 m_startedAt = 0;
    mutable std::deque<qint64> m_times; // of the verdicts within the window
};
