#pragma once

#include "HostLimit.h"

#include <QHash>
#include <QList>
#include <QString>

#include <deque>
#include <optional>

// Queries counted in a stretch of time, to keep or restore: how long ago it began, and how many.
struct QuotaUse
{
    qint64 ageMs = 0;
    int count = 0;
    friend bool operator==(const QuotaUse &, const QuotaUse &) = default;
};
using QuotaUsage = QHash<QString, QList<QuotaUse>>; // by lower-case host, oldest first

// The queries sent to each host with a quota (HostLimit::windowQueries/windowMinutes, perDay),
// counted in stretches of kStretchMs, so that a list of a million names never sends a host more
// than it allows in a window or a day, also over restarts of the program (Kept() / Restore()).
// A stretch counts in full until all of it has left the window: the quota errs on the safe side.
//
// Time is the engine's monotonic clock in milliseconds.
class QueryQuota
{
public:
    static constexpr qint64 kStretchMs = 10000;
    static constexpr qint64 kDayMs = 24 * 60 * 60 * 1000;

    // A quota that is used up: which one, and when the next query fits.
    struct Spent
    {
        bool daily = false;
        int allowed = 0;    // queries the quota allows...
        int minutes = 0;    // ...in this many minutes (a day: 1440)
        qint64 waitMs = 0;  // until the next query fits
    };

    void Count(const QString &host, qint64 now);
    std::optional<Spent> SpentAt(const QString &host, const HostLimit &limit, qint64 now) const;
    // The counts of the last day, with their ages at `now`; and the same brought back.
    QuotaUsage Kept(qint64 now) const;
    void Restore(const QuotaUsage &usage, qint64 now);
    // "HOST allows N queries a day; the next ones after HH:MM" (or "in M minutes"), with the
    // time of day `nextAt` gives.
    static QString Reason(const QString &host, const Spent &spent, const QString &nextAt);

private:
    struct Stretch
    {
        qint64 start = 0;
        int count = 0;
    };
    void DropOld(std::deque<Stretch> &stretches, qint64 now) const;

    QHash<QString, std::deque<Stretch>> m_hosts;
};
