#pragma once

#include "Filing.h"
#include "RunRequest.h"
#include "WhoisSlot.h"
#include "platform/SocketComponent.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class CandidateFile;
class RegistrarTable;
class ResultFiles;
class ResultLists;

// Timer periods; tests shrink them, the tick counts stay.
struct EngineTimings
{
    int slotTickMs = 1000;
    int watchdogTickMs = 1000;
    // How long a new position may wait before it is stored, so that a fast run does not write
    // the settings file for every name.
    int positionWriteMs = 200;
};

// The search run: reads candidates from a list file, from a position on, and checks them in
// batches over a pool of 25 whois connections until the list ends or Stop.
//
// A batch hands the next 25 candidates to the slots and ends when every slot that got a name
// has finished, or when the watchdog's 30 ticks have passed (on the monotonic clock); names
// still unanswered then get no verdict. The next batch starts from the event loop, so every
// socket event of the batch has been handled first.
//
// The position stored for the run (under the request's resume key and the run-wide key) is
// the first name of the run that has no verdict yet: after a crash the names in flight are
// checked again, never skipped.
//
// The engine knows nothing of windows: it reports through its signals, and a run is asked for
// with a RunRequest.
class CheckEngine : public QObject, private WhoisSlotHost
{
    Q_OBJECT
public:
    static constexpr int kPoolSize = 25;
    static constexpr int kWatchdogTicks = 30;

    // What a run works with; the program object owns all of it.
    struct Services
    {
        const RegistrarTable &registrars;
        const bool &proxyMode;
        const QString &defaultExtension;
        ResultLists &lists;
        ResultFiles &files;
        CandidateFile &candidates;
        // Stores a run's position under its resume key (when not empty) and the run-wide key;
        // false when it could not be stored.
        std::function<bool(const QString &resumeKey, qint64 position)> storePosition;
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
    // Stops the run; names in flight get no verdict. Also how a run ends by itself.
    void Stop();

    bool isRunning() const { return m_running; }
    const RunRequest &request() const { return m_request; }
    // The position of the next name to read.
    qint64 position() const { return m_position; }
    // The position a later run continues from: the first name without a verdict yet.
    qint64 resumePosition() const;
    int batchesStarted() const { return m_batchesStarted; }
    WhoisSlot &slot(int index) { return *m_slots.at(static_cast<size_t>(index)); }

    // How the last run went: whether it reached the end of its list, and whether everything it
    // had to write (result files, position) was written.
    bool completed() const { return m_completed; }
    bool everythingSaved() const { return m_reportedFailures.isEmpty(); }

signals:
    void runStarted();
    void runStopped();
    // The next position to read and the run's total, after a batch was handed out.
    void progress(qint64 position, qint64 total);
    void openConnections(int count);
    void connectionStatus(const QString &text);
    // A name is done: filed, not filed (".com"), or without a verdict for the reason given.
    void nameChecked(const QString &name, CheckOutcome outcome, const QString &reason);
    void errorRaised(const QString &title, const QString &text);
    // A profile list reached its limit and was moved to the overflow folder.
    void backupNotice();

private:
    // WhoisSlotHost
    bool IsStopped() const override { return !m_running; }
    void ShowConnectionStatus(const QString &text) override { emit connectionStatus(text); }
    void ReplyComplete(WhoisSlot &slot) override;
    void QueryFailed(WhoisSlot &slot, const QString &reason) override;

    void StartBatch();
    void SlotFinished();
    void EndBatch();
    void Finish(WhoisSlot &slot, CheckOutcome outcome, const QString &reason);
    void CheckOverflow(Filing &filing);
    void DropBusySlots(const QString &reason);
    void Fail(const QString &text);
    void ReportStartFailure(int errorNumber, const QString &description);
    // Reports a failure to write a file once per run; `what` tells the failures apart.
    void ReportOnce(const QString &what, const QString &text);
    void StorePositionSoon();
    void StorePosition();

    Services m_services;
    EngineTimings m_timings;
    std::vector<std::unique_ptr<WhoisSlot>> m_slots;
    QTimer m_watchdog;
    QTimer m_positionWrite;

    RunRequest m_request;
    Refusal m_refusal = Refusal::None;
    bool m_running = false;
    bool m_completed = false;
    qint64 m_position = 0;
    qint64 m_storedPosition = -1;
    bool m_sourceExhausted = false;
    int m_handed = 0;
    int m_finished = 0;
    int m_batchesStarted = 0;
    quint64 m_batchSerial = 0;
    bool m_overflowFailedThisBatch = false;
    QSet<QString> m_reportedFailures;
};
