#include "CheckEngine.h"

#include "Verdict.h"
#include "results/FiledJournal.h"
#include "results/ResultFiles.h"
#include "results/ResultLists.h"
#include "sources/CandidateFile.h"
#include "sources/NameCleaner.h"
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
    : QObject(parent), m_services(std::move(services)), m_timings(timings),
      m_clock(timings.clock ? *timings.clock : Clock::System()),
      m_pacer(HostPacer::Timings{.coolDownBaseMs = timings.coolDownBaseMs,
                                 .coolDownCapMs = timings.coolDownCapMs}),
      m_filer(m_services.lists, m_services.files,
              {.report = [this](const QString &title, const QString &text) { emit errorRaised(title, text); },
               .backupNotice =
                   [this] {
                       emit backupNotice();
                   }}),
      m_watchdog(m_clock.MakeTimer()), m_pumpTimer(m_clock.MakeTimer()), m_positionWrite(m_clock.MakeTimer())
{
    connect(this, &CheckEngine::nameChecked, this, [this] { m_speed.Counted(Now()); });
    WhoisSlotHost &host = *this;
    for (int i = 0; i < kPoolSize; ++i)
        m_slots.push_back(std::make_unique<WhoisSlot>(i, host, socketFactory(), m_timings.slotTickMs,
                                                      WhoisSlot::kPoolPolicy, m_clock));
    // Every query's deadline runs on the monotonic clock: a busy event loop cannot stretch it
    // the way it delays ticks.
    connect(m_watchdog.get(), &ClockTimer::timeout, this, &CheckEngine::WatchdogTick);
    connect(m_pumpTimer.get(), &ClockTimer::timeout, this, &CheckEngine::Pump);
    connect(m_positionWrite.get(), &ClockTimer::timeout, this, [this] { StorePosition(); });
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
        emit errorRaised(QStringLiteral("Start"), QStringLiteral("The list \"%1\" cannot be read: %2.")
                                                      .arg(Shown(request.listPath), m_services.candidates.problem()));
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
    m_filer.Restart();
    m_position = request.firstPosition;
    m_storedOrdinal = -1;
    m_stoppedAt = -1;
    GuardAgainstRefiling();
    m_shownPosition = -1;
    m_sourceExhausted = false;
    m_queues.clear();
    m_waitingCount = 0;
    ++m_runNumber;
    m_dnsQueue.clear();
    m_dnsAsking.clear();
    m_dnsCounts = {};
    m_dnsTimeoutsInRow = 0;
    // Proxy mode sends every question to one server, as the user asked: no DNS either.
    m_dnsActive = m_services.dnsFirst && !m_services.proxyMode;
    m_dnsAtStart = m_dnsActive;
    if (m_dnsActive) {
        if (!m_dns)
            m_dns = std::make_unique<DnsPrecheck>();
        QString error;
        if (!m_dns->Configure(m_services.dnsServers, m_timings.dnsTimeoutMs, DnsPrecheck::kTries, &error)) {
            m_dnsActive = false;
            m_dnsAtStart = false;
            emit errorRaised(QStringLiteral("DNS"),
                             QStringLiteral("The DNS servers \"%1\" cannot be used (%2); every name is asked "
                                            "over whois.")
                                 .arg(m_services.dnsServers, error));
        }
    }
    m_shownOpen = -1;
    QHash<QString, HostPacer::Learned> remembered;
    if (m_services.rememberedPaces) {
        const QHash<QString, RememberedPace> paces = m_services.rememberedPaces();
        for (auto it = paces.cbegin(); it != paces.cend(); ++it)
            remembered.insert(it.key(), {it->limit, Now() - it->ageMs});
    }
    m_pacer.Reset(Now(), remembered);
    m_speed.Start(Now());
    emit runStarted();
    m_watchdog->Start(m_timings.watchdogTickMs);
    Pump();
    return true;
}

std::optional<qint64> CheckEngine::secondsLeft() const
{
    if (m_request.total <= 0)
        return std::nullopt;
    // Each line stands for one name per extension to try (a name with its own counts as one:
    // the estimate errs on the long side).
    const qint64 namesPerLine = std::max<qint64>(1, m_services.extensions.size());
    return m_speed.SecondsLeft(Now(),
                               std::max<qint64>(0, m_request.total - resumePosition() + 1) * namesPerLine);
}

