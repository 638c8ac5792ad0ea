#include "engine/CheckSettings.h"
#include "engine/HostPacer.h"
#include "engine/HostTurn.h"
#include "support/ManualClock.h"

#include <QRegularExpression>
#include <QTest>

// How queries to each whois host are spaced, limited, cooled down and sped up again, on a clock
// the test sets.
class TestHostPacer : public QObject
{
    Q_OBJECT
private slots:
    void startsAreSpacedByTheHostsLimit();
    void openConnectionsAreCapped();
    void aHostOfUnknownLimitStartsWithAFewQueriesThatDouble();
    void coolDownDoublesWithJitterInsideTheCap_data();
    void coolDownDoublesWithJitterInsideTheCap();
    void aRefusalWhileAnsweringSetsThePaceAndRests();
    void aCutPaceRecoversWithinSeconds_data();
    void aCutPaceRecoversWithinSeconds();
    void theLearnedPaceIsTheFastestHeldCleanly();
    void quotasWaitOrLeaveTheHostSpent_data();
    void quotasWaitOrLeaveTheHostSpent();
    void quotasOutliveARestart();
    void aWaitTheHostAsksForLengthensARunningCoolDown();
    void rememberedPacesStartTheRun_data();
    void rememberedPacesStartTheRun();
    void hostsDoNotWaitForEachOther();
    void limitsFromTheSetting_data();
    void limitsFromTheSetting();
    void aChangedLimitCountsAtOnce();
    void aTurnBesideTheRunKeepsToTheHostsLimit();
    void aRefusalOfOneCheckerCoolsTheOthers();

private:
    // Cool-downs of 1 s growing to 8 s at most, rests of 100 ms, a raise every second; no jitter.
    static HostPacer Pacer()
    {
        return HostPacer({1000, 8000, 10000, 10, 100, 1000}, [] { return 0.5; });
    }
};

void TestHostPacer::startsAreSpacedByTheHostsLimit()
{
    HostPacer pacer = Pacer();
    QCOMPARE(pacer.LimitFor("WHOIS.NIC.UK"), (HostLimit{5, 5, 0, 0, 1000}));
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

void TestHostPacer::aHostOfUnknownLimitStartsWithAFewQueriesThatDouble()
{
    HostPacer pacer = Pacer();
    const QString host = "whois.unknown.example";
    QList<int> rounds;
    qint64 now = 0;
    for (int round = 0; round < 6; ++round) {
        int open = 0;
        while (pacer.WaitFor(host, now) == 0) {
            pacer.Started(host, now);
            ++open;
        }
        rounds << open;
        for (int i = 0; i < open; ++i) {
            pacer.Ended(host);
            pacer.Answered(host, now, now + 50);
        }
        now += 50;
    }
    QCOMPARE(rounds, (QList<int>{2, 4, 8, 16, 25, 25}));
    // A host with a published limit is not probed: it may use its limit at once.
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(pacer.WaitFor("whois.nic.uk", 1000 * i), 0);
        pacer.Started("whois.nic.uk", 1000 * i);
    }
}

void TestHostPacer::coolDownDoublesWithJitterInsideTheCap_data()
{
    QTest::addColumn<double>("random");
    QTest::addColumn<QList<qint64>>("coolDowns");
    QTest::newRow("no jitter") << 0.5 << QList<qint64>{1000, 2000, 4000, 8000, 8000};
    QTest::newRow("longest jitter") << 0.999 << QList<qint64>{1199, 2399, 4798, 8000, 8000};
    QTest::newRow("shortest jitter") << 0.0 << QList<qint64>{800, 1600, 3200, 6400, 8000};
}

