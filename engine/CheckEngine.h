#pragma once

#include "DnsPrecheck.h"
#include "Filing.h"
#include "HostPacer.h"
#include "RdapBootstrap.h"
#include "RunRequest.h"
#include "SpeedMeter.h"
#include "WhoisPhrases.h"
#include "WhoisSlot.h"
#include "platform/SocketComponent.h"

#include <QHash>
#include <QNetworkAccessManager>
#include <QObject>
#include <QSet>
#include <QString>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class CandidateFile;
class FiledJournal;
class RegistrarTable;
class ResultFiles;
class ResultLists;

// Timer periods and the clock they run on; tests shrink them or run them on a clock of their
// own, the tick counts stay.
struct EngineTimings
{
    int slotTickMs = 1000;
    int watchdogTickMs = 1000;
    // How long a new position may wait before it is stored, so that a fast run does not write
    // the settings file for every name.
    int positionWriteMs = 200;
    // A host that refused cools down this long at first, growing up to the cap.
    int coolDownBaseMs = 10000;
    int coolDownCapMs = 300000;
    // The engine's clock; none: the event loop's.
    Clock *clock = nullptr;
    // How long a DNS question may take, per try (two tries).
    int dnsTimeoutMs = DnsPrecheck::kTimeoutMs;
};

// The search run: reads candidates from a list file, from a position on, and checks them over a
// pool of 25 whois connections until the list ends or Stop.
//
// A slot that finishes takes the next name at once, so the run goes at the pace of its average
// answer, not of its slowest. Each query has its own watchdog of 30 ticks from its start (names
// still unanswered then get no verdict), and the slot's own rule asks a silent server again.
//
// Names under an RDAP row (or, without a row, with an RDAP service in the bootstrap) are asked
// over HTTP in the same slots, with the same pacing, filing and retries; a 429 cools the host
// down for as long as its Retry-After says.
//
// Queries to one whois host keep to that host's limit and learned pace (HostPacer): names wait in
// a queue per host, and the names of hosts that may be asked go ahead of those whose host must
// wait. The list is read ahead for up to kLookahead waiting names, where a host that must wait
// counts with no more than its fair share, so a slow host never holds back the others (at most
// kHoldAtMost names are held in all). A rate-limit reply slows or cools the host down; the
// refused name is asked again behind that host's other waiting names, three times at most, and
// is then unchecked as "rate limited by <host>". Reconnects after a timeout or a failed send wait
// for the pacer too, with a short backoff.
//
// At the start of a run every host begins at the pace remembered from earlier runs
// (Services::rememberedPaces); when the run ends, the paces it learned are handed to
// Services::storePaces.
//
// The position stored for the run (under the request's resume key and the run-wide key) is
// the first name of the run that has no verdict yet: after a crash the names in flight or
// waiting are checked again, never skipped.
//
// The engine knows nothing of windows: it reports through its signals, and a run is asked for
// with a RunRequest.
class CheckEngine : public QObject, private WhoisSlotHost
{
    Q_OBJECT
public:
    static constexpr int kPoolSize = 25;
    static constexpr int kWatchdogTicks = 30;
    static constexpr int kMaxTries = 3;      // asks of a name its host refused
    static constexpr int kLookahead = 1000;  // names read ahead while their hosts wait
    static constexpr int kHoldAtMost = 5000; // names held in all, fair shares or not
    static constexpr int kDnsInFlight = 100; // DNS questions at once, beside the whois slots

    // What the DNS pre-check did in this run.
    struct DnsCounts
    {
        int registered = 0; // delegated: filed registered without a whois question
        int overWhois = 0;  // asked over whois or RDAP after DNS let them pass
        int failures = 0;   // server failures, refusals and timeouts (no such name is none)
        bool turnedOff = false; // no resolver answered: every name went on to whois
    };

