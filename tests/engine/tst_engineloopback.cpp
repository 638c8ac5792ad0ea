#include "engine/CheckEngine.h"
#include "engine/Filing.h"
#include "platform/TcpSocketComponent.h"
#include "platform/TextFile.h"
#include "shell/Startup.h"
#include "sources/SourceSelection.h"
#include "support/TestFolders.h"
#include "tools/whoisd/WhoisTestServer.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

Q_DECLARE_METATYPE(CheckOutcome)

// The check engine with real sockets against a whois server on 127.0.0.1.
class TestEngineLoopback : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void sixtyNamesRunThreeBatchesAndFileEveryAnsweredName();
    void replyInPiecesIsJudgedWhole();
    void serverThatNeverClosesIsAskedAgainKeepingThePartialReply();
    void disabledRowIsStillUsed();
    void proxyModeSendsEverythingToTheProxyRow();
    void reconnectUsesTheRowsOwnPort();
    void unusableAnswersAreUnchecked_data();
    void unusableAnswersAreUnchecked();
    void endlessReplyIsCappedAndDropped();
    void profileFilesHoldTheFreeNames();
    void positionSurvivesARestart();
    void overflowAt20000MovesTheListsAway();

private:
    void WriteRegistrars(const QStringList &rows);
    void MakeEngine(EngineTimings timings);
    void RunList(const QStringList &names, int timeoutMs = 10000);
    QStringList Checked(CheckOutcome outcome) const;
    quint16 DeadPort();

    std::unique_ptr<WhoisTestServer> m_server;
    std::unique_ptr<TestFolders> m_folders;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<SourceSelection> m_selection;
    std::unique_ptr<CheckEngine> m_engine;
    QList<QPair<QString, CheckOutcome>> m_checked;
    int m_notices = 0;
    QDateTime m_now;
};

void TestEngineLoopback::init()
{
    m_server = std::make_unique<WhoisTestServer>();
    QVERIFY(m_server->Listen());
    m_server->setRuleChooser([](const QString &name) {
        return name.startsWith(QLatin1String("free")) ? WhoisReplyRule::Free() : WhoisReplyRule::Taken();
    });
    m_folders = std::make_unique<TestFolders>();
    m_now = QDateTime(QDate(2026, 12, 8), QTime(10, 15, 30));
    m_state = m_folders->MakePreparedState([this] { return m_now; });
    const QString port = QString::number(m_server->port());
    WriteRegistrars({"proxy|127.0.0.1|" + port + "|Enabled", "com|127.0.0.1|" + port + "|Enabled"});
    m_selection = std::make_unique<SourceSelection>(*m_state);
    MakeEngine({10, 10});
    m_notices = 0;
}

void TestEngineLoopback::cleanup()
{
    m_engine.reset();
    m_selection.reset();
    m_state.reset();
    m_folders.reset();
    m_server.reset();
}

void TestEngineLoopback::MakeEngine(EngineTimings timings)
{
    m_engine = std::make_unique<CheckEngine>(*m_state, *m_selection, TcpSocketComponent::Factory(), timings);
    m_checked.clear();
    connect(m_engine.get(), &CheckEngine::nameChecked, this,
            [this](const QString &name, CheckOutcome outcome) {
                m_checked.append({name, outcome});
            });
    connect(m_engine.get(), &CheckEngine::backupNotice, this, [this] { ++m_notices; });
}

void TestEngineLoopback::WriteRegistrars(const QStringList &rows)
{
    TextFile::WriteAll(m_state->registrarFile().path(), rows.join("\r\n") + "\r\n");
    QVERIFY(m_state->ReloadRegistrars());
}

quint16 TestEngineLoopback::DeadPort()
{
    QTcpServer reserve;
    reserve.listen(QHostAddress::LocalHost);
    return reserve.serverPort(); // closed again when reserve goes
}

void TestEngineLoopback::RunList(const QStringList &names, int timeoutMs)
{
    const QString path = m_folders->WriteList("list.txt", names);
    m_selection->setHooks({[path](const QString &) { return std::optional(path); }, {}, {}});
    m_selection->Select("Custom List");
    QSignalSpy stopped(m_engine.get(), &CheckEngine::runStopped);
    QVERIFY(m_engine->Start());
    QVERIFY(stopped.wait(timeoutMs) || stopped.count() == 1);
}

QStringList TestEngineLoopback::Checked(CheckOutcome outcome) const
{
    QStringList names;
    for (const auto &[name, got] : m_checked) {
        if (got == outcome)
            names << name;
    }
    names.sort();
    return names;
}