void TestHostPacer::coolDownDoublesWithJitterInsideTheCap()
{
    QFETCH(double, random);
    QFETCH(QList<qint64>, coolDowns);
    HostPacer pacer({1000, 8000, 10000, 1000, 100, 5000}, [random] { return random; });
    QList<qint64> got;
    qint64 now = 0;
    for (int i = 0; i < coolDowns.size(); ++i) {
        const qint64 coolDown = pacer.Refused("whois.example", now, now);
        got << coolDown;
        QVERIFY(pacer.isCoolingDown("whois.example", now + coolDown - 1));
        // A query sent before that refusal belongs to the same episode.
        QCOMPARE(pacer.Refused("whois.example", now - 1, now + 1), 0);
        // An answer to a query sent before the refusal does not end the episode either.
        pacer.Answered("whois.example", now - 1, now + 2);
        now += coolDown;
    }
    QCOMPARE(got, coolDowns);
    QVERIFY(!pacer.isCoolingDown("whois.example", now));
    // An answer to a query sent after the last refusal starts the growth again.
    pacer.Answered("whois.example", now, now + 5);
    QCOMPARE(pacer.Refused("whois.example", now + 10, now + 2000000), coolDowns.first());
}

void TestHostPacer::aRefusalWhileAnsweringSetsThePaceAndRests()
{
    HostPacer pacer = Pacer();
    // Ten answers in the second before the refusal: from then on 8 a second, 8 at once at most,
    // after a short rest (a tenth of a rest: a first refusal may be one name's).
    for (int i = 0; i < 10; ++i)
        pacer.Answered("whois.example", 100 * i, 100 * i);
    QCOMPARE(pacer.Refused("whois.example", 1000, 1000), 10);
    QCOMPARE(pacer.PaceOf("whois.example"), 8.0);
    QCOMPARE(pacer.WaitFor("whois.example", 1000), 10);
    // An answer to a query sent before the refusal, while the host rests: it took that one too.
    pacer.Answered("whois.example", 990, 1005);
    QCOMPARE(pacer.PaceOf("whois.example"), 8.8);
    pacer.Started("whois.example", 1100);
    QCOMPARE(pacer.WaitFor("whois.example", 1100), 114);
    // Refused again at that pace, with nothing answered since (and not right after the short
    // rest, which would be a window of its own running out): half the pace and a cool-down.
    pacer.Ended("whois.example");
    QCOMPARE(pacer.Refused("whois.example", 1100, 1400), 1000);
    QCOMPARE(pacer.PaceOf("whois.example"), 4.4);
    QCOMPARE(pacer.PacedHosts(1400).size(), 1);
    QCOMPARE(pacer.PacedHosts(1400).first().coolingMs, 1000);
}

void TestHostPacer::aCutPaceRecoversWithinSeconds_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("roundTripMs");
    QTest::addColumn<int>("fullAfterMs"); // at most, after the refusal
    // Ten answers in 5 ms, then one name refused (in slow start): back to no spacing at all.
    QTest::newRow("answers at once") << "whois.example" << 0 << 3000;
    QTest::newRow("50 ms round trips") << "whois.example" << 50 << 4000;
    // A host with a published limit rises back to it, not past it.
    QTest::newRow("published limit") << "whois.nic.uk" << 0 << 4000;
}

void TestHostPacer::aCutPaceRecoversWithinSeconds()
{
    QFETCH(QString, host);
    QFETCH(int, roundTripMs);
    QFETCH(int, fullAfterMs);
    HostPacer pacer = Pacer();
    const double limit = pacer.LimitFor(host).perSecond;
    qint64 now = 0;
    for (int i = 0; i < 10; ++i, now += 1)
        pacer.Answered(host, now - roundTripMs, now);
    QVERIFY(pacer.Refused(host, now, now) > 0);
    const double cut = pacer.PaceOf(host);
    // Cut once, by half of the pace reached at most.
    QVERIFY2(cut > 0 && (limit == 0 || cut <= limit), qPrintable(QString::number(cut)));
    // The same name refused again while others are answered is not the host's problem: the
    // engine does not tell the pacer, and retries of queries sent before change nothing.
    QCOMPARE(pacer.Refused(host, now - 1, now + 1), 0);
    QCOMPARE(pacer.PaceOf(host), cut);
    const qint64 refusedAt = now;
    QList<double> paces{cut};
    while (pacer.PaceOf(host) != limit && now < refusedAt + 20000) {
        now += 100;
        pacer.Answered(host, now - roundTripMs, now);
        if (pacer.PaceOf(host) != paces.last())
            paces << pacer.PaceOf(host);
    }
    QVERIFY2(now - refusedAt <= fullAfterMs, qPrintable(QString::number(now - refusedAt)));
    QVERIFY(std::is_sorted(paces.begin(), paces.end() - 1));
    // Back at full speed, it has nothing to remember: the next run starts at full speed.
    QVERIFY(pacer.LearnedPaces().isEmpty());
    QVERIFY(pacer.PacedHosts(now).isEmpty());
}

