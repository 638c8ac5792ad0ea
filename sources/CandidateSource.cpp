#include "CandidateSource.h"

namespace CandidateSources {

const std::array<CandidateSource, kCount> &All()
{
    using Id = CandidateSourceId;
    static const std::array<CandidateSource, kCount> sources = {{
        {Id::BrowseForNames, QStringLiteral("Browse for names"), QString(), QString(), SourceKind::Browse},
        {Id::GenerateNames, QStringLiteral("Generate names"), QStringLiteral("\\CreatedDomains.txt"),
         QString(), SourceKind::Generated},
        {Id::YahooSearch, QStringLiteral("Yahoo Search"), QStringLiteral("\\BrowserSearch.txt"),
         QStringLiteral("YahooWordNum"), SourceKind::SearchEngine},
        {Id::GoogleSearch, QStringLiteral("Google Search"), QStringLiteral("\\BrowserSearch.txt"),
         QStringLiteral("GoogleWordNum"), SourceKind::SearchEngine},
        {Id::FullWordList, QStringLiteral("Full Word List"), QStringLiteral("\\Wordlists\\FullWordList.txt"),
         QStringLiteral("FullWordNum"), SourceKind::WordList},
        {Id::AllTwoLetter, QStringLiteral("All Two Letter"), QStringLiteral("\\Wordlists\\AllTwoLetter.txt"),
         QStringLiteral("TwoWordNum"), SourceKind::WordList},
        {Id::AllThreeLetter, QStringLiteral("All Three Letter"),
         QStringLiteral("\\Wordlists\\AllThreeLetter.txt"), QStringLiteral("ThreeWordNum"),
         SourceKind::WordList},
        {Id::AllFourLetter, QStringLiteral("All Four Letter"),
         QStringLiteral("\\Wordlists\\AllFourLetter.txt"), QStringLiteral("FourWordNum"),
         SourceKind::WordList},
        {Id::CustomList, QStringLiteral("Custom List"), QString(), QStringLiteral("CustWordNum"),
         SourceKind::OwnList},
    }};
    return sources;
}

int IndexOf(CandidateSourceId id)
{
    return static_cast<int>(id);
}

const CandidateSource &Get(CandidateSourceId id)
{
    static const CandidateSource other = {CandidateSourceId::OtherSearch, QStringLiteral("Web Search"),
                                          QStringLiteral("\\BrowserSearch.txt"), QString(), SourceKind::SearchEngine};
    if (id == CandidateSourceId::OtherSearch)
        return other;
    return All().at(static_cast<size_t>(IndexOf(id)));
}

std::optional<CandidateSourceId> AtIndex(int index)
{
    if (index < 0 || index >= kCount)
        return std::nullopt;
    return All().at(static_cast<size_t>(index)).id;
}

} // namespace CandidateSources
