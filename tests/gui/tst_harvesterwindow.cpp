#include "app/Program.h"
#include "gui/HarvesterWindow.h"
#include "gui/MainWindow.h"
#include "platform/TextFile.h"
#include "support/GuiRig.h"
#include "tools/searchd/SearchTestServer.h"
#include "tools/whoisd/WhoisTestServer.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using Engine = SearchTestServer::Engine;

namespace {

QString Page(Engine engine, const QStringList &hosts)
{
    return QString::fromUtf8(SearchTestServer::ResultsPage(engine, hosts));
}

} // namespace

// "List Builder - Finding domain names...", with a fake browser and a whois server on 127.0.0.1.
class TestHarvesterWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void googleHarvestFromSearchToRun();
    void yahooPagesGoByTwenty();
    void searchAgainRaisesTheOpenWindow();
    void closingMidHarvestWritesNothing();
    void aHarvestWithoutNamesKeepsTheEarlierList_data();
    void aHarvestWithoutNamesKeepsTheEarlierList();
    void aLaterPageThatFailsEndsWithWhatWasFound();
    void aSecondCompletionOfOnePageIsIgnored();
    void theSourceCannotChangeDuringAHarvest();
    void aTermOfBlanksIsNoTermAndEnterSearches();
    void aChallengeOnTheFirstPageIsNoEmptyHarvest();

private:
    HarvesterWindow *Search(int sourceIndex, const QString &text, int sizeIndex);
    FakeWebBrowser *Browser() { return m_rig->browsers.last(); }
    QMessageBox *Message(const char *name) { return m_window->findChild<QMessageBox *>(name); }

    std::unique_ptr<WhoisTestServer> m_whois;
    std::unique_ptr<GuiRig> m_rig;
    MainWindow *m_window = nullptr;
};

void TestHarvesterWindow::init()
{
    m_whois = std::make_unique<WhoisTestServer>();
    QVERIFY(m_whois->Listen());
    m_rig = std::make_unique<GuiRig>(ProgramOptions{.timings = {20, 20, 20}});
    m_window = m_rig->windows->CreateMainWindow();
    m_window->show();
    UseWhoisServer(*m_rig->program, m_whois->port(), true, {"com"});
    m_rig->program->config().googleSearchBase = "http://127.0.0.1:9";
    m_rig->program->config().yahooSearchBase = "http://127.0.0.1:9";
    m_rig->windows->setHarvestTimings({5, 10000, 2000});
}

void TestHarvesterWindow::cleanup()
{
    m_rig.reset();
    m_whois.reset();
}

HarvesterWindow *TestHarvesterWindow::Search(int sourceIndex, const QString &text, int sizeIndex)
{
    m_window->m_toolsItems.at(static_cast<size_t>(sourceIndex))->trigger();
    m_window->m_searchTextBox->setText(text);
    m_rig->program->controls().setSearchText(text);
    m_window->m_harvestSizeBox->setCurrentIndex(sizeIndex);
    QTest::mouseClick(m_window->m_searchButton, Qt::LeftButton);
    return m_rig->windows->harvester();
}

void TestHarvesterWindow::googleHarvestFromSearchToRun()
{
    HarvesterWindow *harvester = Search(3, "red car", 1); // "Google Search", "~200 Domains"
    QVERIFY(harvester && harvester->isVisible());
    QCOMPARE(harvester->windowTitle(), QString("List Builder - Finding domain names..."));
    QCOMPARE(harvester->m_statusLine->text(), QString("Status..."));
    QCOMPARE(harvester->m_statusLine->toolTip(),
             QString("This shows the number of unique .com, .org and .net domain names found."));
    const QString google =
        "http://127.0.0.1:9/search?num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off&filter=0&start=";
    QCOMPARE(Browser()->navigations, QStringList{google + "0&sa=N&q=red+car"});

    Browser()->CompletePage("R", Page(Engine::Google, SearchTestServer::NumberedHosts(1, 150)));
    QTRY_COMPARE(Browser()->navigations.size(), 2);
    QCOMPARE(Browser()->navigations.last(), google + "100&sa=N&q=red+car");
    QCOMPARE(harvester->m_statusLine->text(), QString("Extracted 150 unique domain names"));
    const QStringList second =
        SearchTestServer::NumberedHosts(151, 60) + SearchTestServer::NumberedHosts(1, 20);
    Browser()->CompletePage("R", Page(Engine::Google, second));

    QTRY_VERIFY(Message("HarvestFinished"));
    QCOMPARE(harvester->m_statusLine->text(), QString("Finished! Extracted 210 domain names."));
    QVERIFY(!harvester->isVisible());
    QCOMPARE(Message("HarvestFinished")->text(),
             QString("List of 210 unique domains was created successfully!"));
    const QByteArray list = FileBytes(m_rig->folders.appFolder() + "/BrowserSearch.txt");
    QCOMPARE(list.count("\r\n"), 211);
    QVERIFY(list.startsWith("site0001.com\r\n") && list.endsWith("site0210.com\r\n\r\n"));
    QCOMPARE(FileBytes(m_rig->folders.appFolder() + "/searches/Google red car.txt"), list);
    QCOMPARE(m_window->m_totalBox->text(), QString("210"));
    QCOMPARE(m_window->m_startNumberBox->text(), QString("1"));
    QVERIFY(!m_rig->program->engine().isRunning());

    // OK starts the run over the new list.
    QSignalSpy stopped(&m_rig->program->engine(), &CheckEngine::runStopped);
    QSignalSpy checked(&m_rig->program->engine(), &CheckEngine::nameChecked);
    Message("HarvestFinished")->button(QMessageBox::Ok)->click();
    QVERIFY(stopped.wait(20000));
    QCOMPARE(checked.count(), 210);
    QTRY_VERIFY(!m_rig->windows->harvester());
}

