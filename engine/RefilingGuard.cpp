#include "RefilingGuard.h"

#include "Filing.h"
#include "results/FiledJournal.h"

#include <QFileInfo>

void RefilingGuard::Begin(const RunRequest &request, const FiledMark &mark, const ResultLists &lists)
{
    m_filedUpTo = 0;
    m_listsGuardUpTo = 0;
    m_inLists.clear();
    m_journaled.clear();
    // A list checked again from its start on purpose files again.
    if (request.firstPosition <= 1) {
        m_journal.Reset(request.listPath);
        return;
    }
    // The lists of a new program run start empty, and every run rewrites the profile files with
    // its own names: what earlier runs filed ahead of the position is in the journal.
    m_journaled = m_journal.Load(request.listPath, Ordinal::Of(request.firstPosition, 0));
    // Names this program run filed stand in its lists (registered ones too), up to the mark
    // stored with the position of this list.
    if (mark.listPath != request.listPath || mark.upTo < request.firstPosition)
        return;
    m_listsGuardUpTo = mark.upTo;
    m_filedUpTo = mark.upTo;
    for (const ResultList list : {ResultList::High, ResultList::Mid, ResultList::Low, ResultList::Registered}) {
        const QStringList names = lists.items(list); // shared, not copied, as long as it stays const
        for (const QString &name : names)
            m_inLists.insert(FiledJournal::Key(list, name));
    }
}

bool RefilingGuard::FiledBefore(const QString &name, qint64 line) const
{
    // A run from the list's start has nothing to look up: no key is made.
    if (m_journaled.isEmpty() && (line > m_listsGuardUpTo || m_inLists.isEmpty()))
        return false;
    const std::optional<ResultList> free = Filing::ListFor(name, Verdict::Free);
    if (!free)
        return false;
    const QString freeKey = FiledJournal::Key(*free, name);
    if (m_journaled.contains(freeKey))
        return true;
    return line <= m_listsGuardUpTo &&
           (m_inLists.contains(freeKey) || m_inLists.contains(FiledJournal::Key(ResultList::Registered, name)));
}

void RefilingGuard::Filed(qint64 ordinal, ResultList list, const QString &name)
{
    m_filedUpTo = std::max(m_filedUpTo, Ordinal::LineOf(ordinal));
    if (list != ResultList::Registered)
        m_journal.Note(ordinal, list, name);
}

void RefilingGuard::Flush()
{
    if (!m_journal.Flush())
        m_reporter.Report(FailureReporter::Failure::FiledJournal,
                          QStringLiteral("The names filed ahead of the stored position cannot be noted in \"%1\"; "
                                         "if the search is ended abruptly, some free names may be filed twice.")
                              .arg(QFileInfo(m_journal.path()).absoluteFilePath()));
}

void RefilingGuard::PositionStored(qint64 ordinal)
{
    m_journal.Forget(ordinal);
}

