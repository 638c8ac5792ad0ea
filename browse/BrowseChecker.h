#pragma once

#include "BrowseQueue.h"
#include "engine/DnsPrecheck.h"
#include "engine/Filing.h"
#include "engine/Verdict.h"
#include "engine/WhoisSlot.h"

#include <QMap>
#include <QNetworkAccessManager>
#include <QObject>
#include <QTimer>

#include <memory>

class RegistrarTable;
class ResultFiles;
class ResultLists;
class UncheckedNames;

// The browse window's own whois check: the queued names one at a time, in the order found,
// over one connection of its own beside the main window's pool. A free or taken verdict is
// filed into the main window's lists as the engine files them; a server that does not answer
// within five ticks of the start, refuses, or breaks the connection gives the name up.
//
// FeedNext() starts the next check when none is in flight; it runs when a scan has queued
// names and on every tick of its timer. Names it cannot check (no known extension, a start
// that fails) are passed over in a loop, never by recursion.
//
// With DNS first on (and not in proxy mode) a name is asked in DNS before it takes the
// connection: a delegated name is filed registered without a whois query. Five DNS timeouts in a
// row turn the DNS check off until the next Start().
class BrowseChecker : public QObject, private WhoisSlotHost
{
    Q_OBJECT
public:
    struct Services
    {
        const RegistrarTable &registrars;
        const bool &proxyMode;
        ResultLists &lists;
        ResultFiles &files;
        // How replies are read; none: the shipped phrase table.
        const WhoisPhrases *phrases = nullptr;
        // Whether names are asked in DNS first, and of which resolvers ("host:port, ..."; empty:
        // the system's); none: never.
        const bool *dnsFirst = nullptr;
        const QString *dnsServers = nullptr;
        // Where names without a verdict are kept; none: nowhere.
        UncheckedNames *unchecked = nullptr;
    };
    static constexpr int kSkipsPerTurn = 1000;

    BrowseChecker(Services services, BrowseQueue &queue, std::unique_ptr<SocketComponent> socket, int tickMs,
                  QObject *parent = nullptr);
    ~BrowseChecker() override;

    // Starts the timer; Stop() ends everything and closes the connection.
    void Start();
    void Stop();
    void FeedNext();

    qint64 nextIndex() const { return m_nextIndex; }
    bool isChecking() const { return m_checking; }
    WhoisSlot &slot() { return m_slot; }
    // The names of this window that got no verdict, and how many for each reason.
    int noVerdictCount() const;
    const QMap<QString, int> &noVerdictReasons() const { return m_noVerdictReasons; }

signals:
    void panelText(int panel, const QString &text);
    void nameFree(const QString &name);
    void nameTaken(const QString &name);
    // Every queued name has been checked (or passed over).
    void queueDone();
    void errorRaised(const QString &title, const QString &text);
    void backupNotice();
    void noVerdictChanged();

private:
    // WhoisSlotHost
    bool IsStopped() const override { return !m_running; }
    void ShowConnectionStatus(const QString &) override {}
    void ReplyComplete(WhoisSlot &slot) override;
    void QueryFailed(WhoisSlot &slot, const QString &reason) override;
    void QueryTimedOut(WhoisSlot &slot) override;
    void RdapAnswered(WhoisSlot &slot, const RdapAnswer &answer) override;

    bool StartCheck(const QString &queued);
    bool DnsWanted() const;
    void DnsAnswered(const WhoisSlot::Prepared &prepared, const DnsPrecheck::Result &result);
    // Asks the prepared name over the connection; false when it cannot be asked.
    bool AskWhois(const WhoisSlot::Prepared &prepared);
    // The check of the current name ended without a question in flight: go on with the next.
    void Next();
    // The check of the slot's name ended with a verdict: file it and go on.
    void FinishCheck(WhoisSlot &slot, Verdict verdict);
    void GiveUp(const QString &reason);
    // A name without a verdict: kept with its reason and counted.
    void KeepUnchecked(const QString &name, const QString &reason);
    void FileReply(const QString &name, Verdict verdict);

    Services m_services;
    BrowseQueue &m_queue;
    QNetworkAccessManager m_network; // for names under an RDAP row
    WhoisSlot m_slot;
    QTimer m_feedTimer;
    std::unique_ptr<DnsPrecheck> m_dns;
    bool m_dnsOff = false;
    int m_dnsTimeoutsInRow = 0;
    bool m_running = false;
    bool m_checking = false;
    qint64 m_nextIndex = 0;
    int m_checkedCount = 0; // names this window filed, free or taken
    VerdictFiler m_filer; // each kind of write failure is told once while the window is open
    QMap<QString, int> m_noVerdictReasons;
};
