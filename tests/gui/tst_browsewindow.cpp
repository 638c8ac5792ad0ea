#include "gui/BrowseWindow.h"
#include "gui/MainWindow.h"
#include "gui/ResultListView.h"
#include "gui/WebsiteWindow.h"
#include "gui/Widgets.h"
#include "platform/TextFile.h"
#include "results/ResultLists.h"
#include "support/ExamplePages.h"
#include "support/GuiRig.h"
#include "tools/whoisd/WhoisTestServer.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

// The browse window with fake browsers (WebBrowser1 shows pages, WebBrowser2 loads frames) and
// a whois server on 127.0.0.1 behind the proxy row.
class TestBrowseWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void choosingTheSourceOpensTheWindowOnce();
    void addressBoxAndButtonsNavigate();
    void aPageWithoutNamesQueuesAnEmptyLine();
    void theNamesOfAPageAreCheckedAndListed();
    void framesAreLoadedOneAfterAnother();
    void layoutRows();
    void stopShowsThePageThatIsDisplayed();
    void longStatusTextsAreCutWithATooltip();
    void aNameWithoutVerdictIsKeptAndCounted();
    void closingTheMainWindowEndsTheChecks();

private:
    BrowseWindow *Open();
    FakeWebBrowser *Browser(int n) const
    {
        return static_cast<FakeWebBrowser *>(n == 1 ? m_form->m_browser : m_form->m_frameBrowser);
    }
    // The whole text; the label shows it cut when it is too narrow.
    QString Panel(int n) const { return Widgets::FullText(m_form->m_panels.at(static_cast<size_t>(n - 1))); }
    QString QueuePath() const { return m_rig->folders.appFolder() + "/BrowseQueue.txt"; }
    QString HarvestPath() const { return m_rig->folders.appFolder() + "/BrowserSearch.txt"; }
    // Loads a page into the visible browser.
    void Visit(const QString &address, const QString &markup);

    std::unique_ptr<WhoisTestServer> m_whois;
    std::unique_ptr<GuiRig> m_rig;
    MainWindow *m_window = nullptr;
    QPointer<BrowseWindow> m_form;
    const QByteArray m_harvest = "papa.com\r\nquebec.net\r\n";
};

void TestBrowseWindow::init()
{
    m_whois = std::make_unique<WhoisTestServer>();
    QVERIFY(m_whois->Listen());
    m_whois->setRuleChooser([](const QString &name) {
        const bool free = name.startsWith('a') || name.startsWith('e');
        return free ? WhoisReplyRule::Free() : WhoisReplyRule::Taken();
    });
    m_rig = std::make_unique<GuiRig>();
    m_window = m_rig->windows->CreateMainWindow();
    m_window->show();
    UseWhoisServer(*m_rig->program, m_whois->port(), true);
    m_rig->windows->setBrowseTimings({50, 200, 2000});
    TextFile::WriteBytes(HarvestPath(), m_harvest);
}

void TestBrowseWindow::cleanup()
{
    QCOMPARE(FileBytes(HarvestPath()), m_harvest); // the harvest's list is never the browse queue
    m_rig.reset();
    m_whois.reset();
}

BrowseWindow *TestBrowseWindow::Open()
{
    m_window->m_toolsItems.at(0)->trigger(); // "Browse for names"
    m_form = m_rig->windows->browse();
    return m_form;
}

void TestBrowseWindow::Visit(const QString &address, const QString &markup)
{
    Browser(1)->Navigate(address);
    Browser(1)->CompletePage("Page", markup);
}

void TestBrowseWindow::choosingTheSourceOpensTheWindowOnce()
{
    TextFile::WriteBytes(QueuePath(), "left.com\r\nover.com\r\n\r\n");
    const QString sourcePath = m_rig->program->controls().sourcePath();
    QVERIFY(Open());
    QCOMPARE(m_form->windowTitle(), QString("Browse for Domains"));
    QVERIFY(m_form->isVisible() && m_form->windowState().testFlag(Qt::WindowMaximized));
    QCOMPARE(m_form->m_statusBar->findChildren<QLabel *>(QRegularExpression("^Panel")).size(), 3);
    QVERIFY(!QFile::exists(QueuePath()));
    QCOMPARE(Browser(1)->navigations, QStringList{m_rig->program->config().siteAddress});
    QVERIFY(Browser(2)->navigations.isEmpty());
    QVERIFY(!m_rig->program->controls().startNumberGroupVisible());
    QVERIFY(!m_rig->program->controls().searchStringGroupVisible());
    QCOMPARE(m_rig->program->controls().sourcePath(), sourcePath);
    QVERIFY(!Browser(2)->view()->isVisible());

    m_form->showMinimized();
    BrowseWindow *first = m_form;
    QCOMPARE(Open(), first);
    QVERIFY(!m_form->isMinimized());
    QCOMPARE(m_rig->browsers.size(), 2);
}

