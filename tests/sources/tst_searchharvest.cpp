#include "app/Program.h"
#include "sources/HarvestRun.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QTest>

namespace {

// A row of the built-in engine table, asked at its own host or at `base`.
SearchEngineRow Engine(const QString &caption, const QString &base = QString())
{
    for (SearchEngineRow row : SearchEngines::BuiltIn()) {
        if (row.caption == caption) {
            if (!base.isEmpty())
                row.base = base;
            return row;
        }
    }
    qFatal("no engine row %s", qPrintable(caption));
}

} // namespace

// The rules of a harvest: addresses, terms, targets, when to stop, and the files it leaves.
class TestSearchHarvest : public QObject
{
    Q_OBJECT
private slots:
    void pageAddresses_data();
    void pageAddresses();
    void encodeTerm_data();
    void encodeTerm();
    void targets();
    void harvestPageDecisions_data();
    void harvestPageDecisions();
    void finalListText_data();
    void finalListText();
    void searchesRelativePath_data();
    void searchesRelativePath();
    void writeFiles();
    void engineTableWithBadRows();
    void resultLinksOfEachEngine_data();
    void resultLinksOfEachEngine();
    void challenges_data();
    void challenges();
    void aRepeatedPageIsSeen();
};

void TestSearchHarvest::pageAddresses_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QStringList>("pages"); // address, then " POST form" when one is sent
    const QString google = "/search?num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off&filter=0&start=%1&sa=N&q=red+car";
    QTest::newRow("Google: start 0, 100, 200")
        << "Google Search" << QStringList{google.arg(0), google.arg(100), google.arg(200)};
    QTest::newRow("Yahoo: b 1, 21, 41") << "Yahoo Search"
                                        << QStringList{"/search/dir?h=s&xargs=0&p=red+car&b=1",
                                                       "/search/dir?h=s&xargs=0&p=red+car&b=21",
                                                       "/search/dir?h=s&xargs=0&p=red+car&b=41"};
    QTest::newRow("Bing: first 1, 11, 21") << "Bing Search"
                                           << QStringList{"/search?q=red+car&first=1", "/search?q=red+car&first=11",
                                                          "/search?q=red+car&first=21"};
    QTest::newRow("Mojeek: no s on page 1") << "Mojeek Search"
                                            << QStringList{"/search?q=red+car", "/search?q=red+car&s=10",
                                                           "/search?q=red+car&s=20"};
    QTest::newRow("Brave: offset is the page")
        << "Brave Search"
        << QStringList{"/search?q=red+car&source=web&offset=0", "/search?q=red+car&source=web&offset=1",
                       "/search?q=red+car&source=web&offset=2"};
    // The token and offsets of the page before go back with the next form.
    QTest::newRow("DuckDuckGo: POST with the page's fields")
        << "DuckDuckGo Search"
        << QStringList{"/html/ POST q=red+car",
                       "/html/ POST q=red+car&s=10&dc=11&v=l&o=json&api=d.js&vqd=4-123%2B45",
                       "/html/ POST q=red+car&s=25&dc=26&v=l&o=json&api=d.js&vqd=4-123%2B45"};
}

void TestSearchHarvest::pageAddresses()
{
    QFETCH(QString, engine);
    QFETCH(QStringList, pages);
    const QString base = "http://127.0.0.1:8088";
    HarvestRun run(Engine(engine, base), "red car", 3);
    const auto shown = [&](const SearchPageRequest &page) {
        return page.address.mid(base.size()) + (page.post.isEmpty() ? QString() : " POST " + page.post);
    };
    QCOMPARE(shown(run.FirstPage()), pages.first());
    for (int i = 1; i < pages.size(); ++i) {
        run.list().Add(QStringLiteral("n%1.com").arg(i)); // each page brings a name
        const QString form = QStringLiteral("<form><input type=hidden name=\"s\" value=\"%1\">"
                                            "<input name=\"dc\" value=\"%2\" type=hidden>"
                                            "<input type=\"hidden\" name=\"vqd\" value=\"4-123+45\"></form>")
                                 .arg(i == 1 ? 10 : 25)
                                 .arg(i == 1 ? 11 : 26);
        QCOMPARE(shown(std::get<SearchPageRequest>(run.HarvestPage(1, "<form>old</form>" + form))), pages.at(i));
    }
}

void TestSearchHarvest::encodeTerm_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("term");
    QTest::newRow("spaces") << "red car"
                            << "red+car";
    QTest::newRow("signs that would change the query") << "c++ & more"
                                                       << "c%2B%2B+%26+more";
    QTest::newRow("hash") << "#1 shop"
                          << "%231+shop";
    QTest::newRow("non-ASCII as UTF-8") << QString::fromUtf8("caf\xC3\xA9") << "caf%C3%A9";
    QTest::newRow("percent") << "100%"
                             << "100%25";
    QTest::newRow("kept as they are") << "a-b._~Z9"
                                      << "a-b._~Z9";
}

