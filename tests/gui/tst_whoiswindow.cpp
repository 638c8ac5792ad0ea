#include "gui/MainWindow.h"
#include "gui/ProgramWindows.h"
#include "gui/ResultListView.h"
#include "gui/WhoisWindow.h"
#include "platform/TcpSocketComponent.h"
#include "platform/TextFile.h"
#include "support/GuiRig.h"
#include "tools/dnsd/DnsTestServer.h"
#include "tools/rdapd/RdapTestServer.h"
#include "tools/whoisd/WhoisTestServer.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

// The whois detail window against a whois server on 127.0.0.1.
class TestWhoisWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void replyInPiecesIsShownWholeWhenTheServerCloses();
    void doubleClickOpensItWhenBuyingIsOff();
    void secondNameReplacesTheWindow();
    void unreachableServerGetsAMessage();
    void silentServerGetsAMessageAfterTheTimeout();
    void rdapRowShowsTheRegistrationsFacts_data();
    void rdapRowShowsTheRegistrationsFacts();
    void aDelegatedNameShowsItsNameServersAndAsksWhoisOnRequest();
    void theListsContextMenuOpensTheWhoisWindow_data();
    void theListsContextMenuOpensTheWhoisWindow();

private:
    std::unique_ptr<WhoisTestServer> m_server;
    std::unique_ptr<GuiRig> m_rig;
};

void TestWhoisWindow::init()
{
    m_server = std::make_unique<WhoisTestServer>();
    QVERIFY(m_server->Listen());
    m_rig = std::make_unique<GuiRig>();
    m_rig->program->config().whoisDetailHost = "127.0.0.1";
    m_rig->program->config().whoisDetailPort = m_server->port();
}

void TestWhoisWindow::cleanup()
{
    m_rig.reset();
    m_server.reset();
}

void TestWhoisWindow::replyInPiecesIsShownWholeWhenTheServerCloses()
{
    WhoisReplyRule pieces;
    pieces.reply = "Domain Name: %NAME%\r\nRegistrar: Example\r\nStatus: active\r\n";
    pieces.pieces = 3;
    pieces.pieceGapMs = 40;
    m_server->setDefaultRule(pieces);
    m_rig->windows->OpenWhois("shop.org");
    WhoisWindow *window = m_rig->windows->whois();
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QString("WHOIS Information"));
    // Until the server closes, the window says what it waits for.
    QCOMPARE(window->m_replyText->toPlainText(), QString("Asking 127.0.0.1 for shop.org..."));
    QTRY_COMPARE(window->m_replyText->toPlainText(),
                 QString("Domain Name: shop.org\nRegistrar: Example\nStatus: active\n"));
    // The name exactly as listed, whatever its extension.
    QCOMPARE(m_server->queries(), QStringList{"shop.org"});
}

void TestWhoisWindow::doubleClickOpensItWhenBuyingIsOff()
{
    m_rig->program->config().purchaseOnDoubleClick = false;
    m_rig->windows->OpenName("a.com");
    QVERIFY(m_rig->windows->whois());
    QVERIFY(!m_rig->windows->website());
    QCOMPARE(m_rig->program->currentDomain(), QString("a.com"));
}

void TestWhoisWindow::secondNameReplacesTheWindow()
{
    m_rig->windows->OpenWhois("first.com");
    QPointer<WhoisWindow> first = m_rig->windows->whois();
    m_rig->windows->OpenWhois("second.com");
    QVERIFY(!first);
    QTRY_VERIFY(m_rig->windows->whois()->m_replyText->toPlainText().contains("second.com"));
}

void TestWhoisWindow::unreachableServerGetsAMessage()
{
    m_rig->program->config().whoisDetailPort = ClosedPort();
    m_rig->windows->OpenWhois("a.com");
    QTRY_VERIFY(m_rig->windows->whois()->m_replyText->toPlainText().startsWith(
        "The whois server 127.0.0.1 cannot be reached"));
}

void TestWhoisWindow::silentServerGetsAMessageAfterTheTimeout()
{
    WhoisReplyRule hang;
    hang.mode = WhoisReplyRule::Mode::NeverClose;
    m_server->setDefaultRule(hang);
    WhoisWindow window("a.com", "127.0.0.1", m_server->port(), TcpSocketComponent::Factory()());
    window.setAnswerTimeout(200);
    window.Load();
    QTRY_COMPARE(window.m_replyText->toPlainText(),
                 QString("The whois server 127.0.0.1 gave no answer within 30 seconds."));
}

void TestWhoisWindow::rdapRowShowsTheRegistrationsFacts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown");
    QTest::newRow("registered") << "taken.example"
                                << "Domain: taken.example\nStatus: active, client transfer prohibited\n"
                                   "Registrar: Example Registrar, Inc.\nregistration: 1997-09-15T04:00:00Z\n"
                                   "expiration: 2028-09-14T04:00:00Z\nName servers: ns1.example.net";
    QTest::newRow("not registered") << "free.example"
                                    << "Domain: free.example\nnot registered";
    QTest::newRow("refused")
        << "forbidden.example"
        << "The RDAP service 127.0.0.1 gave no usable answer: 127.0.0.1 answered HTTP 403";
}

