#pragma once

#include "CheckServices.h"
#include "ControlQueries.h"
#include "DnsAhead.h"
#include "EngineTimings.h"
#include "FailureReporter.h"
#include "HostPacer.h"
#include "HostQueues.h"
#include "ListReader.h"
#include "NameCheck.h"
#include "PositionKeeper.h"
#include "RefilingGuard.h"
#include "RunRequest.h"
#include "SpeedMeter.h"
#include "VerdictFiler.h"
#include "WhoisSlot.h"
#include "platform/AfterThisTurn.h"
#include "platform/SocketComponent.h"

#include <QHash>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

// The search run: reads a list from a position on (ListReader) and checks its names (NameCheck)
// over a pool of 25 connections until the list ends or Stop. It keeps the pool, the queues, the
// pacer and the run's bookkeeping, and knows nothing of windows: it reports through its signals.
//
// A slot that finishes takes the next name at once. Each query has its own watchdog of 30 ticks
// from its start, and the slot's own rule asks a silent server again. Queries to one host keep
// to its limit and learned pace (HostPacer): names wait in a queue per host (HostQueues), read
// ahead for up to kLookahead waiting names, where a host that must wait counts with its fair
// share at most (kHoldAtMost in all). A refused name is asked again behind its host's other
// names, kMaxTries times and for kRefusedAtMostMs at most; a host's used-up quota leaves its
// names without a verdict, with the time it frees. With DNS first, names are asked in DNS ahead of the pool
// (DnsAhead). The position stored is the first name without a verdict; what an earlier run filed
// past it is neither asked nor filed again (RefilingGuard).
class CheckEngine : public QObject, private WhoisSlotOwner
{
    Q_OBJECT
public:
    static constexpr int kPoolSize = HostLimit::kMostOpen;
    static constexpr int kWatchdogTicks = 30;
    static constexpr int kMaxTries = 3;      // asks of a name its host refused
    static constexpr qint64 kRefusedAtMostMs = 120000; // a refused name holds the run no longer
    static constexpr int kLookahead = 1000;  // names read ahead while their hosts wait
    static constexpr int kHoldAtMost = 5000; // names held in all, fair shares or not
    static constexpr qint64 kExtensionSlots = Ordinal::kPerLine;
    using DnsCounts = DnsAhead::Counts;

    using Services = CheckServices;

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
    // Starts a run; refused (false; refusal() tells why, with an error) while a run is going, for
    // an empty whois server table, a list that cannot be read, or result files of an earlier run
    // that cannot be backed up.
    bool Start(const RunRequest &request);
    Refusal refusal() const { return m_refusal; }
    // Stops the run and stores the first name without a verdict as the position to go on from.
    // The names sent and not answered get no verdict ("the search was stopped"), reported after
    // the run's state is cleared; the names read ahead go back to the list unreported. Also how
    // a run ends by itself.
    void Stop();

    bool isRunning() const { return m_running; }
    const RunRequest &request() const { return m_request; }
    // The position a later run continues from (the first name without a verdict yet), and of
    // that position's line (one name per extension) the first without a verdict.
    qint64 resumePosition() const { return Ordinal::LineOf(ResumeOrdinal()); }
    int resumeExtension() const { return Ordinal::ExtensionOf(ResumeOrdinal()); }
    // The position of the next name to ask for the first time.
    qint64 askPosition() const { return Ordinal::LineOf(AskOrdinal()); }
    WhoisSlot &slot(int index) { return *m_slots.at(static_cast<size_t>(index)); }
    HostPacer &pacer() { return m_pacer; }
    qint64 Now() const { return m_clock.Now(); }
    Clock &clock() const { return m_clock; }
    // Verdicts a second over the last 30 s, and the time left for the rest of a list of known
    // length (nothing while the speed is unknown).
    double namesPerSecond() const { return m_speed.NamesPerSecond(Now()); }
    std::optional<qint64> secondsLeft() const;
    // Names read from the list that wait for DNS or their host (or to be asked again).
    int waitingCount() const { return m_waitingCount; }
    const DnsCounts &dnsCounts() const { return m_dns.counts(); }
    bool isDnsActive() const { return m_dns.isActive(); }
    // The names of the last run without a verdict, by reason.
    const NoVerdictTally &noVerdicts() const { return m_filer.tally(); }
    // Free names waiting for a control query, now and in the whole run (see ControlQueries).
    int heldCount() const { return m_controls.heldCount(); }
    int heldTotal() const { return m_controls.heldTotal(); }
    // What the last run said once about each host whose quota it used up.
    const QStringList &quotaNotices() const { return m_quotaNotices; }
    // Whether the last run reached the end of its list, and wrote all it had to write.
    bool completed() const { return m_completed; }
    bool everythingSaved() const { return m_reporter.nothingFailed(); }

signals:
    void runStarted();
    void runStopped();
    // The position of the next name to ask for the first time, and the run's total.
    void progress(qint64 position, qint64 total);
    void openConnections(int count);
    void connectionStatus(const QString &text);
    // A name is done: filed, not filed (".com"), or without a verdict for the reason given (or
    // settled as "delegated in DNS"). decidedBy: "whois HOST", "RDAP HOST", "DNS", or nothing.
    void nameChecked(const QString &name, CheckOutcome outcome, const QString &reason,
                     const QString &decidedBy = QString());
    void errorRaised(const QString &title, const QString &text);
    // A profile list reached its limit and was moved to the overflow folder.
    void backupNotice();
    // A host was slowed or cooled down, or the paces moved (once a watchdog tick while a host is
    // paced): see pacer().PacedHosts(Now()).
    void pacingChanged();
    void dnsCountsChanged();

private:
    // The engine's bookkeeping of the name a slot asks.
    struct InFlight
    {
        bool busy = false;
        WaitingName waiting;
        qint64 startedAt = 0;    // when the query started...
        qint64 sentAt = 0;       // ...and its latest connection was made
        qint64 reconnectAt = -1; // while waiting to reconnect: when it may (-1: not waiting)
        int reconnects = 0;
    };
    // WhoisSlotOwner
    bool IsStopped() const override { return !m_running; }
    void ShowConnecting(int slot, const QString &name) override;
    void ReplyComplete(WhoisSlot &slot) override;
    void QueryFailed(WhoisSlot &slot, const QString &reason) override;
    void RdapAnswered(WhoisSlot &slot, const RdapAnswer &answer) override;
    void ReconnectWanted(WhoisSlot &slot) override;

