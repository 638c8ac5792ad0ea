#pragma once

#include "ResultLists.h"
#include "platform/AppendingFile.h"

#include <QSet>
#include <QString>

#include <map>

// The names a run filed ahead of its stored position, kept in a file so that a run resumed
// after a crash, a kill or a Stop does not file them a second time, whichever earlier run filed
// them. A run's stored position is the first name without a verdict; names after it may have
// been filed already, and the next run asks them again.
//
// The first line names the candidate list, "list<TAB>path"; then one line per filing,
// "ordinal<TAB>list<TAB>name" (ordinal: the name's place in the candidate list, see
// CheckEngine::kExtensionSlots). Entries before the stored position are no
// longer needed and are forgotten; the file is rewritten once they outnumber the others, so
// both the file and the memory stay within the read-ahead of one run.
//
//     FiledJournal journal(paths.filedAhead());
//     const QSet<QString> filed = journal.Load(listPath, resumeOrdinal); // Key(list, name) of each
//     journal.Add(ordinal, ResultList::High, "shop.com");
//     journal.Forget(storedOrdinal);
class FiledJournal
{
public:
    explicit FiledJournal(QString path) : m_file(path), m_path(std::move(path)) {}

    const QString &path() const { return m_path; }
    static QString Key(ResultList list, const QString &name);

    // Reads the file; returns the keys of the entries at or after fromOrdinal and keeps them.
    // A journal of another candidate list is started over for this one.
    QSet<QString> Load(const QString &candidateList, qint64 fromOrdinal);
    // Starts over for a candidate list, forgetting every entry (a run from the list's start).
    bool Reset(const QString &candidateList);
    // A name was filed at this ordinal. False when the file could not be written.
    bool Add(qint64 ordinal, ResultList list, const QString &name);
    // The same, written by the next Flush(): the names of one turn of the event loop go in one
    // write.
    void Note(qint64 ordinal, ResultList list, const QString &name);
    // Writes what was noted since the last write. False when the file could not be written.
    bool Flush();
    // The stored position reached this ordinal: earlier entries are forgotten.
    bool Forget(qint64 beforeOrdinal);

    // Entries kept in memory (at or after the position last given to Load or Forget).
    qsizetype size() const { return static_cast<qsizetype>(m_entries.size()); }

    // Rewrites once this many entries were forgotten and they outnumber those kept.
    static constexpr qsizetype kRewriteAfter = 1000;

private:
    bool Rewrite();

    AppendingFile m_file; // kept open for the lines added between rewrites
    QString m_path;
    QString m_header; // the first line, naming the candidate list
    std::multimap<qint64, QString> m_entries; // ordinal -> line without its end
    qsizetype m_forgottenInFile = 0;
    QByteArray m_unwritten; // lines noted and not written yet
};
