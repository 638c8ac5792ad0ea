#include "HostQueues.h"

#include "HostPacer.h"

#include <algorithm>

void HostQueues::AddFirstAsk(WaitingName waiting)
{
    std::deque<WaitingName> &firstAsks = m_queues[waiting.checked.host].firstAsks;
    auto at = firstAsks.end();
    while (at != firstAsks.begin() && std::prev(at)->ordinal > waiting.ordinal)
        --at;
    firstAsks.insert(at, std::move(waiting));
}

void HostQueues::AddRetry(WaitingName waiting)
{
    m_queues[waiting.checked.host].retries.push_back(std::move(waiting));
}

std::optional<WaitingName> HostQueues::TakeReady(const HostPacer &pacer, qint64 now, qint64 &nextWake)
{
    Queue *best = nullptr;
    for (auto &[host, queue] : m_queues) {
        if (queue.empty())
            continue;
        const qint64 wait = pacer.WaitFor(host, now);
        if (wait > 0 && (nextWake < 0 || wait < nextWake))
            nextWake = wait;
        if (wait == 0 && (!best || queue.next().ordinal < best->next().ordinal))
            best = &queue;
    }
    if (!best)
        return std::nullopt;
    std::deque<WaitingName> &from = best->firstAsks.empty() ? best->retries : best->firstAsks;
    WaitingName taken = std::move(from.front());
    from.pop_front();
    return taken;
}

std::vector<WaitingName> HostQueues::TakeQuotaSpent(const HostPacer &pacer, qint64 now)
{
    std::vector<WaitingName> taken;
    for (auto &[host, queue] : m_queues) {
        if (queue.empty() || pacer.WaitFor(host, now) != HostPacer::kQuotaSpent)
            continue;
        for (std::deque<WaitingName> *from : {&queue.firstAsks, &queue.retries}) {
            std::move(from->begin(), from->end(), std::back_inserter(taken));
            from->clear();
        }
    }
    return taken;
}

bool HostQueues::RoomToRead(const HostPacer &pacer, qint64 now, int lookahead) const
{
    const auto hosts = std::count_if(m_queues.cbegin(), m_queues.cend(), [](const auto &entry) {
        return !entry.second.empty();
    });
    // Every host's fair share of the read-ahead; a host that must wait counts no further, so
    // that the names of the others are read past its names.
    const qsizetype share = std::max<qsizetype>(1, lookahead / std::max<qsizetype>(1, hosts + 1));
    qsizetype counted = 0;
    for (const auto &[host, queue] : m_queues)
        counted += pacer.WaitFor(host, now) == 0 ? queue.size() : std::min(queue.size(), share);
    return counted < lookahead;
}

std::optional<qint64> HostQueues::FirstAskOrdinal() const
{
    std::optional<qint64> first;
    for (const auto &[host, queue] : m_queues) {
        if (!queue.firstAsks.empty())
            first = std::min(first.value_or(queue.firstAsks.front().ordinal), queue.firstAsks.front().ordinal);
    }
    return first;
}

std::optional<qint64> HostQueues::FirstOrdinal() const
{
    std::optional<qint64> first = FirstAskOrdinal();
    for (const auto &[host, queue] : m_queues) {
        for (const WaitingName &waiting : queue.retries)
            first = std::min(first.value_or(waiting.ordinal), waiting.ordinal);
    }
    return first;
}
