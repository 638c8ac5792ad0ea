#pragma once

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>

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
//     DnsPrecheck dns;
//     dns.Configure({}, 2000, 2, &error);             // the system's resolvers, 2 s, one retry
//     dns.Ask("example.com", [](const DnsPrecheck::Result &result) { ... });
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

    // A question's time and tries (2 s, one retry), and the timeouts in a row after which a
    // checker stops asking DNS: no resolver answers.
    static constexpr int kTimeoutMs = 2000;
    static constexpr int kTries = 2;
    static constexpr int kTimeoutsToGiveUp = 5;

    explicit DnsPrecheck(QObject *parent = nullptr);
    ~DnsPrecheck() override;

    // Reads "host:port, host:port" (empty: the system's resolvers, from /etc/resolv.conf). False
    // with what was wrong when the text or the resolver set-up cannot be used.
    bool Configure(const QString &servers, int timeoutMs = kTimeoutMs, int tries = kTries,
                   QString *error = nullptr);
    bool isConfigured() const { return m_channel != nullptr; }
    // Asks for the NS records of a name (its A-label); the callback comes from the event loop,
    // never from inside Ask().
    void Ask(const QString &asciiName, Callback callback);
    // Drops every question in flight; their callbacks never come.
    void CancelAll();
    int inFlight() const { return static_cast<int>(m_callbacks.size()); }

    // "host:port, host:port" as a c-ares server list; nothing for text it cannot read.
    static std::optional<QString> ServerList(const QString &servers, QString *error = nullptr);

private:
    struct Question;
    static void OnSocketState(void *data, int socket, int readable, int writable);
    static void OnAnswer(void *argument, int status, int timeouts, unsigned char *answer, int length);
    void Process(int readSocket, int writeSocket);
    void Deliver();
    void ArmTimer();
    void Destroy();

    void *m_channel = nullptr; // ares_channel
    quint64 m_generation = 0;
    quint64 m_nextId = 0;
    QHash<quint64, Callback> m_callbacks;
    std::vector<std::pair<quint64, Result>> m_ready;
    bool m_delivering = false;
    std::map<int, std::pair<std::unique_ptr<QSocketNotifier>, std::unique_ptr<QSocketNotifier>>> m_notifiers;
    QTimer m_timer;
};
