#pragma once

#include "platform/SocketComponent.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

// One whois exchange: connect to a server, send one query line followed by CR LF once
// connected, collect the reply, and report it when the server closes the connection.
//
// Only the server's orderly close completes a reply. Everything else ends the exchange without
// one: a server that refuses or does not resolve, a connection that breaks (a reply cut off by
// a reset is not judged as if it were whole), a failed send, and a reply that grows past
// kReplyLimit (the connection is closed at once; a verdict on a truncated text could be wrong).
//
// Its owner hears how the exchange goes through WhoisQuery::Receiver, by direct calls: a run at
// full speed makes thousands of exchanges a second.
//
//     class Window : public QWidget, private WhoisQuery::Receiver { ... };  // ReplyComplete()...
//     WhoisQuery query(TcpSocketComponent::Factory()(), window);
//     query.Start("whois.example.net", 43, "example.com");   // then query.reply() holds the answer
class WhoisQuery : public QObject, private SocketComponent::Receiver
{
    Q_OBJECT
public:
    static constexpr qsizetype kReplyLimit = 1 << 20;

    enum class Failure
    {
        CannotConnect, // refused, host not found, unreachable: asking again soon will not help
        Reset,         // the connection broke; what it had sent is dropped from the reply
        SendFailed,    // the query line could not be sent
        ReplyTooLong   // the reply passed kReplyLimit; the reply is dropped
    };
    Q_ENUM(Failure)

    // What the owner hears. Each call comes from the socket's event, in the order of the
    // exchange; none comes from inside Start(), Retry() or Abort().
    class Receiver
    {
    public:
        virtual ~Receiver() = default;
        // The connection stands and the query went out.
        virtual void QueryConnected() {}
        // The server closed the connection: reply() is the complete answer.
        virtual void ReplyComplete() = 0;
        virtual void QueryFailed(WhoisQuery::Failure failure, const QString &detail) = 0;
    };

    WhoisQuery(std::unique_ptr<SocketComponent> socket, Receiver &receiver, QObject *parent = nullptr);

    // Starts an exchange with an empty reply. False, with nothing started, for an empty host or
    // port 0.
    bool Start(const QString &host, quint16 port, const QString &query);
    // Asks the same server again on a new connection. The reply gathered so far stays, and the
    // new answer is appended to it.
    bool Retry();
    // Ends the exchange; no signal of it follows.
    void Abort();

    const QString &host() const { return m_host; }
    quint16 port() const { return m_port; }
    const QString &query() const { return m_query; }
    const QByteArray &reply() const { return m_reply; }

    // "whois.example.net refused the connection", "reply too long"... for status texts.
    static QString FailureText(Failure failure, const QString &host, const QString &detail);

private:
    void SocketConnected() override;
    void SocketDataArrival(qint64 bytesWaiting) override;
    void SocketPeerClosed() override { m_receiver.ReplyComplete(); }
    void SocketFailed(SocketComponent::Error error, const QString &message) override;

    Receiver &m_receiver;
    std::unique_ptr<SocketComponent> m_socket;
    QString m_host;
    quint16 m_port = 0;
    QString m_query;
    QByteArray m_reply;
    qsizetype m_replyAtConnect = 0; // the reply's length when this connection was made
    bool m_connected = false;
    bool m_queryGiven = false; // the socket sends the query itself when the connection stands
};
