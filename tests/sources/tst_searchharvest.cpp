#include "app/Program.h"
#include "sources/HarvestRun.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QTest>

namespace {

// A row of the built-in engine table, asked at `base`.
SearchEngineRow Engine(const QString &caption, const QString &base = "http://127.0.0.1:8088")
{
    for (SearchEngineRow row : SearchEngines::BuiltIn()) {
        if (row.caption == caption) {
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
    HarvestRun run(Engine(engine), "x", sizeIndex);
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
    HarvestRun run(Engine("Google Search"), "red car", 0);
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
