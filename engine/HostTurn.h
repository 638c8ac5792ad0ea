#pragma once

#include "HostPacer.h"
#include "platform/Clock.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// One query's turn at a whois host, taken from the pacer the check engine runs on, so that a
// question asked beside a run (the details of a name) keeps to the host's limit and its
// cool-down together with the run's.
//
//     HostTurn turn(engine.pacer(), engine.clock(), "whois.denic.de");
//     turn.Take([&] { query.Start(...); }, [&](qint64 ms) { ShowWaiting(ms); });
//     ...
//     turn.Release(true); // answered
class HostTurn : public QObject
{
    Q_OBJECT
public:
    // While the host's connections are all taken, it looks again this often.
    static constexpr qint64 kPollMs = 500;

    HostTurn(HostPacer &pacer, Clock &clock, QString host, QObject *parent = nullptr);
    ~HostTurn() override;

    const QString &host() const { return m_host; }
    // Calls `go` once the host may be asked: at once when it may now, else from the event loop
    // (after `waiting` was told how long, in ms; -1 while its connections are all taken). When
    // the host's quota is used up for long, `waiting` hears HostPacer::kQuotaSpent once and the
    // turn is given up (see QuotaReason()).
    void Take(std::function<void()> go, std::function<void(qint64 ms)> waiting = {});
    // The query is over; `answered` when the host answered it.
    void Release(bool answered);
    // The host refused the query (rate limited), asking to wait serverCoolDownMs when not
    // negative: every checker on the pacer slows down or cools down with it.
    void Refused(qint64 serverCoolDownMs = -1);
    // "HOST allows N queries a day; the next ones after HH:MM", while its quota is used up.
    QString QuotaReason() const;

private:
    void TryNow();
    // Stops waiting; true when a query was under way (its connection is then ended).
    bool EndTurn();

    HostPacer &m_pacer;
    Clock &m_clock;
    QString m_host;
    std::unique_ptr<ClockTimer> m_timer;
    std::function<void()> m_go;
    std::function<void(qint64)> m_waiting;
    bool m_holding = false;
    qint64 m_startedAt = 0;
};
