#include "TcpSocketComponent.h"

#include <QEvent>
#include <QHostInfo>
#include <QMetaObject>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QString ErrnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

SocketComponent::Error ConnectError(int error)
{
    return error == ECONNREFUSED ? SocketComponent::Error::Refused : SocketComponent::Error::Other;
}

// A notifier that calls its component straight from the event loop's socket event. Qt's own
// raises two signals for each event, behind a guard that allocates: a run at full speed has
// thousands of socket events a second.
class DirectNotifier : public QSocketNotifier
{
public:
    using Handler = void (TcpSocketComponent::*)();
    DirectNotifier(Type type, TcpSocketComponent *component, Handler handler)
        : QSocketNotifier(type, component), m_component(component), m_handler(handler)
    {
    }

protected:
    bool event(QEvent *event) override
    {
        if (event->type() != QEvent::SockAct && event->type() != QEvent::SockClose)
            return QSocketNotifier::event(event);
        (m_component->*m_handler)();
        return true;
    }

private:
    TcpSocketComponent *m_component;
    Handler m_handler;
};

// The connections started in a turn of the event loop, looked at together once the turn is over.
// On loopback a connection stands already when connect() returns, and the query sent right after
// it has gone: such a connection is reported without a write event of its own, and its replies
// are read from the next poll on. A connection still on its way waits for its write event from
// there; no poll comes between, so it loses nothing.
struct ConnectsOfTheTurn
{
    std::vector<TcpSocketComponent *> waiting;
    // The ones being looked at now: more than one list while a receiver runs a nested event loop.
    std::vector<std::vector<TcpSocketComponent *> *> settling;
    QObject *context = nullptr; // of this thread and never deleted: a call posted to it always runs
};
thread_local ConnectsOfTheTurn t_connects;

} // namespace

void TcpSocketComponent::SettleAfterThisTurn()
{
    ConnectsOfTheTurn &turn = t_connects;
    if (turn.waiting.empty()) {
        if (!turn.context)
            turn.context = new QObject;
        QMetaObject::invokeMethod(
            turn.context,
            [] {
                ConnectsOfTheTurn &now = t_connects;
                std::vector<TcpSocketComponent *> settling = std::exchange(now.waiting, {});
                now.settling.push_back(&settling);
                for (TcpSocketComponent *component : settling) {
                    if (component)
                        component->SettleConnecting();
                }
                now.settling.pop_back();
            },
            Qt::QueuedConnection);
    }
    turn.waiting.push_back(this);
}

void TcpSocketComponent::SettleConnecting()
{
    if (m_state != State::Connecting || m_descriptor < 0)
        return;
    if (m_standing || m_earlyError != 0)
        OnWritable(); // what its write event would tell is known already
    else
        m_writeNotifier->setEnabled(true);
}

TcpSocketComponent::TcpSocketComponent(QObject *parent)
    : SocketComponent(parent),
      // The two notifiers serve every connection of the component in turn: nothing is made or
      // deleted per connection.
      m_readNotifier(new DirectNotifier(QSocketNotifier::Read, this, &TcpSocketComponent::OnReadable)),
      m_writeNotifier(new DirectNotifier(QSocketNotifier::Write, this, &TcpSocketComponent::OnWritable))
{
}

TcpSocketComponent::~TcpSocketComponent()
{
    Close();
    ConnectsOfTheTurn &turn = t_connects;
    std::erase(turn.waiting, this);
    for (std::vector<TcpSocketComponent *> *settling : turn.settling)
        std::replace(settling->begin(), settling->end(), this, static_cast<TcpSocketComponent *>(nullptr));
}

SocketFactory TcpSocketComponent::Factory()
{
    return [] {
        return std::make_unique<TcpSocketComponent>();
    };
}

void TcpSocketComponent::CloseDescriptor()
{
    // Without a descriptor the notifiers are off already: a connection is closed several times
    // on its way (by the server, the slot, the next start), and only the first does anything.
    if (m_descriptor < 0)
        return;
    // Switched off before the descriptor goes: no event of it reaches the next connection.
    for (QSocketNotifier *notifier : {m_readNotifier, m_writeNotifier}) {
        notifier->setEnabled(false);
        notifier->setSocket(-1);
    }
    ::close(m_descriptor);
    m_descriptor = -1;
}

