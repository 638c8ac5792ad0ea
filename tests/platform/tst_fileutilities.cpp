#include "platform/FileUtilities.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QTest>

class TestFileUtilities : public QObject
{
    Q_OBJECT
private slots:
    void fileNamePart_data();
    void fileNamePart();
    void fileExists_data();
    void fileExists();
    void dirExists_data();
    void dirExists();
    void copyFileNeverFails();
};

void TestFileUtilities::fileNamePart_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("windows path") << "C:\\a\\b.txt"
                                  << "b.txt";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("trailing backslash") << "C:\\a\\"
                                        << "";
    QTest::newRow("forward slash is no separator") << "a/b.txt"
                                                   << "a/b.txt";
    QTest::newRow("no separator") << "b.txt"
                                  << "b.txt";
}

void TestFileUtilities::fileNamePart()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(FileNamePart(path), name);
}

void TestFileUtilities::fileExists_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("exists");
    QTest::newRow("exact") << "Lists/Remembered.txt" << true;
    QTest::newRow("other case") << "LISTS/remembered.TXT" << true;
    QTest::newRow("folder") << "Lists" << false;
    QTest::newRow("trailing separator") << "Lists/Remembered.txt/" << false;
    QTest::newRow("wildcard") << "Lists/*.txt" << false;
    QTest::newRow("missing") << "Lists/none.txt" << false;
    QTest::newRow("hidden") << "Lists/.hidden" << false;
    QTest::newRow("backslashes") << "Lists\\Remembered.txt" << true;
}

void TestFileUtilities::fileExists()
{
    QFETCH(QString, relative);
    QFETCH(bool, exists);
    TestFolders folders;
    QDir().mkpath(folders.path("Lists"));
    for (const char *name : {"Lists/Remembered.txt", "Lists/.hidden"}) {
        QFile file(folders.path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QCOMPARE(FileExists(folders.path(relative)), exists);
}

void TestFileUtilities::dirExists_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("exists");
    QTest::newRow("plain") << "backups" << true;
    QTest::newRow("trailing separator") << "backups/" << true;
    QTest::newRow("trailing backslash") << "backups\\" << true;
    QTest::newRow("other case") << "BACKUPS" << true;
    QTest::newRow("file") << "file.txt" << false;
    QTest::newRow("missing") << "overflow" << false;
}

void TestFileUtilities::dirExists()
{
    QFETCH(QString, relative);
    QFETCH(bool, exists);
    TestFolders folders;
    QDir().mkpath(folders.path("backups"));
    QFile file(folders.path("file.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(DirectoryExists(folders.path(relative)), exists);
    QVERIFY(!DirectoryExists(""));
}

void TestFileUtilities::copyFileNeverFails()
{
    TestFolders folders;
    const QString source = folders.WriteList("source.txt", {"a.com"});
    const QString target = folders.WriteList("target.txt", {"old.com", "older.com"});
    CopyFileOver(source, target);
    QCOMPARE(FileBytes(target), QByteArray("a.com\r\n"));
    CopyFileOver(folders.path("missing.txt"), target);
    QCOMPARE(FileBytes(target), QByteArray("a.com\r\n"));
    CopyFileOver(source, folders.path("no/such/folder/x.txt"));
    QVERIFY(!QFile::exists(folders.path("no/such/folder/x.txt")));
}

QTEST_GUILESS_MAIN(TestFileUtilities)
#include "tst_fileutilities.moc"