void TestSearchHarvest::encodeTerm()
{
    QFETCH(QString, text);
    QFETCH(QString, term);
    QCOMPARE(HarvestRun::EncodeTerm(text), term);
}

void TestSearchHarvest::targets()
{
    QCOMPARE((QList<int>{HarvestRun::TargetForHarvestSize(0), HarvestRun::TargetForHarvestSize(1),
                         HarvestRun::TargetForHarvestSize(2), HarvestRun::TargetForHarvestSize(3),
                         HarvestRun::TargetForHarvestSize(-1)}),
             (QList<int>{100, 200, 500, 1000, 100}));
}

void TestSearchHarvest::harvestPageDecisions_data()
{
    QTest::addColumn<int>("sizeIndex");
    QTest::addColumn<QList<int>>("pages"); // names each page adds
    QTest::addColumn<int>("pagesAskedFor");
    QTest::addColumn<int>("total");
    QTest::addColumn<QString>("engine");
    QTest::newRow("200: 150, then 60") << 1 << QList<int>{150, 60} << 2 << 210 << "Google Search";
    QTest::newRow("100: an empty first page") << 0 << QList<int>{0} << 1 << 0 << "Google Search";
    QTest::newRow("1000: a second page that adds nothing") << 3 << QList<int>{40, 0} << 2 << 40 << "Google Search";
    // Brave has nothing past its ninth page, whatever the target.
    QTest::newRow("Brave: 9 pages at most") << 3 << QList<int>(12, 20) << 9 << 180 << "Brave Search";
}

void TestSearchHarvest::harvestPageDecisions()
{
    QFETCH(int, sizeIndex);
    QFETCH(QList<int>, pages);
    QFETCH(int, pagesAskedFor);
    QFETCH(int, total);
    QFETCH(QString, engine);
    HarvestRun run(Engine(engine, "http://g"), "x", sizeIndex);
    int asked = 1;
    int added = 0;
    for (const int count : pages) {
        for (int i = 0; i < count; ++i)
            run.list().Add(QStringLiteral("name%1.com").arg(added++));
        if (std::holds_alternative<HarvestRun::Finish>(run.HarvestPage(count, QString())))
            break;
        ++asked;
    }
    QVERIFY(run.finished());
    QCOMPARE(asked, pagesAskedFor);
    QCOMPARE(run.total(), total);
}

void TestSearchHarvest::finalListText_data()
{
    QTest::addColumn<QString>("harvest");
    QTest::addColumn<QString>("file");
    QTest::newRow("empty entries closed up") << "a.com\r\n\r\n\r\nb.com\r\n"
                                             << "a.com\r\nb.com\r\n\r\n";
    QTest::newRow("a link remnant is dropped whole") << "x.comtarget=_blank\r\ny.com\r\n"
                                                     << "y.com\r\n\r\n";
    QTest::newRow("empty harvest") << ""
                                   << "\r\n";
}

void TestSearchHarvest::finalListText()
{
    QFETCH(QString, harvest);
    QFETCH(QString, file);
    QCOMPARE(HarvestRun::FinalListText(harvest), file);
}

void TestSearchHarvest::searchesRelativePath_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("path");
    QTest::newRow("spaces stay") << "Google"
                                 << "red car"
                                 << "\\Searches\\Google red car.txt";
    QTest::newRow("yahoo") << "Yahoo"
                           << "red car"
                           << "\\Searches\\Yahoo red car.txt";
    QTest::newRow("an engine of the table") << "DuckDuckGo"
                                            << "red car"
                                            << "\\Searches\\DuckDuckGo red car.txt";
    QTest::newRow("slash") << "Google"
                           << "a/b"
                           << "\\Searches\\Google a_b.txt";
    QTest::newRow("climbing out") << "Google"
                                  << "..\\..\\x"
                                  << "\\Searches\\Google .._.._x.txt";
    QTest::newRow("line break") << "Google"
                                << "a\nb"
                                << "\\Searches\\Google a_b.txt";
    QTest::newRow("cut at 100") << "Google" << QString(150, 'q') << "\\Searches\\Google " + QString(100, 'q') + ".txt";
}

void TestSearchHarvest::searchesRelativePath()
{
    QFETCH(QString, engine);
    QFETCH(QString, text);
    QFETCH(QString, path);
    QCOMPARE(HarvestRun::SearchesRelativePath(engine, text), path);
}

