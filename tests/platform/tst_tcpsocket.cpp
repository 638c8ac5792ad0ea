#include "platform/TcpSocketComponent.h"
#include "support/TestFolders.h"
#include "tools/whoisd/WhoisTestServer.h"

#include <QSignalSpy>
#include <QTest>
#include <QVariant>

// The socket component against a real server on 127.0.0.1.
class TestTcpSocket : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void exchangeRaisesEventsInOrder_data();
    void exchangeRaisesEventsInOrder();
    void closeIsHarmlessAndSilent();
    void closedConnectionCanConnectAgain();
    void refusedConnectionReportsFailureOnly();
    void unknownHostReportsHostNotFound();
    void resetAfterDataIsAFailureNotAClose();
    void readingStopsWhileReceivedDataWaits();
    void invalidArgumentsAreRefusedAtOnce();
    void socketsGoneBeforeTheirTurnEndsAreForgotten();

private:
    // Connects, sends the query on Connected (or gives it with the connection), and collects
    // events until PeerClosed.
    QStringList Exchange(TcpSocketComponent &socket, const QString &name, QByteArray *reply,
                         bool withConnection = false);

    std::unique_ptr<WhoisTestServer> m_server;
};

void TestTcpSocket::init()
{
    m_server = std::make_unique<WhoisTestServer>();
    QVERIFY(m_server->Listen());
}

QStringList TestTcpSocket::Exchange(TcpSocketComponent &socket, const QString &name, QByteArray *reply,
                                    bool withConnection)
{
    QStringList events;
    bool closed = false;
    QObject context;
    connect(&socket, &SocketComponent::Connected, &context, [&] {
        events << "connected";
        if (!withConnection)
            socket.SendData(name + "\r\n");
    });
    connect(&socket, &SocketComponent::DataArrival, &context, [&] {
        if (events.isEmpty() || events.last() != "data")
            events << "data";
        reply->append(socket.GetData());
    });
    connect(&socket, &SocketComponent::PeerClosed, &context, [&] {
        events << "closed";
        closed = true;
    });
    connect(&socket, &SocketComponent::Failed, &context, [&](SocketComponent::Error error) {
        events << QStringLiteral("failed: %1").arg(QVariant::fromValue(error).toString());
        closed = true;
    });
    socket.Connect("127.0.0.1", m_server->port());
    if (withConnection && !socket.SendOnConnect(name + "\r\n"))
        events << "not taken";
    if (!QTest::qWaitFor([&] { return closed; }, 5000))
        events << "timed out";
    return events;
}

void TestTcpSocket::exchangeRaisesEventsInOrder_data()
{
    QTest::addColumn<WhoisReplyRule>("rule");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QByteArray>("reply");
    WhoisReplyRule pieces = WhoisReplyRule::Free();
    pieces.reply = "first piece|second piece|third piece";
    pieces.pieces = 3;
    pieces.pieceGapMs = 30;
    WhoisReplyRule late = WhoisReplyRule::Taken(100);
    WhoisReplyRule closeAtOnce;
    closeAtOnce.mode = WhoisReplyRule::Mode::CloseAtOnce;
    QTest::newRow("answer") << WhoisReplyRule::Free() << QStringList{"connected", "data", "closed"}
                            << QByteArray("No match for \"a.com\".\r\n>>> Last update of whois database: "
                                          "2026-12-08T00:00:00Z <<<\r\n");
    QTest::newRow("in pieces") << pieces << QStringList{"connected", "data", "closed"}
                               << QByteArray("first piece|second piece|third piece");
    QTest::newRow("late") << late << QStringList{"connected", "data", "closed"}
                          << WhoisReplyRule::TakenReply().replace("%NAME%", "a.com");
    QTest::newRow("close at once") << closeAtOnce << QStringList{"connected", "closed"} << QByteArray();
}

void TestTcpSocket::exchangeRaisesEventsInOrder()
{
    QFETCH(WhoisReplyRule, rule);
    QFETCH(QStringList, events);
    QFETCH(QByteArray, reply);
    m_server->setDefaultRule(rule);
    // The query sent on Connected, or given with the connection (on loopback it leaves before
    // Connect() returns): the same events in the same order either way.
    for (const bool withConnection : {false, true}) {
        TcpSocketComponent socket;
        QByteArray received;
        QCOMPARE(Exchange(socket, "a.com", &received, withConnection), events);
        QCOMPARE(received, reply);
    }
    QCOMPARE(m_server->queries(), QStringList({"a.com", "a.com"}));
}

void TestTcpSocket::closeIsHarmlessAndSilent()
{
    WhoisReplyRule hang = WhoisReplyRule::Free();
    hang.mode = WhoisReplyRule::Mode::NeverClose;
    m_server->setDefaultRule(hang);
    TcpSocketComponent socket;
    socket.Close(); // never connected
    QSignalSpy closed(&socket, &SocketComponent::PeerClosed);
    QSignalSpy failed(&socket, &SocketComponent::Failed);
    QSignalSpy data(&socket, &SocketComponent::DataArrival);
    connect(&socket, &SocketComponent::Connected, this, [&] { socket.SendData("x.com\r\n"); });
    socket.Connect("127.0.0.1", m_server->port());
    QTRY_COMPARE(data.count(), 1);
    socket.Close();
    socket.Close();
    QTRY_COMPARE(m_server->openConnections(), 0); // the close reached the server
    QCoreApplication::processEvents();
    QCOMPARE(closed.count(), 0);
    QCOMPARE(failed.count(), 0);
    QVERIFY(!socket.SendData("late\r\n"));
    QCOMPARE(socket.GetData(), QByteArray());
}

