#include "app/Program.h"
#include "engine/DnsAhead.h"
#include "engine/DnsMessage.h"
#include "support/FakeSocket.h"
#include "support/ManualClock.h"
#include "support/TestFolders.h"
#include "tools/dnsd/DnsTestServer.h"

#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(DnsTestServer::Rule)

// The DNS pre-check: DNS messages, and the engine against a DNS server on 127.0.0.1 with
// hand-driven whois sockets. No test asks the system's resolvers.
class TestDnsPrecheck : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void messagesRoundTrip();
    void malformedMessagesAreRefused_data();
    void malformedMessagesAreRefused();
    void eachAnswerSettlesOrPassesOn_data();
    void eachAnswerSettlesOrPassesOn();
    void silentResolversTurnTheCheckOff();
    void noQuestionsWhenOffOrInProxyMode_data();
    void noQuestionsWhenOffOrInProxyMode();
    void thePositionStaysAtTheFirstNameWithoutVerdict();
    void namesWaitingForDnsGoBackToTheListOnStop();
    void aSlowResolverNeverHoldsWhoisBack();
    void whileAnswersComeLateWhoisDoesNotWaitForThem();

private:
    // Names wait for DNS for a minute unless a test gives whois an earlier head start.
    void MakeProgram(int dnsTimeoutMs = 2000, Clock *clock = nullptr, int dnsHeadStartMs = 60000);
    RunRequest UseList(const QStringList &names);

    std::unique_ptr<TestFolders> m_folders;
    std::unique_ptr<DnsTestServer> m_dns;
    std::unique_ptr<FakeSocketFactory> m_sockets;
    std::unique_ptr<Program> m_program;
    QList<QStringList> m_checked; // name, outcome, reason
};

void TestDnsPrecheck::init()
{
    m_folders = std::make_unique<TestFolders>();
    m_dns = std::make_unique<DnsTestServer>();
    QVERIFY(m_dns->Listen());
    MakeProgram();
}

void TestDnsPrecheck::MakeProgram(int dnsTimeoutMs, Clock *clock, int dnsHeadStartMs)
{
    m_program.reset();
    m_sockets = std::make_unique<FakeSocketFactory>();
    m_program = m_folders->MakePreparedProgram(
        {.sockets = m_sockets->factory(),
         .timings = {.clock = clock, .dnsTimeoutMs = dnsTimeoutMs, .dnsHeadStartMs = dnsHeadStartMs}});
    QVERIFY(m_program->SetHostLimits("whois.verisign-grs.com=0/25"));
    QVERIFY(m_program->SetDnsServers(m_dns->address()));
    m_program->setDnsFirst(true);
    m_checked.clear();
    connect(&m_program->engine(), &CheckEngine::nameChecked, this,
            [this](const QString &name, CheckOutcome outcome, const QString &reason) {
                m_checked.append({name, CheckOutcomeName(outcome), reason});
            });
}

void TestDnsPrecheck::cleanup()
{
    m_program.reset();
    m_sockets.reset();
    m_dns.reset();
    m_folders.reset();
}

RunRequest TestDnsPrecheck::UseList(const QStringList &names)
{
    return RunRequest{m_folders->WriteList("list.txt", names), 1, names.size(), "CustWordNum"};
}

void TestDnsPrecheck::messagesRoundTrip()
{
    using namespace DnsMessage;
    const std::optional<Parsed> query = Parse(Query(0x1234, "Example.COM."));
    QVERIFY(query);
    QCOMPARE(query->id, 0x1234);
    QVERIFY(!query->response);
    QCOMPARE(query->question, QString("example.com"));
    QCOMPARE(query->questionType, kTypeNs);
    const std::optional<Parsed> answer = Parse(
        Answer(*query, Rcode::NoError,
               {{"example.com", kTypeNs, "ns1.example.net"}, {"other.example", kTypeNs, "ns9.example.net"}}));
    QVERIFY(answer && answer->response);
    QCOMPARE(NameServersOf(*answer, "EXAMPLE.com."), QStringList{"ns1.example.net"});
    QCOMPARE(Parse(Answer(*query, Rcode::NxDomain, {}))->rcode, Rcode::NxDomain);
    // A compressed owner name points back at the question.
    QByteArray compressed = Answer(*query, Rcode::NoError, {});
    compressed[7] = 1; // one answer
    compressed += QByteArray::fromHex("c00c"
                                      "0002"
                                      "0001"
                                      "0000012c"
                                      "0006"
                                      "036e7331c00c");
    QCOMPARE(NameServersOf(*Parse(compressed), "example.com"), QStringList{"ns1.example.com"});
}

