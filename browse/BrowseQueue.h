#pragma once

#include "sources/CandidateFile.h"

#include <QString>
#include <QStringList>

#include <optional>

// The browse window's queue of names to check, the file "BrowseQueue.txt": each scan appends
// its names, one per line, then an empty line. It lives as long as the window: deleted when it
// opens and when it closes. Reading by position does not rescan the file.
class BrowseQueue
{
public:
    explicit BrowseQueue(QString path) : m_path(std::move(path)) {}

    const QString &path() const { return m_path; }
    // Deletes the file.
    bool Reset();
    // Appends one scan's names (an empty scan appends the empty line only).
    bool Append(const QStringList &names);
    // The name at a 0-based position among the queued names; nothing past the last one, or
    // before the first scan has written the file.
    std::optional<QString> ReadQueuedName(qint64 index);

private:
    QString m_path;
    CandidateFile m_reader;
};
