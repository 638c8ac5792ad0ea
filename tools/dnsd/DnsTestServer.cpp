#include "DnsTestServer.h"

#include "engine/DnsMessage.h"

#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

DnsTestServer::DnsTestServer(QObject *parent) : QObject(parent), m_socket(new QUdpSocket(this))
{
    connect(m_socket, &QUdpSocket::readyRead, this, &DnsTestServer::OnReadyRead);
}

DnsTestServer::~DnsTestServer() = default;

bool DnsTestServer::Listen(quint16 port)
{
    return m_socket->bind(QHostAddress::LocalHost, port);
}

quint16 DnsTestServer::port() const
{
    return m_socket->localPort();
}

QString DnsTestServer::address() const
{
    return QStringLiteral("127.0.0.1:%1").arg(port());
}

DnsTestServer::Rule DnsTestServer::RuleFor(const QString &name) const
{
    if (const auto found = m_rules.constFind(name); found != m_rules.constEnd())
        return *found;
    return m_chooser ? m_chooser(name) : m_default;
}

void DnsTestServer::OnReadyRead()
{
    using namespace DnsMessage;
    while (m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram();
        const std::optional<Parsed> query = Parse(datagram.data());
        if (!query || query->response || query->question.isEmpty())
            continue;
        m_questions << query->question;
        if (m_holding)
            m_held.append(datagram);
        else if (m_delayMs > 0)
            QTimer::singleShot(m_delayMs, this, [this, datagram] { Reply(datagram); });
        else
            Reply(datagram);
    }
}

void DnsTestServer::Release()
{
    for (const QNetworkDatagram &datagram : std::exchange(m_held, {}))
        Reply(datagram);
}

void DnsTestServer::Reply(const QNetworkDatagram &datagram)
{
    using namespace DnsMessage;
    const std::optional<Parsed> query = Parse(datagram.data()); // parsed before it was kept
    QList<Record> records;
    Rcode rcode = Rcode::NoError;
    switch (RuleFor(query->question)) {
    case Rule::Delegated:
        records = {{query->question, kTypeNs, QStringLiteral("ns1.example.net")},
                   {query->question, kTypeNs, QStringLiteral("ns2.example.net")}};
        break;
    case Rule::NxDomain:
        rcode = Rcode::NxDomain;
        break;
    case Rule::NoData:
        break;
    case Rule::ServFail:
        rcode = Rcode::ServFail;
        break;
    case Rule::Refused:
        rcode = Rcode::Refused;
        break;
    case Rule::OtherOwner:
        records = {{QStringLiteral("wildcard.example.net"), kTypeNs, QStringLiteral("ns1.example.net")}};
        break;
    case Rule::Silent:
        return;
    }
    m_socket->writeDatagram(datagram.makeReply(Answer(*query, rcode, records)));
}
