#pragma once

#include "CheckOutcome.h"
#include "Verdict.h"
#include "results/ProfileClass.h"
#include "results/ResultLists.h"

#include <QString>

#include <optional>

class ResultFiles;


// Files checked names into the result lists. The main engine and any other checker file
// through these.
//
// A free name goes to High, Mid or Low by the length of its first label; the three profile lists
// are then written to their files. A taken name goes to "Registered", which keeps at most 101
// names. The exact names ".com" and ".net" (and what a page scan leaves of a quote before them,
// or of the end marker) are never filed.
class Filing
{
public:
    Filing(ResultLists &lists, ResultFiles &files) : m_lists(lists), m_files(files) {}

    // The list that received the name, or nothing when it was not filed. *saved (when given)
    // tells whether the profile files were written.
    std::optional<ResultList> FileFreeName(const QString &name, bool *saved = nullptr);
    // Into its list only, the files left as they are.
    std::optional<ResultList> ListFreeName(const QString &name);
    std::optional<ResultList> FileTakenName(const QString &name);

    // Files a judged name: free, taken, or (without a verdict) nowhere.
    struct Result
    {
        CheckOutcome outcome = CheckOutcome::Unchecked;
        bool saved = true; // the profile files were written (or had nothing to write)
    };
    // With Saving::Later a free name goes into its list only: the caller writes the profile
    // files (ResultFiles::SaveProfileLists) for all the names of a turn at once.
    enum class Saving
    {
        Now,
        Later
    };
    Result FileVerdict(const QString &name, Verdict verdict, Saving saving = Saving::Now);
    // The list a judged name would go to; nothing for no verdict and for names never filed.
    static std::optional<ResultList> ListFor(const QString &name, Verdict verdict);
    static CheckOutcome OutcomeOf(std::optional<ResultList> list);

    enum class Overflow
    {
        None,
        Done,
        WriteFailed
    };
    // True when a profile list holds 20000 names or more.
    bool IsFull() const;
    // When a profile list is full: writes the overflow files, empties the lists and starts a
    // new stamp. Lists whose overflow files could not be written are kept.
    Overflow CheckOverflow();

    // What the user is told when the profile files, or the overflow files, cannot be written
    // (the path of the file that failed).
    static QString ProfileWriteFailed(const QString &path);
    static QString OverflowWriteFailed(const QString &path);
    static QString UncheckedWriteFailed(const QString &path);

    static constexpr int kOverflowLimit = 20000;
    static constexpr int kRegisteredLimit = 100;

private:
    ResultLists &m_lists;
    ResultFiles &m_files;
};
