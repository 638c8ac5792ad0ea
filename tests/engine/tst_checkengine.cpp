#include "app/ProgramSettings.h"
#include "app/RunStatus.h"
#include "engine/CheckEngine.h"
#include "engine/ListReader.h"
#include "engine/RdapBootstrap.h"
#include "engine/SpeedMeter.h"
#include "engine/WhoisPhrases.h"
#include "platform/TextFile.h"
#include "results/FiledJournal.h"
#include "results/ResultFiles.h"
#include "results/UncheckedNames.h"
#include "sources/CandidateFile.h"
#include "whois_table/RegistrarFile.h"
#include "whois_table/RegistrarTable.h"
#include "support/FakeSocket.h"
#include "support/ManualClock.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(CheckOutcome)

namespace {

// The engine built from its services on throw-away folders, as the program object builds it.
struct EngineRig
{
    EngineRig(const TestFolders &folders, const SocketFactory &sockets, EngineTimings timings)
        : registrarFile(folders.path("registrars.txt")), files(AppFolder(folders.appFolder())),
          unchecked(folders.appFolder() + "/Unchecked.txt"), journal(folders.appFolder() + "/FiledAhead.txt"),
          settings(folders.settingsRoot(), "Orvelle"),
          engine({registrars, bootstrap, phrases, lists, files, unchecked, candidates, journal,
                  [this](const QString &key, qint64 position, const FiledMark &filed, int extension) {
                      if (storing)
                          storing();
                      return settings.StoreRunPosition(key, position, filed, extension);
                  },
                  [this] { return settings.StoredFiledMark(); }},
                 sockets, timings)
    {
        registrarFile.WriteDefaultRegistrars(false);
        registrarFile.LoadRegistrarTable(registrars);
    }
    // A setting as stored under "Velquist", where the positions are kept.
    QString Stored(const QString &key, const QString &defaultValue)
    {
        return settings.store().ReadSetting(ProgramSettings::kPositionsApp, ProgramSettings::kSection, key,
                                            defaultValue);
    }

    RegistrarFile registrarFile;
    RegistrarTable registrars;
    RdapBootstrap bootstrap;
    WhoisPhrases phrases = WhoisPhrases::Shipped();
    ResultLists lists;
    ResultFiles files;
    UncheckedNames unchecked;
    CandidateFile candidates;
    FiledJournal journal;
    ProgramSettings settings;
    std::function<void()> storing; // called as a position is stored
    CheckEngine engine;
};

} // namespace

// The search run and the connection pool with hand-driven sockets, on a clock the test moves.
class TestCheckEngine : public QObject
{
    Q_OBJECT
private slots:
    void speedAndTimeLeftOnVirtualTime_data();
    void speedAndTimeLeftOnVirtualTime();
    void init();
    void cleanup();
    void queriesTheCleanedNameAtTheServerOfItsRow_data();
    void queriesTheCleanedNameAtTheServerOfItsRow();
    void namesWithoutAServerAreNeverSent_data();
    void namesWithoutAServerAreNeverSent();
    void controlCharactersNeverReachTheWire_data();
    void controlCharactersNeverReachTheWire();
    void proxyModeSendsEveryQueryToTheProxyRow();
    void aSlotThatFinishesTakesTheNextNameAtOnce();
    void theRunStopsWhenItsLastNameIsAnswered();
    void repliesOfOneTurnSendTheirNextNamesTogetherAfterIt();
    void theNamesOfATurnAreWrittenAfterItOrBeforeThePositionPassesThem();
    void watchdogDropsAQueryThirtyTicksAfterItsOwnStart();
    void timeoutReconnectsToTheRowsOwnPortKeepingThePartialReply();
    void resetInTheMiddleOfAReplyIsNoVerdict();
    void refusedServerGivesUpAtOnce();
    void failedSendReconnectsToTheRowsOwnPortAfterABackoff();
    void reconnectsKeepToTheHostsLimit();
    void invalidArgumentIsRetriedOnceThenReported();
    void unusableRepliesAreUnchecked_data();
    void unusableRepliesAreUnchecked();
    void aRefusedNameIsAskedAgainAfterTheCoolDownThreeTimesAtMost();
    void aRefusedNameWaitsBehindItsHostsOtherNames();
    void aNameRefusedWhileItsHostAnswersIsItsOwnProblem();
    void aSlowHostDoesNotHoldBackTheReadAhead();
    void signalsFollowTheRun();
    void positionIsStoredUnderTheResumeKeyAndWordNumber();
    void storedPositionIsTheFirstNameWithoutVerdict();
    void stopStoresThePositionAtOnce();
    void stopAndResumeGiveEveryNameOneVerdict_data();
    void stopAndResumeGiveEveryNameOneVerdict();
    void stopReportsEveryNameOnceItsStateIsCleared();
    void theOverflowNoticeComesBeforeTheRunEnds();
    void startIsRefused_data();
    void startIsRefused();
    void leftoverFilesThatCannotBeBackedUpStopTheStart();
    void failedOverflowWriteIsRetriedAfterAPoolsWorthOfNames();
    void listCutShortUnderTheRunStopsItWithAMessage();
    void eventsAfterStopAreIgnored();
    void controlQueriesCatchAHostThatLies_data();
    void controlQueriesCatchAHostThatLies();

private:
    void MakeProgram(EngineTimings timings = {});
    RunRequest UseList(const QStringList &names, const QString &resumeKey = "CustWordNum");
    CheckEngine &Engine() { return m_rig->engine; }
    // The user's limits of the runs to come.
    bool SetHostLimits(const QString &text);
    QStringList CheckedNames(CheckOutcome outcome) const;
    // Answers the open queries one after another (every third name is free), moving the clock
    // so that paced hosts get their turn, until `count` answers were given or the run is over.
    void AnswerQueries(int count);
    // Answers the open queries as `reply(name, n)` says (n counts the answers from 1), moving the
    // clock while none is open, until `count` answers were given (-1: any number), the run is
    // over or the clock moved `idleSteps` times in vain.
    void AnswerWith(const std::function<QByteArray(const QByteArray &name, int n)> &reply, int count,
                    int idleSteps);
    void Save(const QString &extension, const QString &server, const QString &port);

    std::unique_ptr<TestFolders> m_folders;
    std::unique_ptr<ManualClock> m_clock;
    std::unique_ptr<FakeSocketFactory> m_sockets;
    std::unique_ptr<EngineRig> m_rig;
    CheckSettings m_settings; // of the runs the test starts
    QList<QPair<QString, CheckOutcome>> m_checked;
    QStringList m_reasons;
    QStringList m_errors;
};

void TestCheckEngine::init()
{
    m_folders = std::make_unique<TestFolders>();
    m_clock = std::make_unique<ManualClock>();
    MakeProgram();
}

