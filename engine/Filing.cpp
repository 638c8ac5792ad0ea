#include "Filing.h"

#include "Verdict.h"
#include "results/ResultFiles.h"
#include "results/ResultLists.h"

static bool IsBareExtension(const QString &name)
{
    return name == QLatin1String(".net") || name == QLatin1String(".com");
}

int Filing::FileFreeName(const QString &name, bool *saved)
{
    if (IsBareExtension(name))
        return 0;
    int list = ResultLists::Low;
    switch (ProfileClassOf(name)) {
    case ProfileClass::High:
        list = ResultLists::High;
        break;
    case ProfileClass::Mid:
        list = ResultLists::Mid;
        break;
    case ProfileClass::Low:
        list = ResultLists::Low;
        break;
    }
    m_lists.AppendCounted(list, name);
    const bool written = m_files.SaveProfileLists(m_lists);
    if (saved)
        *saved = written;
    return list;
}

int Filing::FileTakenName(const QString &name)
{
    if (IsBareExtension(name))
        return 0;
    if (m_lists.itemCount(ResultLists::Registered) > kRegisteredLimit)
        m_lists.Empty(ResultLists::Registered);
    m_lists.AppendCounted(ResultLists::Registered, name);
    return ResultLists::Registered;
}

Filing::Overflow Filing::CheckOverflow()
{
    const bool full = m_lists.itemCount(ResultLists::Low) >= kOverflowLimit ||
                      m_lists.itemCount(ResultLists::High) >= kOverflowLimit ||
                      m_lists.itemCount(ResultLists::Mid) >= kOverflowLimit;
    if (!full)
        return Overflow::None;
    if (!m_files.WriteOverflowFiles(m_lists))
        return Overflow::WriteFailed; // emptying the lists now would lose the names
    m_files.ResetProfileLists(m_lists);
    return Overflow::Done;
}
