#pragma once

#include <QMap>
#include <QString>

// How many names of a run (or of a window) got no verdict, and for which reasons: what the
// status bar's "No verdict: n" and its tooltip show.
class NoVerdictTally
{
public:
    void Add(const QString &reason)
    {
        ++m_count;
        ++m_reasons[reason];
    }
    void Clear()
    {
        m_count = 0;
        m_reasons.clear();
    }
    int count() const { return m_count; }
    const QMap<QString, int> &reasons() const { return m_reasons; }

private:
    int m_count = 0;
    QMap<QString, int> m_reasons;
};