bool TestCheckEngine::SetHostLimits(const QString &text)
{
    const std::optional<QHash<QString, HostLimit>> limits = CheckSettings::ParseHostLimits(text);
    if (limits)
        m_settings.hostLimits = *limits;
    return limits.has_value();
}

void TestCheckEngine::MakeProgram(EngineTimings timings)
{
    m_rig.reset();
    m_sockets = std::make_unique<FakeSocketFactory>();
    timings.clock = m_clock.get();
    for (const char *folder : {"", "/overflow", "/backups"})
        QDir().mkpath(m_folders->appFolder() + folder);
    m_rig = std::make_unique<EngineRig>(*m_folders, m_sockets->factory(), timings);
    m_settings = {};
    m_settings.controlQueries = false; // on only in the tests of control queries
    // The pool's own rules are tested on hosts of known limits: without one, a host is probed
    // with a few queries at once first (see tst_hostpacer).
    QVERIFY(SetHostLimits("whois.verisign-grs.com=0/25; whois.pir.org=0/25; whois.nic.biz=0/25; "
                          "whois.example=0/25; 10.0.0.7=0/25"));
    m_checked.clear();
    m_reasons.clear();
    m_errors.clear();
    connect(&Engine(), &CheckEngine::nameChecked, this,
            [this](const QString &name, CheckOutcome outcome, const QString &reason) {
                m_checked.append({name, outcome});
                if (outcome == CheckOutcome::Unchecked)
                    m_reasons.append(reason);
            });
    connect(&Engine(), &CheckEngine::errorRaised, this,
            [this](const QString &, const QString &text) { m_errors.append(text); });
}

void TestCheckEngine::cleanup()
{
    m_rig.reset();
    m_sockets.reset();
    m_clock.reset();
    m_folders.reset();
}

RunRequest TestCheckEngine::UseList(const QStringList &names, const QString &resumeKey)
{
    const QString path = m_folders->WriteList("list.txt", names);
    return RunRequest{path, 1, names.size(), resumeKey, 0, m_settings};
}

void TestCheckEngine::Save(const QString &extension, const QString &server, const QString &port)
{
    m_rig->registrarFile.SaveRegistrarRow(extension, server, port, true);
    m_rig->registrarFile.LoadRegistrarTable(m_rig->registrars);
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
                                       << "whois.verisign-grs.com";
    QTest::newRow("own extension, disabled row") << "example.org"
                                                 << "example.org"
                                                 << "whois.pir.org";
    // Blanks around a list line are no part of the name: it goes to its own server.
    QTest::newRow("blanks around the line") << "  freex.org \t"
                                            << "freex.org"
                                            << "whois.pir.org";
    // The run cleans every candidate before the query step, so "%" and ":" are gone by then.
    QTest::newRow("percent sign cleaned away first") << "my%20shop.net"
                                                     << "my20shop.net"
                                                     << "whois.verisign-grs.com";
    QTest::newRow("colon cleaned away first") << "http:shop.biz"
                                              << "httpshop.biz"
                                              << "whois.nic.biz";
    // After a tab a line may carry a note, as the lines of "Unchecked.txt" carry their reason.
    QTest::newRow("a note after a tab") << "shop.net\trate limited by whois.example"
                                        << "shop.net"
                                        << "whois.verisign-grs.com";
}

void TestCheckEngine::namesWithoutAServerAreNeverSent_data()
{
    QTest::addColumn<QString>("candidate");
    QTest::addColumn<QString>("reason");
    // The com registry would answer "No match" for a name it does not hold.
    QTest::newRow("extension without a row") << "shop.xyz"
                                             << "no whois server for .xyz";
    QTest::newRow("registry without whois") << "shop.es"
                                            << "no whois service for .es";
}

void TestCheckEngine::namesWithoutAServerAreNeverSent()
{
    QFETCH(QString, candidate);
    QFETCH(QString, reason);
    QVERIFY(Engine().Start(UseList({candidate})));
    QTRY_VERIFY(!Engine().isRunning());
    for (int i = 0; i < m_sockets->size(); ++i)
        QVERIFY(m_sockets->at(i).connects.isEmpty());
    QCOMPARE(m_checked.size(), 1);
    QCOMPARE(m_checked.first().second, CheckOutcome::Unchecked);
    QCOMPARE(m_reasons, QStringList{reason});
}

void TestCheckEngine::queriesTheCleanedNameAtTheServerOfItsRow()
{
    QFETCH(QString, candidate);
    QFETCH(QString, query);
    QFETCH(QString, server);
    QVERIFY(Engine().Start(UseList({candidate})));
    FakeSocket &socket = m_sockets->at(0);
    QCOMPARE(socket.connects, (QList<QPair<QString, quint16>>{{server, 43}}));
    socket.RaiseConnected();
    QCOMPARE(socket.sent, QStringList{query + "\r\n"});
    socket.RaiseData("No match for \"" + query.toUtf8() + "\"");
    socket.RaisePeerClosed();
    QCOMPARE(m_checked.size(), 1);
    QCOMPARE(m_checked.first().first, query);
}

void TestCheckEngine::controlCharactersNeverReachTheWire_data()
{
    QTest::addColumn<QString>("candidate");
    QTest::addColumn<QString>("reason");
    const QString invalid = "not a valid domain name";
    // The part after the first dot survives cleaning and is decoded only then.
    QTest::newRow("encoded line break") << "evil.com%0D%0AHigh\tforged.com" << invalid;
    QTest::newRow("encoded line feed") << "evil.com%0ax" << invalid;
    QTest::newRow("raw BEL") << QString("ev") + QChar(7) + "il.com" << invalid;
    QTest::newRow("raw DEL after the dot") << QString("evil.com") + QChar(0x7F) << invalid;
    // Longer than any name could clean to: refused unread.
    QTest::newRow("a line of nested tags") << QString("<div>").repeated(1000) + "x.com"
                                           << "line too long";
}

void TestCheckEngine::controlCharactersNeverReachTheWire()
{
    QFETCH(QString, candidate);
    QFETCH(QString, reason);
    QVERIFY(Engine().Start(UseList({candidate, "other"})));
    QCOMPARE(CheckedNames(CheckOutcome::Unchecked).size(), 1);
    QCOMPARE(m_reasons, QStringList{reason});
    // The name took no slot: the first one asks about the next name.
    QCOMPARE(m_sockets->at(1).connects.size(), 0);
    m_sockets->at(0).Answer("No match");
    QCOMPARE(m_sockets->at(0).sent, QStringList{"other.com\r\n"});
    QTRY_VERIFY(!Engine().isRunning());
    QCOMPARE(m_rig->lists.items(ResultList::Mid), QStringList{"other.com"});
    for (const char *file : {"LowProfile.txt", "HighProfile.txt", "SuperHighProfile.txt"})
        QVERIFY(!FileBytes(m_folders->appFolder() + "/" + QLatin1String(file)).contains("evil"));
}

