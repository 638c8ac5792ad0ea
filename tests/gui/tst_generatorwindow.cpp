#include "app/Startup.h"
#include "gui/GeneratorWindow.h"
#include "platform/TextFile.h"
#include "sources/NameListModel.h"
#include "support/GuiRig.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

// The "Domain Name Creator" window, driven through its controls.
class TestGeneratorWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void freshWindowHasEveryOptionTicked();
    void choicesAreStoredAsTheyChange();
    void generatesWritesAndHandsOver();
    void nothingToCheckStartsNoRun();
    void secondGenerationAppends();
    void addAndDelKeepTheAffixFile();
    void delWithoutSelectionShowsAMessage();
    void saveAsCopiesOnlyWhenAFileWasChosen();
    void aHundredThousandNamesKeepTheWindowResponsive();

private:
    GeneratorWindow *Open();
    void Generate(GeneratorWindow *window);
    void WriteAffixes(const QStringList &lines);
    void Tick(GeneratorWindow *window, const QList<int> &extensions, bool prefixes, bool suffixes,
              bool hyphens);

    std::unique_ptr<GuiRig> m_rig;
};

void TestGeneratorWindow::init()
{
    m_rig = std::make_unique<GuiRig>();
    Startup::EnsureAppFolder(*m_rig->program);
    Startup::EnsureDataFiles(*m_rig->program);
}

void TestGeneratorWindow::cleanup()
{
    m_rig.reset();
}

GeneratorWindow *TestGeneratorWindow::Open()
{
    m_rig->windows->OpenGenerator();
    return m_rig->windows->generator();
}

void TestGeneratorWindow::WriteAffixes(const QStringList &lines)
{
    TextFile::WriteAll(m_rig->folders.appFolder() + "/Appends.txt", lines.join("\r\n") + "\r\n");
}

void TestGeneratorWindow::Tick(GeneratorWindow *window, const QList<int> &extensions, bool prefixes,
                               bool suffixes, bool hyphens)
{
    for (int i = 0; i < 9; ++i)
        window->m_extensionChoices.at(i)->setChecked(extensions.contains(i));
    window->m_affixChoices.at(0)->setChecked(prefixes);
    window->m_affixChoices.at(1)->setChecked(suffixes);
    window->m_affixChoices.at(2)->setChecked(hyphens);
}

void TestGeneratorWindow::Generate(GeneratorWindow *window)
{
    QSignalSpy finished(window, &GeneratorWindow::generationFinished);
    QTest::mouseClick(window->m_startButton, Qt::LeftButton);
    QVERIFY(finished.count() == 1 || finished.wait(10000));
}

void TestGeneratorWindow::freshWindowHasEveryOptionTicked()
{
    GeneratorWindow *window = Open();
    QCOMPARE(window->windowTitle(), QString("Domain Name Creator"));
    for (QCheckBox *box : window->m_extensionChoices)
        QVERIFY(box->isChecked());
    for (QCheckBox *box : window->m_affixChoices)
        QVERIFY(box->isChecked());
    QCOMPARE(window->m_customExtensionBox->text(), QString(".co.uk"));
    QCOMPARE(window->m_baseWordBox->text(), QString());
    QCOMPARE(window->m_statusLine->text(), QString("Status..."));
    QCOMPARE(window->m_extensionChoices.at(8)->text(), QString("Custom Extension:"));
    QCOMPARE(window->m_startButton->toolTip(),
             QString("Once you have a base word, click here to create your list!"));
}

