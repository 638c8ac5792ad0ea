#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// A TCP client connection as the whois callers use it: connect, send one line, collect the
// reply, and learn how the connection ended.
//
// Events arrive in the order Connected, DataArrival (zero or more times), then either PeerClosed
// (the server closed the connection in order: the reply is complete) or Failed (the connection
// could not be made, or broke). Close() is harmless on a closed connection and raises no event;
// after it no event of the old connection arrives any more, and the component can be connected
// again. Events never arrive from inside Connect().
//
// The events are signals, or, for a receiver set with setReceiver(), direct calls in their place:
// a whois exchange hears three of them, and a run at full speed makes thousands a second.
class SocketComponent : public QObject
{
    Q_OBJECT
public:
    // The outcome of Connect(): it returns at once, the connection itself completes later.
    enum class ConnectResult
    {
        Started,
        InvalidArgument
    };

    // Why a connection failed.
    enum class Error
    {
        Refused,      // nothing listens at the address
        HostNotFound, // the name does not resolve
        Reset,        // the connection broke: a reset, or any error after it was made
        Other         // the connection could not be made for another reason (unreachable...)
    };
    Q_ENUM(Error)

    // Hears the events in place of the signals. It must outlive the component, or be unset first.
    class Receiver
    {
    public:
        virtual ~Receiver() = default;
        virtual void SocketConnected() = 0;
        virtual void SocketDataArrival(qint64 bytesWaiting) = 0;
        virtual void SocketPeerClosed() = 0;
        virtual void SocketFailed(SocketComponent::Error error, const QString &message) = 0;
    };

    using QObject::QObject;
    ~SocketComponent() override = default;

    void setReceiver(Receiver *receiver) { m_receiver = receiver; }

    virtual void Close() = 0;
    virtual ConnectResult Connect(const QString &host, quint16 port) = 0;
    // Sends the text as UTF-8. False when the connection is not open.
    virtual bool SendData(const QString &text) = 0;
    // The text (as UTF-8) to send as soon as the connection stands, given right after Connect().
    // A component that takes it (true) sends it itself, at once when the connection already
    // stands (as on loopback), so it leaves with no turn of the event loop in between; the caller
    // then sends nothing for it on Connected. One that does not (false) leaves it to the caller.
    virtual bool SendOnConnect(const QString &text)
    {
        Q_UNUSED(text);
        return false;
    }
    // Everything received and not yet read, as raw bytes: callers decode the whole reply once,
    // so a character split between two arrivals is not garbled. Received data waits here for
    // the caller up to a bounded amount; beyond it the connection stops reading until the caller
    // has taken what waits.
    virtual QByteArray GetData() = 0;

signals:
    void Connected();
    void DataArrival(qint64 bytesWaiting);
    void PeerClosed();
    void Failed(SocketComponent::Error error, const QString &message);

protected:
    // Raise an event: to the receiver, or as the signal.
    void TellConnected() { m_receiver ? m_receiver->SocketConnected() : emit Connected(); }
    void TellDataArrival(qint64 bytesWaiting)
    {
        m_receiver ? m_receiver->SocketDataArrival(bytesWaiting) : emit DataArrival(bytesWaiting);
    }
    void TellPeerClosed() { m_receiver ? m_receiver->SocketPeerClosed() : emit PeerClosed(); }
    void TellFailed(SocketComponent::Error error, const QString &message)
    {
        m_receiver ? m_receiver->SocketFailed(error, message) : emit Failed(error, message);
    }

private:
    Receiver *m_receiver = nullptr;
};

using SocketFactory = std::function<std::unique_ptr<SocketComponent>()>;
