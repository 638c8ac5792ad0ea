#include "engine/CheckEngine.h"
#include "gui/AboutDialog.h"
#include "gui/BackupNoticeWindow.h"
#include "gui/GeneratorWindow.h"
#include "gui/HarvesterWindow.h"
#include "gui/Layouts.h"
#include "gui/MainWindow.h"
#include "gui/ResultListView.h"
#include "gui/WebsiteWindow.h"
#include "gui/WhoisTableDialog.h"
#include "platform/TextFile.h"
#include "results/PurchaseLink.h"
#include "support/FakeSocket.h"
#include "support/GuiRig.h"
#include "tools/whoisd/WhoisTestServer.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

Q_DECLARE_METATYPE(MainWindowFit)

// The main window driven as a user drives it, on the offscreen platform.
class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void layoutOfTheListColumns_data();
    void layoutOfTheListColumns();
    void layoutSnapsSmallWindowsAndSkipsMinimised();
    void minimumSizeFitsTheControls_data();
    void minimumSizeFitsTheControls();
    void startUpInAnEmptyFolder();
    void helpOpensOnlyUntilItWasShown();
    void controlsCarryTheirNamesCaptionsAndTips();
    void windowAppliesTheLayout();
    void toolsMenuSelectsASourceWithItsStoredPosition();
    void runAgainstALoopbackServerFillsTheLists();
    void copyPutsTheListOnTheClipboard();
    void deleteKeys_data();
    void deleteKeys();
    void dragFromMidToSavedAppendsAndRewritesTheFile();
    void foreignDropDataAddsNothing();
    void doubleClickOpensThePurchasePage();
    void doubleClickWithoutCurrentItemDoesNothing();
    void backupNoticeShowsItsText();
    void closingWhileTheWebsiteIsOpenHandsTheEndOver();
    void closingStopsARunningCheck();
    void searchOpensTheHarvesterAndClosingEndsIt();
    void runControlsFollowTheRun();
    void searchEngineSourcesStartAtLineOne();
    void sourceCannotChangeDuringARun();
    void allUnansweredRunIsCountedAndKeptForAnotherTry();
    void clearingSavedDomainsAsksFirst();
    void minimisedWindowsComeBackWhenOpenedAgain();
    void nothingOverlapsAtTheMinimumSize();

private:
    MainWindow *Open();
    void FillList(ResultList list, const QStringList &names);

    std::unique_ptr<GuiRig> m_rig;
};

void TestMainWindow::init()
{
    m_rig = std::make_unique<GuiRig>();
    PurchaseLink(m_rig->program->config());
}

void TestMainWindow::cleanup()
{
    m_rig.reset();
}

MainWindow *TestMainWindow::Open()
{
    MainWindow *window = m_rig->windows->CreateMainWindow();
    window->show();
    return window;
}

void TestMainWindow::FillList(ResultList list, const QStringList &names)
{
    m_rig->program->results().model(list)->setStringList(names);
}

void TestMainWindow::layoutOfTheListColumns_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("listWidth");
    QTest::addColumn<QList<int>>("lefts"); // High, Mid, Low, Registered, Saved
    QTest::newRow("7000") << 7000 << 1150 << QList<int>{125, 1350, 2575, 4025, 5475};
    QTest::newRow("15360") << 15360 << 2822 << QList<int>{125, 3022, 5919, 9041, 12163};
}

void TestMainWindow::layoutOfTheListColumns()
{
    QFETCH(int, size);
    QFETCH(int, listWidth);
    QFETCH(QList<int>, lefts);
    const MainWindowLayout layout = LayoutMainWindow(size, size, 300, false);
    QCOMPARE(layout.action, MainWindowLayout::Action::Apply);
    QCOMPARE(layout.listWidth, listWidth);
    const std::array<int, 5> order = {3, 4, 1, 2, 5};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(layout.listLeft.at(order.at(i)), lefts.at(i));
    QCOMPARE(layout.listHeight, size - 1380 - 1000 - 1380 - 300);
    for (int n = 1; n <= 5; ++n) {
        QCOMPARE(layout.headingLeft.at(n), layout.listLeft.at(n));
        QCOMPARE(layout.copyLeft.at(n), layout.listLeft.at(n));
        QCOMPARE(layout.delLeft.at(n), layout.copyLeft.at(n) + 495 + 25);
        QCOMPARE(layout.clearLeft.at(n), layout.delLeft.at(n) + 495 + 25);
    }
    QCOMPARE(layout.headingWidth, listWidth);
    QCOMPARE(layout.frame2Width, size - 300);
    QCOMPARE(layout.panelWidths, (std::array<int, 3>{(size - 300) / 4, (size - 300) / 4, (size - 300) / 2}));
    // The website button stays inside the top panel; on a wide window it reaches to 200 twips
    // short of the panel's right edge.
    QVERIFY(6600 + layout.websiteButtonWidth <= layout.frame1Width);
    if (size >= 7100)
        QCOMPARE(6600 + layout.websiteButtonWidth, layout.frame1Width - 200);
}

