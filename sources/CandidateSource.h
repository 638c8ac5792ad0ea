#pragma once

#include <QString>

#include <array>
#include <optional>

// The nine places candidate names come from, in the order of the source list and the Tools menu.
enum class CandidateSourceId
{
    BrowseForNames,
    GenerateNames,
    YahooSearch,
    GoogleSearch,
    FullWordList,
    AllTwoLetter,
    AllThreeLetter,
    AllFourLetter,
    CustomList,
    // A search engine of the engine table other than the two above: its rows follow the nine
    // sources in the source list.
    OtherSearch
};

// What kind of list a source reads.
enum class SourceKind
{
    Browse,       // the browse window checks the names it finds itself
    Generated,    // the generator writes the list and starts the run
    SearchEngine, // the harvester writes the list and starts the run; always from line 1
    WordList,     // a shipped word list that resumes where its last run stopped
    OwnList       // a list the user picks
};

// One entry of the source list.
struct CandidateSource
{
    CandidateSourceId id;
    QString caption;   // as the source list and the Tools menu show it
    QString listFile;  // relative to the application folder; empty when chosen elsewhere
    QString resumeKey; // the setting that keeps the position of its runs; empty when none
    SourceKind kind;
};

// The table of the nine sources (Get() also knows OtherSearch, which All() leaves out).
//
//     const CandidateSource &full = CandidateSources::Get(CandidateSourceId::FullWordList);
//     full.listFile   // "\Wordlists\FullWordList.txt"
namespace CandidateSources {

constexpr int kCount = 9;

const std::array<CandidateSource, kCount> &All();
const CandidateSource &Get(CandidateSourceId id);
// The source at a position of the source list; nothing outside 0 to 8.
std::optional<CandidateSourceId> AtIndex(int index);
int IndexOf(CandidateSourceId id);

} // namespace CandidateSources