void TestCheckEngine::proxyModeSendsEveryQueryToTheProxyRow()
{
    Save("proxy", "10.0.0.7", "4343");
    m_settings.proxyMode = true;
    QVERIFY(Engine().Start(UseList({"a.org", "b", "c.cn"})));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(m_sockets->at(i).connects, (QList<QPair<QString, quint16>>{{"10.0.0.7", 4343}}));
    m_sockets->at(1).RaiseConnected();
    QCOMPARE(m_sockets->at(1).sent, QStringList{"b.com\r\n"});
}

void TestCheckEngine::aSlotThatFinishesTakesTheNextNameAtOnce()
{
    QSignalSpy open(&Engine(), &CheckEngine::openConnections);
    QVERIFY(Engine().Start(UseList(NumberedNames("name", 60))));
    QCOMPARE(open.last().first().toInt(), 25);
    // The other 24 are still waiting for their answers.
    m_sockets->at(3).Answer("No match");
    QCOMPARE(CheckedNames(CheckOutcome::Mid), QStringList{"name4.com"});
    QTRY_COMPARE(m_sockets->at(3).connects.size(), 2);
    m_sockets->at(3).RaiseConnected();
    QCOMPARE(m_sockets->at(3).sent.last(), QString("name26.com\r\n"));
    QCOMPARE(open.last().first().toInt(), 25);
}

void TestCheckEngine::theRunStopsWhenItsLastNameIsAnswered()
{
    QSignalSpy stopped(&Engine(), &CheckEngine::runStopped);
    QVERIFY(Engine().Start(UseList({"a", "b", "c"})));
    for (int i = 0; i < 3; ++i)
        m_sockets->at(i).Answer("Registrar: Example Registrar");
    QTRY_COMPARE(stopped.count(), 1);
    QVERIFY(!Engine().isRunning());
    QVERIFY(Engine().completed());
    QCOMPARE(CheckedNames(CheckOutcome::Registered), (QStringList{"a.com", "b.com", "c.com"}));
    QCOMPARE(m_rig->lists.heading(ResultList::Registered), QString("Registered (3)"));
}

void TestCheckEngine::repliesOfOneTurnSendTheirNextNamesTogetherAfterIt()
{
    QVERIFY(Engine().Start(UseList(NumberedNames("n", 30))));
    // Two replies read in the same turn of the event loop: both are filed at once, and the next
    // names go out when the turn is over, not between the two.
    for (const int i : {0, 1}) {
        m_sockets->at(i).RaiseConnected();
        m_sockets->at(i).RaiseData("No match");
        m_sockets->at(i).RaisePeerClosed();
        QCOMPARE(m_sockets->at(0).connects.size(), 1);
    }
    QCOMPARE(m_checked.size(), 2);
    QCoreApplication::processEvents();
    QCOMPARE(m_sockets->at(0).connects.size(), 2);
    QCOMPARE(m_sockets->at(1).connects.size(), 2);
}

void TestCheckEngine::theNamesOfATurnAreWrittenAfterItOrBeforeThePositionPassesThem()
{
    const auto onDisk = [this] {
        QByteArray bytes = FileBytes(m_folders->appFolder() + "/FiledAhead.txt");
        for (const char *file : {"LowProfile.txt", "HighProfile.txt", "SuperHighProfile.txt"})
            bytes += FileBytes(m_folders->appFolder() + "/" + QLatin1String(file));
        return bytes;
    };
    for (const bool stop : {false, true}) {
        const QByteArray prefix = stop ? "s" : "t";
        QVERIFY(Engine().Start(UseList(NumberedNames(QString::fromLatin1(prefix), 60))));
        for (int i = 0; i < 3; ++i) {
            m_sockets->at(i).RaiseConnected();
            m_sockets->at(i).RaiseData("No match");
            m_sockets->at(i).RaisePeerClosed();
        }
        // Filed in the lists at once, written together once the turn is over, or before a stop
        // within the turn stores the position past them.
        QCOMPARE(m_checked.size(), 3);
        QVERIFY(!onDisk().contains(prefix + "1.com"));
        QByteArray seen;
        m_rig->storing = [&] { seen = onDisk(); };
        if (stop) {
            Engine().Stop();
        } else {
            QCoreApplication::processEvents();
            seen = onDisk();
        }
        m_rig->storing = nullptr;
        for (const QByteArray name : {"1.com", "2.com", "3.com"})
            QCOMPARE(seen.count(prefix + name), 2); // in its list and in the journal
        Engine().Stop();
        m_checked.clear();
    }
}

void TestCheckEngine::watchdogDropsAQueryThirtyTicksAfterItsOwnStart()
{
    QSignalSpy stopped(&Engine(), &CheckEngine::runStopped);
    QVERIFY(Engine().Start(UseList(NumberedNames("n", 26))));
    m_clock->Advance(15000);
    m_sockets->at(0).Answer("No match"); // n26 starts now, on slot 0
    // The 24 others never answer (their slots ask again every ten ticks): dropped 30 ticks after
    // their start, n26 not yet.
    m_clock->Advance(14999);
    QCOMPARE(CheckedNames(CheckOutcome::Unchecked).size(), 0);
    m_clock->Advance(1000);
    QCOMPARE(CheckedNames(CheckOutcome::Unchecked).size(), 24);
    QVERIFY(!m_sockets->at(1).isOpen());
    m_clock->Advance(15000);
    QCOMPARE(stopped.count(), 1);
    QVERIFY(CheckedNames(CheckOutcome::Unchecked).contains("n26.com"));
}

void TestCheckEngine::timeoutReconnectsToTheRowsOwnPortKeepingThePartialReply()
{
    Save("com", "whois.example", "4343");
    QVERIFY(Engine().Start(UseList({"slow", "other"})));
    FakeSocket &socket = m_sockets->at(0);
    socket.RaiseConnected();
    socket.RaiseData("No match ");
    // Ten ticks later, and a short backoff, the slot asks again, on the row's own port.
    m_clock->Advance(10000);
    QCOMPARE(socket.connects.size(), 1);
    m_clock->Advance(500);
    QCOMPARE(socket.connects.size(), 2);
    QCOMPARE(socket.connects.last(), (QPair<QString, quint16>{"whois.example", 4343}));
    QCOMPARE(Engine().slot(0).reply(), QByteArray("No match "));
    socket.RaiseConnected();
    QCOMPARE(socket.sent, (QStringList{"slow.com\r\n", "slow.com\r\n"}));
    socket.RaiseData("for \"slow.com\"");
    socket.RaisePeerClosed();
    // The two pieces together make the verdict.
    QCOMPARE(CheckedNames(CheckOutcome::High), QStringList{"slow.com"});
}

