#include "engine/HostPacer.h"

#include <QTest>

// How queries to each whois host are spaced, limited and cooled down, on a clock the test sets.
class TestHostPacer : public QObject
{
    Q_OBJECT
private slots:
    void startsAreSpacedByTheHostsLimit();
    void openConnectionsAreCapped();
    void coolDownGrowsWithEachRefusalUpToTheCap();
    void afterARefusalTheHostIsAskedAtThePaceItAnswered();
    void aHostThatNeverAnsweredIsAskedOncePerCoolDown();
    void hostsDoNotWaitForEachOther();
    void limitsFromTheSetting_data();
    void limitsFromTheSetting();

private:
    static HostPacer Pacer() { return HostPacer({1000, 8000, 10000, 1000}, [] { return 0.5; }); }
};

void TestHostPacer::startsAreSpacedByTheHostsLimit()
{
    HostPacer pacer = Pacer();
    QCOMPARE(pacer.LimitFor("WHOIS.NIC.UK"), (HostLimit{5, 5}));
    QCOMPARE(pacer.LimitFor("whois.verisign-grs.com"), HostPacer::kDefault);
    pacer.Started("whois.nic.uk", 1000);
    QCOMPARE(pacer.WaitFor("whois.nic.uk", 1000), 200);
    QCOMPARE(pacer.WaitFor("whois.nic.uk", 1150), 50);
    QCOMPARE(pacer.WaitFor("whois.nic.uk", 1200), 0);
    // The default host is not spaced at all.
    pacer.Started("whois.verisign-grs.com", 1000);
    QCOMPARE(pacer.WaitFor("whois.verisign-grs.com", 1000), 0);
}

void TestHostPacer::openConnectionsAreCapped()
{
    HostPacer pacer = Pacer();
    for (int i = 0; i < 5; ++i)
        pacer.Started("whois.nic.uk", 1000 * i);
    QCOMPARE(pacer.WaitFor("whois.nic.uk", 10000), -1); // until one of them ends
    pacer.Ended("whois.nic.uk");
    QCOMPARE(pacer.WaitFor("whois.nic.uk", 10000), 0);
}

void TestHostPacer::coolDownGrowsWithEachRefusalUpToTheCap()
{
    HostPacer pacer = Pacer();
    QList<qint64> coolDowns;
    qint64 now = 0;
    for (int i = 0; i < 5; ++i) {
        const qint64 coolDown = pacer.Refused("whois.example", now);
        coolDowns << coolDown;
        QVERIFY(pacer.isCoolingDown("whois.example", now + coolDown - 1));
        QCOMPARE(pacer.Refused("whois.example", now + 1), 0); // a query sent before the first refusal
        now += coolDown;
    }
    QCOMPARE(coolDowns, (QList<qint64>{1000, 2000, 4000, 8000, 8000}));
    QVERIFY(!pacer.isCoolingDown("whois.example", now));
    pacer.Answered("whois.example", now);
    QCOMPARE(pacer.Refused("whois.example", now + 10), 1000); // an answer starts the growth again
}

void TestHostPacer::afterARefusalTheHostIsAskedAtThePaceItAnswered()
{
    HostPacer pacer = Pacer();
    // Ten answers in the second before the refusal: from then on 8 a second, 8 at once at most.
    for (int i = 0; i < 10; ++i)
        pacer.Answered("whois.example", 100 * i);
    const qint64 coolDown = pacer.Refused("whois.example", 1000);
    QCOMPARE(pacer.WaitFor("whois.example", 1000), coolDown);
    const qint64 after = 1000 + coolDown;
    QCOMPARE(pacer.WaitFor("whois.example", after), 0);
    pacer.Started("whois.example", after);
    QCOMPARE(pacer.WaitFor("whois.example", after), 125);
    // Refused again at that pace: half of it at most.
    pacer.Ended("whois.example");
    const qint64 second = pacer.Refused("whois.example", after + 200);
    pacer.Started("whois.example", after + 200 + second);
    QVERIFY(pacer.WaitFor("whois.example", after + 200 + second) >= 250);
}

void TestHostPacer::aHostThatNeverAnsweredIsAskedOncePerCoolDown()
{
    HostPacer pacer = Pacer();
    const qint64 coolDown = pacer.Refused("whois.example", 0);
    pacer.Started("whois.example", coolDown);
    QCOMPARE(pacer.WaitFor("whois.example", coolDown), -1); // one at a time
    pacer.Ended("whois.example");
    QCOMPARE(pacer.WaitFor("whois.example", coolDown), 1000);
}

void TestHostPacer::hostsDoNotWaitForEachOther()
{
    HostPacer pacer = Pacer();
    pacer.Refused("whois.nic.uk", 0);
    for (int i = 0; i < 5; ++i)
        pacer.Started("whois.domain-registry.nl", 0);
    QVERIFY(pacer.WaitFor("whois.nic.uk", 10) > 0);
    QVERIFY(pacer.WaitFor("whois.domain-registry.nl", 10) != 0);
    QCOMPARE(pacer.WaitFor("whois.verisign-grs.com", 10), 0);
}

void TestHostPacer::limitsFromTheSetting_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("host");
    QTest::addColumn<double>("perSecond");
    QTest::addColumn<int>("maxOpen");
    QTest::newRow("one host") << "whois.nic.uk=2/1" << true << "whois.nic.uk" << 2.0 << 1;
    QTest::newRow("two, blanks, a fraction") << " whois.a.example = 0.5 / 2 ; WHOIS.B.example=10/25;"
                                             << true << "whois.a.example" << 0.5 << 2;
    QTest::newRow("empty") << "" << true << "" << 0.0 << 0;
    QTest::newRow("no open count") << "whois.a.example=5" << false << "" << 0.0 << 0;
    QTest::newRow("too many open") << "whois.a.example=5/26" << false << "" << 0.0 << 0;
    QTest::newRow("not a number") << "whois.a.example=fast/2" << false << "" << 0.0 << 0;
}

void TestHostPacer::limitsFromTheSetting()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QString, host);
    QFETCH(double, perSecond);
    QFETCH(int, maxOpen);
    QString error;
    const std::optional<QHash<QString, HostLimit>> limits = HostPacer::ParseLimits(text, &error);
    QCOMPARE(limits.has_value(), valid);
    if (!valid) {
        QVERIFY(error.contains(text.section(';', 0, 0).trimmed()));
        return;
    }
    if (host.isEmpty())
        return;
    HostPacer pacer = Pacer();
    pacer.setUserLimits(*limits);
    QCOMPARE(pacer.LimitFor(host), (HostLimit{perSecond, maxOpen}));
}

QTEST_GUILESS_MAIN(TestHostPacer)
#include "tst_hostpacer.moc"
