#include "app/Startup.h"
#include "engine/CheckEngine.h"
#include "platform/TextFile.h"
#include "support/TestFolders.h"
#include "tools/rdapd/RdapTestServer.h"
#include "tools/whoisd/WhoisTestServer.h"

#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(CheckOutcome)
Q_DECLARE_METATYPE(RdapReplyRule)

// The check engine asking a test RDAP server on 127.0.0.1 over real HTTP, next to a whois server.
class TestRdapLoopback : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void eachAnswerOfTheService_data();
    void eachAnswerOfTheService();
    void retryAfterPausesTheHostAndTheNameIsAskedAgain();
    void aWaitBeyondTheCapLeavesTheNameUnchecked();
    void bootstrapServiceChecksAnExtensionWithoutARow();
    void malformedBootstrapIsIgnoredWithOneMessage();
    void internationalNamesGoOnTheWireAsALabels();

private:
    void Run(const QStringList &names, int timeoutMs = 10000);
    CheckOutcome OutcomeOf(const QString &name) const;

    std::unique_ptr<RdapTestServer> m_rdap;
    std::unique_ptr<WhoisTestServer> m_whois;
    std::unique_ptr<TestFolders> m_folders;
    std::unique_ptr<Program> m_program;
    QHash<QString, QPair<CheckOutcome, QString>> m_checked;
};

void TestRdapLoopback::init()
{
    m_rdap = std::make_unique<RdapTestServer>();
    QVERIFY(m_rdap->Listen());
    m_rdap->setRuleChooser([](const QString &name) {
        return RdapReplyRule::Of(name.startsWith("free") ? RdapReplyRule::Mode::NotRegistered
                                                         : RdapReplyRule::Mode::Registered);
    });
    m_whois = std::make_unique<WhoisTestServer>();
    QVERIFY(m_whois->Listen());
    m_folders = std::make_unique<TestFolders>();
    // Ten ticks of 20 ms: the RDAP time limit is 200 ms here.
    m_program = m_folders->MakePreparedProgram({.timings = {.slotTickMs = 20, .watchdogTickMs = 100}});
    const QString whois = "127.0.0.1|" + QString::number(m_whois->port()) + "|Enabled";
    TextFile::WriteAll(m_program->registrarFile().path(), "com|" + whois + "\r\nde|" + whois +
                                                              "\r\nexample|" + m_rdap->baseAddress() +
                                                              "|443|Enabled\r\n");
    QVERIFY(m_program->ReloadRegistrars());
    m_checked.clear();
    connect(&m_program->engine(), &CheckEngine::nameChecked, this,
            [this](const QString &name, CheckOutcome outcome, const QString &reason) {
                m_checked.insert(name, {outcome, reason});
            });
}

void TestRdapLoopback::cleanup()
{
    m_program.reset();
    m_folders.reset();
    m_whois.reset();
    m_rdap.reset();
}

void TestRdapLoopback::Run(const QStringList &names, int timeoutMs)
{
    const QString path = m_folders->WriteList("list.txt", names);
    QSignalSpy stopped(&m_program->engine(), &CheckEngine::runStopped);
    QVERIFY(m_program->Start({path, 1, names.size(), "CustWordNum"}));
    QVERIFY(stopped.wait(timeoutMs) || stopped.count() == 1);
}

CheckOutcome TestRdapLoopback::OutcomeOf(const QString &name) const
{
    return m_checked.value(name, {CheckOutcome::NotFiled, QString()}).first;
}

void TestRdapLoopback::eachAnswerOfTheService_data()
{
    QTest::addColumn<RdapReplyRule>("rule");
    QTest::addColumn<CheckOutcome>("outcome");
    QTest::addColumn<QString>("reason");
    using Mode = RdapReplyRule::Mode;
    QTest::newRow("200 domain") << RdapReplyRule::Of(Mode::Registered) << CheckOutcome::Registered << "";
    QTest::newRow("404") << RdapReplyRule::Of(Mode::NotRegistered) << CheckOutcome::Mid << "";
    QTest::newRow("403") << RdapReplyRule::Of(Mode::Forbidden) << CheckOutcome::Unchecked
                         << "127.0.0.1 answered HTTP 403";
    QTest::newRow("422") << RdapReplyRule::Of(Mode::Unprocessable) << CheckOutcome::Unchecked
                         << "127.0.0.1 answered HTTP 422";
    QTest::newRow("500") << RdapReplyRule::Of(Mode::ServerError) << CheckOutcome::Unchecked
                         << "127.0.0.1 answered HTTP 500";
    QTest::newRow("not JSON") << RdapReplyRule::Of(Mode::NotJson) << CheckOutcome::Unchecked
                              << "unexpected RDAP reply from 127.0.0.1";
    QTest::newRow("never answers") << RdapReplyRule::Of(Mode::Hang) << CheckOutcome::Unchecked
                                   << "no answer within 10 seconds";
    QTest::newRow("endless body") << RdapReplyRule::Of(Mode::Endless) << CheckOutcome::Unchecked
                                  << "reply too long";
    // The other server answers 404 for everything: from a host the question was sent on to.
    QTest::newRow("redirect to another host's 404")
        << RdapReplyRule::Of(Mode::Redirect, "REDIRECT") << CheckOutcome::Unchecked
        << "not found at localhost, where 127.0.0.1 sent the question";
    QTest::newRow("redirect to another port's 404")
        << RdapReplyRule::Of(Mode::Redirect, "REDIRECT-PORT") << CheckOutcome::Unchecked
        << "not found at http://127.0.0.1:ELSEWHERE, where http://127.0.0.1:ASKED sent the question";
    QTest::newRow("redirect to where nothing listens")
        << RdapReplyRule::Of(Mode::Redirect, "REDIRECT-DEAD") << CheckOutcome::Unchecked
        << "127.0.0.1 sent the question on to 127.0.0.1:DEAD, which cannot be reached: Connection refused";
}