void TestDnsPrecheck::malformedMessagesAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray header = QByteArray::fromHex("123481800001000100000000");
    QTest::newRow("short header") << QByteArray::fromHex("1234");
    QTest::newRow("question cut") << header + QByteArray::fromHex("076578616d");
    QTest::newRow("pointer loop") << header + QByteArray::fromHex("c00c00020001");
    QTest::newRow("label too long") << header + QByteArray::fromHex("4061");
    QTest::newRow("record past the end") << header + QByteArray::fromHex("0000020001"
                                                                         "00"
                                                                         "0002"
                                                                         "0001"
                                                                         "0000012c"
                                                                         "00ff"
                                                                         "00");
}

void TestDnsPrecheck::malformedMessagesAreRefused()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!DnsMessage::Parse(bytes));
}

void TestDnsPrecheck::eachAnswerSettlesOrPassesOn_data()
{
    QTest::addColumn<DnsTestServer::Rule>("rule");
    QTest::addColumn<bool>("settled");
    QTest::newRow("delegated") << DnsTestServer::Rule::Delegated << true;
    QTest::newRow("no such name") << DnsTestServer::Rule::NxDomain << false;
    QTest::newRow("no records") << DnsTestServer::Rule::NoData << false;
    QTest::newRow("server failure") << DnsTestServer::Rule::ServFail << false;
    QTest::newRow("refused") << DnsTestServer::Rule::Refused << false;
    QTest::newRow("records of another name") << DnsTestServer::Rule::OtherOwner << false;
}

void TestDnsPrecheck::eachAnswerSettlesOrPassesOn()
{
    QFETCH(DnsTestServer::Rule, rule);
    QFETCH(bool, settled);
    m_dns->setRule("asked.com", rule);
    QVERIFY(m_program->Start(UseList({"asked"})));
    if (settled) {
        QTRY_COMPARE(m_checked.size(), 1);
        QCOMPARE(m_checked.first(), (QStringList{"asked.com", "Registered", "delegated in DNS"}));
        QCOMPARE(m_program->results().items(ResultList::Registered), QStringList{"asked.com"});
        QCOMPARE(m_sockets->at(0).connects.size(), 0);
    } else {
        QTRY_COMPARE(m_sockets->at(0).connects.size(), 1);
        m_sockets->at(0).Answer("No match");
        QCOMPARE(m_checked.first(), (QStringList{"asked.com", "Mid", ""}));
    }
    // A failing server may be asked once more; only the asked name is ever asked.
    QVERIFY(!m_dns->questions().isEmpty());
    QCOMPARE(m_dns->questions().filter("asked.com").size(), m_dns->questions().size());
    const CheckEngine::DnsCounts &counts = m_program->engine().dnsCounts();
    QCOMPARE(counts.registered, settled ? 1 : 0);
    QCOMPARE(counts.overWhois, settled ? 0 : 1);
    const bool failure = rule == DnsTestServer::Rule::ServFail || rule == DnsTestServer::Rule::Refused;
    QCOMPARE(counts.failures, failure ? 1 : 0);
}