void TestCheckEngine::resetInTheMiddleOfAReplyIsNoVerdict()
{
    QVERIFY(Engine().Start(UseList({"cutoff", "other"})));
    FakeSocket &socket = m_sockets->at(0);
    socket.RaiseConnected();
    socket.RaiseData("Domain Name: CUTOFF.COM\r\nRegistr");
    socket.RaiseFailed(SocketComponent::Error::Reset);
    // Half a reply is no answer: nothing is filed, and the slot asks again by its timeout rule.
    QCOMPARE(m_checked.size(), 0);
    QCOMPARE(Engine().slot(0).reply(), QByteArray());
    m_clock->Advance(10500);
    QCOMPARE(socket.connects.size(), 2);
    socket.Answer("No match for \"cutoff.com\"");
    QCOMPARE(CheckedNames(CheckOutcome::Mid), QStringList{"cutoff.com"});
    QCOMPARE(m_rig->lists.itemCount(ResultList::Registered), 0);
}

void TestCheckEngine::refusedServerGivesUpAtOnce()
{
    Save("org", "whois.refusing.example", "43");
    QSignalSpy status(&Engine(), &CheckEngine::connectionStatus);
    QSignalSpy stopped(&Engine(), &CheckEngine::runStopped);
    QVERIFY(Engine().Start(UseList({"a.org", "b"})));
    m_sockets->at(0).RaiseFailed(SocketComponent::Error::Refused);
    m_sockets->at(1).Answer("Registrar: Example Registrar");
    // The run does not wait for the watchdog.
    QTRY_COMPARE(stopped.count(), 1);
    QCOMPARE(CheckedNames(CheckOutcome::Unchecked), QStringList{"a.org"});
    QVERIFY(m_reasons.first().contains("whois.refusing.example"));
    QVERIFY(status.first().first().toString().contains("whois.refusing.example"));
}

void TestCheckEngine::failedSendReconnectsToTheRowsOwnPortAfterABackoff()
{
    Save("com", "whois.example", "4343");
    QVERIFY(Engine().Start(UseList({"a"})));
    FakeSocket &socket = m_sockets->at(0);
    socket.refuseSend = true;
    QList<qint64> connectedAt;
    for (int i = 0; i < 4; ++i) {
        QVERIFY(m_clock->AdvanceUntil([&] { return socket.connects.size() == i + 1; }, 20000, 50));
        connectedAt << m_clock->Now();
        socket.RaiseConnected();
    }
    QCOMPARE(socket.connects.last(), (QPair<QString, quint16>{"whois.example", 4343}));
    // Half a tick, growing with each resend.
    QCOMPARE(connectedAt.at(1) - connectedAt.at(0), 500);
    QCOMPARE(connectedAt.at(2) - connectedAt.at(1), 1000);
    QCOMPARE(connectedAt.at(3) - connectedAt.at(2), 2000);
}

void TestCheckEngine::reconnectsKeepToTheHostsLimit()
{
    // One open connection to this host at a time: a slot that waits to reconnect gives its
    // connection up, and the host's next name may take it meanwhile.
    Save("com", "whois.example", "43");
    QVERIFY(SetHostLimits("whois.example=0/1"));
    QVERIFY(Engine().Start(UseList({"a", "b"})));
    QCOMPARE(m_sockets->at(0).connects.size(), 1);
    QCOMPARE(m_sockets->at(1).connects.size(), 0);
    m_clock->Advance(10000); // a's server is silent: a waits to ask again, b goes
    QCOMPARE(m_sockets->at(1).connects.size(), 1);
    m_clock->Advance(5000);
    QCOMPARE(m_sockets->at(0).connects.size(), 1); // the host's one connection is b's
    m_sockets->at(1).Answer("No match");
    QCOMPARE(m_sockets->at(0).connects.size(), 2);
}

void TestCheckEngine::invalidArgumentIsRetriedOnceThenReported()
{
    for (int i = 0; i < CheckEngine::kPoolSize; ++i)
        m_sockets->at(i).rejectConnect = true;
    QVERIFY(Engine().Start(UseList({"a"})));
    QCOMPARE(m_errors.size(), 1);
    QCOMPARE(
        m_errors.first(),
        QString("An error has occurred.\r\nError #: 5\r\nDescription: Invalid procedure call or argument"));
    // The slot keeps its name and its timer: it tries again like after a timeout.
    QCOMPARE(Engine().slot(0).name(), QString("a.com"));
    QVERIFY(Engine().slot(0).isTimerActive());
}

void TestCheckEngine::unusableRepliesAreUnchecked_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty") << QByteArray() << "empty reply";
    QTest::newRow("not text") << QByteArray("No match for\0\0\0\0", 16) << "unreadable reply";
    QTest::newRow("not understood") << QByteArray("Thank you for your query.\r\n") << "reply not understood";
    // Not asked again, and no cool-down: the next name of the host goes at once.
    QTest::newRow("not served") << QByteArray("% 440 Request denied\r\n")
                                << "whois server refuses this client (whois.verisign-grs.com)";
}

void TestCheckEngine::unusableRepliesAreUnchecked()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, reason);
    QVERIFY(Engine().Start(UseList({"a", "b"})));
    m_sockets->at(0).Answer(reply);
    m_sockets->at(1).Answer("No match");
    QCOMPARE(CheckedNames(CheckOutcome::Unchecked), QStringList{"a.com"});
    QCOMPARE(m_reasons, QStringList{reason});
    QVERIFY(!Engine().pacer().isCoolingDown("whois.verisign-grs.com", Engine().Now()));
    QCOMPARE(m_sockets->at(0).connects.size(), 1);
    QCOMPARE(m_rig->lists.itemCount(ResultList::Registered), 0);
    QCOMPARE(m_rig->lists.items(ResultList::High), QStringList{"b.com"});
    QTRY_VERIFY(!Engine().isRunning()); // both slots finished: the run ended
}