void TestSearchHarvest::writeFiles()
{
    TestFolders folders;
    auto program = folders.MakePreparedProgram();
    HarvestRun run(Engine("Google Search", "http://g"), "red car", 0);
    for (const char *name : {"alpha-shop.com", "bravo.net", "OSCAR.NET"})
        run.list().Add(QLatin1String(name));
    const QByteArray bytes = "alpha-shop.com\r\nbravo.net\r\nOSCAR.NET\r\n\r\n";
    QVERIFY(run.WriteFiles(program->paths().folder()));
    QCOMPARE(FileBytes(folders.appFolder() + "/BrowserSearch.txt"), bytes);
    QCOMPARE(FileBytes(folders.appFolder() + "/searches/Google red car.txt"), bytes);
    // Without the folder the copy still appears; a list that cannot be written is reported.
    QDir(folders.appFolder() + "/searches").removeRecursively();
    QVERIFY(run.WriteFiles(program->paths().folder()));
    QCOMPARE(FileBytes(folders.appFolder() + "/Searches/Google red car.txt"), bytes);
    QFile::remove(folders.appFolder() + "/BrowserSearch.txt");
    QDir().mkpath(folders.appFolder() + "/BrowserSearch.txt");
    QVERIFY(!run.WriteFiles(program->paths().folder()));
}

QTEST_GUILESS_MAIN(TestSearchHarvest)
#include "tst_searchharvest.moc"

void TestSearchHarvest::engineTableWithBadRows()
{
    const QString text = "# a comment\n"
                         "Own Search | base=https://own.example | url={base}/find?q={query}&p={offset} | step=1 | pause=100\n"
                         "No Address | base=https://x.example | first=1\n"
                         "Bad Step | url=https://x.example/?q={query} | step=zero\n"
                         "Odd Field | url=https://x.example/?q={query} | colour=red\n"
                         "No Query | url=https://x.example/?q=fixed\n"
                         "Bad Pause | url=https://x.example/?q={query} | pause=soon\n"
                         "url=https://x.example/?q={query}\n"
                         "Google Search | url=https://mirror.example/search?q={query}&start={offset} | step=10\n";
    QStringList problems;
    const QList<SearchEngineRow> own = SearchEngines::Parse(text, "search-engines.txt", &problems);
    QCOMPARE(own.size(), 2);
    QCOMPARE(problems.size(), 6);
    QVERIFY(problems.first().startsWith("search-engines.txt line 3: no url="));
    QVERIFY(problems.at(1).startsWith("search-engines.txt line 4: step is not a number"));
    QVERIFY(problems.at(2).contains("unknown field \"colour\""));
    QVERIFY(problems.at(3).contains("no {query}"));
    QVERIFY(problems.at(5).startsWith("search-engines.txt line 8: no caption first"));
    QCOMPARE(own.first().pauseMinMs, 100);
    QCOMPARE(own.first().pauseMaxMs, 100);
    // The user's rows add to the built-in ones; one of the same caption replaces it in place.
    const QList<SearchEngineRow> merged = SearchEngines::Merge(SearchEngines::BuiltIn(), own);
    QCOMPARE(merged.size(), SearchEngines::BuiltIn().size() + 1);
    QCOMPARE(merged.first().caption, QString("Google Search"));
    QCOMPARE(merged.first().step, 10);
    QCOMPARE(merged.last().caption, QString("Own Search"));
    // The built-in table reads whole.
    QStringList captions;
    for (const SearchEngineRow &row : SearchEngines::BuiltIn())
        captions << row.caption;
    QCOMPARE(captions, (QStringList{"Google Search", "Yahoo Search", "DuckDuckGo Search", "Bing Search",
                                    "Mojeek Search", "Brave Search"}));
}

