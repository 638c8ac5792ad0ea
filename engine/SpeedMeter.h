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
    // Verdicts within this many milliseconds of each other are kept as one count, so a fast run
    // keeps at most kWindowMs / kBucketMs counts; one leaves the window with its last verdict.
    static constexpr qint64 kBucketMs = 100;

    void Start(qint64 now);
    void Counted(qint64 now);
    double NamesPerSecond(qint64 now) const;
    std::optional<qint64> SecondsLeft(qint64 now, qint64 namesLeft) const;

private:
    void Forget(qint64 now) const;

    struct Bucket
    {
        qint64 first = 0; // the times of its first and last verdict
        qint64 last = 0;
        qint64 count = 0;
    };

    qint64 m_startedAt = 0;
    mutable qint64 m_counted = 0; // verdicts within the window
    mutable std::deque<Bucket> m_buckets;
};