void TestMainWindow::layoutSnapsSmallWindowsAndSkipsMinimised()
{
    MainWindowLayout layout = LayoutMainWindow(7000, 6000, 300, false);
    QCOMPARE(layout.action, MainWindowLayout::Action::Resize);
    QCOMPARE(layout.width, 7000);
    QCOMPARE(layout.height, 6501);
    layout = LayoutMainWindow(5000, 9000, 300, false);
    QCOMPARE(layout.width, 6501);
    QCOMPARE(layout.height, 9000);
    QCOMPARE(LayoutMainWindow(6500, 6500, 300, false).action, MainWindowLayout::Action::Apply);
    QCOMPARE(LayoutMainWindow(100, 100, 300, true).action, MainWindowLayout::Action::None);
}

void TestMainWindow::minimumSizeFitsTheControls_data()
{
    QTest::addColumn<MainWindowFit>("fit");
    QTest::addColumn<int>("width");
    // The design's own buttons overlap their neighbours' below 8550 twips.
    QTest::newRow("design sizes") << MainWindowFit{495, 0, 735} << 8550;
    QTest::newRow("wider buttons") << MainWindowFit{675, 0, 735} << 5 * (3 * 675 + 50 - 75 + 250);
    QTest::newRow("long headings") << MainWindowFit{495, 3000, 735} << 5 * (3000 + 250);
    QTest::newRow("long website caption") << MainWindowFit{495, 0, 4000} << 6600 + 4000 + 500;
}

void TestMainWindow::minimumSizeFitsTheControls()
{
    QFETCH(MainWindowFit, fit);
    QFETCH(int, width);
    const MainWindowMinimum minimum = MinimumMainWindowSize(fit);
    QCOMPARE(minimum.width, width);
    QCOMPARE(minimum.height, 6500);
    const MainWindowLayout snapped = LayoutMainWindow(6600, 7000, 300, false, fit, minimum);
    QCOMPARE(snapped.action, MainWindowLayout::Action::Resize);
    QCOMPARE(snapped.width, width + 1);
    const MainWindowLayout layout = LayoutMainWindow(width, 7000, 300, false, fit, minimum);
    QCOMPARE(layout.action, MainWindowLayout::Action::Apply);
    // Each list's Clear button ends before the next list starts; the headings fit their lists.
    const std::array<int, 5> order = {3, 4, 1, 2, 5};
    for (size_t i = 0; i + 1 < order.size(); ++i)
        QVERIFY(layout.clearLeft.at(order.at(i)) + fit.buttonWidth <= layout.listLeft.at(order.at(i + 1)));
    QVERIFY(layout.clearLeft.at(5) + fit.buttonWidth <= layout.frame2Width);
    QVERIFY(layout.listWidth >= fit.headingWidth);
    QVERIFY(layout.websiteButtonWidth >= fit.websiteButtonWidth);
}

void TestMainWindow::startUpInAnEmptyFolder()
{
    MainWindow *window = Open();
    const QString app = m_rig->folders.appFolder();
    for (const char *name : {"BrowserSearch.txt", "Appends.txt", "CreatedDomains.txt", "Remembered.txt"})
        QCOMPARE(FileBytes(app + "/" + name), QByteArray("\r\n"));
    for (const char *name : {"backups", "overflow", "wordlists", "searches"})
        QVERIFY2(QFileInfo(app + "/" + name).isDir(), name);
    QCOMPARE(FileBytes(app + "/registrars.txt"), RegistrarFile::DefaultFileText().toLatin1());
    QCOMPARE(m_rig->program->registrars().size(), 89);
    for (const char *name :
         {"FullWordList.txt", "AllTwoLetter.txt", "AllThreeLetter.txt", "AllFourLetter.txt"})
        QVERIFY2(QFileInfo(app + "/wordlists/" + name).size() > 0, name);
    QCOMPARE(m_rig->program->candidates().CountCandidates(app + "/wordlists/AllTwoLetter.txt"), 26 * 26);
    QCOMPARE(m_rig->program->candidates().CountCandidates(app + "/wordlists/AllFourLetter.txt"),
             26 * 26 * 26 * 26);
    QCOMPARE(window->windowTitle(), QString("Orvelle by Velquist"));
    QCOMPARE(window->m_websiteButton->text(), QString("Visit ") + m_rig->program->config().siteAddress);
    QCOMPARE(window->m_listsFrame->title(),
             QString("Domain Name Manager - Double Click any domain to purchase"));
    QVERIFY(window->windowState() & Qt::WindowMaximized);
    QCOMPARE(m_rig->program->results().itemCount(ResultLists::Saved), 0);
    QCOMPARE(m_rig->program->startupPosition(), 0);
    QCOMPARE(window->m_sourceBox->currentIndex(), -1);
}