    // What a run works with; the program object owns all of it.
    struct Services
    {
        const RegistrarTable &registrars;
        const bool &proxyMode;
        const QString &defaultExtension;
        ResultLists &lists;
        ResultFiles &files;
        CandidateFile &candidates;
        // The free names filed ahead of the stored position, by this run or an earlier one.
        FiledJournal &journal;
        // The RDAP services of extensions without a row.
        const RdapBootstrap &rdapBootstrap;
        // How whois replies are read.
        const WhoisPhrases &phrases;
        // Whether names are first looked up in DNS, and at which resolvers ("host:port, ...";
        // empty: the system's).
        const bool &dnsFirst;
        const QString &dnsServers;
        // The extensions a name without one is asked with, in order ("com", "io"); none: the
        // default extension alone.
        const QStringList &extensions;
        // Stores a run's position under its resume key (when not empty) and the run-wide key,
        // with the furthest position of its list already filed (FiledMark); false when it could
        // not be stored.
        std::function<bool(const QString &resumeKey, qint64 position, const FiledMark &filed, int extension)>
            storePosition;
        // The furthest position filed, as last stored; none when empty.
        std::function<FiledMark()> filedMark = {};
        // The paces hosts learned in earlier runs, by host; none when empty.
        std::function<QHash<QString, RememberedPace>()> rememberedPaces = {};
        // Keeps the paces this run learned (with their age) for later runs; false when it could
        // not. None when empty.
        std::function<bool(const QHash<QString, RememberedPace> &)> storePaces = {};
    };

    CheckEngine(Services services, const SocketFactory &socketFactory, EngineTimings timings = {},
                QObject *parent = nullptr);
    ~CheckEngine() override;

    // Why a start was refused.
    enum class Refusal
    {
        None,
        Running,        // a run is going
        EmptyTable,     // the whois server table has no row
        UnreadableList, // no list, or one that cannot be read
        BackupFailed    // result files of an earlier run could not be backed up
    };

    // Starts a run. Refused (false; refusal() tells why) while a run is going, and, with an
    // error, for an empty whois server table, a list that cannot be read, or result files of an
    // earlier run that cannot be backed up.
    bool Start(const RunRequest &request);
    Refusal refusal() const { return m_refusal; }
    // Stops the run and stores the first name without a verdict as the position to continue
    // from. The names sent and not answered get no verdict ("the search was stopped"), reported
    // after the run's state is cleared; the names read ahead and never sent go back to the list
    // unreported. Also how a run ends by itself.
    void Stop();

    bool isRunning() const { return m_running; }
    const RunRequest &request() const { return m_request; }
    // The position of the next name to read.
    qint64 position() const { return m_position; }
    // The position a later run continues from: the first name without a verdict yet.
    qint64 resumePosition() const { return resumeOrdinal() / kExtensionSlots; }
    // Of the names of that position's line (one per extension), the first without a verdict.
    int resumeExtension() const { return static_cast<int>(resumeOrdinal() % kExtensionSlots); }
    // A line's names are ordered by line and extension: ordinal = line * kExtensionSlots + the
    // extension's index. More extensions than this are not tried.
    static constexpr qint64 kExtensionSlots = 64;
    // The position of the next name to ask for the first time: the first that waits for its
    // host, or the next to read.
    qint64 askPosition() const { return askOrdinal() / kExtensionSlots; }
    WhoisSlot &slot(int index) { return *m_slots.at(static_cast<size_t>(index)); }
    HostPacer &pacer() { return m_pacer; }
    // The engine's clock, for what reads the pacer's state.
    qint64 Now() const { return m_clock.Now(); }
    Clock &clock() const { return m_clock; }
    // Verdicts a second over the last 30 s, and the time left for the rest of a list of known
    // length (nothing while the speed is unknown).
    double namesPerSecond() const { return m_speed.NamesPerSecond(Now()); }
    std::optional<qint64> secondsLeft() const;
    // Names read from the list that wait for DNS or their host (or to be asked again).
    int waitingCount() const { return m_waitingCount; }
    const DnsCounts &dnsCounts() const { return m_dnsCounts; }
    // Whether this run asks DNS first (it may turn itself off when no resolver answers).
    bool isDnsActive() const { return m_dnsActive; }

