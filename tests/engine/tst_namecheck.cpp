#include "engine/HostLimit.h"
#include "engine/NameCheck.h"
#include "engine/VerdictFiler.h"
#include "results/ResultFiles.h"
#include "results/ResultLists.h"
#include "results/UncheckedNames.h"
#include "whois_table/RegistrarTable.h"

#include <QDir>
#include <QTemporaryDir>
#include <QFile>
#include <QTest>

// The pieces every checker shares: a list line to names and a name to its server (NameCheck),
// a verdict to its list (VerdictFiler), and the published limits table.
class TestNameCheck : public QObject
{
    Q_OBJECT
private slots:
    void aLineStandsForItsNames_data();
    void aLineStandsForItsNames();
    void aNameFindsItsServerOrItsProblem_data();
    void aNameFindsItsServerOrItsProblem();
    void eachNameInARowNamesItsOwnServer();
    void theFilerFilesEachOutcomeAndTellsAFailureOnce();
    void unreadableLimitRowsArePassedOverWithTheirLine();

private:
    static NameCheck Check(const QStringList &extensions = {});
};

namespace {
const RegistrarTable &Table()
{
    static const RegistrarTable table({{"com", "whois.verisign-grs.com", 43, true},
                                       {"de", "whois.denic.de", 43, true},
                                       {"io", "whois.nic.io", 4343, true}});
    return table;
}
} // namespace

NameCheck TestNameCheck::Check(const QStringList &extensions)
{
    CheckSettings settings;
    settings.extensions = extensions;
    return NameCheck({Table()}, settings);
}

void TestNameCheck::aLineStandsForItsNames_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("extensions");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("endOfList");
    QTest::newRow("a note after a tab") << "shop.de\tmy note" << QStringList() << QStringList{"shop.de"} << false;
    QTest::newRow("each extension to try") << "  Shop " << QStringList{"io", "de"} << QStringList{"Shop.io", "Shop.de"}
                                           << false;
    QTest::newRow("a name with its own extension") << "shop.de" << QStringList{"io"} << QStringList{"shop.de"}
                                                   << false;
    // Asked as the bare ".com", which is never filed.
    QTest::newRow("an empty line") << "   " << QStringList() << QStringList{""} << false;
    QTest::newRow("the end mark") << "endoffileffile" << QStringList() << QStringList() << true;
}

void TestNameCheck::aLineStandsForItsNames()
{
    QFETCH(QString, line);
    QFETCH(QStringList, extensions);
    const NameCheck::LineNames names = Check(extensions).NamesOfLine(line);
    QTEST(names.names, "names");
    QTEST(names.endOfList, "endOfList");
}

void TestNameCheck::aNameFindsItsServerOrItsProblem_data()
{
    QTest::addColumn<QString>("candidate");
    QTest::addColumn<QString>("wireName");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("extensionAdded");
    QTest::addColumn<int>("problem"); // -1: none
    QTest::newRow("no extension gets .com") << "shop" << "shop.com" << "whois.verisign-grs.com" << 43 << true << -1;
    QTest::newRow("the A-label goes on the wire")
        << "bücher.de" << "xn--bcher-kva.de" << "whois.denic.de" << 43 << false << -1;
    QTest::newRow("the row's port") << "shop.io" << "shop.io" << "whois.nic.io" << 4343 << false << -1;
    QTest::newRow("no row and no RDAP") << "shop.zz" << "" << "" << 43 << false
                                        << int(CheckedName::Problem::NoServer);
    QTest::newRow("a control character") << "sh\x01op.com" << "" << "" << 43 << false
                                         << int(CheckedName::Problem::InvalidName);
}

void TestNameCheck::aNameFindsItsServerOrItsProblem()
{
    QFETCH(QString, candidate);
    QFETCH(int, problem);
    const CheckedName name = Check().Prepare(candidate);
    QCOMPARE(name.problem ? int(*name.problem) : -1, problem);
    if (name.problem) {
        QVERIFY(!name.reason.isEmpty());
        return;
    }
    QTEST(name.wireName, "wireName");
    QTEST(name.host, "host");
    QTEST(int(name.port), "port");
    QTEST(name.extensionAdded, "extensionAdded");
    QCOMPARE(name.DecidedBy(), "whois " + name.host);
}