qint64 CheckEngine::resumeOrdinal() const
{
    if (!m_running && m_stoppedAt >= 0)
        return m_stoppedAt;
    qint64 first = askOrdinal();
    for (const HostQueue &queue : m_queues) {
        for (const Waiting &waiting : queue.retries)
            first = std::min(first, waiting.position);
    }
    for (const auto &slot : m_slots) {
        if (slot->isBusy())
            first = std::min(first, slot->position());
    }
    return first;
}

qint64 CheckEngine::askOrdinal() const
{
    qint64 first = m_position * kExtensionSlots;
    if (!m_dnsQueue.empty())
        first = std::min(first, m_dnsQueue.front().position);
    if (!m_dnsAsking.empty())
        first = std::min(first, m_dnsAsking.begin()->second.position);
    for (const HostQueue &queue : m_queues) {
        if (!queue.fresh.empty())
            first = std::min(first, queue.fresh.front().position); // read in list order
    }
    return first;
}

void CheckEngine::Pump()
{
    // A finished slot takes its next name at once, also from inside its own socket event (the
    // socket is done with it by then). A pump started from inside a pump runs after it.
    if (m_pumping) {
        m_pumpAgain = true;
        return;
    }
    m_pumping = true;
    do {
        m_pumpAgain = false;
        PumpOnce();
    } while (m_pumpAgain && m_running);
    m_pumping = false;
}

void CheckEngine::PumpOnce()
{
    if (!m_running)
        return;
    qint64 nextWake = ReconnectDueSlots();
    AskDns();
    for (const auto &slotPointer : m_slots) {
        WhoisSlot &slot = *slotPointer;
        if (slot.isBusy())
            continue;
        std::optional<Waiting> ready;
        while (m_running && !ready) {
            ready = TakeReady(nextWake);
            // While DNS runs ahead, the list is read for DNS, and the slots get what it leaves.
            if (!ready && (m_dnsActive || m_sourceExhausted || !RoomToRead() || !ReadAhead()))
                break;
        }
        if (!ready || !m_running)
            break;
        StartOn(slot, std::move(*ready));
    }
    if (!m_running)
        return;
    if (nextWake >= 0)
        m_pumpTimer->Start(std::min<qint64>(nextWake, 60000));
    if (const qint64 asking = askPosition(); asking != m_shownPosition) {
        m_shownPosition = asking;
        emit progress(asking, m_request.total);
    }
    ShowOpenConnections();
    StorePositionSoon();
    EndIfDone();
}

qint64 CheckEngine::ReconnectDueSlots()
{
    qint64 nextWake = -1;
    for (const auto &slotPointer : m_slots) {
        WhoisSlot &slot = *slotPointer;
        if (!slot.isBusy() || !slot.isWaitingToReconnect())
            continue;
        const qint64 now = Now();
        const qint64 paced = m_pacer.WaitFor(slot.host(), now);
        if (paced < 0)
            continue; // the host's connections are all open; one that ends pumps again
        const qint64 wait = std::max(slot.reconnectAt() - now, paced);
        if (wait > 0) {
            nextWake = nextWake < 0 ? wait : std::min(nextWake, wait);
            continue;
        }
        slot.MarkSent(now);
        m_pacer.Started(slot.host(), now);
        slot.Reconnect();
    }
    return nextWake;
}

std::optional<CheckEngine::Waiting> CheckEngine::TakeReady(qint64 &nextWake)
{
    const qint64 now = Now();
    HostQueue *best = nullptr;
    for (HostQueue &queue : m_queues) {
        if (queue.empty())
            continue;
        const Waiting &next = queue.fresh.empty() ? queue.retries.front() : queue.fresh.front();
        const qint64 wait = m_pacer.WaitFor(next.prepared.host, now);
        if (wait > 0 && (nextWake < 0 || wait < nextWake))
            nextWake = wait;
        if (wait != 0)
            continue;
        const Waiting &bestNext = !best                 ? next
                                  : best->fresh.empty() ? best->retries.front()
                                                        : best->fresh.front();
        if (!best || next.position < bestNext.position)
            best = &queue;
    }
    if (!best)
        return std::nullopt;
    // A refused name waits behind its host's first asks: it never holds them back.
    std::deque<Waiting> &from = best->fresh.empty() ? best->retries : best->fresh;
    Waiting taken = std::move(from.front());
    from.pop_front();
    --m_waitingCount;
    return taken;
}