void TestEngineLoopback::sixtyNamesRunThreeBatchesAndFileEveryAnsweredName()
{
    MakeEngine({1000, 1000}); // real periods: the run must not wait for the watchdog
    QStringList names;
    QStringList free;
    QStringList taken;
    for (int i = 10; i < 70; ++i) {
        names << (i % 3 ? QStringLiteral("taken%1").arg(i) : QStringLiteral("free%1").arg(i));
        (i % 3 ? taken : free) << names.last() + ".com";
    }
    free.sort();
    taken.sort();
    QElapsedTimer timer;
    timer.start();
    RunList(names);
    QVERIFY2(timer.elapsed() < 5000, "the short last batch waited for the watchdog");
    QCOMPARE(m_engine->batchesStarted(), 3);
    QCOMPARE(m_checked.size(), 60);
    QCOMPARE(Checked(CheckOutcome::Mid), free);
    QCOMPARE(Checked(CheckOutcome::Registered), taken);
    QCOMPARE(m_state->results.heading(ResultLists::Mid), QString("Mid Profile (20)"));
    QCOMPARE(m_state->results.heading(ResultLists::Registered), QString("Registered (40)"));
    QCOMPARE(m_server->queries().size(), 60);
}

void TestEngineLoopback::replyInPiecesIsJudgedWhole()
{
    WhoisReplyRule pieces;
    pieces.reply = "Domain: %NAME%\r\nNo match for \"%NAME%\"\r\n";
    pieces.pieces = 6;
    pieces.pieceGapMs = 15;
    m_server->setRule("abcdefgh.com", pieces);
    RunList({"abcdefgh"});
    QCOMPARE(Checked(CheckOutcome::Low), QStringList{"abcdefgh.com"});
    QCOMPARE(m_engine->slot(0).reply(),
             QByteArray("Domain: abcdefgh.com\r\nNo match for \"abcdefgh.com\"\r\n"));
}

void TestEngineLoopback::serverThatNeverClosesIsAskedAgainKeepingThePartialReply()
{
    WhoisReplyRule rule;
    rule.hangConnections = 1;
    rule.hangReply = "No match ";
    rule.reply = "for \"%NAME%\"\r\n";
    m_server->setRule("slow.com", rule);
    RunList({"slow"});
    QCOMPARE(m_server->connectionsFor("slow.com"), 2);
    QCOMPARE(m_engine->slot(0).reply(), QByteArray("No match for \"slow.com\"\r\n"));
    QCOMPARE(Checked(CheckOutcome::High), QStringList{"slow.com"});
}

void TestEngineLoopback::disabledRowIsStillUsed()
{
    const QString port = QString::number(m_server->port());
    WriteRegistrars(
        {"com|127.0.0.1|" + QString::number(DeadPort()) + "|Enabled", "org|127.0.0.1|" + port + "|Disabled"});
    RunList({"freeshop.org"});
    QCOMPARE(Checked(CheckOutcome::Low), QStringList{"freeshop.org"});
}

void TestEngineLoopback::proxyModeSendsEverythingToTheProxyRow()
{
    const QString dead = QString::number(DeadPort());
    WriteRegistrars({"proxy|127.0.0.1|" + QString::number(m_server->port()) + "|Enabled",
                     "com|127.0.0.1|" + dead + "|Enabled", "org|127.0.0.1|" + dead + "|Enabled"});
    m_state->proxyMode = true;
    RunList({"free1", "free2.org", "taken3.com"});
    QCOMPARE(m_server->queries().size(), 3);
    QCOMPARE(Checked(CheckOutcome::Mid), (QStringList{"free1.com", "free2.org"}));
    QCOMPARE(Checked(CheckOutcome::Registered), QStringList{"taken3.com"});
}

void TestEngineLoopback::reconnectUsesTheRowsOwnPort()
{
    QVERIFY(m_server->port() != 43);
    WhoisReplyRule rule = WhoisReplyRule::Free();
    rule.hangConnections = 2;
    m_server->setRule("again.com", rule);
    RunList({"again"});
    QCOMPARE(m_server->connectionsFor("again.com"), 3);
    QCOMPARE(Checked(CheckOutcome::Mid), QStringList{"again.com"});
}

void TestEngineLoopback::unusableAnswersAreUnchecked_data()
{
    QTest::addColumn<WhoisReplyRule>("rule");
    WhoisReplyRule closeAtOnce;
    closeAtOnce.mode = WhoisReplyRule::Mode::CloseAtOnce;
    WhoisReplyRule limited;
    limited.reply = "Query rate limit exceeded. Too many requests.\r\n";
    QTest::newRow("closes at once") << closeAtOnce;
    QTest::newRow("rate limit") << limited;
}

