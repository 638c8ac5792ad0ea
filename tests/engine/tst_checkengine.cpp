#include "engine/CheckEngine.h"
#include "sources/SourceSelection.h"
#include "support/FakeSocket.h"
#include "support/TestFolders.h"

#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(CheckOutcome)

// The search run and the connection pool with hand-driven sockets.
class TestCheckEngine : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void queriesTheCleanedNameAtTheServerOfItsRow_data();
    void queriesTheCleanedNameAtTheServerOfItsRow();
    void proxyModeSendsEveryQueryToTheProxyRow();
    void batchEndsWhenEveryHandedSlotHasFinished();
    void shortLastBatchStopsWithoutWaitingForTheWatchdog();
    void watchdogEndsABatchAndDropsUnansweredNames();
    void timeoutReconnectsToTheRowsOwnPortKeepingThePartialReply();
    void failedSendReconnectsToTheRowsOwnPort();
    void invalidArgumentIsRetriedOnceThenReported();
    void unusableRepliesAreUnchecked_data();
    void unusableRepliesAreUnchecked();
    void statusTextsFollowTheRun();
    void positionIsStoredUnderTheSourceKeyAndWordNumber();
    void stopStoresThePositionAtOnce();
    void startIsRefusedForBadInput_data();
    void startIsRefusedForBadInput();
    void stopRestoresTheControls();
    void eventsAfterStopAreIgnored();
    void searchEngineSourcesStartAtLineOne();

private:
    void UseList(const QStringList &names, const QString &caption = QStringLiteral("Custom List"));
    QStringList CheckedNames(CheckOutcome outcome) const;

    std::unique_ptr<TestFolders> m_folders;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<SourceSelection> m_selection;
    std::unique_ptr<FakeSocketFactory> m_sockets;
    std::unique_ptr<CheckEngine> m_engine;
    QList<QPair<QString, CheckOutcome>> m_checked;
    QStringList m_errors;
};

void TestCheckEngine::init()
{
    m_folders = std::make_unique<TestFolders>();
    m_state = m_folders->MakePreparedState();
    m_selection = std::make_unique<SourceSelection>(*m_state);
    m_sockets = std::make_unique<FakeSocketFactory>();
    m_engine =
        std::make_unique<CheckEngine>(*m_state, *m_selection, m_sockets->factory(), EngineTimings{5, 5});
    m_checked.clear();
    m_errors.clear();
    connect(m_engine.get(), &CheckEngine::nameChecked, this,
            [this](const QString &name, CheckOutcome outcome) {
                m_checked.append({name, outcome});
            });
    connect(m_engine.get(), &CheckEngine::errorRaised, this,
            [this](const QString &, const QString &text) { m_errors.append(text); });
}

void TestCheckEngine::cleanup()
{
    m_engine.reset();
    m_selection.reset();
    m_state.reset();
    m_sockets.reset();
    m_folders.reset();
}

void TestCheckEngine::UseList(const QStringList &names, const QString &caption)
{
    const QString path = m_folders->WriteList("list.txt", names);
    if (caption == QLatin1String("Custom List")) {
        m_selection->setHooks({[path](const QString &) { return std::optional(path); }, {}, {}});
        m_selection->Select(caption);
    } else {
        m_selection->Select(caption);
        m_state->controls.setSourcePath(path);
    }
}

QStringList TestCheckEngine::CheckedNames(CheckOutcome outcome) const
{
    QStringList names;
    for (const auto &[name, got] : m_checked) {
        if (got == outcome)
            names << name;
    }
    return names;
}

void TestCheckEngine::queriesTheCleanedNameAtTheServerOfItsRow_data()
{
    QTest::addColumn<QString>("candidate");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("server");
    QTest::newRow("default extension") << "Sunrise Bakery!"
                                       << "SunriseBakery.com"
                                       << "whois.internic.net";
    QTest::newRow("own extension, disabled row") << "example.org"
                                                 << "example.org"
                                                 << "whois.pir.org";
    // The run cleans every candidate before the query step, so "%" and ":" are gone by then.
    QTest::newRow("percent sign cleaned away first") << "my%20shop.net"
                                                     << "my20shop.net"
                                                     << "whois.internic.net";
    QTest::newRow("colon cleaned away first") << "http:shop.info"
                                              << "httpshop.info"
                                              << "whois.nic.info";
    QTest::newRow("unknown extension goes to com") << "shop.xyz"
                                                   << "shop.xyz"
                                                   << "whois.internic.net";
}