bool CheckEngine::RoomToRead() const
{
    if (m_waitingCount >= kHoldAtMost)
        return false;
    int hosts = 0;
    for (const HostQueue &queue : m_queues)
        hosts += queue.empty() ? 0 : 1;
    // Every host's fair share of the read-ahead; a host that must wait counts no further, so
    // that the names of the others are read past its names.
    const qsizetype share = std::max(1, kLookahead / std::max(1, hosts + 1));
    const qint64 now = Now();
    qsizetype counted = 0;
    for (auto it = m_queues.cbegin(); it != m_queues.cend(); ++it) {
        const qsizetype size = it->size();
        counted += m_pacer.WaitFor(it.key(), now) == 0 ? size : std::min(size, share);
    }
    return counted < kLookahead;
}

bool CheckEngine::ReadAhead()
{
    const QString &path = m_request.listPath;
    const std::optional<CandidateFile::Batch> batch =
        m_services.candidates.ReadCandidates(path, m_position, kPoolSize);
    if (!batch) {
        Fail(QStringLiteral("The list \"%1\" cannot be read any more.").arg(Shown(path)));
        return false;
    }
    if (batch->atEnd && m_position > m_services.candidates.CountCandidates(path) + 1) {
        Fail(QStringLiteral("The list \"%1\" became shorter while it was checked: it now ends before "
                            "position %2, where the search had got to.")
                 .arg(Shown(path))
                 .arg(m_position));
        return false;
    }
    m_sourceExhausted = batch->atEnd;
    for (const QString &line : batch->lines) {
        // A list line may carry blanks around the name, and after a tab a note (the reason a
        // name of "Unchecked.txt" got no verdict); neither is part of the name. A line too long
        // to be a name goes to Prepare() uncleaned, which refuses it.
        const QString candidate = line.section(QLatin1Char('\t'), 0, 0).trimmed();
        const QString name =
            candidate.size() > WhoisSlot::kMaxLineLength ? candidate : NameCleaner(candidate);
        if (name == CandidateFile::kEndMarker) {
            m_sourceExhausted = true;
            break;
        }
        const QStringList names = Expanded(name);
        const qint64 lineNumber = m_position++;
        for (qsizetype e = 0; e < names.size() && m_running; ++e) {
            if (lineNumber == m_request.firstPosition && e < m_request.firstExtension)
                continue; // asked before the run that this one resumes stopped
            WhoisSlot::Prepared prepared = WhoisSlot::Prepare(names.at(e), m_services.registrars,
                                                              m_services.proxyMode, m_services.defaultExtension,
                                                              &m_services.rdapBootstrap);
            if (FiledBefore(prepared.name, lineNumber))
                continue; // an earlier run filed it after the position it stored: it is done
            AddWaiting({std::move(prepared), lineNumber * kExtensionSlots + e, 0});
        }
        if (!m_running)
            return false;
    }
    return !batch->lines.isEmpty() || !m_sourceExhausted;
}

QStringList CheckEngine::Expanded(const QString &name) const
{
    if (name.contains(QLatin1Char('.')) || m_services.extensions.isEmpty())
        return {name};
    QStringList names;
    for (const QString &extension : m_services.extensions.mid(0, kExtensionSlots))
        names << name + QLatin1Char('.') + extension;
    return names;
}

void CheckEngine::AddWaiting(Waiting waiting)
{
    if (!waiting.prepared.problem.started()) {
        if (waiting.prepared.problem.kind == WhoisSlot::StartResult::Kind::LookupFailed)
            ReportStartFailure(kErrorSubscript, QStringLiteral("Subscript out of range"));
        FinishUnasked(waiting, waiting.prepared.problem.reason);
        return;
    }
    if (!waiting.prepared.rdapBase.isEmpty())
        m_pacer.MarkHttpHost(waiting.prepared.host);
    ++m_waitingCount;
    if (m_dnsActive) {
        m_dnsQueue.push_back(std::move(waiting));
        return;
    }
    waiting.passedDns = m_dnsAtStart; // DNS turned itself off
    QueueForHost(std::move(waiting));
}

