#pragma once

#include "CheckOutcome.h"
#include "Verdict.h"
#include "results/ResultLists.h"

#include <QSet>
#include <QString>

#include <functional>
#include <optional>

class ResultFiles;


// Files checked names into the result lists. The main engine and any other checker file
// through these.
//
// A free name goes to High, Mid or Low by the length of its first label; the heading shows the
// running count; the three profile lists are then written to their files. A taken name goes to
// "Registered", which keeps at most 101 names. The exact names ".com" and ".net" are never
// filed.
class Filing
{
public:
    Filing(ResultLists &lists, ResultFiles &files) : m_lists(lists), m_files(files) {}

    // The list that received the name, or nothing when it was not filed. *saved (when given)
    // tells whether the profile files were written.
    std::optional<ResultList> FileFreeName(const QString &name, bool *saved = nullptr);
    std::optional<ResultList> FileTakenName(const QString &name);

    // Files a judged name: free, taken, or (without a verdict) nowhere.
    struct Result
    {
        CheckOutcome outcome = CheckOutcome::Unchecked;
        bool saved = true; // the profile files were written (or had nothing to write)
    };
    Result FileVerdict(const QString &name, Verdict verdict);
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

// Files judged names for a checker (the engine's run, the browse window), and tells the user of
// each kind of failed write once until Restart(): a disk that stays full would otherwise bring a
// message after every name. A failed overflow write is tried again after kOverflowRetryAfter
// more names, not after every one.
//
//     VerdictFiler filer(lists, files, {.report = ..., .backupNotice = ...});
//     const CheckOutcome outcome = filer.File("shop.com", Verdict::Free);
class VerdictFiler
{
public:
    struct Callbacks
    {
        std::function<void(const QString &title, const QString &text)> report;
        std::function<void()> backupNotice; // the full lists went to the overflow files
    };
    static constexpr int kOverflowRetryAfter = 25;

    VerdictFiler(ResultLists &lists, ResultFiles &files, Callbacks callbacks)
        : m_lists(lists), m_files(files), m_callbacks(std::move(callbacks))
    {
    }

    // A new run: every failure may be told again.
    void Restart();
    CheckOutcome File(const QString &name, Verdict verdict);
    // Tells of a failure of this kind ("profile", "overflow", ...) unless it was told already.
    void ReportOnce(const QString &what, const QString &text);
    // Nothing failed since Restart().
    bool everythingSaved() const { return m_reported.isEmpty(); }

private:
    void CheckOverflow(Filing &filing);

    ResultLists &m_lists;
    ResultFiles &m_files;
    Callbacks m_callbacks;
    QSet<QString> m_reported;
    bool m_overflowFailed = false;
    int m_filedSinceOverflowFailure = 0;
};