void TestCheckEngine::queriesTheCleanedNameAtTheServerOfItsRow()
{
    QFETCH(QString, candidate);
    QFETCH(QString, query);
    QFETCH(QString, server);
    UseList({candidate});
    QVERIFY(m_engine->Start());
    FakeSocket &socket = m_sockets->at(0);
    QCOMPARE(socket.connects, (QList<QPair<QString, quint16>>{{server, 43}}));
    socket.RaiseConnected();
    QCOMPARE(socket.sent, QStringList{query + "\r\n"});
    socket.RaiseData("No match for \"" + query.toUtf8() + "\"");
    socket.RaisePeerClosed();
    QCOMPARE(m_checked.size(), 1);
    QCOMPARE(m_checked.first().first, query);
}

void TestCheckEngine::proxyModeSendsEveryQueryToTheProxyRow()
{
    m_state->registrarFile().SaveRegistrarRow("proxy", "10.0.0.7", "4343", true);
    m_state->ReloadRegistrars();
    m_state->proxyMode = true;
    UseList({"a.org", "b", "c.cn"});
    QVERIFY(m_engine->Start());
    for (int i = 0; i < 3; ++i)
        QCOMPARE(m_sockets->at(i).connects, (QList<QPair<QString, quint16>>{{"10.0.0.7", 4343}}));
    m_sockets->at(1).RaiseConnected();
    QCOMPARE(m_sockets->at(1).sent, QStringList{"b.com\r\n"});
}

void TestCheckEngine::batchEndsWhenEveryHandedSlotHasFinished()
{
    const QStringList names = NumberedNames("name", 60);
    UseList(names);
    QVERIFY(m_engine->Start());
    // All 25 answers of a full batch are filed, the 25th included.
    for (int i = 0; i < 25; ++i)
        m_sockets->at(i).Answer("No match for");
    QCOMPARE(m_checked.size(), 25);
    QCOMPARE(CheckedNames(CheckOutcome::Mid).size(), 25);
    QCOMPARE(m_engine->batchesStarted(), 1);
    QTRY_COMPARE(m_engine->batchesStarted(), 2);
    QCOMPARE(m_sockets->at(0).connects.size(), 2);
    m_sockets->at(0).RaiseConnected();
    QCOMPARE(m_sockets->at(0).sent.last(), QString("name26.com\r\n"));
}

void TestCheckEngine::shortLastBatchStopsWithoutWaitingForTheWatchdog()
{
    UseList({"a", "b", "c"});
    QSignalSpy stopped(m_engine.get(), &CheckEngine::runStopped);
    QVERIFY(m_engine->Start());
    for (int i = 0; i < 3; ++i)
        m_sockets->at(i).Answer("taken");
    QCOMPARE(stopped.count(), 1);
    QVERIFY(!m_engine->isRunning());
    QCOMPARE(CheckedNames(CheckOutcome::Registered), (QStringList{"a.com", "b.com", "c.com"}));
    QCOMPARE(m_state->results.heading(ResultLists::Registered), QString("Registered (3)"));
}

void TestCheckEngine::watchdogEndsABatchAndDropsUnansweredNames()
{
    UseList({"a", "b"});
    QSignalSpy stopped(m_engine.get(), &CheckEngine::runStopped);
    QVERIFY(m_engine->Start());
    m_sockets->at(0).Answer("No match for");
    // b never answers: after 30 ticks of the watchdog the batch ends without it.
    QTRY_COMPARE_WITH_TIMEOUT(stopped.count(), 1, 5000);
    QCOMPARE(CheckedNames(CheckOutcome::High), QStringList{"a.com"});
    QCOMPARE(CheckedNames(CheckOutcome::Unchecked), QStringList{"b.com"});
    QVERIFY(!m_sockets->at(1).isOpen());
}

void TestCheckEngine::timeoutReconnectsToTheRowsOwnPortKeepingThePartialReply()
{
    m_state->registrarFile().SaveRegistrarRow("com", "whois.example", "4343", true);
    m_state->ReloadRegistrars();
    UseList({"slow", "other"});
    QVERIFY(m_engine->Start());
    FakeSocket &socket = m_sockets->at(0);
    socket.RaiseConnected();
    socket.RaiseData("No match ");
    // Ten ticks later the slot asks again, on the row's own port.
    QTRY_COMPARE_WITH_TIMEOUT(socket.connects.size(), 2, 2000);
    QCOMPARE(socket.connects.last(), (QPair<QString, quint16>{"whois.example", 4343}));
    QCOMPARE(m_engine->slot(0).reply(), QByteArray("No match "));
    socket.RaiseConnected();
    QCOMPARE(socket.sent, (QStringList{"slow.com\r\n", "slow.com\r\n"}));
    socket.RaiseData("for \"slow.com\"");
    socket.RaisePeerClosed();
    // The two pieces together make the verdict.
    QCOMPARE(CheckedNames(CheckOutcome::High), QStringList{"slow.com"});
}

