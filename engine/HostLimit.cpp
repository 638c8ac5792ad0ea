#include "HostLimit.h"

#include <QRegularExpression>
#include <QStringList>

QHash<QString, HostLimit> ParseLimitsTable(const QString &text, const QString &source, QStringList *problems)
{
    static const QRegularExpression kRow(
        QStringLiteral("^([A-Za-z0-9.:-]+)\\s+([0-9]+(?:\\.[0-9]+)?)\\s*/\\s*([0-9]+)\\s*$"));
    QHash<QString, HostLimit> limits;
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\\r\\n|\\n|\\r")));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).section(QLatin1Char('#'), 0, 0).trimmed();
        if (line.isEmpty())
            continue;
        const QRegularExpressionMatch match = kRow.match(line);
        const int maxOpen = match.hasMatch() ? match.captured(3).toInt() : 0;
        if (!match.hasMatch() || maxOpen < 1 || maxOpen > HostLimit::kMostOpen) {
            if (problems)
                problems->append(QStringLiteral("%1 line %2: \"%3\" is not host<TAB>queries-per-second/"
                                                "connections (1 to %4)")
                                     .arg(source)
                                     .arg(i + 1)
                                     .arg(line)
                                     .arg(HostLimit::kMostOpen));
            continue;
        }
        limits.insert(match.captured(1).toLower(), HostLimit{match.captured(2).toDouble(), maxOpen});
    }
    return limits;
}
