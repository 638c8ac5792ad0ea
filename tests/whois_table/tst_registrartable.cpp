#include "platform/TextFile.h"
#include "support/TestFolders.h"
#include "whois_table/RegistrarFile.h"
#include "whois_table/RegistrarTable.h"
#include "whois_table/RegistrarTableModel.h"

#include <QFile>
#include <QSet>
#include <QTest>

class TestRegistrarTable : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void defaultFileHas89RowsSixEnabled();
    void defaultHostsAreEachRegistrysOwn();
    void serverFieldsAreWhoisHostsOrRdapAddresses_data();
    void serverFieldsAreWhoisHostsOrRdapAddresses();
    void defaultFileBytes();
    void restoreReplacesTheFile();
    void saveReplacesEveryRowOfTheExtensionInPlace();
    void saveOfANewExtensionAppendsAfterTheEmptyLine();
    void saveLowerCasesTheExtensionOnly();
    void saveRefusesBadFieldsWithoutWriting_data();
    void saveRefusesBadFieldsWithoutWriting();
    void loadSkipsMalformedLinesAndGoesOn_data();
    void loadSkipsMalformedLinesAndGoesOn();
    void blankOnlyFileLeavesTheTableAsItWas();
    void rowsAnExtensionHasTwiceAreDropped();
    void statusIsEnabledOnlyForTheExactWord();
    void listRowsKeepsTheFileText();
    void rewriteKeepsSkippedLinesInPlace();
    void modelDeleteRewritesTheShownOrder();
    void modelDeletingTheLastRowRemovesTheFile();
    void modelSaveAndToggleReportWhereTheRowIs();
    void findRegistrarIndex_data();
    void findRegistrarIndex();
    void proxyModeWithoutProxyRowFallsBackToLastCom();
    void splitAfterExtensions_data();
    void splitAfterExtensions();
    void hasKnownExtension_data();
    void hasKnownExtension();
    void endOfExtension_data();
    void endOfExtension();
    void registrableDomain_data();
    void registrableDomain();

private:
    std::unique_ptr<TestFolders> m_folders;
    std::unique_ptr<RegistrarFile> m_file;
    RegistrarTable LoadedDefaults();
};

void TestRegistrarTable::init()
{
    m_folders = std::make_unique<TestFolders>();
    m_file = std::make_unique<RegistrarFile>(m_folders->path("registrars.txt"));
}

RegistrarTable TestRegistrarTable::LoadedDefaults()
{
    RegistrarTable table;
    m_file->WriteDefaultRegistrars(false);
    m_file->LoadRegistrarTable(table);
    return table;
}

void TestRegistrarTable::defaultFileHas89RowsSixEnabled()
{
    QVERIFY(m_file->WriteDefaultRegistrars(false));
    RegistrarTable table;
    QVERIFY(m_file->LoadRegistrarTable(table));
    QCOMPARE(table.size(), 89);
    QStringList enabled;
    for (const RegistrarEntry &row : table.rows()) {
        // RDAP rows keep 443 in the file; whois rows 43.
        QCOMPARE(row.Port, quint16(RegistrarTable::IsRdapServer(row.Server) ? 443 : 43));
        if (row.Enabled)
            enabled << row.Extension;
    }
    QCOMPARE(enabled, (QStringList{"proxy", "com", "net", "info", "biz", "name"}));
    QCOMPARE(table.row(0), (RegistrarEntry{"proxy", "127.0.0.1", 43, true}));
    QCOMPARE(table.row(88).Extension, QString("to"));
    // One row per extension.
    QSet<QString> extensions;
    for (const RegistrarEntry &row : table.rows())
        extensions.insert(row.Extension);
    QCOMPARE(extensions.size(), table.size());
}

