#pragma once

#include "sources/CandidateSource.h"

#include <QString>

#include <functional>
#include <optional>

class Program;

// What choosing an entry of the source list does: which list file the next run reads, its
// entry count, the start position remembered for it, and which controls show and are enabled.
// Three sources open a window of their own; the windows are reached through hooks so the
// selection itself runs without a display. While a run is going the source cannot change.
//
//     program.selection().Select(CandidateSourceId::FullWordList);
class SourceSelection
{
public:
    using ChosenList = std::function<void(std::optional<QString> path)>;
    struct Hooks
    {
        // Asks the user for a custom list in the given folder; calls back with the file, or with
        // nothing when the user cancelled. The answer may come later, from the event loop.
        std::function<void(const QString &startFolder, ChosenList chosen)> chooseCustomList;
        std::function<void()> openGenerator;
        std::function<void()> openBrowseWindow;
    };

    explicit SourceSelection(Program &program);
    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }

    // Selects a source: sets the source list to it and applies it. False (nothing changes)
    // while a run is going.
    bool Select(CandidateSourceId source);
    bool SelectIndex(int index);
    // Applies the current source again (what Stop does for most sources).
    void Reapply();

private:
    void ShowStartNumberGroupOnly();
    void SelectWordList(const CandidateSource &source);
    void SelectCustomList();
    void UseCustomList(const QString &path);
    void SelectSearchEngine(const CandidateSource &source);
    void SelectBrowse();
    void SelectGenerator(const CandidateSource &source);

    Program &m_program;
    Hooks m_hooks;
    QString m_lastCustomList; // the open dialog keeps the name chosen last
};
