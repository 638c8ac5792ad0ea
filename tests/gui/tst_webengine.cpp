#include "app/Program.h"
#include "gui/BrowseWindow.h"
#include "gui/HarvesterWindow.h"
#include "gui/MainWindow.h"
#include "gui/ProgramWindows.h"
#include "gui/WebEngineBrowser.h"
#include "gui/WebsiteWindow.h"
#include "platform/TextFile.h"
#include "results/PurchaseLink.h"
#include "support/ExamplePages.h"
#include "support/GuiRig.h"
#include "tools/searchd/SearchTestServer.h"
#include "tools/whoisd/WhoisTestServer.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QNetworkCookie>
#include <QSignalSpy>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>
#include <QTest>

Q_DECLARE_METATYPE(SearchTestServer::Trap)

// The real browser engine against pages served on 127.0.0.1.
class TestWebEngine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void documentCompleteBringsTheBodyMarkup();
    void aNavigationCutShortGivesNoDocumentComplete();
    void stopLeavesTheAddressOfThePageOnDisplay();
    void aRefusedConnectionCompletesWithoutMarkup();
    void purchasePageReplacesTheStartPage();
    void harvesterReadsThreeResultPages();
    void browseWindowFollowsTheFramesOfAPage();
    void eachEngineIsHarvestedThroughItsChallenge_data();
    void eachEngineIsHarvestedThroughItsChallenge();

private:
    // A page loaded after it completes right after the one before: nothing completed between.
    void ExpectNextCompletionOnly(WebEngineBrowser &browser, QSignalSpy &complete);

    SearchTestServer m_http;
};

void TestWebEngine::ExpectNextCompletionOnly(WebEngineBrowser &browser, QSignalSpy &complete)
{
    const qsizetype before = complete.count();
    browser.Navigate(m_http.url("/page.html?next"));
    QVERIFY(complete.wait(30000));
    QCOMPARE(complete.count(), before + 1);
    QCOMPARE(complete.last().first().toString(), m_http.url("/page.html?next"));
}

void TestWebEngine::initTestCase()
{
    QVERIFY(m_http.Listen());
    m_http.setPage("/page.html",
                   "<html><head><title>Found names</title></head>"
                   "<body><p>Visit <a href=\"http://www.example.com/\">example.com</a></p></body></html>");
    m_http.setPage("/buy", "<html><head><title>Your order</title></head><body>order</body></html>");
}

void TestWebEngine::documentCompleteBringsTheBodyMarkup()
{
    WebEngineBrowser browser;
    QSignalSpy begin(&browser, &WebBrowser::DownloadBegin);
    QSignalSpy complete(&browser, &WebBrowser::DocumentComplete);
    QSignalSpy title(&browser, &WebBrowser::TitleChange);
    browser.Navigate(m_http.url("/page.html"));
    QVERIFY(complete.wait(30000));
    QVERIFY(begin.count() >= 1);
    QCOMPARE(browser.LocationURL(), m_http.url("/page.html"));
    QCOMPARE(browser.LocationName(), QString("Found names"));
    QVERIFY(title.count() >= 1);
    QVERIFY(browser.BodyMarkup().has_value());
    QVERIFY2(browser.BodyMarkup()->contains("<a href=\"http://www.example.com/\">example.com</a>"),
             qPrintable(*browser.BodyMarkup()));
    browser.GoBack(); // no history: nothing happens
    QVERIFY(!browser.BodyMarkupCut());

    // A page of several megabytes comes whole, in pieces: the name at its end is there.
    const QByteArray filler = QByteArray("<p>filler text</p>\n").repeated(5400 * 1024 / 19);
    m_http.setPage("/big.html",
                   "<html><body>" + filler + "<a href=\"http://www.last.com/\">last</a></body></html>");
    browser.Navigate(m_http.url("/big.html"));
    QVERIFY(complete.wait(60000));
    QVERIFY(browser.BodyMarkup()->size() > 5 * 1024 * 1024);
    QVERIFY(browser.BodyMarkup()->endsWith("<a href=\"http://www.last.com/\">last</a>"));
    QVERIFY(!browser.BodyMarkupCut());
}

