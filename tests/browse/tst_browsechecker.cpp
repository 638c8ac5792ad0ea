#include "app/BrowseState.h"
#include "platform/TextFile.h"
#include "results/ResultLists.h"
#include "support/ExamplePages.h"
#include "support/FileSizeLimit.h"
#include "support/ManualClock.h"
#include "support/TestFolders.h"
#include "tools/dnsd/DnsTestServer.h"
#include "tools/rdapd/RdapTestServer.h"
#include "tools/whoisd/WhoisTestServer.h"

#include <QSignalSpy>
#include <QTest>

// The browse window's checks against a whois server on 127.0.0.1 behind the proxy row: one
// connection, one name at a time, in the order found. Its ticks and time limits run on a clock
// the test moves.
class TestBrowseChecker : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void theNamesOfAPageAreCheckedOneAtATime();
    void repliesThatAreNotAnAnswer_data();
    void repliesThatAreNotAnAnswer();
    void namesWithAnEmptyLabelAreNotSent();
    void ticksBeforeTheFirstScanSkipNothing();
    void tenThousandUnusableNamesArePassedOver();
    void aRefusedConnectionGivesUpAtOnce();
    void aResultFileThatCannotBeWrittenIsToldOnce();
    void namesUnderAnRdapRowAreAskedThere();
    void delegatedNamesAreNotAskedOverWhois();

private:
    static constexpr int kTickMs = 1000;
    void MakeState(quint16 proxyPort);
    // The checker takes the program's check settings of now.
    void Reload() { m_state->Load(m_program->MakeNameCheck(m_program->checkSettings())); }
    ResultLists &Lists() { return m_program->results(); }
    QStringList Items(BrowseState::List list) { return m_state->model(list)->stringList(); }
    // Queues names as a scan would and waits until the checker has been through all of them.
    void QueueAndWait(const QStringList &names, int timeoutMs = 10000);

    std::unique_ptr<WhoisTestServer> m_server;
    std::unique_ptr<TestFolders> m_folders;
    std::unique_ptr<Program> m_program;
    ManualClock m_clock;
    std::unique_ptr<BrowseState> m_state;
};

void TestBrowseChecker::init()
{
    m_server = std::make_unique<WhoisTestServer>();
    QVERIFY(m_server->Listen());
    m_server->setRuleChooser([](const QString &name) {
        const bool free =
            name.startsWith('a') || name.startsWith('e') || name.startsWith(QLatin1String("ok"));
        return free ? WhoisReplyRule::Free() : WhoisReplyRule::Taken();
    });
    m_folders = std::make_unique<TestFolders>();
    m_program = m_folders->MakePreparedProgram();
    MakeState(m_server->port());
}

void TestBrowseChecker::cleanup()
{
    m_state.reset();
    m_program.reset();
    m_folders.reset();
    m_server.reset();
}

void TestBrowseChecker::MakeState(quint16 proxyPort)
{
    UseWhoisServer(*m_program, proxyPort, true);
    m_state.reset();
    m_state = std::make_unique<BrowseState>(
        BrowseState::Services{m_program->registrars(),
                              {m_program->results(), m_program->resultFiles(), m_program->unchecked()},
                              m_folders->path("BrowseQueue.txt"),
                              m_program->config().excludedLinkTexts,
                              m_program->socketFactory(),
                              &m_clock},
        BrowseTimings{kTickMs, 1000, 2000});
    Reload();
}

void TestBrowseChecker::QueueAndWait(const QStringList &names, int timeoutMs)
{
    const qint64 end = m_state->checker().nextIndex() + names.size();
    QVERIFY(m_state->queue().Append(names));
    m_state->checker().FeedNext();
    QTRY_VERIFY_WITH_TIMEOUT(m_state->checker().nextIndex() == end && !m_state->checker().isChecking(),
                             timeoutMs);
}

