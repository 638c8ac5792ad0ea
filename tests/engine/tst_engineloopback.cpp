#include "app/Startup.h"
#include "engine/CheckEngine.h"
#include "engine/Filing.h"
#include "platform/TcpSocketComponent.h"
#include "platform/TextFile.h"
#include "support/TestFolders.h"
#include "tools/whoisd/WhoisTestServer.h"

#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(CheckOutcome)

// The check engine with real sockets against a whois server on 127.0.0.1.
class TestEngineLoopback : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void sixtyNamesFileEveryAnsweredName();
    void replyInPiecesIsJudgedWhole();
    void serverThatNeverClosesIsAskedAgainKeepingThePartialReply();
    void disabledRowIsStillUsed();
    void proxyModeSendsEverythingToTheProxyRow();
    void reconnectUsesTheRowsOwnPort();
    void unusableAnswersAreUnchecked_data();
    void unusableAnswersAreUnchecked();
    void throttlingServerIsKeptToItsLimitAfterItsRefusals();
    void halfAReplyAndAResetIsNeverRegistered();
    void refusedPortEndsItsQueryAtOnce();
    void endlessReplyIsCutAtTheLimitWithoutVerdict();
    void profileFilesHoldTheFreeNames();
    void positionSurvivesARestart();
    void overflowAt20000MovesTheListsAway();

private:
    void WriteRegistrars(const QStringList &rows);
    void MakeProgram(EngineTimings timings);
    CheckEngine &Engine() { return m_program->engine(); }
    void RunList(const QStringList &names, int timeoutMs = 10000);
    QStringList Checked(CheckOutcome outcome) const;

    std::unique_ptr<WhoisTestServer> m_server;
    std::unique_ptr<TestFolders> m_folders;
    std::unique_ptr<Program> m_program;
    QList<QPair<QString, CheckOutcome>> m_checked;
    QStringList m_reasons;
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
    MakeProgram({.slotTickMs = 10, .watchdogTickMs = 10, .coolDownBaseMs = 20, .coolDownCapMs = 100});
}

void TestEngineLoopback::cleanup()
{
    m_program.reset();
    m_folders.reset();
    m_server.reset();
}

void TestEngineLoopback::MakeProgram(EngineTimings timings)
{
    m_program.reset();
    m_program = m_folders->MakePreparedProgram({.timings = timings, .clock = [this] {
                                                    return m_now;
                                                }});
    const QString port = QString::number(m_server->port());
    WriteRegistrars({"proxy|127.0.0.1|" + port + "|Enabled", "com|127.0.0.1|" + port + "|Enabled"});
    m_checked.clear();
    m_reasons.clear();
    m_notices = 0;
    connect(&Engine(), &CheckEngine::nameChecked, this,
            [this](const QString &name, CheckOutcome outcome, const QString &reason) {
                m_checked.append({name, outcome});
                if (outcome == CheckOutcome::Unchecked)
                    m_reasons.append(reason);
            });
    connect(&Engine(), &CheckEngine::backupNotice, this, [this] { ++m_notices; });
}

void TestEngineLoopback::WriteRegistrars(const QStringList &rows)
{
    TextFile::WriteAll(m_program->registrarFile().path(), rows.join("\r\n") + "\r\n");
    QVERIFY(m_program->ReloadRegistrars());
}

