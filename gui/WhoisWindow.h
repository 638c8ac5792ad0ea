#pragma once

#include "engine/CheckSettings.h"
#include "engine/RdapQuery.h"
#include "engine/Verdict.h"
#include "engine/WhoisQuery.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class DnsPrecheck;
class HostTurn;
class QPushButton;
class QTextEdit;

// "WHOIS Information": the full whois reply for one name from one whois server (a fixed one, or
// the name's own registry, asked in its turn beside a run), shown when the server closes the
// connection. While it waits, the window says for what: DNS, its turn, or the server. A server that cannot be reached, breaks the
// connection, sends more than a reply may hold, or does not answer within 30 seconds gets a
// plain message instead. A name with letters outside ASCII is asked for by its A-label.
//
// For a name whose registry answers RDAP instead (an RDAP row, or the bootstrap), the window
// asks that service and shows the registration's main facts, or that it is not registered.
//
// With DNS first on, the name is asked in DNS before: a delegated name shows its name servers
// and a button to ask whois (or RDAP) all the same; any other DNS answer asks whois at once.
class WhoisWindow : public QWidget, private WhoisQuery::Receiver
{
    Q_OBJECT
public:
    static constexpr int kAnswerTimeoutMs = 30000;

    WhoisWindow(const QString &domain, const QString &host, quint16 port,
                std::unique_ptr<SocketComponent> socket, QWidget *parent = nullptr);
    ~WhoisWindow() override;
    // Asks the RDAP service at rdapBase instead of the whois server (before Load()).
    void setRdapService(const QString &rdapBase);
    // Asks DNS first when the settings ask for it, before Load().
    void setDnsFirst(const CheckSettings &settings);
    // Asks the whois server only when its turn comes, beside the check engine's run (before
    // Load()).
    void setTurn(std::unique_ptr<HostTurn> turn);
    // There is no server to ask, for this reason: Load() says so (before Load()).
    void setNoServer(const QString &reason) { m_noServer = reason; }
    // How a reply is read: a reply with a status (premium, reserved, blocked, grace) is shown
    // under a first line that says it.
    void setJudge(std::function<Judgement(const QByteArray &reply)> judge) { m_judge = std::move(judge); }
    // "shop.com: free, premium" or "old.com: registered, in redemption until 2025-04-20".
    static QString StatusLine(const QString &name, const Judgement &judgement);

    // Starts the query; the window shows the reply when it is complete.
    void Load();
    void setAnswerTimeout(int ms) { m_timeout.setInterval(ms); }
    const QByteArray &replyText() const { return m_query.reply(); }

    QTextEdit *m_replyText;
    QPushButton *m_askWhoisButton; // shown for a name delegated in DNS

private:
    std::function<Judgement(const QByteArray &reply)> m_judge;
    void AskRegistry();
    void ShowDelegation(const QStringList &nameServers);
    void ShowProblem(const QString &message);
    void ShowRdapAnswer(const RdapAnswer &answer);

    void AskWhois(const QString &asciiName);
    void ReplyComplete() override;
    void QueryFailed(WhoisQuery::Failure failure, const QString &detail) override;

    QString m_domain;
    QString m_noServer;
    std::unique_ptr<HostTurn> m_turn;
    QString m_host;
    quint16 m_port;
    WhoisQuery m_query;
    QTimer m_timeout;
    QString m_rdapBase;
    QNetworkAccessManager *m_network = nullptr;
    RdapQuery *m_rdap = nullptr;
    DnsPrecheck *m_dns = nullptr;
};
