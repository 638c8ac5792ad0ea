#include "engine/CheckEngine.h"
#include "platform/TextFile.h"
#include "results/PurchaseLink.h"
#include "results/ResultListView.h"
#include "shell/Form1.h"
#include "shell/Form2.h"
#include "shell/Layouts.h"
#include "shell/frmWebsite.h"
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
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

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

private:
    Form1 *Open();
    void FillList(int list, const QStringList &names);

    std::unique_ptr<GuiRig> m_rig;
};

void TestMainWindow::init()
{
    m_rig = std::make_unique<GuiRig>();
    PurchaseLink(m_rig->state->config);
}

void TestMainWindow::cleanup()
{
    m_rig.reset();
}

Form1 *TestMainWindow::Open()
{
    Form1 *window = m_rig->windows->CreateMainWindow();
    window->show();
    return window;
}

void TestMainWindow::FillList(int list, const QStringList &names)
{
    m_rig->state->results.model(list)->setStringList(names);
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

void TestMainWindow::startUpInAnEmptyFolder()
{
    Form1 *window = Open();
    const QString app = m_rig->folders.appFolder();
    for (const char *name : {"BrowserSearch.txt", "Appends.txt", "CreatedDomains.txt", "Remembered.txt"})
        QCOMPARE(FileBytes(app + "/" + name), QByteArray("\r\n"));
    for (const char *name : {"backups", "overflow", "wordlists", "searches"})
        QVERIFY2(QFileInfo(app + "/" + name).isDir(), name);
    QCOMPARE(FileBytes(app + "/registrars.txt"), RegistrarFile::DefaultFileText().toLatin1());
    QCOMPARE(m_rig->state->registrars.size(), 92);
    for (const char *name :
         {"FullWordList.txt", "AllTwoLetter.txt", "AllThreeLetter.txt", "AllFourLetter.txt"})
        QVERIFY2(QFileInfo(app + "/wordlists/" + name).size() > 0, name);
    QCOMPARE(m_rig->state->candidates.CountCandidates(app + "/wordlists/AllTwoLetter.txt"), 26 * 26);
    QCOMPARE(m_rig->state->candidates.CountCandidates(app + "/wordlists/AllFourLetter.txt"),
             26 * 26 * 26 * 26);
    QCOMPARE(window->windowTitle(), QString("Orvelle by Velquist"));
    QCOMPARE(window->cmdWebsite->text(), QString("Visit ") + m_rig->state->config.siteAddress);
    QCOMPARE(window->Frame2->title(), QString("Domain Name Manager - Double Click any domain to purchase"));
    QVERIFY(window->windowState() & Qt::WindowMaximized);
    QCOMPARE(m_rig->state->results.itemCount(ResultLists::Saved), 0);
    QCOMPARE(m_rig->state->runPosition, 0);
    QCOMPARE(window->Combo1->currentIndex(), -1);
}

void TestMainWindow::helpOpensOnlyUntilItWasShown()
{
    Open();
    QCOMPARE(m_rig->openedUrls.size(), 1);
    QVERIFY(m_rig->openedUrls.first().toLocalFile().endsWith("/Help.html"));
    QCOMPARE(m_rig->state->ReadSetting("Orvelle", "showHelp", "1"), QString("0"));
    // The next start skips it; "View Help" opens it on every request.
    m_rig->windows.reset();
    m_rig->openedUrls.clear();
    GuiRig second;
    second.state->settings.WriteSetting("Orvelle", "Settings", "showHelp", "0");
    second.windows->CreateMainWindow();
    QCOMPARE(second.openedUrls.size(), 0);
    second.windows->OpenHelp();
    second.windows->OpenHelp();
    QCOMPARE(second.openedUrls.size(), 2);
}

void TestMainWindow::controlsCarryTheirNamesCaptionsAndTips()
{
    Form1 *window = Open();
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
    QCOMPARE(window->mnuEditItem.at(0)->text(), QString("Clear High/Mid/Low"));
    QCOMPARE(window->mnuToolsItem.at(8)->text(), QString("Custom List"));
    QCOMPARE(window->panels.at(1)->text(), QString("Open Connections"));
}

void TestMainWindow::windowAppliesTheLayout()
{
    Form1 *window = Open();
    window->setWindowState(Qt::WindowNoState);
    window->resize(700, 600);
    QTRY_COMPARE(window->appliedLayout().listWidth, 700 * 15 / 5 - 250);
    const MainWindowLayout &layout = window->appliedLayout();
    QCOMPARE(window->List.at(3)->x(), (125 + 7) / 15);
    QCOMPARE(window->List.at(5)->x(), (layout.listLeft.at(5) + 7) / 15);
    QCOMPARE(window->Label.at(2)->x(), window->List.at(2)->x());
    for (int n = 1; n <= 5; ++n)
        QCOMPARE(window->List.at(n)->height(), window->List.at(1)->height());
    // Nothing reaches past the window's right edge.
    QVERIFY(window->Frame1->geometry().right() < window->width());
    QVERIFY(window->Frame1->mapTo(window, window->cmdWebsite->geometry().topRight()).x() < window->width());
    window->resize(300, 300);
    QTRY_VERIFY(window->height() * 15 >= 6501 && window->width() * 15 >= 6501);
}

void TestMainWindow::toolsMenuSelectsASourceWithItsStoredPosition()
{
    Form1 *window = Open();
    m_rig->state->WriteSetting("Velquist", "FullWordNum", "26");
    window->mnuToolsItem.at(4)->trigger();
    QCOMPARE(window->Combo1->currentText(), QString("Full Word List"));
    QCOMPARE(window->txtWordNum->text(), QString("26"));
    const int entries =
        m_rig->state->candidates.CountCandidates(m_rig->folders.appFolder() + "/wordlists/FullWordList.txt");
    QVERIFY(entries > 1000);
    QCOMPARE(window->txtWordMax->text(), QString::number(entries));
    QVERIFY(window->cmdDoSearch->isVisible() && window->cmdDoSearch->isEnabled());
    QVERIFY(!window->Command3->isEnabled());
    QVERIFY(!window->txtSearch->isVisible());
    // A search-engine source shows the search string instead; "Search" follows the text.
    window->mnuToolsItem.at(2)->trigger();
    QVERIFY(window->txtSearch->isVisible() && !window->txtWordNum->isVisible());
    QVERIFY(!window->cmdCreate->isEnabled());
    QTest::keyClick(window->txtSearch, Qt::Key_R);
    QVERIFY(window->cmdCreate->isEnabled());
    QTest::keyClick(window->txtSearch, Qt::Key_Backspace);
    QVERIFY(!window->cmdCreate->isEnabled());
    // A start number at or above the total goes back to 1 as it is typed.
    window->mnuToolsItem.at(5)->trigger();
    window->txtWordNum->clear();
    QTest::keyClicks(window->txtWordNum, "676");
    QCOMPARE(window->txtWordNum->text(), QString("1"));
}

void TestMainWindow::runAgainstALoopbackServerFillsTheLists()
{
    WhoisTestServer server;
    QVERIFY(server.Listen());
    server.setRuleChooser([](const QString &name) {
        return name.startsWith(QLatin1String("f")) ? WhoisReplyRule::Free() : WhoisReplyRule::Taken();
    });
    Form1 *window = Open();
    TextFile::WriteAll(m_rig->state->registrarFile().path(),
                       QStringLiteral("com|127.0.0.1|%1|Enabled\r\n").arg(server.port()));
    m_rig->state->ReloadRegistrars();
    const QString list =
        m_rig->folders.WriteList("mine.txt", {"fa", "fb", "fabcdef", "fabcdefghij", "taken", "tk"});
    window->selection().setHooks({[list](const QString &) { return std::optional(list); }, {}, {}});
    window->mnuToolsItem.at(8)->trigger();
    QCOMPARE(window->txtWordMax->text(), QString("6"));
    QSignalSpy stopped(&window->engine(), &CheckEngine::runStopped);
    QTest::mouseClick(window->cmdDoSearch, Qt::LeftButton);
    QVERIFY(!window->cmdDoSearch->isEnabled());
    QVERIFY(window->Command3->isEnabled());
    QVERIFY(stopped.wait(10000));
    QCOMPARE(m_rig->state->results.items(ResultLists::High), (QStringList{"fa.com", "fb.com"}));
    QCOMPARE(window->Label.at(3)->text(), QString("High Profile (2)"));
    QCOMPARE(window->Label.at(4)->text(), QString("Mid Profile (1)"));
    QCOMPARE(window->Label.at(1)->text(), QString("Low Profile (1)"));
    QCOMPARE(window->Label.at(2)->text(), QString("Registered (2)"));
    QCOMPARE(window->List.at(1)->model()->index(0, 0).data().toString(), QString("fabcdefghij.com"));
    QCOMPARE(window->panels.at(0)->text(), QString("Entry Status"));
    // Stop applies the custom source again: Start back, the stored position shown.
    QVERIFY(window->cmdDoSearch->isEnabled());
    QVERIFY(!window->Command3->isEnabled());
    QTRY_COMPARE(window->txtWordNum->text(), QString("1")); // 7 is at or above the total 6
    QCOMPARE(m_rig->state->ReadSetting("Velquist", "CustWordNum", "1"), QString("7"));
}

void TestMainWindow::copyPutsTheListOnTheClipboard()
{
    Form1 *window = Open();
    FillList(ResultLists::Low, {"a.com", "b.net"});
    QTest::mouseClick(window->cmdCopy.at(1), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("a.com\r\nb.net\r\n"));
    FillList(ResultLists::Saved, {});
    window->mnuEditItem.at(9)->trigger(); // "Copy Saved"
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
    Form1 *window = Open();
    for (const char *name : {"a.com", "b.com", "c.com"})
        m_rig->state->results.AppendCounted(ResultLists::High, name);
    ResultListView *list = window->List.at(3);
    list->setCurrentIndex(list->model()->index(1, 0));
    QTest::keyClick(list, Qt::Key_Delete, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(m_rig->state->results.items(ResultLists::High), left);
    QCOMPARE(window->Label.at(3)->text(), heading);
}

void TestMainWindow::dragFromMidToSavedAppendsAndRewritesTheFile()
{
    Form1 *window = Open();
    FillList(ResultLists::Mid, {"m0.com", "m1.com", "m2.com", "m3.com", "m4.com"});
    FillList(ResultLists::Saved, {"kept.com"});
    ResultListView *mid = window->List.at(4);
    QTest::mouseClick(mid->viewport(), Qt::LeftButton, {},
                      mid->visualRect(mid->model()->index(2, 0)).center());
    QTest::mouseClick(mid->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      mid->visualRect(mid->model()->index(4, 0)).center());
    QCOMPARE(window->lastClickedList(), 4);
    const QString payload = mid->SelectedIndexesPayload();
    QCOMPARE(payload, QString("2|4"));

    ResultListView *saved = window->List.at(5);
    QMimeData data;
    data.setText(payload);
    const QPointF point = saved->viewport()->rect().center();
    QDragEnterEvent enter(point.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(saved->viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(saved->viewport(), &drop);
    QCOMPARE(m_rig->state->results.items(ResultLists::Saved), (QStringList{"kept.com", "m2.com", "m4.com"}));
    QCOMPARE(FileBytes(m_rig->folders.appFolder() + "/Remembered.txt"),
             QByteArray("kept.com\r\nm2.com\r\nm4.com\r\n"));
    QCOMPARE(m_rig->state->results.itemCount(ResultLists::Mid), 5);
    // Del in the kept list writes the file at once.
    saved->setCurrentIndex(saved->model()->index(0, 0));
    QTest::mouseClick(window->cmdClear.at(5), Qt::LeftButton);
    QCOMPARE(FileBytes(m_rig->folders.appFolder() + "/Remembered.txt"), QByteArray("m2.com\r\nm4.com\r\n"));
}

void TestMainWindow::foreignDropDataAddsNothing()
{
    Form1 *window = Open();
    FillList(ResultLists::High, {"a.com"});
    window->ListClicked(3);
    window->DropOnSaved("some text from another program|99|-2");
    QCOMPARE(m_rig->state->results.itemCount(ResultLists::Saved), 0);
    QCOMPARE(FileBytes(m_rig->folders.appFolder() + "/Remembered.txt"), QByteArray());
}

void TestMainWindow::doubleClickOpensThePurchasePage()
{
    Form1 *window = Open();
    FillList(ResultLists::High, {"shop.com", "my shop&x=1.com"});
    ResultListView *high = window->List.at(3);
    const QPoint second = high->visualRect(high->model()->index(1, 0)).center();
    QTest::mouseClick(high->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(high->viewport(), Qt::LeftButton, {}, second);
    QVERIFY(m_rig->windows->website());
    QCOMPARE(m_rig->state->currentDomain, QString("my shop&x=1.com"));
    FakeWebBrowser *browser = m_rig->browsers.last();
    const ProgramConfig &config = m_rig->state->config;
    // The start page first, then the purchase page replaces it; the name cannot add parameters.
    QCOMPARE(browser->navigations,
             (QStringList{config.siteAddress, config.purchaseUrlPrefix + "my%20shop%26x%3D1.com"}));
    QVERIFY(config.purchaseUrlPrefix.contains("categoryid=searchurl"));
    QVERIFY(config.purchaseUrlPrefix.contains("regOption=/en_US/purchase-it/view-your-order.jhtml"));
    QVERIFY(config.purchaseUrlPrefix.endsWith("STRING="));
    // A second name reuses the open window.
    window->OpenCurrentName(3);
    QCOMPARE(m_rig->browsers.size(), 1);
    browser->CompletePage("Buy my shop", QString("<p>cart</p>"));
    QCOMPARE(m_rig->windows->website()->windowTitle(), QString("Buy my shop"));
    QCOMPARE(m_rig->windows->website()->Text1->text(), browser->LocationURL());
}

void TestMainWindow::doubleClickWithoutCurrentItemDoesNothing()
{
    Form1 *window = Open();
    window->OpenCurrentName(3);
    QVERIFY(!m_rig->windows->website());
    QCOMPARE(m_rig->state->currentDomain, QString());
}

void TestMainWindow::backupNoticeShowsItsText()
{
    Open();
    m_rig->windows->ShowBackupNotice();
    Form2 *notice = m_rig->windows->backupNotice();
    QVERIFY(notice && notice->isVisible());
    QCOMPARE(notice->windowTitle(), QString("File backup"));
    QCOMPARE(notice->Label1->text(),
             QString("One of your lists has reached 20000 entries.  They have been saved and "
                     "cleared.  You may find your backed up lists in the marrowby /overflow/ "
                     "directory."));
    QTest::mouseClick(notice->Command1, Qt::LeftButton);
    QTRY_VERIFY(!m_rig->windows->backupNotice());
}

void TestMainWindow::closingWhileTheWebsiteIsOpenHandsTheEndOver()
{
    Form1 *window = Open();
    m_rig->windows->OpenWebsite();
    QSignalSpy ending(m_rig->windows.get(), &ProgramWindows::programEnding);
    window->close();
    QVERIFY(m_rig->state->endWithWebsiteWindow);
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
    Form1 *window = Open();
    TextFile::WriteAll(m_rig->state->registrarFile().path(),
                       QStringLiteral("com|127.0.0.1|%1|Enabled\r\n").arg(server.port()));
    m_rig->state->ReloadRegistrars();
    const QString list = m_rig->folders.WriteList("mine.txt", {"a", "b", "c"});
    window->selection().setHooks({[list](const QString &) { return std::optional(list); }, {}, {}});
    window->mnuToolsItem.at(8)->trigger();
    QSignalSpy ending(m_rig->windows.get(), &ProgramWindows::programEnding);
    QVERIFY(window->engine().Start());
    QTRY_COMPARE(server.queries().size(), 3);
    window->close();
    QCOMPARE(ending.count(), 1);
    QVERIFY(!window->engine().isRunning());
    QTest::qWait(500); // the answers arrive, and are not filed
    QCOMPARE(m_rig->state->results.itemCount(ResultLists::High), 0);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