void TestHarvesterWindow::yahooPagesGoByTwenty()
{
    Search(2, "red car", 3); // "Yahoo Search", "~1000 Domains"
    const QString yahoo = "http://127.0.0.1:9/search/dir?h=s&xargs=0&p=red+car&b=";
    for (int page = 0; page < 3; ++page) {
        QTRY_COMPARE(Browser()->navigations.size(), page + 1);
        QCOMPARE(Browser()->navigations.last(), yahoo + QString::number(1 + 20 * page));
        const QStringList hosts =
            page < 2 ? SearchTestServer::NumberedHosts(1 + 20 * page, 20) : QStringList();
        Browser()->CompletePage("Y", Page(Engine::Yahoo, hosts));
    }
    QTRY_VERIFY(Message("HarvestFinished"));
    QCOMPARE(Message("HarvestFinished")->text(),
             QString("List of 40 unique domains was created successfully!"));
    QCOMPARE(FileBytes(m_rig->folders.appFolder() + "/searches/Yahoo red car.txt").count("\r\n"), 41);
}

void TestHarvesterWindow::searchAgainRaisesTheOpenWindow()
{
    HarvesterWindow *harvester = Search(3, "red car", 0);
    QTest::mouseClick(m_window->m_searchButton, Qt::LeftButton);
    QCOMPARE(m_rig->windows->harvester(), harvester);
    QCOMPARE(m_rig->browsers.size(), 1);
    QCOMPARE(Browser()->navigations.size(), 1);
}

void TestHarvesterWindow::closingMidHarvestWritesNothing()
{
    HarvesterWindow *harvester = Search(3, "red car", 1);
    QCOMPARE(harvester->findChild<QLabel *>("lblPage")->text(), QString("Page 1 of 2"));
    Browser()->CompletePage("R", Page(Engine::Google, SearchTestServer::NumberedHosts(1, 50)));
    QTRY_COMPARE(harvester->findChild<QLabel *>("lblPage")->text(), QString("Page 2 of 2"));
    harvester->findChild<QPushButton *>("cmdCancel")->click();
    QTRY_VERIFY(!m_rig->windows->harvester()); // gone, with its timers
    QCOMPARE(FileBytes(m_rig->folders.appFolder() + "/BrowserSearch.txt"), QByteArray("\r\n"));
    QVERIFY(!Message("HarvestFinished"));
    QVERIFY(!m_rig->program->engine().isRunning());
}

void TestHarvesterWindow::aHarvestWithoutNamesKeepsTheEarlierList_data()
{
    QTest::addColumn<QString>("firstPage"); // "timeout", "error" or a page
    QTest::addColumn<QString>("message");
    QTest::newRow("no page in time") << "timeout"
                                     << "The search engine did not answer.";
    QTest::newRow("a load error") << "error"
                                  << "The search engine did not answer.";
    QTest::newRow("a page without names")
        << QString::fromUtf8(SearchTestServer::NoResultsPage()) << "No domain names were found.";
}

void TestHarvesterWindow::aHarvestWithoutNamesKeepsTheEarlierList()
{
    QFETCH(QString, firstPage);
    QFETCH(QString, message);
    const QString listPath = m_rig->folders.appFolder() + "/BrowserSearch.txt";
    TextFile::WriteAll(listPath, "earlier.com\r\n");
    m_rig->windows->setHarvestTimings({5, firstPage == "timeout" ? 200 : 10000, 2000});
    Search(3, "red car", 0);
    if (firstPage == "error")
        Browser()->CompletePage("R", std::nullopt);
    else if (firstPage != "timeout")
        Browser()->CompletePage("R", firstPage);
    QTRY_VERIFY(Message("HarvestFailed"));
    QCOMPARE(Message("HarvestFailed")->text(), message);
    QCOMPARE(FileBytes(listPath), QByteArray("earlier.com\r\n"));
    QVERIFY(!QFile::exists(m_rig->folders.appFolder() + "/searches/Google red car.txt"));
    Message("HarvestFailed")->button(QMessageBox::Ok)->click(); // a run would start right here
    QVERIFY(!m_rig->program->engine().isRunning());
}