void TcpSocketComponent::Close()
{
    ++m_generation;
    if (m_lookupId >= 0) {
        QHostInfo::abortHostLookup(m_lookupId);
        m_lookupId = -1;
    }
    CloseDescriptor();
    m_state = State::Closed;
    m_pending.clear();
    m_output.clear();
    m_onConnect.clear();
    m_addresses.clear();
}

SocketComponent::ConnectResult TcpSocketComponent::Connect(const QString &host, quint16 port)
{
    Close();
    if (host.trimmed().isEmpty() || port == 0)
        return ConnectResult::InvalidArgument;
    // A connection to the host of the last one (most are) takes its address as read then.
    if (host != m_host) {
        m_host = host.trimmed();
        m_literal = QHostAddress(m_host);
    }
    m_port = port;
    m_lastConnectErrno = 0;
    if (!m_literal.isNull()) {
        m_addresses = {m_literal};
        m_state = State::Connecting;
        // The connection starts now; its outcome, even a refusal at once, is reported from the
        // event loop, never from inside this call.
        m_reportLater = true;
        ConnectToNextAddress();
        m_reportLater = false;
        return ConnectResult::Started;
    }
    m_state = State::LookingUp;
    m_lookupId = QHostInfo::lookupHost(m_host, this, &TcpSocketComponent::OnLookedUp);
    return ConnectResult::Started;
}

void TcpSocketComponent::OnLookedUp(const QHostInfo &info)
{
    if (info.lookupId() != m_lookupId || m_state != State::LookingUp)
        return;
    m_lookupId = -1;
    if (info.error() != QHostInfo::NoError || info.addresses().isEmpty()) {
        Fail(Error::HostNotFound, QStringLiteral("Host %1 not found").arg(m_host));
        return;
    }
    m_addresses = info.addresses();
    m_state = State::Connecting;
    ConnectToNextAddress();
}

void TcpSocketComponent::ConnectToNextAddress()
{
    CloseDescriptor();
    if (m_addresses.isEmpty()) {
        const int error = m_lastConnectErrno ? m_lastConnectErrno : ECONNREFUSED;
        Fail(ConnectError(error), ErrnoText(error));
        return;
    }
    const QHostAddress address = m_addresses.takeFirst();
    sockaddr_storage storage = {};
    socklen_t length = 0;
    if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        auto *in6 = reinterpret_cast<sockaddr_in6 *>(&storage);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(m_port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&in6->sin6_addr, &bytes, sizeof bytes);
        in6->sin6_scope_id = address.scopeId().toUInt();
        length = sizeof *in6;
    } else {
        auto *in4 = reinterpret_cast<sockaddr_in *>(&storage);
        in4->sin_family = AF_INET;
        in4->sin_port = htons(m_port);
        in4->sin_addr.s_addr = htonl(address.toIPv4Address());
        length = sizeof *in4;
    }
    m_descriptor = ::socket(storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_descriptor < 0) {
        m_lastConnectErrno = errno;
        ConnectToNextAddress();
        return;
    }
    int result = 0;
    do {
        result = ::connect(m_descriptor, reinterpret_cast<sockaddr *>(&storage), length);
    } while (result < 0 && errno == EINTR);
    if (result < 0 && errno != EINPROGRESS) {
        m_lastConnectErrno = errno;
        ConnectToNextAddress();
        return;
    }
    // The connection completes (or fails) when the socket becomes writable; it is reported once
    // this turn is over, whatever was sent before.
    m_writeNotifier->setSocket(m_descriptor);
    m_standing = false;
    m_earlyError = 0;
    m_output = m_onConnect; // an attempt on another address sends it all again
    SendEarly();
    SettleAfterThisTurn();
}

bool TcpSocketComponent::SendOnConnect(const QString &text)
{
    if (m_state != State::LookingUp && m_state != State::Connecting)
        return false;
    m_onConnect = text.toUtf8();
    m_output = m_onConnect;
    SendEarly();
    return true;
}

