#include "RunStatus.h"

namespace RunStatus {

QString IdleText(int panel)
{
    switch (panel) {
    case 1:
        return QStringLiteral("Entry Status");
    case 2:
        return QStringLiteral("Open Connections");
    default:
        return QStringLiteral("Connection Status");
    }
}

std::optional<QString> ProgressText(qint64 position, qint64 total)
{
    if (total < position)
        return std::nullopt;
    return QString::number(position) + QStringLiteral(" of ") + QString::number(total);
}

QString OpenConnectionsText(qint64 position, qint64 total, int open)
{
    if (total < position)
        return QStringLiteral("Open: Closing connections...");
    return QStringLiteral("Open: ") + QString::number(open);
}

} // namespace RunStatus
