#include "WhoisTestServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cmath>
#include <sys/socket.h>

QByteArray WhoisReplyRule::FreeReply()
{
    return "No match for \"%NAME%\".\r\n>>> Last update of whois database: 2026-12-08T00:00:00Z <<<\r\n";
}

QByteArray WhoisReplyRule::TakenReply()
{
    return "   Domain Name: %NAME%\r\n   Registrar: Example Registrar, Inc.\r\n"
           "   Creation Date: 1999-04-01T00:00:00Z\r\n";
}

WhoisReplyRule WhoisReplyRule::Free(int delayMs)
{
    WhoisReplyRule rule;
    rule.reply = FreeReply();
    rule.delayMs = delayMs;
    return rule;
}

WhoisReplyRule WhoisReplyRule::Taken(int delayMs)
{
    WhoisReplyRule rule;
    rule.reply = TakenReply();
    rule.delayMs = delayMs;
    return rule;
}

WhoisTestServer::WhoisTestServer(QObject *parent) : QObject(parent), m_server(new QTcpServer(this))
{
    m_clock.start();
    m_server->setMaxPendingConnections(1024);
    connect(m_server, &QTcpServer::newConnection, this, &WhoisTestServer::OnNewConnection);
}

WhoisTestServer::~WhoisTestServer() = default;

bool WhoisTestServer::Listen(quint16 port, const QHostAddress &address)
{
    return m_server->listen(address, port);
}

quint16 WhoisTestServer::port() const
{
    return m_server->serverPort();
}

void WhoisTestServer::setThrottle(int queries, int windowMs, QByteArray refusal)
{
    m_throttleQueries = queries;
    m_throttleWindowMs = windowMs;
    m_refusal = std::move(refusal);
}

void WhoisTestServer::setSeed(quint32 seed)
{
    m_random.seed(seed);
}

bool WhoisTestServer::Throttled(qint64 now) const
{
    if (m_refuseFirstMs > 0 && now - m_queryTimes.first() < m_refuseFirstMs)
        return true;
    if (m_throttleQueries <= 0)
        return false;
    int inWindow = 0;
    for (auto it = m_queryTimes.crbegin(); it != m_queryTimes.crend() && *it > now - m_throttleWindowMs; ++it)
        ++inWindow;
    return inWindow > m_throttleQueries; // this query is counted already
}

int WhoisTestServer::DelayFor(const WhoisReplyRule &rule)
{
    if (rule.delaySigma <= 0)
        return rule.delayMs;
    std::normal_distribution<double> normal(0.0, rule.delaySigma);
    return static_cast<int>(std::lround(rule.delayMs * std::exp(normal(m_random))));
}

void WhoisTestServer::OnNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        ++m_accepted;
        ++m_open;
        struct Pending
        {
            QByteArray bytes;
            bool answered = false;
            QElapsedTimer since; // the connection was taken
        };
        auto pending = std::make_shared<Pending>();
        pending->since.start();
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            --m_open;
            socket->deleteLater();
        });
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, pending] {
            const QByteArray data = socket->readAll();
            if (pending->answered)
                return; // one query per connection; anything after it is ignored
            pending->bytes.append(data);
            const qsizetype end = pending->bytes.indexOf('\n');
            if (end < 0 && pending->bytes.size() < 4096)
                return;
            pending->answered = true;
            const QString name = QString::fromUtf8(pending->bytes.left(end < 0 ? pending->bytes.size() : end)).trimmed();
            emit queryWaited(name, pending->since.nsecsElapsed() / 1000);
            OnQuery(socket, name);
        });
    }
}

WhoisReplyRule WhoisTestServer::RuleFor(const QString &name) const
{
    const auto found = m_rules.constFind(name.toLower());
    if (found != m_rules.constEnd())
        return *found;
    WhoisReplyRule rule = m_chooser ? m_chooser(name) : m_defaultRule;
    if (!m_replyFolder.isEmpty()) {
        const QString lower = name.toLower();
        const QString extension = lower.section(QLatin1Char('.'), -1);
        const QDir folder(m_replyFolder);
        for (const QString &candidate :
             {lower + QStringLiteral(".txt"), QStringLiteral("taken/%1_%2.txt").arg(extension, lower),
              QStringLiteral("free/%1.txt").arg(extension), extension + QStringLiteral(".txt")}) {
            QFile file(folder.filePath(candidate));
            if (file.open(QIODevice::ReadOnly)) {
                rule.reply = file.readAll();
                break;
            }
        }
    }
    return rule;
}