void TestGeneratorWindow::choicesAreStoredAsTheyChange()
{
    GeneratorWindow *window = Open();
    QTest::mouseClick(window->m_extensionChoices.at(3), Qt::LeftButton, {},
                      QPoint(5, window->m_extensionChoices.at(3)->height() / 2));
    QCOMPARE(StoredSetting(*m_rig->program, "Orvelle", "chkExt3", "1"), QString("0"));
    window->m_baseWordBox->setText("shop");
    window->m_customExtensionBox->setText(".de");
    QCOMPARE(StoredSetting(*m_rig->program, "Orvelle", "txtMake", ""), QString("shop"));
    QCOMPARE(StoredSetting(*m_rig->program, "Orvelle", "txtCustom", ""), QString(".de"));
    // A grey box, stored as 2, counts as not chosen.
    m_rig->program->settings().store().WriteSetting("Orvelle", "Settings", "chkExt0", "2");
    window->close();
    QTRY_VERIFY(!m_rig->windows->generator());
    GeneratorWindow *again = Open();
    QCOMPARE(again->m_extensionChoices.at(0)->checkState(), Qt::PartiallyChecked);
    QVERIFY(!again->m_extensionChoices.at(3)->isChecked());
    QCOMPARE(again->m_baseWordBox->text(), QString("shop"));
}

void TestGeneratorWindow::generatesWritesAndHandsOver()
{
    WriteAffixes({"my", " ", "", "best"});
    GeneratorWindow *window = Open();
    QCOMPARE(window->affixes().names(), (QStringList{"my", "best"}));
    Tick(window, {0, 1}, true, true, true);
    window->m_baseWordBox->setText("shop");
    QSignalSpy search(window, &GeneratorWindow::searchRequested);
    Generate(window);
    const QStringList expected = {"myshop.com",   "myshop.net",   "my-shop.com",   "my-shop.net",
                                  "shopmy.com",   "shopmy.net",   "shop-my.com",   "shop-my.net",
                                  "bestshop.com", "bestshop.net", "best-shop.com", "best-shop.net",
                                  "shopbest.com", "shopbest.net", "shop-best.com", "shop-best.net"};
    QCOMPARE(window->generatedNames().names(), expected);
    QCOMPARE(window->m_statusLine->text(), QString("Created 16 domains...  Search Started"));
    QCOMPARE(m_rig->program->controls().total(), QString("16"));
    QString file;
    for (const QString &name : expected)
        file += name + "\r\n\r\n";
    QCOMPARE(FileBytes(m_rig->folders.appFolder() + "/CreatedDomains.txt"), file.toUtf8());
    QVERIFY(search.wait(2000));
    QVERIFY(window->m_startButton->isEnabled() && window->m_baseWordBox->isEnabled());
}

void TestGeneratorWindow::nothingToCheckStartsNoRun()
{
    WriteAffixes({"my"});
    GeneratorWindow *window = Open();
    QSignalSpy search(window, &GeneratorWindow::searchRequested);
    window->m_baseWordBox->setText("  ");
    QTest::mouseClick(window->m_startButton, Qt::LeftButton);
    QCOMPARE(window->m_statusLine->text(),
             QString("Nothing to check: type a base word first; every name is made from it."));
    QVERIFY(window->m_startButton->isEnabled());
    // A base word without any extension makes no name either.
    window->m_baseWordBox->setText("shop");
    Tick(window, {}, true, true, true);
    Generate(window);
    QCOMPARE(window->m_statusLine->text(),
             QString("Created 0 domains...  Nothing to check: tick an extension or a custom extension."));
    QCoreApplication::processEvents();
    QCOMPARE(search.count(), 0);
}

void TestGeneratorWindow::secondGenerationAppends()
{
    WriteAffixes({"my"});
    GeneratorWindow *window = Open();
    Tick(window, {0}, true, false, false);
    window->m_baseWordBox->setText("shop");
    Generate(window);
    window->m_baseWordBox->setText("cafe");
    Generate(window);
    QCOMPARE(window->generatedNames().names(), (QStringList{"myshop.com", "mycafe.com"}));
    QCOMPARE(FileBytes(m_rig->folders.appFolder() + "/CreatedDomains.txt"),
             QByteArray("myshop.com\r\n\r\nmycafe.com\r\n\r\n"));
    // The entry count shows the second generation only.
    QCOMPARE(m_rig->program->controls().total(), QString("1"));
}

