#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// One search engine the harvester can read: how to ask for its result pages, which links of a
// page are results, and the signs that it sent a challenge instead of results. The rows live in
// data/search-engines.txt (built in), and a file of the same name in the application folder
// adds rows or replaces rows of the same caption.
//
// A row is one line: the caption as the source list shows it, then " | "-separated key=value
// fields. Address and form templates take {base}, {query} (the encoded search text), {offset}
// and {field:NAME} (the value of the form field NAME on the page before, its last one).
//
//     Bing Search | base=https://www.bing.com | url={base}/search?q={query}&first={offset} | first=1 | step=10
struct SearchEngineRow
{
    QString caption;       // "Bing Search"
    QString base;          // scheme and host; a test or the settings may point it elsewhere
    QString url;           // the address of a page
    QString post;          // the form body of a page; empty: asked with GET
    QString firstUrl;      // the first page's address, when it differs
    QString firstPost;     // the first page's form body, when it differs
    qint64 first = 0;      // the offset of the first page
    qint64 step = 10;      // added for each page after it
    int perPage = 10;      // results a page, for "Page 2 of 10"
    int pages = 10;        // pages at most
    int pauseMinMs = 2000; // pause between pages, jittered in this range
    int pauseMaxMs = 5000;
    bool linksOnly = true;      // results are the page's links (else any address in the page text)
    QStringList skipHosts;      // never results: the engine's own hosts, CDNs, trackers
    QStringList skipPaths;      // never results: ads, caches
    QStringList unwrap;         // redirect parameters: "uddg", or "u:base64"
    QStringList challengeHosts; // a page from these hosts...
    QStringList challengePaths; // ...or with these in its path...
    QStringList challengeMarkers; // ...or with these texts is a challenge
    QList<int> challengeStatus;   // HTTP statuses that mean "not now" (429)

    // "Bing" of "Bing Search".
    QString ShortName() const;
};

// A page to ask for: its address, and its form body for a POST.
struct SearchPageRequest
{
    QString address;
    QString post; // empty: GET
    bool operator==(const SearchPageRequest &) const = default;
};

// Why a page is no result page.
struct SearchChallenge
{
    enum class Kind
    {
        Person,   // a captcha or "unusual traffic" page
        Consent,  // a consent page before any result
        NotNow,   // an HTTP status such as 429
        Repeated  // the page before, again: the engine limits
    };
    Kind kind = Kind::Person;
    QString sign; // what showed it: a host, a path, a marker or a status

    // What the harvester says, e.g. "Bing asks to prove you are a person: solve it in the
    // browse window, then continue".
    QString Message(const QString &engine) const;
};

namespace SearchEngines {

// The rows of a table's text; bad rows are passed over, each with a line in problems.
QList<SearchEngineRow> Parse(const QString &text, const QString &source, QStringList *problems);
// The built-in rows, with the user's rows added (a row of the same caption replaces).
QList<SearchEngineRow> Merge(QList<SearchEngineRow> rows, const QList<SearchEngineRow> &own);
const QList<SearchEngineRow> &BuiltIn();

// The request for a page (0 the first), with the search text encoded and the form fields of
// the page before.
SearchPageRequest PageRequest(const SearchEngineRow &row, int page, const QString &term, const QString &previousMarkup);
// The result addresses of a page's markup: its links, HTML entities undone, redirect wrappers
// unwrapped, links to skipped hosts and paths dropped; each once, in page order.
QStringList ResultLinks(const SearchEngineRow &row, const QString &markup);
// The target address inside a redirect link, when it is one of the row's wrappers.
std::optional<QString> Unwrap(const SearchEngineRow &row, const QString &address);
bool IsSkippedHost(const SearchEngineRow &row, const QString &host);
// A challenge instead of results: by the page's address after redirects, its HTTP status (0:
// not known) and its markup.
std::optional<SearchChallenge> DetectChallenge(const SearchEngineRow &row, const QString &finalAddress,
                                               int httpStatus, const QString &markup);
// The value of the last form field `name` in the markup.
QString FormField(const QString &markup, const QString &name);

} // namespace SearchEngines