void TcpSocketComponent::SendEarly()
{
    if (m_state != State::Connecting || m_output.isEmpty() || m_descriptor < 0 || m_earlyError != 0)
        return;
    // Before the handshake is done a send fails with EAGAIN and sends nothing; once the
    // connection stands it goes out at once (on loopback it stands before connect() returns). A
    // connection that failed reports its error to this send and no more to SO_ERROR: it is kept
    // for OnWritable, which reports it.
    const ssize_t sent =
        ::send(m_descriptor, m_output.constData(), static_cast<size_t>(m_output.size()), MSG_NOSIGNAL);
    if (sent >= 0) {
        m_standing = true;
        // The rest, and any error, after Connected. All of it went, most often: the buffer is
        // shared with m_onConnect, and a remove would copy it.
        if (sent == m_output.size())
            m_output.clear();
        else
            m_output.remove(0, sent);
        return;
    }
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
        m_earlyError = errno;
}

void TcpSocketComponent::OnWritable()
{
    if (m_state == State::Connected) {
        FlushOutput();
        return;
    }
    if (m_state != State::Connecting)
        return;
    int error = m_earlyError;
    socklen_t length = sizeof error;
    if (error == 0 && !m_standing && ::getsockopt(m_descriptor, SOL_SOCKET, SO_ERROR, &error, &length) < 0)
        error = errno;
    if (error != 0) {
        m_lastConnectErrno = error;
        ConnectToNextAddress();
        return;
    }
    m_state = State::Connected;
    m_addresses.clear();
    m_writeNotifier->setEnabled(false);
    m_readNotifier->setSocket(m_descriptor);
    m_readNotifier->setEnabled(true);
    const quint64 generation = m_generation;
    FlushOutput(); // what SendOnConnect gave and could not go yet
    if (generation == m_generation && m_state == State::Connected)
        TellConnected();
}

void TcpSocketComponent::OnReadable()
{
    if (m_state != State::Connected)
        return;
    // What has arrived, up to the room left; a close that came with the last data is noticed
    // in the same turn, not one turn of the event loop later.
    qsizetype room = std::min(kReadChunk, kPendingLimit - m_pending.size());
    if (room <= 0) {
        m_readNotifier->setEnabled(false); // GetData() switches it on again
        return;
    }
    const qsizetype before = m_pending.size();
    // Read through one buffer kept for every read of the thread: what waits for GetData() is only
    // what arrived, not a chunk-sized block allocated and freed for every reply.
    thread_local std::vector<char> buffer(static_cast<size_t>(kReadChunk));
    ssize_t received = 0;
    int error = 0;
    while (room > 0) {
        do {
            received = ::recv(m_descriptor, buffer.data(), static_cast<size_t>(room), 0);
        } while (received < 0 && errno == EINTR);
        error = errno;
        if (received <= 0)
            break;
        m_pending.append(buffer.data(), received);
        room -= received;
    }
    const bool closed = received == 0 && room > 0;
    const bool broken = received < 0 && error != EAGAIN && error != EWOULDBLOCK;
    if (m_pending.size() > before) {
        const quint64 generation = m_generation;
        TellDataArrival(m_pending.size());
        if (generation != m_generation || m_state != State::Connected)
            return; // closed or reused by the receiver
    }
    if (closed) {
        // The server's orderly close; whatever waits in m_pending was reported already.
        CloseDescriptor();
        m_state = State::Closed;
        TellPeerClosed();
        return;
    }
    if (broken)
        Fail(Error::Reset, ErrnoText(error));
}

bool TcpSocketComponent::SendData(const QString &text)
{
    if (m_state != State::Connected)
        return false;
    m_output += text.toUtf8();
    FlushOutput();
    return m_state == State::Connected;
}

void TcpSocketComponent::FlushOutput()
{
    while (!m_output.isEmpty()) {
        const ssize_t sent =
            ::send(m_descriptor, m_output.constData(), static_cast<size_t>(m_output.size()), MSG_NOSIGNAL);
        if (sent > 0) {
            m_output.remove(0, sent);
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_writeNotifier->setEnabled(true); // the rest goes when the socket takes it
            return;
        }
        Fail(Error::Reset, ErrnoText(errno));
        return;
    }
    m_writeNotifier->setEnabled(false);
}

QByteArray TcpSocketComponent::GetData()
{
    QByteArray data = std::exchange(m_pending, QByteArray());
    if (m_state == State::Connected)
        m_readNotifier->setEnabled(true);
    return data;
}

void TcpSocketComponent::Fail(Error error, const QString &message)
{
    Close();
    if (!m_reportLater) {
        TellFailed(error, message);
        return;
    }
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, generation, error, message] {
            if (generation == m_generation)
                TellFailed(error, message);
        },
        Qt::QueuedConnection);
}