void TestRegistrarTable::defaultHostsAreEachRegistrysOwn()
{
    const RegistrarTable table = LoadedDefaults();
    const auto server = [&](const char *extension) {
        return table.row(table.FindRegistrarIndex(QStringLiteral("x.") + QLatin1String(extension), false))
            .Server;
    };
    QCOMPARE(server("com"), QString("whois.verisign-grs.com"));
    QCOMPARE(server("net"), QString("whois.verisign-grs.com"));
    QCOMPARE(server("edu"), QString("whois.educause.edu"));
    QCOMPARE(server("de"), QString("whois.denic.de"));
    QCOMPARE(server("ru"), QString("whois.tcinet.ru"));
    QStringList withoutService;
    for (const RegistrarEntry &row : table.rows()) {
        // No row points at the shared host that registers no domain names, nor at the old one.
        QVERIFY2(row.Server != "whois.ripe.net" && row.Server != "whois.internic.net",
                 qPrintable(row.Extension));
        // A repeated extension names the same registry in both rows.
        QCOMPARE(row.Server, table.row(table.FindRegistrarIndex("x." + row.Extension, false)).Server);
        if (row.Server == "none")
            withoutService << row.Extension;
    }
    QCOMPARE(withoutService,
             (QStringList{"ck", "mil", "tj", "al", "az", "cy", "eg", "es", "gr", "va", "yu"}));
    QCOMPARE(server("info"), QString("https://rdap.identitydigital.services/rdap/"));
}

void TestRegistrarTable::defaultFileBytes()
{
    QVERIFY(m_file->WriteDefaultRegistrars(false));
    const QByteArray bytes = FileBytes(m_file->path());
    QVERIFY(bytes.startsWith("proxy|127.0.0.1|43|Enabled\r\ncom|whois.verisign-grs.com|43|Enabled\r\n"
                             "net|whois.verisign-grs.com|43|Enabled\r\nedu|whois.educause.edu|43|Disabled\r\n"
                             "org|whois.pir.org|43|Disabled\r\n"
                             "info|https://rdap.identitydigital.services/rdap/|443|Enabled\r\n"));
    QVERIFY(bytes.endsWith("\r\nto|whois.tonicregistry.to|43|Disabled\r\n\r\n"));
    QCOMPARE(bytes.count("\r\n"), 90);
    QCOMPARE(bytes.count('\n'), 90);
    // An existing file is left alone.
    TextFile::WriteAll(m_file->path(), "com|mine|43|Enabled\r\n");
    QVERIFY(m_file->WriteDefaultRegistrars(false));
    QCOMPARE(FileBytes(m_file->path()), QByteArray("com|mine|43|Enabled\r\n"));
}

void TestRegistrarTable::restoreReplacesTheFile()
{
    TextFile::WriteAll(m_file->path(), "com|mine|43|Enabled\r\n");
    QVERIFY(m_file->WriteDefaultRegistrars(true));
    QCOMPARE(FileBytes(m_file->path()), RegistrarFile::DefaultFileText().toLatin1());
}

void TestRegistrarTable::saveReplacesEveryRowOfTheExtensionInPlace()
{
    m_file->WriteDefaultRegistrars(false);
    QVERIFY(m_file->SaveRegistrarRow("cn", "Whois.Example.CN", "4343", true));
    RegistrarTable table;
    QVERIFY(m_file->LoadRegistrarTable(table));
    QCOMPARE(table.size(), 89);
    const RegistrarEntry expected{"cn", "whois.example.cn", 4343, true};
    QCOMPARE(table.row(11), expected);
    QCOMPARE(table.row(12).Extension, QString("hk"));
    const QByteArray bytes = FileBytes(m_file->path());
    // The rewritten file begins and ends with an empty line; the server keeps its capitals.
    QVERIFY(bytes.startsWith("\r\nproxy|127.0.0.1|43|Enabled\r\n"));
    QVERIFY(bytes.endsWith("to|whois.tonicregistry.to|43|Disabled\r\n\r\n"));
    QCOMPARE(bytes.count("cn|Whois.Example.CN|4343|Enabled\r\n"), 1);
}

void TestRegistrarTable::saveOfANewExtensionAppendsAfterTheEmptyLine()
{
    m_file->WriteDefaultRegistrars(false);
    QVERIFY(m_file->SaveRegistrarRow("xyz", "whois.nic.xyz", "43", false));
    QVERIFY(FileBytes(m_file->path())
                .endsWith("to|whois.tonicregistry.to|43|Disabled\r\n\r\nxyz|whois.nic.xyz|43|Disabled\r\n"));
    RegistrarTable table;
    m_file->LoadRegistrarTable(table);
    QCOMPARE(table.size(), 90);
    QCOMPARE(table.row(89), (RegistrarEntry{"xyz", "whois.nic.xyz", 43, false}));
}

