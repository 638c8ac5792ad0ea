#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// A TCP client connection as the whois callers use it: connect, send one line, collect the
// reply, and learn that the server closed the connection.
//
// Events arrive in the order Connected, DataArrival (zero or more times), PeerClosed. Close()
// is harmless on a closed connection and raises no event; after it no event of the old
// connection arrives any more, and the component can be connected again.
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

    using QObject::QObject;
    ~SocketComponent() override = default;

    virtual void Close() = 0;
    virtual ConnectResult Connect(const QString &host, quint16 port) = 0;
    // Sends the text as UTF-8. False when the connection is not open.
    virtual bool SendData(const QString &text) = 0;
    // Everything received and not yet read, as raw bytes: callers decode the whole reply once,
    // so a character split between two arrivals is not garbled.
    virtual QByteArray GetData() = 0;

signals:
    void Connected();
    void DataArrival(qint64 bytesWaiting);
    void PeerClosed();
    // A connection that could not be made or broke (refused, host not found). Most callers let
    // their own timers deal with silence and ignore this.
    void Failed(const QString &message);
};

using SocketFactory = std::function<std::unique_ptr<SocketComponent>()>;
