#include "WholeNumber.h"

std::optional<qint64> ParseWhole(const QString &text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? std::optional(value) : std::nullopt;
}