void TestCheckEngine::aRefusedNameIsAskedAgainAfterTheCoolDownThreeTimesAtMost()
{
    QSignalSpy status(&Engine(), &CheckEngine::connectionStatus);
    QSignalSpy pacing(&Engine(), &CheckEngine::pacingChanged);
    QVERIFY(Engine().Start(UseList({"a"})));
    FakeSocket &socket = m_sockets->at(0);
    QList<qint64> askedAt;
    for (int ask = 1; ask <= 3; ++ask) {
        QVERIFY(m_clock->AdvanceUntil([&] { return socket.connects.size() == ask; }, 60000, 100));
        askedAt << m_clock->Now();
        socket.Answer("Your connection limit exceeded. Please slow down and try again later.\r\n");
        QVERIFY(m_checked.isEmpty() || ask == 3);
        if (ask == 1) {
            // The status bar names the host while it cools down.
            QCOMPARE(pacing.count(), 1);
            const QList<HostPacer::Paced> paced = Engine().pacer().PacedHosts(Engine().Now());
            QCOMPARE(RunStatus::PacedText(paced), QString("Paced: 1"));
            QVERIFY2(RunStatus::PacedToolTip(paced).contains("\nwhois.verisign-grs.com: cooling down, "),
                     qPrintable(RunStatus::PacedToolTip(paced)));
        }
    }
    // A host that answered nothing cools down 10 s, then 20 s (with jitter of a fifth).
    QVERIFY(askedAt.at(1) - askedAt.at(0) >= 8000 && askedAt.at(1) - askedAt.at(0) <= 12100);
    QVERIFY(askedAt.at(2) - askedAt.at(1) >= 16000 && askedAt.at(2) - askedAt.at(1) <= 24100);
    QVERIFY(std::any_of(status.begin(), status.end(), [](const QList<QVariant> &text) {
        return text.first().toString().startsWith("whois.verisign-grs.com refused to answer (rate limited)");
    }));
    QCOMPARE(CheckedNames(CheckOutcome::Unchecked), QStringList{"a.com"});
    QCOMPARE(m_reasons, QStringList{"rate limited by whois.verisign-grs.com"});
    QVERIFY(!Engine().isRunning());
}

void TestCheckEngine::aRefusedNameWaitsBehindItsHostsOtherNames()
{
    QVERIFY(SetHostLimits("whois.verisign-grs.com=0/1"));
    QVERIFY(Engine().Start(UseList({"a", "b", "c", "d.org"})));
    // d.org's host is not held back by the other host's single connection.
    QCOMPARE(m_sockets->at(1).sent.size(), 0);
    m_sockets->at(1).RaiseConnected();
    QCOMPARE(m_sockets->at(1).sent, QStringList{"d.org\r\n"});
    m_sockets->at(0).RaiseConnected();
    m_sockets->at(0).Answer("Query rate limit exceeded");
    // After the rest, b and c go first; a is asked again behind them.
    QStringList asked;
    for (int i = 0; i < 3; ++i) {
        QVERIFY(m_clock->AdvanceUntil([&] { return m_sockets->at(0).connects.size() == i + 2; }, 30000, 100));
        m_sockets->at(0).RaiseConnected();
        asked << m_sockets->at(0).sent.last().trimmed();
        m_sockets->at(0).Answer("Registrar: Example Registrar");
    }
    QCOMPARE(asked, (QStringList{"b.com", "c.com", "a.com"}));
    // Until a has its verdict, the stored position stays at it.
    QCOMPARE(Engine().resumePosition(), 4);
}

void TestCheckEngine::aNameRefusedWhileItsHostAnswersIsItsOwnProblem()
{
    // "a", 11th, is always refused, every other name of the host answered: "a" is asked three times in
    // all, the host's pace is cut once (not for each retry), and the run does not wait for it.
    QStringList names;
    for (int i = 0; i < 60; ++i)
        names << QStringLiteral("n%1").arg(i);
    names.insert(10, "a");
    QVERIFY(Engine().Start(UseList(names)));
    const qint64 start = m_clock->Now();
    int asksOfA = 0;
    int cuts = 0;
    QList<double> paces{0};
    while (Engine().isRunning() && m_clock->Now() - start < 120000) {
        // Its retries first, then the names asked beside them.
        QList<FakeSocket *> open;
        for (int i = 0; i < m_sockets->size(); ++i) {
            FakeSocket &socket = m_sockets->at(i);
            if (!socket.isOpen())
                continue;
            socket.RaiseConnected();
            if (!socket.sent.isEmpty())
                open.insert(socket.sent.last().startsWith("a.com") && asksOfA > 0 ? 0 : open.size(), &socket);
        }
        for (FakeSocket *socket : open) {
            const bool refused = socket->sent.last().startsWith("a.com");
            asksOfA += refused ? 1 : 0;
            socket->Answer(refused ? "Query rate limit exceeded" : "Registrar: Example Registrar");
            // 0: no spacing, faster than any pace.
            const double pace = Engine().pacer().PaceOf("whois.verisign-grs.com");
            if (pace > 0 && (paces.last() == 0 || pace < paces.last()))
                ++cuts;
            paces << pace;
        }
        m_clock->Advance(50);
    }
    QVERIFY(!Engine().isRunning());
    QCOMPARE(asksOfA, CheckEngine::kMaxTries);
    QCOMPARE(m_reasons, QStringList{"rate limited by whois.verisign-grs.com"});
    QCOMPARE(CheckedNames(CheckOutcome::Registered).size(), 60);
    // Cut at its first refusal only, not for its retries after the others were answered.
    QCOMPARE(cuts, 1);
    QVERIFY2(m_clock->Now() - start < 10000, qPrintable(QString::number(m_clock->Now() - start)));
}

void TestCheckEngine::aSlowHostDoesNotHoldBackTheReadAhead()
{
    // Hosts that must wait may hold their fair share of the read-ahead; names of the other hosts
    // are read past theirs.
    QVERIFY(SetHostLimits("whois.verisign-grs.com=0.1/1; whois.pir.org=0/25"));
    QStringList names;
    for (int i = 0; i < 3000; ++i)
        names << QStringLiteral("slow%1.com").arg(i) << QStringLiteral("fast%1.org").arg(i);
    QSignalSpy progress(&Engine(), &CheckEngine::progress);
    QVERIFY(Engine().Start(UseList(names)));
    int answered = 0;
    for (int round = 0; round < 200; ++round) {
        for (int i = 0; i < CheckEngine::kPoolSize; ++i) {
            FakeSocket &socket = m_sockets->at(i);
            if (socket.isOpen() && socket.connects.last().first == "whois.pir.org") {
                socket.Answer("Registrar: Example Registrar");
                ++answered;
            }
        }
    }
    QVERIFY2(answered >= 2000, qPrintable(QString::number(answered)));
    QVERIFY(Engine().waitingCount() <= CheckEngine::kHoldAtMost);
    // The slow host's first name still waits for its answer: the stored position is its own.
    QCOMPARE(Engine().resumePosition(), 1);
    // The status bar shows the next name to ask, not how far the list was read ahead.
    QCOMPARE(Engine().askPosition(), 3);
    QCOMPARE(progress.last().first().toLongLong(), 3);
}

