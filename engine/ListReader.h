#pragma once

#include "HostQueues.h"
#include "RunRequest.h"

#include <QString>

#include <functional>

class CandidateFile;
class NameCheck;
class RefilingGuard;

// Reads a run's list ahead, a batch of lines at a time, into the names to ask: each line's
// names (NameCheck), at their ordinals, past the extensions a resumed run asked already, and
// without the names an earlier run filed (RefilingGuard).
//
//     ListReader reader(candidates);
//     reader.Begin(request);
//     reader.ReadMore(check, guard, [&](WaitingName waiting) { ...; return stillRunning; }, &error);
class ListReader
{
public:
    static constexpr int kBatch = 200;

    explicit ListReader(CandidateFile &candidates) : m_candidates(candidates) {}

    void Begin(const RunRequest &request);
    enum class Read
    {
        More,   // lines were read, or more may be
        Ended,  // the list ended (its end, or the end marker)
        Failed, // it cannot be read any more, or became shorter: *error says so
        Stopped // `add` said to stop
    };
    // Reads a batch; `add` takes each name and says whether to go on.
    Read ReadMore(const NameCheck &check, const RefilingGuard &guard, const std::function<bool(WaitingName)> &add,
                  QString *error);
    // The next line to read, and whether the list ended.
    qint64 nextLine() const { return m_nextLine; }
    bool ended() const { return m_ended; }

private:
    CandidateFile &m_candidates;
    RunRequest m_request;
    qint64 m_nextLine = 0;
    bool m_ended = false;
};
