#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QTcpServer;
class QTcpSocket;

// How the test RDAP server answers a question for one name.
struct RdapReplyRule
{
    enum class Mode
    {
        Registered,    // 200 with a small domain object
        NotRegistered, // 404 with an error object
        Forbidden,     // 403
        Unprocessable, // 422
        ServerError,   // 500
        NotJson,       // 200 with a body that is not JSON
        Endless,       // 200, and a body that never ends
        Hang,          // the question is read and never answered
        Redirect       // 302 to `location` + "domain/<name>"
    };
    Mode mode = Mode::Registered;
    int delayMs = 0;
    QString location; // with Redirect: a base address ending in "/"

    static RdapReplyRule Of(Mode mode, QString location = QString())
    {
        RdapReplyRule rule;
        rule.mode = mode;
        rule.location = std::move(location);
        return rule;
    }
};

// An RDAP server on 127.0.0.1 for tests and for trying the program: answers "GET
// /rdap/domain/<name>" by a rule per name, throttles like a registry (past K questions a second
// it answers 429 with a Retry-After), and records every question.
//
//     RdapTestServer server;
//     server.Listen();
//     server.setRule("taken.example", {RdapReplyRule::Mode::Registered});
//     row "example|" + server.baseAddress() + "|443|Enabled"
class RdapTestServer : public QObject
{
    Q_OBJECT
public:
    using RuleChooser = std::function<RdapReplyRule(const QString &name)>;

    explicit RdapTestServer(QObject *parent = nullptr);
    ~RdapTestServer() override;

    bool Listen(quint16 port = 0);
    quint16 port() const;
    // "http://127.0.0.1:PORT/rdap/"
    QString baseAddress() const;

    void setRule(const QString &name, RdapReplyRule rule) { m_rules.insert(name.toLower(), rule); }
    void setDefaultRule(RdapReplyRule rule) { m_defaultRule = rule; }
    void setRuleChooser(RuleChooser chooser) { m_chooser = std::move(chooser); }
    // Past `perSecond` questions within a second, 429 with "Retry-After: <retryAfterSeconds>".
    void setRateLimit(int perSecond, int retryAfterSeconds);

    // The names asked for, in order, as they came (A-labels), and when (ms on the server's clock).
    QStringList names() const { return m_names; }
    QList<qint64> questionTimes() const { return m_times; }
    int rateLimitedCount() const { return m_limited; }
    // The Accept header of the last question.
    QByteArray lastAccept() const { return m_lastAccept; }

    static QByteArray DomainObject(const QString &name);

private:
    void OnRequest(QTcpSocket *socket, const QByteArray &head);
    void Answer(QTcpSocket *socket, const QString &name, const RdapReplyRule &rule);

    QTcpServer *m_server;
    QHash<QString, RdapReplyRule> m_rules;
    RdapReplyRule m_defaultRule;
    RuleChooser m_chooser;
    int m_limitPerSecond = 0;
    int m_retryAfterSeconds = 1;
    QElapsedTimer m_clock;
    QStringList m_names;
    QList<qint64> m_times;
    int m_limited = 0;
    QByteArray m_lastAccept;
};
