#pragma once

#include "CandidateSource.h"
#include "HarvestList.h"

#include <QString>

#include <variant>

class AppFolder;

// The search engines whose result pages the harvester reads.
enum class SearchEngine
{
    Google,
    Yahoo
};

// One harvest of names from search-engine result pages, without a window or a browser: the
// term and target, which page to ask for next, when to stop, and the list files it leaves.
//
//     HarvestRun run(SearchEngine::Google, "red car", 1, googleBase, yahooBase);
//     browser.Navigate(run.FirstPageAddress());
//     // ... each page scanned into run.list() ...
//     const HarvestRun::Next next = run.HarvestPage(pageCount);   // a page to load, or Finish
class HarvestRun
{
public:
    static constexpr int kGooglePageStep = 100;
    static constexpr int kYahooPageStep = 20;

    HarvestRun(SearchEngine engine, QString searchText, int harvestSizeIndex, QString googleBase,
               QString yahooBase);

    // The search text as it goes into an address: UTF-8, every byte outside ASCII letters,
    // digits and "-._~" percent-encoded, spaces as "+".
    static QString EncodeTerm(const QString &text);
    // The number of names wanted for an entry of the harvest-size list; 100 for no entry.
    static int TargetForHarvestSize(int index);
    // The engine of a search-engine source.
    static SearchEngine EngineOf(CandidateSourceId source);
    static CandidateSourceId SourceOf(SearchEngine engine);
    // "\Searches\Google " + the search text made safe as a file name + ".txt".
    static QString SearchesRelativePath(SearchEngine engine, const QString &searchText);
    // The list file's text: empty entries closed up, entries that are link remnants dropped,
    // and one more line break at the end.
    static QString FinalListText(const QString &harvestText);

    SearchEngine engine() const { return m_engine; }
    const QString &searchText() const { return m_searchText; }
    int target() const { return m_target; }
    qsizetype total() const { return m_list.size(); }
    HarvestList &list() { return m_list; }
    bool finished() const { return m_finished; }

    QString FirstPageAddress() const;
    QString NextPageAddress() const;

    // What to do after a page that added pageCount names: load the next page while the target
    // is not reached and the page brought something, otherwise finish (and mark the run so).
    struct Finish
    {
    };
    using Next = std::variant<QString, Finish>;
    Next HarvestPage(int pageCount);
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
        NoNames   // the pages loaded, but held no names
    };
    Ending ending() const;
    // Ends the run without a further page (the window closed, a page never came).
    void MarkFinished() { m_finished = true; }

    // Writes the list file atomically and copies it under "Searches" (made when missing; a
    // failed copy is ignored). False when the list file itself could not be written.
    bool WriteFiles(const AppFolder &folder) const;
    static QString ListRelativePath();

private:
    QString PageAddress(qint64 offset) const;

    SearchEngine m_engine;
    QString m_searchText;
    QString m_term;
    int m_target;
    QString m_googleBase;
    QString m_yahooBase;
    qint64 m_offset = 1;
    bool m_finished = false;
    bool m_pageFailed = false;
    int m_pagesRead = 0;
    HarvestList m_list;
};
