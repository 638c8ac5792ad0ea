#pragma once

#include "CandidateSource.h"
#include "HarvestList.h"
#include "SearchEngines.h"

#include <QString>

#include <optional>
#include <variant>

class AppFolder;

// One harvest of names from search-engine result pages, without a window or a browser: the
// term and target, which page to ask for next (from the engine's row), when to stop, a
// challenge that stopped it, and the list files it leaves.
//
//     HarvestRun run(bingRow, "red car", 1);
//     browser.Ask(run.FirstPage());
//     // ... each page checked for a challenge, then scanned into run.list() ...
//     const HarvestRun::Next next = run.HarvestPage(pageCount, markup);   // a page, or Finish
class HarvestRun
{
public:
    HarvestRun(SearchEngineRow engine, QString searchText, int harvestSizeIndex);

    // The search text as it goes into an address: UTF-8, every byte outside ASCII letters,
    // digits and "-._~" percent-encoded, spaces as "+".
    static QString EncodeTerm(const QString &text);
    // The number of names wanted for an entry of the harvest-size list; 100 for no entry.
    static int TargetForHarvestSize(int index);
    // The source of an engine's row: "Yahoo Search" and "Google Search" have their own.
    static CandidateSourceId SourceOf(const QString &caption);
    // "\Searches\Google " + the search text made safe as a file name + ".txt".
    static QString SearchesRelativePath(const QString &engineName, const QString &searchText);
    // The list file's text: empty entries closed up, entries that are link remnants dropped,
    // and one more line break at the end.
    static QString FinalListText(const QString &harvestText);

    const SearchEngineRow &engine() const { return m_engine; }
    const QString &searchText() const { return m_searchText; }
    int target() const { return m_target; }
    qsizetype total() const { return m_list.size(); }
    HarvestList &list() { return m_list; }
    bool finished() const { return m_finished; }

    SearchPageRequest FirstPage() const;
    // The page asked for now (asked again after a challenge was solved).
    const SearchPageRequest &currentPage() const { return m_current; }

    // What to do after a page that added pageCount names: load the next page while the target
    // is not reached, the page brought something and the engine's page cap is not reached,
    // otherwise finish (and mark the run so). The page's markup gives the next page's form
    // fields.
    struct Finish
    {
    };
    using Next = std::variant<SearchPageRequest, Finish>;
    Next HarvestPage(int pageCount, const QString &markup);
    // Whether a page is the one before again (what its results are, as `key`): an engine that
    // limits does that.
    bool Repeats(const QString &key);
    // The page was a challenge: the run waits for the user (continue, or end with what it has).
    void Challenged(SearchChallenge challenge) { m_challenge = std::move(challenge); }
    const std::optional<SearchChallenge> &challenge() const { return m_challenge; }
    void ClearChallenge() { m_challenge.reset(); }
    // The pause before the next page: the row's, jittered by `random` (a number in [0, span]).
    int PauseMs(int random) const;
    // The page asked for did not load (a load error, or no page in time): the run ends with
    // what it has.
    void PageFailed()
    {
        m_pageFailed = true;
        m_finished = true;
    }
    int pagesRead() const { return m_pagesRead; }
    // "Page 2 of 10": the page asked for now, of the pages the target takes at most (a page that
    // brings nothing new ends the harvest sooner).
    QString PageText() const;

    // How an ended run ended: with a list to write and check, or with nothing to keep.
    enum class Ending
    {
        Listed,   // every page asked for loaded
        CutShort, // names from the first pagesRead() pages; the next one did not load
        NoAnswer, // not even the first page loaded
        NoNames,  // the pages loaded, but held no names
        Stopped   // a challenge stopped it: names from the pages before
    };
    Ending ending() const;
    // Ends the run without a further page (the window closed, a page never came).
    void MarkFinished() { m_finished = true; }

    // Writes the list file atomically and copies it under "Searches" (made when missing; a
    // failed copy is ignored). False when the list file itself could not be written.
    bool WriteFiles(const AppFolder &folder) const;
    static QString ListRelativePath();

private:
    SearchEngineRow m_engine;
    QString m_searchText;
    QString m_term;
    int m_target;
    int m_page = 0;
    SearchPageRequest m_current;
    QString m_lastKey;
    std::optional<SearchChallenge> m_challenge;
    bool m_finished = false;
    bool m_pageFailed = false;
    int m_pagesRead = 0;
    HarvestList m_list;
};
