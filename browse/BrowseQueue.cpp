#include "BrowseQueue.h"

#include "platform/TextFile.h"

#include <QFile>

bool BrowseQueue::Reset()
{
    return !QFile::exists(m_path) || QFile::remove(m_path);
}

bool BrowseQueue::Append(const QStringList &names)
{
    QString text;
    for (const QString &name : names)
        text += name + QStringLiteral("\r\n");
    return TextFile::Append(m_path, text + QStringLiteral("\r\n"));
}

std::optional<QString> BrowseQueue::ReadQueuedName(qint64 index)
{
    if (!QFile::exists(m_path))
        return std::nullopt;
    return m_reader.ReadCandidate(m_path, index + 1);
}