    InFlight &FlightOf(const WhoisSlot &slot) { return m_flights.at(static_cast<size_t>(slot.index())); }
    bool RefuseStart(const RunRequest &request);
    qint64 ResumeOrdinal() const;
    qint64 AskOrdinal() const;
    void Pump();
    void PumpOnce();
    qint64 ReconnectDueSlots();
    bool ReadAhead();
    void AddWaiting(WaitingName waiting);
    void StartOn(WhoisSlot &slot, WaitingName waiting);
    void Delegated(const WaitingName &waiting);
    void Release(WhoisSlot &slot);
    void WatchdogTick();
    // Ends the slot's query and reports the name (a filing first, so an overflow notice comes
    // before the name, and before the run can end).
    void Finish(WhoisSlot &slot, CheckOutcome outcome, const QString &reason);
    void Judged(WhoisSlot &slot, const Judgement &judgement, qint64 retryAfterMs);
    // A judged name's verdict: filed, or a free one held for a control.
    void Settle(WhoisSlot &slot, const Judgement &judgement);
    void Refused(WhoisSlot &slot, qint64 serverCoolDownMs);
    // The slot's name gets no verdict (a control query is only asked again later).
    void NoVerdictFor(WhoisSlot &slot, const QString &reason);
    // A free whois verdict waits for a control; a control's answer files or re-asks them.
    void HoldFree(WhoisSlot &slot, const Judgement &judgement);
    void ControlAnswered(WhoisSlot &slot, const Judgement &judgement);
    // The host said "not found" for a registered name: its held names are asked again, or given
    // up, and it cools down as after a refusal.
    void HostLied(const QString &host, const ControlQueries::Outcome &outcome, qint64 sentAt);
    // A free whois verdict for a name DNS has not answered yet waits for that answer; one that
    // turns out delegated is registered, and its host lied.
    void FreeBeforeDns(WhoisSlot &slot, const Judgement &judgement);
    void FreeAnsweredInDns(const WaitingName &held, const Judgement &judgement, bool delegated);
    void DelegatedButFree(const WaitingName &waiting, const QString &host);
    void QueueDueControls();
    void FileConfirmed(const std::vector<ControlQueries::Held> &confirmed);
    CheckOutcome File(const QString &name, qint64 ordinal, Verdict verdict, const QString &reason = QString());
    // Writes the names filed since the last write to the list files and the journal.
    void SaveFiled();
    void EndIfDone();
    void StorePaces();
    // The names of hosts whose quota is used up get no verdict, with the time it frees.
    bool DropQuotaSpent(); // whether there were any
    QString QuotaReason(const QString &host);
    void ShowOpenConnections();
    void Fail(const QString &text);
    void ReportStartFailure(int errorNumber, const QString &description);

    Services m_services;
    EngineTimings m_timings;
    Clock &m_clock;
    // Declared before the slots, whose RDAP queries hold on to it, so that it outlives them.
    std::unique_ptr<QNetworkAccessManager> m_network;
    std::vector<std::unique_ptr<WhoisSlot>> m_slots;
    std::vector<InFlight> m_flights; // by slot
    HostPacer m_pacer;
    FailureReporter m_reporter;
    VerdictFiler m_filer;
    RefilingGuard m_guard;
    SpeedMeter m_speed;
    DnsAhead m_dns;
    ListReader m_reader;
    std::unique_ptr<ClockTimer> m_watchdog;  // looks at every query's age once a tick
    std::unique_ptr<ClockTimer> m_pumpTimer; // the next time a waiting host may be asked
    PositionKeeper m_position;

    RunRequest m_request;
    std::optional<NameCheck> m_check;
    Refusal m_refusal = Refusal::None;
    bool m_running = false;
    bool m_completed = false;
    bool m_pumping = false;
    bool m_pumpAgain = false;
    AfterThisTurn m_pumpSoon{this, [this] { Pump(); }};
    // The names filed in a turn go to the list files and the journal together, after it.
    AfterThisTurn m_saveSoon{this, [this] { SaveFiled(); }};
    qint64 m_stoppedAt = -1;      // the resume ordinal when the last run stopped
    qint64 m_shownPosition = -1;
    int m_shownOpen = -1;
    HostQueues m_queues;
    ControlQueries m_controls;
    int m_waitingCount = 0;
    quint64 m_runNumber = 0;
    QStringList m_quotaNotices;
};