void TestDnsPrecheck::silentResolversTurnTheCheckOff()
{
    ManualClock clock;
    MakeProgram(2000, &clock);
    m_dns->setDefaultRule(DnsTestServer::Rule::Silent);
    QSignalSpy status(&m_program->engine(), &CheckEngine::connectionStatus);
    QStringList names;
    for (int i = 0; i < 30; ++i)
        names << QStringLiteral("n%1").arg(i);
    QVERIFY(m_program->Start(UseList(names)));
    // Every name reaches whois; DNS says once that it gave up.
    QVERIFY(clock.AdvanceUntil(
        [&] {
            QCoreApplication::processEvents();
            return m_sockets->at(24).connects.size() == 1;
        },
        60000, 100));
    QVERIFY(!m_program->engine().isDnsActive());
    const auto said = std::count_if(status.begin(), status.end(), [](const QList<QVariant> &text) {
        return text.first().toString() == "DNS does not answer: every name is asked over whois";
    });
    QCOMPARE(said, 1);
    const qsizetype asked = m_dns->questions().size();
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < CheckEngine::kPoolSize; ++i) {
            if (m_sockets->at(i).isOpen())
                m_sockets->at(i).Answer("No match");
        }
    }
    QTRY_COMPARE(m_checked.size(), 30);
    QCOMPARE(m_dns->questions().size(), asked); // no question after it gave up
    QCOMPARE(m_program->engine().dnsCounts().overWhois, 30);
}

void TestDnsPrecheck::noQuestionsWhenOffOrInProxyMode_data()
{
    QTest::addColumn<bool>("dnsFirst");
    QTest::addColumn<bool>("proxy");
    QTest::newRow("Check DNS First off") << false << false;
    QTest::newRow("proxy mode") << true << true;
}

void TestDnsPrecheck::noQuestionsWhenOffOrInProxyMode()
{
    QFETCH(bool, dnsFirst);
    QFETCH(bool, proxy);
    m_dns->setDefaultRule(DnsTestServer::Rule::Delegated);
    m_program->setDnsFirst(dnsFirst);
    m_program->setProxyMode(proxy);
    QVERIFY(m_program->Start(UseList({"a", "b"})));
    QCOMPARE(m_sockets->at(1).connects.size(), 1); // both went to whois at once
    QVERIFY(!m_program->engine().isDnsActive());
    QCOMPARE(m_program->engine().dnsCounts().overWhois, 0); // no DNS question counted either
}

void TestDnsPrecheck::thePositionStaysAtTheFirstNameWithoutVerdict()
{
    m_dns->setDefaultRule(DnsTestServer::Rule::Delegated);
    m_dns->setRule("first.com", DnsTestServer::Rule::NxDomain);
    QVERIFY(m_program->Start(UseList({"first", "b", "c", "d"})));
    QTRY_COMPARE(m_checked.size(), 3);
    QTRY_COMPARE(m_sockets->at(0).connects.size(), 1);
    // b, c and d are settled by DNS; first waits for whois: a crash now checks from it again.
    QCOMPARE(m_program->engine().resumePosition(), 1);
    QTRY_COMPARE(StoredSetting(*m_program, "Velquist", "CustWordNum", "0"), QString("1"));
    m_sockets->at(0).Answer("No match");
    QTRY_VERIFY(!m_program->engine().isRunning());
    QCOMPARE(StoredSetting(*m_program, "Velquist", "CustWordNum", "0"), QString("5"));
}

void TestDnsPrecheck::namesWaitingForDnsGoBackToTheListOnStop()
{
    m_dns->setDefaultRule(DnsTestServer::Rule::Silent);
    m_dns->setRule("b.com", DnsTestServer::Rule::NxDomain);
    QVERIFY(m_program->Start(UseList({"a", "b", "c"})));
    QTRY_COMPARE(m_sockets->at(0).connects.size(), 1); // b passed DNS and is asked over whois
    QCOMPARE(m_program->engine().dnsCounts().overWhois, 1);
    m_program->engine().Stop();
    // b was sent: it was stopped. a and c never left DNS: not reported, not counted, and the
    // stored position is a's.
    QCOMPARE(m_checked, (QList<QStringList>{{"b.com", "Unchecked", "the search was stopped"}}));
    QCOMPARE(m_program->engine().dnsCounts().overWhois, 1);
    QCOMPARE(StoredSetting(*m_program, "Velquist", "CustWordNum", "0"), QString("1"));
}

