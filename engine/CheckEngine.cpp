#include "CheckEngine.h"

#include "Filing.h"
#include "results/FiledJournal.h"
#include "results/ResultFiles.h"
#include "results/ResultLists.h"
#include "results/UncheckedNames.h"
#include "sources/CandidateFile.h"
#include "whois_table/RegistrarTable.h"

#include <QFileInfo>
#include <QMetaMethod>

#include <algorithm>

namespace {

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
      m_clock(timings.clock ? *timings.clock : Clock::System()), m_flights(kPoolSize),
      m_pacer(HostPacer::Timings{.coolDownBaseMs = timings.coolDownBaseMs, .coolDownCapMs = timings.coolDownCapMs}),
      m_reporter([this](const QString &title, const QString &text) { emit errorRaised(title, text); }),
      m_filer(m_services.lists, m_services.files, m_services.unchecked, m_reporter, [this] { emit backupNotice(); }),
      m_guard(m_services.journal, m_reporter), m_dns(m_clock, [this](const WaitingName &waiting) { m_queues.AddFirstAsk(waiting); }), m_reader(m_services.candidates), m_watchdog(m_clock.MakeTimer()),
      m_pumpTimer(m_clock.MakeTimer()),
      // A stored position never passes a name that is not in the files yet.
      m_position(
          [this](const QString &resumeKey, qint64 position, const FiledMark &filed, int extension) {
              SaveFiled();
              return m_services.storePosition(resumeKey, position, filed, extension);
          },
          m_guard, m_reporter, m_clock, timings.positionWriteMs, [this] { return ResumeOrdinal(); })
{
    m_filer.DeferSaving(true); // SaveFiled() writes each turn's names at once
    connect(this, &CheckEngine::nameChecked, this, [this] { m_speed.Counted(Now()); });
    WhoisSlotOwner &owner = *this;
    for (int i = 0; i < kPoolSize; ++i)
        m_slots.push_back(std::make_unique<WhoisSlot>(i, owner, socketFactory(), m_timings.slotTickMs,
                                                      WhoisSlot::kPoolPolicy, m_clock));
    connect(m_watchdog.get(), &ClockTimer::timeout, this, &CheckEngine::WatchdogTick);
    connect(m_pumpTimer.get(), &ClockTimer::timeout, this, &CheckEngine::Pump);
    connect(&m_dns, &DnsAhead::delegated, this, &CheckEngine::Delegated);
    connect(&m_dns, &DnsAhead::countsChanged, this, &CheckEngine::dnsCountsChanged);
    connect(&m_dns, &DnsAhead::turnedOff, this, [this] {
        emit connectionStatus(QStringLiteral("DNS does not answer: every name is asked over whois"));
    });
    connect(&m_dns, &DnsAhead::answered, this, &CheckEngine::Pump);
    connect(&m_dns, &DnsAhead::freeAnswered, this, &CheckEngine::FreeAnsweredInDns);
}

CheckEngine::~CheckEngine()
{
    Stop();
}

bool CheckEngine::RefuseStart(const RunRequest &request)
{
    const auto refuse = [this](Refusal refusal, const QString &title, const QString &text) {
        m_refusal = refusal;
        if (!text.isEmpty())
            emit errorRaised(title, text);
        return true;
    };
    const QString start = QStringLiteral("Start");
    m_refusal = Refusal::None;
    if (m_running)
        return refuse(Refusal::Running, start, QString());
    if (m_services.registrars.size() == 0)
        return refuse(Refusal::EmptyTable, start,
                      QStringLiteral("The whois server table is empty. Restore the defaults in Options, Setup "
                                     "(\"Restore Defaults\")."));
    if (request.listPath.isEmpty())
        return refuse(Refusal::UnreadableList, start, QStringLiteral("No list is chosen. Choose a source first."));
    if (!m_services.candidates.IsReadable(request.listPath))
        return refuse(Refusal::UnreadableList, start,
                      QStringLiteral("The list \"%1\" cannot be read: %2.")
                          .arg(Shown(request.listPath), m_services.candidates.problem()));
    if (!m_services.files.SecureLeftoverFiles())
        return refuse(Refusal::BackupFailed, QStringLiteral("Result files"),
                      QStringLiteral("The result file \"%1\" of an earlier run could not be copied to the backups "
                                     "folder, so the search did not start. The file was left as it was.")
                          .arg(Shown(m_services.files.lastFailedPath())));
    return false;
}

bool CheckEngine::Start(const RunRequest &request)
{
    if (RefuseStart(request))
        return false;
    m_request = request;
    m_check.emplace(NameCheck::Tables{m_services.registrars, &m_services.rdapBootstrap, &m_services.phrases},
                    request.settings);
    m_running = true;
    m_completed = false;
    m_reporter.Restart();
    m_filer.Restart();
    m_services.unchecked.BeginRun(request.listPath);
    m_reader.Begin(request);
    m_stoppedAt = -1;
    m_position.Begin(request);
    m_guard.Begin(request, m_services.filedMark ? m_services.filedMark() : FiledMark{}, m_services.lists);
    m_shownPosition = m_shownOpen = -1;
    m_queues.Clear();
    m_controls.Clear();
    m_quotaNotices.clear();
    m_waitingCount = 0;
    ++m_runNumber;
    if (QString error; !m_dns.Begin(request.settings, m_timings.dnsTimeoutMs, m_timings.dnsHeadStartMs, &error))
        emit errorRaised(QStringLiteral("DNS"),
                         QStringLiteral("The DNS servers \"%1\" cannot be used (%2); every name is asked over whois.")
                             .arg(CheckSettings::DnsServersText(request.settings.dnsServers), error));
    m_pacer.setUserLimits(request.settings.hostLimits);
    m_pacer.Begin(Now(), m_services.rememberedPaces ? m_services.rememberedPaces() : QHash<QString, RememberedPace>());
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
    const qint64 namesPerLine = std::max<qint64>(1, m_request.settings.extensions.size());
    return m_speed.SecondsLeft(Now(), std::max<qint64>(0, m_request.total - resumePosition() + 1) * namesPerLine);
}

qint64 CheckEngine::ResumeOrdinal() const
{
    if (!m_running && m_stoppedAt >= 0)
        return m_stoppedAt;
    qint64 first = std::min(AskOrdinal(), m_queues.FirstOrdinal().value_or(AskOrdinal()));
    first = std::min(first, m_controls.FirstHeldOrdinal().value_or(first));
    first = std::min(first, m_dns.FirstHeldFreeOrdinal().value_or(first));
    for (const InFlight &flight : m_flights) {
        if (flight.busy)
            first = std::min(first, flight.waiting.ordinal);
    }
    return first;
}

qint64 CheckEngine::AskOrdinal() const
{
    qint64 first = Ordinal::Of(m_reader.nextLine(), 0);
    first = std::min(first, m_dns.FirstOrdinal().value_or(first));
    return std::min(first, m_queues.FirstAskOrdinal().value_or(first));
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
    const auto roomToRead = [this] {
        return m_waitingCount < kHoldAtMost && m_queues.RoomToRead(m_pacer, Now(), kLookahead);
    };
    // While DNS runs ahead, the list is read for DNS, and the slots get what it leaves.
    m_dns.Ask([&] { return m_running && !m_reader.ended() && roomToRead() && ReadAhead(); });
    QueueDueControls();
    for (const auto &slot : m_slots) {
        if (FlightOf(*slot).busy)
            continue;
        std::optional<WaitingName> ready;
        while (m_running && !ready) {
            ready = m_queues.TakeReady(m_pacer, Now(), nextWake);
            if (ready)
                break;
            if (m_dns.isActive()) {
                // DNS is slower than whois: the connection asks a name DNS has not answered yet.
                std::optional<WaitingName> unanswered = m_dns.TakeUnanswered();
                if (!unanswered)
                    break;
                m_queues.AddFirstAsk(std::move(*unanswered));
            } else if (m_reader.ended() || !roomToRead() || !ReadAhead()) {
                break;
            }
        }
        if (!ready || !m_running) {
            if (const qint64 at = m_dns.NextUnansweredAt(); m_running && at >= 0) {
                const qint64 wait = std::max<qint64>(1, at - Now());
                nextWake = nextWake < 0 ? wait : std::min(nextWake, wait);
            }
            break;
        }
        --m_waitingCount;
        StartOn(*slot, std::move(*ready));
    }
    // Names read for a host whose quota is used up are dropped, and the list read further.
    if (m_running && DropQuotaSpent())
        m_pumpAgain = true;
    if (!m_running)
        return;
    if (nextWake >= 0)
        m_pumpTimer->Start(std::min<qint64>(nextWake, 60000));
    if (const qint64 asking = askPosition(); asking != m_shownPosition) {
        m_shownPosition = asking;
        emit progress(asking, m_request.total);
    }
    ShowOpenConnections();
    m_position.StoreSoon();
    EndIfDone();
}

qint64 CheckEngine::ReconnectDueSlots()
{
    qint64 nextWake = -1;
    const qint64 now = Now();
    for (const auto &slot : m_slots) {
        InFlight &flight = FlightOf(*slot);
        if (!flight.busy || flight.reconnectAt < 0)
            continue;
        const qint64 paced = m_pacer.WaitFor(slot->host(), now);
        if (paced == HostPacer::kQuotaSpent) {
            NoVerdictFor(*slot, QuotaReason(slot->host()));
            continue;
        }
        if (paced < 0)
            continue; // the host's connections are all open; one that ends pumps again
        if (const qint64 wait = std::max(flight.reconnectAt - now, paced); wait > 0) {
            nextWake = nextWake < 0 ? wait : std::min(nextWake, wait);
            continue;
        }
        flight.reconnectAt = -1;
        flight.sentAt = now;
        m_pacer.Started(slot->host(), now);
        slot->Reconnect();
    }
    return nextWake;
}

bool CheckEngine::ReadAhead()
{
    QString error;
    const auto add = [this](WaitingName waiting) {
        AddWaiting(std::move(waiting));
        return m_running;
    };
    const ListReader::Read read = m_reader.ReadMore(*m_check, m_guard, add, &error);
    if (read == ListReader::Read::Failed)
        Fail(error);
    return read == ListReader::Read::More;
}

void CheckEngine::AddWaiting(WaitingName waiting)
{
    if (waiting.checked.problem) {
        if (*waiting.checked.problem == CheckedName::Problem::EmptyTable)
            ReportStartFailure(kErrorSubscript, QStringLiteral("Subscript out of range"));
        const QString name = waiting.checked.name;
        const QString reason = waiting.checked.reason;
        emit nameChecked(name, File(name, waiting.ordinal, Verdict::NoVerdict, reason), reason);
        return;
    }
    if (waiting.checked.isRdap())
        m_pacer.MarkHttpHost(waiting.checked.host);
    ++m_waitingCount;
    m_dns.Add(std::move(waiting));
}

void CheckEngine::Delegated(const WaitingName &waiting)
{
    // Certainly registered: filed as a whois answer would be, with no question.
    --m_waitingCount;
    const QString reason = QStringLiteral("delegated in DNS");
    emit nameChecked(waiting.checked.name, File(waiting.checked.name, waiting.ordinal, Verdict::Taken, reason),
                     reason, QStringLiteral("DNS"));
    m_position.StoreSoon();
}

void CheckEngine::StartOn(WhoisSlot &slot, WaitingName waiting)
{
    if (waiting.checked.isRdap() && !m_network) {
        // Runs without RDAP names do not pay for the HTTP machinery.
        m_network = std::make_unique<QNetworkAccessManager>();
        for (const auto &each : m_slots)
            each->setNetwork(m_network.get());
    }
    if (waiting.passedDns && waiting.tries == 0)
        m_dns.CountAsked();
    ++waiting.tries;
    InFlight &flight = FlightOf(slot);
    flight = {true, std::move(waiting), Now(), Now(), -1, 0};
    m_pacer.Started(flight.waiting.checked.host, Now());
    if (slot.Start(flight.waiting.checked) == WhoisSlot::Started::AddressInvalid) {
        // The slot's timer goes on and asks again, as after a timeout.
        ReportStartFailure(kErrorInvalidArgument, QStringLiteral("Invalid procedure call or argument"));
    }
}

void CheckEngine::Release(WhoisSlot &slot)
{
    InFlight &flight = FlightOf(slot);
    if (flight.reconnectAt < 0) // a slot waiting to reconnect has no connection open
        m_pacer.Ended(slot.host());
    flight = {};
    slot.Reset();
}

void CheckEngine::Finish(WhoisSlot &slot, CheckOutcome outcome, const QString &reason)
{
    // The slot is free before anyone hears of the name, so that a Stop from a receiver does not
    // report it a second time.
    const QString name = slot.name();
    const QString decidedBy = slot.checked().DecidedBy();
    if (const quint64 question = FlightOf(slot).waiting.dnsQuestion)
        m_dns.Forget(question);
    Release(slot);
    emit nameChecked(name, outcome, reason, decidedBy);
    m_position.StoreSoon();
    // The replies read in one turn of the event loop free their slots first; their next names
    // then go out together, so that the servers take the new connections in one wake-up. Made one
    // by one between the replies, each connection woke an idle server of its own: at full speed
    // on loopback that cost a third more time in the kernel.
    m_pumpSoon.Ask();
}

void CheckEngine::ReconnectWanted(WhoisSlot &slot)
{
    InFlight &flight = FlightOf(slot);
    if (!m_running || !flight.busy)
        return;
    // The connection is closed now and made again when the backoff is over and the host's pace
    // allows it, like a first ask.
    slot.Park();
    if (flight.reconnectAt < 0)
        m_pacer.Ended(slot.host());
    flight.reconnectAt = Now() + qint64(m_timings.slotTickMs) / 2 * (qint64(1) << std::min(flight.reconnects, 3));
    ++flight.reconnects;
    Pump();
}

void CheckEngine::ShowConnecting(int slot, const QString &name)
{
    // The text is made for a listener only: a run without a window shows none.
    if (isSignalConnected(QMetaMethod::fromSignal(&CheckEngine::connectionStatus)))
        emit connectionStatus(QStringLiteral("connecting(") + QString::number(slot) +
                              QStringLiteral("): - Search String: ") + name);
}

void CheckEngine::ReplyComplete(WhoisSlot &slot)
{
    if (!m_running || !FlightOf(slot).busy) {
        slot.CloseConnection();
        return;
    }
    slot.StopTimer();
    Judged(slot, m_check->JudgeReply(slot.reply(), slot.checked()), -1);
}

void CheckEngine::RdapAnswered(WhoisSlot &slot, const RdapAnswer &answer)
{
    if (!m_running || !FlightOf(slot).busy)
        return;
    if (answer.kind == RdapAnswer::Kind::NoVerdict)
        QueryFailed(slot, answer.reason);
    else
        Judged(slot, NameCheck::JudgeRdap(answer, slot.checked()), answer.retryAfterMs);
}

void CheckEngine::Judged(WhoisSlot &slot, const Judgement &judgement, qint64 retryAfterMs)
{
    if (judgement.problem == Judgement::Problem::RateLimited) {
        Refused(slot, retryAfterMs);
        return;
    }
    const InFlight &flight = FlightOf(slot);
    m_pacer.Answered(slot.host(), flight.sentAt, Now());
    if (!slot.checked().isRdap()) // an RDAP "not found" comes from the registry's own service
        m_controls.Answered(slot.host(), slot.checked(), judgement, Now());
    if (flight.waiting.control)
        ControlAnswered(slot, judgement);
    else if (judgement.verdict == Verdict::Free && flight.waiting.dnsQuestion)
        FreeBeforeDns(slot, judgement);
    else
        Settle(slot, judgement);
}

void CheckEngine::Settle(WhoisSlot &slot, const Judgement &judgement)
{
    if (judgement.verdict == Verdict::Free && !slot.checked().isRdap() && m_request.settings.controlQueries)
        HoldFree(slot, judgement);
    else
        Finish(slot, File(slot.name(), FlightOf(slot).waiting.ordinal, judgement.verdict, judgement.reason),
               judgement.reason);
}

void CheckEngine::HoldFree(WhoisSlot &slot, const Judgement &judgement)
{
    m_controls.Hold(slot.host(), FlightOf(slot).waiting, judgement);
    ++m_waitingCount; // held names keep the run going
    Release(slot);
    Pump();
}

void CheckEngine::FreeBeforeDns(WhoisSlot &slot, const Judgement &judgement)
{
    WaitingName waiting = FlightOf(slot).waiting;
    const quint64 question = std::exchange(waiting.dnsQuestion, 0);
    const DnsAhead::Late answer = m_dns.LateAnswer(question);
    if (answer == DnsAhead::Late::Waiting) {
        waiting.dnsQuestion = question;
        m_dns.HoldFree(std::move(waiting), judgement);
        ++m_waitingCount; // it keeps the run going
        Release(slot);
        Pump();
        return;
    }
    m_dns.Forget(question);
    FlightOf(slot).waiting.dnsQuestion = 0;
    if (answer == DnsAhead::Late::NotDelegated) {
        Settle(slot, judgement);
        return;
    }
    const QString host = slot.host();
    Release(slot);
    DelegatedButFree(waiting, host);
}

void CheckEngine::FreeAnsweredInDns(const WaitingName &held, const Judgement &judgement, bool delegated)
{
    WaitingName waiting = held;
    waiting.dnsQuestion = 0;
    if (delegated) {
        --m_waitingCount;
        DelegatedButFree(waiting, waiting.checked.host);
        return;
    }
    // Free as whois said: held for a control (still waiting), or filed as a confirmed name is.
    if (!waiting.checked.isRdap() && m_request.settings.controlQueries)
        m_controls.Hold(waiting.checked.host, std::move(waiting), judgement);
    else
        FileConfirmed({{std::move(waiting), judgement}});
    m_position.StoreSoon();
    Pump();
}

void CheckEngine::DelegatedButFree(const WaitingName &waiting, const QString &host)
{
    // Registered for certain; and the host that called it free lies, as a control that comes back
    // "not found" shows.
    ++m_waitingCount; // Delegated() counts it done
    Delegated(waiting);
    if (!waiting.checked.isRdap())
        HostLied(host, m_controls.Lied(host), Now());
    Pump();
}

void CheckEngine::QueueDueControls()
{
    for (const QString &host : m_controls.HostsHolding()) {
        const bool idle = !m_queues.HasWaiting(host) && (m_reader.ended() || m_dns.isActive());
        std::optional<WaitingName> control = m_controls.ControlDue(host, *m_check, Now(), idle);
        if (!control)
            continue;
        if (!ControlQueries::isAskable(*control, host)) {
            // Nothing to ask the host as a control: it is trusted, as without controls.
            FileConfirmed(m_controls.ControlAnswered(host, Judgement::Of(Verdict::Taken), Now()).confirmed);
            continue;
        }
        ++m_waitingCount;
        m_queues.AddFirstAsk(std::move(*control));
    }
}

void CheckEngine::ControlAnswered(WhoisSlot &slot, const Judgement &judgement)
{
    const QString host = slot.host();
    const qint64 sentAt = FlightOf(slot).sentAt;
    Release(slot);
    HostLied(host, m_controls.ControlAnswered(host, judgement, Now()), sentAt);
    Pump();
}

void CheckEngine::HostLied(const QString &host, const ControlQueries::Outcome &outcome, qint64 sentAt)
{
    FileConfirmed(outcome.confirmed);
    if (outcome.lied) {
        emit connectionStatus(QStringLiteral("%1 answered \"not found\" for a name registered there: its free "
                                             "answers are asked again after a pause")
                                  .arg(host));
        m_pacer.Refused(host, sentAt, Now(), -1); // cooled as after a refusal
        emit pacingChanged();
    }
    for (WaitingName waiting : outcome.askAgain)
        m_queues.AddRetry(std::move(waiting)); // still counted as waiting
    const QString reason = ControlQueries::LyingReason(host);
    for (const ControlQueries::Held &held : outcome.givenUp) {
        --m_waitingCount;
        emit nameChecked(held.waiting.checked.name,
                         File(held.waiting.checked.name, held.waiting.ordinal, Verdict::NoVerdict, reason), reason);
    }
    m_position.StoreSoon();
}

void CheckEngine::FileConfirmed(const std::vector<ControlQueries::Held> &confirmed)
{
    for (const ControlQueries::Held &held : confirmed) {
        --m_waitingCount;
        const CheckedName &name = held.waiting.checked;
        const CheckOutcome filed = File(name.name, held.waiting.ordinal, Verdict::Free, held.judgement.reason);
        emit nameChecked(name.name, filed, held.judgement.reason, name.DecidedBy());
    }
}

void CheckEngine::NoVerdictFor(WhoisSlot &slot, const QString &reason)
{
    if (FlightOf(slot).waiting.control) {
        m_controls.ControlFailed(slot.host());
        Release(slot);
        Pump();
        return;
    }
    Finish(slot, File(slot.name(), FlightOf(slot).waiting.ordinal, Verdict::NoVerdict, reason), reason);
}

CheckOutcome CheckEngine::File(const QString &name, qint64 ordinal, Verdict verdict, const QString &reason)
{
    const CheckOutcome outcome = m_filer.File(name, verdict, reason);
    if (const std::optional<ResultList> list = Filing::ListFor(name, verdict)) {
        m_guard.Filed(ordinal, *list, name);
        m_saveSoon.Ask();
    }
    return outcome;
}

void CheckEngine::SaveFiled()
{
    // The lists first: a name noted in the journal and missing from its list would be lost after
    // a crash, one in its list and not in the journal only filed again.
    m_filer.Flush();
    m_guard.Flush();
}

void CheckEngine::Refused(WhoisSlot &slot, qint64 serverCoolDownMs)
{
    const QString host = slot.host();
    InFlight &flight = FlightOf(slot);
    WaitingName &waiting = flight.waiting;
    const qint64 now = Now();
    // Refused again after the host answered other names since it first refused this one: the
    // name's problem, and no reason to slow the host down once more.
    const bool nameOnly = waiting.answersAtRefusal >= 0 && m_pacer.AnswerCount(host) > waiting.answersAtRefusal &&
                          serverCoolDownMs < 0;
    const qint64 coolDown = nameOnly ? 0 : m_pacer.Refused(host, flight.sentAt, now, serverCoolDownMs);
    if (waiting.firstRefusedAt < 0)
        waiting.firstRefusedAt = now;
    if (waiting.answersAtRefusal < 0)
        waiting.answersAtRefusal = m_pacer.AnswerCount(host);
    if (coolDown > 0) {
        emit connectionStatus(QStringLiteral("%1 refused to answer (rate limited): no query to it for %2 s")
                                  .arg(host)
                                  .arg((coolDown + 999) / 1000));
        emit pacingChanged();
    }
    QString reason;
    if (serverCoolDownMs > m_pacer.timings().coolDownCapMs) // waiting that long for one name would hold the run
        reason = QStringLiteral("asks to wait %1 s").arg((serverCoolDownMs + 999) / 1000);
    else if (waiting.tries >= kMaxTries ||
             now + std::max<qint64>(coolDown, m_pacer.WaitFor(host, now)) - waiting.firstRefusedAt > kRefusedAtMostMs)
        reason = QStringLiteral("rate limited by ") + host;
    if (!reason.isEmpty()) {
        NoVerdictFor(slot, reason);
        return;
    }
    // Asked again after the cool-down, behind the host's names that wait for their first ask.
    m_queues.AddRetry(flight.waiting);
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
    if (!m_running || !FlightOf(slot).busy)
        return;
    emit connectionStatus(reason);
    NoVerdictFor(slot, reason);
}

void CheckEngine::WatchdogTick()
{
    if (!m_running)
        return;
    m_watchdog->Start(m_timings.watchdogTickMs);
    if (!m_pacer.PacedHosts(Now()).isEmpty())
        emit pacingChanged();
    const qint64 deadline = Now() - qint64(kWatchdogTicks) * m_timings.watchdogTickMs;
    for (const auto &slot : m_slots) {
        const InFlight &flight = FlightOf(*slot);
        if (!m_running || !flight.busy || flight.startedAt > deadline)
            continue;
        QString reason = QStringLiteral("no answer within %1 seconds").arg(kWatchdogTicks);
        if (!slot->lastProblem().isEmpty())
            reason += QStringLiteral(" (%1)").arg(slot->lastProblem());
        NoVerdictFor(*slot, reason);
    }
}

void CheckEngine::ShowOpenConnections()
{
    const int open = static_cast<int>(
        std::count_if(m_flights.begin(), m_flights.end(), [](const InFlight &flight) { return flight.busy; }));
    if (open == m_shownOpen)
        return;
    m_shownOpen = open;
    emit openConnections(open);
}

void CheckEngine::EndIfDone()
{
    if (!m_running || !m_reader.ended() || m_waitingCount > 0 ||
        std::any_of(m_flights.begin(), m_flights.end(), [](const InFlight &flight) { return flight.busy; }))
        return;
    m_completed = true;
    Stop();
}

void CheckEngine::Fail(const QString &text)
{
    emit errorRaised(QStringLiteral("Search"), text);
    Stop();
}

bool CheckEngine::DropQuotaSpent()
{
    std::vector<WaitingName> spent = m_queues.TakeQuotaSpent(m_pacer, Now());
    for (WaitingName &waiting : spent) {
        --m_waitingCount;
        const QString reason = QuotaReason(waiting.checked.host);
        if (waiting.control) {
            // The free names the control was to confirm cannot be confirmed now.
            for (const ControlQueries::Held &held : m_controls.TakeHeld(waiting.checked.host)) {
                --m_waitingCount;
                const QString &name = held.waiting.checked.name;
                emit nameChecked(name, File(name, held.waiting.ordinal, Verdict::NoVerdict, reason), reason);
            }
            continue;
        }
        const QString &name = waiting.checked.name;
        emit nameChecked(name, File(name, waiting.ordinal, Verdict::NoVerdict, reason), reason);
    }
    return !spent.empty();
}

QString CheckEngine::QuotaReason(const QString &host)
{
    const QString reason = m_pacer.QuotaReason(host, Now());
    if (reason.isEmpty())
        return QStringLiteral("rate limited by ") + host;
    // Said once a run and host, in the status bar and the summary.
    const QString notice = reason.section(QLatin1Char(';'), 0, 0);
    if (std::none_of(m_quotaNotices.cbegin(), m_quotaNotices.cend(),
                     [&](const QString &shown) { return shown.startsWith(notice); })) {
        m_quotaNotices.append(reason);
        emit connectionStatus(reason + QStringLiteral(": its other names are left without a verdict"));
    }
    return reason;
}

void CheckEngine::StorePaces()
{
    if (m_services.storePaces && !m_services.storePaces(m_pacer.RememberedPaces(Now())))
        m_reporter.Report(FailureReporter::Failure::Paces,
                          QStringLiteral("The paces learned for the whois servers could not be stored in the "
                                         "settings; the next search starts without them."));
    if (m_services.storeQuota && !m_services.storeQuota(m_pacer.KeptQuota(Now())))
        m_reporter.Report(FailureReporter::Failure::Paces,
                          QStringLiteral("The queries counted against the whois servers' quotas could not be "
                                         "stored in the settings; after a restart they count from zero."));
}

void CheckEngine::Stop()
{
    const bool wasRunning = m_running;
    // Where a later run continues: the first name without a verdict, taken before the names
    // read ahead are let go.
    const qint64 resume = ResumeOrdinal();
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
        if (wasRunning && FlightOf(*slot).busy && !FlightOf(*slot).waiting.control)
            stopped.emplace_back(FlightOf(*slot).waiting.ordinal, slot->name());
        FlightOf(*slot) = {};
        slot->Reset();
    }
    m_dns.Stop();
    m_queues.Clear();
    m_controls.DropHeld(); // held names go back to the list: the position is at or before them
    m_waitingCount = 0;
    SaveFiled();
    m_position.StoreNow(resume);
    if (!wasRunning)
        return;
    StorePaces();
    std::sort(stopped.begin(), stopped.end());
    const QString reason = QStringLiteral("the search was stopped");
    for (const auto &[ordinal, name] : stopped)
        m_filer.File(name, Verdict::NoVerdict, reason);
    m_services.unchecked.EndRun(m_completed);
    const quint64 run = m_runNumber;
    for (const auto &[ordinal, name] : stopped)
        emit nameChecked(name, CheckOutcome::Unchecked, reason);
    if (run == m_runNumber) // not when a receiver started the next run already
        emit runStopped();
}
