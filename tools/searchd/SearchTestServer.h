#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

class QTcpServer;

// A web server on 127.0.0.1 for tests and for trying the harvester and the browse window
// without the real search engines: fixed pages by path, result pages of the two engines by
// their offset ("start" for Google, "b" for Yahoo), pages that never answer, and a record of
// every request.
//
// It also imitates the engines of the engine table under "/duckduckgo", "/bing", "/mojeek" and
// "/brave" (the program's searchBase points there): result pages in each engine's markup shape
// (written from what public engine tables describe), its paging (DuckDuckGo's POST form with its
// vqd token, Bing's first=, Mojeek's s=, Brave's offset=), and its challenges on a page: a
// redirect to a captcha, a page with the engine's challenge marker, a 429, or page 1 again.
// A challenge stays until the browser loads "/ENGINE/solve", which sets a cookie for it.
//
//     SearchTestServer server;
//     server.Listen();
//     server.setResultPage(SearchTestServer::Engine::Google, 0,
//                          SearchTestServer::ResultsPage(Engine::Google, NumberedHosts(1, 40)));
//     config.googleSearchBase = server.baseAddress();
class SearchTestServer : public QObject
{
    Q_OBJECT
public:
    enum class Engine
    {
        Google,
        Yahoo
    };

    explicit SearchTestServer(QObject *parent = nullptr);
    ~SearchTestServer() override;

    bool Listen(quint16 port = 0);
    quint16 port() const;
    // "http://127.0.0.1:PORT"
    QString baseAddress() const;
    QString url(const QString &pathAndQuery) const { return baseAddress() + pathAndQuery; }

    void setPage(const QString &path, const QByteArray &html) { m_pages.insert(path, html); }
    void setDefaultPage(const QByteArray &html) { m_defaultPage = html; }
    // What "/search?...&start=<offset>&..." (Google) or "/search/dir?...&b=<offset>" (Yahoo)
    // answers; other offsets answer the engine's page without results.
    void setResultPage(Engine engine, int offset, const QByteArray &html);
    // Requests for this path are read and never answered; the connection stays open.
    void setHang(const QString &path) { m_hanging.insert(path); }
    // A page at this path starts to arrive and never ends: the browser shows it, still loading.
    void setTrickle(const QString &path) { m_trickling.insert(path); }
    // Every answer waits this long first.
    void setDelay(int ms) { m_delayMs = ms; }

    // The result pages of an imitated engine ("bing"), a list of hosts each.
    void setEngineResults(const QString &engine, const QList<QStringList> &pages) { m_engineResults[engine] = pages; }
    enum class Trap
    {
        Redirect, // a redirect to the engine's captcha page
        Marker,   // a page holding the engine's challenge marker
        TooMany,  // HTTP 429
        Repeat    // the first page again
    };
    // The page (0: the first) of an engine ("google" too) answers with a challenge.
    void setTrap(const QString &engine, int page, Trap trap) { m_traps[engine].insert(page, trap); }
    // The same page shapes, for tests and orvelle-searchd.
    static QByteArray EnginePage(const QString &engine, const QStringList &hosts, int page);

    // Every request target (path and query, as received), in order.
    QStringList requestTargets() const { return m_targets; }

    // An imitation result page listing the hosts, each with its link.
    static QByteArray ResultsPage(Engine engine, const QStringList &hosts, const QString &title = QString());
    static QByteArray NoResultsPage();
    // "site0001.com", "site0002.com", ...: of one width, so no host is a part of another.
    static QStringList NumberedHosts(int first, int count);

private:
    struct Answer
    {
        int status = 200;
        QByteArray body;
        QByteArray headers; // more header lines, each ending in CR LF
    };
    void OnRequest(class QTcpSocket *socket, const QByteArray &request);
    QByteArray PageFor(const QString &target) const;
    // An imitated engine's answer; nothing when the target is none of theirs.
    std::optional<Answer> EngineAnswer(const QString &target, const QByteArray &head, const QByteArray &body) const;

    QTcpServer *m_server;
    QHash<QString, QByteArray> m_pages;
    QHash<QString, QByteArray> m_results; // "google/0", "yahoo/21"
    QHash<QString, QList<QStringList>> m_engineResults;
    QHash<QString, QHash<int, Trap>> m_traps;
    QSet<QString> m_hanging;
    QSet<QString> m_trickling;
    int m_delayMs = 0;
    QByteArray m_defaultPage = "<html><head><title>Loopback</title></head><body>loopback</body></html>";
    QStringList m_targets;
};
