#include "HostLimit.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

constexpr double kFastestPace = 10000; // a pace beyond this is a typing error, not a limit

} // namespace

std::optional<HostLimit> ParseHostLimit(const QString &text, QString *error)
{
    static const QRegularExpression kPace(QStringLiteral("^([0-9]+(?:\\.[0-9]+)?)/([0-9]+)$"));
    static const QRegularExpression kQuota(QStringLiteral("^([0-9]+)/(?:([0-9]+)min|(day))$"));
    const auto fail = [&](const QString &why) -> std::optional<HostLimit> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    static const QRegularExpression kSlash(QStringLiteral("\\s*/\\s*"));
    const QStringList parts =
        QString(text).replace(kSlash, QStringLiteral("/")).simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QRegularExpressionMatch pace = parts.isEmpty() ? QRegularExpressionMatch() : kPace.match(parts.first());
    HostLimit limit;
    bool rateOk = false;
    bool openOk = false;
    if (pace.hasMatch()) {
        limit.perSecond = pace.captured(1).toDouble(&rateOk);
        limit.maxOpen = pace.captured(2).toInt(&openOk);
    }
    if (!rateOk || !openOk || limit.maxOpen < 1 || limit.maxOpen > HostLimit::kMostOpen ||
        limit.perSecond > kFastestPace)
        return fail(QStringLiteral("queries-per-second/connections (1 to %1) comes first").arg(HostLimit::kMostOpen));
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QRegularExpressionMatch quota = kQuota.match(parts.at(i));
        bool countOk = false;
        const int count = quota.hasMatch() ? quota.captured(1).toInt(&countOk) : 0;
        if (!countOk || count < 1)
            return fail(QStringLiteral("\"%1\" is not a quota (N/day or N/Mmin)").arg(parts.at(i)));
        if (!quota.captured(3).isEmpty()) {
            limit.perDay = count;
            continue;
        }
        bool minutesOk = false;
        const int minutes = quota.captured(2).toInt(&minutesOk);
        if (!minutesOk || minutes < 1 || minutes > 24 * 60)
            return fail(QStringLiteral("\"%1\": a window is 1 to 1440 minutes").arg(parts.at(i)));
        limit.windowQueries = count;
        limit.windowMinutes = minutes;
    }
    return limit;
}

QHash<QString, HostLimit> ParseLimitsTable(const QString &text, const QString &source, QStringList *problems)
{
    static const QRegularExpression kRow(QStringLiteral("^([A-Za-z0-9.:-]+)\\s+(\\S.*)$"));
    QHash<QString, HostLimit> limits;
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\\r\\n|\\n|\\r")));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).section(QLatin1Char('#'), 0, 0).trimmed();
        if (line.isEmpty())
            continue;
        const QRegularExpressionMatch match = kRow.match(line);
        QString why = QStringLiteral("no limit after the host");
        const std::optional<HostLimit> limit = match.hasMatch() ? ParseHostLimit(match.captured(2), &why) : std::nullopt;
        if (!limit) {
            if (problems)
                problems->append(QStringLiteral("%1 line %2: \"%3\" is not host<TAB>queries-per-second/"
                                                "connections [N/Mmin] [N/day]: %4")
                                     .arg(source)
                                     .arg(i + 1)
                                     .arg(line, why));
            continue;
        }
        limits.insert(match.captured(1).toLower(), *limit);
    }
    return limits;
}
