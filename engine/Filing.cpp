#include "Filing.h"

#include "results/ResultFiles.h"

#include <QFileInfo>

namespace {

// The bare extensions ".com" and ".net" are no names, and neither is what a page scan can leave of
// a quote before them; a free "name" holding the list's end marker is the marker, not a name.
bool IsNeverFiled(const QString &name, Verdict verdict)
{
    return name == QLatin1String(".net") || name == QLatin1String(".com") ||
           (name.contains(QLatin1Char('"')) &&
            (name.contains(QLatin1String("\".net")) || name.contains(QLatin1String("\".com")))) ||
           (verdict == Verdict::Free && name.contains(QLatin1String("endoffile")));
}

} // namespace

CheckOutcome Filing::OutcomeOf(std::optional<ResultList> list)
{
    if (!list)
        return CheckOutcome::NotFiled;
    switch (*list) {
    case ResultList::High:
        return CheckOutcome::High;
    case ResultList::Mid:
        return CheckOutcome::Mid;
    case ResultList::Low:
        return CheckOutcome::Low;
    case ResultList::Registered:
        return CheckOutcome::Registered;
    case ResultList::Saved:
        break;
    }
    return CheckOutcome::NotFiled;
}

std::optional<ResultList> Filing::ListFor(const QString &name, Verdict verdict)
{
    if (verdict == Verdict::NoVerdict || IsNeverFiled(name, verdict))
        return std::nullopt;
    if (verdict == Verdict::Taken)
        return ResultList::Registered;
    switch (ProfileClassOf(name)) {
    case ProfileClass::High:
        return ResultList::High;
    case ProfileClass::Mid:
        return ResultList::Mid;
    case ProfileClass::Low:
        break;
    }
    return ResultList::Low;
}

std::optional<ResultList> Filing::ListFreeName(const QString &name)
{
    const std::optional<ResultList> list = ListFor(name, Verdict::Free);
    if (list)
        m_lists.Append(*list, name);
    return list;
}

std::optional<ResultList> Filing::FileFreeName(const QString &name, bool *saved)
{
    const std::optional<ResultList> list = ListFreeName(name);
    if (!list)
        return std::nullopt;
    const bool written = m_files.SaveProfileLists(m_lists);
    if (saved)
        *saved = written;
    return *list;
}

std::optional<ResultList> Filing::FileTakenName(const QString &name)
{
    if (!ListFor(name, Verdict::Taken))
        return std::nullopt;
    if (m_lists.itemCount(ResultList::Registered) > kRegisteredLimit)
        m_lists.Empty(ResultList::Registered);
    m_lists.Append(ResultList::Registered, name);
    return ResultList::Registered;
}

Filing::Result Filing::FileVerdict(const QString &name, Verdict verdict, Saving saving)
{
    Result result;
    switch (verdict) {
    case Verdict::Free:
        result.outcome =
            OutcomeOf(saving == Saving::Now ? FileFreeName(name, &result.saved) : ListFreeName(name));
        break;
    case Verdict::Taken:
        result.outcome = OutcomeOf(FileTakenName(name));
        break;
    case Verdict::NoVerdict:
        result.outcome = CheckOutcome::Unchecked;
        break;
    }
    return result;
}

bool Filing::IsFull() const
{
    return m_lists.itemCount(ResultList::Low) >= kOverflowLimit ||
           m_lists.itemCount(ResultList::High) >= kOverflowLimit ||
           m_lists.itemCount(ResultList::Mid) >= kOverflowLimit;
}

Filing::Overflow Filing::CheckOverflow()
{
    if (!IsFull())
        return Overflow::None;
    if (!m_files.WriteOverflowFiles(m_lists))
        return Overflow::WriteFailed; // emptying the lists now would lose the names
    m_files.ResetProfileLists(m_lists);
    return Overflow::Done;
}

QString Filing::ProfileWriteFailed(const QString &path)
{
    return QStringLiteral("The result file \"%1\" cannot be written. The names found stay in the lists; copy "
                          "them before closing the program.")
        .arg(QFileInfo(path).absoluteFilePath());
}

QString Filing::OverflowWriteFailed(const QString &path)
{
    return QStringLiteral(
               "The overflow file \"%1\" cannot be written, so the full lists were not moved there; "
               "they stay in the window. Copy them before closing the program.")
        .arg(QFileInfo(path).absoluteFilePath());
}

QString Filing::UncheckedWriteFailed(const QString &path)
{
    return QStringLiteral("The names without a verdict cannot be kept in \"%1\"; they are counted in the "
                          "status bar only.")
        .arg(path);
}