void TestCheckEngine::failedSendReconnectsToTheRowsOwnPort()
{
    m_state->registrarFile().SaveRegistrarRow("com", "whois.example", "4343", true);
    m_state->ReloadRegistrars();
    UseList({"a"});
    QVERIFY(m_engine->Start());
    FakeSocket &socket = m_sockets->at(0);
    socket.refuseSend = true;
    socket.RaiseConnected();
    QCOMPARE(socket.connects,
             (QList<QPair<QString, quint16>>{{"whois.example", 4343}, {"whois.example", 4343}}));
}

void TestCheckEngine::invalidArgumentIsRetriedOnceThenReported()
{
    UseList({"a"});
    for (int i = 0; i < CheckEngine::kPoolSize; ++i)
        m_sockets->at(i).rejectConnect = true;
    QVERIFY(m_engine->Start());
    QCOMPARE(m_errors.size(), 1);
    QCOMPARE(
        m_errors.first(),
        QString("An error has occurred.\r\nError #: 5\r\nDescription: Invalid procedure call or argument"));
    // The slot keeps its name and its timer: it tries again like after a timeout.
    QVERIFY(m_engine->slot(0).busy);
    QVERIFY(m_engine->slot(0).isTimerActive());
}

void TestCheckEngine::unusableRepliesAreUnchecked_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("rate limit") << QByteArray("WHOIS LIMIT EXCEEDED - SEE WWW.PIR.ORG/WHOIS FOR DETAILS\r\n");
    QTest::newRow("quota") << QByteArray("%% Your query quota is exhausted\r\n");
}

void TestCheckEngine::unusableRepliesAreUnchecked()
{
    QFETCH(QByteArray, reply);
    UseList({"a", "b"});
    QVERIFY(m_engine->Start());
    m_sockets->at(0).Answer(reply);
    m_sockets->at(1).Answer("No match for");
    QCOMPARE(CheckedNames(CheckOutcome::Unchecked), QStringList{"a.com"});
    QCOMPARE(m_state->results.itemCount(ResultLists::Registered), 0);
    QCOMPARE(m_state->results.items(ResultLists::High), QStringList{"b.com"});
    QVERIFY(!m_engine->isRunning()); // both slots finished: the run ended
}

void TestCheckEngine::statusTextsFollowTheRun()
{
    const QStringList names = NumberedNames("n", 5000);
    UseList(names);
    m_state->controls.setStartNumber("11");
    QVERIFY(m_engine->Start());
    QCOMPARE(m_engine->statusText(1), QString("36 of 5000"));
    QCOMPARE(m_engine->statusText(2), QString("Open: 25"));
    m_sockets->at(3).RaiseConnected();
    QCOMPARE(m_engine->statusText(3), QString("connecting(3): - Search String: n14.com"));
    m_engine->Stop();
    QCOMPARE(m_engine->statusText(1), QString("Entry Status"));
    QCOMPARE(m_engine->statusText(2), QString("Open Connections"));
    QCOMPARE(m_engine->statusText(3), QString("Connection Status"));
}

void TestCheckEngine::positionIsStoredUnderTheSourceKeyAndWordNumber()
{
    const QString path = m_folders->WriteList("list.txt", {"a", "b", "c"});
    m_selection->Select("Full Word List");
    m_state->controls.setSourcePath(path);
    m_state->controls.setTotal("3");
    QVERIFY(m_engine->Start());
    QTRY_COMPARE(m_state->ReadSetting(AppState::kPositionsApp, "FullWordNum", "1"), QString("4"));
    QCOMPARE(m_state->ReadSetting(AppState::kPositionsApp, "wordNumber", "0"), QString("4"));
    // A source without a key of its own stores "wordNumber" only.
    m_engine->Stop();
    m_selection->Select("Generate names");
    m_state->controls.setSourcePath(m_folders->WriteList("six.txt", {"a", "b", "c", "d", "e", "f"}));
    m_state->controls.setStartNumber("2");
    QVERIFY(m_engine->Start());
    QTRY_COMPARE(m_state->ReadSetting(AppState::kPositionsApp, "wordNumber", "0"), QString("7"));
    QCOMPARE(m_state->ReadSetting(AppState::kPositionsApp, "FullWordNum", "1"), QString("4"));
}

