#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <random>

class QTcpServer;
class QTcpSocket;

// How the test server answers one query.
struct WhoisReplyRule
{
    enum class Mode
    {
        Answer,        // send the reply (after the delay, in pieces), then close
        CloseAtOnce,   // close as soon as the query has arrived, without data
        NeverClose,    // send the reply, then keep the connection open forever
        StreamForever, // send data without end until the client goes away
        Reset,         // send the reply, then break the connection with a reset
        ResetHalfway   // send the first half of the reply, then break the connection with a reset
    };

    Mode mode = Mode::Answer;
    QByteArray reply;        // "%NAME%" stands for the name asked about
    int delayMs = 0;         // before the first piece; with delaySigma, the median of a log-normal delay
    double delaySigma = 0;   // the spread of the log-normal delay (0: every delay is delayMs)
    int pieces = 1;          // the reply is split into this many pieces...
    int pieceGapMs = 0;      // ...sent this far apart
    int hangConnections = 0; // the first this many connections for a name never close
    QByteArray hangReply;    // what those connections send before hanging

    static WhoisReplyRule Free(int delayMs = 0);
    static WhoisReplyRule Taken(int delayMs = 0);
    static QByteArray FreeReply();
    static QByteArray TakenReply();
};

// A whois server on 127.0.0.1 for tests and benchmarks, with rules per name: answer, answer
// late (after a fixed or a log-normal delay), answer in pieces, close at once, never close,
// stream without end, or reset after a part of the reply. It can answer from a folder of
// recorded replies, and throttle like a registry: past K queries in T ms it answers with a
// refusal. It records every query it receives, and when.
//
//     WhoisTestServer server;
//     server.Listen();                       // any free port
//     server.setRule("taken.com", WhoisReplyRule::Taken());
class WhoisTestServer : public QObject
{
    Q_OBJECT
public:
    using RuleChooser = std::function<WhoisReplyRule(const QString &name)>;

    explicit WhoisTestServer(QObject *parent = nullptr);
    ~WhoisTestServer() override;

    bool Listen(quint16 port = 0, const QHostAddress &address = QHostAddress(QHostAddress::LocalHost));
    quint16 port() const;

    void setDefaultRule(WhoisReplyRule rule) { m_defaultRule = std::move(rule); }
    void setRule(const QString &name, WhoisReplyRule rule)
    {
        m_rules.insert(name.toLower(), std::move(rule));
    }
    // Decides for names without a rule of their own (instead of the default rule).
    void setRuleChooser(RuleChooser chooser) { m_chooser = std::move(chooser); }
    // Past `queries` queries within `windowMs` (counting every query received), the answer is
    // the refusal text, at once.
    void setThrottle(int queries, int windowMs, QByteArray refusal);
    // Every query within `ms` of the first one gets the refusal text (a throttle episode).
    void setRefuseFirst(int ms, QByteArray refusal)
    {
        m_refuseFirstMs = ms;
        m_refusal = std::move(refusal);
    }
    // Answers from recorded replies: for name.ext the first of FOLDER/name.ext.txt,
    // FOLDER/taken/ext_name.ext.txt, FOLDER/free/ext.txt, FOLDER/ext.txt; the rules otherwise.
    void setReplyFolder(const QString &folder) { m_replyFolder = folder; }
    // Seeds the log-normal delays.
    void setSeed(quint32 seed);

    QStringList queries() const { return m_queries; }
    int connectionsFor(const QString &name) const { return m_connectionsPerName.value(name.toLower()); }
    int acceptedConnections() const { return m_accepted; }
    int openConnections() const { return m_open; }
    // When each query arrived (ms on the server's monotonic clock), and how many were refused.
    QList<qint64> queryTimes() const { return m_queryTimes; }
    int refusedCount() const { return m_refused; }
    // How often a streamed reply found the peer's window full: the peer has stopped reading.
    int streamStalls() const { return m_streamStalls; }

signals:
    void queryReceived(const QString &name);
    // The query line arrived this many microseconds after the server took the connection.
    void queryWaited(const QString &name, qint64 microseconds);

private:
    void OnNewConnection();
    void OnQuery(QTcpSocket *socket, const QString &name);
    WhoisReplyRule RuleFor(const QString &name) const;
    bool Throttled(qint64 now) const;
    int DelayFor(const WhoisReplyRule &rule);
    void SendPieces(QTcpSocket *socket, QByteArray reply, int pieces, int gapMs, bool closeAfter);
    void Stream(QTcpSocket *socket);

    QTcpServer *m_server;
    WhoisReplyRule m_defaultRule = WhoisReplyRule::Taken();
    QHash<QString, WhoisReplyRule> m_rules;
    RuleChooser m_chooser;
    QStringList m_queries;
    QHash<QString, int> m_connectionsPerName;
    int m_accepted = 0;
    int m_open = 0;
    QElapsedTimer m_clock;
    QList<qint64> m_queryTimes;
    int m_throttleQueries = 0;
    int m_throttleWindowMs = 0;
    int m_refuseFirstMs = 0;
    QByteArray m_refusal;
    int m_refused = 0;
    int m_streamStalls = 0;
    QString m_replyFolder;
    std::mt19937 m_random{20261208};
};
Q_DECLARE_METATYPE(WhoisReplyRule)