void CheckEngine::QueueForHost(Waiting waiting)
{
    // DNS answers come in any order; a host's first asks stay in list order.
    std::deque<Waiting> &fresh = m_queues[waiting.prepared.host].fresh;
    auto at = fresh.end();
    while (at != fresh.begin() && std::prev(at)->position > waiting.position)
        --at;
    fresh.insert(at, std::move(waiting));
}

void CheckEngine::AskDns()
{
    while (m_running && m_dnsActive && static_cast<int>(m_dnsAsking.size()) < kDnsInFlight) {
        if (m_dnsQueue.empty()) {
            if (m_sourceExhausted || !RoomToRead() || !ReadAhead())
                break;
            continue;
        }
        const quint64 id = ++m_dnsNextId;
        Waiting &waiting = m_dnsAsking.emplace(id, std::move(m_dnsQueue.front())).first->second;
        m_dnsQueue.pop_front();
        m_dns->Ask(waiting.prepared.wireName,
                   [this, id, run = m_runNumber](const DnsPrecheck::Result &result) {
                       DnsAnswered(id, run, result);
                   });
    }
}

void CheckEngine::DnsAnswered(quint64 id, quint64 run, const DnsPrecheck::Result &result)
{
    using Answer = DnsPrecheck::Answer;
    const auto found = m_dnsAsking.find(id);
    if (run != m_runNumber || !m_running || found == m_dnsAsking.end())
        return;
    Waiting waiting = std::move(found->second);
    m_dnsAsking.erase(found);
    m_dnsTimeoutsInRow = result.answer == Answer::TimedOut ? m_dnsTimeoutsInRow + 1 : 0;
    if (result.answer == Answer::Failed || result.answer == Answer::TimedOut)
        ++m_dnsCounts.failures;
    if (result.answer == Answer::Delegated) {
        // Delegated is certainly registered: filed as a whois answer would be, with no question.
        ++m_dnsCounts.registered;
        --m_waitingCount;
        const CheckOutcome outcome = File(waiting.prepared.name, waiting.position, Verdict::Taken);
        emit dnsCountsChanged();
        emit nameChecked(waiting.prepared.name, outcome, QStringLiteral("delegated in DNS"),
                         QStringLiteral("DNS"));
        StorePositionSoon();
        Pump();
        return;
    }
    // Not delegated, or no telling: whois or RDAP decides, as without DNS.
    waiting.passedDns = true;
    QueueForHost(std::move(waiting));
    if (m_dnsTimeoutsInRow >= DnsPrecheck::kTimeoutsToGiveUp)
        TurnDnsOff();
    emit dnsCountsChanged();
    Pump();
}

void CheckEngine::TurnDnsOff()
{
    m_dnsActive = false;
    m_dns->CancelAll();
    for (auto &[id, waiting] : m_dnsAsking)
        m_dnsQueue.push_back(std::move(waiting));
    m_dnsAsking.clear();
    m_dnsCounts.turnedOff = true;
    for (Waiting &waiting : m_dnsQueue) {
        waiting.passedDns = true;
        QueueForHost(std::move(waiting));
    }
    m_dnsQueue.clear();
    emit connectionStatus(QStringLiteral("DNS does not answer: every name is asked over whois"));
}

void CheckEngine::StartOn(WhoisSlot &slot, Waiting waiting)
{
    if (!waiting.prepared.rdapBase.isEmpty() && !m_network) {
        // Runs without RDAP names do not pay for the HTTP machinery.
        m_network = std::make_unique<QNetworkAccessManager>();
        for (const auto &each : m_slots)
            each->setNetwork(m_network.get());
    }
    if (waiting.passedDns && waiting.tries == 0) {
        ++m_dnsCounts.overWhois; // counted when asked, not when DNS let it pass
        emit dnsCountsChanged();
    }
    slot.Assign(waiting.position, waiting.tries + 1, Now());
    m_pacer.Started(waiting.prepared.host, slot.startedAt());
    const WhoisSlot::StartResult started = slot.Start(waiting.prepared);
    if (started.kind == WhoisSlot::StartResult::Kind::ConnectRefused) {
        // The slot's timer goes on and asks again, as after a timeout.
        ReportStartFailure(kErrorInvalidArgument, QStringLiteral("Invalid procedure call or argument"));
    }
}

