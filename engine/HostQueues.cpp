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
    for (auto it = m_queues.begin(); it != m_queues.end(); ++it) {
        Queue &queue = *it;
        if (queue.empty())
            continue;
        const qint64 wait = pacer.WaitFor(it.key(), now);
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
    for (auto it = m_queues.begin(); it != m_queues.end(); ++it) {
        if (it->empty() || pacer.WaitFor(it.key(), now) != HostPacer::kQuotaSpent)
            continue;
        for (std::deque<WaitingName> *from : {&it->firstAsks, &it->retries}) {
            std::move(from->begin(), from->end(), std::back_inserter(taken));
            from->clear();
        }
    }
    return taken;
}

bool HostQueues::RoomToRead(const HostPacer &pacer, qint64 now, int lookahead) const
{
    const auto hosts = std::count_if(m_queues.cbegin(), m_queues.cend(), [](const Queue &queue) {
        return !queue.empty();
    });
    // Every host's fair share of the read-ahead; a host that must wait counts no further, so
    // that the names of the others are read past its names.
    const qsizetype share = std::max<qsizetype>(1, lookahead / std::max<qsizetype>(1, hosts + 1));
    qsizetype counted = 0;
    for (auto it = m_queues.cbegin(); it != m_queues.cend(); ++it)
        counted += pacer.WaitFor(it.key(), now) == 0 ? it->size() : std::min(it->size(), share);
    return counted < lookahead;
}

std::optional<qint64> HostQueues::FirstAskOrdinal() const
{
    std::optional<qint64> first;
    for (const Queue &queue : m_queues) {
        if (!queue.firstAsks.empty())
            first = std::min(first.value_or(queue.firstAsks.front().ordinal), queue.firstAsks.front().ordinal);
    }
    return first;
}

std::optional<qint64> HostQueues::FirstOrdinal() const
{
    std::optional<qint64> first = FirstAskOrdinal();
    for (const Queue &queue : m_queues) {
        for (const WaitingName &waiting : queue.retries)
            first = std::min(first.value_or(waiting.ordinal), waiting.ordinal);
    }
    return first;
}