void TestCheckEngine::signalsFollowTheRun()
{
    QSignalSpy progress(&Engine(), &CheckEngine::progress);
    QSignalSpy open(&Engine(), &CheckEngine::openConnections);
    QSignalSpy status(&Engine(), &CheckEngine::connectionStatus);
    RunRequest request = UseList(NumberedNames("n", 5000));
    request.firstPosition = 11;
    QVERIFY(Engine().Start(request));
    QCOMPARE(progress.last().at(0).toLongLong(), 36);
    QCOMPARE(progress.last().at(1).toLongLong(), 5000);
    QCOMPARE(RunStatus::ProgressText(36, 5000), std::optional<QString>("36 of 5000"));
    QCOMPARE(open.last().first().toInt(), 25);
    QCOMPARE(RunStatus::OpenConnectionsText(36, 5000, 25), QString("Open: 25"));
    QCOMPARE(RunStatus::OpenConnectionsText(5001, 5000, 25), QString("Open: Closing connections..."));
    m_sockets->at(3).RaiseConnected();
    QCOMPARE(status.last().first().toString(), QString("connecting(3): - Search String: n14.com"));
    // A name with letters outside ASCII is shown as written, and asked by its A-label.
    Engine().Stop();
    QVERIFY(Engine().Start(UseList({QString::fromUtf8("b\xC3\xBC" "cher")})));
    m_sockets->at(0).RaiseConnected();
    QCOMPARE(status.last().first().toString(), QString::fromUtf8("connecting(0): - Search String: b\xC3\xBC" "cher.com"));
    QCOMPARE(m_sockets->at(0).sent.last(), QString("xn--bcher-kva.com\r\n"));
}

void TestCheckEngine::positionIsStoredUnderTheResumeKeyAndWordNumber()
{
    QVERIFY(Engine().Start(UseList({"a", "b", "c"}, "FullWordNum")));
    for (int i = 0; i < 3; ++i)
        m_sockets->at(i).Answer("Registrar: Example Registrar");
    QTRY_COMPARE(m_rig->Stored("FullWordNum", "1"), QString("4"));
    QCOMPARE(m_rig->Stored("wordNumber", "0"), QString("4"));
    // A source without a key of its own stores "wordNumber" only.
    RunRequest six{m_folders->WriteList("six.txt", {"a", "b", "c", "d", "e", "f"}), 2, 6, QString(), 0, m_settings};
    QVERIFY(Engine().Start(six));
    Engine().Stop();
    QCOMPARE(m_rig->Stored("wordNumber", "0"), QString("2"));
    QCOMPARE(m_rig->Stored("FullWordNum", "1"), QString("4"));
}

void TestCheckEngine::storedPositionIsTheFirstNameWithoutVerdict()
{
    QVERIFY(Engine().Start(UseList(NumberedNames("n", 60))));
    // Every name of the batch but the first answered: a crash now must check n1 again.
    for (int i = 1; i < 25; ++i)
        m_sockets->at(i).Answer("Registrar: Example Registrar");
    m_clock->Advance(200); // the position write delay
    QCOMPARE(m_rig->Stored("CustWordNum", "0"), QString("1"));
    QCOMPARE(Engine().resumePosition(), 1);
    // Slots 1 to 24 took 26 to 49 as they finished; n1 answers, then 26 to 28.
    m_sockets->at(0).Answer("Registrar: Example Registrar");
    QTRY_COMPARE(m_sockets->at(3).connects.size(), 2);
    for (int i = 1; i <= 3; ++i)
        m_sockets->at(i).Answer("Registrar: Example Registrar");
    m_clock->Advance(200);
    QCOMPARE(m_rig->Stored("CustWordNum", "0"), QString("29"));
    QCOMPARE(m_rig->Stored("wordNumber", "0"), QString("29"));
}

void TestCheckEngine::stopStoresThePositionAtOnce()
{
    QVERIFY(Engine().Start(UseList(NumberedNames("n", 60))));
    m_sockets->at(0).Answer("Domain Name: N1.COM");
    Engine().Stop();
    // The 25 names in flight were stopped without a verdict: the next run asks them again.
    QCOMPARE(m_rig->Stored("CustWordNum", "1"), QString("2"));
    QCOMPARE(m_rig->Stored("wordNumber", "0"), QString("2"));
    QCOMPARE(CheckedNames(CheckOutcome::Unchecked).size(), 25);
    QVERIFY(!Engine().completed());
}

void TestCheckEngine::AnswerQueries(int count)
{
    AnswerWith(
        [](const QByteArray &name, int) {
            return qHash(name) % 3 == 0 ? "No match for \"" + name + "\"" : "Domain Name: " + name;
        },
        count, 1000);
}

void TestCheckEngine::AnswerWith(const std::function<QByteArray(const QByteArray &name, int n)> &reply, int count,
                                 int idleSteps)
{
    int answered = 0;
    for (int idle = 0; (count < 0 || answered < count) && Engine().isRunning() && idle < idleSteps;) {
        bool any = false;
        for (int i = 0; i < m_sockets->size() && (count < 0 || answered < count); ++i) {
            FakeSocket &socket = m_sockets->at(i);
            if (!socket.isOpen())
                continue;
            socket.RaiseConnected();
            if (socket.sent.isEmpty())
                continue;
            socket.RaiseData(reply(socket.sent.last().trimmed().toUtf8(), ++answered));
            socket.RaisePeerClosed();
            any = true;
        }
        if (!any) {
            m_clock->Advance(100);
            ++idle;
        }
    }
}

void TestCheckEngine::controlQueriesCatchAHostThatLies_data()
{
    QTest::addColumn<int>("liesFrom");
    QTest::addColumn<int>("liesUpTo"); // 0: for good
    QTest::newRow("a host that says \"not found\" to everything after 20 queries") << 20 << 0;
    QTest::newRow("a host that lies for a while and recovers") << 30 << 150;
}

