#pragma once

#include "DnsPrecheck.h"
#include "HostQueues.h"

#include <QObject>

#include <deque>
#include <functional>
#include <map>
#include <optional>

// The names a run asks in DNS before whois: up to kInFlight questions at once, in list order,
// ahead of the pool. A delegated name is certainly registered (delegated()); every other answer
// passes the name on to whois (the `pass` call given at construction: a direct call, as every
// name of a run without DNS takes this way). When no resolver answers (DnsPrecheck gives up),
// every name held is passed on, and so is every name added after.
//
//     dns.Begin(settings, timeoutMs, &error);
//     dns.Add(waiting);                 // a name read from the list
//     dns.Ask([&] { return ReadMore(); });
class DnsAhead : public QObject
{
    Q_OBJECT
public:
    static constexpr int kInFlight = 100;

    // What DNS did in a run.
    struct Counts
    {
        int registered = 0;     // delegated: filed registered without a whois question
        int overWhois = 0;      // asked over whois or RDAP after DNS let them pass
        int failures = 0;       // server failures, refusals and timeouts (no such name is none)
        bool turnedOff = false; // no resolver answered: every name went on to whois
    };

    using Pass = std::function<void(const WaitingName &waiting)>;
    DnsAhead(Clock &clock, Pass pass, QObject *parent = nullptr);

    // A run begins: on when the settings ask DNS first and a resolver can be set up; false, with
    // what was wrong, when their servers cannot be used.
    // Whois waits headStartMs for a name's answer before it asks the name without it, and not at
    // all while answers take longer.
    bool Begin(const CheckSettings &settings, int timeoutMs, int headStartMs, QString *error);
    // Drops every name held; no signal of them follows.
    void Stop();
    bool isActive() const { return m_active; }
    // Holds a name read from the list for its question (or passes it on when DNS is off).
    void Add(WaitingName waiting);
    // Asks the names held, up to kInFlight at once, reading more with readMore() (false: no more
    // may be read now) when none is held.
    void Ask(const std::function<bool()> &readMore);
    // A name DNS passed on was asked over whois for the first time.
    void CountAsked();
    // The first name held or asked, and the first free name waiting for its answer.
    std::optional<qint64> FirstOrdinal() const;
    std::optional<qint64> FirstHeldFreeOrdinal() const;
    const Counts &counts() const { return m_counts; }

    // The oldest name asked, once it waited the head start (at once while the resolver is slow),
    // for whois to ask before DNS answers it (its dnsQuestion set); and when the next one will
    // be (-1: none asked).
    std::optional<WaitingName> TakeUnanswered();
    qint64 NextUnansweredAt() const;
    // What DNS said of a name whois took before its answer.
    enum class Late
    {
        Waiting,
        Delegated,
        NotDelegated // or no telling
    };
    Late LateAnswer(quint64 question) const;
    // Whois called the name free before DNS answered: it waits for the answer (freeAnswered).
    void HoldFree(WaitingName waiting, Judgement judgement);
    // Whois decided the name otherwise: its answer no longer matters.
    void Forget(quint64 question) { m_late.erase(question); }

signals:
    void delegated(const WaitingName &waiting);
    void countsChanged();
    // No resolver answers: DNS is off for the run.
    void turnedOff();
    // An answer (or the giving up) moved names on: the pool may have names to ask.
    void answered();
    // The answer for a name held by HoldFree; it is forgotten.
    void freeAnswered(const WaitingName &waiting, const Judgement &judgement, bool delegated);

private:
    void Answered(quint64 id, const DnsPrecheck::Result &result);
    void TurnOff();
    void LateAnswered(quint64 id, bool delegated);
    // An answer to a question asked at askedAt came: whether the resolver keeps up.
    void NoteAnswerTime(qint64 askedAt);

    struct Asking
    {
        WaitingName waiting;
        qint64 askedAt = 0;
    };
    // A name whois took before its DNS answer came.
    struct Unanswered
    {
        std::optional<bool> delegated;     // the answer, once it came
        std::optional<WaitingName> free;   // whois called it free meanwhile
        Judgement judgement;
        qint64 askedAt = 0;
    };

    Clock &m_clock;
    DnsPrecheck m_dns;
    Pass m_pass;
    bool m_active = false;
    bool m_askedAtStart = false; // names it does not see after it turned off count as passed on
    qint64 m_headStartMs = 0;
    bool m_slow = false; // an answer took longer than the head start, and none came within it since
    std::deque<WaitingName> m_held;             // read, not asked yet
    std::map<quint64, Asking> m_asking;         // by question, asked in list order
    std::map<quint64, Unanswered> m_late;       // by question
    quint64 m_nextId = 0;
    Counts m_counts;
};
