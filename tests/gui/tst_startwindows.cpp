#include "gui/AboutDialog.h"
#include "gui/MainWindow.h"
#include "gui/Skin.h"
#include "gui/SplashScreen.h"
#include "gui/WebsiteWindow.h"
#include "support/GuiRig.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(SkinColours)

// The splash window, the about box, the help launcher and the skin's colouring rule.
class TestStartWindows : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void splashCountsDownToTheMainWindow();
    void aboutBoxShowsTheVersionRecord();
    void aboutBoxOpensTheWebsite();
    void aboutBoxClosesWithOkAndEscape();
    void missingHelpFileOpensNothingAndKeepsTheFlag();
    void skinColoursByControlType_data();
    void skinColoursByControlType();
    void applySkinColoursTheControlsOfAWindow();

private:
    std::unique_ptr<GuiRig> m_rig;
};

void TestStartWindows::init()
{
    m_rig = std::make_unique<GuiRig>();
}

void TestStartWindows::cleanup()
{
    m_rig.reset();
}

void TestStartWindows::splashCountsDownToTheMainWindow()
{
    m_rig->program->config() = VersionRecord(); // as the program starts: PurchaseLink not yet run
    SplashScreen *splash = m_rig->windows->ShowSplash();
    QVERIFY(splash->isVisible());
    QVERIFY(!m_rig->windows->mainWindow());
    QCOMPARE(m_rig->program->config().purchaseOnDoubleClick, true);
    QVERIFY(!m_rig->program->config().skinEnabled);
    QSignalSpy finished(splash, &SplashScreen::countdownFinished);
    QVERIFY(finished.wait(5000));
    QCOMPARE(splash->SplashTicks, 150); // 75 ticks of 2
    QVERIFY(!splash->isVisible());
    MainWindow *main = m_rig->windows->mainWindow();
    QVERIFY(main && main->isVisible());
    QCOMPARE(main->windowTitle(), QString("Orvelle by Velquist"));
    QVERIFY(main->windowState() & Qt::WindowMaximized);
}

void TestStartWindows::aboutBoxShowsTheVersionRecord()
{
    m_rig->program->config().versionMajor = 2;
    m_rig->program->config().versionMinor = 0;
    m_rig->windows->OpenAbout();
    AboutDialog *about = m_rig->windows->about();
    QVERIFY(about && about->isVisible());
    QCOMPARE(about->windowTitle(), QString("About Orvelle"));
    QCOMPARE(about->m_productLabel->text(), QString("Orvelle"));
    QCOMPARE(about->m_companyLabel->text(), QString("Velquist"));
    QCOMPARE(about->m_versionLabel->text(), QString("2.0"));
    QCOMPARE(about->m_websiteLabel->text(), m_rig->program->config().siteAddress);
    QCOMPARE(about->m_versionCaption->text(), QString("Version:"));
    QCOMPARE(about->m_ownerCaption->text(), QString("Owned By:"));
    QCOMPARE(about->m_websiteCaption->text(), QString("Website:"));
}

void TestStartWindows::aboutBoxOpensTheWebsite()
{
    m_rig->windows->OpenAbout();
    QTest::mouseClick(m_rig->windows->about()->m_websiteLabel, Qt::LeftButton);
    QVERIFY(m_rig->windows->website());
    QCOMPARE(m_rig->browsers.last()->navigations, QStringList{m_rig->program->config().siteAddress});
    QCOMPARE(m_rig->windows->website()->windowTitle(), m_rig->program->config().siteAddress);
    // What became of the page: loaded, or not, and why.
    FakeWebBrowser *browser = m_rig->browsers.last();
    browser->CompletePage("Site", QString("<p>hi</p>"));
    const QString address = m_rig->program->config().siteAddress;
    QCOMPARE(m_rig->windows->website()->m_panels.at(1)->text(), "Completed " + address);
    browser->FailPage("Connection refused");
    QCOMPARE(m_rig->windows->website()->m_panels.at(1)->text(), "Could not open " + address + ": Connection refused");
}

void TestStartWindows::aboutBoxClosesWithOkAndEscape()
{
    m_rig->windows->OpenAbout();
    AboutDialog *about = m_rig->windows->about();
    QCOMPARE(about->m_okButton->text(), QString("OK"));
    QTest::mouseClick(about->m_okButton, Qt::LeftButton);
    QVERIFY(!about->isVisible());
    m_rig->windows->OpenAbout();
    QVERIFY(about->isVisible());
    QTest::keyClick(about, Qt::Key_Escape);
    QVERIFY(!about->isVisible());
}

void TestStartWindows::missingHelpFileOpensNothingAndKeepsTheFlag()
{
    const QByteArray saved = qgetenv("ORVELLE_DATA_DIR");
    qputenv("ORVELLE_DATA_DIR", m_rig->folders.path("no-data").toUtf8());
    m_rig->program->settings().SetShowHelp(true); // a first start
    MainWindow *window = m_rig->windows->CreateMainWindow();
    window->findChild<QAction *>("mnuHelpView")->trigger();
    qputenv("ORVELLE_DATA_DIR", saved);
    QVERIFY(!m_rig->windows->website());
    QCOMPARE(StoredSetting(*m_rig->program, "Orvelle", "showHelp", "1"), QString("1"));
    auto *message = window->findChild<QMessageBox *>("ErrorMessage");
    QVERIFY(message && message->isVisible());
    QVERIFY(message->text().startsWith("The help file"));
}

void TestStartWindows::skinColoursByControlType_data()
{
    const QColor a(1, 2, 3);
    const QColor b(4, 5, 6);
    const QColor c(7, 8, 9);
    QTest::addColumn<QString>("type");
    QTest::addColumn<SkinColours>("colours");
    QTest::newRow("button") << "CommandButton" << SkinColours{a, std::nullopt};
    for (const char *type :
         {"TextBox", "ComboBox", "FileListBox", "DirListBox", "DriveListBox", "ListBox", "ListView"})
        QTest::newRow(type) << type << SkinColours{a, b};
    QTest::newRow("picture") << "PictureBox" << SkinColours{c, std::nullopt};
    QTest::newRow("label untouched") << "Label" << SkinColours{};
    QTest::newRow("frame untouched") << "Frame" << SkinColours{};
}

void TestStartWindows::skinColoursByControlType()
{
    QFETCH(QString, type);
    QFETCH(SkinColours, colours);
    const SkinColours got = SkinColoursFor(type, QColor(1, 2, 3), QColor(4, 5, 6), QColor(7, 8, 9));
    QCOMPARE(got.background, colours.background);
    QCOMPARE(got.foreground, colours.foreground);
}

void TestStartWindows::applySkinColoursTheControlsOfAWindow()
{
    QWidget window;
    auto *button = new QPushButton("Start", &window);
    auto *box = new QLineEdit(&window);
    auto *label = new QLabel("Search Type:", &window);
    const QColor labelText = label->palette().color(QPalette::WindowText);
    ApplySkin(&window, Qt::red, Qt::yellow, Qt::blue);
    QCOMPARE(button->palette().color(QPalette::Button), QColor(Qt::red));
    QCOMPARE(box->palette().color(QPalette::Base), QColor(Qt::red));
    QCOMPARE(box->palette().color(QPalette::Text), QColor(Qt::yellow));
    QCOMPARE(label->palette().color(QPalette::WindowText), labelText);
    QVERIFY(!m_rig->program->config().skinEnabled); // the build never switches it on
}

QTEST_MAIN(TestStartWindows)
#include "tst_startwindows.moc"