void TestCheckEngine::controlQueriesCatchAHostThatLies()
{
    QFETCH(int, liesFrom);
    QFETCH(int, liesUpTo);
    m_settings.controlQueries = true;
    // Names with an even number are registered; the host says so while it does not lie.
    const auto registered = [](const QByteArray &name) {
        return name.startsWith("nic.") || name.mid(1, name.indexOf('.') - 1).toInt() % 2 == 0;
    };
    QVERIFY(Engine().Start(UseList(NumberedNames("n", 200))));
    AnswerWith(
        [&](const QByteArray &name, int n) -> QByteArray {
            const bool lying = n >= liesFrom && (liesUpTo == 0 || n <= liesUpTo);
            return !lying && registered(name) ? "Domain Name: " + name : "No match for \"" + name + "\"";
        },
        -1, 50000);
    QVERIFY(!Engine().isRunning());
    QStringList free;
    for (const CheckOutcome list : {CheckOutcome::High, CheckOutcome::Mid, CheckOutcome::Low})
        free += CheckedNames(list);
    for (const QString &name : free)
        QVERIFY2(!registered(name.toUtf8()), qPrintable(name + " is registered, and was filed free"));
    QVERIFY(Engine().heldTotal() > 0);
    QCOMPARE(Engine().heldCount(), 0);
    const QString lying = ControlQueries::LyingReason("whois.verisign-grs.com");
    if (liesUpTo == 0) {
        QVERIFY(m_reasons.contains(lying));
    } else {
        // Once the host is honest again, every free name is confirmed: one verdict each.
        QCOMPARE(free.size(), 100);
        QVERIFY(!m_reasons.contains(lying));
    }
}

void TestCheckEngine::stopAndResumeGiveEveryNameOneVerdict_data()
{
    QTest::addColumn<int>("answersBeforeStop");
    for (const int answers : {0, 1, 7, 26, 55})
        QTest::addRow("Stop after %d answers", answers) << answers;
}

void TestCheckEngine::stopAndResumeGiveEveryNameOneVerdict()
{
    QFETCH(int, answersBeforeStop);
    // A host held to one query a second beside a fast one: when Stop comes, names of the slow
    // host wait in its queue, read ahead past names that were answered.
    QVERIFY(SetHostLimits("whois.verisign-grs.com=0/25; whois.pir.org=1/1"));
    m_settings.extensions = {"com", "org"};
    QStringList names;
    QStringList expected;
    for (int i = 1; i <= 30; ++i) {
        names << QStringLiteral("w%1").arg(i) << QStringLiteral("x%1.net").arg(i);
        expected << QStringLiteral("w%1.com").arg(i) << QStringLiteral("w%1.org").arg(i)
                 << QStringLiteral("x%1.net").arg(i);
    }
    RunRequest request = UseList(names);
    QVERIFY(Engine().Start(request));
    AnswerQueries(answersBeforeStop);
    Engine().Stop();
    // Only names that were sent and not answered are stopped; nothing read ahead is reported.
    QVERIFY(m_checked.size() <= answersBeforeStop + CheckEngine::kPoolSize);
    QCOMPARE(CheckedNames(CheckOutcome::Unchecked).size(), m_reasons.count("the search was stopped"));
    QVERIFY(m_reasons.count("the search was stopped") <= CheckEngine::kPoolSize);

    request.firstPosition = m_rig->Stored("CustWordNum", "1").toLongLong();
    request.firstExtension = m_rig->settings.StoredExtension(request.listPath, request.firstPosition);
    QVERIFY(Engine().Start(request));
    AnswerQueries(1000);
    QVERIFY(!Engine().isRunning());
    QVERIFY(Engine().completed());
    QStringList filed;
    for (const ResultList list : {ResultList::High, ResultList::Mid, ResultList::Low, ResultList::Registered})
        filed += m_rig->lists.items(list);
    filed.sort();
    expected.sort();
    QCOMPARE(filed, expected);
}

void TestCheckEngine::stopReportsEveryNameOnceItsStateIsCleared()
{
    QVERIFY(SetHostLimits("whois.verisign-grs.com=0/1"));
    QVERIFY(Engine().Start(UseList({"a", "b", "c"})));
    QSignalSpy stopped(&Engine(), &CheckEngine::runStopped);
    // A receiver that starts the next run as soon as it hears of a name.
    bool restarted = false;
    QObject listener;
    connect(&Engine(), &CheckEngine::nameChecked, &listener, [&] {
        if (!std::exchange(restarted, true))
            QVERIFY(Engine().Start(UseList({"d"})));
    });
    Engine().Stop();
    // The name in flight, once; the two waiting ones go back to the list unreported.
    QCOMPARE(CheckedNames(CheckOutcome::Unchecked), (QStringList{"a.com"}));
    QCOMPARE(m_reasons, QStringList(1, "the search was stopped"));
    QVERIFY(Engine().isRunning());
    QCOMPARE(stopped.count(), 0); // the new run is not said to have stopped
    QCOMPARE(m_sockets->at(0).connects.size(), 2);
    m_sockets->at(0).RaiseConnected();
    QCOMPARE(m_sockets->at(0).sent.last(), QString("d.com\r\n"));
}

void TestCheckEngine::theOverflowNoticeComesBeforeTheRunEnds()
{
    QStringList full;
    for (int i = 0; i < 19999; ++i)
        full << QStringLiteral("longname%1.com").arg(i);
    m_rig->lists.model(ResultList::Low)->setStringList(full);
    QStringList events;
    QObject listener;
    connect(&Engine(), &CheckEngine::backupNotice, &listener, [&] { events << "notice"; });
    connect(&Engine(), &CheckEngine::nameChecked, &listener, [&] { events << "name"; });
    connect(&Engine(), &CheckEngine::runStopped, &listener, [&] { events << "stopped"; });
    QVERIFY(Engine().Start(UseList({"freename1", "freename2"})));
    m_sockets->at(0).Answer("No match");
    m_sockets->at(1).Answer("No match");
    QCOMPARE(events, (QStringList{"notice", "name", "name", "stopped"}));
}

void TestCheckEngine::startIsRefused_data()
{
    QTest::addColumn<QString>("problem");
    QTest::addColumn<int>("refusal");
    QTest::addColumn<QString>("message");
    QTest::newRow("list missing") << "missing" << int(CheckEngine::Refusal::UnreadableList)
                                  << "cannot be read: there is no such file.";
    QTest::newRow("list no text") << "binary" << int(CheckEngine::Refusal::UnreadableList)
                                  << "cannot be read: it is not a text file.";
    QTest::newRow("no list") << "none" << int(CheckEngine::Refusal::UnreadableList) << "No list is chosen";
    QTest::newRow("empty whois table")
        << "table" << int(CheckEngine::Refusal::EmptyTable) << "Restore the defaults";
    QTest::newRow("already running") << "running" << int(CheckEngine::Refusal::Running) << "";
}