void TestHarvesterWindow::aLaterPageThatFailsEndsWithWhatWasFound()
{
    Search(3, "red car", 1);
    Browser()->CompletePage("R", Page(Engine::Google, SearchTestServer::NumberedHosts(1, 150)));
    QTRY_COMPARE(Browser()->navigations.size(), 2);
    Browser()->CompletePage("R", std::nullopt);
    QTRY_VERIFY(Message("HarvestFinished"));
    QCOMPARE(Message("HarvestFinished")->text(),
             QString("List of 150 unique domains was created from 1 of the result pages; the next page "
                     "did not load."));
    QCOMPARE(FileBytes(m_rig->folders.appFolder() + "/BrowserSearch.txt").count("\r\n"), 151);
}

void TestHarvesterWindow::aSecondCompletionOfOnePageIsIgnored()
{
    Search(3, "red car", 1);
    const QString page = Page(Engine::Google, SearchTestServer::NumberedHosts(1, 150));
    Browser()->CompletePage("R", page);
    Browser()->CompletePage("R", page); // a frame, or the same page again: no page of the harvest
    QTRY_COMPARE(Browser()->navigations.size(), 2);
    QVERIFY(!m_rig->windows->harvester()->isFinished());
    // The real second page ends the harvest with both pages' names, each once.
    Browser()->CompletePage("R", Page(Engine::Google, SearchTestServer::NumberedHosts(151, 60)));
    QTRY_VERIFY(Message("HarvestFinished"));
    QCOMPARE(Message("HarvestFinished")->text(), QString("List of 210 unique domains was created successfully!"));
}

void TestHarvesterWindow::theSourceCannotChangeDuringAHarvest()
{
    Search(3, "red car", 0);
    const auto sourceControls = [this] {
        return QList<bool>{m_window->m_sourceBox->isEnabled(), m_window->m_toolsItems.at(4)->isEnabled(),
                           m_window->m_searchTextBox->isEnabled(), m_window->m_searchButton->isEnabled(),
                           m_window->m_startButton->isEnabled()};
    };
    QCOMPARE(sourceControls(), QList<bool>(5, false));
    m_window->m_toolsItems.at(4)->trigger(); // "Full Word List": disabled, so nothing happens
    QCOMPARE(m_window->m_sourceBox->currentIndex(), 3);
    Browser()->CompletePage("R", Page(Engine::Google, SearchTestServer::NumberedHosts(1, 5)));
    QTRY_COMPARE(Browser()->navigations.size(), 2);
    Browser()->CompletePage("R", QString::fromUtf8(SearchTestServer::NoResultsPage()));
    QTRY_VERIFY(Message("HarvestFinished"));
    QCOMPARE(sourceControls(), QList<bool>(5, true));
    Message("HarvestFinished")->button(QMessageBox::Ok)->click();
    QTRY_VERIFY(m_rig->program->engine().isRunning() || !m_whois->queries().isEmpty());
}

void TestHarvesterWindow::aTermOfBlanksIsNoTermAndEnterSearches()
{
    m_window->m_toolsItems.at(3)->trigger(); // "Google Search"
    QTest::keyClicks(m_window->m_searchTextBox, "   ");
    QVERIFY(!m_window->m_searchButton->isEnabled());
    QTest::keyClick(m_window->m_searchTextBox, Qt::Key_Return);
    QVERIFY(!m_rig->windows->harvester());
    QTest::keyClicks(m_window->m_searchTextBox, "car");
    QVERIFY(m_window->m_searchButton->isEnabled());
    QTest::keyClick(m_window->m_searchTextBox, Qt::Key_Return);
    QVERIFY(m_rig->windows->harvester());
    QVERIFY(Browser()->navigations.first().endsWith("&q=+++car"));
}

void TestHarvesterWindow::aChallengeOnTheFirstPageIsNoEmptyHarvest()
{
    HarvesterWindow *harvester = Search(3, "red car", 0);
    Browser()->CompletePage("Sorry", "<p>Our systems have detected unusual traffic from your computer network.</p>");
    const QString said = "Google asks to prove you are a person: solve it in the browse window, then continue";
    QTRY_COMPARE(harvester->m_statusLine->text(), said + " (0 names kept)");
    QCOMPARE(Browser()->navigations.size(), 1);
    QTest::mouseClick(harvester->m_useNamesButton, Qt::LeftButton);
    QTRY_VERIFY(Message("HarvestFailed"));
    QCOMPARE(Message("HarvestFailed")->text(), "The search stopped before any names were found: " + said + ".");
    Message("HarvestFailed")->button(QMessageBox::Ok)->click();
    // The engine is not asked again until the user says so.
    QTRY_VERIFY(!m_rig->windows->harvester());
    harvester = Search(3, "red car", 0);
    QCOMPARE(Browser()->navigations.size(), 0);
    QVERIFY(harvester->m_continueButton->isVisible());
    QTest::mouseClick(harvester->m_continueButton, Qt::LeftButton);
    QCOMPARE(Browser()->navigations.size(), 1);
}

QTEST_MAIN(TestHarvesterWindow)
#include "tst_harvesterwindow.moc"