void TestWhoisWindow::rdapRowShowsTheRegistrationsFacts()
{
    QFETCH(QString, name);
    QFETCH(QString, shown);
    RdapTestServer rdap;
    QVERIFY(rdap.Listen());
    rdap.setRule("free.example", RdapReplyRule::Of(RdapReplyRule::Mode::NotRegistered));
    rdap.setRule("forbidden.example", RdapReplyRule::Of(RdapReplyRule::Mode::Forbidden));
    TextFile::WriteAll(m_rig->program->registrarFile().path(),
                       "example|" + rdap.baseAddress() + "|443|Enabled\r\n");
    QVERIFY(m_rig->program->ReloadRegistrars());
    m_rig->windows->OpenWhois(name);
    QTRY_COMPARE(m_rig->windows->whois()->m_replyText->toPlainText(), shown);
    QCOMPARE(rdap.names(), QStringList{name});
    QVERIFY(m_server->queries().isEmpty()); // the fixed whois server is not asked
}

void TestWhoisWindow::aDelegatedNameShowsItsNameServersAndAsksWhoisOnRequest()
{
    DnsTestServer dns;
    QVERIFY(dns.Listen());
    dns.setRule("shop.com", DnsTestServer::Rule::Delegated);
    QVERIFY(m_rig->program->SetDnsServers(dns.address()));
    m_rig->program->setDnsFirst(true);
    m_rig->windows->OpenWhois("shop.com");
    WhoisWindow *window = m_rig->windows->whois();
    QTRY_COMPARE(window->m_replyText->toPlainText(),
                 QString("Domain: shop.com\nregistered: delegated in DNS\nName servers:\n"
                         "   ns1.example.net\n   ns2.example.net"));
    QVERIFY(window->m_askWhoisButton->isVisible());
    QCOMPARE(m_server->queries(), QStringList());
    window->m_askWhoisButton->click();
    QTRY_COMPARE(m_server->queries(), QStringList{"shop.com"});
    QVERIFY(!window->m_askWhoisButton->isVisible());
    // A name DNS does not settle is asked over whois at once.
    m_rig->windows->OpenWhois("other.com");
    QTRY_COMPARE(m_server->queries(), (QStringList{"shop.com", "other.com"}));
}

void TestWhoisWindow::theListsContextMenuOpensTheWhoisWindow_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shownStart");
    QTest::newRow("a whois name") << "shop.com"
                                  << "Domain Name: shop.com";
    QTest::newRow("an RDAP name") << "free.example"
                                  << "Domain: free.example\nnot registered";
    QTest::newRow("a name settled by DNS") << "delegated.com"
                                           << "Domain: delegated.com\nregistered: delegated in DNS";
    // Its own registry, not the fixed server of a double-click.
    QTest::newRow("a name of another registry") << "freeshop.de"
                                                << "Domain Name: freeshop.de";
    QTest::newRow("a name without a server") << "shop.zz" << "shop.zz cannot be asked: no whois server for .zz.";
}

void TestWhoisWindow::theListsContextMenuOpensTheWhoisWindow()
{
    QFETCH(QString, name);
    QFETCH(QString, shownStart);
    m_server->setDefaultRule(WhoisReplyRule::Taken());
    RdapTestServer rdap;
    QVERIFY(rdap.Listen());
    rdap.setRule("free.example", RdapReplyRule::Of(RdapReplyRule::Mode::NotRegistered));
    TextFile::WriteAll(m_rig->program->registrarFile().path(),
                       QStringLiteral("example|%1|443|Enabled\r\ncom|127.0.0.1|%2|Enabled\r\nde|127.0.0.1|%2|Enabled\r\n")
                           .arg(rdap.baseAddress())
                           .arg(m_server->port()));
    QVERIFY(m_rig->program->ReloadRegistrars());
    m_rig->program->config().whoisDetailPort = ClosedPort(); // the fixed server is never asked
    DnsTestServer dns;
    QVERIFY(dns.Listen());
    dns.setRule("delegated.com", DnsTestServer::Rule::Delegated);
    MainWindow *window = m_rig->windows->CreateMainWindow(); // reads "Check DNS First" from the settings
    window->show();
    QVERIFY(m_rig->program->SetDnsServers(dns.address()));
    m_rig->program->setDnsFirst(true);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    m_rig->program->results().model(ResultList::Registered)->setStringList({"other.com", name});
    ResultListView *list = window->findChild<ResultListView *>("List2"); // "Registered"
    QVERIFY(list);
    const QPoint at = list->visualRect(list->model()->index(1, 0)).center();
    emit list->customContextMenuRequested(at);
    auto *menu = list->findChild<QMenu *>("NameMenu");
    QVERIFY(menu);
    QCOMPARE(menu->findChild<QAction *>("mnuNameWhois")->text(), QString("Whois Details\u2026"));
    QCOMPARE(list->currentIndex().row(), 1);
    menu->findChild<QAction *>("mnuNameWhois")->trigger();
    QVERIFY(m_rig->windows->whois());
    QTRY_VERIFY2(m_rig->windows->whois()->m_replyText->toPlainText().trimmed().startsWith(shownStart),
                 qPrintable(m_rig->windows->whois()->m_replyText->toPlainText()));
    // The question took its turn at the host's pacer and gave it back.
    QCOMPARE(m_rig->program->engine().pacer().openCount("127.0.0.1"), 0);
}

QTEST_MAIN(TestWhoisWindow)
#include "tst_whoiswindow.moc"
