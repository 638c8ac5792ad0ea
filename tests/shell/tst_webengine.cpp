#include "platform/WebEngineBrowser.h"
#include "results/PurchaseLink.h"
#include "shell/ProgramWindows.h"
#include "shell/frmWebsite.h"
#include "support/GuiRig.h"
#include "support/LoopbackHttpServer.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

// The real browser engine against pages served on 127.0.0.1.
class TestWebEngine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void documentCompleteBringsTheBodyMarkup();
    void purchasePageReplacesTheStartPage();

private:
    LoopbackHttpServer m_http;
};

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
}

void TestWebEngine::purchasePageReplacesTheStartPage()
{
    TestFolders folders;
    auto program = folders.MakeProgram();
    program->versionRecord().siteAddress = m_http.url("/start");
    program->versionRecord().purchaseUrlPrefix = m_http.url("/buy?STRING=");
    ProgramWindows windows(
        *program, [](QWidget *parent) { return new WebEngineBrowser(parent); },
        [](const QUrl &) { return true; });
    windows.OpenName("shop.com");
    frmWebsite *website = windows.website();
    QVERIFY(website);
    QTRY_COMPARE_WITH_TIMEOUT(website->windowTitle(), QString("Your order"), 30000);
    QCOMPARE(website->Text1->text(), m_http.url("/buy?STRING=shop.com"));
    QVERIFY(m_http.requestedPaths().contains("/buy?STRING=shop.com"));
}

QTEST_MAIN(TestWebEngine)
#include "tst_webengine.moc"