void TestMainWindow::helpOpensOnlyUntilItWasShown()
{
    m_rig->program->settings().SetShowHelp(true); // as on a first start
    Open();
    // In the program's own browser, the website window's.
    QVERIFY(m_rig->windows->website());
    FakeWebBrowser *browser = m_rig->browsers.last();
    QVERIFY(QUrl(browser->navigations.last()).toLocalFile().endsWith("/Help.html"));
    // Asked for, but not yet displayed: it still opens at the next start.
    QCOMPARE(StoredSetting(*m_rig->program, "Orvelle", "showHelp", "1"), QString("1"));
    browser->CompletePage("Help", "<h1>Help</h1>");
    QCOMPARE(StoredSetting(*m_rig->program, "Orvelle", "showHelp", "1"), QString("0"));
    // The next start skips it; "View Help" opens it on every request.
    m_rig->windows.reset();
    GuiRig second;
    second.program->settings().SetShowHelp(false);
    second.windows->CreateMainWindow();
    QVERIFY(!second.windows->website());
    second.windows->OpenHelp();
    second.windows->OpenHelp();
    QCOMPARE(second.browsers.last()->navigations.filter("Help.html").size(), 2);
}

void TestMainWindow::controlsCarryTheirNamesCaptionsAndTips()
{
    MainWindow *window = Open();
    const auto button = [&](const char *name) {
        return window->findChild<QToolButton *>(name);
    };
    QCOMPARE(button("cmdDoSearch")->text(), QString("Start"));
    QCOMPARE(button("cmdDoSearch")->toolTip(), QString("Click here to start searching your list."));
    QCOMPARE(button("Command3")->toolTip(), QString("Click here to stop searching names"));
    QCOMPARE(button("cmdCreate")->toolTip(), QString("Click here to start your internet search!"));
    QCOMPARE(button("cmdClear_4")->text(), QString("Del"));
    QCOMPARE(button("cmdClear_4")->toolTip(), QString("Delete Selected Item"));
    QCOMPARE(button("cmdClear2_4")->text(), QString("Clear"));
    QCOMPARE(button("cmdCopy_2")->toolTip(), QString("Copy List"));
    QCOMPARE(window->findChild<QLabel *>("Label1")->toolTip(), QString("These domains have 8+ characters."));
    QCOMPARE(window->findChild<QLabel *>("Label4")->toolTip(), QString());
    QCOMPARE(window->findChild<ResultListView *>("List4")->toolTip(),
             QString("These domains have 5 to 7 characters"));
    QCOMPARE(window->findChild<QComboBox *>("Combo2")->currentText(), QString("~100 Domains"));
    QStringList menus;
    for (QAction *action : window->menuBar()->actions())
        menus << action->text();
    QCOMPARE(menus, (QStringList{"File", "Edit", "Tools", "Options", "Help", "About"}));
    QCOMPARE(window->m_editItems.at(0)->text(), QString("Clear High/Mid/Low"));
    QCOMPARE(window->m_toolsItems.at(8)->text(), QString("Custom List"));
    QCOMPARE(window->m_panels.at(1)->text(), QString("Open Connections"));
}

void TestMainWindow::windowAppliesTheLayout()
{
    MainWindow *window = Open();
    window->setWindowState(Qt::WindowNoState);
    window->resize(1000, 600);
    QTRY_COMPARE(window->appliedLayout().listWidth, 1000 * 15 / 5 - 250);
    const MainWindowLayout &layout = window->appliedLayout();
    QCOMPARE(window->m_lists.at(3)->x(), (125 + 7) / 15);
    QCOMPARE(window->m_lists.at(5)->x(), (layout.listLeft.at(5) + 7) / 15);
    QCOMPARE(window->m_headings.at(2)->x(), window->m_lists.at(2)->x());
    for (int n = 1; n <= 5; ++n)
        QCOMPARE(window->m_lists.at(n)->height(), window->m_lists.at(1)->height());
    // Nothing reaches past the window's right edge.
    QVERIFY(window->m_sourceFrame->geometry().right() < window->width());
    QVERIFY(window->m_sourceFrame->mapTo(window, window->m_websiteButton->geometry().topRight()).x() <
            window->width());
}

void TestMainWindow::toolsMenuSelectsASourceWithItsStoredPosition()
{
    MainWindow *window = Open();
    m_rig->program->settings().store().WriteSetting("Velquist", "Settings", "FullWordNum", "26");
    window->m_toolsItems.at(4)->trigger();
    QCOMPARE(window->m_sourceBox->currentText(), QString("Full Word List"));
    QCOMPARE(window->m_startNumberBox->text(), QString("26"));
    const int entries = m_rig->program->candidates().CountCandidates(m_rig->folders.appFolder() +
                                                                     "/wordlists/FullWordList.txt");
    QVERIFY(entries > 1000);
    QCOMPARE(window->m_totalBox->text(), QString::number(entries));
    QVERIFY(window->m_startButton->isVisible() && window->m_startButton->isEnabled());
    QVERIFY(!window->m_stopButton->isEnabled());
    QVERIFY(!window->m_searchTextBox->isVisible());
    // A search-engine source shows the search string instead; "Search" follows the text.
    window->m_toolsItems.at(2)->trigger();
    QVERIFY(window->m_searchTextBox->isVisible() && !window->m_startNumberBox->isVisible());
    QVERIFY(!window->m_searchButton->isEnabled());
    QTest::keyClick(window->m_searchTextBox, Qt::Key_R);
    QVERIFY(window->m_searchButton->isEnabled());
    QTest::keyClick(window->m_searchTextBox, Qt::Key_Backspace);
    QVERIFY(!window->m_searchButton->isEnabled());
    // A start number at or above the total goes back to 1 as it is typed.
    window->m_toolsItems.at(5)->trigger();
    window->m_startNumberBox->clear();
    QTest::keyClicks(window->m_startNumberBox, "676");
    QCOMPARE(window->m_startNumberBox->text(), QString("1"));
}