void TestTcpSocket::closedConnectionCanConnectAgain()
{
    TcpSocketComponent socket;
    QByteArray first;
    QByteArray second;
    Exchange(socket, "one.com", &first, true);
    socket.Close();
    Exchange(socket, "two.com", &second); // nothing of the first connection is sent again
    QVERIFY(first.contains("one.com"));
    QVERIFY(second.contains("two.com"));
    QCOMPARE(m_server->queries(), QStringList({"one.com", "two.com"}));
    QCOMPARE(m_server->acceptedConnections(), 2);
}

void TestTcpSocket::refusedConnectionReportsFailureOnly()
{
    const quint16 closedPort = ClosedPort();
    TcpSocketComponent socket;
    QSignalSpy connected(&socket, &SocketComponent::Connected);
    QSignalSpy closed(&socket, &SocketComponent::PeerClosed);
    QSignalSpy failed(&socket, &SocketComponent::Failed);
    QCOMPARE(socket.Connect("127.0.0.1", closedPort), SocketComponent::ConnectResult::Started);
    QVERIFY(socket.SendOnConnect("a.com\r\n"));
    QTRY_COMPARE(failed.count(), 1);
    QCOMPARE(failed.first().first().value<SocketComponent::Error>(), SocketComponent::Error::Refused);
    QCOMPARE(connected.count(), 0);
    QCOMPARE(closed.count(), 0);
}

void TestTcpSocket::unknownHostReportsHostNotFound()
{
    TcpSocketComponent socket;
    QSignalSpy failed(&socket, &SocketComponent::Failed);
    // ".invalid" never resolves (RFC 2606), and no query leaves the machine for it.
    QCOMPARE(socket.Connect("whois.example.invalid", 43), SocketComponent::ConnectResult::Started);
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 10000);
    QCOMPARE(failed.first().first().value<SocketComponent::Error>(), SocketComponent::Error::HostNotFound);
}

void TestTcpSocket::resetAfterDataIsAFailureNotAClose()
{
    WhoisReplyRule reset;
    reset.mode = WhoisReplyRule::Mode::Reset;
    reset.reply = "Domain Name: %NAME%\r\nRegistrar: ";
    m_server->setDefaultRule(reset);
    TcpSocketComponent socket;
    QByteArray received;
    // The data that came before the reset is delivered; the end is a failure, not a close.
    QCOMPARE(Exchange(socket, "a.com", &received), (QStringList{"connected", "data", "failed: Reset"}));
    QCOMPARE(received, QByteArray("Domain Name: a.com\r\nRegistrar: "));
}

void TestTcpSocket::readingStopsWhileReceivedDataWaits()
{
    WhoisReplyRule stream;
    stream.mode = WhoisReplyRule::Mode::StreamForever;
    m_server->setDefaultRule(stream);
    TcpSocketComponent socket;
    QSignalSpy data(&socket, &SocketComponent::DataArrival);
    connect(&socket, &SocketComponent::Connected, this, [&] { socket.SendData("x.com\r\n"); });
    socket.Connect("127.0.0.1", m_server->port());
    QTRY_VERIFY(data.count() > 0);
    // The server goes on sending until the window is full: the socket stopped reading.
    QTRY_VERIFY(m_server->streamStalls() > 0);
    QVERIFY(data.last().first().toLongLong() <= TcpSocketComponent::kPendingLimit);
    QVERIFY(socket.GetData().size() <= TcpSocketComponent::kPendingLimit);
    // Taking it lets reading go on.
    const int before = int(data.count());
    QTRY_VERIFY(data.count() > before);
    socket.Close();
}

void TestTcpSocket::invalidArgumentsAreRefusedAtOnce()
{
    TcpSocketComponent socket;
    QCOMPARE(socket.Connect("", 43), SocketComponent::ConnectResult::InvalidArgument);
    QCOMPARE(socket.Connect("127.0.0.1", 0), SocketComponent::ConnectResult::InvalidArgument);
}

void TestTcpSocket::socketsGoneBeforeTheirTurnEndsAreForgotten()
{
    // The connections started in a turn are looked at together after it: one deleted before
    // then, and one deleted by an earlier one's Connected, are passed over.
    auto first = std::make_unique<TcpSocketComponent>();
    auto second = std::make_unique<TcpSocketComponent>();
    auto third = std::make_unique<TcpSocketComponent>();
    QSignalSpy closed(first.get(), &SocketComponent::PeerClosed);
    connect(first.get(), &SocketComponent::Connected, this, [&] { second.reset(); });
    for (TcpSocketComponent *socket : {first.get(), second.get(), third.get()}) {
        socket->Connect("127.0.0.1", m_server->port());
        QVERIFY(socket->SendOnConnect("a.com\r\n"));
    }
    third.reset();
    QTRY_COMPARE(closed.count(), 1);
    QVERIFY(!second);
    QVERIFY(first->GetData().contains("a.com"));
}

QTEST_GUILESS_MAIN(TestTcpSocket)
#include "tst_tcpsocket.moc"
