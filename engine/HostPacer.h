#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>

// How hard one whois host may be asked.
struct HostLimit
{
    double perSecond = 0; // queries started per second; 0: no spacing
    int maxOpen = 25;     // connections open at once

    friend bool operator==(const HostLimit &, const HostLimit &) = default;
};

// Keeps the check engine within what each whois host allows:
// - queries to one host are spaced by its limit and never more than its open connections run at
//   once; hosts do not wait for each other;
// - a host that refused (a rate-limit reply) cools down: no query for a while that grows with
//   each refusal (with jitter, capped), and from then on it is asked at the pace it had answered
//   at before it refused, so that it is not refused again.
//
// Registries that publish a limit have one built in (Limits()); every other host gets the
// default, which leaves a fast host as fast as the pool allows. The user's setting text
// ("host=perSecond/maxOpen; ...") adds to and overrides both.
//
// Time is the engine's monotonic clock in milliseconds.
class HostPacer
{
public:
    struct Timings
    {
        int coolDownBaseMs = 10000; // the first cool-down of a host
        int coolDownCapMs = 300000; // no cool-down is longer
        int paceWindowMs = 10000;   // the answers before a refusal that set the new pace
        int minPaceWindowMs = 1000; // a refusal right after the start measures at least this long
    };
    using Random = std::function<double()>; // uniform in [0, 1)

    static const HostLimit kDefault;
    // The default of an RDAP service: as many questions at once as the HTTP client keeps
    // connections to one host, so that no slot waits inside the client.
    static const HostLimit kHttpDefault;
    // The built-in limits of the registries that publish theirs.
    static const QHash<QString, HostLimit> &BuiltInLimits();
    // Reads "whois.nic.uk=5/2; whois.example=0.5/1" (queries a second / open connections);
    // nothing for text it cannot read, with what was wrong.
    static std::optional<QHash<QString, HostLimit>> ParseLimits(const QString &text,
                                                                QString *error = nullptr);

    HostPacer() : HostPacer(Timings()) {}
    explicit HostPacer(Timings timings, Random random = {});

    // The user's limits on top of the built-in ones.
    void setUserLimits(const QHash<QString, HostLimit> &limits) { m_userLimits = limits; }
    HostLimit LimitFor(const QString &host) const;
    // The host is an RDAP service's: without a limit of its own it gets kHttpDefault.
    void MarkHttpHost(const QString &host) { m_httpHosts.insert(host.toLower()); }
    // Forgets every host's state (a new run).
    void Reset();

    // How long a query to the host must still wait at `now`: 0 when it may start.
    qint64 WaitFor(const QString &host, qint64 now) const;
    // A query to the host starts, or ends (answered, refused or given up).
    void Started(const QString &host, qint64 now);
    void Ended(const QString &host);
    // The host answered a query.
    void Answered(const QString &host, qint64 now);
    // The host refused a query: returns the cool-down in ms, or 0 when it is cooling down
    // already (queries that were under way when the first refusal came). A cool-down the host
    // asked for (serverCoolDownMs, when not negative) replaces the computed one.
    qint64 Refused(const QString &host, qint64 now, qint64 serverCoolDownMs = -1);

    bool isCoolingDown(const QString &host, qint64 now) const;
    int openCount(const QString &host) const;

private:
    struct HostState
    {
        int open = 0;
        qint64 nextStart = 0;             // the earliest start the spacing allows
        qint64 coolUntil = 0;             // no start before this after a refusal
        int refusals = 0;                 // refusals in a row
        QList<qint64> answers;            // times of recent answers, oldest first
        std::optional<HostLimit> learned; // the pace after a refusal
    };
    HostLimit EffectiveLimit(const QString &host, const HostState *state) const;

    Timings m_timings;
    Random m_random;
    QHash<QString, HostLimit> m_userLimits;
    QSet<QString> m_httpHosts;
    QHash<QString, HostState> m_hosts;
};
