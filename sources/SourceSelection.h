#pragma once

#include <QString>

#include <functional>
#include <optional>

class AppState;

// What choosing an entry of the source list does: which list file the next run reads, its
// entry count, the start position remembered for it, and which controls show and are enabled.
// Three sources open a window of their own; the windows are reached through hooks so the
// selection itself runs without a display.
//
//     SourceSelection selection(state);
//     selection.Select(QStringLiteral("Full Word List"));
class SourceSelection
{
public:
    struct Hooks
    {
        // Shows the open dialog for a custom list in the given folder; nothing when cancelled.
        std::function<std::optional<QString>(const QString &startFolder)> chooseCustomList;
        std::function<void()> openGenerator;
        std::function<void()> openBrowseWindow;
    };

    explicit SourceSelection(AppState &state);
    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }

    // The list file of a source, relative to the application folder; empty for sources whose
    // file is chosen elsewhere.
    static QString RelativeListPath(const QString &caption);
    // The settings key that keeps a source's position ("FullWordNum"...), empty when none.
    static QString ResumeKey(const QString &caption);

    // Selects the source with that caption: sets the source list to it and applies it.
    void Select(const QString &caption);
    void SelectIndex(int index);
    // Applies the current source again (what Stop does for most sources).
    void Reapply();

private:
    void ShowStartNumberGroupOnly();
    void SelectWordList(const QString &caption);
    void SelectCustomList();
    void SelectSearchEngine();
    void SelectBrowse();
    void SelectGenerator();

    AppState &m_state;
    Hooks m_hooks;
    QString m_lastCustomList; // the open dialog keeps the name chosen last
};
