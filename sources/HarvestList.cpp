#include "HarvestList.h"

QString HarvestList::Key(const QString &name)
{
    return name.trimmed().toCaseFolded();
}

bool HarvestList::Contains(const QString &name) const
{
    return m_keys.contains(Key(name));
}

bool HarvestList::Add(const QString &name)
{
    const QString key = Key(name);
    if (m_keys.contains(key))
        return false;
    m_keys.insert(key);
    m_names.append(name.trimmed());
    return true;
}

void HarvestList::Clear()
{
    m_names.clear();
    m_keys.clear();
}

QString HarvestList::Text() const
{
    QString text;
    for (const QString &name : m_names)
        text += name + QStringLiteral("\r\n");
    return text;
}
