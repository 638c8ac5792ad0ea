#pragma once

#include "platform/WebBrowser.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class HarvestList;
class RegistrarTable;

// Picks the domain names out of the markup of one page. The harvester walks each result page
// with it; the browse window's page scan uses its steps for the links of a page.
//
// The markup (at most kMarkupLimit characters of it) is prepared so that every link starts a
// line and a name ending in an enabled extension ends one; the lines are then taken one by one:
// a line that is a link to a host with a known extension gives that host's registered name,
// which is accepted when it looks like a host name and was not found before.
//
//     DomainExtractor extractor(program.registrars(), config.excludedLinkTexts);
//     extractor.Begin(markup);
//     while (!extractor.Step(list, 2000))
//         ;                                // the event loop runs between steps
//     extractor.pageCount();              // names this page added
class DomainExtractor
{
public:
    static constexpr qsizetype kMarkupLimit = WebBrowser::kMarkupLimit;

    DomainExtractor(const RegistrarTable &table, QStringList excludedLinkTexts);

    // The page text split for the line walk: a line break before every "http://", "https://"
    // and "<Frame" (the first two written in lower case), "=www." and ">www." made into
    // "http://www.", and a line break after every enabled extension followed by a space, "/",
    // a quote, ":" or "?".
    static QString PreparePageText(const QString &markup, const RegistrarTable &table);

    // A link line: it starts with "http://" or "https://", holds none of the excluded texts,
    // "@" or "yimg", and names a known extension.
    bool IsAddressLine(const QString &decodedLine) const;
    // The registered name a link line gives, or nothing when its extension is not known. The
    // extension found is kept in `extension` for the lines after it (a line without a dot
    // keeps the one before).
    std::optional<QString> AddressLineCandidate(const QString &decodedLine, QString &extension) const;
    // The first label goes once, and only when it is one of a host below the registered name:
    // www.example.com gives example.com, example.info and example.co.uk stay.
    static QString DropSubdomainLabel(const QString &host);
    // The candidate, trimmed, when it is a name to add: not found before, no markup or mail
    // remnant, and shaped like a host name.
    static std::optional<QString> AcceptCandidate(const QString &candidate, const HarvestList &found,
                                                  bool rejectTargetBlank);
    // Not empty, at least one dot, no empty label, labels of at most 63 and a name of at most
    // 253 characters, no blank or control character.
    static bool LooksLikeHostName(const QString &name);

    // Names that are never added (a search engine's own hosts).
    void setSkip(std::function<bool(const QString &name)> skip) { m_skip = std::move(skip); }
    // Starts on a page.
    void Begin(const QString &markup);
    // Takes up to lineBudget more lines of the page, adding the names it accepts to the list.
    // True when the page is done.
    bool Step(HarvestList &list, int lineBudget);
    // Names the current page added so far.
    int pageCount() const { return m_pageCount; }

private:
    const RegistrarTable &m_table;
    QStringList m_excluded;
    QStringList m_lines;
    qsizetype m_next = 0;
    QString m_extension;
    int m_pageCount = 0;
    std::function<bool(const QString &)> m_skip;
};
