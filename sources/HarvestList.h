#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// The names one harvest (or one browse window) has found, in the order found. A name counts as
// found once, whatever its letter case; names are kept without surrounding blanks.
//
//     HarvestList list;
//     list.Add("Example.com");   // true
//     list.Add("example.COM ");  // false: found already
//     list.Text();               // "Example.com\r\n"
class HarvestList
{
public:
    bool Contains(const QString &name) const;
    // Adds the name (trimmed) unless it was found already; true when it was added.
    bool Add(const QString &name);
    void Clear();

    const QStringList &names() const { return m_names; }
    qsizetype size() const { return m_names.size(); }
    // Every name followed by CR LF.
    QString Text() const;

private:
    static QString Key(const QString &name);

    QStringList m_names;
    QSet<QString> m_keys;
};
