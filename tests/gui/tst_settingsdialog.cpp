#include "app/Startup.h"
#include "gui/WhoisTableDialog.h"
#include "platform/TextFile.h"
#include "support/GuiRig.h"
#include "whois_table/RegistrarTableModel.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

// "Domain extension settings", driven through its controls.
class TestSettingsDialog : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void showsTheFileInFileOrder();
    void clickingARowFillsTheBoxes();
    void saveChangesEveryRowOfTheExtensionAndSelectsIt();
    void saveOfANewExtensionAppendsItEnabled();
    void saveRefusesBadInput_data();
    void saveRefusesBadInput();
    void toggleFlipsTheRowAndKeepsItSelected();
    void actionsWithoutSelectionDoNothing();
    void deleteTwiceRemovesOnlyTheSelectedRow();
    void deleteAfterSortWritesTheSortedOrder();
    void deletingEveryRowLetsTheNextStartWriteTheDefaults();
    void restoreDefaultsKeepsProxyModeAndClearsTheBoxes();
    void proxyBoxSwitchesProxyMode();

private:
    WhoisTableDialog *Open();
    void Select(WhoisTableDialog *dialog, int row);
    QStringList Row(WhoisTableDialog *dialog, int row) { return dialog->rows().row(row); }
    QMessageBox *Message(WhoisTableDialog *dialog);
    QByteArray RegistrarBytes() const;

    std::unique_ptr<GuiRig> m_rig;
};

void TestSettingsDialog::init()
{
    m_rig = std::make_unique<GuiRig>();
    Startup::EnsureAppFolder(*m_rig->program);
    Startup::LoadWhoisTable(*m_rig->program);
}

void TestSettingsDialog::cleanup()
{
    m_rig.reset();
}

WhoisTableDialog *TestSettingsDialog::Open()
{
    m_rig->windows->OpenSettings();
    return m_rig->windows->settings();
}

void TestSettingsDialog::Select(WhoisTableDialog *dialog, int row)
{
    const QModelIndex index = dialog->rows().index(row, 0);
    dialog->m_rowList->scrollTo(index);
    const QRect rect = dialog->m_rowList->visualRect(index);
    QTest::mouseClick(dialog->m_rowList->viewport(), Qt::LeftButton, {}, rect.center());
}

QMessageBox *TestSettingsDialog::Message(WhoisTableDialog *dialog)
{
    return dialog->findChild<QMessageBox *>("SettingsMessage");
}

QByteArray TestSettingsDialog::RegistrarBytes() const
{
    return FileBytes(m_rig->program->registrarFile().path());
}

void TestSettingsDialog::showsTheFileInFileOrder()
{
    WhoisTableDialog *dialog = Open();
    QCOMPARE(dialog->windowTitle(), QString("Domain extension settings"));
    QCOMPARE(dialog->rows().rowCount(), 89);
    QCOMPARE(dialog->rows().headerData(1, Qt::Horizontal).toString(), QString("Server"));
    QCOMPARE(Row(dialog, 0), (QStringList{"proxy", "127.0.0.1", "43", "Enabled"}));
    QCOMPARE(Row(dialog, 88).first(), QString("to"));
    QVERIFY(!dialog->m_proxyBox->isChecked());
    QVERIFY(dialog->editEnabled());
}

void TestSettingsDialog::clickingARowFillsTheBoxes()
{
    WhoisTableDialog *dialog = Open();
    Select(dialog, 4); // org, disabled
    QCOMPARE(dialog->m_extensionBox->text(), QString("org"));
    QCOMPARE(dialog->m_serverBox->text(), QString("whois.pir.org"));
    QCOMPARE(dialog->m_portBox->text(), QString("43"));
    QVERIFY(!dialog->editEnabled());
    QTest::mouseClick(dialog->m_newButton, Qt::LeftButton); // "New Extension"
    QCOMPARE(dialog->m_extensionBox->text(), QString());
    QVERIFY(dialog->editEnabled());
}