void TestNameCheck::eachNameInARowNamesItsOwnServer()
{
    // The text is made again only when the host or the protocol changes from the name before.
    CheckedName whois;
    whois.host = "whois.example.net";
    CheckedName rdap = whois;
    rdap.rdapBase = "https://whois.example.net/rdap/";
    CheckedName other;
    other.host = "whois.other.net";
    const std::pair<CheckedName, QString> inARow[] = {{whois, "whois whois.example.net"},
                                                      {rdap, "RDAP whois.example.net"},
                                                      {whois, "whois whois.example.net"},
                                                      {other, "whois whois.other.net"}};
    for (const auto &[name, text] : inARow)
        QCOMPARE(name.DecidedBy(), text);
}

void TestNameCheck::theFilerFilesEachOutcomeAndTellsAFailureOnce()
{
    QTemporaryDir dir;
    ResultLists lists;
    ResultFiles files{AppFolder(dir.path())};
    UncheckedNames unchecked(dir.path() + "/no such folder/Unchecked.txt"); // cannot be written
    QStringList told;
    FailureReporter reporter([&](const QString &title, const QString &) { told << title; });
    VerdictFiler filer(lists, files, unchecked, reporter);

    QCOMPARE(filer.File("ab.com", Verdict::Free), CheckOutcome::High);
    QCOMPARE(filer.File("shops.com", Verdict::Free), CheckOutcome::Mid);
    QCOMPARE(filer.File("taken.com", Verdict::Taken), CheckOutcome::Registered);
    QCOMPARE(filer.File("slow.com", Verdict::NoVerdict, "no answer"), CheckOutcome::Unchecked);
    QCOMPARE(filer.File("slower.com", Verdict::NoVerdict, "no answer"), CheckOutcome::Unchecked);
    QCOMPARE(lists.itemCount(ResultList::High) + lists.itemCount(ResultList::Mid), 2);
    QCOMPARE(lists.itemCount(ResultList::Registered), 1);
    QCOMPARE(filer.tally().count(), 2);
    QCOMPARE(filer.tally().reasons().value("no answer"), 2);
    QCOMPARE(told, QStringList{"Result files"}); // two failed writes, told once
    // A premium name goes to its list with the mark the user sees; the list's text stays bare.
    QCOMPARE(filer.File("shopsy.com", Verdict::Free, Judgement::kPremium), CheckOutcome::Mid);
    const QStringListModel *mid = lists.model(ResultList::Mid);
    const QModelIndex premium = mid->index(mid->rowCount() - 1);
    QCOMPARE(mid->data(premium).toString(), "shopsy.com" + ResultListModel::kPremiumMark);
    QVERIFY(mid->data(premium, Qt::ToolTipRole).toString().contains("premium price"));
    QCOMPARE(lists.items(ResultList::Mid).last(), QString("shopsy.com"));
    QVERIFY(!mid->data(mid->index(0), Qt::ToolTipRole).isValid()); // shops.com: no mark
    filer.Restart();
    reporter.Restart();
    QCOMPARE(filer.tally().count(), 0);
}

void TestNameCheck::unreadableLimitRowsArePassedOverWithTheirLine()
{
    QStringList problems;
    const QHash<QString, HostLimit> limits =
        ParseLimitsTable("# published limits\nwhois.nic.uk\t5/2 1000/day\nwhois.bad\tfast\n\nWHOIS.NIC.FI\t5 / 1\n"
                         "whois.zero\t1/0\nwhois.c\t2/2\t1800/15min  # CentralNic\nwhois.q\t1/1 100/week\n"
                         "whois.w\t1/1 5/0min\n",
                         "limits.txt", &problems);
    QCOMPARE(limits.value("whois.nic.uk"), (HostLimit{5, 2, 0, 0, 1000}));
    QCOMPARE(limits.value("whois.nic.fi"), (HostLimit{5, 1}));
    QCOMPARE(limits.value("whois.c"), (HostLimit{2, 2, 1800, 15, 0}));
    QCOMPARE(limits.size(), 3);
    QCOMPARE(problems.size(), 4);
    QVERIFY(problems.at(0).startsWith("limits.txt line 3"));
    QVERIFY(problems.at(1).startsWith("limits.txt line 6"));
    QVERIFY2(problems.at(2).startsWith("limits.txt line 8") && problems.at(2).contains("\"100/week\" is not a quota"),
             qPrintable(problems.at(2)));
    QVERIFY(problems.at(3).startsWith("limits.txt line 9"));
    // The shipped table reads without a problem.
    QFile shipped(":/orvelle/whois-limits.txt");
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    problems.clear();
    QVERIFY(ParseLimitsTable(QString::fromUtf8(shipped.readAll()), "whois-limits.txt", &problems).size() >= 8);
    QCOMPARE(problems, QStringList());
}

QTEST_GUILESS_MAIN(TestNameCheck)
#include "tst_namecheck.moc"