void TestWebEngine::aNavigationCutShortGivesNoDocumentComplete()
{
    m_http.setHang("/hang");
    WebEngineBrowser browser;
    QSignalSpy complete(&browser, &WebBrowser::DocumentComplete);
    browser.Navigate(m_http.url("/hang"));
    browser.Navigate(m_http.url("/page.html"));
    QVERIFY(complete.wait(30000));
    QCOMPARE(complete.first().first().toString(), m_http.url("/page.html"));
    QVERIFY(browser.BodyMarkup()->contains("example.com"));
    ExpectNextCompletionOnly(browser, complete);
}

void TestWebEngine::stopLeavesTheAddressOfThePageOnDisplay()
{
    m_http.setHang("/never");
    m_http.setTrickle("/trickle");
    WebEngineBrowser browser;
    QSignalSpy complete(&browser, &WebBrowser::DocumentComplete);
    browser.Navigate(m_http.url("/page.html"));
    QVERIFY(complete.wait(30000));
    // A load that never showed anything: the page before stays on display.
    browser.Navigate(m_http.url("/never"));
    QTRY_VERIFY(m_http.requestTargets().contains("/never"));
    browser.Stop();
    QCOMPARE(browser.DisplayedURL(), m_http.url("/page.html"));
    // A page shown in part and stopped: it is the one on display.
    QSignalSpy title(&browser, &WebBrowser::TitleChange);
    QSignalSpy address(&browser, &WebBrowser::AddressChange);
    browser.Navigate(m_http.url("/trickle"));
    QTRY_VERIFY_WITH_TIMEOUT(!title.isEmpty() && title.last().first().toString() == "Still loading", 30000);
    browser.Stop();
    QVERIFY(address.wait(30000));
    QCOMPARE(address.last().first().toString(), m_http.url("/trickle"));
    QCOMPARE(browser.DisplayedURL(), m_http.url("/trickle"));
}

void TestWebEngine::aRefusedConnectionCompletesWithoutMarkup()
{
    const quint16 dead = ClosedPort();
    WebEngineBrowser browser;
    QSignalSpy complete(&browser, &WebBrowser::DocumentComplete);
    browser.Navigate(QStringLiteral("http://127.0.0.1:%1/").arg(dead));
    QVERIFY(complete.wait(30000));
    QVERIFY(!browser.BodyMarkup());
    QVERIFY(!browser.LoadError().isEmpty());
    ExpectNextCompletionOnly(browser, complete);
}

void TestWebEngine::purchasePageReplacesTheStartPage()
{
    TestFolders folders;
    auto program = folders.MakeProgram();
    program->versionRecord().siteAddress = m_http.url("/start");
    program->versionRecord().purchaseUrlPrefix = m_http.url("/buy?STRING=");
    ProgramWindows windows(*program, [](QWidget *parent) { return new WebEngineBrowser(parent); });
    windows.OpenName("shop.com");
    WebsiteWindow *website = windows.website();
    QVERIFY(website);
    QTRY_COMPARE_WITH_TIMEOUT(website->windowTitle(), QString("Your order"), 30000);
    QCOMPARE(website->m_addressBox->text(), m_http.url("/buy?STRING=shop.com"));
    QVERIFY(m_http.requestTargets().contains("/buy?STRING=shop.com"));
}

