#pragma once

#include "CheckOutcome.h"
#include "FailureReporter.h"
#include "Verdict.h"
#include "results/NoVerdictTally.h"

#include <QString>

#include <functional>

class ResultFiles;
class ResultLists;
class UncheckedNames;

// Files every checked name, for every checker (the engine's run, the browse window): a free name
// into its profile list and files (marked when its reason is Judgement::kPremium), a taken one into "Registered", one without a verdict into
// "Unchecked.txt" with its reason, counted in tally(). Each kind of failed write is told once
// (FailureReporter); a failed overflow write is tried again after kOverflowRetryAfter more
// names, not after every one.
//
//     VerdictFiler filer(lists, files, unchecked, reporter, [] { ShowBackupNotice(); });
//     filer.File("shop.com", Verdict::Free);                          // CheckOutcome::Mid
//     filer.File("slow.com", Verdict::NoVerdict, "no answer within 30 seconds");
class VerdictFiler
{
public:
    static constexpr int kOverflowRetryAfter = 25;

    VerdictFiler(ResultLists &lists, ResultFiles &files, UncheckedNames &unchecked, FailureReporter &reporter,
                 std::function<void()> backupNotice = {})
        : m_lists(lists), m_files(files), m_unchecked(unchecked), m_reporter(reporter),
          m_backupNotice(std::move(backupNotice))
    {
    }

    // A new run: the tally starts at 0.
    void Restart();
    // While saving is deferred, the profile files are written by Flush(), once for all the free
    // names filed since the last: a run files many names in one turn of the event loop.
    void DeferSaving(bool defer) { m_deferSaving = defer; }
    // Writes the free names filed since the last write to the profile files.
    void Flush();
    CheckOutcome File(const QString &name, Verdict verdict, const QString &reason = QString());
    const NoVerdictTally &tally() const { return m_tally; }

private:
    void CheckOverflow();

    ResultLists &m_lists;
    ResultFiles &m_files;
    UncheckedNames &m_unchecked;
    FailureReporter &m_reporter;
    std::function<void()> m_backupNotice;
    NoVerdictTally m_tally;
    bool m_deferSaving = false;
    bool m_unsaved = false; // free names wait for Flush()
    bool m_overflowFailed = false;
    int m_filedSinceOverflowFailure = 0;
};