void TestHostPacer::theLearnedPaceIsTheFastestHeldCleanly()
{
    HostPacer pacer = Pacer();
    const QString host = "whois.example";
    // Refused in slow start: no pace learned from that.
    pacer.Answered(host, 0, 0);
    pacer.Answered(host, 0, 1000);
    pacer.Refused(host, 1000, 1000);
    QCOMPARE(pacer.PaceOf(host), 1.6); // two answers over a second, 0.8 of that
    QVERIFY(pacer.LearnedPaces().isEmpty());
    // Held cleanly for a second: that pace is learned, and it doubles.
    qint64 now = 1100;
    for (; now <= 2100; now += 100)
        pacer.Answered(host, now, now);
    QCOMPARE(pacer.LearnedPaces().value(host).limit.perSecond, 1.6);
    QCOMPARE(pacer.PaceOf(host), 3.2);
    // Refused at 3.2 before it held that for a second: neither 3.2 nor the cut pace is learned.
    for (; now <= 2500; now += 100)
        pacer.Answered(host, now, now);
    pacer.Refused(host, now, now);
    QVERIFY(pacer.PaceOf(host) < 3.2);
    QCOMPARE(pacer.LearnedPaces().value(host).limit.perSecond, 1.6);
}

void TestHostPacer::quotasWaitOrLeaveTheHostSpent_data()
{
    QTest::addColumn<QString>("limits");
    QTest::addColumn<int>("asked");      // queries a second apart, from 0 s
    QTest::addColumn<qint64>("laterMs"); // then, this much later:
    QTest::addColumn<qint64>("wait");    // how long the next waits
    QTest::addColumn<QString>("reason"); // or why it is spent
    QTest::newRow("within the window") << "whois.example=0/25 5/1min" << 4 << qint64(0) << qint64(0) << "";
    // Five asked in the first stretch of 10 s: the window frees when that stretch leaves it.
    QTest::newRow("window frees within a minute")
        << "whois.example=0/25 5/1min" << 5 << qint64(10000) << qint64(70000 - 15000) << "";
    QTest::newRow("window frees later")
        << "whois.example=0/25 5/15min" << 5 << qint64(0) << HostPacer::kQuotaSpent
        << "whois.example allows 5 queries in 15 minutes; the next ones after ";
    QTest::newRow("daily") << "whois.example=0/25 3/day" << 3 << qint64(0) << HostPacer::kQuotaSpent
                           << "whois.example allows 3 queries a day; the next ones after ";
}

void TestHostPacer::quotasWaitOrLeaveTheHostSpent()
{
    QFETCH(QString, limits);
    QFETCH(int, asked);
    QFETCH(qint64, laterMs);
    QFETCH(qint64, wait);
    QFETCH(QString, reason);
    HostPacer pacer = Pacer();
    pacer.setUserLimits(*CheckSettings::ParseHostLimits(limits));
    qint64 now = 0;
    for (int i = 0; i < asked; ++i, now += 1000) {
        QCOMPARE(pacer.WaitFor("whois.example", now), 0);
        pacer.Started("whois.example", now);
        pacer.Ended("whois.example");
    }
    now += laterMs;
    QCOMPARE(pacer.WaitFor("whois.example", now), wait);
    const QString said = pacer.QuotaReason("whois.example", now);
    if (reason.isEmpty())
        QCOMPARE(said.isEmpty(), wait == 0);
    else
        QVERIFY2(said.startsWith(reason) && QRegularExpression("\\d\\d:\\d\\d$").match(said).hasMatch(),
                 qPrintable(said));
    // Other hosts are not held by it.
    QCOMPARE(pacer.WaitFor("whois.other.example", now), 0);
}

