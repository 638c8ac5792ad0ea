#pragma once

#include "NameCheck.h"

#include <QString>

#include <deque>
#include <map>
#include <optional>
#include <vector>

class HostPacer;

// A name read from the list that waits for its turn: its place in the list, how often it was
// asked, and whether DNS let it pass to whois (it is counted when it is asked).
struct WaitingName
{
    CheckedName checked;
    qint64 ordinal = 0;
    int tries = 0;
    bool passedDns = false;
    bool control = false; // a control query (see ControlQueries), filed nowhere
    quint64 dnsQuestion = 0;      // its DNS question, when whois took it before DNS answered
    qint64 firstRefusedAt = -1;   // when its host first refused it (engine clock); -1: never
    qint64 answersAtRefusal = -1; // the host's answer count at its first refusal
};

// The names that wait for their whois or RDAP host, a queue per host: first asks in list order,
// then the names the host refused. The next name to start is, of the hosts the pacer lets ask
// now, the one whose next name came first in the list; a refused name never holds its host's
// first asks back.
//
//     queues.Add(waiting);
//     if (std::optional<WaitingName> next = queues.TakeReady(pacer, now, nextWake)) ...
class HostQueues
{
public:
    void Clear() { m_queues.clear(); }
    // A first ask, in list order (DNS answers come in any order); a refused name, at the back.
    void AddFirstAsk(WaitingName waiting);
    void AddRetry(WaitingName waiting);
    std::optional<WaitingName> TakeReady(const HostPacer &pacer, qint64 now, qint64 &nextWake);
    // Every name of the hosts whose quota is used up for long (HostPacer::kQuotaSpent).
    std::vector<WaitingName> TakeQuotaSpent(const HostPacer &pacer, qint64 now);
    // Whether the list may be read further: the waiting names, hosts that must wait counted with
    // their fair share of `lookahead` at most, are fewer than `lookahead`.
    bool RoomToRead(const HostPacer &pacer, qint64 now, int lookahead) const;
    // The first ordinal waiting for its first ask, and the first of all; nothing when none.
    std::optional<qint64> FirstAskOrdinal() const;
    std::optional<qint64> FirstOrdinal() const;
    // Whether names wait for the host.
    bool HasWaiting(const QString &host) const
    {
        const auto it = m_queues.find(host);
        return it != m_queues.end() && !it->second.empty();
    }

private:
    struct Queue
    {
        std::deque<WaitingName> firstAsks;
        std::deque<WaitingName> retries;
        bool empty() const { return firstAsks.empty() && retries.empty(); }
        qsizetype size() const { return qsizetype(firstAsks.size() + retries.size()); }
        const WaitingName &next() const { return firstAsks.empty() ? retries.front() : firstAsks.front(); }
    };
    // By host. Hosts are few and the queues are walked for every name taken: an ordered map walks
    // its few entries, where a hash walks every slot of its table.
    std::map<QString, Queue> m_queues;
};