void TestRegistrarTable::saveLowerCasesTheExtensionOnly()
{
    m_file->WriteDefaultRegistrars(false);
    QVERIFY(m_file->SaveRegistrarRow("COM", "WHOIS.VERISIGN.NET", "43", true));
    QVERIFY(FileBytes(m_file->path()).contains("\r\ncom|WHOIS.VERISIGN.NET|43|Enabled\r\n"));
    RegistrarTable table;
    m_file->LoadRegistrarTable(table);
    QCOMPARE(table.size(), 89);
    QCOMPARE(table.row(1).Server, QString("whois.verisign.net"));
}

void TestRegistrarTable::saveRefusesBadFieldsWithoutWriting_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("accepted");
    const QString server = "whois.denic.de";
    QTest::newRow("43") << server << "43" << true;
    QTest::newRow("above 32767") << server << "40000" << true;
    QTest::newRow("65535") << server << "65535" << true;
    QTest::newRow("port 0") << server << "0" << false;
    QTest::newRow("port 65536") << server << "65536" << false;
    QTest::newRow("negative port") << server << "-43" << false;
    QTest::newRow("port is text") << server << "forty" << false;
    QTest::newRow("empty port") << server << "" << false;
    QTest::newRow("fractional port") << server << "43.5" << false;
    // A "|" would add a field; a line break would start a row of its own.
    QTest::newRow("bar in server") << "whois.x|de"
                                   << "43" << false;
    QTest::newRow("line break in server") << "whois.x\r\nde|evil|43|Enabled"
                                          << "43" << false;
    QTest::newRow("tab in server") << "whois.x\tde"
                                   << "43" << false;
    QTest::newRow("empty server") << ""
                                  << "43" << false;
    QTest::newRow("server of blanks") << "  "
                                      << "43" << false;
    QTest::newRow("blank inside the server") << "whois.x de"
                                             << "43" << false;
}

void TestRegistrarTable::saveRefusesBadFieldsWithoutWriting()
{
    QFETCH(QString, server);
    QFETCH(QString, port);
    QFETCH(bool, accepted);
    m_file->WriteDefaultRegistrars(false);
    const QByteArray before = FileBytes(m_file->path());
    QCOMPARE(m_file->SaveRegistrarRow("de", server, port, true), accepted);
    if (!accepted)
        QCOMPARE(FileBytes(m_file->path()), before);
    QCOMPARE(m_file->AppendRegistrarRow("zz", server, port, "Enabled"), accepted);
    QCOMPARE(m_file->SaveRegistrarRow("z|z", "whois.zz", "43", true), false);
    RegistrarTable table;
    m_file->LoadRegistrarTable(table);
    QCOMPARE(table.row(table.FindRegistrarIndex("x.de", false)).Extension, QString("de"));
}

void TestRegistrarTable::loadSkipsMalformedLinesAndGoesOn_data()
{
    QTest::addColumn<QString>("badLine");
    QTest::newRow("two fields") << "com|whois.example";
    QTest::newRow("three fields") << "com|whois.example|43";
    QTest::newRow("port is text") << "com|whois.example|port|Enabled";
    QTest::newRow("port 0") << "com|whois.example|0|Enabled";
    QTest::newRow("port too big") << "com|whois.example|70000|Enabled";
    QTest::newRow("no separator") << "garbage";
}

void TestRegistrarTable::loadSkipsMalformedLinesAndGoesOn()
{
    QFETCH(QString, badLine);
    TextFile::WriteAll(m_file->path(),
                       "net|a|43|Enabled\r\n" + badLine + "\r\norg|b|50000|Disabled|extra\r\n");
    RegistrarTable table;
    int skipped = -1;
    QVERIFY(m_file->LoadRegistrarTable(table, &skipped));
    QCOMPARE(skipped, 1);
    QCOMPARE(table.rows(), (QList<RegistrarEntry>{{"net", "a", 43, true}, {"org", "b", 50000, false}}));
}

