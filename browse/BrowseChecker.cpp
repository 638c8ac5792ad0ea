#include "BrowseChecker.h"

#include "whois_table/RegistrarTable.h"

BrowseChecker::BrowseChecker(Services services, BrowseQueue &queue, std::unique_ptr<SocketComponent> socket,
                             int tickMs, Clock &clock, QObject *parent)
    : QObject(parent), m_services(services), m_queue(queue),
      m_slot(0, static_cast<WhoisSlotOwner &>(*this), std::move(socket), tickMs, WhoisSlot::kGiveUpPolicy, clock),
      m_feedTimer(clock.MakeTimer()),
      m_tickMs(tickMs), m_dns(clock),
      m_reporter([this](const QString &title, const QString &text) { emit errorRaised(title, text); }),
      m_filer(services.lists, services.files, services.unchecked, m_reporter, [this] { emit backupNotice(); })
{
    m_slot.setNetwork(&m_network);
    connect(m_feedTimer.get(), &ClockTimer::timeout, this, [this] {
        m_feedTimer->Start(m_tickMs);
        FeedNext();
    });
    connect(&m_dns, &DnsPrecheck::gaveUpAsking, this, &BrowseChecker::dnsGaveUp);
}

BrowseChecker::~BrowseChecker()
{
    Stop();
}

void BrowseChecker::Start(const NameCheck &check)
{
    m_check.emplace(check);
    m_running = true;
    m_checkedCount = 0;
    m_reporter.Restart();
    m_filer.Restart();
    m_dns.Configure(check.settings());
    m_feedTimer->Start(m_tickMs);
}

void BrowseChecker::Stop()
{
    m_running = false;
    m_checking = false;
    m_feedTimer->Stop();
    m_dns.CancelAll();
    m_slot.Reset();
    m_turn.reset();
}

void BrowseChecker::FeedNext()
{
    if (!m_running || m_checking)
        return; // one check at a time; the one in flight is never asked again
    for (int skipped = 0; skipped < kSkipsPerTurn; ++skipped) {
        const std::optional<QString> name = m_queue.ReadQueuedName(m_nextIndex);
        if (!name) {
            emit queueDone();
            return;
        }
        if (StartCheck(*name))
            return;
        ++m_nextIndex;
    }
    // A long run of names that cannot be checked goes on from the event loop.
    QMetaObject::invokeMethod(this, &BrowseChecker::FeedNext, Qt::QueuedConnection);
}

bool BrowseChecker::StartCheck(const QString &queued)
{
    const CheckedName checked = m_check->Prepare(queued);
    // Names without an extension the table knows, and names that cannot be asked, are passed over.
    if (checked.problem || checked.extensionAdded || !m_check->tables().registrars.HasKnownExtension(checked.name))
        return false;
    if (!m_dns.isOn())
        return AskWhois(checked);
    m_checking = true;
    emit checking(checked.name);
    m_dns.Ask(checked.wireName, [this, checked](const DnsPrecheck::Result &result) { DnsAnswered(checked, result); });
    return true;
}

void BrowseChecker::DnsAnswered(const CheckedName &checked, const DnsPrecheck::Result &result)
{
    if (!m_checking)
        return;
    if (result.answer == DnsPrecheck::Answer::Delegated) {
        Finish(checked.name, Verdict::Taken);
    } else if (!AskWhois(checked)) {
        m_checking = false;
        ++m_nextIndex;
        FeedNext();
    }
}

bool BrowseChecker::AskWhois(const CheckedName &checked)
{
    if (!m_services.pacer)
        return StartSlot(checked);
    if (!m_checking) {
        m_checking = true;
        emit checking(checked.name);
    }
    m_turn = std::make_unique<HostTurn>(*m_services.pacer, *m_services.pacerClock, checked.host);
    m_turn->Take(
        [this, checked] {
            if (StartSlot(checked))
                return;
            // Passed over like a name that cannot be asked, from the event loop.
            m_turn.reset();
            m_checking = false;
            ++m_nextIndex;
            QMetaObject::invokeMethod(this, &BrowseChecker::FeedNext, Qt::QueuedConnection);
        },
        [this, checked](qint64 ms) {
            if (ms != HostPacer::kQuotaSpent)
                return;
            // From the event loop, so that a queue of such names is no chain of calls.
            const QString reason = m_turn->QuotaReason();
            QMetaObject::invokeMethod(
                this,
                [this, name = checked.name, reason] {
                    if (m_checking)
                        Finish(name, Verdict::NoVerdict, reason);
                },
                Qt::QueuedConnection);
        });
    return true;
}

bool BrowseChecker::StartSlot(const CheckedName &checked)
{
    if (m_slot.Start(checked) != WhoisSlot::Started::Yes) {
        m_slot.Reset();
        return false;
    }
    if (!m_checking) {
        m_checking = true;
        emit checking(checked.name);
    }
    return true;
}

void BrowseChecker::ReplyComplete(WhoisSlot &slot)
{
    if (!m_checking) {
        slot.CloseConnection();
        return;
    }
    Judged(slot.name(), m_check->JudgeReply(slot.reply(), slot.checked()), -1);
}

void BrowseChecker::Judged(const QString &name, const Judgement &judgement, qint64 retryAfterMs)
{
    if (m_turn && judgement.problem == Judgement::Problem::RateLimited)
        m_turn->Refused(retryAfterMs);
    Finish(name, judgement.verdict, judgement.reason);
}

void BrowseChecker::RdapAnswered(WhoisSlot &slot, const RdapAnswer &answer)
{
    if (!m_checking)
        return;
    Judged(slot.name(), NameCheck::JudgeRdap(answer, slot.checked()), answer.retryAfterMs);
}

void BrowseChecker::QueryFailed(WhoisSlot &slot, const QString &reason)
{
    if (m_checking)
        Finish(slot.name(), Verdict::NoVerdict, reason);
}

void BrowseChecker::QueryTimedOut(WhoisSlot &slot)
{
    QueryFailed(slot, QStringLiteral("no answer within %1 seconds").arg(WhoisSlot::kGiveUpPolicy.ticks));
}

void BrowseChecker::Finish(const QString &name, Verdict verdict, const QString &reason)
{
    if (m_turn)
        m_turn->Release(verdict != Verdict::NoVerdict);
    m_turn.reset();
    m_slot.Reset();
    m_checking = false;
    const CheckOutcome outcome = m_filer.File(name, verdict, reason);
    if (outcome == CheckOutcome::Unchecked) {
        emit unchecked(name, reason);
    } else if (outcome != CheckOutcome::NotFiled) {
        ++m_checkedCount;
        emit filed(name, outcome);
    }
    ++m_nextIndex;
    FeedNext();
}