void TestEngineLoopback::RunList(const QStringList &names, int timeoutMs)
{
    const QString path = m_folders->WriteList("list.txt", names);
    QSignalSpy stopped(&Engine(), &CheckEngine::runStopped);
    QVERIFY(m_program->Start({path, 1, names.size(), "CustWordNum"}));
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

void TestEngineLoopback::sixtyNamesFileEveryAnsweredName()
{
    MakeProgram({1000, 1000}); // real periods: the run must not wait for the watchdog
    QStringList names;
    QStringList free;
    QStringList taken;
    for (int i = 10; i < 70; ++i) {
        names << (i % 3 ? QStringLiteral("taken%1").arg(i) : QStringLiteral("free%1").arg(i));
        (i % 3 ? taken : free) << names.last() + ".com";
    }
    free.sort();
    taken.sort();
    // The run ends with its answers: a run that waited for the watchdog (30 s) would not end
    // within RunList's wait, and would have names without a verdict.
    RunList(names);
    QCOMPARE(m_checked.size(), 60);
    QCOMPARE(Checked(CheckOutcome::Unchecked), QStringList());
    QCOMPARE(Checked(CheckOutcome::Mid), free);
    QCOMPARE(Checked(CheckOutcome::Registered), taken);
    QCOMPARE(m_program->results().heading(ResultLists::Mid), QString("Mid Profile (20)"));
    QCOMPARE(m_program->results().heading(ResultLists::Registered), QString("Registered (40)"));
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
    QCOMPARE(Engine().slot(0).reply(),
             QByteArray("Domain: abcdefgh.com\r\nNo match for \"abcdefgh.com\"\r\n"));
}

void TestEngineLoopback::serverThatNeverClosesIsAskedAgainKeepingThePartialReply()
{
    // Asked again after ten slot ticks; the watchdog, thirty of its own, must not come first on
    // a loaded machine.
    MakeProgram({.slotTickMs = 10, .watchdogTickMs = 1000});
    WhoisReplyRule rule;
    rule.hangConnections = 1;
    rule.hangReply = "No match ";
    rule.reply = "for \"%NAME%\"\r\n";
    m_server->setRule("slow.com", rule);
    RunList({"slow"});
    QCOMPARE(m_server->connectionsFor("slow.com"), 2);
    QCOMPARE(Engine().slot(0).reply(), QByteArray("No match for \"slow.com\"\r\n"));
    QCOMPARE(Checked(CheckOutcome::High), QStringList{"slow.com"});
}

void TestEngineLoopback::disabledRowIsStillUsed()
{
    const QString port = QString::number(m_server->port());
    WriteRegistrars({"com|127.0.0.1|" + QString::number(ClosedPort()) + "|Enabled",
                     "org|127.0.0.1|" + port + "|Disabled"});
    RunList({"freeshop.org"});
    QCOMPARE(Checked(CheckOutcome::Low), QStringList{"freeshop.org"});
}

void TestEngineLoopback::proxyModeSendsEverythingToTheProxyRow()
{
    const QString dead = QString::number(ClosedPort());
    WriteRegistrars({"proxy|127.0.0.1|" + QString::number(m_server->port()) + "|Enabled",
                     "com|127.0.0.1|" + dead + "|Enabled", "org|127.0.0.1|" + dead + "|Enabled"});
    m_program->setProxyMode(true);
    RunList({"free1", "free2.org", "taken3.com"});
    QCOMPARE(m_server->queries().size(), 3);
    QCOMPARE(Checked(CheckOutcome::Mid), (QStringList{"free1.com", "free2.org"}));
    QCOMPARE(Checked(CheckOutcome::Registered), QStringList{"taken3.com"});
}

void TestEngineLoopback::reconnectUsesTheRowsOwnPort()
{
    QVERIFY(m_server->port() != 43);
    MakeProgram({.slotTickMs = 10, .watchdogTickMs = 1000}); // as above: three connections in time
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
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("asks");
    WhoisReplyRule closeAtOnce;
    closeAtOnce.mode = WhoisReplyRule::Mode::CloseAtOnce;
    WhoisReplyRule limited;
    limited.reply = "Query rate limit exceeded. Too many requests.\r\n";
    QTest::newRow("closes at once") << closeAtOnce << "empty reply" << 1;
    QTest::newRow("rate limit, asked three times") << limited << "rate limited by 127.0.0.1" << 3;
}

void TestEngineLoopback::unusableAnswersAreUnchecked()
{
    QFETCH(WhoisReplyRule, rule);
    m_server->setDefaultRule(rule);
    m_server->setRuleChooser({});
    QFETCH(QString, reason);
    QFETCH(int, asks);
    RunList({"one", "two"});
    QCOMPARE(Checked(CheckOutcome::Unchecked), (QStringList{"one.com", "two.com"}));
    QCOMPARE(m_reasons, (QStringList{reason, reason}));
    QCOMPARE(m_server->connectionsFor("one.com"), asks);
    QCOMPARE(m_program->results().itemCount(ResultLists::Registered), 0);
    QCOMPARE(m_program->results().heading(ResultLists::Registered), QString("Registered"));
}

void TestEngineLoopback::throttlingServerIsKeptToItsLimitAfterItsRefusals()
{
    // Like a registry that allows 10 queries a second: the probe that passes it gets refusals
    // (which also say "No match for", to show that a refusal wins). After a rest the host is
    // asked at the pace it answered at, so no query is refused again.
    constexpr int kLimit = 10;
    constexpr int kWindowMs = 1000;
    m_server->setThrottle(kLimit, kWindowMs, "No match for \"x.com\".\r\nQuery rate limit exceeded.\r\n");
    MakeProgram({.slotTickMs = 100, .watchdogTickMs = 100, .coolDownBaseMs = 1500, .coolDownCapMs = 3000});
    QStringList names;
    QStringList free;
    for (int i = 10; i < 40; ++i) {
        names << (i % 3 ? QStringLiteral("taken%1").arg(i) : QStringLiteral("free%1").arg(i));
        if (!(i % 3))
            free << names.last() + ".com";
    }
    free.sort();
    RunList(names, 20000);
    QCOMPARE(m_checked.size(), 30);
    QCOMPARE(Checked(CheckOutcome::Unchecked), QStringList());
    QCOMPARE(Checked(CheckOutcome::Mid), free);
    QCOMPARE(Checked(CheckOutcome::Registered).size(), 20);
    // The host is probed with a few queries at once, doubling: the first round past the limit
    // is refused in part, and each later refusal cuts the pace again. Few queries are refused,
    // and the last ones, after the host's last refusal, are within the limit.
    QVERIFY2(m_server->refusedCount() >= 1 && m_server->refusedCount() <= 30,
             qPrintable(QString::number(m_server->refusedCount())));
    const QList<qint64> times = m_server->queryTimes();
    QCOMPARE(times.size(), 30 + m_server->refusedCount());
    for (qsizetype last = times.size() - kLimit; last < times.size(); ++last) {
        qsizetype first = last;
        while (first > 0 && times.at(first - 1) > times.at(last) - kWindowMs)
            --first;
        QVERIFY2(last - first + 1 <= kLimit, "the server was asked past its limit after the refusal");
    }
}

void TestEngineLoopback::halfAReplyAndAResetIsNeverRegistered()
{
    WhoisReplyRule reset;
    reset.mode = WhoisReplyRule::Mode::Reset;
    reset.reply = "Domain Name: %NAME%\r\nRegistr";
    m_server->setRule("freecut.com", reset);
    RunList({"freecut", "taken1"}, 10000);
    // The reset is no end of a reply: the name is asked again, and without an answer it stays
    // unchecked; it is never filed "Registered".
    QCOMPARE(Checked(CheckOutcome::Unchecked), QStringList{"freecut.com"});
    QCOMPARE(Checked(CheckOutcome::Registered), QStringList{"taken1.com"});
    QVERIFY(m_server->connectionsFor("freecut.com") >= 2);
}

void TestEngineLoopback::refusedPortEndsItsQueryAtOnce()
{
    MakeProgram({1000, 1000});
    WriteRegistrars({"com|127.0.0.1|" + QString::number(m_server->port()) + "|Enabled",
                     "org|127.0.0.1|" + QString::number(ClosedPort()) + "|Enabled"});
    RunList({"nobody.org", "taken1"});
    // Given up at the refusal, not at the watchdog ("no answer within 30 seconds").
    QCOMPARE(Checked(CheckOutcome::Unchecked), QStringList{"nobody.org"});
    QVERIFY2(m_reasons.first().contains("127.0.0.1") && m_reasons.first().contains("refused"),
             qPrintable(m_reasons.first()));
    QCOMPARE(Checked(CheckOutcome::Registered), QStringList{"taken1.com"});
}

void TestEngineLoopback::endlessReplyIsCutAtTheLimitWithoutVerdict()
{
    WhoisReplyRule stream;
    stream.mode = WhoisReplyRule::Mode::StreamForever;
    m_server->setRule("flood.com", stream);
    RunList({"flood", "free1"}, 20000);
    QCOMPARE(Checked(CheckOutcome::Unchecked), QStringList{"flood.com"});
    QCOMPARE(m_reasons, QStringList{"reply too long"});
    QCOMPARE(Checked(CheckOutcome::Mid), QStringList{"free1.com"});
    QCOMPARE(Engine().slot(0).reply(), QByteArray()); // the memory is given back
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
    m_program->selection().Select(CandidateSourceId::FullWordList);
    QCOMPARE(m_program->controls().total(), QString("60"));
    QCOMPARE(m_program->controls().startNumber(), QString("1"));
    QVERIFY(m_program->SetHostLimits("127.0.0.1=0/25")); // all 25 at once, no probing
    connect(&Engine(), &CheckEngine::nameChecked, this, [this] {
        if (m_checked.size() == 25)
            Engine().Stop();
    });
    QVERIFY(m_program->StartFromControls());
    QTRY_VERIFY(!Engine().isRunning());
    // The names in flight at the stop are unchecked; the position is the first of the names
    // without a verdict, so the next run asks them again.
    const qint64 stopped = Engine().resumePosition();
    QVERIFY2(stopped >= 1 && stopped <= 26, qPrintable(QString::number(stopped)));
    QVERIFY(m_checked.size() <= 25 + CheckEngine::kPoolSize);

    // A new start of the program on the same folders.
    m_program = m_folders->MakePreparedProgram();
    Startup::ReadRunPosition(*m_program);
    QCOMPARE(m_program->startupPosition(), stopped);
    m_program->selection().Select(CandidateSourceId::FullWordList);
    QCOMPARE(m_program->controls().startNumber(), QString::number(stopped));
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
    const QString stamp = m_program->resultFiles().FileStamp();
    QCOMPARE(stamp, QString("20261208101530"));
    QCOMPARE(FileBytes(app + "/backups/HighProfile" + stamp + ".txt"), QByteArray(" \r\n \r\n"));
    QCOMPARE(FileBytes(app + "/backups/MidProfile" + stamp + ".txt"), QByteArray(" \r\n"));
    const int after = m_program->results().itemCount(ResultLists::Low);
    QVERIFY(after <= 6);
    QCOMPARE(FileBytes(app + "/LowProfile" + stamp + ".txt").count("\r\n"), after);
    // Counters restarted; the heading shows the count since the overflow once a name came in.
    QCOMPARE(m_program->results().itemCount(ResultLists::Low), after);
    QCOMPARE(m_checked.size(), Filing::kOverflowLimit + 6);
}

QTEST_GUILESS_MAIN(TestEngineLoopback)
#include "tst_engineloopback.moc"
