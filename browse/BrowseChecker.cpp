#include "BrowseChecker.h"

#include "engine/Filing.h"
#include "results/ResultFiles.h"
#include "results/ResultLists.h"
#include "results/UncheckedNames.h"
#include "sources/NameCleaner.h"
#include "sources/PercentDecoding.h"
#include "whois_table/RegistrarTable.h"

namespace {

bool IsBareOrQuotedExtension(const QString &name)
{
    return name == QLatin1String(".net") || name == QLatin1String(".com") ||
           name.contains(QLatin1String("\".net")) || name.contains(QLatin1String("\".com"));
}

} // namespace

BrowseChecker::BrowseChecker(Services services, BrowseQueue &queue, std::unique_ptr<SocketComponent> socket,
                             int tickMs, QObject *parent)
    : QObject(parent), m_services(services), m_queue(queue),
      m_slot(0, *this, std::move(socket), tickMs, WhoisSlot::kGiveUpPolicy),
      m_filer(services.lists, services.files,
              {.report = [this](const QString &title, const QString &text) { emit errorRaised(title, text); },
               .backupNotice =
                   [this] {
                       emit backupNotice();
                   }})
{
    m_slot.setNetwork(&m_network);
    m_feedTimer.setInterval(tickMs);
    connect(&m_feedTimer, &QTimer::timeout, this, &BrowseChecker::FeedNext);
}

BrowseChecker::~BrowseChecker()
{
    Stop();
}

void BrowseChecker::Start()
{
    m_running = true;
    m_checkedCount = 0;
    m_filer.Restart();
    m_dnsOff = false;
    m_dnsTimeoutsInRow = 0;
    if (m_services.dnsFirst && m_services.dnsServers) {
        if (!m_dns)
            m_dns = std::make_unique<DnsPrecheck>();
        m_dnsOff = !m_dns->Configure(*m_services.dnsServers);
    }
    m_feedTimer.start();
}

void BrowseChecker::Stop()
{
    m_running = false;
    m_checking = false;
    m_feedTimer.stop();
    if (m_dns)
        m_dns->CancelAll();
    m_slot.Reset();
}

void BrowseChecker::FeedNext()
{
    if (!m_running || m_checking)
        return; // one check at a time; the one in flight is never asked again
    for (int skipped = 0; skipped < kSkipsPerTurn; ++skipped) {
        const std::optional<QString> name = m_queue.ReadQueuedName(m_nextIndex);
        if (!name) {
            emit panelText(1, QStringLiteral("Checked ") + QString::number(m_checkedCount) +
                                  QStringLiteral(" unique domains."));
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
    const QString name = NameCleaner(PercentDecoder(queued));
    if (!m_services.registrars.HasKnownExtension(name))
        return false;
    const WhoisSlot::Prepared prepared =
        WhoisSlot::Prepare(name, m_services.registrars, m_services.proxyMode, QStringLiteral(".com"));
    if (prepared.problem.kind != WhoisSlot::StartResult::Kind::Started)
        return false; // passed over without a word
    if (!DnsWanted())
        return AskWhois(prepared);
    m_checking = true;
    emit panelText(1, QStringLiteral("Checking status of: ") + prepared.name);
    m_dns->Ask(prepared.wireName,
               [this, prepared](const DnsPrecheck::Result &result) { DnsAnswered(prepared, result); });
    return true;
}

bool BrowseChecker::DnsWanted() const
{
    return m_services.dnsFirst && *m_services.dnsFirst && !m_services.proxyMode && !m_dnsOff && m_dns;
}

void BrowseChecker::DnsAnswered(const WhoisSlot::Prepared &prepared, const DnsPrecheck::Result &result)
{
    if (!m_checking)
        return;
    m_dnsTimeoutsInRow = result.answer == DnsPrecheck::Answer::TimedOut ? m_dnsTimeoutsInRow + 1 : 0;
    if (m_dnsTimeoutsInRow >= DnsPrecheck::kTimeoutsToGiveUp) {
        m_dnsOff = true;
        emit panelText(2, QStringLiteral("DNS does not answer: every name is asked over whois"));
    }
    if (result.answer == DnsPrecheck::Answer::Delegated) {
        m_checking = false;
        FileReply(prepared.name, Verdict::Taken);
        Next();
    } else if (!AskWhois(prepared)) {
        m_checking = false;
        Next();
    }
}

bool BrowseChecker::AskWhois(const WhoisSlot::Prepared &prepared)
{
    if (!m_slot.Start(prepared).started()) {
        m_slot.Reset();
        return false;
    }
    m_checking = true;
    emit panelText(1, QStringLiteral("Checking status of: ") + m_slot.name());
    return true;
}

void BrowseChecker::Next()
{
    ++m_nextIndex;
    FeedNext();
}

void BrowseChecker::ReplyComplete(WhoisSlot &slot)
{
    if (!m_checking) {
        slot.CloseConnection();
        return;
    }
    const Judgement judgement = JudgeReplyBytes(slot.reply(), {slot.name(), slot.host(), m_services.phrases});
    if (judgement.verdict == Verdict::NoVerdict)
        GiveUp(judgement.reason);
    else
        FinishCheck(slot, judgement.verdict);
}

void BrowseChecker::RdapAnswered(WhoisSlot &slot, const RdapAnswer &answer)
{
    if (!m_checking)
        return;
    if (answer.kind == RdapAnswer::Kind::Registered)
        FinishCheck(slot, Verdict::Taken);
    else if (answer.kind == RdapAnswer::Kind::NotRegistered)
        FinishCheck(slot, Verdict::Free);
    else
        GiveUp(answer.reason);
}

void BrowseChecker::FinishCheck(WhoisSlot &slot, Verdict verdict)
{
    const QString name = slot.name();
    slot.Reset();
    m_checking = false;
    FileReply(name, verdict);
    Next();
}

void BrowseChecker::FileReply(const QString &name, Verdict verdict)
{
    if (IsBareOrQuotedExtension(name) ||
        (verdict == Verdict::Free && name.contains(QLatin1String("endoffile"))))
        return; // judged, but no name to keep
    const CheckOutcome outcome = m_filer.File(name, verdict);
    if (outcome != CheckOutcome::NotFiled)
        ++m_checkedCount;
    if (outcome == CheckOutcome::Registered) {
        emit nameTaken(name);
    } else if (outcome != CheckOutcome::NotFiled) {
        emit nameFree(name);
        emit panelText(1, QStringLiteral("Unregistered: ") + name);
    }
}

void BrowseChecker::GiveUp(const QString &reason)
{
    if (!m_checking)
        return;
    KeepUnchecked(m_slot.name(), reason);
    m_slot.Reset();
    m_checking = false;
    Next();
}

int BrowseChecker::noVerdictCount() const
{
    int count = 0;
    for (const int each : m_noVerdictReasons)
        count += each;
    return count;
}

void BrowseChecker::KeepUnchecked(const QString &name, const QString &reason)
{
    emit panelText(1, QStringLiteral("Unchecked: ") + name);
    ++m_noVerdictReasons[reason];
    emit noVerdictChanged();
    if (m_services.unchecked && !m_services.unchecked->Keep(name, reason))
        m_filer.ReportOnce(QStringLiteral("unchecked"),
                           Filing::UncheckedWriteFailed(m_services.unchecked->path()));
}

void BrowseChecker::QueryFailed(WhoisSlot &, const QString &reason)
{
    GiveUp(reason);
}

void BrowseChecker::QueryTimedOut(WhoisSlot &)
{
    GiveUp(QStringLiteral("no answer within %1 seconds").arg(WhoisSlot::kGiveUpPolicy.ticks));
}
