#pragma once

#include "ResultExport.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <limits>
#include <optional>

// Who decided each name and when, for the export of the names the lists still show. A row costs
// little more than its name: the few texts rows repeat (lists, reasons, "whois HOST") are kept
// once and rows point at them, and the time is kept as milliseconds.
//
//     DecisionLog log;
//     log.Remember(row);
//     log.Find("shop.com");          // the row, or nothing
//     log.KeepOnly([&](auto keep) { for (name : shown) keep(name); }); // forget the others
class DecisionLog
{
public:
    void Remember(const ExportRow &row);
    std::optional<ExportRow> Find(const QString &name) const;
    // Forgets the rows of the names that forEachKept(keep) does not call keep(name) for, and the
    // texts only they used. Nothing the size of the log is made on the way.
    void KeepOnly(const std::function<void(const std::function<void(const QString &)> &)> &forEachKept);
    qsizetype size() const { return m_rows.size(); }

private:
    struct Row
    {
        quint32 list = 0; // indices into m_texts
        quint32 reason = 0;
        quint32 decidedBy = 0;
        quint32 keptMark = 0; // the KeepOnly call that last kept the row
        qint64 decidedAtMs = kUnknownTime;
    };
    static constexpr qint64 kUnknownTime = std::numeric_limits<qint64>::min();

    quint32 TextIndex(const QString &text);

    QHash<QString, Row> m_rows;
    QStringList m_texts;
    QHash<QString, quint32> m_textIndex;
    quint32 m_keepCount = 0;
};
