#include "WhoisQuery.h"

WhoisQuery::WhoisQuery(std::unique_ptr<SocketComponent> socket, Receiver &receiver, QObject *parent)
    : QObject(parent), m_receiver(receiver), m_socket(std::move(socket))
{
    m_socket->setReceiver(this);
}

bool WhoisQuery::Start(const QString &host, quint16 port, const QString &query)
{
    m_host = host;
    m_port = port;
    m_query = query;
    m_reply.clear();
    return Retry();
}

bool WhoisQuery::Retry()
{
    m_socket->Close();
    m_connected = false;
    m_replyAtConnect = m_reply.size();
    if (m_socket->Connect(m_host, m_port) != SocketComponent::ConnectResult::Started)
        return false;
    // The query leaves as soon as the connection stands, even before the event loop hears of it.
    m_queryGiven = m_socket->SendOnConnect(m_query + QStringLiteral("\r\n"));
    return true;
}

void WhoisQuery::Abort()
{
    m_socket->Close();
    m_connected = false;
}

void WhoisQuery::SocketConnected()
{
    // The query went out with the connection, or goes out in the connect handler itself, before
    // anyone hears of the connection: the server waits for nothing the program does.
    m_connected = true;
    if (!m_queryGiven && !m_socket->SendData(m_query + QStringLiteral("\r\n"))) {
        m_socket->Close();
        m_connected = false;
        m_receiver.QueryFailed(Failure::SendFailed, QStringLiteral("the query could not be sent"));
        return;
    }
    m_receiver.QueryConnected();
}

void WhoisQuery::SocketDataArrival(qint64)
{
    const QByteArray data = m_socket->GetData();
    const qsizetype needed = m_reply.size() + data.size();
    if (needed > kReplyLimit) {
        Abort();
        m_reply = QByteArray(); // gives the memory back
        m_receiver.QueryFailed(Failure::ReplyTooLong, QString());
        return;
    }
    if (m_reply.isEmpty()) {
        m_reply = data; // most replies come in one piece: it is kept, not copied
        return;
    }
    // Grow in steps that never pass the limit, so a long reply costs at most the limit.
    if (needed > m_reply.capacity())
        m_reply.reserve(std::min(kReplyLimit, std::max(needed, 2 * m_reply.capacity())));
    m_reply.append(data);
}

void WhoisQuery::SocketFailed(SocketComponent::Error error, const QString &message)
{
    const bool wasConnected = std::exchange(m_connected, false);
    if (error == SocketComponent::Error::Reset || wasConnected) {
        m_reply.truncate(m_replyAtConnect);
        m_receiver.QueryFailed(Failure::Reset, message);
        return;
    }
    m_receiver.QueryFailed(Failure::CannotConnect, message);
}

QString WhoisQuery::FailureText(Failure failure, const QString &host, const QString &detail)
{
    switch (failure) {
    case Failure::CannotConnect:
        return QStringLiteral("%1 cannot be reached: %2").arg(host, detail);
    case Failure::Reset:
        return QStringLiteral("%1 broke the connection: %2").arg(host, detail);
    case Failure::SendFailed:
        return QStringLiteral("the query could not be sent to %1").arg(host);
    case Failure::ReplyTooLong:
        return QStringLiteral("reply too long");
    }
    return QString();
}