void WhoisTestServer::OnQuery(QTcpSocket *socket, const QString &name)
{
    const qint64 now = m_clock.elapsed();
    m_queries.append(name);
    m_queryTimes.append(now);
    const int connection = ++m_connectionsPerName[name.toLower()];
    const bool refused = Throttled(now);
    m_refused += refused ? 1 : 0;
    emit queryReceived(name); // refusedCount() counts this query already
    if (refused) {
        SendPieces(socket, m_refusal, 1, 0, true);
        return;
    }
    const WhoisReplyRule rule = RuleFor(name);
    QByteArray reply = rule.reply;
    reply.replace("%NAME%", name.toUtf8());

    if (connection <= rule.hangConnections) {
        QByteArray partial = rule.hangReply;
        partial.replace("%NAME%", name.toUtf8());
        SendPieces(socket, partial, 1, 0, false);
        return;
    }
    switch (rule.mode) {
    case WhoisReplyRule::Mode::CloseAtOnce:
        socket->disconnectFromHost();
        return;
    case WhoisReplyRule::Mode::StreamForever:
        Stream(socket);
        return;
    case WhoisReplyRule::Mode::Reset:
    case WhoisReplyRule::Mode::ResetHalfway: {
        socket->write(rule.mode == WhoisReplyRule::Mode::Reset ? reply : reply.left(reply.size() / 2));
        socket->flush();
        // A zero linger time makes the close a reset instead of an orderly end.
        const linger hard = {1, 0};
        ::setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        socket->abort();
        return;
    }
    case WhoisReplyRule::Mode::NeverClose:
    case WhoisReplyRule::Mode::Answer: {
        const bool close = rule.mode == WhoisReplyRule::Mode::Answer;
        QPointer<QTcpSocket> guarded(socket);
        const int pieces = std::max(1, rule.pieces);
        const auto send = [this, guarded, reply, pieces, gap = rule.pieceGapMs, close] {
            if (guarded)
                SendPieces(guarded, reply, pieces, gap, close);
        };
        if (const int delayMs = DelayFor(rule); delayMs > 0)
            QTimer::singleShot(delayMs, Qt::PreciseTimer, this, send);
        else
            send();
        return;
    }
    }
}

void WhoisTestServer::SendPieces(QTcpSocket *socket, QByteArray reply, int pieces, int gapMs, bool closeAfter)
{
    const qsizetype pieceSize =
        pieces > 1 ? std::max<qsizetype>(1, (reply.size() + pieces - 1) / pieces) : reply.size();
    const QByteArray piece = reply.left(pieceSize);
    const QByteArray rest = reply.mid(pieceSize);
    if (!piece.isEmpty())
        socket->write(piece);
    if (rest.isEmpty()) {
        if (closeAfter) {
            socket->flush(); // out now, so that the close need not wait a turn for it
            socket->disconnectFromHost();
        }
        return;
    }
    socket->flush();
    QPointer<QTcpSocket> guarded(socket);
    QTimer::singleShot(gapMs, this, [this, guarded, rest, pieces, gapMs, closeAfter] {
        if (guarded)
            SendPieces(guarded, rest, pieces - 1, gapMs, closeAfter);
    });
}

void WhoisTestServer::Stream(QTcpSocket *socket)
{
    static const QByteArray kChunk(64 * 1024, 'x');
    QPointer<QTcpSocket> guarded(socket);
    auto *timer = new QTimer(socket);
    connect(timer, &QTimer::timeout, this, [this, guarded] {
        // Keep a little in flight; the client decides when it has had enough.
        if (!guarded || guarded->state() != QAbstractSocket::ConnectedState)
            return;
        if (guarded->bytesToWrite() < 256 * 1024)
            guarded->write(kChunk);
        else
            ++m_streamStalls;
    });
    timer->start(1);
}