void TestRdapLoopback::eachAnswerOfTheService()
{
    QFETCH(RdapReplyRule, rule);
    QFETCH(CheckOutcome, outcome);
    QFETCH(QString, reason);
    RdapTestServer elsewhere;
    QVERIFY(elsewhere.Listen());
    elsewhere.setDefaultRule(RdapReplyRule::Of(RdapReplyRule::Mode::NotRegistered));
    if (rule.location == "REDIRECT")
        rule.location = QStringLiteral("http://localhost:%1/rdap/").arg(elsewhere.port());
    if (rule.location == "REDIRECT-PORT")
        rule.location = QStringLiteral("http://127.0.0.1:%1/rdap/").arg(elsewhere.port());
    const quint16 dead = ClosedPort();
    if (rule.location == "REDIRECT-DEAD")
        rule.location = QStringLiteral("http://127.0.0.1:%1/rdap/").arg(dead);
    reason.replace("DEAD", QString::number(dead));
    reason.replace("ELSEWHERE", QString::number(elsewhere.port()));
    reason.replace("ASKED", QString::number(m_rdap->port()));
    m_rdap->setRule("asked.example", rule);
    Run({"asked.example", "taken.com"});
    QCOMPARE(OutcomeOf("asked.example"), outcome);
    QCOMPARE(m_checked.value("asked.example").second, reason);
    QCOMPARE(m_rdap->lastAccept(), QByteArray("application/rdap+json"));
    // The whois name beside it is not held up.
    QCOMPARE(OutcomeOf("taken.com"), CheckOutcome::Registered);
}

void TestRdapLoopback::retryAfterPausesTheHostAndTheNameIsAskedAgain()
{
    m_rdap->setRateLimit(1, 2);
    Run({"free1.example", "free2.example"}, 15000);
    QCOMPARE(OutcomeOf("free1.example"), CheckOutcome::Mid);
    QCOMPARE(OutcomeOf("free2.example"), CheckOutcome::Mid);
    QCOMPARE(m_rdap->rateLimitedCount(), 1);
    const QList<qint64> times = m_rdap->questionTimes();
    QCOMPARE(times.size(), 3);
    QVERIFY2(times.at(2) - times.at(1) >= 1900, qPrintable(QString::number(times.at(2) - times.at(1))));
}

void TestRdapLoopback::aWaitBeyondTheCapLeavesTheNameUnchecked()
{
    m_rdap->setRateLimit(1, 999999999);
    Run({"free1.example", "free2.example", "taken.com"});
    QCOMPARE(OutcomeOf("free1.example"), CheckOutcome::Mid);
    QCOMPARE(m_checked.value("free2.example"),
             qMakePair(CheckOutcome::Unchecked, QString("asks to wait 999999999 s")));
    QCOMPARE(OutcomeOf("taken.com"), CheckOutcome::Registered);
    QCOMPARE(m_rdap->rateLimitedCount(), 1);
}

void TestRdapLoopback::bootstrapServiceChecksAnExtensionWithoutARow()
{
    TextFile::WriteAll(m_folders->appFolder() + "/rdap-bootstrap.json",
                       R"({"services": [[["zz", "co.zz"], [")" + m_rdap->baseAddress() + R"("]]]})");
    QCOMPARE(Startup::LoadRdapBootstrap(*m_program, m_folders->path("nothing-shipped")), QString());
    Run({"free.co.zz", "taken.zz", "free.yy"});
    QCOMPARE(OutcomeOf("free.co.zz"), CheckOutcome::High);
    QCOMPARE(OutcomeOf("taken.zz"), CheckOutcome::Registered);
    QCOMPARE(m_checked.value("free.yy").second, QString("no whois server for .yy"));
    QCOMPARE(m_rdap->names(), (QStringList{"free.co.zz", "taken.zz"}));
}

void TestRdapLoopback::malformedBootstrapIsIgnoredWithOneMessage()
{
    const QString own = m_folders->appFolder() + "/rdap-bootstrap.json";
    TextFile::WriteAll(own, R"({"services": [[["zz"], )");
    const QString message = Startup::LoadRdapBootstrap(*m_program, qEnvironmentVariable("ORVELLE_DATA_DIR"));
    QVERIFY2(message.contains(own) && message.contains("shipped"), qPrintable(message));
    // The shipped file is used instead.
    QCOMPARE(m_program->rdapBootstrap().ServiceFor("shop.info"),
             QString("https://rdap.identitydigital.services/rdap/"));
}

void TestRdapLoopback::internationalNamesGoOnTheWireAsALabels()
{
    Run({"faß.de", "bücher.example", "☃.com", "ab--cd.com", "xn--bcher-kva.com"});
    QCOMPARE(m_whois->queries(), (QStringList{"xn--fa-hia.de", "xn--bcher-kva.com"}));
    QCOMPARE(m_rdap->names(), QStringList{"xn--bcher-kva.example"});
    // The lists show the names as written.
    QCOMPARE(OutcomeOf("faß.de"), CheckOutcome::Registered);
    QCOMPARE(OutcomeOf("bücher.example"), CheckOutcome::Registered);
    QCOMPARE(m_checked.value("☃.com"),
             qMakePair(CheckOutcome::Unchecked, QString("not a valid domain name")));
    QCOMPARE(m_checked.value("ab--cd.com"),
             qMakePair(CheckOutcome::Unchecked, QString("not a valid domain name")));
}

QTEST_GUILESS_MAIN(TestRdapLoopback)
#include "tst_rdaploopback.moc"
