// orvelle-searchd: a web server on 127.0.0.1 imitating the search engines' result pages, for
// trying the harvester and the browse window without the real sites.
//
//   orvelle-searchd [--port N] [--per-page K] [--pages P] [--delay MS] [--trap ENGINE:PAGE:KIND]...
//
// Serves P result pages per engine with K hosts each (Google page i at start=100*i, Yahoo page
// i at b=1+20*i; DuckDuckGo, Bing, Mojeek and Brave in their own shapes and paging under
// /duckduckgo, /bing, /mojeek and /brave), and /browse.html, /frames.html, /left.html and
// /right.html for the browse window. --trap makes page PAGE (0: the first) of ENGINE (google,
// duckduckgo, bing, mojeek, brave) a challenge: redirect, marker, 429 or repeat, until
// /ENGINE/solve is loaded. Prints its base address on the first line; point the program at it
// with ORVELLE_GOOGLE_SEARCH_BASE, ORVELLE_YAHOO_SEARCH_BASE and ORVELLE_SEARCH_BASE.

#include "tools/searchd/SearchTestServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvelle-searchd"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Imitation search-engine result pages on 127.0.0.1."));
    parser.addHelpOption();
    const QCommandLineOption port({QStringLiteral("p"), QStringLiteral("port")},
                                  QStringLiteral("Port (0: any)."), QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption perPage(QStringLiteral("per-page"), QStringLiteral("Hosts on each result page."),
                                     QStringLiteral("K"), QStringLiteral("40"));
    const QCommandLineOption pages(QStringLiteral("pages"), QStringLiteral("Result pages of each engine."),
                                   QStringLiteral("P"), QStringLiteral("3"));
    const QCommandLineOption delay(QStringLiteral("delay"),
                                   QStringLiteral("Wait this long before each answer."), QStringLiteral("MS"),
                                   QStringLiteral("0"));
    const QCommandLineOption trap(QStringLiteral("trap"), QStringLiteral("ENGINE:PAGE:redirect|marker|429|repeat"),
                                  QStringLiteral("TRAP"));
    parser.addOptions({port, perPage, pages, delay, trap});
    parser.process(app);
    bool portOk = false;
    bool perPageOk = false;
    bool pagesOk = false;
    bool delayOk = false;
    const int portNumber = parser.value(port).toInt(&portOk);
    const int hostsPerPage = parser.value(perPage).toInt(&perPageOk);
    const int pageCount = parser.value(pages).toInt(&pagesOk);
    const int delayMs = parser.value(delay).toInt(&delayOk);
    if (!portOk || portNumber < 0 || portNumber > 65535 || !perPageOk || hostsPerPage < 0 ||
        hostsPerPage > 10000 || !pagesOk || pageCount < 0 || pageCount > 1000 || !delayOk || delayMs < 0 ||
        delayMs > 600000) {
        std::fprintf(
            stderr,
            "orvelle-searchd: --port 0..65535, --per-page 0..10000, --pages 0..1000, --delay 0..600000\n");
        return 2;
    }

    using Engine = SearchTestServer::Engine;
    SearchTestServer server;
    server.setDelay(delayMs);
    QList<QStringList> engineResults;
    for (int page = 0; page < pageCount; ++page) {
        const QStringList hosts = SearchTestServer::NumberedHosts(1 + page * hostsPerPage, hostsPerPage);
        server.setResultPage(Engine::Google, 100 * page,
                             SearchTestServer::ResultsPage(Engine::Google, hosts));
        server.setResultPage(Engine::Yahoo, 1 + 20 * page,
                             SearchTestServer::ResultsPage(Engine::Yahoo, hosts));
        engineResults << hosts;
    }
    for (const char *engine : {"duckduckgo", "bing", "mojeek", "brave"})
        server.setEngineResults(QLatin1String(engine), engineResults);
    const QHash<QString, SearchTestServer::Trap> traps = {{QStringLiteral("redirect"), SearchTestServer::Trap::Redirect},
                                                          {QStringLiteral("marker"), SearchTestServer::Trap::Marker},
                                                          {QStringLiteral("429"), SearchTestServer::Trap::TooMany},
                                                          {QStringLiteral("repeat"), SearchTestServer::Trap::Repeat}};
    for (const QString &value : parser.values(trap)) {
        const QStringList parts = value.split(QLatin1Char(':'));
        bool pageOk = false;
        const int page = parts.value(1).toInt(&pageOk);
        if (parts.size() != 3 || !pageOk || page < 0 || !traps.contains(parts.at(2))) {
            std::fprintf(stderr, "orvelle-searchd: --trap ENGINE:PAGE:redirect|marker|429|repeat\n");
            return 2;
        }
        server.setTrap(parts.at(0), page, traps.value(parts.at(2)));
    }
    server.setPage(
        QStringLiteral("/browse.html"),
        "<html><head><title>Domains for sale</title></head><body><h1>Domains for sale</h1><p><a "
        "href=\"http://www.alpha.com/list.html\">Alpha list</a></p><p>Write to sales@bravo.net or visit "
        "charlie.biz today.</p><ul><li>echo.info</li><li>www.foxtrot.com</li><li>golf.name</li></ul><p><a "
        "href=\"mailto:hotel@india.com\">mail us</a></p><p><a href=\"http://www.alpha.com/again.html\">Alpha "
        "again</a> and lpha.com</p></body></html>");
    server.setPage(
        QStringLiteral("/frames.html"),
        "<html><head><title>Frames</title></head><frameset cols=\"50%,50%\"><frame src=\"/left.html\">"
        "<frame src=\"right.html\"></frameset></html>");
    server.setPage(QStringLiteral("/left.html"),
                   "<html><body><p>Left: <a href=\"http://www.sierra.com/\">Sierra</a></p>"
                   "</body></html>");
    server.setPage(QStringLiteral("/right.html"),
                   "<html><body><p>Right: tango.net is for sale</p></body></html>");
    if (!server.Listen(static_cast<quint16>(portNumber))) {
        std::fprintf(stderr, "orvelle-searchd: cannot listen on 127.0.0.1 port %d\n", portNumber);
        return 1;
    }
    std::printf("%s\n", qPrintable(server.baseAddress()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}
