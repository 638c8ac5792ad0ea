#include "HostPacer.h"

#include "DomainName.h"

#include <QDateTime>
#include <QFile>

#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kSafety = 0.8;            // the pace after a refusal: this share of the one answered
constexpr double kRaise = 2;               // a cut pace doubles at a time while far from a refusal
constexpr double kNearRefusal = 0.97;      // a pace this close to the one refused at stays a while
constexpr int kRaisesBeforePast = 30;      // clean stretches near it before it tries past it
constexpr double kLeastRaise = 1.02;       // and then rises this much
constexpr double kNearMiss = 1.03;         // a remembered pace was held just below one refused this much faster
constexpr double kNoSpacingAbove = 1000;   // a pace this fast is no limit at all
constexpr std::size_t kAnswersKept = 1000; // answers remembered per host for the pace

} // namespace

const HostLimit HostPacer::kDefault = {0, HostLimit::kMostOpen};
const HostLimit HostPacer::kHttpDefault = {0, 6};

const QHash<QString, HostLimit> &HostPacer::BuiltInLimits()
{
    // The published limits are data shipped inside the program (data/whois-limits.txt).
    static const QHash<QString, HostLimit> limits = [] {
        QFile file(QStringLiteral(":/orvelle/whois-limits.txt"));
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        return ParseLimitsTable(QString::fromUtf8(bytes), QStringLiteral("whois-limits.txt"));
    }();
    return limits;
}

HostPacer::HostPacer(Timings timings, Random random) : m_timings(timings), m_random(std::move(random))
{
    if (!m_random)
        m_random = [] {
            return QRandomGenerator::global()->generateDouble();
        };
}

HostLimit HostPacer::LimitFor(const QString &host) const
{
    if (host == m_limitHost && !host.isEmpty())
        return m_limitOfHost;
    const QString key = LowerCaseName(host);
    HostLimit limit;
    if (const auto user = m_userLimits.constFind(key); user != m_userLimits.constEnd())
        limit = *user;
    else if (const auto file = m_fileLimits.constFind(key); file != m_fileLimits.constEnd())
        limit = *file;
    else
        limit = BuiltInLimits().value(key, m_httpHosts.contains(key) ? kHttpDefault : kDefault);
    m_limitHost = host;
    m_limitOfHost = limit;
    return limit;
}

bool HostPacer::HasKnownLimit(const QString &host) const
{
    const QString key = LowerCaseName(host);
    return m_userLimits.contains(key) || m_fileLimits.contains(key) || BuiltInLimits().contains(key);
}

HostPacer::HostState &HostPacer::StateOf(const QString &host)
{
    const QString key = LowerCaseName(host);
    auto found = m_hosts.find(key);
    if (found == m_hosts.end()) {
        found = m_hosts.insert(key, HostState());
        if (!HasKnownLimit(key))
            found->slowStartOpen = kSlowStartOpen;
    }
    return *found;
}

HostLimit HostPacer::EffectiveLimit(const QString &host, const HostState *state) const
{
    HostLimit limit = LimitFor(host);
    if (!state)
        return limit;
    if (state->pace)
        limit = {state->pace->perSecond, std::min(state->pace->maxOpen, limit.maxOpen)};
    if (state->slowStartOpen > 0)
        limit.maxOpen = std::min(limit.maxOpen, state->slowStartOpen);
    return limit;
}

void HostPacer::Reset(qint64 now, const QHash<QString, Learned> &remembered)
{
    m_hosts.clear();
    for (auto it = remembered.cbegin(); it != remembered.cend(); ++it) {
        const QString key = it.key().toLower();
        const HostLimit configured = LimitFor(key);
        const double pace = std::max(it->limit.perSecond, kSlowestPace);
        if (m_userLimits.contains(key) || (configured.perSecond > 0 && pace >= configured.perSecond))
            continue;
        HostState &state = m_hosts[key];
        state.pace = HostLimit{pace, std::clamp(it->limit.maxOpen, 1, configured.maxOpen)};
        state.learned = *it;
        state.lastRaise = now;
        // It refused a faster pace before, a little faster than this one at most: it comes up to
        // that one slowly, as after a second refusal.
        state.refusals = 2;
        state.refusedPace = pace * kNearMiss;
    }
}

