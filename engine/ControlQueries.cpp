#include "ControlQueries.h"

#include "NameCheck.h"

void ControlQueries::Clear()
{
    m_hosts.clear();
    m_heldTotal = 0;
}

void ControlQueries::Answered(const QString &host, const CheckedName &name, const Judgement &judgement, qint64 now)
{
    Host &state = m_hosts[host];
    ++state.queriesSinceControl;
    if (state.lastControlAt < 0)
        state.lastControlAt = now; // traffic starts the interval
    if (state.control.isEmpty() && judgement.verdict == Verdict::Taken && judgement.status == Judgement::Status::None)
        state.control = name.name;
}

void ControlQueries::Hold(const QString &host, WaitingName waiting, Judgement judgement)
{
    m_hosts[host].held.push_back({std::move(waiting), std::move(judgement)});
    ++m_heldTotal;
}

std::optional<WaitingName> ControlQueries::ControlDue(const QString &host, const NameCheck &check, qint64 now,
                                                      bool idle)
{
    Host &state = m_hosts[host];
    if (state.held.empty() || state.controlOut)
        return std::nullopt;
    const bool due = idle || state.queriesSinceControl >= kQueriesBetween ||
                     (state.lastControlAt >= 0 && now - state.lastControlAt >= kMsBetween);
    if (!due)
        return std::nullopt;
    QString control = state.control;
    if (control.isEmpty()) {
        // The registry's own name: registered at nearly every registry.
        const QString &wire = state.held.front().waiting.checked.wireName;
        control = QStringLiteral("nic.") + wire.section(QLatin1Char('.'), -1);
    }
    WaitingName waiting;
    waiting.checked = check.Prepare(control); // a control the host cannot be asked: see isAskable()
    waiting.ordinal = state.held.front().waiting.ordinal;
    waiting.control = true;
    state.controlOut = true;
    state.heldBeforeControl = qsizetype(state.held.size());
    state.queriesSinceControl = 0;
    state.lastControlAt = now;
    return waiting;
}

QStringList ControlQueries::HostsHolding() const
{
    QStringList hosts;
    for (auto it = m_hosts.cbegin(); it != m_hosts.cend(); ++it) {
        if (!it->held.empty())
            hosts << it.key();
    }
    return hosts;
}

ControlQueries::Outcome ControlQueries::ControlAnswered(const QString &host, const Judgement &judgement, qint64 now)
{
    Host &state = m_hosts[host];
    state.controlOut = false;
    state.lastControlAt = now;
    Outcome outcome;
    if (judgement.verdict == Verdict::Taken) {
        const auto end = state.held.begin() + std::min(state.heldBeforeControl, qsizetype(state.held.size()));
        if (state.lies > 0) {
            // Honest again; but the names it answered since it last lied may have been answered
            // while it still lied: they are asked again, and the next good control confirms.
            state.lies = 0;
            for (auto it = state.held.begin(); it != end; ++it)
                outcome.askAgain.push_back(std::move(it->waiting));
        } else {
            outcome.confirmed.assign(std::make_move_iterator(state.held.begin()), std::make_move_iterator(end));
        }
        state.held.erase(state.held.begin(), end);
        return outcome;
    }
    if (judgement.verdict != Verdict::Free)
        return outcome; // not understood: asked again when next due
    return Lied(host);
}

ControlQueries::Outcome ControlQueries::Lied(const QString &host)
{
    // A registered name "not found": the host lies. Everything it called free since the last
    // good control is in doubt.
    Host &state = m_hosts[host];
    Outcome outcome;
    outcome.lied = true;
    if (++state.lies >= kMostLies) {
        outcome.givenUp = std::move(state.held);
    } else {
        for (Held &held : state.held)
            outcome.askAgain.push_back(std::move(held.waiting));
    }
    state.held.clear();
    state.heldBeforeControl = 0; // a control under way confirms none of the names held after this
    return outcome;
}

int ControlQueries::heldCount() const
{
    int count = 0;
    for (const Host &state : m_hosts)
        count += int(state.held.size());
    return count;
}

std::optional<qint64> ControlQueries::FirstHeldOrdinal() const
{
    std::optional<qint64> first;
    for (const Host &state : m_hosts) {
        for (const Held &held : state.held)
            first = first ? std::min(*first, held.waiting.ordinal) : held.waiting.ordinal;
    }
    return first;
}

QString ControlQueries::LyingReason(const QString &host)
{
    return QStringLiteral("%1 said \"not found\" for a registered name (throttled)").arg(host);
}
