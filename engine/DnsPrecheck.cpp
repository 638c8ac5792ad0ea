#include "DnsPrecheck.h"

#include "DnsMessage.h"

#include <QHostAddress>
#include <QSocketNotifier>

#include <ares.h>
#include <sys/time.h>

struct DnsPrecheck::Question
{
    DnsPrecheck *owner;
    quint64 generation;
    quint64 id;
    QString name;
};

namespace {

ares_channel Channel(void *channel)
{
    return static_cast<ares_channel>(channel);
}

void InitialiseLibrary()
{
    static const int status = ares_library_init(ARES_LIB_INIT_ALL);
    Q_UNUSED(status);
}

} // namespace

DnsPrecheck::DnsPrecheck(Clock &clock, QObject *parent)
    : QObject(parent), m_clock(clock), m_deadlineTimer(clock.MakeTimer()), m_timer(clock.MakeTimer())
{
    connect(m_timer.get(), &ClockTimer::timeout, this, [this] { Process(ARES_SOCKET_BAD, ARES_SOCKET_BAD); });
    connect(m_deadlineTimer.get(), &ClockTimer::timeout, this, &DnsPrecheck::TimeOutExpired);
}

DnsPrecheck::~DnsPrecheck()
{
    Destroy();
}

void DnsPrecheck::Destroy()
{
    ++m_generation; // the callbacks c-ares makes while it is destroyed are dropped
    m_callbacks.clear();
    m_ready.clear();
    m_deadlines.clear();
    if (m_channel)
        ares_destroy(Channel(m_channel));
    m_channel = nullptr;
    m_notifiers.clear();
    m_timer->Stop();
    m_deadlineTimer->Stop();
}

bool DnsPrecheck::Configure(const CheckSettings &settings, int timeoutMs, QString *error)
{
    Destroy();
    m_gaveUp = false;
    m_timeoutsInRow = 0;
    m_questionTimeMs = QuestionTimeMs(timeoutMs);
    if (!settings.asksDnsFirst())
        return true;
    const QString list = CheckSettings::DnsServersText(settings.dnsServers);
    InitialiseLibrary();
    ares_options options = {};
    options.sock_state_cb = &DnsPrecheck::OnSocketState;
    options.sock_state_cb_data = this;
    options.timeout = timeoutMs;
    options.tries = kTries;
    ares_channel channel = nullptr;
    int status =
        ares_init_options(&channel, &options, ARES_OPT_SOCK_STATE_CB | ARES_OPT_TIMEOUTMS | ARES_OPT_TRIES);
    if (status == ARES_SUCCESS && !list.isEmpty())
        status = ares_set_servers_ports_csv(channel, list.toLatin1().constData());
    if (status != ARES_SUCCESS) {
        if (channel)
            ares_destroy(channel);
        if (error)
            *error = QString::fromLatin1(ares_strerror(status));
        return false;
    }
    m_channel = channel;
    return true;
}

void DnsPrecheck::Ask(const QString &asciiName, Callback callback)
{
    const quint64 id = ++m_nextId;
    if (!m_channel) {
        m_ready.emplace_back(id, Result{Answer::Failed, {}});
        m_callbacks.insert(id, std::move(callback));
        m_deliverSoon.Ask();
        return;
    }
    m_callbacks.insert(id, std::move(callback));
    // The question's time runs on the program's clock; an answer c-ares brings later is dropped.
    m_deadlines.emplace_back(m_clock.Now() + m_questionTimeMs, id);
    if (!m_deadlineTimer->isActive())
        m_deadlineTimer->Start(m_questionTimeMs);
    auto *question = new Question{this, m_generation, id, DnsMessage::Canonical(asciiName)};
    ares_query(Channel(m_channel), question->name.toLatin1().constData(), DnsMessage::kClassIn,
               DnsMessage::kTypeNs, &DnsPrecheck::OnAnswer, question);
    // A question that failed at once has its answer waiting: it comes from the event loop.
    if (!m_ready.empty())
        m_deliverSoon.Ask();
    // Armed for each question: a retried question waits twice as long, so a new one may fall
    // due before the timer that runs.
    ArmTimer();
}

void DnsPrecheck::CancelAll()
{
    ++m_generation;
    m_callbacks.clear();
    m_ready.clear();
    m_deadlines.clear();
    m_deadlineTimer->Stop();
    if (m_channel)
        ares_cancel(Channel(m_channel));
    m_ready.clear();
    ArmTimer();
}