void TestMainWindow::runAgainstALoopbackServerFillsTheLists()
{
    WhoisTestServer server;
    QVERIFY(server.Listen());
    server.setRuleChooser([](const QString &name) {
        return name.startsWith(QLatin1String("f")) ? WhoisReplyRule::Free() : WhoisReplyRule::Taken();
    });
    MainWindow *window = Open();
    TextFile::WriteAll(m_rig->program->registrarFile().path(),
                       QStringLiteral("com|127.0.0.1|%1|Enabled\r\n").arg(server.port()));
    m_rig->program->ReloadRegistrars();
    const QString list =
        m_rig->folders.WriteList("mine.txt", {"fa", "fb", "fabcdef", "fabcdefghij", "taken", "tk"});
    m_rig->program->selection().setHooks(
        {[list](const QString &, SourceSelection::ChosenList chosen) { chosen(list); }, {}, {}});
    window->m_toolsItems.at(8)->trigger();
    QCOMPARE(window->m_totalBox->text(), QString("6"));
    QSignalSpy stopped(&m_rig->program->engine(), &CheckEngine::runStopped);
    QTest::mouseClick(window->m_startButton, Qt::LeftButton);
    QVERIFY(!window->m_startButton->isEnabled());
    QVERIFY(window->m_stopButton->isEnabled());
    QVERIFY(stopped.wait(10000));
    QCOMPARE(m_rig->program->results().items(ResultLists::High), (QStringList{"fa.com", "fb.com"}));
    QCOMPARE(window->m_headings.at(3)->text(), QString("High Profile (2)"));
    QCOMPARE(window->m_headings.at(4)->text(), QString("Mid Profile (1)"));
    QCOMPARE(window->m_headings.at(1)->text(), QString("Low Profile (1)"));
    QCOMPARE(window->m_headings.at(2)->text(), QString("Registered (2)"));
    QCOMPARE(window->m_lists.at(1)->model()->index(0, 0).data().toString(), QString("fabcdefghij.com"));
    QCOMPARE(window->m_panels.at(0)->text(), QString("Entry Status"));
    // Stop applies the custom source again: Start back, the stored position shown.
    QVERIFY(window->m_startButton->isEnabled());
    QVERIFY(!window->m_stopButton->isEnabled());
    QTRY_COMPARE(window->m_startNumberBox->text(), QString("1")); // 7 is at or above the total 6
    QCOMPARE(StoredSetting(*m_rig->program, "Velquist", "CustWordNum", "1"), QString("7"));
}

void TestMainWindow::copyPutsTheListOnTheClipboard()
{
    MainWindow *window = Open();
    FillList(ResultLists::Low, {"a.com", "b.net"});
    QTest::mouseClick(window->m_copyButtons.at(1), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("a.com\r\nb.net\r\n"));
    FillList(ResultLists::Saved, {});
    window->m_editItems.at(9)->trigger(); // "Copy Saved"
    QCOMPARE(QGuiApplication::clipboard()->text(), QString());
}

void TestMainWindow::deleteKeys_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QString>("heading");
    QTest::newRow("Shift+Delete clears") << int(Qt::ShiftModifier) << QStringList() << "High Profile";
    QTest::newRow("Delete removes the current item")
        << int(Qt::NoModifier) << QStringList{"a.com", "c.com"} << "High Profile (2)";
    QTest::newRow("Ctrl+Shift+Delete removes the current item")
        << int(Qt::ControlModifier | Qt::ShiftModifier) << QStringList{"a.com", "c.com"}
        << "High Profile (2)";
    QTest::newRow("Alt+Delete removes the current item")
        << int(Qt::AltModifier) << QStringList{"a.com", "c.com"} << "High Profile (2)";
}