void TestBrowseChecker::theNamesOfAPageAreCheckedOneAtATime()
{
    int mostOpen = 0;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this,
            [&] { mostOpen = std::max(mostOpen, m_server->openConnections()); });
    connect(m_server.get(), &WhoisTestServer::queryReceived, this,
            [&] { mostOpen = std::max(mostOpen, m_server->openConnections()); });
    watch.start(1);

    m_state->PageCompleted(QString(ExamplePages::kBrowse1), "http://127.0.0.1/browse.html", false);
    QTRY_COMPARE_WITH_TIMEOUT(m_state->panel(1), QString("Checked 8 unique domains."), 10000);

    const QStringList found = {"alpha.com",   "bravo.net", "charlie.biz", "echo.info",
                               "foxtrot.com", "golf.name", "india.com",   "lpha.com"};
    QCOMPARE(m_server->queries(), found);
    QCOMPARE(mostOpen, 1);
    QCOMPARE(Items(BrowseState::List::Free), (QStringList{"alpha.com", "echo.info"}));
    QCOMPARE(Items(BrowseState::List::Taken),
             (QStringList{"bravo.net", "charlie.biz", "foxtrot.com", "golf.name", "india.com", "lpha.com"}));
    QCOMPARE(m_state->label(BrowseState::List::Free), QString("Unregistered: (2)"));
    QCOMPARE(m_state->label(BrowseState::List::Taken), QString("Registered: (6)"));
    QCOMPARE(Lists().items(ResultList::Mid), QStringList{"alpha.com"});
    QCOMPARE(Lists().heading(ResultList::Mid), QString("Mid Profile (1)"));
    QCOMPARE(Lists().items(ResultList::High), QStringList{"echo.info"});
    QCOMPARE(Lists().heading(ResultList::High), QString("High Profile (1)"));
    QCOMPARE(Lists().items(ResultList::Registered).size(), 6);
    QCOMPARE(Lists().heading(ResultList::Registered), QString("Registered (6)"));
    QCOMPARE(m_state->panel(2), QString("Finished domains on current page"));
}

void TestBrowseChecker::repliesThatAreNotAnAnswer_data()
{
    // x.com is asked with the rule; ok.com after it must still be checked.
    QTest::addColumn<WhoisReplyRule>("rule");
    QTest::addColumn<QString>("freeOrTaken"); // where x.com lands; empty: nowhere
    QTest::addColumn<QString>("reason");      // kept in Unchecked.txt when it lands nowhere
    WhoisReplyRule noMatch;
    noMatch.reply = "NO MATCH FOR \"%NAME%\"\r\n";
    QTest::newRow("no match, in capitals") << noMatch << "free"
                                           << "";
    QTest::newRow("answer after three ticks") << WhoisReplyRule::Taken(150) << "taken"
                                              << "";
    WhoisReplyRule neverClose = WhoisReplyRule::Taken();
    neverClose.mode = WhoisReplyRule::Mode::NeverClose;
    QTest::newRow("never closes") << neverClose << ""
                                  << "no answer within 5 seconds";
    WhoisReplyRule stream;
    stream.mode = WhoisReplyRule::Mode::StreamForever;
    QTest::newRow("streams without end") << stream << ""
                                         << "reply too long";
    WhoisReplyRule closeAtOnce;
    closeAtOnce.mode = WhoisReplyRule::Mode::CloseAtOnce;
    QTest::newRow("closes at once") << closeAtOnce << ""
                                    << "empty reply";
    WhoisReplyRule gibberish;
    gibberish.reply = "Hello there\r\n";
    QTest::newRow("not understood") << gibberish << ""
                                    << "reply not understood";
}

void TestBrowseChecker::repliesThatAreNotAnAnswer()
{
    QFETCH(WhoisReplyRule, rule);
    QFETCH(QString, freeOrTaken);
    QFETCH(QString, reason);
    m_server->setRule("x.com", rule);
    QStringList panels;
    connect(&m_state->panels(), &StatusPanels::textChanged, this, [&](int panel, const QString &text) {
        if (panel == 1)
            panels << text;
    });

    if (rule.mode == WhoisReplyRule::Mode::NeverClose) {
        // Five ticks after the start the name is given up.
        QVERIFY(m_state->queue().Append({"x.com", "ok.com"}));
        m_state->checker().FeedNext();
        QTRY_VERIFY(m_server->queries().contains("x.com"));
        m_clock.Advance(5 * kTickMs);
        QTRY_VERIFY(m_state->checker().nextIndex() == 2 && !m_state->checker().isChecking());
    } else {
        QueueAndWait({"x.com", "ok.com"});
    }

    QCOMPARE(m_server->connectionsFor("x.com"), 1); // asked once, never again while it is slow
    QCOMPARE(Items(BrowseState::List::Free).contains("x.com"), freeOrTaken == "free");
    QCOMPARE(Items(BrowseState::List::Taken).contains("x.com"), freeOrTaken == "taken");
    if (freeOrTaken.isEmpty()) {
        QVERIFY2(panels.contains("Unchecked: x.com"), qPrintable(panels.join(" | ")));
        QCOMPARE(Lists().itemCount(ResultList::Registered), 0);
        QCOMPARE(m_state->checker().noVerdicts().count(), 1);
        QCOMPARE(FileBytes(m_program->unchecked().path()), ("x.com\t" + reason + "\r\n").toUtf8());
    }
    QVERIFY(Items(BrowseState::List::Free).contains("ok.com"));
}

