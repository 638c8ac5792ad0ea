#include "platform/TextFile.h"
#include "sources/DomainExtractor.h"
#include "sources/HarvestList.h"
#include "support/ExamplePages.h"
#include "support/ReferenceTextRoutines.h"
#include "whois_table/RegistrarTable.h"

#include <QRandomGenerator>
#include <QTest>

// Domain names picked out of result pages.
class TestDomainExtractor : public QObject
{
    Q_OBJECT
private slots:
    void namesOfOnePage_data();
    void namesOfOnePage();
    void excludedTextsComeFromTheConfiguration();
    void threePagesOfOneHarvest();
    void longPagesTakeLinearTime();
    void markupPastTheLimitIsNotRead();
    void preparationAgreesWithTheReference();

private:
    static RegistrarTable Table(const QStringList &alsoEnabled = {});
    static QStringList Extract(const RegistrarTable &table, const QString &markup, HarvestList &list,
                               const QStringList &excluded = {"yahoo.com", "afternic.com"});
};

RegistrarTable TestDomainExtractor::Table(const QStringList &alsoEnabled)
{
    QList<RegistrarEntry> rows = {{"proxy", "127.0.0.1", 43, true}};
    for (const char *extension : {"com", "net", "info", "biz", "name"})
        rows.append({QLatin1String(extension), "whois.example", 43, true});
    for (const char *extension : {"org", "uk"})
        rows.append(
            {QLatin1String(extension), "whois.example", 43, alsoEnabled.contains(QLatin1String(extension))});
    return RegistrarTable(rows);
}

QStringList TestDomainExtractor::Extract(const RegistrarTable &table, const QString &markup,
                                         HarvestList &list, const QStringList &excluded)
{
    DomainExtractor extractor(table, excluded);
    const qsizetype before = list.size();
    extractor.Begin(markup);
    while (!extractor.Step(list, 7)) // small steps: the walk must not depend on where they end
        ;
    return list.names().mid(before);
}

void TestDomainExtractor::namesOfOnePage_data()
{
    QTest::addColumn<QString>("markup");
    QTest::addColumn<QStringList>("enabled");
    QTest::addColumn<QStringList>("names");
    const QStringList none;
    QTest::newRow("link") << R"(<a href="http://www.example.com/page.html">x</a>)" << none
                          << QStringList{"example.com"};
    QTest::newRow("scheme in capitals, case kept")
        << R"(<a href="HTTP://WWW.EXAMPLE.COM/">x</a>)" << none << QStringList{"EXAMPLE.COM"};
    QTest::newRow("subdomain") << R"(<a href="http://shop.example.com/">x</a>)" << none
                               << QStringList{"example.com"};
    QTest::newRow("two subdomains") << R"(<a href="http://a.b.example.com/">x</a>)" << none
                                    << QStringList{"example.com"};
    QTest::newRow("a part of a name found is a name of its own")
        << R"(<a href="http://www.example.com/">x</a> <a href="http://www.ample.com/">y</a>)" << none
        << QStringList{"example.com", "ample.com"};
    QTest::newRow("no trailing blank")
        << "see http://www.example.com now" << none << QStringList{"example.com"};
    QTest::newRow("at sign") << R"(<a href="http://user@example.com/">x</a>)" << none << QStringList();
    QTest::newRow("encoded at sign") << R"(<a href="http://user%40example.com/">x</a>)" << none
                                     << QStringList();
    QTest::newRow("yimg") << R"(<img src="http://us.yimg.com/i/a.gif">)" << none << QStringList();
    QTest::newRow("search engine's own domain")
        << R"(<a href="http://dir.yahoo.com/x">x</a>)" << none << QStringList();
    QTest::newRow("bare host keeps its name")
        << R"(<a href="http://example.info/">x</a>)" << none << QStringList{"example.info"};
    QTest::newRow("quote after the host")
        << R"(<a href="http://example.com">x</a>)" << none << QStringList{"example.com"};
    QTest::newRow("port") << R"(<a href="http://www.example.com:8080/a">x</a>)" << none
                          << QStringList{"example.com"};
    QTest::newRow("co.uk below www") << R"(<a href="http://www.example.co.uk/">x</a>)" << QStringList{"uk"}
                                     << QStringList{"example.co.uk"};
    QTest::newRow("co.uk") << R"(<a href="http://example.co.uk/">x</a>)" << QStringList{"uk"}
                           << QStringList{"example.co.uk"};
    QTest::newRow("https") << R"(<a href="https://www.example.com/">x</a>)" << none
                           << QStringList{"example.com"};
    QTest::newRow("www in text") << "<p>www.example.biz/</p>" << none << QStringList{"example.biz"};
    QTest::newRow("org disabled") << R"(<a href="http://www.lima.org/">x</a>)" << none << QStringList();
    QTest::newRow("org enabled") << R"(<a href="http://www.lima.org/">x</a>)" << QStringList{"org"}
                                 << QStringList{"lima.org"};
    QTest::newRow("line break decoded inside a link")
        << R"(<a href="http://www.example.com%0D%0Aevil.net/">x</a>)" << none << QStringList();
    QTest::newRow("label too long") << R"(<a href="http://)" + QString(70, 'a') + R"(.com/">x</a>)" << none
                                    << QStringList();
}

