#pragma once

#include <QByteArray>
#include <QHash>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

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
        Reset          // send the reply, then break the connection with a reset
    };

    Mode mode = Mode::Answer;
    QByteArray reply;        // "%NAME%" stands for the name asked about
    int delayMs = 0;         // before the first piece
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
// late, answer in pieces, close at once, never close, stream without end, or reset after a part
// of the reply. It records every query it receives.
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

    bool Listen(quint16 port = 0);
    quint16 port() const;

    void setDefaultRule(WhoisReplyRule rule) { m_defaultRule = std::move(rule); }
    void setRule(const QString &name, WhoisReplyRule rule)
    {
        m_rules.insert(name.toLower(), std::move(rule));
    }
    // Decides for names without a rule of their own (instead of the default rule).
    void setRuleChooser(RuleChooser chooser) { m_chooser = std::move(chooser); }

    QStringList queries() const { return m_queries; }
    int connectionsFor(const QString &name) const { return m_connectionsPerName.value(name.toLower()); }
    int acceptedConnections() const { return m_accepted; }
    int openConnections() const { return m_open; }

signals:
    void queryReceived(const QString &name);

private:
    void OnNewConnection();
    void OnQuery(QTcpSocket *socket, const QString &name);
    WhoisReplyRule RuleFor(const QString &name) const;
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
};
Q_DECLARE_METATYPE(WhoisReplyRule)