void TestCheckEngine::startIsRefused()
{
    QFETCH(QString, problem);
    QFETCH(int, refusal);
    QFETCH(QString, message);
    RunRequest request = UseList({"a", "b"});
    if (problem == "missing")
        QFile::remove(request.listPath);
    if (problem == "none")
        request.listPath.clear();
    if (problem == "binary")
        TextFile::WriteBytes(request.listPath, QByteArray("MZ\0\0\x90", 5));
    if (problem == "table")
        m_rig->registrars.setRows({});
    if (problem == "running")
        QVERIFY(Engine().Start(UseList({"c"})));
    const int connectsBefore = int(m_sockets->at(0).connects.size());
    QVERIFY(!Engine().Start(request));
    QCOMPARE(int(Engine().refusal()), refusal);
    QCOMPARE(m_errors.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QVERIFY2(m_errors.first().contains(message), qPrintable(m_errors.first()));
    QCOMPARE(m_sockets->at(0).connects.size(), connectsBefore);
    // A refused start does not move the list forward.
    QCOMPARE(m_checked.size(), 0);
}

void TestCheckEngine::leftoverFilesThatCannotBeBackedUpStopTheStart()
{
    const QString leftover = m_folders->appFolder() + "/LowProfile.txt";
    TextFile::WriteAll(leftover, "from-an-earlier-run.com\r\n");
    QDir(m_folders->appFolder() + "/backups").removeRecursively();
    TextFile::WriteAll(m_folders->appFolder() + "/backups", "not a folder");
    QVERIFY(!Engine().Start(UseList({"abcdefghij"})));
    QCOMPARE(Engine().refusal(), CheckEngine::Refusal::BackupFailed);
    QVERIFY(m_errors.first().contains(leftover));
    QCOMPARE(FileBytes(leftover), QByteArray("from-an-earlier-run.com\r\n"));
}

void TestCheckEngine::failedOverflowWriteIsRetriedAfterAPoolsWorthOfNames()
{
    QStringList full;
    for (int i = 0; i < 19999; ++i)
        full << QStringLiteral("longname%1.com").arg(i);
    m_rig->lists.model(ResultList::Low)->setStringList(full);
    const QString overflow = m_folders->appFolder() + "/overflow";
    QDir(overflow).removeRecursively();
    TextFile::WriteAll(overflow, "not a folder");
    QSignalSpy notices(&Engine(), &CheckEngine::backupNotice);
    QVERIFY(Engine().Start(UseList(NumberedNames("freename", 30))));
    m_sockets->at(0).Answer("No match");
    m_sockets->at(1).Answer("No match");
    QCOMPARE(m_errors.size(), 1);
    QVERIFY2(m_errors.first().contains(overflow), qPrintable(m_errors.first()));
    QCOMPARE(m_rig->lists.itemCount(ResultList::Low), 20001); // kept, not emptied
    // The folder is back; the next 24 names do not try again, the 25th does.
    QFile::remove(overflow);
    QDir().mkpath(overflow);
    m_sockets->at(2).Answer("No match");
    QCOMPARE(notices.count(), 0);
    for (int i = 3; i < 25; ++i)
        m_sockets->at(i).Answer("Registrar: Example Registrar");
    QCOMPARE(notices.count(), 0);
    QTRY_COMPARE(m_sockets->at(0).connects.size(), 2);
    m_sockets->at(0).Answer("No match");
    QCOMPARE(notices.count(), 1);
    QCOMPARE(FileBytes(overflow + "/LowProfile.txt").count("\r\n"), 20003);
    QCOMPARE(m_errors.size(), 1);
}

void TestCheckEngine::listCutShortUnderTheRunStopsItWithAMessage()
{
    // Longer than the first read: the next read finds it cut.
    const RunRequest request = UseList(NumberedNames("n", 2 * ListReader::kBatch));
    QSignalSpy stopped(&Engine(), &CheckEngine::runStopped);
    QVERIFY(Engine().Start(request));
    m_folders->WriteList("list.txt", NumberedNames("n", 10));
    for (int round = 0; round < ListReader::kBatch && stopped.isEmpty(); ++round) {
        for (int i = 0; i < CheckEngine::kPoolSize; ++i) {
            if (m_sockets->at(i).isOpen())
                m_sockets->at(i).Answer("Registrar: Example Registrar");
        }
    }
    QTRY_COMPARE(stopped.count(), 1);
    QCOMPARE(m_errors.size(), 1);
    QVERIFY2(m_errors.first().contains("became shorter"), qPrintable(m_errors.first()));
    QVERIFY(!Engine().completed());
}

void TestCheckEngine::eventsAfterStopAreIgnored()
{
    QVERIFY(Engine().Start(UseList({"a", "b"})));
    Engine().Stop();
    m_sockets->at(0).Answer("No match");
    QCOMPARE(m_rig->lists.itemCount(ResultList::High), 0);
    QCOMPARE(CheckedNames(CheckOutcome::Unchecked), (QStringList{"a.com", "b.com"}));
}

void TestCheckEngine::speedAndTimeLeftOnVirtualTime_data()
{
    QTest::addColumn<QList<qint64>>("verdicts"); // ms after the start
    QTest::addColumn<qint64>("now");
    QTest::addColumn<qint64>("left");
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing yet") << QList<qint64>() << qint64(5000) << qint64(100) << "0.0 names/s";
    QTest::newRow("a young run counts over its age")
        << QList<qint64>{100, 200, 300, 400} << qint64(2000) << qint64(100) << "2.0 names/s, 50 s left";
    QTest::newRow("its first second counts as a second")
        << QList<qint64>{10, 20} << qint64(100) << qint64(0) << "2.0 names/s, 0 s left";
    QList<qint64> steady;
    for (qint64 at = 0; at < 120000; at += 100)
        steady << at;
    QTest::newRow("the last 30 s only")
        << steady << qint64(120000) << qint64(36000) << "10.0 names/s, 1 h 0 min left";
    QTest::newRow("a stall slows it down")
        << steady << qint64(135000) << qint64(600) << "5.0 names/s, 2 min left";
    // Thousands a second, as on loopback: counted together, still to the verdict.
    QList<qint64> fast;
    for (qint64 at = 0; at < 40000; ++at)
        fast << at << at << at << at << at << at << at << at;
    QTest::newRow("thousands a second") << fast << qint64(40000) << qint64(16000) << "8000.0 names/s, 2 s left";
    QTest::newRow("and a stall after them") << fast << qint64(55000) << qint64(16000) << "4000.0 names/s, 4 s left";
    QTest::newRow("days") << QList<qint64>{31000} << qint64(31000) << qint64(6250)
                          << "0.0 names/s, 2 d 4 h left";
}

void TestCheckEngine::speedAndTimeLeftOnVirtualTime()
{
    QFETCH(QList<qint64>, verdicts);
    QFETCH(qint64, now);
    QFETCH(qint64, left);
    QFETCH(QString, text);
    SpeedMeter speed;
    speed.Start(0);
    for (const qint64 at : verdicts)
        speed.Counted(at);
    QCOMPARE(RunStatus::SpeedText(speed.NamesPerSecond(now), speed.SecondsLeft(now, left)), text);
}

QTEST_GUILESS_MAIN(TestCheckEngine)
#include "tst_checkengine.moc"