void TestSettingsDialog::saveChangesEveryRowOfTheExtensionAndSelectsIt()
{
    WhoisTableDialog *dialog = Open();
    Select(dialog, 54); // de
    QCOMPARE(dialog->m_extensionBox->text(), QString("de"));
    dialog->m_extensionBox->setText("DE");
    dialog->m_serverBox->setText("whois.denic.de");
    QTest::mouseClick(dialog->m_saveButton, Qt::LeftButton);
    QVERIFY(!Message(dialog));
    QCOMPARE(Row(dialog, 54), (QStringList{"de", "whois.denic.de", "43", "Disabled"}));
    QCOMPARE(dialog->selectedRow(), std::optional(54));
    // The table in memory follows at once.
    QCOMPARE(m_rig->program->registrars().row(54).Server, QString("whois.denic.de"));
    QCOMPARE(m_rig->program->registrars().size(), 89);
}

void TestSettingsDialog::saveOfANewExtensionAppendsItEnabled()
{
    WhoisTableDialog *dialog = Open();
    Select(dialog, 4);
    QTest::mouseClick(dialog->m_newButton, Qt::LeftButton);
    dialog->m_extensionBox->setText("xyz");
    dialog->m_serverBox->setText("whois.nic.xyz");
    dialog->m_portBox->setText("4343");
    QTest::mouseClick(dialog->m_saveButton, Qt::LeftButton);
    QCOMPARE(dialog->rows().rowCount(), 90);
    QCOMPARE(dialog->selectedRow(), std::optional(89));
    QVERIFY(RegistrarBytes().endsWith("\r\n\r\nxyz|whois.nic.xyz|4343|Enabled\r\n"));
    QCOMPARE(m_rig->program->registrars().row(89), (RegistrarEntry{"xyz", "whois.nic.xyz", 4343, true}));
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
    // Without the check, a "|" here deleted every row of the extension.
    QTest::newRow("bar in server") << "com"
                                   << "whois.x|y"
                                   << "43";
    QTest::newRow("bar in extension") << "c|om"
                                      << "whois.x"
                                      << "43";
    QTest::newRow("line break in server") << "com"
                                          << "whois.x\nnet|y|43|Enabled"
                                          << "43";
}

void TestSettingsDialog::saveRefusesBadInput()
{
    QFETCH(QString, extension);
    QFETCH(QString, server);
    QFETCH(QString, port);
    WhoisTableDialog *dialog = Open();
    const QByteArray before = RegistrarBytes();
    dialog->m_extensionBox->setText(extension);
    dialog->m_serverBox->setText(server);
    dialog->m_portBox->setText(port);
    QTest::mouseClick(dialog->m_saveButton, Qt::LeftButton);
    QVERIFY(Message(dialog));
    QCOMPARE(Message(dialog)->text(), QString("Please enter valid information for all fields."));
    QCOMPARE(RegistrarBytes(), before);
    QCOMPARE(m_rig->program->registrars().size(), 89);
}

void TestSettingsDialog::toggleFlipsTheRowAndKeepsItSelected()
{
    WhoisTableDialog *dialog = Open();
    Select(dialog, 11); // cn
    QTest::mouseClick(dialog->m_toggleButton, Qt::LeftButton);
    QCOMPARE(RegistrarBytes().count("\r\ncn|whois.cnnic.cn|43|Enabled\r\n"), 1);
    QVERIFY(m_rig->program->registrars().row(11).Enabled);
    QCOMPARE(m_rig->program->registrars().row(11).Server, QString("whois.cnnic.cn"));
    QCOMPARE(dialog->selectedRow(), std::optional(11));
    QCOMPARE(dialog->m_serverBox->text(), QString("whois.cnnic.cn"));
    QVERIFY(dialog->editEnabled());
    QTest::mouseClick(dialog->m_toggleButton, Qt::LeftButton); // and back, on the same row
    QVERIFY(!m_rig->program->registrars().row(17).Enabled);
}

void TestSettingsDialog::actionsWithoutSelectionDoNothing()
{
    WhoisTableDialog *dialog = Open();
    const QByteArray before = RegistrarBytes();
    QTest::mouseClick(dialog->m_toggleButton, Qt::LeftButton);
    QTest::mouseClick(dialog->m_deleteButton, Qt::LeftButton);
    QCOMPARE(RegistrarBytes(), before);
    QCOMPARE(dialog->rows().rowCount(), 89);
    QVERIFY(!Message(dialog));
}

