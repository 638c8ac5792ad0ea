#pragma once

#include <QHash>
#include <QNetworkDatagram>
#include <QObject>
#include <QStringList>

#include <functional>

class QUdpSocket;

// A DNS server on 127.0.0.1 for tests and benchmarks. It answers NS questions by a rule per name
// (a table, then a chooser, then the default rule) and keeps every question it was asked.
//
//     DnsTestServer dns;
//     dns.Listen();                                  // any free port
//     dns.setRule("taken.com", DnsTestServer::Rule::Delegated);
class DnsTestServer : public QObject
{
    Q_OBJECT
public:
    enum class Rule
    {
        Delegated,  // two NS records owned by the name
        NxDomain,   // no such name
        NoData,     // the name exists, no NS records
        ServFail,   // a server failure
        Refused,    // the server refuses
        OtherOwner, // NS records owned by another name
        Silent      // no answer at all
    };
    using Chooser = std::function<Rule(const QString &name)>;

    explicit DnsTestServer(QObject *parent = nullptr);
    ~DnsTestServer() override;

    bool Listen(quint16 port = 0);
    quint16 port() const;
    // "127.0.0.1:port", as the setting and orvelle-check take it.
    QString address() const;

    void setDefaultRule(Rule rule) { m_default = rule; }
    void setRule(const QString &name, Rule rule) { m_rules.insert(name.toLower(), rule); }
    void setChooser(Chooser chooser) { m_chooser = std::move(chooser); }

    // While holding, questions wait for Release() (or, with a delay, for that many ms): a slow
    // resolver.
    void setHolding(bool holding) { m_holding = holding; }
    void setDelayMs(int delayMs) { m_delayMs = delayMs; }
    void Release();

    // The names asked, in order.
    QStringList questions() const { return m_questions; }

private:
    void OnReadyRead();
    void Reply(const QNetworkDatagram &datagram);
    Rule RuleFor(const QString &name) const;

    QUdpSocket *m_socket;
    Rule m_default = Rule::NxDomain;
    QHash<QString, Rule> m_rules;
    Chooser m_chooser;
    QStringList m_questions;
    bool m_holding = false;
    int m_delayMs = 0;
    QList<QNetworkDatagram> m_held;
};
