#pragma once

#include "HostLimit.h"
#include "QueryQuota.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <deque>
#include <functional>
#include <optional>

// Keeps every checker (the run, the browse window's, the details window) within what each whois
// host allows, and finds out what that is:
// - queries to one host are spaced by its pace and never more than its open connections run at
//   once; hosts do not wait for each other;
// - a host with a quota (N queries in M minutes, N a day) is never sent more: its queries wait
//   when the quota frees within kQuotaWaitMs, else WaitFor() says kQuotaSpent;
// - a host with neither a known nor a remembered limit starts with kSlowStartOpen queries at
//   once, and that number doubles with every round of answers up to its limit (slow start), so
//   a strict registry sees few refusals and a fast one has all 25 connections within a second;
// - a refusal (a rate-limit reply) to a query started after the host's last refusal cuts the
//   host's pace once: to 0.8 of the pace it answered at just before (measured over no less than
//   a round trip), or to half its pace when it answered nothing since its last refusal, never
//   below kSlowestPace. A host that was answering rests for a moment (its own window of counted
//   queries runs out); a host that answered nothing since its last refusal cools down: 10 s,
//   then 20, 40 ... with jitter, never longer than the cap. Refusals of queries sent before the
//   last one are the same episode and change nothing;
// - after a cut, every second of clean answers (or round trip, when that is longer) the pace
//   doubles until it reaches the host's configured limit (and is dropped there); a host refused
//   more than once comes to the pace it was refused at by halving the distance, and holds just
//   below it for a few seconds before it tries past it;
// - the pace a host held for such a stretch without a refusal is what it learned, to start the
//   next run with; back at full speed it has nothing to teach, and slow start teaches nothing.
//
// Registries that publish a limit have one built in (data/whois-limits.txt), to which a file of
// the user's adds rows (setFileLimits); every other host gets the default, which leaves a fast
// host as fast as the pool allows. The user's setting text ("host=perSecond/maxOpen; ...") wins
// over both, and a host with a limit of the user's never starts at a remembered pace.
//
// Time is the engine's monotonic clock in milliseconds.
class HostPacer
{
public:
    struct Timings
    {
        int coolDownBaseMs = 10000; // the first cool-down of a host that answers nothing
        int coolDownCapMs = 300000; // no cool-down is longer
        int paceWindowMs = 10000;   // the answers before a refusal that set the new pace
        int minPaceWindowMs = 10;   // the shortest span a pace is measured over (or a round trip)
        int restMs = 1000;          // the pause of a host that refused while it was answering
        int raiseEveryMs = 1000;    // a cut pace rises this often while answered cleanly
    };
    using Random = std::function<double()>; // uniform in [0, 1)

    static constexpr int kSlowStartOpen = 2;    // queries at once to a host of unknown limit
    static constexpr double kSlowestPace = 0.1; // a learned pace never drops below this
    static constexpr qint64 kQuotaWaitMs = 60000; // a quota freeing sooner than this is waited for
    static constexpr qint64 kQuotaSpent = -2;     // WaitFor(): the host's quota is used up for long
    static const HostLimit kDefault;
    // The default of an RDAP service: as many questions at once as the HTTP client keeps
    // connections to one host, so that no slot waits inside the client.
    static const HostLimit kHttpDefault;
    // The built-in limits of the registries that publish theirs.
    static const QHash<QString, HostLimit> &BuiltInLimits();
    const Timings &timings() const { return m_timings; }

    // A pace learned from a host's refusal, and when (on the engine's clock).
    struct Learned
    {
        HostLimit limit;
        qint64 at = 0;
    };
    // A host asked slower than its configured limit, or cooling down.
    struct Paced
    {
        QString host;
        double perSecond = 0; // 0: at its configured limit
        qint64 coolingMs = 0; // how long it still rests or cools down
    };

    HostPacer() : HostPacer(Timings()) {}
    explicit HostPacer(Timings timings, Random random = {});

    // The user's limits on top of the built-in ones and the file's.
    void setUserLimits(const QHash<QString, HostLimit> &limits)
    {
        m_userLimits = limits;
        m_limitHost.clear();
    }
    // The rows of the user's limits file, on top of the built-in ones.
    void setFileLimits(const QHash<QString, HostLimit> &limits)
    {
        m_fileLimits = limits;
        m_limitHost.clear();
    }
    // The configured limit: the user's, the file's, the built-in one, or the default.
    HostLimit LimitFor(const QString &host) const;
    // The host is an RDAP service's: without a limit of its own it gets kHttpDefault.
    void MarkHttpHost(const QString &host)
    {
        m_httpHosts.insert(host.toLower());
        m_limitHost.clear();
    }
    // Forgets every host's state (a new run). Hosts of `remembered` (paces learned in earlier
    // runs) start at that pace, unless the user set a limit for them or the pace is no slower
    // than their configured limit.
    void Reset(qint64 now = 0, const QHash<QString, Learned> &remembered = {});