qint64 HostPacer::WaitFor(const QString &host, qint64 now) const
{
    const std::optional<QueryQuota::Spent> spent = QuotaSpent(host, now);
    if (spent && spent->waitMs > kQuotaWaitMs)
        return kQuotaSpent;
    const auto found = m_hosts.constFind(LowerCaseName(host));
    if (found == m_hosts.constEnd())
        return spent ? spent->waitMs : 0;
    const HostState &state = *found;
    if (state.open >= EffectiveLimit(host, &state).maxOpen)
        return -1;
    return std::max({qint64(0), state.coolUntil - now, state.nextStart - now, spent ? spent->waitMs : 0});
}

std::optional<QueryQuota::Spent> HostPacer::QuotaSpent(const QString &host, qint64 now) const
{
    const HostLimit limit = LimitFor(host);
    return limit.hasQuota() ? m_quota.SpentAt(host, limit, now) : std::nullopt;
}

QString HostPacer::QuotaReason(const QString &host, qint64 now) const
{
    const std::optional<QueryQuota::Spent> spent = QuotaSpent(host, now);
    if (!spent)
        return QString();
    const QDateTime next = QDateTime::currentDateTime().addMSecs(spent->waitMs);
    return QueryQuota::Reason(host, *spent, next.toString(QStringLiteral("HH:mm")));
}

qint64 HostPacer::AnswerCount(const QString &host) const
{
    const auto found = m_hosts.constFind(LowerCaseName(host));
    return found == m_hosts.constEnd() ? 0 : found->answerCount;
}

void HostPacer::Started(const QString &host, qint64 now)
{
    HostState &state = StateOf(host);
    ++state.open;
    if (LimitFor(host).hasQuota())
        m_quota.Count(host, now);
    const double perSecond = EffectiveLimit(host, &state).perSecond;
    if (perSecond > 0)
        state.nextStart = std::max(now, state.nextStart) + static_cast<qint64>(std::ceil(1000.0 / perSecond));
}

void HostPacer::Ended(const QString &host)
{
    HostState &state = StateOf(host);
    state.open = std::max(0, state.open - 1);
}

void HostPacer::Answered(const QString &host, qint64 startedAt, qint64 now)
{
    HostState &state = StateOf(host);
    const qint64 roundTrip = std::max<qint64>(0, now - startedAt);
    state.roundTrip = state.lastAnswer < 0 ? roundTrip : (7 * state.roundTrip + roundTrip) / 8;
    state.lastAnswer = now;
    ++state.answerCount;
    state.answers.push_back(now);
    while (!state.answers.empty() &&
           (state.answers.front() < now - m_timings.paceWindowMs || state.answers.size() > kAnswersKept))
        state.answers.pop_front();
    // Only an answer to a query sent after the last refusal shows the host is willing again; the
    // answers to earlier ones were on their way before it said no, and tell the pace it took.
    if (startedAt <= state.lastRefusal) {
        if (state.pace && state.measuredSpan > 0 && now < state.coolUntil) {
            const double pace = kSafety * static_cast<double>(++state.measuredAnswers) * 1000.0 /
                                static_cast<double>(state.measuredSpan);
            state.pace->perSecond = std::max(state.pace->perSecond, std::min(pace, state.paceCeiling));
            state.pace->maxOpen =
                std::clamp(static_cast<int>(std::ceil(state.pace->perSecond)), 1, LimitFor(host).maxOpen);
        }
        return;
    }
    state.answeredSinceRefusal = true;
    state.coolDowns = 0;
    if (state.slowStartOpen > 0 && ++state.answersThisRound >= state.slowStartOpen) {
        state.slowStartOpen *= 2;
        state.answersThisRound = 0;
        if (state.slowStartOpen >= LimitFor(host).maxOpen)
            state.slowStartOpen = 0;
    }
    if (state.pace && now >= state.coolUntil &&
        now - std::max(state.lastRaise, state.coolUntil) >= std::max<qint64>(m_timings.raiseEveryMs, state.roundTrip))
        RaisePace(host, state, now);
}