void TestBrowseWindow::addressBoxAndButtonsNavigate()
{
    Open();
    const QString address = "http://127.0.0.1:9/typed.html";
    m_form->m_addressBox->setEditText(address);
    QTest::keyClick(m_form->m_addressBox, Qt::Key_Return); // as the keyboard delivers it
    QTest::keyClick(m_form->m_addressBox->lineEdit(), Qt::Key_Enter);
    QCOMPARE(m_form->m_addressBox->count(), 2);
    QCOMPARE(Browser(1)->navigations.mid(1), (QStringList{address, address}));

    // A choice from the drop-down list goes there and adds nothing.
    m_form->m_addressBox->setEditText("something else");
    m_form->m_addressBox->showPopup();
    QAbstractItemView *popup = m_form->m_addressBox->view();
    QTest::mouseClick(popup->viewport(), Qt::LeftButton, {},
                      popup->visualRect(popup->model()->index(0, 0)).center());
    QCOMPARE(m_form->m_addressBox->count(), 2);
    QCOMPARE(Browser(1)->navigations.size(), 4);
    QCOMPARE(Browser(1)->navigations.last(), address);

    const QStringList presets = m_rig->program->config().browsePresets;
    QCOMPARE(presets.size(), 7);
    for (size_t i = 0; i < m_form->m_presetButtons.size(); ++i) {
        QTest::mouseClick(m_form->m_presetButtons.at(i), Qt::LeftButton);
        QCOMPARE(Browser(1)->navigations.last(), presets.at(static_cast<qsizetype>(i)));
    }
    for (QToolButton *button : {m_form->m_backButton, m_form->m_forwardButton, m_form->m_homeButton,
                                m_form->m_refreshButton, m_form->m_stopButton})
        QTest::mouseClick(button, Qt::LeftButton);
    FakeWebBrowser *browser = Browser(1);
    QCOMPARE((QList<int>{browser->backCount, browser->forwardCount, browser->homeCount, browser->refreshCount,
                         browser->stopCount}),
             (QList<int>{1, 1, 1, 1, 1}));
}

void TestBrowseWindow::aPageWithoutNamesQueuesAnEmptyLine()
{
    Open();
    const QString address = "http://127.0.0.1:9/none.html";
    Browser(1)->Navigate(address);
    QCOMPARE(Panel(2), QString("Waiting for page to load"));
    emit Browser(1)->StatusTextChange("Opening page");
    QCOMPARE(Panel(3), QString("Opening page"));
    Browser(1)->CompletePage("T", QString("<p>Nothing to see here.</p>"));
    QCOMPARE(m_form->m_addressBox->currentText(), address);
    QCOMPARE(m_form->windowTitle(), QString("T - Orvelle"));
    QTRY_COMPARE(Panel(2), QString("No Domains Found"));
    QCOMPARE(FileBytes(QueuePath()), QByteArray("\r\n"));
    // The checker reads past the empty line to the queue's end, and asks nobody.
    QSignalSpy done(&m_form->state().checker(), &BrowseChecker::queueDone);
    QTRY_VERIFY(!done.isEmpty());
    QVERIFY(m_whois->queries().isEmpty());
}