void TestHostPacer::quotasOutliveARestart()
{
    HostPacer first = Pacer();
    first.setUserLimits(*CheckSettings::ParseHostLimits("whois.example=0/25 3/day"));
    for (int i = 0; i < 3; ++i)
        first.Started("whois.example", 50000 + i);
    // A later start of the program, on a clock that starts anew: the counts come with their ages.
    HostPacer second = Pacer();
    second.setUserLimits(*CheckSettings::ParseHostLimits("whois.example=0/25 3/day"));
    second.RestoreQuota(first.KeptQuota(60000), 0);
    QCOMPARE(second.WaitFor("whois.example", 10), HostPacer::kQuotaSpent);
    // A day after the stretch they were counted in, they are gone.
    QCOMPARE(second.WaitFor("whois.example", QueryQuota::kDayMs), 0);
    // A new run (Reset) forgets paces, not quotas.
    second.Reset(20);
    QCOMPARE(second.WaitFor("whois.example", 30), HostPacer::kQuotaSpent);
}

void TestHostPacer::aWaitTheHostAsksForLengthensARunningCoolDown()
{
    HostPacer pacer = Pacer();
    QCOMPARE(pacer.Refused("rdap.example", 0, 0), 1000);
    // Refusals of queries sent before: a longer Retry-After counts, within the cap; a shorter
    // one and none change nothing.
    QCOMPARE(pacer.Refused("rdap.example", -1, 10, 500), 0);
    QCOMPARE(pacer.Refused("rdap.example", -1, 10, 5000), 5000);
    QCOMPARE(pacer.Refused("rdap.example", -1, 20, 60000), 8000);
    QCOMPARE(pacer.WaitFor("rdap.example", 20), 8000);
}

void TestHostPacer::rememberedPacesStartTheRun_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("userLimits");
    QTest::addColumn<double>("remembered");
    QTest::addColumn<double>("pace");
    QTest::newRow("used") << "whois.example"
                          << "" << 3.0 << 3.0;
    QTest::newRow("below the published limit") << "whois.nic.uk"
                                               << "" << 2.0 << 2.0;
    QTest::newRow("no slower than the published limit") << "whois.nic.uk"
                                                        << "" << 6.0 << 5.0;
    QTest::newRow("the user's limit overrides it") << "whois.example"
                                                   << "whois.example=9/3" << 3.0 << 9.0;
    QTest::newRow("never below the floor") << "whois.example"
                                           << "" << 0.001 << HostPacer::kSlowestPace;
}

void TestHostPacer::rememberedPacesStartTheRun()
{
    QFETCH(QString, host);
    QFETCH(QString, userLimits);
    QFETCH(double, remembered);
    QFETCH(double, pace);
    HostPacer pacer = Pacer();
    pacer.setUserLimits(*CheckSettings::ParseHostLimits(userLimits));
    pacer.Reset(100, {{host.toUpper(), {{remembered, 2}, -5000}}});
    QCOMPARE(pacer.PaceOf(host), pace);
    // A remembered host is not probed with slow start.
    if (userLimits.isEmpty() && pace < 5)
        QCOMPARE(pacer.LearnedPaces().value(host).at, -5000);
    // The pace was held just below one that was refused: ten seconds of clean answers keep it
    // near there, without a try past it that the host would refuse.
    for (qint64 now = 200; now < 10000; now += 250) {
        pacer.Started(host, now);
        pacer.Answered(host, now, now + 10);
        pacer.Ended(host);
    }
    if (userLimits.isEmpty() && pace < 5)
        QVERIFY2(pacer.PaceOf(host) <= pace * 1.03 + 1e-9, qPrintable(QString::number(pacer.PaceOf(host))));
}

