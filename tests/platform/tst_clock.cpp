#include "platform/Clock.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <vector>

// The event loop's timers, checked by the order they fire in: a timer started again keeps only
// its last deadline, and a stopped one never fires, however long its event loop timer stays armed.
class TestClock : public QObject
{
    Q_OBJECT
private slots:
    void startedAgainFiresAtTheLastDeadlineOnly_data();
    void startedAgainFiresAtTheLastDeadlineOnly();
    void aStoppedTimerNeverFires();
};

void TestClock::startedAgainFiresAtTheLastDeadlineOnly_data()
{
    QTest::addColumn<qint64>("first");
    QTest::addColumn<qint64>("last");
    QTest::addColumn<bool>("beforeTheOther"); // the other timer is due in 300 ms
    QTest::newRow("moved later") << qint64(10) << qint64(1500) << false;
    QTest::newRow("moved earlier") << qint64(1500) << qint64(10) << true;
}

void TestClock::startedAgainFiresAtTheLastDeadlineOnly()
{
    QFETCH(qint64, first);
    QFETCH(qint64, last);
    QFETCH(bool, beforeTheOther);
    std::unique_ptr<ClockTimer> moved = Clock::System().MakeTimer();
    std::unique_ptr<ClockTimer> other = Clock::System().MakeTimer();
    std::vector<QString> fired;
    connect(moved.get(), &ClockTimer::timeout, this, [&] { fired.push_back("moved"); });
    connect(other.get(), &ClockTimer::timeout, this, [&] { fired.push_back("other"); });
    moved->Start(first);
    moved->Start(last);
    other->Start(300);
    QVERIFY(moved->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(fired.size(), size_t(2), 10000);
    QCOMPARE(fired.front(), QString(beforeTheOther ? "moved" : "other"));
    QVERIFY(!moved->isActive());
    // Once each: a timer started after both have fired comes before any second firing.
    other->Start(50);
    QTRY_COMPARE_WITH_TIMEOUT(fired.size(), size_t(3), 10000);
    QCOMPARE(fired.back(), QString("other"));
}

void TestClock::aStoppedTimerNeverFires()
{
    std::unique_ptr<ClockTimer> stopped = Clock::System().MakeTimer();
    std::unique_ptr<ClockTimer> other = Clock::System().MakeTimer();
    QSignalSpy stoppedFired(stopped.get(), &ClockTimer::timeout);
    QSignalSpy otherFired(other.get(), &ClockTimer::timeout);
    stopped->Start(10);
    stopped->Stop();
    QVERIFY(!stopped->isActive());
    other->Start(100);
    QVERIFY(otherFired.wait(10000));
    QCOMPARE(stoppedFired.count(), 0);
    // Started again after the stop, it fires.
    stopped->Start(10);
    QVERIFY(stoppedFired.wait(10000));
}

QTEST_GUILESS_MAIN(TestClock)
#include "tst_clock.moc"
