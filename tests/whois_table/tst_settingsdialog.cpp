#include "platform/TextFile.h"
#include "shell/Startup.h"
#include "support/GuiRig.h"
#include "whois_table/frmSettings.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

// "Domain extension settings", driven through its controls.
class TestSettingsDialog : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void showsTheFileInFileOrder();
    void clickingARowFillsTheBoxes();
    void saveChangesEveryRowOfTheExtension();
    void saveOfANewExtensionAppendsItEnabled();
    void saveRefusesBadInput_data();
    void saveRefusesBadInput();
    void toggleFlipsTheStatusOfBothCnRows();
    void actionsWithoutSelectionDoNothing();
    void firstColumnClickSortsDescending();
    void deleteAfterSortWritesTheSortedOrder();
    void restoreDefaultsKeepsProxyMode();
    void proxyBoxSwitchesProxyMode();

private:
    frmSettings *Open();
    void Select(frmSettings *dialog, int row);
    QMessageBox *Message(frmSettings *dialog);
    QByteArray RegistrarBytes() const;

    std::unique_ptr<GuiRig> m_rig;
};

void TestSettingsDialog::init()
{
    m_rig = std::make_unique<GuiRig>();
    Startup::EnsureAppFolder(*m_rig->state);
    Startup::LoadWhoisTable(*m_rig->state);
}

void TestSettingsDialog::cleanup()
{
    m_rig.reset();
}

frmSettings *TestSettingsDialog::Open()
{
    m_rig->windows->OpenSettings();
    return m_rig->windows->settings();
}

void TestSettingsDialog::Select(frmSettings *dialog, int row)
{
    QTreeWidgetItem *item = dialog->lstDomains->topLevelItem(row);
    dialog->lstDomains->scrollToItem(item);
    const QRect rect = dialog->lstDomains->visualItemRect(item);
    QTest::mouseClick(dialog->lstDomains->viewport(), Qt::LeftButton, {}, rect.center());
}

QMessageBox *TestSettingsDialog::Message(frmSettings *dialog)
{
    return dialog->findChild<QMessageBox *>("SettingsMessage");
}

QByteArray TestSettingsDialog::RegistrarBytes() const
{
    return FileBytes(m_rig->state->registrarFile().path());
}

void TestSettingsDialog::showsTheFileInFileOrder()
{
    frmSettings *dialog = Open();
    QCOMPARE(dialog->windowTitle(), QString("Domain extension settings"));
    QCOMPARE(dialog->lstDomains->topLevelItemCount(), 92);
    QCOMPARE(dialog->lstDomains->headerItem()->text(1), QString("Server"));
    QTreeWidgetItem *first = dialog->lstDomains->topLevelItem(0);
    QCOMPARE((QStringList{first->text(0), first->text(1), first->text(2), first->text(3)}),
             (QStringList{"proxy", "127.0.0.1", "43", "Enabled"}));
    QCOMPARE(dialog->lstDomains->topLevelItem(91)->text(0), QString("to"));
    QVERIFY(!dialog->chkProxy->isChecked());
    QVERIFY(dialog->editEnabled());
}

void TestSettingsDialog::clickingARowFillsTheBoxes()
{
    frmSettings *dialog = Open();
    Select(dialog, 4); // org, disabled
    QCOMPARE(dialog->txtExt->text(), QString("org"));
    QCOMPARE(dialog->txtServer->text(), QString("whois.pir.org"));
    QCOMPARE(dialog->txtPort->text(), QString("43"));
    QVERIFY(!dialog->editEnabled());
    QTest::mouseClick(dialog->Command1, Qt::LeftButton); // "New Extension"
    QCOMPARE(dialog->txtExt->text(), QString());
    QVERIFY(dialog->editEnabled());
}

void TestSettingsDialog::saveChangesEveryRowOfTheExtension()
{
    frmSettings *dialog = Open();
    Select(dialog, 55); // de
    QCOMPARE(dialog->txtExt->text(), QString("de"));
    dialog->txtExt->setText("DE");
    dialog->txtServer->setText("whois.denic.de");
    QTest::mouseClick(dialog->cmdSave, Qt::LeftButton);
    QVERIFY(!Message(dialog));
    QCOMPARE(dialog->lstDomains->topLevelItem(55)->text(1), QString("whois.denic.de"));
    QCOMPARE(dialog->lstDomains->topLevelItem(55)->text(3), QString("Disabled"));
    // The table in memory follows at once.
    QCOMPARE(m_rig->state->registrars.row(55).Server, QString("whois.denic.de"));
    QCOMPARE(m_rig->state->registrars.size(), 92);
}

void TestSettingsDialog::saveOfANewExtensionAppendsItEnabled()
{
    frmSettings *dialog = Open();
    Select(dialog, 4);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    dialog->txtExt->setText("xyz");
    dialog->txtServer->setText("whois.nic.xyz");
    dialog->txtPort->setText("4343");
    QTest::mouseClick(dialog->cmdSave, Qt::LeftButton);
    QCOMPARE(dialog->lstDomains->topLevelItemCount(), 93);
    QVERIFY(RegistrarBytes().endsWith("\r\n\r\nxyz|whois.nic.xyz|4343|Enabled\r\n"));
    QCOMPARE(m_rig->state->registrars.row(92), (RegistrarEntry{"xyz", "whois.nic.xyz", 4343, true}));
}