void DnsPrecheck::TimeOutExpired()
{
    const qint64 now = m_clock.Now();
    while (!m_deadlines.empty() && m_deadlines.front().first <= now) {
        const quint64 id = m_deadlines.front().second;
        m_deadlines.pop_front();
        if (m_callbacks.contains(id))
            m_ready.emplace_back(id, Result{Answer::TimedOut, {}});
    }
    if (!m_deadlines.empty())
        m_deadlineTimer->Start(m_deadlines.front().first - now);
    Deliver();
}

void DnsPrecheck::OnAnswer(void *argument, int status, int timeouts, unsigned char *answer, int length)
{
    Q_UNUSED(timeouts);
    std::unique_ptr<Question> question(static_cast<Question *>(argument));
    DnsPrecheck *self = question->owner;
    if (question->generation != self->m_generation || status == ARES_ECANCELLED ||
        status == ARES_EDESTRUCTION)
        return;
    Result result;
    switch (status) {
    case ARES_SUCCESS: {
        const std::optional<DnsMessage::Parsed> parsed =
            DnsMessage::Parse(QByteArray(reinterpret_cast<const char *>(answer), length));
        if (!parsed) {
            result.answer = Answer::Failed;
            break;
        }
        result.nameServers = DnsMessage::NameServersOf(*parsed, question->name);
        result.answer = result.nameServers.isEmpty() ? Answer::OtherOwner : Answer::Delegated;
        break;
    }
    case ARES_ENOTFOUND:
        result.answer = Answer::NoSuchName;
        break;
    case ARES_ENODATA:
        result.answer = Answer::NoRecords;
        break;
    case ARES_ETIMEOUT:
        result.answer = Answer::TimedOut;
        break;
    default:
        result.answer = Answer::Failed;
        break;
    }
    self->m_ready.emplace_back(question->id, std::move(result));
}

void DnsPrecheck::OnSocketState(void *data, int socket, int readable, int writable)
{
    auto *self = static_cast<DnsPrecheck *>(data);
    if (!readable && !writable) {
        // The notifier may be the one whose signal runs now: it goes when the loop is back.
        if (const auto found = self->m_notifiers.find(socket); found != self->m_notifiers.end()) {
            for (std::unique_ptr<QSocketNotifier> *notifier : {&found->second.first, &found->second.second}) {
                (*notifier)->setEnabled(false);
                notifier->release()->deleteLater();
            }
            self->m_notifiers.erase(found);
        }
        return;
    }
    auto &[reader, writer] = self->m_notifiers[socket];
    if (!reader) {
        reader = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
        connect(reader.get(), &QSocketNotifier::activated, self,
                [self, socket] { self->Process(socket, ARES_SOCKET_BAD); });
        writer = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Write);
        connect(writer.get(), &QSocketNotifier::activated, self,
                [self, socket] { self->Process(ARES_SOCKET_BAD, socket); });
    }
    reader->setEnabled(readable);
    writer->setEnabled(writable);
}

void DnsPrecheck::Process(int readSocket, int writeSocket)
{
    if (m_channel)
        ares_process_fd(Channel(m_channel), readSocket, writeSocket);
    Deliver();
    ArmTimer();
}

void DnsPrecheck::Deliver()
{
    // Answers reach their callbacks after c-ares is done with its turn, so a callback may ask
    // again or cancel.
    if (m_delivering)
        return;
    m_delivering = true;
    while (!m_ready.empty()) {
        auto [id, result] = std::move(m_ready.front());
        m_ready.pop_front();
        const Callback callback = m_callbacks.take(id);
        if (!callback)
            continue; // timed out already, or cancelled
        m_timeoutsInRow = result.answer == Answer::TimedOut ? m_timeoutsInRow + 1 : 0;
        callback(result);
        if (!m_gaveUp && m_channel && m_timeoutsInRow >= kTimeoutsToGiveUp) {
            m_gaveUp = true;
            emit gaveUpAsking();
        }
    }
    m_delivering = false;
}

void DnsPrecheck::ArmTimer()
{
    if (!m_channel || m_callbacks.isEmpty()) {
        m_timer->Stop();
        return;
    }
    timeval wait = {};
    const timeval *next = ares_timeout(Channel(m_channel), nullptr, &wait);
    if (!next) {
        m_timer->Stop();
        return;
    }
    m_timer->Start(next->tv_sec * 1000 + (next->tv_usec + 999) / 1000);
}