void TestDnsPrecheck::aSlowResolverNeverHoldsWhoisBack()
{
    ManualClock clock;
    MakeProgram(2000, &clock, 250);
    m_program->setControlQueries(false);
    QSignalSpy status(&m_program->engine(), &CheckEngine::connectionStatus);
    m_dns->setHolding(true);
    m_dns->setDefaultRule(DnsTestServer::Rule::NxDomain);
    m_dns->setRule("lies.com", DnsTestServer::Rule::Delegated);
    m_dns->setRule("taken.com", DnsTestServer::Rule::Delegated);
    QVERIFY(m_program->Start(UseList({"lies", "free", "taken", "late"})));
    QTRY_COMPARE(m_dns->questions().size(), 4);
    clock.Advance(249);
    QCOMPARE(m_sockets->at(0).connects.size(), 0); // DNS may still answer in time
    clock.Advance(1);
    QCOMPARE(m_sockets->at(3).connects.size(), 1); // then whois asks them without waiting
    m_sockets->at(0).Answer("No match");
    m_sockets->at(1).Answer("No match");
    m_sockets->at(2).Answer("Domain Name: TAKEN.COM");
    // Whois settles a registered name at once; a free one waits for its DNS answer, and the
    // position stays at it.
    QCOMPARE(m_checked, (QList<QStringList>{{"taken.com", "Registered", ""}}));
    QCOMPARE(m_program->engine().resumePosition(), 1);
    m_dns->Release();
    QTRY_COMPARE(m_checked.size(), 3);
    QCOMPARE(m_checked.at(1), (QStringList{"lies.com", "Registered", "delegated in DNS"}));
    QCOMPARE(m_checked.at(2), (QStringList{"free.com", "High", ""}));
    QVERIFY(std::any_of(status.begin(), status.end(), [](const QList<QVariant> &text) {
        return text.first().toString().startsWith("whois.verisign-grs.com answered \"not found\" for a name registered");
    }));
    // A name whose answer came while whois still asked it is settled by whois alone.
    m_sockets->at(3).Answer("No match");
    QTRY_COMPARE(m_checked.size(), 4);
    QCOMPARE(m_checked.at(3), (QStringList{"late.com", "High", ""}));
    m_program.reset(); // before the clock goes
}

void TestDnsPrecheck::whileAnswersComeLateWhoisDoesNotWaitForThem()
{
    ManualClock clock;
    DnsAhead dns(clock, [](const WaitingName &) {});
    CheckSettings settings;
    settings.dnsFirst = true;
    settings.dnsServers = *CheckSettings::ParseDnsServers(m_dns->address());
    QString error;
    QVERIFY(dns.Begin(settings, 2000, 250, &error));
    m_dns->setDefaultRule(DnsTestServer::Rule::NxDomain);
    m_dns->setHolding(true);
    int read = 0;
    const auto askNext = [&] { // one more name, asked now
        dns.Ask([&, limit = read + 1] {
            if (read >= limit)
                return false;
            WaitingName waiting;
            waiting.checked.name = waiting.checked.wireName = QStringLiteral("n%1.com").arg(read);
            waiting.ordinal = read++;
            dns.Add(waiting);
            return true;
        });
    };
    QList<quint64> questions; // of the names taken
    const auto taken = [&] {
        const std::optional<WaitingName> waiting = dns.TakeUnanswered();
        if (waiting)
            questions << waiting->dnsQuestion;
        return waiting ? waiting->checked.name : QString();
    };
    const qint64 start = clock.Now();
    askNext();
    clock.Advance(249);
    QCOMPARE(taken(), QString()); // it may still answer in time
    QCOMPARE(dns.NextUnansweredAt(), start + 250);
    clock.Advance(1);
    QCOMPARE(taken(), QString("n0.com"));
    // It is slower than the head start: the next name is not waited for, nor is one after
    // answers that come late too.
    askNext();
    QCOMPARE(dns.NextUnansweredAt(), start + 250);
    QCOMPARE(taken(), QString("n1.com"));
    clock.Advance(300);
    m_dns->Release();
    for (const quint64 question : questions)
        QTRY_COMPARE(dns.LateAnswer(question), DnsAhead::Late::NotDelegated);
    askNext();
    QCOMPARE(taken(), QString("n2.com"));
    // An answer within the head start: it keeps up again, and names wait for it once more.
    m_dns->setHolding(false);
    askNext();
    QTRY_COMPARE(dns.FirstOrdinal(), std::nullopt);
    m_dns->setHolding(true);
    askNext();
    QCOMPARE(taken(), QString());
}

QTEST_GUILESS_MAIN(TestDnsPrecheck)
#include "tst_dnsprecheck.moc"