void CheckEngine::FinishUnasked(const Waiting &waiting, const QString &reason)
{
    emit nameChecked(waiting.prepared.name, CheckOutcome::Unchecked, reason);
}

void CheckEngine::Release(WhoisSlot &slot)
{
    if (!slot.isWaitingToReconnect()) // a slot waiting to reconnect has no connection open
        m_pacer.Ended(slot.host());
    slot.Unassign();
    slot.Reset();
}

void CheckEngine::Finish(WhoisSlot &slot, CheckOutcome outcome, const QString &reason)
{
    // The slot is free before anyone hears of the name, so that a Stop from a receiver does not
    // report it a second time.
    const QString name = slot.name();
    const QString decidedBy =
        (slot.prepared().rdapBase.isEmpty() ? QStringLiteral("whois ") : QStringLiteral("RDAP ")) +
        slot.host();
    Release(slot);
    emit nameChecked(name, outcome, reason, decidedBy);
    StorePositionSoon();
    Pump();
}

void CheckEngine::ReconnectWanted(WhoisSlot &slot)
{
    if (!m_running || !slot.isBusy())
        return;
    // The connection is closed now and made again when the backoff is over and the host's pace
    // allows it, like a first ask.
    slot.Park();
    if (!slot.isWaitingToReconnect())
        m_pacer.Ended(slot.host());
    slot.WaitToReconnect(Now() +
                         qint64(m_timings.slotTickMs) / 2 * (qint64(1) << std::min(slot.reconnects(), 3)));
    Pump();
}

void CheckEngine::ReplyComplete(WhoisSlot &slot)
{
    if (!m_running || !slot.isBusy()) {
        slot.CloseConnection();
        return;
    }
    slot.StopTimer();
    const Judgement judgement =
        JudgeReplyBytes(slot.reply(), {slot.name(), slot.host(), &m_services.phrases});
    if (judgement.problem == Judgement::Problem::RateLimited) {
        Refused(slot);
        return;
    }
    FileAnswer(slot, judgement.verdict, judgement.reason);
}

void CheckEngine::RdapAnswered(WhoisSlot &slot, const RdapAnswer &answer)
{
    if (!m_running || !slot.isBusy())
        return;
    switch (answer.kind) {
    case RdapAnswer::Kind::Registered:
        FileAnswer(slot, Verdict::Taken, QString());
        return;
    case RdapAnswer::Kind::NotRegistered:
        FileAnswer(slot, Verdict::Free, QString());
        return;
    case RdapAnswer::Kind::RateLimited:
        Refused(slot, answer.retryAfterMs);
        return;
    case RdapAnswer::Kind::NoVerdict:
        QueryFailed(slot, answer.reason);
        return;
    }
}

void CheckEngine::FileAnswer(WhoisSlot &slot, Verdict verdict, const QString &reason)
{
    m_pacer.Answered(slot.host(), slot.sentAt(), Now());
    Finish(slot, File(slot.name(), slot.position(), verdict), reason);
}

bool CheckEngine::FiledBefore(const QString &name, qint64 lineNumber) const
{
    const std::optional<ResultList> free = Filing::ListFor(name, Verdict::Free);
    if (!free)
        return false;
    const QString freeKey = FiledJournal::Key(*free, name);
    if (m_journaled.contains(freeKey))
        return true;
    return lineNumber <= m_refileGuardUpTo &&
           (m_inLists.contains(freeKey) || m_inLists.contains(FiledJournal::Key(ResultList::Registered, name)));
}