void TestWebEngine::harvesterReadsThreeResultPages()
{
    using Engine = SearchTestServer::Engine;
    SearchTestServer search;
    QVERIFY(search.Listen());
    const auto page = [](const char *markup) {
        return QByteArray("<html><head><title>Results</title></head><body>") + markup + "</body></html>";
    };
    search.setResultPage(Engine::Google, 0, page(ExamplePages::kGoogle1));
    search.setResultPage(Engine::Google, 100, page(ExamplePages::kGoogle2));
    search.setResultPage(Engine::Google, 200, page(ExamplePages::kGoogle3));
    WhoisTestServer whois; // the run the harvest asks for stays on 127.0.0.1 too
    QVERIFY(whois.Listen());

    TestFolders folders;
    auto program = folders.MakeProgram();
    ProgramWindows windows(*program, [](QWidget *parent) { return new WebEngineBrowser(parent); });
    MainWindow *main = windows.CreateMainWindow();
    UseWhoisServer(*program, whois.port(), false);
    program->config().googleSearchBase = search.baseAddress();
    program->selection().Select(CandidateSourceId::GoogleSearch);
    program->controls().setSearchText("red car");
    windows.OpenHarvester();
    QTRY_VERIFY_WITH_TIMEOUT(main->findChild<QMessageBox *>("HarvestFinished"), 60000);
    QStringList searches = search.requestTargets();
    searches.erase(std::remove_if(searches.begin(), searches.end(),
                                  [](const QString &target) { return !target.startsWith("/search"); }),
                   searches.end());
    const QString prefix = "/search?num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off&filter=0&start=";
    QCOMPARE(searches, (QStringList{prefix + "0&sa=N&q=red+car", prefix + "100&sa=N&q=red+car",
                                    prefix + "200&sa=N&q=red+car"}));
    QCOMPARE(
        FileBytes(folders.appFolder() + "/BrowserSearch.txt"),
        QByteArray("alpha-shop.com\r\nbravo.net\r\ncharlie.info\r\ndelta.biz\r\necho.com\r\nfoxtrot.info\r\n"
                   "shop.com\r\nmike.com\r\nnovember.com\r\nOSCAR.NET\r\n\r\n"));
    main->findChild<QMessageBox *>("HarvestFinished")->button(QMessageBox::Ok)->click();
    QTRY_COMPARE_WITH_TIMEOUT(whois.queries().size(), 10, 30000);
}

void TestWebEngine::browseWindowFollowsTheFramesOfAPage()
{
    const auto page = [](const char *markup) {
        return QByteArray("<html><head><title>Frame</title></head><body>") + markup + "</body></html>";
    };
    m_http.setPage("/start.html", page("<p>Nothing to see here.</p>"));
    m_http.setPage("/frames.html", ExamplePages::kFrameset);
    m_http.setPage("/left.html", page(ExamplePages::kLeftFrame));
    m_http.setPage("/right.html", page(ExamplePages::kRightFrame));
    WhoisTestServer whois;
    QVERIFY(whois.Listen());

    TestFolders folders;
    auto program = folders.MakeProgram();
    program->versionRecord().siteAddress = m_http.url("/start.html");
    UseWhoisServer(*program, whois.port(), true);
    ProgramWindows windows(*program, [](QWidget *parent) { return new WebEngineBrowser(parent); });
    windows.OpenBrowse();
    BrowseWindow *form = windows.browse();
    QVERIFY(form);
    QTRY_COMPARE_WITH_TIMEOUT(form->state().panel(2), QString("No Domains Found"), 30000);
    form->m_browser->Navigate(m_http.url("/frames.html"));
    QTRY_VERIFY_WITH_TIMEOUT(m_http.requestTargets().contains("/left.html") &&
                                 m_http.requestTargets().contains("/right.html"),
                             60000);
    // The names are in the frames only: they are found through the second browser.
    QTRY_COMPARE_WITH_TIMEOUT(whois.queries(), (QStringList{"sierra.com", "tango.net"}), 60000);
    QTRY_COMPARE_WITH_TIMEOUT(form->state().model(BrowseState::List::Taken)->stringList(),
                              (QStringList{"sierra.com", "tango.net"}), 30000);
    QVERIFY(!form->m_frameBrowser->view()->isVisible());
}

