#include "RunStatus.h"

#include <QDir>

#include <algorithm>

namespace RunStatus {

std::optional<QString> ProgressText(qint64 position, qint64 total)
{
    if (total < position)
        return std::nullopt;
    return QString::number(position) + QStringLiteral(" of ") + QString::number(total);
}

QString PacedText(const QList<HostPacer::Paced> &paced)
{
    return paced.isEmpty() ? QString() : QStringLiteral("Paced: %1").arg(paced.size());
}

QString PacedToolTip(const QList<HostPacer::Paced> &paced)
{
    if (paced.isEmpty())
        return QString();
    QStringList lines{QStringLiteral("Servers asked slower than their limit, after they refused to answer:")};
    for (const HostPacer::Paced &host : paced) {
        QString line = host.host + QStringLiteral(": ");
        if (host.coolingMs > 0)
            line += QStringLiteral("cooling down, %1 s left").arg((host.coolingMs + 999) / 1000);
        if (host.coolingMs > 0 && host.perSecond > 0)
            line += QStringLiteral(", then ");
        if (host.perSecond > 0)
            line += QStringLiteral("%1 queries a second")
                        .arg(host.perSecond, 0, 'f', host.perSecond < 10 ? 1 : 0);
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

QString DnsText(const CheckEngine::DnsCounts &counts)
{
    QString text = QStringLiteral("DNS: %1 registered, %2 asked over whois")
                       .arg(counts.registered)
                       .arg(counts.overWhois);
    if (counts.turnedOff)
        text += QStringLiteral(" (DNS turned off: no answer)");
    return text;
}

QString DnsToolTip(const CheckEngine::DnsCounts &counts)
{
    return QStringLiteral(
               "Names delegated in DNS are registered and need no whois question; the others are "
               "asked over whois.\nDNS failures (no answer in time, server failures, refusals): %1%2")
        .arg(counts.failures)
        .arg(counts.turnedOff ? QStringLiteral("\nNo DNS server answered: the check turned itself off for this "
                                               "search, and every name is asked over whois.")
                              : QString());
}

QString OpenConnectionsText(qint64 position, qint64 total, int open)
{
    if (total < position)
        return QStringLiteral("Open: Closing connections...");
    return QStringLiteral("Open: ") + QString::number(open);
}

QString NoVerdictText(int count)
{
    return QStringLiteral("No verdict: %1").arg(count);
}

QString HeldText(int held)
{
    return held > 0 ? QStringLiteral("  Held: %1").arg(held) : QString();
}

QString HeldToolTip(int held)
{
    if (held <= 0)
        return QString();
    return QStringLiteral("\n%1 free names wait for a control query: their whois host is asked a name known "
                          "to be registered, so that a host that answers \"not found\" to everything while it "
                          "throttles cannot make them free.")
        .arg(held);
}

QString NoVerdictToolTip(int count, const QMap<QString, int> &reasons, const QString &file,
                         const QString &whose)
{
    QList<QPair<int, QString>> byCount;
    for (auto it = reasons.cbegin(); it != reasons.cend(); ++it)
        byCount.append({-it.value(), it.key()});
    std::sort(byCount.begin(), byCount.end());
    constexpr int kShownReasons = 8;
    QString shown;
    for (int i = 0; i < byCount.size() && i < kShownReasons; ++i)
        shown += QStringLiteral("\n%1: %2").arg(byCount.at(i).second).arg(-byCount.at(i).first);
    if (byCount.size() > kShownReasons)
        shown += QStringLiteral("\n(%1 other reasons)").arg(byCount.size() - kShownReasons);
    return QStringLiteral("%1 names of %2 got no answer. They are kept in %3; choose \"Custom List\" "
                          "and that file to check them again.%4")
        .arg(count)
        .arg(whose, QDir::toNativeSeparators(file), shown);
}

QString DurationText(qint64 seconds)
{
    if (seconds < 60)
        return QStringLiteral("%1 s").arg(seconds);
    const qint64 minutes = (seconds + 30) / 60;
    if (minutes < 60)
        return QStringLiteral("%1 min").arg(minutes);
    if (minutes < 24 * 60)
        return QStringLiteral("%1 h %2 min").arg(minutes / 60).arg(minutes % 60);
    const qint64 hours = (minutes + 30) / 60;
    return QStringLiteral("%1 d %2 h").arg(hours / 24).arg(hours % 24);
}

QString SpeedText(double namesPerSecond, std::optional<qint64> secondsLeft)
{
    QString text = QStringLiteral("%1 names/s").arg(namesPerSecond, 0, 'f', 1);
    if (secondsLeft)
        text += QStringLiteral(", %1 left").arg(DurationText(*secondsLeft));
    return text;
}

} // namespace RunStatus