CheckOutcome CheckEngine::File(const QString &name, qint64 ordinal, Verdict verdict)
{
    const qint64 position = ordinal / kExtensionSlots;
    if (verdict != Verdict::NoVerdict)
        m_filedUpTo = std::max(m_filedUpTo, position);
    const CheckOutcome outcome = m_filer.File(name, verdict);
    if (verdict == Verdict::Free && outcome != CheckOutcome::NotFiled && outcome != CheckOutcome::Unchecked &&
        !m_services.journal.Add(ordinal, *Filing::ListFor(name, verdict), name))
        ReportOnce(QStringLiteral("journal"),
                   QStringLiteral("The names filed ahead of the stored position cannot be noted in \"%1\"; "
                                  "if the search is ended abruptly, some free names may be filed twice.")
                       .arg(Shown(m_services.journal.path())));
    return outcome;
}

void CheckEngine::GuardAgainstRefiling()
{
    m_filedUpTo = 0;
    m_storedFiledUpTo = -1;
    m_refileGuardUpTo = 0;
    m_inLists.clear();
    m_journaled.clear();
    // A list checked again from its start on purpose files again.
    if (m_request.firstPosition <= 1) {
        m_services.journal.Reset(m_request.listPath);
        return;
    }
    // The lists of a new program run start empty, and every run rewrites the profile files with
    // its own names: what earlier runs filed ahead of the position is in the journal.
    m_journaled = m_services.journal.Load(m_request.listPath, m_request.firstPosition * kExtensionSlots);
    // Names this program run filed stand in its lists (registered ones too), up to the mark
    // stored with the position of this list.
    const FiledMark mark = m_services.filedMark ? m_services.filedMark() : FiledMark{};
    if (mark.listPath != m_request.listPath || mark.upTo < m_request.firstPosition)
        return;
    m_refileGuardUpTo = mark.upTo;
    m_filedUpTo = mark.upTo;
    for (const ResultList list :
         {ResultList::High, ResultList::Mid, ResultList::Low, ResultList::Registered}) {
        for (const QString &name : m_services.lists.items(list))
            m_inLists.insert(FiledJournal::Key(list, name));
    }
}

void CheckEngine::Refused(WhoisSlot &slot, qint64 serverCoolDownMs)
{
    const QString host = slot.host();
    const qint64 coolDown = m_pacer.Refused(host, slot.sentAt(), Now(), serverCoolDownMs);
    if (coolDown > 0) {
        emit connectionStatus(QStringLiteral("%1 refused to answer (rate limited): no query to it for %2 s")
                                  .arg(host)
                                  .arg((coolDown + 999) / 1000));
        emit pacingChanged();
    }
    if (serverCoolDownMs > m_pacer.timings().coolDownCapMs) {
        // Waiting that long for one name would hold the run: the host cools for the cap only.
        Finish(slot, CheckOutcome::Unchecked,
               QStringLiteral("asks to wait %1 s").arg((serverCoolDownMs + 999) / 1000));
        return;
    }
    if (slot.tries() >= kMaxTries) {
        Finish(slot, CheckOutcome::Unchecked, QStringLiteral("rate limited by ") + host);
        return;
    }
    // Asked again after the cool-down, behind the host's names that wait for their first ask.
    m_queues[host].retries.push_back({slot.prepared(), slot.position(), slot.tries()});
    ++m_waitingCount;
    Release(slot);
    Pump();
}

void CheckEngine::ReportStartFailure(int errorNumber, const QString &description)
{
    emit errorRaised(QStringLiteral("Error"), QStringLiteral("An error has occurred.\r\nError #: ") +
                                                  QString::number(errorNumber) +
                                                  QStringLiteral("\r\nDescription: ") + description);
}

void CheckEngine::QueryFailed(WhoisSlot &slot, const QString &reason)
{
    if (!m_running || !slot.isBusy())
        return;
    emit connectionStatus(reason);
    Finish(slot, CheckOutcome::Unchecked, reason);
}

void CheckEngine::WatchdogTick()
{
    if (!m_running)
        return;
    m_watchdog->Start(m_timings.watchdogTickMs);
    if (!m_pacer.PacedHosts(Now()).isEmpty())
        emit pacingChanged();
    CheckWatchdogs();
}

void CheckEngine::CheckWatchdogs()
{
    if (!m_running)
        return;
    const qint64 deadline = Now() - qint64(kWatchdogTicks) * m_timings.watchdogTickMs;
    for (const auto &slot : m_slots) {
        if (!slot->isBusy() || slot->startedAt() > deadline)
            continue;
        QString reason = QStringLiteral("no answer within %1 seconds").arg(kWatchdogTicks);
        if (!slot->lastProblem().isEmpty())
            reason += QStringLiteral(" (%1)").arg(slot->lastProblem());
        Finish(*slot, CheckOutcome::Unchecked, reason);
    }
}

