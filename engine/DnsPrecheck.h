#pragma once

#include "CheckSettings.h"
#include "platform/AfterThisTurn.h"
#include "platform/Clock.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QSocketNotifier;

// Asks DNS whether names are delegated: an NS question for each name, many at once, on c-ares,
// with its sockets watched by the event loop (socket notifiers and a timer; no threads).
//
// A name whose answer holds NS records owned by the name itself is delegated, and so certainly
// registered. Every other answer (no such name, no records, records owned by another name, a
// server failure or refusal, no answer in time) settles nothing.
//
// This is the one home of "DNS first" for every checker (the run, the browse window, the details
// window): it is on when the settings ask for it (CheckSettings::asksDnsFirst) and its servers can
// be used, and it gives up, for good until it is configured again, when kTimeoutsToGiveUp
// questions in a row got no answer: no resolver answers, so every name goes to whois.
//
// A question's time runs on the clock given (tests move a ManualClock), whatever c-ares thinks.
//
//     DnsPrecheck dns;
//     dns.Configure(settings, DnsPrecheck::kTimeoutMs, &error);
//     if (dns.isOn())
//         dns.Ask("example.com", [](const DnsPrecheck::Result &result) { ... });
class DnsPrecheck : public QObject
{
    Q_OBJECT
public:
    enum class Answer
    {
        Delegated,  // NS records owned by the name
        NoSuchName, // NXDOMAIN
        NoRecords,  // NODATA
        OtherOwner, // NS records, but owned by another name (a wildcard or a lie)
        Failed,     // SERVFAIL, REFUSED, a malformed answer, no resolver
        TimedOut    // no answer within the time and tries
    };
    struct Result
    {
        Answer answer = Answer::Failed;
        QStringList nameServers;
    };
    using Callback = std::function<void(const Result &)>;

    // A question's first try (2 s; a second try waits twice as long, 6 s in all), and the
    // timeouts in a row after which DNS is given up: no resolver answers.
    static constexpr int kTimeoutMs = 2000;
    static constexpr int kTries = 2;
    static constexpr int kTimeoutsToGiveUp = 5;
    // A question's time in all: its tries, each twice as long as the one before.
    static constexpr qint64 QuestionTimeMs(int timeoutMs) { return qint64(timeoutMs) * ((1 << kTries) - 1); }

    explicit DnsPrecheck(Clock &clock = Clock::System(), QObject *parent = nullptr);
    ~DnsPrecheck() override;

    // On when the settings ask DNS first, at their servers (none: the system's resolvers, from
    // /etc/resolv.conf). False, and off, with what was wrong when the resolvers cannot be set up.
    bool Configure(const CheckSettings &settings, int timeoutMs = kTimeoutMs, QString *error = nullptr);
    // Configured, asked for, and not given up.
    bool isOn() const { return m_channel != nullptr && !m_gaveUp; }
    bool gaveUp() const { return m_gaveUp; }
    // Asks for the NS records of a name (its A-label); the callback comes from the event loop,
    // never from inside Ask().
    void Ask(const QString &asciiName, Callback callback);
    // Drops every question in flight; their callbacks never come.
    void CancelAll();
    int inFlight() const { return static_cast<int>(m_callbacks.size()); }

signals:
    // kTimeoutsToGiveUp questions in a row got no answer: DNS is off until Configure().
    void gaveUpAsking();

private:
    struct Question;
    static void OnSocketState(void *data, int socket, int readable, int writable);
    static void OnAnswer(void *argument, int status, int timeouts, unsigned char *answer, int length);
    void Process(int readSocket, int writeSocket);
    void Deliver();
    void ArmTimer();
    void TimeOutExpired();
    void Destroy();

    Clock &m_clock;
    qint64 m_questionTimeMs = QuestionTimeMs(kTimeoutMs);
    bool m_gaveUp = false;
    int m_timeoutsInRow = 0;
    // (deadline, question) in the order asked: every question has the same time, so that is
    // the order of the deadlines too.
    std::deque<std::pair<qint64, quint64>> m_deadlines;
    std::unique_ptr<ClockTimer> m_deadlineTimer;
    void *m_channel = nullptr; // ares_channel
    quint64 m_generation = 0;
    quint64 m_nextId = 0;
    QHash<quint64, Callback> m_callbacks;
    std::deque<std::pair<quint64, Result>> m_ready;
    bool m_delivering = false;
    AfterThisTurn m_deliverSoon{this, [this] { Deliver(); }};
    std::map<int, std::pair<std::unique_ptr<QSocketNotifier>, std::unique_ptr<QSocketNotifier>>> m_notifiers;
    std::unique_ptr<ClockTimer> m_timer; // c-ares's own turn
};
