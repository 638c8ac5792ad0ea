#include "CheckEngine.h"

#include "Filing.h"
#include "Verdict.h"
#include "platform/TextFile.h"
#include "shell/AppState.h"
#include "sources/SourceSelection.h"
#include "sources/xCorrectName.h"

#include <QFileInfo>

#include <optional>

namespace {

const QString kWordNumberKey = QStringLiteral("wordNumber");

std::optional<int> ParseWhole(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

CheckOutcome OutcomeOfList(int list)
{
    switch (list) {
    case ResultLists::High:
        return CheckOutcome::High;
    case ResultLists::Mid:
        return CheckOutcome::Mid;
    case ResultLists::Low:
        return CheckOutcome::Low;
    case ResultLists::Registered:
        return CheckOutcome::Registered;
    }
    return CheckOutcome::Unchecked;
}

} // namespace

QString CheckOutcomeName(CheckOutcome outcome)
{
    switch (outcome) {
    case CheckOutcome::High:
        return QStringLiteral("High");
    case CheckOutcome::Mid:
        return QStringLiteral("Mid");
    case CheckOutcome::Low:
        return QStringLiteral("Low");
    case CheckOutcome::Registered:
        return QStringLiteral("Registered");
    case CheckOutcome::Unchecked:
        break;
    }
    return QStringLiteral("Unchecked");
}

QString CheckEngine::IdleStatusText(int panel)
{
    switch (panel) {
    case 1:
        return QStringLiteral("Entry Status");
    case 2:
        return QStringLiteral("Open Connections");
    default:
        return QStringLiteral("Connection Status");
    }
}

CheckEngine::CheckEngine(AppState &state, SourceSelection &selection, SocketFactory socketFactory,
                         EngineTimings timings, QObject *parent)
    : QObject(parent), m_state(state), m_selection(selection), m_timings(timings)
{
    WhoisSlotHost &host = *this;
    for (int i = 0; i < kPoolSize; ++i)
        m_slots.push_back(std::make_unique<WhoisSlot>(i, host, socketFactory(), m_timings.slotTickMs));
    m_watchdog.setInterval(m_timings.watchdogTickMs);
    connect(&m_watchdog, &QTimer::timeout, this, &CheckEngine::OnWatchdogTick);
    m_positionWrite.setSingleShot(true);
    m_positionWrite.setInterval(kPositionWriteDelayMs);
    connect(&m_positionWrite, &QTimer::timeout, this, &CheckEngine::StorePosition);
    for (int panel = 1; panel <= 3; ++panel)
        m_panels.at(panel - 1) = IdleStatusText(panel);
}

CheckEngine::~CheckEngine()
{
    m_stopped = true;
    StorePosition();
}

int CheckEngine::position() const
{
    return m_state.runPosition;
}

void CheckEngine::SetStatus(int panel, const QString &text)
{
    if (m_panels.at(panel - 1) == text)
        return;
    m_panels.at(panel - 1) = text;
    emit statusTextChanged(panel, text);
}

bool CheckEngine::Start()
{
    SearchControls &controls = m_state.controls;
    const QString caption = controls.sourceCaption();
    const bool searchEngineSource =
        caption == QLatin1String("Yahoo Search") || caption == QLatin1String("Google Search");
    const std::optional<int> start =
        ParseWhole(searchEngineSource ? QStringLiteral("1") : controls.startNumber());
    const std::optional<int> total = ParseWhole(controls.total());
    if (!start) {
        emit errorRaised(
            QStringLiteral("Start"),
            QStringLiteral("The start number \"%1\" is not a whole number.").arg(controls.startNumber()));
        return false;
    }
    if (!total) {
        emit errorRaised(QStringLiteral("Start"),
                         QStringLiteral("The total \"%1\" is not a whole number.").arg(controls.total()));
        return false;
    }
    const QString path = controls.sourcePath();
    if (path.isEmpty()) {
        emit errorRaised(QStringLiteral("Start"),
                         QStringLiteral("No list is chosen. Choose a source first."));
        return false;
    }
    if (!m_state.candidates.ReadCandidate(path, 1)) {
        emit errorRaised(
            QStringLiteral("Start"),
            QStringLiteral("The list \"%1\" cannot be read.").arg(QFileInfo(path).absoluteFilePath()));
        return false;
    }

    m_stopped = false;
    m_fileErrorReported = false;
    m_state.results.ResetCounters();
    for (const auto control :
         {SearchControls::StartButton, SearchControls::StopButton, SearchControls::SourceList,
          SearchControls::StartNumber, SearchControls::HarvestSize, SearchControls::SearchButton,
          SearchControls::SearchText})
        controls.setEnabled(control, false);
    if (searchEngineSource)
        controls.setStartNumber(QStringLiteral("1"));
    m_state.runPosition = *start;
    m_maximum = *total;
    controls.setEnabled(SearchControls::StopButton, true);
    emit runStarted();
    StartBatch();
    return true;
}

void CheckEngine::StartBatch()
{
    if (m_stopped)
        return;
    ++m_batchSerial;
    ++m_batchesStarted;
    m_sourceExhausted = false;
    m_finished = 0;
    m_handed = 0;
    m_watchdogTicks = 0;
    m_watchdog.start(m_timings.watchdogTickMs);

    int &position = m_state.runPosition;
    const QString path = m_state.controls.sourcePath();
    const std::optional<QStringList> candidates =
        m_state.candidates.ReadCandidates(path, position, kPoolSize);
    if (!candidates) {
        emit errorRaised(QStringLiteral("Search"),
                         QStringLiteral("The list \"%1\" cannot be read any more.").arg(path));
        Stop();
        return;
    }
    std::optional<int> positionToStore;
    for (int i = 0; i < kPoolSize && !m_stopped && i < candidates->size(); ++i) {
        WhoisSlot &slot = *m_slots.at(i);
        slot.CloseConnection();
        SetStatus(2, QStringLiteral("Open: ") + QString::number(i));
        const QString name = NameCleaner(candidates->at(i));
        ++position;
        if (m_maximum >= position)
            SetStatus(1, QString::number(position) + QStringLiteral(" of ") + QString::number(m_maximum));
        SetStatus(2, m_maximum < position
                         ? QStringLiteral("Open: Closing connections...")
                         : QStringLiteral("Open: ") + QString::number(kPoolSize - m_finished));
        if (name == CandidateFile::kEndMarker) {
            m_sourceExhausted = true;
            break;
        }
        positionToStore = position;
        slot.busy = true;
        ++m_handed;
        if (!slot.StartQuery(name, m_state.registrars, m_state.proxyMode, m_state.defaultExtension)) {
            slot.busy = false;
            --m_handed;
            emit nameChecked(slot.name(), CheckOutcome::Unchecked);
        }
    }
    if (positionToStore) {
        m_pendingPosition =
            PendingPosition{SourceSelection::ResumeKey(m_state.controls.sourceCaption()), *positionToStore};
        if (!m_positionWrite.isActive())
            m_positionWrite.start();
    }
    if (!m_stopped && m_finished >= m_handed)
        RunForThisBatch([this] { EndBatch(); }); // nothing is in flight: end the batch from the event loop
}

void CheckEngine::StorePosition()
{
    m_positionWrite.stop();
    if (!m_pendingPosition)
        return;
    const QString value = QString::number(m_pendingPosition->position);
    SettingsStore::Values values;
    if (!m_pendingPosition->key.isEmpty())
        values.append({m_pendingPosition->key, value});
    values.append({kWordNumberKey, value});
    m_pendingPosition.reset();
    m_state.settings.WriteSettings(AppState::kPositionsApp, AppState::kSection, values);
}

void CheckEngine::RunForThisBatch(std::function<void()> step)
{
    QMetaObject::invokeMethod(
        this,
        [this, serial = m_batchSerial, step = std::move(step)] {
            if (!m_stopped && serial == m_batchSerial)
                step();
        },
        Qt::QueuedConnection);
}

void CheckEngine::ReplyComplete(WhoisSlot &slot)
{
    if (m_stopped) {
        slot.CloseConnection();
        return;
    }
    slot.StopTimer();
    const QString reply = TextFile::Decode(slot.reply());
    Filing filing(m_state.results, m_state.resultFiles);
    CheckOutcome outcome = CheckOutcome::Unchecked;
    switch (JudgeReply(reply)) {
    case Verdict::Free: {
        bool saved = true;
        outcome = OutcomeOfList(filing.FileFreeName(slot.name(), &saved));
        if (!saved)
            ReportFileErrorOnce();
        break;
    }
    case Verdict::Taken:
        outcome = OutcomeOfList(filing.FileTakenName(slot.name()));
        break;
    case Verdict::NoVerdict:
        break;
    }
    const bool wasBusy = slot.busy;
    slot.busy = false;
    if (wasBusy)
        emit nameChecked(slot.name(), outcome);
    switch (filing.CheckOverflow()) {
    case Filing::Overflow::Done:
        emit backupNotice();
        break;
    case Filing::Overflow::WriteFailed:
        ReportFileErrorOnce();
        break;
    case Filing::Overflow::None:
        break;
    }
    slot.CloseConnection();
    if (wasBusy)
        SlotFinished();
}

void CheckEngine::ReportFileErrorOnce()
{
    if (m_fileErrorReported)
        return;
    m_fileErrorReported = true;
    emit errorRaised(
        QStringLiteral("Result files"),
        QStringLiteral("The result files cannot be written in \"%1\". The names found stay in the "
                       "lists; copy them before closing the program.")
            .arg(m_state.folder.root()));
}

void CheckEngine::SlotFinished()
{
    if (m_stopped)
        return;
    ++m_finished;
    if (m_finished < m_handed)
        return;
    EndBatch();
}

void CheckEngine::DropBusySlots()
{
    for (const auto &slot : m_slots) {
        if (!slot->busy)
            continue;
        slot->busy = false;
        emit nameChecked(slot->name(), CheckOutcome::Unchecked);
    }
}

void CheckEngine::EndBatch()
{
    for (const auto &slot : m_slots) {
        slot->StopTimer();
        slot->CloseConnection();
    }
    DropBusySlots();
    m_watchdog.stop();
    m_watchdogTicks = 0;
    if (m_sourceExhausted) {
        Stop();
        return;
    }
    // The next batch starts from the event loop, after the events already queued.
    ++m_batchSerial;
    RunForThisBatch([this] { StartBatch(); });
}

void CheckEngine::OnWatchdogTick()
{
    if (m_stopped) {
        m_watchdog.stop();
        return;
    }
    if (++m_watchdogTicks < kWatchdogTicks)
        return;
    m_watchdog.stop();
    m_watchdogTicks = 0;
    m_finished = std::max(m_handed, kPoolSize);
    SlotFinished();
}

void CheckEngine::Shutdown()
{
    StorePosition();
    m_stopped = true;
    m_finished = kPoolSize;
    m_watchdog.stop();
    for (const auto &slot : m_slots)
        slot->Reset();
}

void CheckEngine::Stop()
{
    StorePosition(); // before the source is applied again, which reads it back
    const bool wasRunning = !m_stopped;
    m_stopped = true;
    m_watchdog.stop();
    for (const auto &slot : m_slots)
        slot->Reset();
    DropBusySlots();
    m_watchdogTicks = 0;

    SearchControls &controls = m_state.controls;
    controls.setEnabled(SearchControls::SourceList, true);
    const QString caption = controls.sourceCaption();
    if (caption != QLatin1String("Custom List") && caption != QLatin1String("Generate names") &&
        caption != QLatin1String("Browse for names")) {
        m_selection.Reapply();
    } else {
        controls.EnableForListSource();
        controls.setStartNumber(
            m_state.ReadSetting(AppState::kPositionsApp, QStringLiteral("CustWordNum"), QStringLiteral("1")));
    }
    for (int panel = 1; panel <= 3; ++panel)
        SetStatus(panel, IdleStatusText(panel));
    if (wasRunning)
        emit runStopped();
}
