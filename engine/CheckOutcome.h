#pragma once

#include "results/ResultExport.h"

#include <QDateTime>
#include <QString>

// How a checked name ended up.
enum class CheckOutcome
{
    High,
    Mid,
    Low,
    Registered,
    NotFiled, // answered, but a name that is never filed (".com")
    Unchecked // no usable answer
};

// "High", "Mid", "Low", "Registered", "NotFiled", "Unchecked": the list names users see in
// orvelle-check's output and the export.
QString CheckOutcomeName(CheckOutcome outcome);

// A checked name as one row of the export and of orvelle-check's output: the list it went to,
// the reason (why it got no verdict, or how it was settled, "delegated in DNS"), who decided it
// and when.
ExportRow ExportRowOf(const QString &name, CheckOutcome outcome, const QString &reason, const QString &decidedBy,
                      const QDateTime &decidedAt);