void TestRegistrarTable::blankOnlyFileLeavesTheTableAsItWas()
{
    RegistrarTable table = LoadedDefaults();
    TextFile::WriteAll(m_file->path(), "\r\n \r\n\r\n");
    QVERIFY(m_file->LoadRegistrarTable(table));
    QCOMPARE(table.size(), 89);
    QFile::remove(m_file->path());
    QVERIFY(!m_file->LoadRegistrarTable(table));
    QCOMPARE(table.size(), 89);
}

void TestRegistrarTable::rowsAnExtensionHasTwiceAreDropped()
{
    // As earlier versions wrote the table: the second cn row could never be used.
    TextFile::WriteAll(m_file->path(), "com|c|43|Enabled\r\ncn|first|43|Disabled\r\nbad line\r\n"
                                       "CN|second|43|Enabled\r\nnet|n|43|Enabled\r\n");
    QVERIFY(m_file->RemoveDuplicateRows());
    QCOMPARE(FileBytes(m_file->path()), QByteArray("com|c|43|Enabled\r\n\r\ncn|first|43|Disabled\r\n\r\n"
                                                   "bad line\r\n\r\nnet|n|43|Enabled\r\n\r\n"));
    // A file without such rows is left as it is.
    const QByteArray clean = FileBytes(m_file->path());
    QVERIFY(m_file->RemoveDuplicateRows());
    QCOMPARE(FileBytes(m_file->path()), clean);
}

void TestRegistrarTable::statusIsEnabledOnlyForTheExactWord()
{
    TextFile::WriteAll(m_file->path(),
                       "a|s|43|Enabled\r\nb|s|43|enabled\r\nc|s|43|ENABLED\r\nd|s|43|Enabled \r\n");
    RegistrarTable table;
    m_file->LoadRegistrarTable(table);
    QCOMPARE(table.size(), 4);
    QVERIFY(table.row(0).Enabled);
    QVERIFY(!table.row(1).Enabled);
    QVERIFY(!table.row(2).Enabled);
    QVERIFY(!table.row(3).Enabled);
}

void TestRegistrarTable::listRowsKeepsTheFileText()
{
    TextFile::WriteAll(m_file->path(), "\r\nCOM|Whois.A|43|Enabled\r\n \r\nbad\r\nnet|b|44|Off\r\n");
    QCOMPARE(m_file->ListRegistrarRows(),
             (QList<QStringList>{{"COM", "Whois.A", "43", "Enabled"}, {"net", "b", "44", "Off"}}));
}

void TestRegistrarTable::rewriteKeepsSkippedLinesInPlace()
{
    TextFile::WriteAll(m_file->path(), "com|a|43|Disabled\r\n\r\nbad line\r\nnet|b|43|Enabled\r\n");
    const QList<RegistrarFile::Line> lines = *m_file->ReadRowLines();
    QCOMPARE(lines.size(), 3);
    QVERIFY(
        m_file->RewriteRegistrars(lines, {{"net", "b", "43", "Enabled"}, {"com", "a", "43", "Disabled"}}));
    QCOMPARE(FileBytes(m_file->path()),
             QByteArray("net|b|43|Enabled\r\n\r\nbad line\r\n\r\ncom|a|43|Disabled\r\n\r\n"));
}

void TestRegistrarTable::modelDeleteRewritesTheShownOrder()
{
    TextFile::WriteAll(m_file->path(),
                       "com|a|43|Enabled\r\nbad\r\nnet|c|43|Enabled\r\norg|b|43|Disabled\r\n");
    RegistrarTableModel model(*m_file);
    QCOMPARE(model.rowCount(), 3);
    QVERIFY(model.SortByColumn(RegistrarTableModel::Server)); // first sort: descending
    QCOMPARE(model.row(0), (QStringList{"net", "c", "43", "Enabled"}));
    QVERIFY(model.Delete(1)); // org|b
    QCOMPARE(FileBytes(m_file->path()),
             QByteArray("net|c|43|Enabled\r\n\r\nbad\r\n\r\ncom|a|43|Enabled\r\n\r\n"));
    QVERIFY(!model.Delete(5));
    QCOMPARE(model.rowCount(), 2);
}

