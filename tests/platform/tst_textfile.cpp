#include "platform/AppFolder.h"
#include "platform/AppendingFile.h"
#include "platform/TextFile.h"
#include "support/FileSizeLimit.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestTextFile : public QObject
{
    Q_OBJECT
private slots:
    void splitLines_data();
    void splitLines();
    void decodesUtf8AndFallsBackToWindows1252_data();
    void decodesUtf8AndFallsBackToWindows1252();
    void writeAllReplacesAndKeepsLineEnds();
    void appendCreatesAndExtends();
    void writesCutShortByAFullDiskChangeNothing();
    void aFileKeptOpenFollowsItsPath_data();
    void aFileKeptOpenFollowsItsPath();
    void joinResolvesEveryComponentIgnoringCase();
    void joinStaysInsideTheFolder();
};

void TestTextFile::splitLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << "" << QStringList();
    QTest::newRow("crlf") << "a\r\nb\r\n" << QStringList{"a", "b"};
    QTest::newRow("lf") << "a\nb" << QStringList{"a", "b"};
    QTest::newRow("cr") << "a\rb\r" << QStringList{"a", "b"};
    QTest::newRow("mixed") << "a\r\nb\nc\rd" << QStringList{"a", "b", "c", "d"};
    QTest::newRow("empty lines kept") << "\r\na\r\n\r\n" << QStringList{"", "a", ""};
    QTest::newRow("lf cr is two breaks") << "a\n\rb" << QStringList{"a", "", "b"};
    QTest::newRow("single space line") << " \r\n" << QStringList{" "};
}

void TestTextFile::splitLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(TextFile::SplitLines(text), lines);
}

void TestTextFile::decodesUtf8AndFallsBackToWindows1252_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << QByteArray("shop.com") << "shop.com";
    QTest::newRow("utf8") << QByteArray("caf\xC3\xA9") << QString::fromUtf8("caf\xC3\xA9");
    QTest::newRow("bom dropped") << QByteArray("\xEF\xBB\xBFword") << "word";
    QTest::newRow("latin e acute") << QByteArray("caf\xE9") << QString::fromUtf8("caf\xC3\xA9");
    QTest::newRow("cp1252 euro and quotes")
        << QByteArray("\x80\x93\x94") << QString::fromUtf16(u"\u20AC\u201C\u201D");
    QTest::newRow("truncated utf8 is not utf8") << QByteArray("a\xC3") << QString::fromUtf16(u"a\u00C3");
    QTest::newRow("each line decided alone")
        << QByteArray("caf\xE9\r\n\xE2\x82\xAC\ncaf\xC3\xA9\r")
        << QString::fromUtf16(u"caf\u00E9\r\n\u20AC\ncaf\u00E9\r");
    QTest::newRow("utf16 le") << QByteArray("\xFF\xFE" "a\0\xAC\x20\r\0\n\0", 10) << QString::fromUtf16(u"a\u20AC\r\n");
    QTest::newRow("utf16 be") << QByteArray("\xFE\xFF\0a\x20\xAC", 6) << QString::fromUtf16(u"a\u20AC");
}

void TestTextFile::decodesUtf8AndFallsBackToWindows1252()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(TextFile::Decode(bytes), text);
}

void TestTextFile::writeAllReplacesAndKeepsLineEnds()
{
    TestFolders folders;
    const QString path = folders.path("list.txt");
    QVERIFY(TextFile::WriteAll(path, "old\r\nlonger content\r\n"));
    QVERIFY(TextFile::WriteAll(path, "a\r\n\r\nb\r\n"));
    QCOMPARE(FileBytes(path), QByteArray("a\r\n\r\nb\r\n"));
    QCOMPARE(*TextFile::ReadLines(path), (QStringList{"a", "", "b"}));
    // No temporary file is left behind by the atomic rewrite.
    QCOMPARE(QDir(folders.path("")).entryList(QDir::Files), QStringList{"list.txt"});
    QVERIFY(!TextFile::WriteAll(folders.path("missing/folder/x.txt"), "x"));
    QVERIFY(!TextFile::ReadAll(folders.path("nothing.txt")));
}

