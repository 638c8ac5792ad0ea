#include "CheckEngine.h"

#include "Verdict.h"
#include "results/ResultFiles.h"
#include "results/ResultLists.h"
#include "sources/CandidateFile.h"
#include "sources/xCorrectName.h"
#include "whois_table/RegistrarTable.h"

#include <QFileInfo>

#include <algorithm>

namespace {

const QString kRunTitle = QStringLiteral("Search");

// Error numbers the messages report, as users of the program know them.
constexpr int kErrorSubscript = 9;
constexpr int kErrorInvalidArgument = 5;

QString Shown(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

CheckEngine::CheckEngine(Services services, const SocketFactory &socketFactory, EngineTimings timings,
                         QObject *parent)
    : QObject(parent), m_services(std::move(services)), m_timings(timings)
{
    WhoisSlotHost &host = *this;
    for (int i = 0; i < kPoolSize; ++i)
        m_slots.push_back(std::make_unique<WhoisSlot>(i, host, socketFactory(), m_timings.slotTickMs));
    // One deadline per batch on the monotonic clock: a busy event loop cannot stretch it the
    // way it delays ticks.
    m_watchdog.setSingleShot(true);
    m_watchdog.setTimerType(Qt::PreciseTimer);
    connect(&m_watchdog, &QTimer::timeout, this, [this] {
        if (m_running)
            EndBatch();
    });
    m_positionWrite.setSingleShot(true);
    connect(&m_positionWrite, &QTimer::timeout, this, &CheckEngine::StorePosition);
}

CheckEngine::~CheckEngine()
{
    Stop();
}

bool CheckEngine::Start(const RunRequest &request)
{
    m_refusal = Refusal::None;
    if (m_running) {
        m_refusal = Refusal::Running;
        return false;
    }
    if (m_services.registrars.size() == 0) {
        m_refusal = Refusal::EmptyTable;
        emit errorRaised(QStringLiteral("Start"),
                         QStringLiteral("The whois server table is empty. Restore the defaults in Options, "
                                        "Setup (\"Restore Defaults\")."));
        return false;
    }
    if (request.listPath.isEmpty()) {
        m_refusal = Refusal::UnreadableList;
        emit errorRaised(QStringLiteral("Start"),
                         QStringLiteral("No list is chosen. Choose a source first."));
        return false;
    }
    if (!m_services.candidates.IsReadable(request.listPath)) {
        m_refusal = Refusal::UnreadableList;
        emit errorRaised(QStringLiteral("Start"),
                         QStringLiteral("The list \"%1\" cannot be read.").arg(Shown(request.listPath)));
        return false;
    }
    if (!m_services.files.SecureLeftoverFiles()) {
        m_refusal = Refusal::BackupFailed;
        const QString path = m_services.files.lastFailedPath();
        emit errorRaised(QStringLiteral("Result files"),
                         QStringLiteral("The result file \"%1\" of an earlier run could not be copied to the "
                                        "backups folder, so the search did not start. The file was left as "
                                        "it was.")
                             .arg(Shown(path)));
        return false;
    }

    m_request = request;
    m_running = true;
    m_completed = false;
    m_reportedFailures.clear();
    m_position = request.firstPosition;
    m_storedPosition = -1;
    m_services.lists.ResetCounters();
    emit runStarted();
    StartBatch();
    return true;
}

qint64 CheckEngine::resumePosition() const
{
    qint64 first = m_position;
    for (const auto &slot : m_slots) {
        if (slot->busy)
            first = std::min(first, slot->position);
    }
    return first;
}

void CheckEngine::StartBatch()
{
    if (!m_running)
        return;
    ++m_batchSerial;
    ++m_batchesStarted;
    m_sourceExhausted = false;
    m_finished = 0;
    m_handed = 0;
    m_overflowFailedThisBatch = false;
    m_watchdog.start(kWatchdogTicks * m_timings.watchdogTickMs);

    const QString &path = m_request.listPath;
    const std::optional<CandidateFile::Batch> batch =
        m_services.candidates.ReadCandidates(path, m_position, kPoolSize);
    if (!batch) {
        Fail(QStringLiteral("The list \"%1\" cannot be read any more.").arg(Shown(path)));
        return;
    }
    if (batch->atEnd && m_position > m_services.candidates.CountCandidates(path) + 1) {
        Fail(QStringLiteral("The list \"%1\" became shorter while it was checked: it now ends before "
                            "position %2, where the search had got to.")
                 .arg(Shown(path))
                 .arg(m_position));
        return;
    }
    m_sourceExhausted = batch->atEnd;
    for (qsizetype i = 0; i < batch->lines.size() && m_running; ++i) {
        // A list line may carry blanks around the name; they are no part of it.
        const QString name = NameCleaner(batch->lines.at(i).trimmed());
        if (name == CandidateFile::kEndMarker) {
            m_sourceExhausted = true;
            break;
        }
        WhoisSlot &slot = *m_slots.at(static_cast<size_t>(i));
        slot.position = m_position++;
        slot.busy = true;
        ++m_handed;
        const WhoisSlot::StartResult started =
            slot.StartQuery(name, m_services.registrars, m_services.proxyMode, m_services.defaultExtension);
        switch (started.kind) {
        case WhoisSlot::StartResult::Kind::Started:
            break;
        case WhoisSlot::StartResult::Kind::ConnectRefused:
            // The slot's timer goes on and asks again, as after a timeout.
            ReportStartFailure(kErrorInvalidArgument, QStringLiteral("Invalid procedure call or argument"));
            break;
        case WhoisSlot::StartResult::Kind::LookupFailed:
            ReportStartFailure(kErrorSubscript, QStringLiteral("Subscript out of range"));
            [[fallthrough]];
        case WhoisSlot::StartResult::Kind::InvalidName:
            ++m_finished;
            Finish(slot, CheckOutcome::Unchecked, started.reason);
            break;
        }
    }
    if (!m_running)
        return; // stopped from a handler of the names above
    emit progress(m_position, m_request.total);
    emit openConnections(kPoolSize - m_finished);
    StorePositionSoon();
    if (m_running && m_finished >= m_handed) {
        // Nothing is in flight: the batch ends from the event loop.
        QMetaObject::invokeMethod(
            this,
            [this, serial = m_batchSerial] {
                if (m_running && serial == m_batchSerial)
                    EndBatch();
            },
            Qt::QueuedConnection);
    }
}

void CheckEngine::Finish(WhoisSlot &slot, CheckOutcome outcome, const QString &reason)
{
    slot.busy = false;
    emit nameChecked(slot.name(), outcome, reason);
    StorePositionSoon();
}

void CheckEngine::ReplyComplete(WhoisSlot &slot)
{
    if (!m_running || !slot.busy) {
        slot.CloseConnection();
        return;
    }
    slot.StopTimer();
    Filing filing(m_services.lists, m_services.files);
    const Judgement judgement = JudgeReplyBytes(slot.reply(), {slot.name()});
    const Filing::Result filed = filing.FileVerdict(slot.name(), judgement.verdict);
    if (!filed.saved) {
        ReportOnce(QStringLiteral("profile"), Filing::ProfileWriteFailed(m_services.files.lastFailedPath()));
    }
    Finish(slot, filed.outcome, judgement.reason);
    CheckOverflow(filing);
    slot.CloseConnection();
    SlotFinished();
}

void CheckEngine::CheckOverflow(Filing &filing)
{
    // A failed overflow write is tried again in the next batch, not after every name.
    if (m_overflowFailedThisBatch || !filing.IsFull())
        return;
    switch (filing.CheckOverflow()) {
    case Filing::Overflow::Done:
        emit backupNotice();
        break;
    case Filing::Overflow::WriteFailed:
        m_overflowFailedThisBatch = true;
        ReportOnce(QStringLiteral("overflow"),
                   Filing::OverflowWriteFailed(m_services.files.lastFailedPath()));
        break;
    case Filing::Overflow::None:
        break;
    }
}

void CheckEngine::ReportStartFailure(int errorNumber, const QString &description)
{
    emit errorRaised(QStringLiteral("Error"), QStringLiteral("An error has occurred.\r\nError #: ") +
                                                  QString::number(errorNumber) +
                                                  QStringLiteral("\r\nDescription: ") + description);
}

void CheckEngine::QueryFailed(WhoisSlot &slot, const QString &reason)
{
    if (!m_running || !slot.busy)
        return;
    emit connectionStatus(reason);
    Finish(slot, CheckOutcome::Unchecked, reason);
    SlotFinished();
}

void CheckEngine::SlotFinished()
{
    if (!m_running)
        return;
    ++m_finished;
    if (m_finished >= m_handed)
        EndBatch();
}

void CheckEngine::DropBusySlots(const QString &reason)
{
    for (const auto &slot : m_slots) {
        if (slot->busy)
            Finish(*slot, CheckOutcome::Unchecked, reason);
    }
}

void CheckEngine::EndBatch()
{
    for (const auto &slot : m_slots)
        slot->Reset();
    DropBusySlots(QStringLiteral("no answer within %1 seconds").arg(kWatchdogTicks));
    m_watchdog.stop();
    if (m_sourceExhausted) {
        m_completed = true;
        Stop();
        return;
    }
    // The next batch starts from the event loop, after the events already queued.
    const quint64 serial = ++m_batchSerial;
    QMetaObject::invokeMethod(
        this,
        [this, serial] {
            if (m_running && serial == m_batchSerial)
                StartBatch();
        },
        Qt::QueuedConnection);
}

void CheckEngine::Fail(const QString &text)
{
    emit errorRaised(kRunTitle, text);
    Stop();
}

void CheckEngine::ReportOnce(const QString &what, const QString &text)
{
    if (m_reportedFailures.contains(what))
        return;
    m_reportedFailures.insert(what);
    emit errorRaised(QStringLiteral("Result files"), text);
}

void CheckEngine::StorePositionSoon()
{
    if (!m_positionWrite.isActive())
        m_positionWrite.start(m_timings.positionWriteMs);
}

void CheckEngine::StorePosition()
{
    m_positionWrite.stop();
    if (m_request.listPath.isEmpty())
        return;
    const qint64 position = resumePosition();
    if (position == m_storedPosition)
        return;
    if (!m_services.storePosition(m_request.resumeKey, position)) {
        if (!m_reportedFailures.contains(QStringLiteral("position"))) {
            m_reportedFailures.insert(QStringLiteral("position"));
            emit errorRaised(
                QStringLiteral("Settings"),
                QStringLiteral("The position reached (%1) could not be stored in the settings, so "
                               "a later search of this list may not continue there.")
                    .arg(position));
        }
        return;
    }
    m_storedPosition = position;
}

void CheckEngine::Stop()
{
    const bool wasRunning = m_running;
    for (const auto &slot : m_slots)
        slot->Reset();
    m_watchdog.stop();
    if (wasRunning)
        DropBusySlots(QStringLiteral("the search was stopped"));
    m_running = false;
    StorePosition();
    if (wasRunning)
        emit runStopped();
}