    // How long a query to the host must still wait at `now`: 0 when it may start, -1 until one
    // of its queries ends, kQuotaSpent when its quota frees only after kQuotaWaitMs.
    qint64 WaitFor(const QString &host, qint64 now) const;
    // The host's used-up quota at `now`, when it has one.
    std::optional<QueryQuota::Spent> QuotaSpent(const QString &host, qint64 now) const;
    // "HOST allows N queries a day; the next ones after HH:MM" (local time) while it is used up,
    // else nothing.
    QString QuotaReason(const QString &host, qint64 now) const;
    // The queries the host answered so far (a name it refuses again while it answers others is
    // that name's problem, not the host's).
    qint64 AnswerCount(const QString &host) const;
    // A query (or a new connection of one) to the host starts, or ends.
    void Started(const QString &host, qint64 now);
    void Ended(const QString &host);
    // The host answered a query that was started at `startedAt`.
    void Answered(const QString &host, qint64 startedAt, qint64 now);
    // The host refused a query started at `startedAt`: returns the rest or cool-down in ms, or 0
    // when the refusal belongs to the episode that is running (the query was sent before the
    // host's last refusal came in, or in the same millisecond). A wait the host asked for (serverCoolDownMs,
    // when not negative) replaces the computed one, within the cap, and lengthens a running cool-down.
    qint64 Refused(const QString &host, qint64 startedAt, qint64 now, qint64 serverCoolDownMs = -1);

    bool isCoolingDown(const QString &host, qint64 now) const;
    int openCount(const QString &host) const;
    // The queries a second the host is asked at now; 0 for no spacing.
    double PaceOf(const QString &host) const;
    // The hosts asked slower than their limit or cooling down, by name.
    QList<Paced> PacedHosts(qint64 now) const;
    // The pace each host learned at its last refusal (or brought from an earlier run).
    QHash<QString, Learned> LearnedPaces() const;
    // The same with their ages at `now`, to keep for later runs; and Reset() from what was kept.
    QHash<QString, RememberedPace> RememberedPaces(qint64 now) const;
    void Begin(qint64 now, const QHash<QString, RememberedPace> &remembered);
    // The queries counted against quotas (they outlive Reset() and Begin()), and the same
    // brought back from an earlier start of the program.
    QuotaUsage KeptQuota(qint64 now) const { return m_quota.Kept(now); }
    void RestoreQuota(const QuotaUsage &usage, qint64 now) { m_quota.Restore(usage, now); }

private:
    struct HostState
    {
        int open = 0;
        qint64 nextStart = 0;    // the earliest start the spacing allows
        qint64 coolUntil = 0;    // no start before this after a refusal
        qint64 lastRefusal = -1; // when the last refusal of a new episode came; -1: none yet
        bool answeredSinceRefusal = false;
        int coolDowns = 0;              // cool-downs in a row without an answer between them
        std::deque<qint64> answers;     // times of recent answers, oldest first
        std::optional<HostLimit> pace;  // asked at this pace instead of the configured limit
        qint64 lastRaise = 0;           // when the pace last rose or was set
        std::optional<Learned> learned; // the fastest pace it held cleanly, to be remembered
        double refusedPace = 0;         // the pace it answered at when it last refused; 0: none
        int raisesNearRefusal = 0;      // clean stretches it held just below that pace
        int refusals = 0;               // refusals while answering, each of its own episode
        qint64 lastAnswer = -1;         // when it last answered
        qint64 answerCount = 0;
        qint64 roundTrip = 0;           // smoothed time from a query's start to its answer
        int slowStartOpen = 0;          // queries at once while probing; 0: probing is over
        // How the last pace was measured: answers over a span, and the most it may be. Answers
        // to queries sent before that refusal that come in while the host rests count too.
        qsizetype measuredAnswers = 0;
        qint64 measuredSpan = 0;
        double paceCeiling = 0;
        int answersThisRound = 0; // answers since slowStartOpen last doubled
    };
    HostState &StateOf(const QString &host);
    HostLimit EffectiveLimit(const QString &host, const HostState *state) const;
    bool HasKnownLimit(const QString &host) const;
    void RaisePace(const QString &host, HostState &state, qint64 now);
    // Sets the pace a refusal teaches; whether the host was answering until then.
    bool SetPaceAfterRefusal(const QString &host, HostState &state, qint64 now);

    Timings m_timings;
    Random m_random;
    QHash<QString, HostLimit> m_userLimits;
    QHash<QString, HostLimit> m_fileLimits;
    QueryQuota m_quota;
    QSet<QString> m_httpHosts;
    QHash<QString, HostState> m_hosts;
    // The host LimitFor() was last asked for, as asked, and its limit: a run asks for the same
    // host name after name, several times a name.
    mutable QString m_limitHost;
    mutable HostLimit m_limitOfHost;
};
