#include "QueryQuota.h"

#include <algorithm>

void QueryQuota::DropOld(std::deque<Stretch> &stretches, qint64 now) const
{
    while (!stretches.empty() && stretches.front().start + kStretchMs + kDayMs <= now)
        stretches.pop_front();
}

void QueryQuota::Count(const QString &host, qint64 now)
{
    std::deque<Stretch> &stretches = m_hosts[host.toLower()];
    DropOld(stretches, now);
    const qint64 start = now - now % kStretchMs;
    if (stretches.empty() || stretches.back().start < start)
        stretches.push_back({start, 0});
    ++stretches.back().count;
}

std::optional<QueryQuota::Spent> QueryQuota::SpentAt(const QString &host, const HostLimit &limit, qint64 now) const
{
    const auto found = m_hosts.constFind(host.toLower());
    if (found == m_hosts.constEnd())
        return std::nullopt;
    const std::deque<Stretch> &stretches = *found;
    // When the queries of `windowMs` drop below `allowed`: 0 when they are below now.
    const auto waitIn = [&](qint64 windowMs, int allowed) -> qint64 {
        const auto first = std::find_if(stretches.begin(), stretches.end(), [&](const Stretch &stretch) {
            return stretch.start + kStretchMs + windowMs > now;
        });
        qint64 counted = 0;
        for (auto it = first; it != stretches.end(); ++it)
            counted += it->count;
        for (auto it = first; it != stretches.end() && counted >= allowed; ++it) {
            counted -= it->count;
            if (counted < allowed)
                return it->start + kStretchMs + windowMs - now;
        }
        return 0;
    };
    std::optional<Spent> spent;
    if (limit.perDay > 0) {
        if (const qint64 wait = waitIn(kDayMs, limit.perDay); wait > 0)
            spent = Spent{true, limit.perDay, 24 * 60, wait};
    }
    if (limit.windowQueries > 0 && limit.windowMinutes > 0) {
        const qint64 wait = waitIn(qint64(limit.windowMinutes) * 60000, limit.windowQueries);
        if (wait > 0 && (!spent || wait > spent->waitMs))
            spent = Spent{false, limit.windowQueries, limit.windowMinutes, wait};
    }
    return spent;
}

QuotaUsage QueryQuota::Kept(qint64 now) const
{
    QuotaUsage usage;
    for (auto it = m_hosts.cbegin(); it != m_hosts.cend(); ++it) {
        QList<QuotaUse> uses;
        for (const Stretch &stretch : *it) {
            if (stretch.start + kStretchMs + kDayMs > now)
                uses.append({std::max<qint64>(0, now - stretch.start), stretch.count});
        }
        if (!uses.isEmpty())
            usage.insert(it.key(), uses);
    }
    return usage;
}

void QueryQuota::Restore(const QuotaUsage &usage, qint64 now)
{
    m_hosts.clear();
    for (auto it = usage.cbegin(); it != usage.cend(); ++it) {
        std::deque<Stretch> &stretches = m_hosts[it.key().toLower()];
        for (const QuotaUse &use : *it) {
            if (use.count > 0 && use.ageMs >= 0 && use.ageMs < kDayMs + kStretchMs)
                stretches.push_back({now - use.ageMs, use.count});
        }
        std::sort(stretches.begin(), stretches.end(),
                  [](const Stretch &a, const Stretch &b) { return a.start < b.start; });
    }
}

QString QueryQuota::Reason(const QString &host, const Spent &spent, const QString &nextAt)
{
    const QString span = spent.daily             ? QStringLiteral("a day")
                         : spent.minutes == 1 ? QStringLiteral("a minute")
                                              : QStringLiteral("in %1 minutes").arg(spent.minutes);
    return QStringLiteral("%1 allows %2 queries %3; the next ones after %4").arg(host).arg(spent.allowed).arg(span, nextAt);
}