void HostPacer::RaisePace(const QString &host, HostState &state, qint64 now)
{
    // It held this pace without a refusal: what it learned, unless it rises back to full speed.
    const double held = state.pace->perSecond;
    state.learned = Learned{*state.pace, now};
    state.lastRaise = now;
    if (held > state.refusedPace)
        state.refusedPace = 0; // it held a pace past the one it refused at: no ceiling any more
    double pace = held * kRaise;
    if (state.refusals > 1 && state.refusedPace > 0 && pace > state.refusedPace) {
        // Refused more than once, so near the pace it refused at: halve the distance, and hold
        // just below it for a while before trying past it (it may have been one name's refusal).
        if (held < kNearRefusal * state.refusedPace)
            pace = held + (state.refusedPace - held) / 2;
        else if (++state.raisesNearRefusal < kRaisesBeforePast)
            pace = held;
        else
            pace = std::max(held * kLeastRaise, state.refusedPace * kLeastRaise);
    }
    const HostLimit configured = LimitFor(host);
    if ((configured.perSecond > 0 && pace >= configured.perSecond) || pace >= kNoSpacingAbove) {
        state.pace.reset(); // back at the configured limit
        state.learned.reset();
        return;
    }
    state.pace = HostLimit{pace, std::clamp(static_cast<int>(std::ceil(pace)), 1, configured.maxOpen)};
}

qint64 HostPacer::Refused(const QString &host, qint64 startedAt, qint64 now, qint64 serverCoolDownMs)
{
    HostState &state = StateOf(host);
    const qint64 cap = m_timings.coolDownCapMs;
    if (startedAt <= state.lastRefusal) {
        // Sent before the host said no: the same episode. Only a longer wait it asks for counts.
        const qint64 until = serverCoolDownMs >= 0 ? now + std::min(serverCoolDownMs, cap) : 0;
        if (until <= state.coolUntil)
            return 0;
        state.coolUntil = until;
        state.nextStart = std::max(state.nextStart, until);
        return until - now;
    }

    // Refused again right after the short rest of a first refusal: it counts queries in a window
    // of its own, and rests as a host that was answering, not as one that answers nothing.
    const bool shortRested = state.refusals == 1 && state.coolDowns == 0 && state.lastRefusal >= 0 &&
                             now - state.lastRefusal <= 2 * m_timings.restMs;
    const bool answering = SetPaceAfterRefusal(host, state, now) || shortRested;
    qint64 coolDown = 0;
    if (serverCoolDownMs >= 0) {
        coolDown = std::min(serverCoolDownMs, cap);
    } else if (answering) {
        // A first refusal may be one name's: a short rest; a host that refuses again rests long
        // enough for its own window of counted queries to run out.
        coolDown = std::min<qint64>(state.refusals > 1 ? m_timings.restMs : m_timings.restMs / 10, cap);
    } else {
        const double grown = m_timings.coolDownBaseMs * std::pow(2.0, std::min(state.coolDowns, 20));
        // The jitter stays inside the cap.
        coolDown = static_cast<qint64>(std::min(grown * (0.8 + 0.4 * m_random()), static_cast<double>(cap)));
    }
    if (!answering)
        ++state.coolDowns;
    state.lastRefusal = now;
    state.answeredSinceRefusal = false;
    state.coolUntil = now + coolDown;
    state.nextStart = std::max(state.nextStart, state.coolUntil);
    return coolDown;
}