void TestCheckEngine::stopStoresThePositionAtOnce()
{
    const QStringList names = NumberedNames("n", 60);
    UseList(names);
    QVERIFY(m_engine->Start());
    m_engine->Stop();
    // Every candidate read counts, also the names the stop dropped.
    QCOMPARE(m_state->ReadSetting(AppState::kPositionsApp, "CustWordNum", "1"), QString("26"));
    QCOMPARE(m_state->ReadSetting(AppState::kPositionsApp, "wordNumber", "0"), QString("26"));
}

void TestCheckEngine::startIsRefusedForBadInput_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("total");
    QTest::addColumn<bool>("listExists");
    QTest::addColumn<QString>("message");
    QTest::newRow("start not a number") << "abc"
                                        << "10" << true << "The start number \"abc\" is not a whole number.";
    QTest::newRow("total not a number") << "1"
                                        << "x1" << true << "The total \"x1\" is not a whole number.";
    QTest::newRow("list missing") << "1"
                                  << "10" << false << "cannot be read";
}

void TestCheckEngine::startIsRefusedForBadInput()
{
    QFETCH(QString, start);
    QFETCH(QString, total);
    QFETCH(bool, listExists);
    QFETCH(QString, message);
    UseList({"a", "b"});
    if (!listExists)
        QFile::remove(m_folders->path("list.txt"));
    m_state->controls.setTotal(total);
    m_state->controls.setStartNumber(start);
    QVERIFY(!m_engine->Start());
    QVERIFY(!m_engine->isRunning());
    QCOMPARE(m_errors.size(), 1);
    QVERIFY2(m_errors.first().contains(message), qPrintable(m_errors.first()));
    QVERIFY(m_state->controls.isEnabled(SearchControls::StartButton));
    QCOMPARE(m_sockets->at(0).connects.size(), 0);
}

void TestCheckEngine::stopRestoresTheControls()
{
    const QStringList names = NumberedNames("n", 60);
    UseList(names);
    QVERIFY(m_engine->Start());
    SearchControls &controls = m_state->controls;
    QVERIFY(!controls.isEnabled(SearchControls::StartButton));
    QVERIFY(!controls.isEnabled(SearchControls::SourceList));
    QVERIFY(!controls.isEnabled(SearchControls::StartNumber));
    QVERIFY(controls.isEnabled(SearchControls::StopButton));
    m_engine->Stop();
    QVERIFY(controls.isEnabled(SearchControls::StartButton));
    QVERIFY(controls.isEnabled(SearchControls::SourceList));
    QVERIFY(controls.isEnabled(SearchControls::StartNumber));
    QVERIFY(!controls.isEnabled(SearchControls::StopButton));
    QVERIFY(!controls.isEnabled(SearchControls::SearchButton));
    // A custom list shows the position stored for custom lists: after the first batch.
    QCOMPARE(controls.startNumber(), QString("26"));
}

void TestCheckEngine::eventsAfterStopAreIgnored()
{
    UseList({"a", "b"});
    QVERIFY(m_engine->Start());
    m_engine->Stop();
    m_sockets->at(0).Answer("No match for");
    QCOMPARE(m_state->results.itemCount(ResultLists::High), 0);
    QCOMPARE(CheckedNames(CheckOutcome::Unchecked), (QStringList{"a.com", "b.com"}));
}

void TestCheckEngine::searchEngineSourcesStartAtLineOne()
{
    UseList({"a", "b", "c"}, "Google Search");
    m_state->controls.setTotal("10");
    m_state->controls.setStartNumber("3");
    QVERIFY(m_engine->Start());
    QCOMPARE(m_state->controls.startNumber(), QString("1"));
    m_sockets->at(0).RaiseConnected();
    QCOMPARE(m_sockets->at(0).sent, QStringList{"a.com\r\n"});
    QTRY_COMPARE(m_state->ReadSetting(AppState::kPositionsApp, "GoogleWordNum", "1"), QString("4"));
}

QTEST_GUILESS_MAIN(TestCheckEngine)
#include "tst_checkengine.moc"
