#pragma once

#include "BrowseQueue.h"
#include "engine/DnsPrecheck.h"
#include "engine/FailureReporter.h"
#include "engine/HostTurn.h"
#include "engine/NameCheck.h"
#include "engine/VerdictFiler.h"
#include "engine/WhoisSlot.h"
#include "platform/Clock.h"

#include <QNetworkAccessManager>
#include <QObject>

#include <memory>
#include <optional>

class RegistrarTable;
class ResultFiles;
class ResultLists;
class UncheckedNames;

// The browse window's own check: the queued names one at a time, in the order found, over one
// connection of its own beside the main window's pool, each the way NameCheck says (DNS first
// when the settings ask for it: a delegated name is filed registered without a whois query). A
// verdict is filed into the main window's lists as the run files them (VerdictFiler); a server
// that does not answer within five ticks of the start, refuses, or breaks the connection gives
// the name up, kept in "Unchecked.txt" with its reason. With the run's pacer (Services::pacer) every
// query takes its turn from it (HostTurn), so that the run and this window together keep to a
// host's limit, quota and cool-down, and a refusal here slows the run's queries to that host too.
//
// FeedNext() starts the next check when none is in flight; it runs when a scan has queued
// names and on every tick of its timer. Names it cannot check (no known extension, a start
// that fails) are passed over in a loop, never by recursion. It tells what happens by its
// signals; the window's texts are BrowseState's.
class BrowseChecker : public QObject, private WhoisSlotOwner
{
    Q_OBJECT
public:
    struct Services
    {
        ResultLists &lists;
        ResultFiles &files;
        UncheckedNames &unchecked;
        HostPacer *pacer = nullptr; // the run's pacer, on pacerClock; none: not paced
        Clock *pacerClock = nullptr;
    };
    static constexpr int kSkipsPerTurn = 1000;

    BrowseChecker(Services services, BrowseQueue &queue, std::unique_ptr<SocketComponent> socket, int tickMs,
                  Clock &clock = Clock::System(), QObject *parent = nullptr);
    ~BrowseChecker() override;

    // Starts the timer, checking names as `check` says; Stop() ends everything and closes the
    // connection.
    void Start(const NameCheck &check);
    void Stop();
    void FeedNext();

    qint64 nextIndex() const { return m_nextIndex; }
    bool isChecking() const { return m_checking; }
    WhoisSlot &slot() { return m_slot; }
    // The names this window filed, free or taken, since Start().
    int checkedCount() const { return m_checkedCount; }
    // The names of this window that got no verdict, by reason.
    const NoVerdictTally &noVerdicts() const { return m_filer.tally(); }

signals:
    // A name is being checked now.
    void checking(const QString &name);
    // A name was filed: free (High, Mid, Low) or Registered.
    void filed(const QString &name, CheckOutcome outcome);
    // A name got no verdict, for the reason given.
    void unchecked(const QString &name, const QString &reason);
    // Every queued name has been checked (or passed over).
    void queueDone();
    // No DNS server answered: every name goes to whois.
    void dnsGaveUp();
    void errorRaised(const QString &title, const QString &text);
    void backupNotice();

private:
    // WhoisSlotOwner
    bool IsStopped() const override { return !m_running; }
    void ShowConnecting(int, const QString &) override {}
    void ReplyComplete(WhoisSlot &slot) override;
    void QueryFailed(WhoisSlot &slot, const QString &reason) override;
    void QueryTimedOut(WhoisSlot &slot) override;
    void RdapAnswered(WhoisSlot &slot, const RdapAnswer &answer) override;

    bool StartCheck(const QString &queued);
    void DnsAnswered(const CheckedName &checked, const DnsPrecheck::Result &result);
    // Asks the name over the connection; false when it cannot be asked.
    bool AskWhois(const CheckedName &checked);
    // Starts the slot on the name; false when it cannot start (the name is passed over).
    bool StartSlot(const CheckedName &checked);
    void Judged(const QString &name, const Judgement &judgement, qint64 retryAfterMs);
    // The check of the current name ended: file what it gave and go on with the next.
    void Finish(const QString &name, Verdict verdict, const QString &reason = QString());

    Services m_services;
    BrowseQueue &m_queue;
    QNetworkAccessManager m_network; // for names under an RDAP service
    WhoisSlot m_slot;
    std::unique_ptr<ClockTimer> m_feedTimer;
    int m_tickMs;
    DnsPrecheck m_dns;
    std::optional<NameCheck> m_check;
    bool m_running = false;
    bool m_checking = false;
    qint64 m_nextIndex = 0;
    int m_checkedCount = 0;
    FailureReporter m_reporter; // each kind of write failure is told once while the window is open
    VerdictFiler m_filer;
    std::unique_ptr<HostTurn> m_turn; // the current query's turn at its host, when paced
};