void TestDomainExtractor::namesOfOnePage()
{
    QFETCH(QString, markup);
    QFETCH(QStringList, enabled);
    QFETCH(QStringList, names);
    HarvestList list;
    QCOMPARE(Extract(Table(enabled), markup, list), names);
}

void TestDomainExtractor::excludedTextsComeFromTheConfiguration()
{
    HarvestList list;
    const QString excludedNow = R"(<a href="http://www.example.net/">x</a>)";
    const QString excludedByDefault = R"(<a href="http://dir.yahoo.com/x">x</a>)";
    QCOMPARE(Extract(Table(), excludedNow, list, {"example.net"}), QStringList());
    QCOMPARE(Extract(Table(), excludedByDefault, list, {"example.net"}), QStringList{"yahoo.com"});
}

void TestDomainExtractor::threePagesOfOneHarvest()
{
    const RegistrarTable table = Table();
    HarvestList list;
    QCOMPARE(Extract(table, ExamplePages::kGoogle1, list).size(), 8);
    QCOMPARE(Extract(table, ExamplePages::kGoogle2, list).size(), 2);
    QCOMPARE(Extract(table, ExamplePages::kGoogle3, list).size(), 0);
    QCOMPARE(list.Text(), QString("alpha-shop.com\r\nbravo.net\r\ncharlie.info\r\ndelta.biz\r\necho.com\r\n"
                                  "foxtrot.info\r\nshop.com\r\nmike.com\r\nnovember.com\r\nOSCAR.NET\r\n"));
    HarvestList yahoo;
    QCOMPARE(Extract(table, ExamplePages::kYahoo1, yahoo),
             (QStringList{"papa.com", "quebec.net", "romeo.biz"}));
}

void TestDomainExtractor::longPagesTakeLinearTime()
{
    QString page;
    for (int i = 0; i < 20000; ++i)
        page += QStringLiteral("<a href=\"http://www.site%1.com/\">x</a>").arg(i, 5, 10, QLatin1Char('0'));
    const RegistrarTable table = Table();
    // Work that grew with the square of the page would run far past the test's time limit.
    HarvestList list;
    QCOMPARE(Extract(table, page, list).size(), 20000);
    // A name of a million letters is no host name, and costs no more than its length.
    QCOMPARE(Extract(table, "<a href=\"http://www." + QString(1000000, 'x') + ".com/\">x</a>", list).size(),
             0);
}

void TestDomainExtractor::markupPastTheLimitIsNotRead()
{
    // A page of some megabytes is read to its end; past the limit nothing is read.
    const QString link = "<a href=\"http://www.late.com/\">";
    QString page(5400 * 1024, ' ');
    page.replace(page.size() - 40, link.size(), link);
    HarvestList list;
    QCOMPARE(Extract(Table(), page, list), QStringList{"late.com"});
    page = QString(DomainExtractor::kMarkupLimit + 1024, ' ');
    page.replace(DomainExtractor::kMarkupLimit + 100, link.size(), link);
    HarvestList other;
    QCOMPARE(Extract(Table(), page, other), QStringList());
}

void TestDomainExtractor::preparationAgreesWithTheReference()
{
    static const QStringList fragments = {
        "http://", "HTTP://", "https://", "=www.", ">www.", "<Frame", "<frame", ".com", ".net", "\"",
        "'",       " ",       "/",        ":",     "?",     "a",      "b",      "x",    "%20",  "\r\n"};
    const RegistrarTable table = Table();
    QRandomGenerator random(20261208);
    for (int round = 0; round < 2000; ++round) {
        QString markup;
        const int pieces = random.bounded(1, 40);
        for (int i = 0; i < pieces; ++i)
            markup += fragments.at(random.bounded(int(fragments.size())));
        QStringList ours = TextFile::SplitLines(DomainExtractor::PreparePageText(markup, table));
        QStringList reference = TextFile::SplitLines(Reference::PreparePageText(markup, table));
        ours.removeAll(QString());
        reference.removeAll(QString());
        QVERIFY2(ours == reference, qPrintable(markup));
    }
}

QTEST_GUILESS_MAIN(TestDomainExtractor)
#include "tst_domainextractor.moc"