void TestGeneratorWindow::addAndDelKeepTheAffixFile()
{
    WriteAffixes({"my", "best", "my"});
    GeneratorWindow *window = Open();
    window->m_affixBox->setText("top");
    QTest::keyClick(window->m_affixBox, Qt::Key_Return);
    QCOMPARE(window->m_affixBox->text(), QString());
    QCOMPARE(FileBytes(m_rig->folders.appFolder() + "/Appends.txt"),
             QByteArray("my\r\nbest\r\nmy\r\ntop\r\n"));
    QCOMPARE(window->affixes().names(), (QStringList{"my", "best", "my", "top"}));
    // Del removes every equal line from the file but only the selected entry from the list.
    window->m_affixList->setCurrentIndex(window->m_affixList->model()->index(0, 0));
    QTest::mouseClick(window->m_deleteAffixButton, Qt::LeftButton);
    QCOMPARE(FileBytes(m_rig->folders.appFolder() + "/Appends.txt"), QByteArray("best\r\ntop\r\n\r\n"));
    QCOMPARE(window->affixes().names(), (QStringList{"best", "my", "top"}));
    // Nothing is selected after it: a second Del removes nothing and asks for a selection.
    QTest::mouseClick(window->m_deleteAffixButton, Qt::LeftButton);
    QCOMPARE(window->affixes().names(), (QStringList{"best", "my", "top"}));
    QVERIFY(window->findChild<QMessageBox *>("GeneratorMessage"));
}

void TestGeneratorWindow::delWithoutSelectionShowsAMessage()
{
    WriteAffixes({"my"});
    GeneratorWindow *window = Open();
    QTest::mouseClick(window->m_deleteAffixButton, Qt::LeftButton);
    auto *message = window->findChild<QMessageBox *>("GeneratorMessage");
    QVERIFY(message);
    QCOMPARE(message->text(), QString("You must first select an item to remove from the list."));
    QCOMPARE(window->affixes().names(), QStringList{"my"});
}

void TestGeneratorWindow::saveAsCopiesOnlyWhenAFileWasChosen()
{
    TextFile::WriteAll(m_rig->folders.appFolder() + "/CreatedDomains.txt", "a.com\r\n\r\n");
    GeneratorWindow *window = Open();
    window->m_baseWordBox->setText("shop");
    QString proposed;
    const QString chosen = m_rig->folders.path("mine.txt");
    window->setSaveFileChooser([&](const QString &path, std::function<void(const QString &)> done) {
        proposed = path;
        done(QString());
    });
    QTest::mouseClick(window->m_saveButton, Qt::LeftButton);
    // The dialog opens in "CustomLists", made when missing.
    QCOMPARE(proposed, m_rig->folders.appFolder() + "/CustomLists/shop.txt");
    QVERIFY(QFileInfo(m_rig->folders.appFolder() + "/CustomLists").isDir());
    QVERIFY(!QFile::exists(proposed));
    window->setSaveFileChooser(
        [&](const QString &, std::function<void(const QString &)> done) { done(chosen); });
    QTest::mouseClick(window->m_saveButton, Qt::LeftButton);
    QCOMPARE(FileBytes(chosen), QByteArray("a.com\r\n\r\n"));
}

void TestGeneratorWindow::aHundredThousandNamesKeepTheWindowResponsive()
{
    QStringList affixes;
    for (int i = 0; i < 2800; ++i)
        affixes << QStringLiteral("w%1").arg(i);
    WriteAffixes(affixes);
    GeneratorWindow *window = Open();
    window->m_baseWordBox->setText("shop");
    QSignalSpy finished(window, &GeneratorWindow::generationFinished);
    // The event loop runs between the steps: events posted during generation are handled
    // before it finishes. (How long a step keeps the loop away is measured in the benchmark.)
    int turns = 0;
    QTimer probe;
    probe.setInterval(0);
    connect(&probe, &QTimer::timeout, this, [&] { ++turns; });
    probe.start();
    QTest::mouseClick(window->m_startButton, Qt::LeftButton);
    QCOMPARE(finished.count(), 0);
    QVERIFY(finished.wait(20000));
    probe.stop();
    QVERIFY2(turns >= 50, qPrintable(QString("the loop ran %1 times").arg(turns)));
    QCOMPARE(finished.first().first().toInt(), 100800);
    QCOMPARE(window->generatedNames().names().size(), 100800);
}

QTEST_MAIN(TestGeneratorWindow)
#include "tst_generatorwindow.moc"