void TestTextFile::appendCreatesAndExtends()
{
    TestFolders folders;
    const QString path = folders.path("a.txt");
    QVERIFY(TextFile::Append(path, "\r\n"));
    QVERIFY(TextFile::Append(path, QString::fromUtf8("\xC3\xA9\r\n")));
    QCOMPARE(FileBytes(path), QByteArray("\r\n\xC3\xA9\r\n"));
}

void TestTextFile::writesCutShortByAFullDiskChangeNothing()
{
    TestFolders folders;
    const QString path = folders.path("a.txt");
    QVERIFY(TextFile::WriteAll(path, "first\r\n"));
    {
        FileSizeLimit limit(10); // room for a part of what follows only
        QVERIFY(!TextFile::Append(path, "second\r\n"));
        QVERIFY(!TextFile::WriteAll(path, "a whole new content\r\n"));
    }
    QCOMPARE(FileBytes(path), QByteArray("first\r\n"));
    QCOMPARE(QDir(folders.path("")).entryList(QDir::Files), QStringList{"a.txt"});
}

void TestTextFile::aFileKeptOpenFollowsItsPath_data()
{
    // What happens to the path between two appends, and what it then holds.
    QTest::addColumn<QString>("between");
    QTest::addColumn<QByteArray>("atPath");
    QTest::newRow("nothing") << "" << QByteArray("one\r\ntwo\r\n");
    QTest::newRow("replaced") << "replace" << QByteArray("other\r\ntwo\r\n");
    QTest::newRow("deleted") << "delete" << QByteArray("two\r\n");
    QTest::newRow("renamed") << "rename" << QByteArray("two\r\n");
    QTest::newRow("cut by an editor") << "truncate" << QByteArray("two\r\n");
}

void TestTextFile::aFileKeptOpenFollowsItsPath()
{
    QFETCH(QString, between);
    QFETCH(QByteArray, atPath);
    TestFolders folders;
    const QString path = folders.path("list.txt");
    AppendingFile file(path);
    QCOMPARE(file.AppendAt(0, "one\r\n"), AppendingFile::Appended::OtherSize); // there is none
    QVERIFY(!QFile::exists(path));
    QCOMPARE(file.AppendAt(-1, "one\r\n"), AppendingFile::Appended::Written);
    QCOMPARE(file.AppendAt(4, "one\r\n"), AppendingFile::Appended::OtherSize);
    if (between == "replace")
        QVERIFY(TextFile::WriteAll(path, "other\r\n"));
    else if (between == "delete")
        QVERIFY(QFile::remove(path));
    else if (between == "rename")
        QVERIFY(QFile::rename(path, folders.path("moved.txt")));
    else if (between == "truncate")
        QVERIFY(QFile::resize(path, 0));
    QVERIFY(file.Append("two\r\n"));
    QCOMPARE(FileBytes(path), atPath);
    if (between == "rename") // what was renamed keeps what it had
        QCOMPARE(FileBytes(folders.path("moved.txt")), QByteArray("one\r\n"));
}

void TestTextFile::joinResolvesEveryComponentIgnoringCase()
{
    TestFolders folders;
    QDir(folders.appFolder()).mkpath("wordlists");
    QFile file(folders.appFolder() + "/wordlists/fullwordlist.txt");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const AppFolder folder(folders.appFolder());
    QCOMPARE(folder.Join("\\Wordlists\\FullWordList.txt"),
             folders.appFolder() + "/wordlists/fullwordlist.txt");
    QCOMPARE(folder.Join("/WORDLISTS/new.txt"), folders.appFolder() + "/wordlists/new.txt");
    // A missing component keeps its first spelling, and so does everything below it.
    QCOMPARE(folder.Join("\\Searches\\Google red car.txt"),
             folders.appFolder() + "/Searches/Google red car.txt");
}

void TestTextFile::joinStaysInsideTheFolder()
{
    TestFolders folders;
    const AppFolder folder(folders.appFolder());
    QCOMPARE(folder.Join("\\Searches\\..\\..\\etc\\passwd"), folders.appFolder() + "/Searches/etc/passwd");
}

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