void TestHostPacer::hostsDoNotWaitForEachOther()
{
    HostPacer pacer = Pacer();
    pacer.Refused("whois.nic.uk", 0, 0);
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
    QTest::newRow("two, blanks, a fraction")
        << " whois.a.example = 0.5 / 2 ; WHOIS.B.example=10/25;" << true << "whois.a.example" << 0.5 << 2;
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
    const std::optional<QHash<QString, HostLimit>> limits = CheckSettings::ParseHostLimits(text, &error);
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

void TestHostPacer::aChangedLimitCountsAtOnce()
{
    // The pacer keeps the last host's limit: every way the limits change replaces it.
    HostPacer pacer = Pacer();
    const QString host = "whois.example";
    QCOMPARE(pacer.LimitFor(host), HostPacer::kDefault);
    pacer.MarkHttpHost(host);
    QCOMPARE(pacer.LimitFor(host), HostPacer::kHttpDefault);
    pacer.setFileLimits({{host, {2, 3}}});
    QCOMPARE(pacer.LimitFor(host), (HostLimit{2, 3}));
    pacer.setUserLimits({{host, {1, 1}}});
    QCOMPARE(pacer.LimitFor(host), (HostLimit{1, 1}));
    QCOMPARE(pacer.LimitFor("WHOIS.EXAMPLE"), (HostLimit{1, 1}));
    pacer.setUserLimits({});
    QCOMPARE(pacer.LimitFor(host), (HostLimit{2, 3}));
}

void TestHostPacer::aTurnBesideTheRunKeepsToTheHostsLimit()
{
    ManualClock clock;
    HostPacer pacer = Pacer();
    pacer.setUserLimits({{"whois.example", {1, 1}}});
    pacer.Started("whois.example", clock.Now()); // the run's query holds the one connection
    HostTurn turn(pacer, clock, "whois.example");
    const qint64 start = clock.Now();
    QList<qint64> waits;
    qint64 askedAt = -1;
    const auto take = [&] { turn.Take([&] { askedAt = clock.Now(); }, [&](qint64 ms) { waits << ms; }); };
    take();
    QCOMPARE(waits, QList<qint64>{-1}); // until the run's query ends
    clock.Advance(HostTurn::kPollMs);
    QCOMPARE(askedAt, -1);
    pacer.Ended("whois.example");
    clock.Advance(HostTurn::kPollMs);
    // One a second: the turn came a second after the run's query started.
    QCOMPARE(askedAt, start + 1000);
    turn.Release(true);
    take();
    QCOMPARE(waits.last(), 1000);
    clock.Advance(1000);
    QCOMPARE(askedAt, start + 2000);
    QCOMPARE(pacer.openCount("whois.example"), 1);
    turn.Release(true);
    QCOMPARE(pacer.openCount("whois.example"), 0);
}

void TestHostPacer::aRefusalOfOneCheckerCoolsTheOthers()
{
    // The browse window's checker and the details window take turns on the run's pacer: a
    // refusal one of them gets makes the other (and the run) wait too.
    ManualClock clock;
    HostPacer pacer = Pacer();
    HostTurn browse(pacer, clock, "whois.example");
    HostTurn details(pacer, clock, "whois.example");
    bool browseAsked = false;
    bool detailsAsked = false;
    browse.Take([&] { browseAsked = true; });
    QVERIFY(browseAsked);
    browse.Refused();
    QVERIFY(pacer.isCoolingDown("whois.example", clock.Now()));
    QList<qint64> waits;
    details.Take([&] { detailsAsked = true; }, [&](qint64 ms) { waits << ms; });
    QVERIFY(!detailsAsked);
    QCOMPARE(waits.size(), 1);
    QCOMPARE(waits.first(), pacer.WaitFor("whois.example", clock.Now()));
    clock.Advance(waits.first());
    QVERIFY(detailsAsked);
    QCOMPARE(pacer.openCount("whois.example"), 1);
}

QTEST_GUILESS_MAIN(TestHostPacer)
#include "tst_hostpacer.moc"
