#include "app/Program.h"
#include "sources/HarvestRun.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QTest>

Q_DECLARE_METATYPE(SearchEngine)

// The rules of a harvest: addresses, terms, targets, when to stop, and the files it leaves.
class TestSearchHarvest : public QObject
{
    Q_OBJECT
private slots:
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

void TestSearchHarvest::pageAddresses()
{
    const QString base = "http://127.0.0.1:8088";
    HarvestRun google(SearchEngine::Google, "red car", 3, base, base);
    QCOMPARE(google.FirstPageAddress(),
             base + "/search?num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off&filter=0&start=0"
                    "&sa=N&q=red+car");
    for (const char *start : {"100", "200"}) {
        google.list().Add(QStringLiteral("n%1.com").arg(start)); // each page brings a name
        const HarvestRun::Next next = google.HarvestPage(1);
        QCOMPARE(std::get<QString>(next),
                 base + "/search?num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off&filter=0&start=" + start +
                     "&sa=N&q=red+car");
    }
    HarvestRun yahoo(SearchEngine::Yahoo, "red car", 3, base, base);
    QCOMPARE(yahoo.FirstPageAddress(), base + "/search/dir?h=s&xargs=0&p=red+car&b=1");
    QCOMPARE(std::get<QString>(yahoo.HarvestPage(1)), base + "/search/dir?h=s&xargs=0&p=red+car&b=21");
    QCOMPARE(std::get<QString>(yahoo.HarvestPage(1)), base + "/search/dir?h=s&xargs=0&p=red+car&b=41");
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
    QTest::newRow("200: 150, then 60") << 1 << QList<int>{150, 60} << 2 << 210;
    QTest::newRow("100: an empty first page") << 0 << QList<int>{0} << 1 << 0;
    QTest::newRow("1000: a second page that adds nothing") << 3 << QList<int>{40, 0} << 2 << 40;
}

void TestSearchHarvest::harvestPageDecisions()
{
    QFETCH(int, sizeIndex);
    QFETCH(QList<int>, pages);
    QFETCH(int, pagesAskedFor);
    QFETCH(int, total);
    HarvestRun run(SearchEngine::Google, "x", sizeIndex, "http://g", "http://y");
    int asked = 1;
    int added = 0;
    for (const int count : pages) {
        for (int i = 0; i < count; ++i)
            run.list().Add(QStringLiteral("name%1.com").arg(added++));
        if (std::holds_alternative<HarvestRun::Finish>(run.HarvestPage(count)))
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
    QTest::addColumn<SearchEngine>("engine");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("path");
    QTest::newRow("spaces stay") << SearchEngine::Google << "red car"
                                 << "\\Searches\\Google red car.txt";
    QTest::newRow("yahoo") << SearchEngine::Yahoo << "red car"
                           << "\\Searches\\Yahoo red car.txt";
    QTest::newRow("slash") << SearchEngine::Google << "a/b"
                           << "\\Searches\\Google a_b.txt";
    QTest::newRow("climbing out") << SearchEngine::Google << "..\\..\\x"
                                  << "\\Searches\\Google .._.._x.txt";
    QTest::newRow("line break") << SearchEngine::Google << "a\nb"
                                << "\\Searches\\Google a_b.txt";
    QTest::newRow("cut at 100") << SearchEngine::Google << QString(150, 'q')
                                << "\\Searches\\Google " + QString(100, 'q') + ".txt";
}

void TestSearchHarvest::searchesRelativePath()
{
    QFETCH(SearchEngine, engine);
    QFETCH(QString, text);
    QFETCH(QString, path);
    QCOMPARE(HarvestRun::SearchesRelativePath(engine, text), path);
}

void TestSearchHarvest::writeFiles()
{
    TestFolders folders;
    auto program = folders.MakePreparedProgram();
    HarvestRun run(SearchEngine::Google, "red car", 0, "http://g", "http://y");
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
