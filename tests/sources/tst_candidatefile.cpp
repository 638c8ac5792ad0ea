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
    void aFileThatIsNoTextIsRefused();
    void ofAnEndlessLineOnlyWhatMayBeANameIsRead();
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
    // As Windows editors save text: UTF-16 with its mark, in either byte order.
    const QString utf16 = QString::fromUtf8("b\xC3\xBC" "cher\r\n\r\nsun\r\nx.com");
    QByteArray little("\xFF\xFE");
    QByteArray big("\xFE\xFF");
    for (const QChar c : utf16) {
        little += char(c.unicode() & 0xFF);
        little += char(c.unicode() >> 8);
        big += char(c.unicode() >> 8);
        big += char(c.unicode() & 0xFF);
    }
    const QStringList words{QString::fromUtf8("b\xC3\xBC" "cher"), "sun", "x.com"};
    QTest::newRow("UTF-16 LE") << little << words;
    QTest::newRow("UTF-16 BE") << big << words;
    // Longer than a few blocks of the index and than what one read takes in, every kind of line
    // end falling on a block's edge.
    QStringList many;
    QString text;
    const QStringList ends{"\r\n", "\n", "\r", "\r\n\r\n", "\n\n"};
    for (int i = 0; i < 3 * CandidateFile::kBlockLines + 7; ++i) {
        many.append(QString("name%1.com").arg(i) + QString(i % 7 == 0 ? 400 : 0, QChar('x')));
        text += many.last() + ends.at(i % ends.size());
    }
    QTest::newRow("many blocks") << text.toUtf8() << many;
    QByteArray manyLittle("\xFF\xFE");
    for (const QChar c : text) {
        manyLittle += char(c.unicode() & 0xFF);
        manyLittle += char(c.unicode() >> 8);
    }
    QTest::newRow("many blocks, UTF-16") << manyLittle << many;
    // One line in Windows-1252 leaves the UTF-8 lines as they are.
    QTest::newRow("one line not UTF-8")
        << QByteArray("b\xC3\xBC" "cher\r\ncaf\xE9\r\n\xE2\x82\xAC" "uro\r\n")
        << QStringList{QString::fromUtf8("b\xC3\xBC" "cher"), QString::fromUtf8("caf\xC3\xA9"),
                       QString::fromUtf8("\xE2\x82\xAC" "uro")};
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
    for (int i = int(entries.size()) - 1; i >= 0; i -= 97) // back to earlier blocks
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

void TestCandidateFile::aFileThatIsNoTextIsRefused()
{
    TestFolders folders;
    const QString path = folders.path("picture.png");
    TextFile::WriteBytes(path, QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
    CandidateFile file;
    QVERIFY(!file.IsReadable(path));
    QCOMPARE(file.problem(), QString("it is not a text file"));
    QCOMPARE(file.CountCandidates(path), 0);
    // A NUL far into a list is a character of its line, not a reason to refuse the list.
    TextFile::WriteBytes(path, QByteArray(70000, 'a') + "\r\nb" + QByteArray(1, '\0') + "c\r\n");
    QVERIFY(file.IsReadable(path));
    QCOMPARE(*file.ReadCandidate(path, 2), QString("b") + QChar(0) + "c");
}

void TestCandidateFile::ofAnEndlessLineOnlyWhatMayBeANameIsRead()
{
    TestFolders folders;
    const QString path = folders.path("endless.txt");
    TextFile::WriteBytes(path, QByteArray(3 << 20, 'x') + "\r\nnext\r\n");
    CandidateFile file;
    QCOMPARE(file.CountCandidates(path), 2);
    // More than the longest line a name may come from, so it is still refused as too long, and
    // no more: the rest of the line is never held.
    const QString line = *file.ReadCandidate(path, 1);
    QVERIFY(line.size() > 4096);
    QVERIFY(line.size() <= CandidateFile::kMostBytesRead);
    QCOMPARE(*file.ReadCandidate(path, 2), QString("next"));
}

QTEST_GUILESS_MAIN(TestCandidateFile)
#include "tst_candidatefile.moc"
