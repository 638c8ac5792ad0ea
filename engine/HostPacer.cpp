#include "HostPacer.h"

#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kSafety = 0.8;      // the pace after a refusal: this share of the one answered
constexpr double kSlowestPace = 0.1; // never slower than one query every ten seconds
constexpr int kAnswersKept = 1000;   // answers remembered per host for the pace

} // namespace

const HostLimit HostPacer::kDefault = {0, 25};
const HostLimit HostPacer::kHttpDefault = {0, 6};

const QHash<QString, HostLimit> &HostPacer::BuiltInLimits()
{
    // Published limits: Nominet 5 a second; SIDN about 1 a second; EURid 15 a minute;
    // CentralNic 1,800 in 15 minutes; the .ie registry asks for no more than one at a time.
    static const QHash<QString, HostLimit> limits = {
        {QStringLiteral("whois.nic.uk"), {5, 5}},  {QStringLiteral("whois.domain-registry.nl"), {1, 1}},
        {QStringLiteral("whois.eu"), {0.25, 1}},   {QStringLiteral("whois.centralnic.com"), {2, 2}},
        {QStringLiteral("whois.nic.xyz"), {2, 2}}, {QStringLiteral("whois.weare.ie"), {1, 1}},
    };
    return limits;
}

std::optional<QHash<QString, HostLimit>> HostPacer::ParseLimits(const QString &text, QString *error)
{
    static const QRegularExpression kEntry(
        QStringLiteral("^\\s*([A-Za-z0-9.-]+)\\s*=\\s*([0-9]+(?:\\.[0-9]+)?)\\s*/\\s*([0-9]+)\\s*$"));
    QHash<QString, HostLimit> limits;
    for (const QString &entry : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (entry.trimmed().isEmpty())
            continue;
        const QRegularExpressionMatch match = kEntry.match(entry);
        bool rateOk = false;
        bool openOk = false;
        const double perSecond = match.hasMatch() ? match.captured(2).toDouble(&rateOk) : 0;
        const int maxOpen = match.hasMatch() ? match.captured(3).toInt(&openOk) : 0;
        if (!rateOk || !openOk || maxOpen < 1 || maxOpen > 25 || perSecond > 10000) {
            if (error)
                *error = QStringLiteral("\"%1\" is not host=queries-per-second/open-connections (1 to 25)")
                             .arg(entry.trimmed());
            return std::nullopt;
        }
        limits.insert(match.captured(1).toLower(), HostLimit{perSecond, maxOpen});
    }
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
    const QString key = host.toLower();
    if (const auto user = m_userLimits.constFind(key); user != m_userLimits.constEnd())
        return *user;
    return BuiltInLimits().value(key, m_httpHosts.contains(key) ? kHttpDefault : kDefault);
}

HostLimit HostPacer::EffectiveLimit(const QString &host, const HostState *state) const
{
    return state && state->learned ? *state->learned : LimitFor(host);
}

void HostPacer::Reset()
{
    m_hosts.clear();
}

qint64 HostPacer::WaitFor(const QString &host, qint64 now) const
{
    const auto found = m_hosts.constFind(host);
    if (found == m_hosts.constEnd())
        return 0;
    const HostState &state = *found;
    if (state.open >= EffectiveLimit(host, &state).maxOpen)
        return -1; // until one of its queries ends
    return std::max<qint64>(0, std::max(state.coolUntil, state.nextStart) - now);
}

void HostPacer::Started(const QString &host, qint64 now)
{
    HostState &state = m_hosts[host];
    ++state.open;
    const double perSecond = EffectiveLimit(host, &state).perSecond;
    if (perSecond > 0)
        state.nextStart = std::max(now, state.nextStart) + static_cast<qint64>(std::ceil(1000.0 / perSecond));
}

void HostPacer::Ended(const QString &host)
{
    HostState &state = m_hosts[host];
    state.open = std::max(0, state.open - 1);
}

void HostPacer::Answered(const QString &host, qint64 now)
{
    HostState &state = m_hosts[host];
    state.refusals = 0;
    state.answers.append(now);
    if (state.answers.size() > kAnswersKept)
        state.answers.removeFirst();
}

qint64 HostPacer::Refused(const QString &host, qint64 now, qint64 serverCoolDownMs)
{
    HostState &state = m_hosts[host];
    if (now < state.coolUntil)
        return 0; // sent before the host said no; the cool-down already runs

    // The pace it answered at before it refused, a little slower.
    const qint64 windowStart = now - m_timings.paceWindowMs;
    const auto recent = std::count_if(state.answers.begin(), state.answers.end(),
                                      [&](qint64 at) { return at >= windowStart; });
    qint64 span = m_timings.paceWindowMs;
    for (const qint64 at : state.answers) {
        if (at >= windowStart) {
            span = std::clamp<qint64>(now - at, m_timings.minPaceWindowMs, m_timings.paceWindowMs);
            break;
        }
    }
    // A host that refused before it answered anything is asked once per first cool-down.
    const double oncePerCoolDown = 1000.0 / std::max(1, m_timings.coolDownBaseMs);
    const HostLimit before = EffectiveLimit(host, &state);
    double pace = recent > 0 ? kSafety * static_cast<double>(recent) * 1000.0 / static_cast<double>(span)
                             : oncePerCoolDown;
    if (state.learned)
        pace = std::min(pace, state.learned->perSecond / 2); // refused again at the learned pace
    if (before.perSecond > 0)
        pace = std::min(pace, before.perSecond);
    pace = std::max(pace, std::min(kSlowestPace, oncePerCoolDown));
    state.learned = HostLimit{pace, std::clamp(static_cast<int>(std::ceil(pace)), 1, before.maxOpen)};

    ++state.refusals;
    const double grown = m_timings.coolDownBaseMs * std::pow(2.0, std::min(state.refusals - 1, 20));
    const double capped = std::min(grown, static_cast<double>(m_timings.coolDownCapMs));
    // A host that says how long to wait (RDAP's Retry-After) is taken at its word, within the cap.
    const auto coolDown = serverCoolDownMs >= 0 ? std::min<qint64>(serverCoolDownMs, m_timings.coolDownCapMs)
                                                : static_cast<qint64>(capped * (0.8 + 0.4 * m_random()));
    state.coolUntil = now + coolDown;
    state.nextStart = std::max(state.nextStart, state.coolUntil);
    return coolDown;
}

bool HostPacer::isCoolingDown(const QString &host, qint64 now) const
{
    const auto found = m_hosts.constFind(host);
    return found != m_hosts.constEnd() && now < found->coolUntil;
}

int HostPacer::openCount(const QString &host) const
{
    return m_hosts.value(host).open;
}
