#pragma once

#include <QString>

class ResultFiles;
class ResultLists;

// Files checked names into the result lists. The main engine and the browse window's checker
// both file through these.
//
// A free name goes to High, Mid or Low by the length of its first label; the heading shows the
// running count; the three profile lists are then written to their files. A taken name goes to
// "Registered", which keeps at most 101 names. The exact names ".com" and ".net" are never
// filed.
class Filing
{
public:
    Filing(ResultLists &lists, ResultFiles &files) : m_lists(lists), m_files(files) {}

    // The list that received the name (1, 3 or 4), or 0 when it was not filed. *saved (when
    // given) tells whether the profile files were written.
    int FileFreeName(const QString &name, bool *saved = nullptr);
    int FileTakenName(const QString &name);

    enum class Overflow
    {
        None,
        Done,
        WriteFailed
    };
    // When a profile list holds 20000 names or more: writes the overflow files, empties the
    // lists and starts a new stamp. Lists whose overflow files could not be written are kept.
    Overflow CheckOverflow();

    static constexpr int kOverflowLimit = 20000;
    static constexpr int kRegisteredLimit = 100;

private:
    ResultLists &m_lists;
    ResultFiles &m_files;
};
