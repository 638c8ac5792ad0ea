#include "platform/SettingsStore.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QTest>

class TestSettingsStore : public QObject
{
    Q_OBJECT
private slots:
    void firstReadGivesTheDefaultAndFirstWriteCreatesTheStore();
    void valuesRoundTrip_data();
    void valuesRoundTrip();
    void applicationsAndSectionsAreSeparate();
    void writesReachTheDiskAtOnce();
    void emptyNamesFail_data();
    void emptyNamesFail();
    void unreadableStoreFailsAndIsNotReplaced();
    void severalValuesInOneWrite();
};

void TestSettingsStore::firstReadGivesTheDefaultAndFirstWriteCreatesTheStore()
{
    TestFolders folders;
    SettingsStore store(folders.settingsRoot() + "/deep/root");
    SettingsError error;
    QCOMPARE(store.ReadSetting("Velquist", "Settings", "FullWordNum", "1", &error), QString("1"));
    QVERIFY(!error);
    QVERIFY(store.WriteSetting("Velquist", "Settings", "FullWordNum", "12"));
    QVERIFY(QFile::exists(folders.settingsRoot() + "/deep/root/Velquist.ini"));
    QCOMPARE(store.ReadSetting("Velquist", "Settings", "FullWordNum", "1"), QString("12"));
}

void TestSettingsStore::valuesRoundTrip_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("number") << "wordNumber"
                            << "12";
    QTest::newRow("empty value") << "txtMake"
                                 << "";
    QTest::newRow("spaces kept") << "txtMake"
                                 << "  new york  ";
    QTest::newRow("structure characters") << "txtCustom"
                                          << "a=b;[c]%20\r\nd";
    QTest::newRow("non-ascii") << "txtMake" << QString::fromUtf8("caf\xC3\xA9");
    QTest::newRow("starts with U+FEFF, has a line break") << "txtMake" << QString::fromUtf16(u"\uFEFFa\nb");
    QTest::newRow("key with equals and spaces") << " odd=key "
                                                << "v";
    QTest::newRow("key looking like a section") << "[Settings]"
                                                << "v";
}

void TestSettingsStore::valuesRoundTrip()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    TestFolders folders;
    SettingsStore store(folders.settingsRoot());
    store.WriteSetting("Orvelle", "Settings", "before", "1");
    QVERIFY(store.WriteSetting("Orvelle", "Settings", key, value));
    store.WriteSetting("Orvelle", "Settings", "after", "2");
    QCOMPARE(store.ReadSetting("Orvelle", "Settings", key, "default"), value);
    QCOMPARE(store.ReadSetting("Orvelle", "Settings", "before", ""), QString("1"));
    QCOMPARE(store.ReadSetting("Orvelle", "Settings", "after", ""), QString("2"));
}

void TestSettingsStore::applicationsAndSectionsAreSeparate()
{
    TestFolders folders;
    SettingsStore store(folders.settingsRoot());
    store.WriteSetting("Velquist", "Settings", "chkProxy", "0");
    store.WriteSetting("Orvelle", "Settings", "chkProxy", "1");
    store.WriteSetting(" Orvelle ", "Other", "chkProxy", "x");
    QCOMPARE(store.ReadSetting("Orvelle", "Settings", "chkProxy", "0"), QString("1"));
    QCOMPARE(store.ReadSetting("Velquist", "Settings", "chkProxy", "1"), QString("0"));
    QCOMPARE(store.ReadSetting("Orvelle", " Other ", "chkProxy", ""), QString("x"));
    // The key itself is not trimmed.
    QCOMPARE(store.ReadSetting("Orvelle", "Settings", "chkProxy ", "d"), QString("d"));
}

void TestSettingsStore::writesReachTheDiskAtOnce()
{
    TestFolders folders;
    SettingsStore writer(folders.settingsRoot());
    SettingsStore reader(folders.settingsRoot());
    writer.WriteSetting("Velquist", "Settings", "wordNumber", "5");
    QCOMPARE(reader.ReadSetting("Velquist", "Settings", "wordNumber", "0"), QString("5"));
    writer.WriteSetting("Velquist", "Settings", "wordNumber", "6");
    QCOMPARE(reader.ReadSetting("Velquist", "Settings", "wordNumber", "0"), QString("6"));
}

void TestSettingsStore::emptyNamesFail_data()
{
    QTest::addColumn<QString>("application");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<quint32>("number");
    QTest::addColumn<QString>("text");
    QTest::newRow("application") << " "
                                 << "Settings"
                                 << "k" << 0x800403E8u << "AppName may not be empty";
    QTest::newRow("section") << "Orvelle"
                             << ""
                             << "k" << 0x800403E9u << "Section may not be empty";
    QTest::newRow("key") << "Orvelle"
                         << "Settings"
                         << "  " << 0x800403EAu << "Key may not be empty";
}

void TestSettingsStore::emptyNamesFail()
{
    QFETCH(QString, application);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(quint32, number);
    QFETCH(QString, text);
    TestFolders folders;
    SettingsStore store(folders.settingsRoot());
    SettingsError error;
    QCOMPARE(store.ReadSetting(application, section, key, "dflt", &error), QString("dflt"));
    QCOMPARE(error.number, number);
    QCOMPARE(error.text, text);
    QVERIFY(!store.WriteSetting(application, section, key, "v"));
}

void TestSettingsStore::unreadableStoreFailsAndIsNotReplaced()
{
    TestFolders folders;
    SettingsStore store(folders.settingsRoot());
    // A folder where the file should be cannot be read, not even by root.
    QVERIFY(QDir().mkpath(store.FilePath("Velquist")));
    SettingsError error;
    QCOMPARE(store.ReadSetting("Velquist", "Settings", "wordNumber", "0", &error), QString("0"));
    QCOMPARE(error.number & 0xFFFFF000u, 0x80040000u);
    QVERIFY(error.number >= SettingsStore::kOpenFailed);
    QCOMPARE(error.text, QString("Could not open registry section"));
    QVERIFY(!store.WriteSetting("Velquist", "Settings", "wordNumber", "3"));
}

void TestSettingsStore::severalValuesInOneWrite()
{
    TestFolders folders;
    SettingsStore store(folders.settingsRoot());
    QVERIFY(store.WriteSettings("Velquist", "Settings", {{"FullWordNum", "26"}, {"wordNumber", "26"}}));
    QCOMPARE(store.ReadSetting("Velquist", "Settings", "FullWordNum", "1"), QString("26"));
    QCOMPARE(store.ReadSetting("Velquist", "Settings", "wordNumber", "0"), QString("26"));
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
