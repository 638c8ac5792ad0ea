#include "browse/BrowseQueue.h"
#include "browse/PageScan.h"
#include "support/ExamplePages.h"
#include "support/TestFolders.h"
#include "whois_table/RegistrarTable.h"

#include <QTest>

namespace {
const QString kSameFrameTwice = "<frame src=\"/a.html\"><frame src=\"http://h/a.html\">";
const QString kFrameTagLine = "<frame src=\"http://www.kilo.com/left.html\" name=\"left\">";
} // namespace

// The browse window's scan of a page, and its queue file.
class TestPageScan : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void namesOfAPage_data();
    void namesOfAPage();
    void frameAddresses();
    void framesAreFollowedOnceAndAtMostEight();
    void frameTagLinesAreNotScanned();
    void forgettingTheSeenNamesQueuesThemAgain();
    void queueFileBytes();
    void aLongLineWithoutDelimitersTakesLinearTime();

private:
    QStringList Scan(const QString &markup);

    std::unique_ptr<RegistrarTable> m_table;
    std::unique_ptr<PageScan> m_scan;
};

void TestPageScan::init()
{
    QList<RegistrarEntry> rows = {{"proxy", "127.0.0.1", 43, true}};
    for (const char *extension : {"com", "net", "info", "biz", "name"})
        rows.append({QLatin1String(extension), "whois.example", 43, true});
    rows.append({"org", "whois.example", 43, false});
    m_table = std::make_unique<RegistrarTable>(rows);
    m_scan = std::make_unique<PageScan>(*m_table, QStringList{"yahoo.com", "afternic.com"});
}

QStringList TestPageScan::Scan(const QString &markup)
{
    m_scan->Begin(markup);
    while (!m_scan->Step(5))
        ;
    return m_scan->accepted();
}

void TestPageScan::namesOfAPage_data()
{
    QTest::addColumn<QStringList>("pages"); // scanned in order; the names of the last one count
    QTest::addColumn<QStringList>("names");
    QTest::newRow("a browse page") << QStringList{ExamplePages::kBrowse1}
                                   << QStringList{"alpha.com",   "bravo.net", "charlie.biz", "echo.info",
                                                  "foxtrot.com", "golf.name", "india.com",   "lpha.com"};
    QTest::newRow("seen already, but for one")
        << QStringList{ExamplePages::kBrowse1, ExamplePages::kBrowse2} << QStringList{"juliet.com"};
    QTest::newRow("no name") << QStringList{"<p>Nothing to see here.</p>"} << QStringList();
    QTest::newRow("a name at the start of a line keeps its first letter")
        << QStringList{"<p>see a.com/bar.net/ ok</p>"} << QStringList{"a.com", "bar.net"};
    QTest::newRow("e-mail address") << QStringList{"<p>Contact: webmaster@uniform.biz</p>"}
                                    << QStringList{"uniform.biz"};
    QTest::newRow("mail link") << QStringList{"<a href=\"mailto:victor@whiskey.com\">mail</a>"}
                               << QStringList{"whiskey.com"};
    QTest::newRow("link") << QStringList{ExamplePages::kLeftFrame} << QStringList{"sierra.com"};
    QTest::newRow("text") << QStringList{ExamplePages::kRightFrame} << QStringList{"tango.net"};
    QTest::newRow("no host name") << QStringList{"<p>" + QString(3000, 'x') + ".com </p>"} << QStringList();
    // Running text: a comma, semicolon, closing parenthesis or tag after an extension ends a name.
    QTest::newRow("names in running text")
        << QStringList{"<p>Try aaseven.com, bbseven.com; ccseven.net (or ddseven.com) and eeseven.biz<br>!</p>"}
        << QStringList{"aaseven.com", "bbseven.com", "ccseven.net", "ddseven.com", "eeseven.biz"};
}

void TestPageScan::namesOfAPage()
{
    QFETCH(QStringList, pages);
    QFETCH(QStringList, names);
    QStringList last;
    for (const QString &page : pages)
        last = Scan(page);
    QCOMPARE(last, names);
}

void TestPageScan::frameAddresses()
{
    QCOMPARE(PageScan::FrameAddresses(ExamplePages::kFrameTags, "http://127.0.0.1:8000/dir/top.html"),
             (QStringList{"http://127.0.0.1:8000/left.html", "http://127.0.0.1:8000/dir/right.html",
                          "http://www.kilo.com/k.html", "http://127.0.0.1:8000/i.html",
                          "http://127.0.0.1:8000/dir/a.html?x=1&y=2"}));
    // Inline frames are followed like frames, in the order they stand.
    QCOMPARE(PageScan::FrameAddresses("<IFRAME src='/i1.html'></iframe><frameset><frame src=f.html>"
                                      "<iframes src=/no.html><iframe\nsrc=\"i2.html\" width=1>",
                                      "http://h/d/"),
             (QStringList{"http://h/i1.html", "http://h/d/f.html", "http://h/d/i2.html"}));
}

void TestPageScan::framesAreFollowedOnceAndAtMostEight()
{
    QString twelve;
    for (int i = 1; i <= 12; ++i)
        twelve += QStringLiteral("<frame src=\"/f%1.html\">").arg(i);
    const QStringList addresses = PageScan::FrameAddresses(twelve, "http://h/");
    QCOMPARE(addresses.size(), 8);
    QCOMPARE(addresses.last(), QString("http://h/f8.html"));
    QCOMPARE(PageScan::FrameAddresses(kSameFrameTwice, "http://h/"), QStringList{"http://h/a.html"});
}

void TestPageScan::frameTagLinesAreNotScanned()
{
    QCOMPARE(Scan(kFrameTagLine), QStringList());
}

void TestPageScan::forgettingTheSeenNamesQueuesThemAgain()
{
    QCOMPARE(Scan(ExamplePages::kBrowse1).size(), 8);
    QCOMPARE(Scan(ExamplePages::kBrowse1).size(), 0);
    m_scan->ForgetSeen();
    QCOMPARE(Scan(ExamplePages::kBrowse1).size(), 8);
}

void TestPageScan::queueFileBytes()
{
    TestFolders folders;
    BrowseQueue queue(folders.path("BrowseQueue.txt"));
    QVERIFY(!queue.ReadQueuedName(0)); // no file yet: nothing to read, nothing skipped
    queue.Append(Scan(ExamplePages::kBrowse1));
    queue.Append(Scan("<p>Nothing to see here.</p>"));
    QCOMPARE(
        FileBytes(queue.path()),
        QByteArray(
            "alpha.com\r\nbravo.net\r\ncharlie.biz\r\necho.info\r\nfoxtrot.com\r\ngolf.name\r\nindia.com\r\nlpha.com\r\n\r\n\r\n"));
    QCOMPARE(queue.ReadQueuedName(7), std::optional<QString>("lpha.com"));
    QVERIFY(!queue.ReadQueuedName(8));
    QVERIFY(queue.Reset());
    QVERIFY(!QFile::exists(queue.path()));
}

void TestPageScan::aLongLineWithoutDelimitersTakesLinearTime()
{
    // Work that grew with the square of the line would run for hours here, far past the
    // test's time limit; linear work takes milliseconds.
    QCOMPARE(Scan("<p>" + QString(1000000, 'x') + ".com </p>"), QStringList());
}

QTEST_GUILESS_MAIN(TestPageScan)
#include "tst_pagescan.moc"
