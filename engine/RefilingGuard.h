#pragma once

#include "FailureReporter.h"
#include "RunRequest.h"
#include "Verdict.h"
#include "results/ResultLists.h"

#include <QSet>
#include <QString>

#include <optional>

class FiledJournal;

// Keeps a resumed run from asking and filing again what an earlier run decided after the
// position it stored (the first name without a verdict): the free names noted in the journal
// (FiledJournal), whichever run filed them, and, for a run of the same program, the names in the
// lists up to the mark stored with the position.
//
//     RefilingGuard guard(journal);
//     guard.Begin(request, storedMark, lists);
//     if (!guard.FiledBefore(name, line)) ...ask it...
//     guard.Filed(ordinal, line, list, name);         // after filing
//     guard.PositionStored(ordinal);                  // the stored position moved on
class RefilingGuard
{
public:
    // A free name that cannot be noted in the journal is told once to the reporter.
    RefilingGuard(FiledJournal &journal, FailureReporter &reporter) : m_journal(journal), m_reporter(reporter) {}

    // A run begins. One from its list's start files everything again and starts the journal
    // afresh; a resumed one takes what the journal and (with the mark of its list) the lists hold.
    void Begin(const RunRequest &request, const FiledMark &mark, const ResultLists &lists);
    // Whether the name of this line was filed already, free or registered.
    bool FiledBefore(const QString &name, qint64 line) const;
    // A name was filed at this ordinal into `list` (free or registered). Its journal line is
    // written by the next Flush().
    void Filed(qint64 ordinal, ResultList list, const QString &name);
    // Writes the journal lines of the names filed since the last.
    void Flush();
    // The position stored reached this ordinal: what the journal holds before it is forgotten.
    void PositionStored(qint64 ordinal);
    // The furthest line filed, stored with the position.
    qint64 filedUpTo() const { return m_filedUpTo; }

private:
    FiledJournal &m_journal;
    FailureReporter &m_reporter;
    qint64 m_filedUpTo = 0;
    qint64 m_listsGuardUpTo = 0; // names up to this line may stand in the lists already
    QSet<QString> m_inLists;     // FiledJournal::Key of the names in the lists at the start
    QSet<QString> m_journaled;   // and of the journal's names at or after the first position
};