void TestRegistrarTable::modelDeletingTheLastRowRemovesTheFile()
{
    TextFile::WriteAll(m_file->path(), "com|a|43|Enabled\r\nbad\r\n");
    RegistrarTableModel model(*m_file);
    QVERIFY(model.Delete(0));
    QVERIFY(!QFile::exists(m_file->path()));
    // The next start writes the built-in rows.
    QVERIFY(m_file->WriteDefaultRegistrars(false));
    QCOMPARE(LoadedDefaults().size(), 89);
}

void TestRegistrarTable::modelSaveAndToggleReportWhereTheRowIs()
{
    m_file->WriteDefaultRegistrars(false);
    RegistrarTableModel model(*m_file);
    QCOMPARE(model.Save("XYZ", "whois.nic.xyz", "43", true), std::optional<int>(89));
    QCOMPARE(model.row(89), (QStringList{"xyz", "whois.nic.xyz", "43", "Enabled"}));
    QCOMPARE(model.Toggle(11), std::optional<int>(11)); // the cn row stays where it is
    QCOMPARE(model.row(11).at(RegistrarTableModel::Status), QString("Enabled"));
    QCOMPARE(model.Save("de", "bad|server", "43", true), std::nullopt);
}

void TestRegistrarTable::findRegistrarIndex_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("proxyMode");
    QTest::addColumn<int>("index");
    QTest::newRow("com") << "abcd.com" << false << 1;
    QTest::newRow("com in proxy mode") << "abcd.com" << true << 0;
    QTest::newRow("unknown extension takes com") << "abcd.xyz" << false << 1;
    QTest::newRow("cn, disabled") << "abcd.cn" << false << 11;
    QTest::newRow("extension in capitals") << "ABCD.ORG" << false << 4;
    QTest::newRow("last label decides") << "shop.com.au" << false << 14;
    QTest::newRow("no dot: the whole name is the extension") << "uk" << false << 42;
    QTest::newRow("us") << "x.us" << false << 20;
}

void TestRegistrarTable::findRegistrarIndex()
{
    QFETCH(QString, name);
    QFETCH(bool, proxyMode);
    QFETCH(int, index);
    QCOMPARE(LoadedDefaults().FindRegistrarIndex(name, proxyMode), index);
}

void TestRegistrarTable::proxyModeWithoutProxyRowFallsBackToLastCom()
{
    const RegistrarTable table(
        {{"net", "n", 43, true}, {"com", "c1", 43, true}, {"org", "o", 43, true}, {"com", "c2", 43, true}});
    QCOMPARE(table.FindRegistrarIndex("abcd.com", true), 3);
    QCOMPARE(table.FindRegistrarIndex("abcd.com", false), 1);
    RegistrarTable noCom({{"net", "n", 43, true}});
    QCOMPARE(noCom.FindRegistrarIndex("abcd.org", false), 0);
    // New rows are looked up anew.
    noCom.setRows({{"net", "n", 43, true}, {"org", "o", 43, true}, {"com", "c", 43, true}});
    QCOMPARE(noCom.FindRegistrarIndex("abcd.org", false), 1);
    QCOMPARE(noCom.FindRegistrarIndex("abcd.xyz", false), 2);
    QCOMPARE(noCom.RouteFor("abcd.xyz", false).reason, QString("no whois server for .xyz"));
    QCOMPARE(noCom.RouteFor("abcd.ORG", false).row, 1);
    // The extension routed last is routed anew after a reload.
    noCom.setRows({{"com", "c", 43, true}, {"xyz", "x", 43, true}});
    QCOMPARE(noCom.RouteFor("efgh.xyz", false).row, 1);
    QCOMPARE(noCom.RouteFor("efgh.org", false).reason, QString("no whois server for .org"));
    QCOMPARE(RegistrarTable().FindRegistrarIndex("abcd.org", false), 0);
}

void TestRegistrarTable::splitAfterExtensions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("split");
    QTest::newRow("followers") << "a.com b.net/c d.info\"e.biz'f.name:g.com?h"
                               << "a.com \r\nb.net/\r\nc d.info\"\r\ne.biz'\r\nf.name:\r\ng.com?\r\nh";
    QTest::newRow("followers of running text") << "a.com, b.net; c.info) d.biz<br>"
                                               << "a.com,\r\n b.net;\r\n c.info)\r\n d.biz<\r\nbr>";
    QTest::newRow("case-sensitive") << "see SAMPLE.INFO now"
                                    << "see SAMPLE.INFO now";
    QTest::newRow("disabled extension untouched") << "x.org y"
                                                  << "x.org y";
    // ".com" before a quote gains a break for every extension row (5) besides its own (1).
    QTest::newRow("com quote") << "x.com\""
                               << "x.com\"" + QString("\r\n").repeated(6);
    QTest::newRow("proxy row is no extension") << "a proxy b"
                                               << "a proxy b";
}

