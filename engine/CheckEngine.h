#pragma once

#include "WhoisSlot.h"
#include "platform/SocketComponent.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AppState;
class SourceSelection;

// How a checked name ended up.
enum class CheckOutcome
{
    High,
    Mid,
    Low,
    Registered,
    Unchecked
};
QString CheckOutcomeName(CheckOutcome outcome);

// Timer periods; tests shrink them, the tick counts stay.
struct EngineTimings
{
    int slotTickMs = 1000;
    int watchdogTickMs = 1000;
};

// The search run: reads candidates from the chosen list file, from the start number on, and
// checks them in batches over a pool of 25 whois connections until the list ends or Stop.
//
// A batch hands the next 25 candidates to the slots and ends when every slot that got a name
// has finished, or when the watchdog has ticked 30 times; names still unanswered then are
// dropped. The next batch starts from the event loop, so every socket event of the batch has
// been handled first. The position reached is stored under the source's key and "wordNumber"
// right after each batch's candidates are read, so a later run continues there.
//
// The engine drives the main window's controls and status texts through AppState and its own
// signals; it runs without a display.
class CheckEngine : public QObject, private WhoisSlotHost
{
    Q_OBJECT
public:
    static constexpr int kPoolSize = 25;
    static constexpr int kWatchdogTicks = 30;
    // The position reached is stored this long after a batch's candidates were read (and at
    // once when the run stops), so the disk write never delays the queries of the batch.
    static constexpr int kPositionWriteDelayMs = 10;

    CheckEngine(AppState &state, SourceSelection &selection, SocketFactory socketFactory,
                EngineTimings timings = {}, QObject *parent = nullptr);
    ~CheckEngine() override;

    // The "Start" button. Refuses (with an error) a start number or total that is not a whole
    // number and a list that cannot be read; returns whether the run started.
    bool Start();
    // The "Stop" button; also how a run ends when its list is exhausted.
    void Stop();
    // Stops everything without touching the controls (the main window is closing).
    void Shutdown();

    bool isRunning() const { return !m_stopped; }
    QString statusText(int panel) const { return m_panels.at(panel - 1); }
    int position() const;
    int batchesStarted() const { return m_batchesStarted; }
    WhoisSlot &slot(int index) { return *m_slots.at(index); }

    static QString IdleStatusText(int panel);

signals:
    void statusTextChanged(int panel, const QString &text);
    void nameChecked(const QString &name, CheckOutcome outcome);
    void runStarted();
    void runStopped();
    void errorRaised(const QString &title, const QString &text);
    // A profile list reached its limit and was moved to the overflow folder.
    void backupNotice();

private:
    // WhoisSlotHost
    bool IsStopped() const override { return m_stopped; }
    void ShowConnectionStatus(const QString &text) override { SetStatus(3, text); }
    void ReplyComplete(WhoisSlot &slot) override;
    void ReportError(const QString &title, const QString &text) override { emit errorRaised(title, text); }

    void StartBatch();
    void SlotFinished();
    void EndBatch();
    // Runs the step from the event loop, unless the run stopped or another batch began by then.
    void RunForThisBatch(std::function<void()> step);
    void OnWatchdogTick();
    void DropBusySlots();
    void SetStatus(int panel, const QString &text);
    void StorePosition();
    void ReportFileErrorOnce();

    AppState &m_state;
    SourceSelection &m_selection;
    EngineTimings m_timings;
    std::vector<std::unique_ptr<WhoisSlot>> m_slots;
    QTimer m_watchdog;

    bool m_stopped = true;
    bool m_sourceExhausted = false;
    int m_maximum = 0;
    int m_finished = 0;
    int m_handed = 0;
    int m_watchdogTicks = 0;
    quint64 m_batchSerial = 0;
    int m_batchesStarted = 0;
    bool m_fileErrorReported = false;
    std::array<QString, 3> m_panels;

    struct PendingPosition
    {
        QString key;
        int position = 0;
    };
    std::optional<PendingPosition> m_pendingPosition;
    QTimer m_positionWrite;
};