void CheckEngine::ShowOpenConnections()
{
    const int open = static_cast<int>(
        std::count_if(m_slots.begin(), m_slots.end(), [](const auto &slot) { return slot->isBusy(); }));
    if (open == m_shownOpen)
        return;
    m_shownOpen = open;
    emit openConnections(open);
}

void CheckEngine::EndIfDone()
{
    if (!m_running || !m_sourceExhausted || m_waitingCount > 0)
        return;
    if (std::any_of(m_slots.begin(), m_slots.end(), [](const auto &slot) { return slot->isBusy(); }))
        return;
    m_completed = true;
    Stop();
}

void CheckEngine::Fail(const QString &text)
{
    emit errorRaised(kRunTitle, text);
    Stop();
}

void CheckEngine::ReportOnce(const QString &what, const QString &text)
{
    m_filer.ReportOnce(what, text);
}

void CheckEngine::StorePositionSoon()
{
    if (!m_positionWrite->isActive())
        m_positionWrite->Start(m_timings.positionWriteMs);
}

void CheckEngine::StorePosition()
{
    StorePosition(resumeOrdinal());
}

void CheckEngine::StorePosition(qint64 ordinal)
{
    m_positionWrite->Stop();
    if (m_request.listPath.isEmpty())
        return;
    const qint64 position = ordinal / kExtensionSlots;
    if (ordinal == m_storedOrdinal && m_filedUpTo == m_storedFiledUpTo)
        return;
    if (!m_services.storePosition(m_request.resumeKey, position, {m_request.listPath, m_filedUpTo},
                                  static_cast<int>(ordinal % kExtensionSlots))) {
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
    m_storedOrdinal = ordinal;
    m_storedFiledUpTo = m_filedUpTo;
    m_services.journal.Forget(ordinal);
}

void CheckEngine::StorePaces()
{
    if (!m_services.storePaces)
        return;
    QHash<QString, RememberedPace> paces;
    const QHash<QString, HostPacer::Learned> learned = m_pacer.LearnedPaces();
    for (auto it = learned.cbegin(); it != learned.cend(); ++it)
        paces.insert(it.key(), {it->limit, std::max<qint64>(0, Now() - it->at)});
    if (!m_services.storePaces(paces))
        ReportOnce(
            QStringLiteral("paces"),
            QStringLiteral("The paces learned for the whois servers could not be stored in the settings; "
                           "the next search starts without them."));
}

void CheckEngine::Stop()
{
    const bool wasRunning = m_running;
    // Where a later run continues: the first name without a verdict, taken before the names
    // read ahead are let go.
    const qint64 resume = resumeOrdinal();
    if (wasRunning)
        m_stoppedAt = resume;
    m_running = false;
    m_watchdog->Stop();
    m_pumpTimer->Stop();
    // Everything the run held is let go before anyone hears of a name, so that a receiver may
    // start the next run at once. Only the names sent and not answered were stopped; the names
    // read ahead and never sent go back to the list unreported: the stored position is at or
    // before them, so the next run asks them.
    std::vector<std::pair<qint64, QString>> stopped;
    for (const auto &slot : m_slots) {
        slot->Reset();
        if (wasRunning && slot->isBusy())
            stopped.emplace_back(slot->position(), slot->name());
        slot->Unassign();
    }
    m_dnsQueue.clear();
    m_dnsAsking.clear();
    if (m_dns)
        m_dns->CancelAll();
    m_queues.clear();
    m_waitingCount = 0;
    StorePosition(resume);
    if (!wasRunning)
        return;
    StorePaces();
    std::sort(stopped.begin(), stopped.end());
    const quint64 run = m_runNumber;
    for (const auto &[position, name] : stopped)
        emit nameChecked(name, CheckOutcome::Unchecked, QStringLiteral("the search was stopped"));
    if (run == m_runNumber) // not when a receiver started the next run already
        emit runStopped();
}