void TestBrowseWindow::theNamesOfAPageAreCheckedAndListed()
{
    Open();
    ResultLists &lists = m_rig->program->results();
    // Names the main window filed before: the window counts only its own.
    lists.model(ResultList::Registered)->setStringList(NumberedNames("earlier", 10));
    Visit("http://127.0.0.1:9/browse.html", ExamplePages::kBrowse1);
    QTRY_COMPARE(Panel(1), QString("Checked 8 unique domains."));
    QCOMPARE(Panel(2), QString("Finished domains on current page"));
    QCOMPARE(m_form->m_freeHeading->text(), QString("Unregistered: (2)"));
    QCOMPARE(m_form->m_takenHeading->text(), QString("Registered: (6)"));
    QCOMPARE(lists.items(ResultList::High) + lists.items(ResultList::Mid),
             (QStringList{"echo.info", "alpha.com"}));
    QCOMPARE(lists.itemCount(ResultList::Registered), 16);

    QGuiApplication::clipboard()->clear();
    QTest::mouseClick(m_form->m_copyButtons.at(1), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("alpha.com\r\necho.info\r\n"));

    // Del needs a selection; Ctrl+Shift+Delete and Alt+Delete are Del too, Shift+Delete clears.
    QTest::mouseClick(m_form->m_clearButtons.at(1), Qt::LeftButton);
    QCOMPARE(m_form->m_freeHeading->text(), QString("Unregistered: (2)"));
    const auto select = [](ResultListView *view, int row) {
        view->setFocus();
        view->setCurrentIndex(view->model()->index(row, 0));
    };
    select(m_form->m_freeList, 0);
    QTest::mouseClick(m_form->m_clearButtons.at(1), Qt::LeftButton);
    QCOMPARE(m_form->m_freeHeading->text(), QString("Unregistered (1)"));
    select(m_form->m_takenList, 0);
    QTest::keyClick(m_form->m_takenList, Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m_form->m_takenHeading->text(), QString("Registered (5)"));
    select(m_form->m_takenList, 0);
    QTest::keyClick(m_form->m_takenList, Qt::Key_Delete, Qt::AltModifier);
    QCOMPARE(m_form->m_takenHeading->text(), QString("Registered (4)"));
    QTest::keyClick(m_form->m_freeList, Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(m_form->m_freeHeading->text(), QString("Unregistered"));
    QCOMPARE(m_form->m_freeList->model()->rowCount(), 0);
    QCOMPARE(lists.itemCount(ResultList::High) + lists.itemCount(ResultList::Mid), 2); // shared counts stay
    QCOMPARE(lists.itemCount(ResultList::Registered), 16);

    ResultListView *taken = m_form->m_takenList;
    const QPoint first = taken->visualRect(taken->model()->index(0, 0)).center();
    QTest::mouseClick(taken->viewport(), Qt::LeftButton, {}, first);
    QTest::mouseDClick(taken->viewport(), Qt::LeftButton, {}, first);
    QVERIFY(m_rig->windows->website());
    QCOMPARE(m_rig->browsers.last()->navigations.last(),
             m_rig->program->config().purchaseUrlPrefix + "foxtrot.com");
}

void TestBrowseWindow::framesAreLoadedOneAfterAnother()
{
    Open();
    Visit("http://127.0.0.1:9/frames.html", ExamplePages::kFrameset);
    QTRY_COMPARE(Browser(2)->navigations, QStringList{"http://127.0.0.1:9/left.html"});
    QCOMPARE(Panel(2), QString("Following Frame: http://127.0.0.1:9/left.html"));
    Browser(2)->CompletePage("Left", QString(ExamplePages::kLeftFrame));
    QTRY_COMPARE(Browser(2)->navigations.size(), 2);
    QCOMPARE(Browser(2)->navigations.last(), QString("http://127.0.0.1:9/right.html"));
    Browser(2)->CompletePage("Right", QString(ExamplePages::kRightFrame));
    QTRY_COMPARE(FileBytes(QueuePath()), QByteArray("\r\nsierra.com\r\n\r\ntango.net\r\n\r\n"));
    QTRY_COMPARE(m_whois->queries(), (QStringList{"sierra.com", "tango.net"}));
    QVERIFY(!Browser(2)->view()->isVisible());
}

void TestBrowseWindow::stopShowsThePageThatIsDisplayed()
{
    Open();
    Visit("http://127.0.0.1:9/shown.html", "<p>nothing</p>");
    m_form->m_addressBox->setEditText("http://127.0.0.1:9/hangs.html");
    QTest::keyClick(m_form->m_addressBox, Qt::Key_Return);
    QCOMPARE(Panel(2), QString("Waiting for page to load"));
    QTest::mouseClick(m_form->m_stopButton, Qt::LeftButton);
    QCOMPARE(Panel(2), QString("Stopped"));
    QCOMPARE(m_form->m_addressBox->currentText(), QString("http://127.0.0.1:9/shown.html"));
}

void TestBrowseWindow::aNameWithoutVerdictIsKeptAndCounted()
{
    WhoisReplyRule closes;
    closes.mode = WhoisReplyRule::Mode::CloseAtOnce;
    m_whois->setRule("gone.com", closes);
    Open();
    Visit("http://127.0.0.1:9/gone.html", "<a href=\"http://www.gone.com/\">gone</a>");
    QTRY_COMPARE(m_form->m_noVerdictPanel->text(), QString("No verdict: 1"));
    QVERIFY(m_form->m_noVerdictPanel->toolTip().contains("empty reply: 1"));
    QCOMPARE(FileBytes(m_rig->program->unchecked().path()), QByteArray("gone.com\tempty reply\r\n"));
}

void TestBrowseWindow::longStatusTextsAreCutWithATooltip()
{
    // At the smallest size a long status text is cut, and whole in its tooltip.
    Open();
    m_form->resize(434, 434);
    const QString address = "Following Frame: http://127.0.0.1:9/" + QString(60, 'x') + ".html";
    m_form->state().SetPanel(2, address);
    QLabel *panel = m_form->m_panels.at(1);
    QVERIFY(panel->text().endsWith(QChar(0x2026)));
    QVERIFY(panel->fontMetrics().horizontalAdvance(panel->text()) <= panel->width());
    QCOMPARE(panel->toolTip(), address);
}

void TestBrowseWindow::layoutRows()
{
    using Action = BrowseWindowLayout::Action;
    BrowseWindowLayout layout = LayoutBrowseWindow(5000, 9000, 300, false, 1500);
    QCOMPARE(layout.action, Action::Resize);
    QCOMPARE(QSize(layout.width, layout.height), QSize(6501, 9000));
    QCOMPARE(LayoutBrowseWindow(6500, 6500, 300, false, 1500).action, Action::Apply);
    QCOMPARE(LayoutBrowseWindow(100, 100, 300, true, 1500).action, Action::None);

    layout = LayoutBrowseWindow(12000, 9000, 300, false, 1500);
    QCOMPARE(layout.action, Action::Apply);
    QCOMPARE(layout.browserWidth, 8875);
    QCOMPARE(layout.freeListHeight, 1900);
    QCOMPARE(layout.panelWidths, (std::array<int, 3>{3950, 3950, 3950}));
    QCOMPARE(layout.goButtonLeft + BrowseWindowDesign::kGoButtonWidth, 12000 - 150);
    QCOMPARE(layout.browserHeight, 9000 - 1500 - 700);
    QCOMPARE(
        (QList<int>{layout.takenLabelTop, layout.takenListTop, layout.takenListHeight, layout.freeListTop}),
        (QList<int>{2520, 2760, 2205, 6000}));

    // At the smallest size the design leaves List1 no room: the column moves up to the browser's
    // top, then List2 gives way, so List1 keeps its smallest height and nothing overlaps.
    layout = LayoutBrowseWindow(6501, 6501, 300, false, 1500);
    QCOMPARE(layout.takenLabelTop, 1500);
    QCOMPARE(layout.freeListHeight, BrowseWindowDesign::kMinFreeListHeight);
    QVERIFY(layout.takenListTop + layout.takenListHeight + 45 + 420 < layout.freeLabelTop);
    QVERIFY(layout.freeListTop + layout.freeListHeight + 45 + 420 <= 6501 - 300);
}

void TestBrowseWindow::closingTheMainWindowEndsTheChecks()
{
    m_whois->setRuleChooser([](const QString &) { return WhoisReplyRule::Free(300); });
    m_rig->windows->setBrowseTimings({100, 200, 2000}); // the answer comes before the give-up
    Open();
    Visit("http://127.0.0.1:9/browse.html", ExamplePages::kBrowse1);
    QTRY_VERIFY(!m_whois->queries().isEmpty());
    m_window->close();
    QTRY_VERIFY(!m_form);
    QVERIFY(!QFile::exists(QueuePath()));
    QTRY_COMPARE(m_whois->openConnections(), 0); // no answer can arrive any more
    QCOMPARE(m_rig->program->results().itemCount(ResultList::High) +
                 m_rig->program->results().itemCount(ResultList::Mid),
             0);
    QCOMPARE(m_whois->queries().size(), 1);
}

QTEST_MAIN(TestBrowseWindow)
#include "tst_browsewindow.moc"