void TestSettingsDialog::deleteTwiceRemovesOnlyTheSelectedRow()
{
    WhoisTableDialog *dialog = Open();
    Select(dialog, 4); // org
    QTest::mouseClick(dialog->m_deleteButton, Qt::LeftButton);
    QTest::mouseClick(dialog->m_deleteButton, Qt::LeftButton);
    QCOMPARE(dialog->rows().rowCount(), 88);
    QCOMPARE(Row(dialog, 4).first(), QString("info"));
    QCOMPARE(dialog->selectedRow(), std::nullopt);
    QCOMPARE(dialog->m_extensionBox->text(), QString());
}

void TestSettingsDialog::deleteAfterSortWritesTheSortedOrder()
{
    WhoisTableDialog *dialog = Open();
    // Sorted by server, descending: the row of whois.weare.ie comes first.
    dialog->m_rowList->header()->sectionClicked(1);
    QCOMPARE(Row(dialog, 0).at(1), QString("whois.weare.ie"));
    Select(dialog, 0);
    QTest::mouseClick(dialog->m_deleteButton, Qt::LeftButton);
    QCOMPARE(dialog->rows().rowCount(), 88);
    const QByteArray bytes = RegistrarBytes();
    QVERIFY(!bytes.contains("weare"));
    QVERIFY(bytes.startsWith("com|whois.verisign-grs.com|43|Enabled\r\n\r\nnet|whois.verisign-grs.com|43|"));
    // The table in memory follows the new order too.
    const RegistrarTable &table = m_rig->program->registrars();
    QCOMPARE(table.FindRegistrarIndex("x.com", false), 0);
}

void TestSettingsDialog::deletingEveryRowLetsTheNextStartWriteTheDefaults()
{
    TextFile::WriteAll(m_rig->program->registrarFile().path(), "com|a|43|Enabled\r\nnet|b|43|Enabled\r\n");
    m_rig->program->ReloadRegistrars();
    WhoisTableDialog *dialog = Open();
    for (int i = 0; i < 2; ++i) {
        Select(dialog, 0);
        QTest::mouseClick(dialog->m_deleteButton, Qt::LeftButton);
    }
    QCOMPARE(dialog->rows().rowCount(), 0);
    QVERIFY(!QFile::exists(m_rig->program->registrarFile().path()));
    QCOMPARE(m_rig->program->registrars().size(), 0); // a search now asks for the defaults
    QVERIFY(Startup::LoadWhoisTable(*m_rig->program));
    QCOMPARE(m_rig->program->registrars().size(), 89);
}

void TestSettingsDialog::restoreDefaultsKeepsProxyModeAndClearsTheBoxes()
{
    WhoisTableDialog *dialog = Open();
    dialog->m_proxyBox->click();
    QVERIFY(m_rig->program->proxyMode());
    TextFile::WriteAll(m_rig->program->registrarFile().path(), "proxy|10.1.1.1|4343|Enabled\r\n");
    dialog->rows().Reload();
    Select(dialog, 0);
    QTest::mouseClick(dialog->m_restoreButton, Qt::LeftButton);
    QCOMPARE(RegistrarBytes(), RegistrarFile::DefaultFileText().toLatin1());
    QCOMPARE(dialog->rows().rowCount(), 89);
    QVERIFY(m_rig->program->proxyMode());
    QCOMPARE(m_rig->program->registrars().row(0), (RegistrarEntry{"proxy", "127.0.0.1", 43, true}));
    QCOMPARE(dialog->m_extensionBox->text(), QString());
    QCOMPARE(dialog->m_serverBox->text(), QString());
}

void TestSettingsDialog::proxyBoxSwitchesProxyMode()
{
    WhoisTableDialog *dialog = Open();
    dialog->m_proxyBox->click();
    QVERIFY(m_rig->program->proxyMode());
    QCOMPARE(StoredSetting(*m_rig->program, "Orvelle", "chkProxy", "0"), QString("1"));
    dialog->m_proxyBox->click();
    QVERIFY(!m_rig->program->proxyMode());
    QCOMPARE(StoredSetting(*m_rig->program, "Orvelle", "chkProxy", "1"), QString("0"));
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