    // How the last run went: whether it reached the end of its list, and whether everything it
    // had to write (result files, position) was written.
    bool completed() const { return m_completed; }
    bool everythingSaved() const { return m_reportedFailures.isEmpty() && m_filer.everythingSaved(); }

signals:
    void runStarted();
    void runStopped();
    // The position of the next name to ask for the first time (the first one read ahead that
    // waits for its host, or the next to read) and the run's total, as names are asked.
    void progress(qint64 position, qint64 total);
    void openConnections(int count);
    void connectionStatus(const QString &text);
    // A name is done: filed, not filed (".com"), or without a verdict for the reason given.
    // decidedBy says who was asked: "whois HOST", "RDAP HOST", "DNS", or nothing.
    void nameChecked(const QString &name, CheckOutcome outcome, const QString &reason,
                     const QString &decidedBy = QString());
    void errorRaised(const QString &title, const QString &text);
    // A profile list reached its limit and was moved to the overflow folder.
    void backupNotice();
    // A host was slowed down or cooled down, or the paces moved (once a watchdog tick while a
    // host is paced): see pacer().PacedHosts(Now()).
    void pacingChanged();
    // dnsCounts() moved.
    void dnsCountsChanged();

private:
    qint64 resumeOrdinal() const;
    qint64 askOrdinal() const;
    // The names a candidate stands for: with its own extension itself, otherwise one per
    // extension to try.
    QStringList Expanded(const QString &name) const;
    // WhoisSlotHost
    bool IsStopped() const override { return !m_running; }
    void ShowConnectionStatus(const QString &text) override { emit connectionStatus(text); }
    void ReplyComplete(WhoisSlot &slot) override;
    void QueryFailed(WhoisSlot &slot, const QString &reason) override;
    void RdapAnswered(WhoisSlot &slot, const RdapAnswer &answer) override;
    void ReconnectWanted(WhoisSlot &slot) override;

    // A name read from the list that waits for its host's turn, or to be asked again.
    struct Waiting
    {
        WhoisSlot::Prepared prepared;
        qint64 position = 0;
        int tries = 0;
        bool passedDns = false; // DNS let it pass to whois: counted when it is asked
    };
    // The names of one host: first asks in list order, then the names it refused.
    struct HostQueue
    {
        std::deque<Waiting> fresh;
        std::deque<Waiting> retries;
        bool empty() const { return fresh.empty() && retries.empty(); }
        qsizetype size() const { return qsizetype(fresh.size() + retries.size()); }
    };
    // Hands waiting names to idle slots, reading the list as far as needed.
    void Pump();
    void PumpOnce();
    // Reconnects the slots whose backoff is over and whose host may be asked; returns the
    // shortest wait of the others, or -1.
    qint64 ReconnectDueSlots();
    // The waiting name that may start now: of the hosts that may be asked, the one whose next
    // name came first in the list. Updates nextWake with the shortest wait of the others.
    std::optional<Waiting> TakeReady(qint64 &nextWake);
    // Whether the list may be read further: the waiting names, hosts that must wait counted
    // with their fair share at most, are fewer than kLookahead.
    bool RoomToRead() const;
    bool ReadAhead();
    void StartOn(WhoisSlot &slot, Waiting waiting);
    // Asks DNS about waiting names, reading the list as far as needed, up to kDnsInFlight.
    void AskDns();
    void DnsAnswered(quint64 id, quint64 run, const DnsPrecheck::Result &result);
    // No resolver answers: the names DNS holds go to whois, and DNS is off for the run.
    void TurnDnsOff();
    // Queues a name for its whois or RDAP host, in list order.
    void QueueForHost(Waiting waiting);
    // A prepared name joins the DNS queue or its host's queue, or is unchecked at once.
    void AddWaiting(Waiting waiting);
    void Release(WhoisSlot &slot);
    void WatchdogTick();
    void CheckWatchdogs();
    // Ends the slot's query and reports the name; with a filing, the overflow check comes first
    // so that its notice is heard before the name, and before the run can end.
    void Finish(WhoisSlot &slot, CheckOutcome outcome, const QString &reason);
    void FinishUnasked(const Waiting &waiting, const QString &reason);
    void Refused(WhoisSlot &slot, qint64 serverCoolDownMs = -1);
    // Files a verdict that came back for the slot's name.
    void FileAnswer(WhoisSlot &slot, Verdict verdict, const QString &reason);
    // Whether a resumed run finds the name of this line filed already, free or registered, by
    // a run that ended before its position passed it: it is not asked again.
    bool FiledBefore(const QString &name, qint64 lineNumber) const;
    // Files a judged name at a position of the list, notes a free one in the journal, reports a
    // failed save and writes overflow files when full.
    CheckOutcome File(const QString &name, qint64 ordinal, Verdict verdict);
    void GuardAgainstRefiling();
    void EndIfDone();
    void StorePaces();
    void ShowOpenConnections();
    void Fail(const QString &text);
    void ReportStartFailure(int errorNumber, const QString &description);
    // Reports a failure to write a file once per run; `what` tells the failures apart.
    void ReportOnce(const QString &what, const QString &text);
    void StorePositionSoon();
    void StorePosition();
    void StorePosition(qint64 ordinal);