bool HostPacer::SetPaceAfterRefusal(const QString &host, HostState &state, qint64 now)
{
    // The pace it answered at just before, a little slower; half the pace it refused at when it
    // answered nothing since its last refusal.
    const HostLimit configured = LimitFor(host);
    // The answers since it last rested (a rest would make the pace it answered at look slower).
    const qint64 windowStart =
        std::max(now - m_timings.paceWindowMs, state.answeredSinceRefusal ? state.coolUntil : qint64(0));
    const auto firstRecent = std::find_if(state.answers.begin(), state.answers.end(),
                                          [&](qint64 at) { return at >= windowStart; });
    const auto recent = std::distance(firstRecent, state.answers.end());
    const bool answering = state.answeredSinceRefusal && recent > 0;
    if (recent > 0 || state.pace) {
        double pace = std::numeric_limits<double>::max();
        state.measuredSpan = 0;
        if (recent > 0) {
            state.measuredAnswers = recent;
            // A first refusal may be one name's: measured over the answers' own span (or a
            // round trip). A host that refuses again is counting queries in a window of its own:
            // measured over no less than a rest.
            const qint64 shortest = std::max<qint64>({qint64(m_timings.minPaceWindowMs), state.roundTrip,
                                                      state.refusals > 0 ? qint64(m_timings.restMs) : 0});
            state.measuredSpan = std::clamp<qint64>(now - *firstRecent, shortest, m_timings.paceWindowMs);
            const double reached = static_cast<double>(recent) * 1000.0 / static_cast<double>(state.measuredSpan);
            const double asked = EffectiveLimit(host, &state).perSecond;
            state.refusedPace = asked > 0 ? std::min(reached, asked) : reached;
            state.raisesNearRefusal = 0;
            ++state.refusals;
            pace = kSafety * state.refusedPace;
        }
        state.paceCeiling = std::numeric_limits<double>::max();
        if (state.pace && !answering)
            state.paceCeiling = state.pace->perSecond / 2;
        if (configured.perSecond > 0)
            state.paceCeiling = std::min(state.paceCeiling, configured.perSecond);
        // Never below the pace it last held cleanly, when it refused a faster one.
        if (answering && state.learned && state.learned->limit.perSecond < EffectiveLimit(host, &state).perSecond)
            pace = std::max(pace, state.learned->limit.perSecond);
        pace = std::max(std::min(pace, state.paceCeiling), kSlowestPace);
        state.pace = HostLimit{pace, std::clamp(static_cast<int>(std::ceil(pace)), 1, configured.maxOpen)};
        state.slowStartOpen = 0;
    } else if (!HasKnownLimit(host)) {
        // It never answered: after the cool-down it is probed again from a few queries at once.
        state.slowStartOpen = kSlowStartOpen;
        state.answersThisRound = 0;
    }
    state.lastRaise = now;
    return answering;
}

bool HostPacer::isCoolingDown(const QString &host, qint64 now) const
{
    const auto found = m_hosts.constFind(LowerCaseName(host));
    return found != m_hosts.constEnd() && now < found->coolUntil;
}

int HostPacer::openCount(const QString &host) const
{
    return m_hosts.value(LowerCaseName(host)).open;
}

double HostPacer::PaceOf(const QString &host) const
{
    const auto found = m_hosts.constFind(LowerCaseName(host));
    return EffectiveLimit(host, found == m_hosts.constEnd() ? nullptr : &*found).perSecond;
}

QList<HostPacer::Paced> HostPacer::PacedHosts(qint64 now) const
{
    QList<Paced> paced;
    for (auto it = m_hosts.cbegin(); it != m_hosts.cend(); ++it) {
        if (it->pace || it->coolUntil > now)
            paced.append(
                {it.key(), it->pace ? it->pace->perSecond : 0, std::max<qint64>(0, it->coolUntil - now)});
    }
    std::sort(paced.begin(), paced.end(), [](const Paced &a, const Paced &b) { return a.host < b.host; });
    return paced;
}

QHash<QString, HostPacer::Learned> HostPacer::LearnedPaces() const
{
    QHash<QString, Learned> learned;
    for (auto it = m_hosts.cbegin(); it != m_hosts.cend(); ++it) {
        if (it->learned)
            learned.insert(it.key(), *it->learned);
    }
    return learned;
}

QHash<QString, RememberedPace> HostPacer::RememberedPaces(qint64 now) const
{
    QHash<QString, RememberedPace> paces;
    const QHash<QString, Learned> learned = LearnedPaces();
    for (auto it = learned.cbegin(); it != learned.cend(); ++it)
        paces.insert(it.key(), {it->limit, std::max<qint64>(0, now - it->at)});
    return paces;
}

void HostPacer::Begin(qint64 now, const QHash<QString, RememberedPace> &remembered)
{
    QHash<QString, Learned> learned;
    for (auto it = remembered.cbegin(); it != remembered.cend(); ++it)
        learned.insert(it.key(), {it->limit, now - it->ageMs});
    Reset(now, learned);
}
