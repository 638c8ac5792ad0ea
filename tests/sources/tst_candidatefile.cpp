#include "platform/TextFile.h"
#include "sources/CandidateFile.h"
#include "support/TestFolders.h"

#include <QTest>

class TestCandidateFile : public QObject
{
    Q_OBJECT
private slots:
    void readsByPositionCountingEntriesOnly_data();
    void readsByPositionCountingEntriesOnly();
    void missingFileCountsZeroAndCannotBeRead();
    void aChangedFileIsIndexedAgain();
    void oldListsInWindows1252StillLoad();
};

void TestCandidateFile::readsByPositionCountingEntriesOnly_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("blank line between")
        << QByteArray("a\r\nb\r\nc\r\n\r\nd\r\ne\r\n") << QStringList{"a", "b", "c", "d", "e"};
    QTest::newRow("lf only") << QByteArray("a\n\nb\n") << QStringList{"a", "b"};
    QTest::newRow("cr only, no final break") << QByteArray("a\rb\r\rc") << QStringList{"a", "b", "c"};
    QTest::newRow("list written with empty lines")
        << QByteArray("\r\nx.com\r\n\r\ny.net\r\n\r\n") << QStringList{"x.com", "y.net"};
    QTest::newRow("single space is an entry") << QByteArray("a\r\n \r\nb\r\n") << QStringList{"a", " ", "b"};
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBFone\r\ntwo\r\n") << QStringList{"one", "two"};
    QTest::newRow("empty file") << QByteArray() << QStringList();
}

void TestCandidateFile::readsByPositionCountingEntriesOnly()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, entries);
    TestFolders folders;
    const QString path = folders.path("list.txt");
    TextFile::WriteBytes(path, bytes);
    CandidateFile file;
    QCOMPARE(file.CountCandidates(path), entries.size());
    for (int i = 0; i < entries.size(); ++i)
        QCOMPARE(*file.ReadCandidate(path, i + 1), entries.at(i));
    QCOMPARE(*file.ReadCandidate(path, 0), QString());
    // The end is reported beside the lines, never as a line of text.
    const std::optional<CandidateFile::Batch> all = file.ReadCandidates(path, 1, int(entries.size()) + 5);
    QVERIFY(all);
    QCOMPARE(all->lines, entries);
    QVERIFY(all->atEnd);
    QVERIFY(!file.ReadCandidate(path, entries.size() + 1));
    QVERIFY(!file.ReadCandidates(path, 1, int(entries.size()))->atEnd);
}

void TestCandidateFile::missingFileCountsZeroAndCannotBeRead()
{
    TestFolders folders;
    CandidateFile file;
    QCOMPARE(file.CountCandidates(folders.path("none.txt")), 0);
    QCOMPARE(file.CountCandidates(QString()), 0);
    QVERIFY(!file.ReadCandidate(folders.path("none.txt"), 1));
    QVERIFY(!file.ReadCandidate(folders.path(""), 1)); // a folder is no list
    QVERIFY(!file.IsReadable(folders.path("none.txt")));
}

void TestCandidateFile::aChangedFileIsIndexedAgain()
{
    TestFolders folders;
    const QString path = folders.WriteList("list.txt", {"aaa", "bbb"});
    CandidateFile file;
    QCOMPARE(*file.ReadCandidate(path, 2), QString("bbb"));
    // Same size, other content: a rewrite is noticed all the same.
    folders.WriteList("list.txt", {"ccc", "ddd"});
    QCOMPARE(*file.ReadCandidate(path, 2), QString("ddd"));
    TextFile::Append(path, "eee\r\n");
    QCOMPARE(file.CountCandidates(path), 3);
    QCOMPARE(*file.ReadCandidate(path, 3), QString("eee"));
    const QString other = folders.WriteList("other.txt", {"x"});
    QCOMPARE(*file.ReadCandidate(other, 1), QString("x"));
    QCOMPARE(*file.ReadCandidate(path, 1), QString("ccc"));
}

void TestCandidateFile::oldListsInWindows1252StillLoad()
{
    TestFolders folders;
    const QString path = folders.path("old.txt");
    TextFile::WriteBytes(path, "caf\xE9\r\nna\xEFve\r\n");
    CandidateFile file;
    QCOMPARE(*file.ReadCandidate(path, 1), QString::fromUtf8("caf\xC3\xA9"));
    QCOMPARE(*file.ReadCandidate(path, 2), QString::fromUtf8("na\xC3\xAFve"));
    // Only the last line, without a line break, has a character of its own, at its very end.
    TextFile::WriteBytes(path, "plain\r\ncaf\xE9");
    QCOMPARE(*file.ReadCandidate(path, 2), QString::fromUtf8("caf\xC3\xA9"));
}

QTEST_GUILESS_MAIN(TestCandidateFile)
#include "tst_candidatefile.moc"