void TestSettingsDialog::saveRefusesBadInput_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("port");
    QTest::newRow("empty extension") << ""
                                     << "whois.x"
                                     << "43";
    QTest::newRow("empty server") << "xyz"
                                  << ""
                                  << "43";
    QTest::newRow("empty port") << "xyz"
                                << "whois.x"
                                << "";
    QTest::newRow("port is text") << "xyz"
                                  << "whois.x"
                                  << "port";
    QTest::newRow("port too big") << "xyz"
                                  << "whois.x"
                                  << "65536";
    QTest::newRow("port zero") << "com"
                               << "whois.x"
                               << "0";
}

void TestSettingsDialog::saveRefusesBadInput()
{
    QFETCH(QString, extension);
    QFETCH(QString, server);
    QFETCH(QString, port);
    frmSettings *dialog = Open();
    const QByteArray before = RegistrarBytes();
    dialog->txtExt->setText(extension);
    dialog->txtServer->setText(server);
    dialog->txtPort->setText(port);
    QTest::mouseClick(dialog->cmdSave, Qt::LeftButton);
    QVERIFY(Message(dialog));
    QCOMPARE(Message(dialog)->text(), QString("Please enter valid information for all fields."));
    QCOMPARE(RegistrarBytes(), before);
    QCOMPARE(m_rig->state->registrars.size(), 92);
}

void TestSettingsDialog::toggleFlipsTheStatusOfBothCnRows()
{
    frmSettings *dialog = Open();
    Select(dialog, 17); // the second cn row
    QTest::mouseClick(dialog->cmdToggle, Qt::LeftButton);
    const QByteArray bytes = RegistrarBytes();
    QCOMPARE(bytes.count("\r\ncn|whois.cnnic.cn|43|Enabled\r\n"), 2);
    QVERIFY(m_rig->state->registrars.row(11).Enabled && m_rig->state->registrars.row(17).Enabled);
    QCOMPARE(m_rig->state->registrars.row(11).Server, QString("whois.cnnic.cn"));
}

void TestSettingsDialog::actionsWithoutSelectionDoNothing()
{
    frmSettings *dialog = Open();
    const QByteArray before = RegistrarBytes();
    QTest::mouseClick(dialog->cmdToggle, Qt::LeftButton);
    QTest::mouseClick(dialog->Command2, Qt::LeftButton);
    QCOMPARE(RegistrarBytes(), before);
    QCOMPARE(dialog->lstDomains->topLevelItemCount(), 92);
    QVERIFY(!Message(dialog));
}

void TestSettingsDialog::firstColumnClickSortsDescending()
{
    frmSettings *dialog = Open();
    QVERIFY(dialog->EnhListView_SortColumns(0));
    QCOMPARE(dialog->lstDomains->topLevelItem(0)->text(0), QString("za"));
    QVERIFY(dialog->EnhListView_SortColumns(0));
    QCOMPARE(dialog->lstDomains->topLevelItem(0)->text(0), QString("ac"));
    dialog->lstDomains->clear();
    QVERIFY(!dialog->EnhListView_SortColumns(0)); // nothing to sort
}

void TestSettingsDialog::deleteAfterSortWritesTheSortedOrder()
{
    frmSettings *dialog = Open();
    // Sorted by server, descending: the rows of whois.tonicregistry.to come first.
    dialog->lstDomains->header()->sectionClicked(1);
    QCOMPARE(dialog->lstDomains->topLevelItem(0)->text(1), QString("whois.tonicregistry.to"));
    Select(dialog, 0);
    QTest::mouseClick(dialog->Command2, Qt::LeftButton);
    QCOMPARE(dialog->lstDomains->topLevelItemCount(), 91);
    QCOMPARE(dialog->txtExt->text(), QString());
    const QByteArray bytes = RegistrarBytes();
    QVERIFY(!bytes.contains("tonicregistry"));
    QVERIFY(bytes.startsWith("ru|whois.tcinet.ru|43|Disabled\r\n\r\n"));
    // Lookups now take the first row of an extension in the new order: the "us" row of
    // whois.ripe.net comes before whois.nic.us when sorted descending by server.
    QCOMPARE(m_rig->state->registrars.row(m_rig->state->registrars.FindRegistrarIndex("x.us", false)).Server,
             QString("whois.ripe.net"));
}

void TestSettingsDialog::restoreDefaultsKeepsProxyMode()
{
    frmSettings *dialog = Open();
    dialog->chkProxy->click();
    QVERIFY(m_rig->state->proxyMode);
    TextFile::WriteAll(m_rig->state->registrarFile().path(), "proxy|10.1.1.1|4343|Enabled\r\n");
    QTest::mouseClick(dialog->Command3, Qt::LeftButton);
    QCOMPARE(RegistrarBytes(), RegistrarFile::DefaultFileText().toLatin1());
    QCOMPARE(dialog->lstDomains->topLevelItemCount(), 92);
    QVERIFY(m_rig->state->proxyMode);
    QCOMPARE(m_rig->state->registrars.row(0), (RegistrarEntry{"proxy", "127.0.0.1", 43, true}));
}

void TestSettingsDialog::proxyBoxSwitchesProxyMode()
{
    frmSettings *dialog = Open();
    dialog->chkProxy->click();
    QVERIFY(m_rig->state->proxyMode);
    QCOMPARE(m_rig->state->ReadSetting("Orvelle", "chkProxy", "0"), QString("1"));
    dialog->chkProxy->click();
    QVERIFY(!m_rig->state->proxyMode);
    QCOMPARE(m_rig->state->ReadSetting("Orvelle", "chkProxy", "1"), QString("0"));
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