void TestBrowseChecker::namesWithAnEmptyLabelAreNotSent()
{
    m_server->setRule(".com", WhoisReplyRule::Free());
    QueueAndWait({".com", "free..com"});
    QCOMPARE(m_server->queries(), QStringList()); // no valid domain names: never sent
    QVERIFY(Items(BrowseState::List::Free).isEmpty());
    QCOMPARE(Lists().itemCount(ResultList::High) + Lists().itemCount(ResultList::Mid) +
                 Lists().itemCount(ResultList::Low),
             0);
}

void TestBrowseChecker::ticksBeforeTheFirstScanSkipNothing()
{
    m_clock.Advance(5 * kTickMs); // five ticks with no queue file
    m_state->checker().FeedNext();
    QCOMPARE(m_state->checker().nextIndex(), 0);
    QueueAndWait({"ok.com"});
    QCOMPARE(Items(BrowseState::List::Free), QStringList{"ok.com"});
}

void TestBrowseChecker::tenThousandUnusableNamesArePassedOver()
{
    QueueAndWait(NumberedNames("nothing", 10000) << "ok.com");
    QCOMPARE(m_server->queries(), QStringList{"ok.com"});
    QCOMPARE(m_state->panel(1), QString("Checked 1 unique domains."));
}

void TestBrowseChecker::aRefusedConnectionGivesUpAtOnce()
{
    MakeState(ClosedPort());
    // The clock stands still: a slot that waited for its timeout would never be done.
    QueueAndWait({"a.com", "b.com"});
    QVERIFY(Items(BrowseState::List::Free).isEmpty() && Items(BrowseState::List::Taken).isEmpty());
}

void TestBrowseChecker::aResultFileThatCannotBeWrittenIsToldOnce()
{
    QSignalSpy errors(m_state.get(), &BrowseState::errorRaised);
    QVERIFY(m_state->queue().Append({"alpha.com", "echo.info", "ok.com"}));
    {
        FileSizeLimit full(1); // the disk is full for the profile files
        m_state->checker().FeedNext();
        QTRY_COMPARE(m_state->checker().nextIndex(), 3);
    }
    QCOMPARE(errors.count(), 1);
    QVERIFY(errors.first().at(1).toString().contains("cannot be written"));
    QCOMPARE(Items(BrowseState::List::Free), (QStringList{"alpha.com", "echo.info", "ok.com"}));
}

void TestBrowseChecker::namesUnderAnRdapRowAreAskedThere()
{
    RdapTestServer rdap;
    QVERIFY(rdap.Listen());
    rdap.setRule("ok.info", RdapReplyRule::Of(RdapReplyRule::Mode::NotRegistered));
    rdap.setRule("busy.info", RdapReplyRule::Of(RdapReplyRule::Mode::ServerError));
    TextFile::WriteAll(m_program->registrarFile().path(), "info|" + rdap.baseAddress() + "|443|Enabled\r\n");
    QVERIFY(m_program->ReloadRegistrars());
    m_program->setProxyMode(false);
    Reload();
    QueueAndWait({"ok.info", "taken.info", "busy.info"});
    QCOMPARE(rdap.names(), (QStringList{"ok.info", "taken.info", "busy.info"}));
    QCOMPARE(Items(BrowseState::List::Free), QStringList{"ok.info"});
    QCOMPARE(Items(BrowseState::List::Taken), QStringList{"taken.info"});
    QTRY_COMPARE(m_state->panel(1), QString("Checked 2 unique domains.")); // busy.info got no verdict
}

void TestBrowseChecker::delegatedNamesAreNotAskedOverWhois()
{
    DnsTestServer dns;
    QVERIFY(dns.Listen());
    dns.setRule("taken.com", DnsTestServer::Rule::Delegated);
    QVERIFY(m_program->SetDnsServers(dns.address()));
    m_program->setDnsFirst(true);
    MakeState(m_server->port());
    UseWhoisServer(*m_program, m_server->port(), false, {"com"});
    Reload();
    QueueAndWait({"taken.com", "alpha.com"});
    QCOMPARE(dns.questions(), (QStringList{"taken.com", "alpha.com"}));
    QCOMPARE(m_server->queries(), QStringList{"alpha.com"});
    QCOMPARE(Items(BrowseState::List::Taken), QStringList{"taken.com"});
    QCOMPARE(Items(BrowseState::List::Free), QStringList{"alpha.com"});
}

QTEST_GUILESS_MAIN(TestBrowseChecker)
#include "tst_browsechecker.moc"
