#pragma once

#include "HostQueues.h"
#include "Verdict.h"

#include <QHash>
#include <QString>

#include <optional>
#include <vector>

class NameCheck;

// Control queries against silent throttling. Some whois hosts, once they throttle a client,
// answer "not found" for every name. So a free verdict from a whois host is held until a control
// name known to be registered there (the first name this run it answered as registered, or else
// the registry's own "nic.<ext>") is asked after it and comes back registered; only then is it
// filed. A control is asked every kQueriesBetween queries or kMsBetween of traffic to the host,
// or when the host has nothing else to ask. A control that comes back "not found" shows the host
// is lying: every name held since the last good control is asked again after a cool-down, and
// when the host keeps lying (kMostLies times) they get no verdict. The first good control after
// a lie only restores trust: the names it would confirm are asked again, since they may have been
// answered while the host still lied; a free name is filed only between two good controls. The cost: about one query in
// fifty more, and free names reach their list up to one control interval later.
//
//     controls.Answered(host, name, judgement, now);        // every whois answer counts
//     controls.Hold(host, waiting, judgement);              // a free verdict waits
//     if (std::optional<WaitingName> control = controls.ControlDue(host, check, now, idle)) ...
//     ControlQueries::Outcome outcome = controls.ControlAnswered(host, judgement);
class ControlQueries
{
public:
    static constexpr int kQueriesBetween = 50;
    static constexpr qint64 kMsBetween = 30000;
    static constexpr int kMostLies = 3;

    struct Held
    {
        WaitingName waiting;
        Judgement judgement;
    };
    struct Outcome
    {
        std::vector<Held> confirmed;         // a good control came back after them: file them
        std::vector<WaitingName> askAgain;   // the host lied: ask them again after a cool-down
        std::vector<Held> givenUp;           // the host keeps lying: no verdict
        bool lied = false;
    };

    void Clear();
    // A stopped run lets its held names go (they are asked again); the total stays.
    void DropHeld()
    {
        const int total = m_heldTotal;
        Clear();
        m_heldTotal = total;
    }
    // A whois host answered: traffic counted, and a plain registered answer may serve as the
    // host's control name.
    void Answered(const QString &host, const CheckedName &name, const Judgement &judgement, qint64 now);
    void Hold(const QString &host, WaitingName waiting, Judgement judgement);
    // The control to ask now for the host, if one is due (held names wait for it, and none is
    // under way); `idle`: the host has nothing else to ask.
    std::optional<WaitingName> ControlDue(const QString &host, const NameCheck &check, qint64 now, bool idle);
    // Whether the control can go to the host; one that cannot (no name of the host's own to ask)
    // is taken as answered registered: the host is trusted as it would be without controls.
    static bool isAskable(const WaitingName &control, const QString &host)
    {
        return !control.checked.problem && control.checked.host == host;
    }
    // The hosts with names held.
    QStringList HostsHolding() const;
    // The control's answer (a refusal is not one: it is asked again like any name).
    Outcome ControlAnswered(const QString &host, const Judgement &judgement, qint64 now);
    // The host said "not found" for a name known to be registered (a control, or a name DNS
    // shows delegated).
    Outcome Lied(const QString &host);
    // The control got no answer: it is asked again when next due.
    void ControlFailed(const QString &host) { m_hosts[host].controlOut = false; }
    // The host cannot be asked any more (its quota is used up): its held names, to go without a
    // verdict.
    std::vector<Held> TakeHeld(const QString &host)
    {
        Host &state = m_hosts[host];
        state.controlOut = false;
        state.heldBeforeControl = 0;
        return std::exchange(state.held, {});
    }

    int heldCount() const;
    // Names held for a control in this run, in all.
    int heldTotal() const { return m_heldTotal; }
    std::optional<qint64> FirstHeldOrdinal() const;
    // "HOST said "not found" for a registered name (throttled)".
    static QString LyingReason(const QString &host);

private:
    struct Host
    {
        QString control;               // a name the host answered registered
        std::vector<Held> held;        // waiting for a control asked after them
        qsizetype heldBeforeControl = 0; // how many of `held` the control under way confirms
        bool controlOut = false;       // a control is queued or asked
        int queriesSinceControl = 0;
        qint64 lastControlAt = -1;
        int lies = 0;
    };
    QHash<QString, Host> m_hosts;
    int m_heldTotal = 0;
};