void TestMainWindow::deleteKeys()
{
    QFETCH(int, modifiers);
    QFETCH(QStringList, left);
    QFETCH(QString, heading);
    MainWindow *window = Open();
    for (const char *name : {"a.com", "b.com", "c.com"})
        m_rig->program->results().Append(ResultLists::High, name);
    ResultListView *list = window->m_lists.at(3);
    list->setCurrentIndex(list->model()->index(1, 0));
    QTest::keyClick(list, Qt::Key_Delete, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(m_rig->program->results().items(ResultLists::High), left);
    QTRY_COMPARE(window->m_headings.at(3)->text(), heading); // told when the turn is over
    // No other name is selected now: Delete again removes nothing the user did not choose.
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(m_rig->program->results().items(ResultLists::High), left);
}

void TestMainWindow::dragFromMidToSavedAppendsAndRewritesTheFile()
{
    MainWindow *window = Open();
    FillList(ResultLists::Mid, {"m0.com", "m1.com", "m2.com", "m3.com", "m4.com"});
    FillList(ResultLists::Saved, {"kept.com"});
    ResultListView *mid = window->m_lists.at(4);
    QTest::mouseClick(mid->viewport(), Qt::LeftButton, {},
                      mid->visualRect(mid->model()->index(2, 0)).center());
    QTest::mouseClick(mid->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      mid->visualRect(mid->model()->index(4, 0)).center());
    QCOMPARE(window->lastClickedList(), std::optional(ResultList::Mid));
    const QString payload = mid->SelectedIndexesPayload();
    QCOMPARE(payload, QString("2|4"));

    ResultListView *saved = window->m_lists.at(5);
    QMimeData data;
    data.setText(payload);
    const QPointF point = saved->viewport()->rect().center();
    QDragEnterEvent enter(point.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(saved->viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(saved->viewport(), &drop);
    QCOMPARE(m_rig->program->results().items(ResultLists::Saved),
             (QStringList{"kept.com", "m2.com", "m4.com"}));
    QCOMPARE(FileBytes(m_rig->folders.appFolder() + "/Remembered.txt"),
             QByteArray("kept.com\r\nm2.com\r\nm4.com\r\n"));
    QCOMPARE(m_rig->program->results().itemCount(ResultLists::Mid), 5);
    // Del in the kept list writes the file at once.
    saved->setCurrentIndex(saved->model()->index(0, 0));
    QTest::mouseClick(window->m_deleteButtons.at(5), Qt::LeftButton);
    QCOMPARE(FileBytes(m_rig->folders.appFolder() + "/Remembered.txt"), QByteArray("m2.com\r\nm4.com\r\n"));
}

void TestMainWindow::foreignDropDataAddsNothing()
{
    MainWindow *window = Open();
    FillList(ResultLists::High, {"a.com"});
    window->ListClicked(ResultList::High);
    window->DropOnSaved("some text from another program|99|-2");
    QCOMPARE(m_rig->program->results().itemCount(ResultLists::Saved), 0);
    QCOMPARE(FileBytes(m_rig->folders.appFolder() + "/Remembered.txt"), QByteArray());
}

void TestMainWindow::doubleClickOpensThePurchasePage()
{
    MainWindow *window = Open();
    FillList(ResultLists::High, {"shop.com", "my shop&x=1.com"});
    ResultListView *high = window->m_lists.at(3);
    const QPoint second = high->visualRect(high->model()->index(1, 0)).center();
    QTest::mouseClick(high->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(high->viewport(), Qt::LeftButton, {}, second);
    QVERIFY(m_rig->windows->website());
    QCOMPARE(m_rig->program->currentDomain(), QString("my shop&x=1.com"));
    FakeWebBrowser *browser = m_rig->browsers.last();
    const ProgramConfig &config = m_rig->program->config();
    // The start page first, then the purchase page replaces it; the name cannot add parameters.
    QCOMPARE(browser->navigations,
             (QStringList{config.siteAddress, config.purchaseUrlPrefix + "my%20shop%26x%3D1.com"}));
    QVERIFY(config.purchaseUrlPrefix.contains("categoryid=searchurl"));
    QVERIFY(config.purchaseUrlPrefix.contains("regOption=/en_US/purchase-it/view-your-order.jhtml"));
    QVERIFY(config.purchaseUrlPrefix.endsWith("STRING="));
    // A second name reuses the open window.
    window->OpenCurrentName(ResultList::High);
    QCOMPARE(m_rig->browsers.size(), 1);
    browser->CompletePage("Buy my shop", QString("<p>cart</p>"));
    QCOMPARE(m_rig->windows->website()->windowTitle(), QString("Buy my shop"));
    QCOMPARE(m_rig->windows->website()->m_addressBox->text(), browser->LocationURL());
}

void TestMainWindow::doubleClickWithoutCurrentItemDoesNothing()
{
    MainWindow *window = Open();
    window->OpenCurrentName(ResultList::High);
    QVERIFY(!m_rig->windows->website());
    QCOMPARE(m_rig->program->currentDomain(), QString());
}

void TestMainWindow::backupNoticeShowsItsText()
{
    MainWindow *window = Open();
    window->setWindowState(Qt::WindowNoState);
    window->setGeometry(100, 80, 900, 700);
    m_rig->windows->ShowBackupNotice();
    BackupNoticeWindow *notice = m_rig->windows->backupNotice();
    QVERIFY(notice && notice->isVisible());
    QCOMPARE(notice->windowTitle(), QString("File backup"));
    // It names the folder itself, where the files are.
    QCOMPARE(notice->m_noticeText->text(),
             QString("One of your lists has reached 20000 entries.  They have been saved and "
                     "cleared.  You may find your backed up lists in the overflow folder: ") +
                 QDir::toNativeSeparators(m_rig->folders.appFolder() + "/overflow"));
    // Opened over the main window, not in a corner of the screen.
    QVERIFY(qAbs(notice->geometry().center().x() - window->geometry().center().x()) < 30);
    QVERIFY(qAbs(notice->geometry().center().y() - window->geometry().center().y()) < 60);
    QTest::mouseClick(notice->m_okButton, Qt::LeftButton);
    QTRY_VERIFY(!m_rig->windows->backupNotice());
}

void TestMainWindow::closingWhileTheWebsiteIsOpenHandsTheEndOver()
{
    MainWindow *window = Open();
    m_rig->windows->OpenWebsite();
    QSignalSpy ending(m_rig->windows.get(), &ProgramWindows::programEnding);
    window->close();
    QVERIFY(m_rig->windows->endWithWebsiteWindow());
    QCOMPARE(ending.count(), 0);
    QVERIFY(m_rig->windows->website()->isVisible());
    m_rig->windows->website()->close();
    QCOMPARE(ending.count(), 1);
}

void TestMainWindow::closingStopsARunningCheck()
{
    WhoisTestServer server;
    QVERIFY(server.Listen());
    server.setDefaultRule(WhoisReplyRule::Free(300));
    MainWindow *window = Open();
    TextFile::WriteAll(m_rig->program->registrarFile().path(),
                       QStringLiteral("com|127.0.0.1|%1|Enabled\r\n").arg(server.port()));
    m_rig->program->ReloadRegistrars();
    QVERIFY(m_rig->program->SetHostLimits("127.0.0.1=0/25")); // all three at once, no probing
    const QString list = m_rig->folders.WriteList("mine.txt", {"a", "b", "c"});
    m_rig->program->selection().setHooks(
        {[list](const QString &, SourceSelection::ChosenList chosen) { chosen(list); }, {}, {}});
    window->m_toolsItems.at(8)->trigger();
    QSignalSpy ending(m_rig->windows.get(), &ProgramWindows::programEnding);
    QVERIFY(window->runs().Start());
    QTRY_COMPARE(server.queries().size(), 3);
    window->close();
    QCOMPARE(ending.count(), 1);
    QVERIFY(!m_rig->program->engine().isRunning());
    QTRY_COMPARE(server.openConnections(), 0); // no answer can arrive any more
    QCOMPARE(m_rig->program->results().itemCount(ResultLists::High), 0);
}

void TestMainWindow::searchOpensTheHarvesterAndClosingEndsIt()
{
    MainWindow *window = Open();
    window->m_toolsItems.at(3)->trigger(); // "Google Search"
    QTest::keyClicks(window->m_searchTextBox, "red car");
    QTest::mouseClick(window->m_searchButton, Qt::LeftButton);
    QPointer<HarvesterWindow> harvester = m_rig->windows->harvester();
    QVERIFY(harvester && harvester->isVisible());
    QVERIFY(m_rig->browsers.last()->navigations.first().endsWith("&q=red+car"));
    window->close();
    QTRY_VERIFY(!harvester);
    QCOMPARE(FileBytes(m_rig->folders.appFolder() + "/BrowserSearch.txt"), QByteArray("\r\n"));
}

void TestMainWindow::runControlsFollowTheRun()
{
    FakeSocketFactory sockets;
    m_rig = std::make_unique<GuiRig>(ProgramOptions{.sockets = sockets.factory()});
    MainWindow *window = Open();
    QVERIFY(m_rig->program->SetHostLimits("whois.verisign-grs.com=0/25"));
    const QString list = m_rig->folders.WriteList("mine.txt", NumberedNames("n", 60));
    m_rig->program->selection().setHooks(
        {[list](const QString &, SourceSelection::ChosenList chosen) { chosen(list); }, {}, {}});
    window->m_toolsItems.at(8)->trigger(); // "Custom List"
    QVERIFY(window->runs().Start());
    QVERIFY(!window->m_startButton->isEnabled());
    QVERIFY(!window->m_sourceBox->isEnabled());
    QVERIFY(!window->m_startNumberBox->isEnabled());
    QVERIFY(window->m_stopButton->isEnabled());
    QCOMPARE(window->m_panels.at(0)->text(), QString("26 of 60"));
    QCOMPARE(window->m_panels.at(1)->text(), QString("Open: 25"));
    for (int i = 0; i < 3; ++i)
        sockets.at(i).Answer("Domain Name: N.COM");
    QTest::mouseClick(window->m_stopButton, Qt::LeftButton);
    QVERIFY(window->m_startButton->isEnabled());
    QVERIFY(window->m_sourceBox->isEnabled());
    QVERIFY(window->m_startNumberBox->isEnabled());
    QVERIFY(!window->m_stopButton->isEnabled());
    QVERIFY(!window->m_searchButton->isEnabled());
    QCOMPARE(window->m_panels.at(0)->text(), QString("Entry Status"));
    // A custom list shows the position stored for custom lists: the first name without a
    // verdict (n4 was in flight).
    QCOMPARE(window->m_startNumberBox->text(), QString("4"));
}

void TestMainWindow::searchEngineSourcesStartAtLineOne()
{
    FakeSocketFactory sockets;
    m_rig = std::make_unique<GuiRig>(ProgramOptions{.sockets = sockets.factory()});
    MainWindow *window = Open();
    window->m_toolsItems.at(3)->trigger(); // "Google Search"
    TextFile::WriteAll(m_rig->program->paths().browserSearch(), "a\r\nb\r\nc\r\n\r\n");
    m_rig->program->controls().setTotal("10");
    m_rig->program->controls().setStartNumber("3");
    QVERIFY(window->runs().Start());
    QCOMPARE(window->m_startNumberBox->text(), QString("1"));
    sockets.at(0).RaiseConnected();
    QCOMPARE(sockets.at(0).sent, QStringList{"a.com\r\n"});
    sockets.at(0).Answer("Domain Name: A.COM");
    window->runs().Stop();
    QCOMPARE(StoredSetting(*m_rig->program, "Velquist", "GoogleWordNum", "1"), QString("2"));
}

void TestMainWindow::sourceCannotChangeDuringARun()
{
    FakeSocketFactory sockets;
    m_rig = std::make_unique<GuiRig>(ProgramOptions{.sockets = sockets.factory()});
    MainWindow *window = Open();
    window->activateWindow();
    const QString list = m_rig->folders.WriteList("mine.txt", {"a", "b"});
    m_rig->program->selection().setHooks(
        {[list](const QString &, SourceSelection::ChosenList chosen) { chosen(list); }, {}, {}});
    window->m_toolsItems.at(8)->trigger();
    window->m_startButton->setFocus();
    QTest::mouseClick(window->m_startButton, Qt::LeftButton);
    QVERIFY(m_rig->program->engine().isRunning());
    // Focus does not land in the total box with its text selected.
    QVERIFY(QApplication::focusWidget() != window->m_totalBox);
    QVERIFY(!window->m_totalBox->hasSelectedText());
    for (QAction *item : window->m_toolsItems)
        QVERIFY(!item->isEnabled());
    // Chosen otherwise (a hook, another window), a source is refused and the run keeps its list.
    QVERIFY(!m_rig->program->selection().Select(CandidateSourceId::FullWordList));
    QCOMPARE(window->m_sourceBox->currentText(), QString("Custom List"));
    QCOMPARE(m_rig->program->engine().request().listPath, list);
    sockets.at(0).RaiseConnected();
    QCOMPARE(sockets.at(0).sent, QStringList{"a.com\r\n"});
    window->runs().Stop();
    for (QAction *item : window->m_toolsItems)
        QVERIFY(item->isEnabled());
}

void TestMainWindow::allUnansweredRunIsCountedAndKeptForAnotherTry()
{
    const quint16 dead = ClosedPort();
    MainWindow *window = Open();
    TextFile::WriteAll(m_rig->program->registrarFile().path(),
                       QStringLiteral("com|127.0.0.1|%1|Enabled\r\n").arg(dead));
    m_rig->program->ReloadRegistrars();
    QString list = m_rig->folders.WriteList("mine.txt", {"a", "b", "c"});
    m_rig->program->selection().setHooks(
        {[&list](const QString &, SourceSelection::ChosenList chosen) { chosen(list); }, {}, {}});
    window->m_toolsItems.at(8)->trigger();
    QSignalSpy stopped(&m_rig->program->engine(), &CheckEngine::runStopped);
    QVERIFY(window->runs().Start());
    QVERIFY(stopped.wait(5000));
    QVERIFY(window->m_uncheckedPanel->isVisible());
    QCOMPARE(window->m_uncheckedPanel->text(), QString("No verdict: 3"));
    const QString unchecked = m_rig->program->paths().unchecked();
    const QString refused = "127.0.0.1 cannot be reached: Connection refused";
    QVERIFY(window->m_uncheckedPanel->toolTip().contains(unchecked));
    QVERIFY2(window->m_uncheckedPanel->toolTip().endsWith("\n" + refused + ": 3"),
             qPrintable(window->m_uncheckedPanel->toolTip()));
    QCOMPARE(FileBytes(unchecked),
             ("a.com\t" + refused + "\r\nb.com\t" + refused + "\r\nc.com\t" + refused + "\r\n").toUtf8());

    // Checked again from that file: a gets its answer, b fails again, c is free.
    WhoisTestServer server;
    QVERIFY(server.Listen());
    WhoisReplyRule silent;
    silent.mode = WhoisReplyRule::Mode::CloseAtOnce;
    server.setRule("b.com", silent);
    server.setRule("c.com", WhoisReplyRule::Free());
    TextFile::WriteAll(m_rig->program->registrarFile().path(),
                       QStringLiteral("com|127.0.0.1|%1|Enabled\r\n").arg(server.port()));
    m_rig->program->ReloadRegistrars();
    list = unchecked;
    window->m_toolsItems.at(8)->trigger();
    QVERIFY(window->runs().Start());
    QVERIFY(stopped.wait(5000));
    QCOMPARE(window->m_uncheckedPanel->text(), QString("No verdict: 1"));
    // b stays with the reason it first failed for.
    QCOMPARE(FileBytes(unchecked), ("b.com\t" + refused + "\r\n").toUtf8());
    QCOMPARE(m_rig->program->results().items(ResultList::High), QStringList{"c.com"});
}

void TestMainWindow::clearingSavedDomainsAsksFirst()
{
    MainWindow *window = Open();
    FillList(ResultList::Saved, {"a.com", "b.com"});
    m_rig->program->results().SaveRemembered();
    const auto answer = [&](QMessageBox::StandardButton button) {
        auto *question = window->findChild<QMessageBox *>("ClearSavedQuestion");
        QVERIFY(question && question->isVisible());
        question->button(button)->click();
        QTRY_VERIFY(!window->findChild<QMessageBox *>("ClearSavedQuestion"));
    };
    QTest::keyClick(window->m_lists.at(5), Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(m_rig->program->results().itemCount(ResultList::Saved), 2);
    answer(QMessageBox::No);
    QCOMPARE(FileBytes(m_rig->folders.appFolder() + "/Remembered.txt"), QByteArray("a.com\r\nb.com\r\n"));
    QTest::mouseClick(window->m_clearButtons.at(5), Qt::LeftButton);
    answer(QMessageBox::Yes);
    QCOMPARE(m_rig->program->results().itemCount(ResultList::Saved), 0);
    QCOMPARE(FileBytes(m_rig->folders.appFolder() + "/Remembered.txt"), QByteArray());
}

void TestMainWindow::minimisedWindowsComeBackWhenOpenedAgain()
{
    Open();
    const std::function<QWidget *()> openers[] = {
        [&] {
            m_rig->windows->OpenSettings();
            return static_cast<QWidget *>(m_rig->windows->settings());
        },
        [&] {
            m_rig->windows->OpenAbout();
            return static_cast<QWidget *>(m_rig->windows->about());
        },
        [&] {
            m_rig->windows->OpenGenerator();
            return static_cast<QWidget *>(m_rig->windows->generator());
        },
        [&] {
            m_rig->windows->OpenWebsite();
            return static_cast<QWidget *>(m_rig->windows->website());
        },
    };
    for (const auto &open : openers) {
        QWidget *window = open();
        window->showMinimized();
        QVERIFY(window->isMinimized());
        QCOMPARE(open(), window);
        QVERIFY2(!window->isMinimized(), qPrintable(window->objectName()));
        QVERIFY(window->isVisible());
    }
}

void TestMainWindow::nothingOverlapsAtTheMinimumSize()
{
    MainWindow *window = Open();
    window->setWindowState(Qt::WindowNoState);
    window->resize(200, 200);
    QTRY_COMPARE(window->size(), window->minimumSize());
    QTRY_VERIFY(window->appliedLayout().listWidth > 0);
    QVERIFY(window->width() * 15 > 6500 && window->height() * 15 > 6500);
    const std::array<ResultList, 5> order = {ResultList::High, ResultList::Mid, ResultList::Low,
                                             ResultList::Registered, ResultList::Saved};
    for (size_t i = 0; i < order.size(); ++i) {
        const auto n = static_cast<size_t>(ControlIndex(order.at(i)));
        for (QToolButton *button :
             {window->m_copyButtons.at(n), window->m_deleteButtons.at(n), window->m_clearButtons.at(n)})
            QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->objectName()));
        QVERIFY(window->m_copyButtons.at(n)->geometry().right() < window->m_deleteButtons.at(n)->x());
        QVERIFY(window->m_deleteButtons.at(n)->geometry().right() < window->m_clearButtons.at(n)->x());
        const int end = i + 1 < order.size()
                            ? window->m_lists.at(static_cast<size_t>(ControlIndex(order.at(i + 1))))->x()
                            : window->m_listsFrame->width();
        QVERIFY2(window->m_clearButtons.at(n)->geometry().right() < end, qPrintable(QString::number(n)));
        QVERIFY(window->m_lists.at(n)->geometry().right() < end);
        QLabel *heading = window->m_headings.at(n);
        const QString widest = ResultLists::CountedHeading(order.at(i), 20000);
        QVERIFY2(heading->width() >= heading->fontMetrics().horizontalAdvance(widest), qPrintable(widest));
    }
    QVERIFY(window->m_setupButton->geometry().right() < window->m_websiteButton->x());
    QVERIFY(window->m_websiteButton->width() >= window->m_websiteButton->sizeHint().width());
    QVERIFY(window->m_websiteButton->geometry().right() < window->m_sourceFrame->width());
    QVERIFY(window->m_sourceFrame->geometry().right() < window->width());
    QVERIFY(window->m_listsFrame->geometry().right() < window->width());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
