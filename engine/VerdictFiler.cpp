#include "VerdictFiler.h"

#include "Filing.h"
#include "results/ResultFiles.h"
#include "results/ResultLists.h"
#include "results/UncheckedNames.h"

#include <utility>

void VerdictFiler::Restart()
{
    m_tally.Clear();
    m_overflowFailed = false;
    m_filedSinceOverflowFailure = 0;
}

CheckOutcome VerdictFiler::File(const QString &name, Verdict verdict, const QString &reason)
{
    using Failure = FailureReporter::Failure;
    if (verdict == Verdict::NoVerdict) {
        m_tally.Add(reason);
        if (!m_unchecked.Keep(name, reason))
            m_reporter.Report(Failure::UncheckedFile, Filing::UncheckedWriteFailed(m_unchecked.path()));
        return CheckOutcome::Unchecked;
    }
    Filing filing(m_lists, m_files);
    const Filing::Result filed =
        filing.FileVerdict(name, verdict, m_deferSaving ? Filing::Saving::Later : Filing::Saving::Now);
    if (!filed.saved)
        m_reporter.Report(Failure::ProfileFile, Filing::ProfileWriteFailed(m_files.lastFailedPath()));
    m_unsaved = m_unsaved || (m_deferSaving && verdict == Verdict::Free && filed.outcome != CheckOutcome::NotFiled);
    if (filed.outcome != CheckOutcome::NotFiled)
        m_unchecked.Answered(name);
    // A free name at a premium price carries the reason "premium" to its list, the export and
    // the output: its list shows the mark.
    if (verdict == Verdict::Free && reason == Judgement::kPremium && filed.outcome != CheckOutcome::NotFiled)
        m_lists.MarkPremium(name);
    CheckOverflow();
    return filed.outcome;
}

void VerdictFiler::Flush()
{
    if (!std::exchange(m_unsaved, false))
        return;
    if (!m_files.SaveProfileLists(m_lists))
        m_reporter.Report(FailureReporter::Failure::ProfileFile, Filing::ProfileWriteFailed(m_files.lastFailedPath()));
}

void VerdictFiler::CheckOverflow()
{
    Filing filing(m_lists, m_files);
    if (!filing.IsFull())
        return;
    Flush(); // the profile files hold every name before the lists are emptied
    if (m_overflowFailed && ++m_filedSinceOverflowFailure < kOverflowRetryAfter)
        return;
    m_overflowFailed = false;
    switch (filing.CheckOverflow()) {
    case Filing::Overflow::Done:
        if (m_backupNotice)
            m_backupNotice();
        break;
    case Filing::Overflow::WriteFailed:
        m_overflowFailed = true;
        m_filedSinceOverflowFailure = 0;
        m_reporter.Report(FailureReporter::Failure::OverflowFile, Filing::OverflowWriteFailed(m_files.lastFailedPath()));
        break;
    case Filing::Overflow::None:
        break;
    }
}