void TestWebEngine::eachEngineIsHarvestedThroughItsChallenge_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("engine");
    QTest::addColumn<SearchTestServer::Trap>("trap");
    QTest::addColumn<QString>("message");
    using Trap = SearchTestServer::Trap;
    const QString person = "%1 asks to prove you are a person: solve it in the browse window, then continue (3 names kept)";
    QTest::newRow("DuckDuckGo, its in-page challenge") << "DuckDuckGo Search" << "duckduckgo" << Trap::Marker
                                                        << person.arg("DuckDuckGo");
    QTest::newRow("Bing, page 1 again") << "Bing Search" << "bing" << Trap::Repeat
                                        << "Bing sent the page before again: it limits searches now (3 names kept)";
    QTest::newRow("Mojeek, 429") << "Mojeek Search" << "mojeek" << Trap::TooMany
                                 << "Mojeek refuses more searches for now (HTTP 429): try again later, or open the page "
                                    "in the browse window (3 names kept)";
    QTest::newRow("Brave, a captcha redirect") << "Brave Search" << "brave" << Trap::Redirect << person.arg("Brave");
}

void TestWebEngine::eachEngineIsHarvestedThroughItsChallenge()
{
    QFETCH(QString, caption);
    QFETCH(QString, engine);
    QFETCH(SearchTestServer::Trap, trap);
    QFETCH(QString, message);
    SearchTestServer search;
    QVERIFY(search.Listen());
    search.setEngineResults(engine, {SearchTestServer::NumberedHosts(1, 3), SearchTestServer::NumberedHosts(4, 3),
                                     SearchTestServer::NumberedHosts(7, 3)});
    search.setTrap(engine, 1, trap);
    WhoisTestServer whois;
    QVERIFY(whois.Listen());

    TestFolders folders;
    auto program = folders.MakeProgram();
    program->config().searchBase = search.baseAddress();
    ProgramWindows windows(*program, [](QWidget *parent) { return new WebEngineBrowser(parent); });
    windows.setHarvestTimings({5, 30000, 2000});
    MainWindow *main = windows.CreateMainWindow();
    UseWhoisServer(*program, whois.port(), false);
    const int index = program->controls().captions().indexOf(caption);
    QVERIFY(index >= 9); // after the nine sources
    program->selection().SelectIndex(index);
    program->controls().setSearchText("red car");
    windows.OpenHarvester();
    HarvesterWindow *harvester = windows.harvester();
    // Page 2 is a challenge: the harvest stops there with its message and keeps page 1's names.
    QTRY_COMPARE_WITH_TIMEOUT(harvester->m_statusLine->text(), message, 60000);
    QVERIFY(harvester->m_continueButton->isVisible());
    QVERIFY(program->isChallenged(caption));
    // Solved in the browse window, which shares the cookies; the harvest goes on from page 2.
    harvester->m_solveButton->click();
    QVERIFY(windows.browse());
    bool solved = false;
    connect(QWebEngineProfile::defaultProfile()->cookieStore(), &QWebEngineCookieStore::cookieAdded, this,
            [&](const QNetworkCookie &cookie) { solved = solved || cookie.name() == "orvelle-solved-" + engine; });
    windows.browse()->m_browser->Navigate(search.url("/" + engine + "/solve"));
    QTRY_VERIFY_WITH_TIMEOUT(solved, 30000); // the browse window's cookie is the harvester's too
    harvester->m_continueButton->click();
    QTRY_VERIFY_WITH_TIMEOUT(main->findChild<QMessageBox *>("HarvestFinished"), 60000);
    QCOMPARE(FileBytes(folders.appFolder() + "/BrowserSearch.txt"),
             QByteArray("site0001.com\r\nsite0002.com\r\nsite0003.com\r\nsite0004.com\r\nsite0005.com\r\n"
                        "site0006.com\r\nsite0007.com\r\nsite0008.com\r\nsite0009.com\r\n\r\n"));
    QVERIFY(!program->isChallenged(caption));
}

QTEST_MAIN(TestWebEngine)
#include "tst_webengine.moc"