    Services m_services;
    EngineTimings m_timings;
    Clock &m_clock;
    // RDAP questions; made for the first one. Declared before the slots, whose RDAP queries
    // hold on to it, so that it outlives them.
    std::unique_ptr<QNetworkAccessManager> m_network;
    std::vector<std::unique_ptr<WhoisSlot>> m_slots;
    HostPacer m_pacer;
    VerdictFiler m_filer; // files the verdicts, tells of failed writes once per run
    SpeedMeter m_speed;
    std::unique_ptr<ClockTimer> m_watchdog;  // looks at every query's age once a tick
    std::unique_ptr<ClockTimer> m_pumpTimer; // the next time a waiting host may be asked
    std::unique_ptr<ClockTimer> m_positionWrite;

    RunRequest m_request;
    Refusal m_refusal = Refusal::None;
    bool m_running = false;
    bool m_completed = false;
    bool m_pumping = false;
    bool m_pumpAgain = false;
    qint64 m_position = 0;
    qint64 m_storedOrdinal = -1;   // the resume ordinal last stored
    qint64 m_stoppedAt = -1;       // the resume ordinal when the last run stopped
    qint64 m_filedUpTo = 0;        // the furthest position of this list filed, stored with the position
    qint64 m_storedFiledUpTo = -1; // as last stored
    qint64 m_refileGuardUpTo = 0;  // names up to here may stand in the lists already
    QSet<QString> m_inLists;       // FiledJournal::Key of the names in the lists at the start
    QSet<QString> m_journaled;     // and of the journal's names at or after the first position
    qint64 m_shownPosition = -1;
    bool m_sourceExhausted = false;
    QHash<QString, HostQueue> m_queues; // by host
    int m_waitingCount = 0;
    std::unique_ptr<DnsPrecheck> m_dns; // made for the first run that asks DNS
    bool m_dnsActive = false;
    bool m_dnsAtStart = false;      // DNS was asked in this run: names it does not see count as passed on
    std::deque<Waiting> m_dnsQueue; // read, not asked yet
    std::map<quint64, Waiting> m_dnsAsking; // by question, asked in list order
    quint64 m_dnsNextId = 0;
    int m_dnsTimeoutsInRow = 0;
    DnsCounts m_dnsCounts;
    quint64 m_runNumber = 0;
    int m_shownOpen = -1;
    QSet<QString> m_reportedFailures;
};