void TestSearchHarvest::resultLinksOfEachEngine_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("markup");
    QTest::addColumn<QStringList>("links");
    QTest::newRow("DuckDuckGo: uddg unwrapped, ads and its own links dropped")
        << "DuckDuckGo Search"
        << "<div class=\"result\"><a class=\"result__a\" href=\"//duckduckgo.com/l/?uddg=https%3A%2F%2Fwww.alpha.com%2Fpage&amp;rut=ab\">Alpha</a>"
           "<a class=\"result__url\" href=\"//duckduckgo.com/l/?uddg=https%3A%2F%2Fwww.alpha.com%2Fpage\">www.alpha.com</a></div>"
           "<div class=\"result--ad\"><a href=\"https://duckduckgo.com/y.js?ad_domain=shop.com&amp;u3=x\">Ad</a></div>"
           "<a href=\"/html/?q=red\">Next</a><a href='https://duck.com/feedback'>Feedback</a>"
        << QStringList{"https://www.alpha.com/page"};
    QTest::newRow("Bing: u=a1 with base64 unwrapped, Microsoft's links dropped")
        << "Bing Search"
        << "<li class=\"b_algo\"><h2><a href=\"https://www.bing.com/ck/a?!&amp;&amp;p=ab&amp;u=a1aHR0cHM6Ly93d3cuYnJhdm8ub3JnLw&amp;ntb=1\">Bravo</a></h2></li>"
           "<a href=\"https://go.microsoft.com/fwlink/?LinkId=521839\">Privacy</a><a href=\"/search?q=red&amp;first=11\">2</a>"
           "<a href=\"https://cdn.cloudflare.com/lib.js\">cdn</a>"
        << QStringList{"https://www.bravo.org/"};
    QTest::newRow("Mojeek: plain links, its own pages dropped")
        << "Mojeek Search"
        << "<ul class=\"results-standard\"><li><a class=\"ob\" href=\"https://charlie.net/\">Charlie</a></li>"
           "<li><a class=\"ob\" href=\"https://charlie.net/\">again</a></li></ul>"
           "<a href=\"/search?q=red&amp;s=10\">Next</a><a href=\"https://www.mojeek.com/about\">About</a>"
        << QStringList{"https://charlie.net/"};
    QTest::newRow("Brave: image hosts and its own pages dropped")
        << "Brave Search"
        << "<div class=\"snippet\"><a href=\"https://delta.io/x\"><img src=\"https://imgs.search.brave.com/a.png\"></a></div>"
           "<a href=\"https://imgs.search.brave.com/b\">i</a><a href=\"https://search.brave.com/settings\">Settings</a>"
           "<a href=\"https://brave.com/download/\">Get Brave</a><a href=\"mailto:x@echo.com\">mail</a>"
        << QStringList{"https://delta.io/x"};
}

void TestSearchHarvest::resultLinksOfEachEngine()
{
    QFETCH(QString, engine);
    QFETCH(QString, markup);
    QFETCH(QStringList, links);
    // Relative links resolve against the engine's own host.
    QCOMPARE(SearchEngines::ResultLinks(Engine(engine), markup), links);
}

void TestSearchHarvest::challenges_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("markup");
    QTest::addColumn<QString>("message"); // empty: a result page
    const QString person = "%1 asks to prove you are a person: solve it in the browse window, then continue";
    QTest::newRow("Google sorry redirect") << "Google Search" << "https://www.google.com/sorry/index?continue=x" << 200
                                           << "<p>Our systems have detected</p>" << person.arg("Google");
    QTest::newRow("Google consent host") << "Google Search" << "https://consent.google.com/ml?continue=x" << 200 << ""
                                         << "Google asks for consent first: answer it in the browse window, then continue";
    QTest::newRow("Bing at 429") << "Bing Search" << "https://www.bing.com/search?q=x" << 429 << ""
                                 << "Bing refuses more searches for now (HTTP 429): try again later, or open the page in "
                                    "the browse window";
    QTest::newRow("DuckDuckGo in-page challenge") << "DuckDuckGo Search" << "https://html.duckduckgo.com/html/" << 200
                                                  << "<div class=\"anomaly-modal__title\">Select all squares</div>"
                                                  << person.arg("DuckDuckGo");
    QTest::newRow("Brave captcha path") << "Brave Search" << "https://search.brave.com/search/captcha?q=x" << 200 << ""
                                        << person.arg("Brave");
    QTest::newRow("a result page") << "Mojeek Search" << "https://www.mojeek.com/search?q=x" << 200
                                   << "<a href=\"https://charlie.net/\">Charlie</a>" << "";
}

void TestSearchHarvest::challenges()
{
    QFETCH(QString, engine);
    QFETCH(QString, address);
    QFETCH(int, status);
    QFETCH(QString, markup);
    QFETCH(QString, message);
    const SearchEngineRow row = Engine(engine);
    const std::optional<SearchChallenge> challenge = SearchEngines::DetectChallenge(row, address, status, markup);
    QCOMPARE(challenge ? challenge->Message(row.ShortName()) : QString(), message);
}

void TestSearchHarvest::aRepeatedPageIsSeen()
{
    HarvestRun run(Engine("Bing Search"), "x", 3);
    QVERIFY(!run.Repeats("https://a.com/"));
    run.list().Add("a.com");
    run.HarvestPage(1, QString());
    QVERIFY(run.Repeats("https://a.com/")); // page 2 is page 1 again: Bing limits
    QVERIFY(!run.Repeats("https://b.com/"));
    run.Challenged({SearchChallenge::Kind::Repeated, QString()});
    QCOMPARE(run.ending(), HarvestRun::Ending::Stopped);
    QCOMPARE(run.challenge()->Message("Bing"), QString("Bing sent the page before again: it limits searches now"));
}