void TestEngineLoopback::unusableAnswersAreUnchecked()
{
    QFETCH(WhoisReplyRule, rule);
    m_server->setDefaultRule(rule);
    m_server->setRuleChooser({});
    RunList({"one", "two"});
    QCOMPARE(Checked(CheckOutcome::Unchecked), (QStringList{"one.com", "two.com"}));
    QCOMPARE(m_state->results.itemCount(ResultLists::Registered), 0);
    QCOMPARE(m_state->results.heading(ResultLists::Registered), QString("Registered"));
}

void TestEngineLoopback::endlessReplyIsCappedAndDropped()
{
    WhoisReplyRule stream;
    stream.mode = WhoisReplyRule::Mode::StreamForever;
    m_server->setRule("flood.com", stream);
    RunList({"flood", "free1"}, 20000);
    QCOMPARE(Checked(CheckOutcome::Unchecked), QStringList{"flood.com"});
    QCOMPARE(Checked(CheckOutcome::Mid), QStringList{"free1.com"});
    QCOMPARE(m_engine->slot(0).reply().size(), WhoisSlot::kReplyLimit);
}

void TestEngineLoopback::profileFilesHoldTheFreeNames()
{
    RunList({"free", "freeabc", "freeabcdef", "taken"});
    const auto file = [&](const QString &name) {
        return FileBytes(m_folders->appFolder() + "/" + name);
    };
    QCOMPARE(file("SuperHighProfile.txt"), QByteArray("free.com\r\n"));
    QCOMPARE(file("HighProfile.txt"), QByteArray("freeabc.com\r\n"));
    QCOMPARE(file("LowProfile.txt"), QByteArray("freeabcdef.com\r\n"));
    QVERIFY(!QFile::exists(m_folders->appFolder() + "/MidProfile.txt"));
}

void TestEngineLoopback::positionSurvivesARestart()
{
    const QStringList names = NumberedNames("taken", 60);
    TextFile::WriteAll(m_folders->appFolder() + "/wordlists/FullWordList.txt", names.join("\r\n") + "\r\n");
    m_selection->Select("Full Word List");
    QCOMPARE(m_state->controls.total(), QString("60"));
    QCOMPARE(m_state->controls.startNumber(), QString("1"));
    connect(m_engine.get(), &CheckEngine::nameChecked, this, [this] {
        if (m_checked.size() == 25)
            m_engine->Stop();
    });
    QVERIFY(m_engine->Start());
    QTRY_VERIFY(!m_engine->isRunning());

    // A new start of the program on the same folders.
    m_engine.reset();
    m_selection.reset();
    m_state = m_folders->MakePreparedState();
    Startup::ReadRunPosition(*m_state);
    QCOMPARE(m_state->runPosition, 26);
    m_selection = std::make_unique<SourceSelection>(*m_state);
    m_selection->Select("Full Word List");
    QCOMPARE(m_state->controls.startNumber(), QString("26"));
}

void TestEngineLoopback::overflowAt20000MovesTheListsAway()
{
    QStringList names;
    for (int i = 0; i < Filing::kOverflowLimit + 5; ++i)
        names << QStringLiteral("freename%1").arg(i, 5, 10, QLatin1Char('0'));
    names << "free"; // one High name, filed before or after the overflow
    RunList(names, 120000);
    QCOMPARE(m_notices, 1);
    const QString app = m_folders->appFolder();
    const QByteArray overflowLow = FileBytes(app + "/overflow/LowProfile.txt");
    QCOMPARE(overflowLow.count("\r\n"), Filing::kOverflowLimit);
    QVERIFY(QFile::exists(app + "/overflow/HighProfile.txt"));
    QVERIFY(QFile::exists(app + "/overflow/SuperHighProfile.txt"));
    // The unstamped profile file holds the same names; later names go to the new stamp.
    QCOMPARE(FileBytes(app + "/LowProfile.txt"), overflowLow);
    const QString stamp = m_state->resultFiles.FileStamp();
    QCOMPARE(stamp, QString("20261208101530"));
    QCOMPARE(FileBytes(app + "/backups/HighProfile" + stamp + ".txt"), QByteArray(" \r\n \r\n"));
    QCOMPARE(FileBytes(app + "/backups/MidProfile" + stamp + ".txt"), QByteArray(" \r\n"));
    const int after = m_state->results.itemCount(ResultLists::Low);
    QVERIFY(after <= 6);
    QCOMPARE(FileBytes(app + "/LowProfile" + stamp + ".txt").count("\r\n"), after);
    // Counters restarted; the heading shows the count since the overflow once a name came in.
    QCOMPARE(m_state->results.counter(ResultLists::Low), after);
    QCOMPARE(m_checked.size(), Filing::kOverflowLimit + 6);
}

QTEST_GUILESS_MAIN(TestEngineLoopback)
#include "tst_engineloopback.moc"
