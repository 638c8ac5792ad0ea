#include "CheckOutcome.h"

QString CheckOutcomeName(CheckOutcome outcome)
{
    switch (outcome) {
    case CheckOutcome::High:
        return QStringLiteral("High");
    case CheckOutcome::Mid:
        return QStringLiteral("Mid");
    case CheckOutcome::Low:
        return QStringLiteral("Low");
    case CheckOutcome::Registered:
        return QStringLiteral("Registered");
    case CheckOutcome::NotFiled:
        return QStringLiteral("NotFiled");
    case CheckOutcome::Unchecked:
        break;
    }
    return QStringLiteral("Unchecked");
}

ExportRow ExportRowOf(const QString &name, CheckOutcome outcome, const QString &reason, const QString &decidedBy,
                      const QDateTime &decidedAt)
{
    return {name, CheckOutcomeName(outcome), reason, decidedBy, decidedAt};
}
