#include "DecisionLog.h"

quint32 DecisionLog::TextIndex(const QString &text)
{
    const auto found = m_textIndex.constFind(text);
    if (found != m_textIndex.cend())
        return *found;
    const auto index = static_cast<quint32>(m_texts.size());
    m_texts.append(text);
    m_textIndex.insert(text, index);
    return index;
}

void DecisionLog::Remember(const ExportRow &row)
{
    m_rows.insert(row.name, Row{TextIndex(row.list), TextIndex(row.reason), TextIndex(row.decidedBy), 0,
                                row.decidedAt.isValid() ? row.decidedAt.toMSecsSinceEpoch() : kUnknownTime});
}

std::optional<ExportRow> DecisionLog::Find(const QString &name) const
{
    const auto found = m_rows.constFind(name);
    if (found == m_rows.cend())
        return std::nullopt;
    const Row &row = *found;
    return ExportRow{found.key(), m_texts.at(row.list), m_texts.at(row.reason), m_texts.at(row.decidedBy),
                     row.decidedAtMs == kUnknownTime ? QDateTime()
                                                     : QDateTime::fromMSecsSinceEpoch(row.decidedAtMs, Qt::UTC)};
}

void DecisionLog::KeepOnly(const std::function<void(const std::function<void(const QString &)> &)> &forEachKept)
{
    const quint32 mark = ++m_keepCount;
    forEachKept([&](const QString &name) {
        const auto found = m_rows.find(name);
        if (found != m_rows.end())
            found->keptMark = mark;
    });
    m_rows.removeIf([mark](const auto &entry) { return entry.value().keptMark != mark; });
    // Texts of one name each (times in reasons) do not pile up: the table is built again from
    // the rows kept.
    const QStringList texts = std::exchange(m_texts, {});
    m_textIndex.clear();
    for (Row &row : m_rows) {
        row.list = TextIndex(texts.at(row.list));
        row.reason = TextIndex(texts.at(row.reason));
        row.decidedBy = TextIndex(texts.at(row.decidedBy));
    }
}
