#include "SpeedMeter.h"

#include <algorithm>
#include <cmath>

void SpeedMeter::Start(qint64 now)
{
    m_startedAt = now;
    m_counted = 0;
    m_buckets.clear();
}

void SpeedMeter::Counted(qint64 now)
{
    if (!m_buckets.empty() && now - m_buckets.back().first < kBucketMs) {
        m_buckets.back().last = now;
        ++m_buckets.back().count;
    } else {
        m_buckets.push_back(Bucket{now, now, 1});
    }
    ++m_counted;
    Forget(now);
}

void SpeedMeter::Forget(qint64 now) const
{
    while (!m_buckets.empty() && m_buckets.front().last <= now - kWindowMs) {
        m_counted -= m_buckets.front().count;
        m_buckets.pop_front();
    }
}

double SpeedMeter::NamesPerSecond(qint64 now) const
{
    Forget(now);
    // A run younger than the window is measured over its own age, at least a second of it.
    const qint64 span = std::clamp<qint64>(now - m_startedAt, 1000, kWindowMs);
    return static_cast<double>(m_counted) * 1000.0 / static_cast<double>(span);
}

std::optional<qint64> SpeedMeter::SecondsLeft(qint64 now, qint64 namesLeft) const
{
    const double speed = NamesPerSecond(now);
    if (speed <= 0 || namesLeft < 0)
        return std::nullopt;
    return static_cast<qint64>(std::ceil(static_cast<double>(namesLeft) / speed));
}