void TestRegistrarTable::splitAfterExtensions()
{
    QFETCH(QString, text);
    QFETCH(QString, split);
    QCOMPARE(LoadedDefaults().SplitAfterExtensions(text), split);
}

void TestRegistrarTable::hasKnownExtension_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("known");
    QTest::newRow("upper case info") << "see SAMPLE.INFO now" << true;
    QTest::newRow("disabled org") << "x.org" << false;
    QTest::newRow("no dot") << "com net" << false;
    QTest::newRow("proxy") << "x.proxy" << false;
    QTest::newRow("inside a word") << "a.community" << true;
}

void TestRegistrarTable::hasKnownExtension()
{
    QFETCH(QString, text);
    QFETCH(bool, known);
    QCOMPARE(LoadedDefaults().HasKnownExtension(text), known);
    QVERIFY(!RegistrarTable({{"com", "s", 43, false}}).HasKnownExtension(text));
}

void TestRegistrarTable::endOfExtension_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("end");
    QTest::newRow("slash after com") << "go to sample.com/page" << 17;
    QTest::newRow("table order, not text order") << "a.net b.com" << 12;
    QTest::newRow("com before au") << "shop.com.au" << 9;
    QTest::newRow("ignores case") << "X.NET" << 6;
    QTest::newRow("none") << "nothing here" << 0;
}

void TestRegistrarTable::endOfExtension()
{
    QFETCH(QString, text);
    QFETCH(int, end);
    QCOMPARE(LoadedDefaults().EndOfExtension(text), end);
}

void TestRegistrarTable::registrableDomain_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("domain");
    QTest::newRow("com") << "mail.sample.com"
                         << "sample.com";
    QTest::newRow("co.uk") << "mail.sample.co.uk"
                           << "sample.co.uk";
    QTest::newRow("us") << "mail.sample.us"
                        << "sample.us";
    QTest::newRow("one dot unchanged") << "sample.net"
                                       << "sample.net";
    QTest::newRow("net is not on the list") << "mail.sample.net"
                                            << "";
    QTest::newRow("no dot") << "localhost"
                            << "localhost";
    QTest::newRow("deep") << "a.b.example.com"
                          << "example.com";
    QTest::newRow("case-sensitive") << "mail.sample.COM"
                                    << "";
}

void TestRegistrarTable::registrableDomain()
{
    QFETCH(QString, host);
    QFETCH(QString, domain);
    QCOMPARE(RegistrableDomain(host), domain);
}

void TestRegistrarTable::serverFieldsAreWhoisHostsOrRdapAddresses_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("rdap");
    QTest::newRow("whois host") << "whois.nic.example" << true << false;
    QTest::newRow("none") << "none" << true << false;
    QTest::newRow("RDAP base") << "https://rdap.example/v1/" << true << true;
    QTest::newRow("RDAP over http, capitals") << "HTTP://127.0.0.1:8080/rdap/" << true << true;
    QTest::newRow("RDAP with a blank") << "https://rdap example/" << false << true;
    QTest::newRow("RDAP without a host") << "https://" << false << true;
    QTest::newRow("RDAP with a query") << "https://rdap.example/?x=1" << false << true;
    QTest::newRow("bar") << "whois|x" << false << false;
}

void TestRegistrarTable::serverFieldsAreWhoisHostsOrRdapAddresses()
{
    QFETCH(QString, server);
    QFETCH(bool, valid);
    QFETCH(bool, rdap);
    QCOMPARE(RegistrarFile::IsValidServer(server), valid);
    QCOMPARE(RegistrarTable::IsRdapServer(server), rdap);
}

QTEST_GUILESS_MAIN(TestRegistrarTable)
#include "tst_registrartable.moc"
