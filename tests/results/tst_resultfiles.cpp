#include "engine/Filing.h"
#include "platform/TextFile.h"
#include "results/FiledJournal.h"
#include "results/ResultExport.h"
#include "results/ResultFiles.h"
#include "results/ResultLists.h"
#include "support/FileSizeLimit.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

qint64 Inode(const QString &path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? static_cast<qint64>(info.st_ino) : -1;
}

} // namespace

class TestResultFiles : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void firstFreeNameWritesAllThreeFiles_data();
    void firstFreeNameWritesAllThreeFiles();
    void takenNamesWriteNoFile();
    void appendingKeepsTheFileAndGivesTheSameBytes();
    void editsOfAListRewriteItsFile();
    void aFileChangedBehindOurBackIsRewritten();
    void leftoverFilesOfAnEarlierRunAreBackedUpFirst();
    void leftoverFilesThatCannotBeBackedUpAreLeftAlone();
    void aFailedAppendLeavesNoTornName_data();
    void aFailedAppendLeavesNoTornName();
    void renewFileStampWritesTheMarkerFiles();
    void stampsOfOneSecondStayDistinct();
    void overflowFilesGoToTheOverflowFolder();
    void theJournalKeepsAddingAfterItIsRewritten();
    void tsvLinesStayOneLine_data();
    void tsvLinesStayOneLine();

private:
    std::unique_ptr<TestFolders> m_folders;
    std::unique_ptr<Program> m_program;
    QDateTime m_now;
    QString App(const QString &name) const { return m_folders->appFolder() + "/" + name; }
};

void TestResultFiles::init()
{
    m_folders = std::make_unique<TestFolders>();
    m_now = QDateTime(QDate(2026, 12, 8), QTime(9, 5, 7));
    m_program = m_folders->MakePreparedProgram({.clock = [this] {
        return m_now;
    }});
}

void TestResultFiles::firstFreeNameWritesAllThreeFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("list");
    QTest::newRow("High goes to SuperHighProfile")
        << "abcd.com"
        << "SuperHighProfile.txt" << ControlIndex(ResultLists::High);
    QTest::newRow("Mid goes to HighProfile") << "abcde.com"
                                             << "HighProfile.txt" << ControlIndex(ResultLists::Mid);
    QTest::newRow("Mid, seven") << "abcdefg.net"
                                << "HighProfile.txt" << ControlIndex(ResultLists::Mid);
    QTest::newRow("Low goes to LowProfile") << "abcdefgh.com"
                                            << "LowProfile.txt" << ControlIndex(ResultLists::Low);
    QTest::newRow("empty label is High") << ".org"
                                         << "SuperHighProfile.txt" << ControlIndex(ResultLists::High);
    QTest::newRow("no dot: whole name") << "abcdefgh"
                                        << "LowProfile.txt" << ControlIndex(ResultLists::Low);
}

void TestResultFiles::firstFreeNameWritesAllThreeFiles()
{
    QFETCH(QString, name);
    QFETCH(QString, file);
    QFETCH(int, list);
    Filing filing(m_program->results(), m_program->resultFiles());
    QCOMPARE(filing.FileFreeName(name), ResultListAt(list));
    for (const QString profile : {"LowProfile.txt", "HighProfile.txt", "SuperHighProfile.txt"})
        QCOMPARE(FileBytes(App(profile)), profile == file ? (name + "\r\n").toUtf8() : QByteArray());
    QCOMPARE(m_program->results().heading(*ResultListAt(list)),
             ResultLists::CountedHeading(*ResultListAt(list), 1));
}

void TestResultFiles::takenNamesWriteNoFile()
{
    Filing filing(m_program->results(), m_program->resultFiles());
    QCOMPARE(filing.FileTakenName("taken.com"), std::optional(ResultList::Registered));
    QCOMPARE(filing.FileFreeName(".com"), std::nullopt);
    QCOMPARE(filing.FileFreeName(".net"), std::nullopt);
    QCOMPARE(filing.FileTakenName(".net"), std::nullopt);
    QVERIFY(!QFile::exists(App("LowProfile.txt")));
    QCOMPARE(m_program->results().itemCount(ResultLists::Registered), 1);
}

void TestResultFiles::appendingKeepsTheFileAndGivesTheSameBytes()
{
    Filing filing(m_program->results(), m_program->resultFiles());
    filing.FileFreeName("firstlongname.com");
    const qint64 inode = Inode(App("LowProfile.txt"));
    QString expected = "firstlongname.com\r\n";
    for (int i = 0; i < 200; ++i) {
        const QString name = QString::fromUtf8("n\xC3\xA4me%1longer.com").arg(i);
        filing.FileFreeName(name);
        expected += name + "\r\n";
    }
    // Appended in place, not rewritten: the file is the same file.
    QCOMPARE(Inode(App("LowProfile.txt")), inode);
    QCOMPARE(FileBytes(App("LowProfile.txt")), expected.toUtf8());
}

void TestResultFiles::editsOfAListRewriteItsFile()
{
    ResultLists &lists = m_program->results();
    Filing filing(lists, m_program->resultFiles());
    for (const char *name : {"aaaaaaaa.com", "bbbbbbbb.com", "cccccccc.com"})
        filing.FileFreeName(name);
    lists.Del(ResultLists::Low, 1);
    filing.FileFreeName("dddddddd.com");
    QCOMPARE(FileBytes(App("LowProfile.txt")),
             QByteArray("aaaaaaaa.com\r\ncccccccc.com\r\ndddddddd.com\r\n"));
    lists.Clear(ResultLists::Low);
    filing.FileFreeName("eeeeeeee.com");
    QCOMPARE(FileBytes(App("LowProfile.txt")), QByteArray("eeeeeeee.com\r\n"));
}

void TestResultFiles::aFileChangedBehindOurBackIsRewritten()
{
    Filing filing(m_program->results(), m_program->resultFiles());
    filing.FileFreeName("aaaaaaaa.com");
    TextFile::WriteAll(App("LowProfile.txt"), "garbage\r\n");
    filing.FileFreeName("bbbbbbbb.com");
    QCOMPARE(FileBytes(App("LowProfile.txt")), QByteArray("aaaaaaaa.com\r\nbbbbbbbb.com\r\n"));
}

void TestResultFiles::leftoverFilesOfAnEarlierRunAreBackedUpFirst()
{
    TextFile::WriteAll(App("LowProfile.txt"), "kept-from-yesterday.com\r\n");
    TextFile::WriteAll(App("HighProfile.txt"), "");
    Filing filing(m_program->results(), m_program->resultFiles());
    filing.FileFreeName("today.com");
    QCOMPARE(FileBytes(App("backups/LowProfile20261208090507.txt")),
             QByteArray("kept-from-yesterday.com\r\n"));
    QVERIFY(!QFile::exists(App("backups/HighProfile20261208090507.txt"))); // empty: nothing to keep
    QCOMPARE(FileBytes(App("LowProfile.txt")), QByteArray());
    // Only the first filing of a run does this.
    filing.FileFreeName("longername.com");
    QCOMPARE(QDir(App("backups")).entryList(QDir::Files).size(), 1);
}

void TestResultFiles::leftoverFilesThatCannotBeBackedUpAreLeftAlone()
{
    TextFile::WriteAll(App("LowProfile.txt"), "kept-from-yesterday.com\r\n");
    QDir(App("backups")).removeRecursively();
    TextFile::WriteAll(App("backups"), "a file where the folder should be");
    Filing filing(m_program->results(), m_program->resultFiles());
    bool saved = true;
    filing.FileFreeName("today.com", &saved);
    QVERIFY(!saved);
    QCOMPARE(m_program->resultFiles().lastFailedPath(), App("LowProfile.txt"));
    QCOMPARE(FileBytes(App("LowProfile.txt")), QByteArray("kept-from-yesterday.com\r\n"));
}

void TestResultFiles::aFailedAppendLeavesNoTornName_data()
{
    QTest::addColumn<bool>("deletedAfter");
    QTest::newRow("file kept") << false;
    QTest::newRow("file deleted after the failure") << true;
}

void TestResultFiles::aFailedAppendLeavesNoTornName()
{
    QFETCH(bool, deletedAfter);
    Filing filing(m_program->results(), m_program->resultFiles());
    filing.FileFreeName("firstlongname.com");
    const QByteArray before = FileBytes(App("LowProfile.txt"));
    bool saved = true;
    {
        FileSizeLimit limit(static_cast<rlim_t>(before.size() + 5)); // room for a part of the next name
        filing.FileFreeName("secondlongname.com", &saved);
    }
    QVERIFY(!saved);
    QCOMPARE(m_program->resultFiles().lastFailedPath(), App("LowProfile.txt"));
    QCOMPARE(FileBytes(App("LowProfile.txt")), before);
    if (deletedAfter)
        QVERIFY(QFile::remove(App("LowProfile.txt")));
    // Once the disk has room again the file catches up with the list, whole.
    filing.FileFreeName("thirdlongname.com", &saved);
    QVERIFY(saved);
    QCOMPARE(FileBytes(App("LowProfile.txt")),
             QByteArray("firstlongname.com\r\nsecondlongname.com\r\nthirdlongname.com\r\n"));
}

void TestResultFiles::renewFileStampWritesTheMarkerFiles()
{
    ResultFiles &files = m_program->resultFiles();
    QCOMPARE(files.FileStamp(), QString());
    files.RenewFileStamp();
    const QString stamp = files.FileStamp();
    QCOMPARE(stamp, QString("20261208090507"));
    QVERIFY(!stamp.contains('/') && !stamp.contains(':') && !stamp.contains(' '));
    QCOMPARE(FileBytes(App("backups/HighProfile" + stamp + ".txt")), QByteArray(" \r\n \r\n"));
    QCOMPARE(FileBytes(App("backups/MidProfile" + stamp + ".txt")), QByteArray(" \r\n"));
    QCOMPARE(files.ProfileFilePath(ResultLists::Mid), App("HighProfile" + stamp + ".txt"));
}

void TestResultFiles::stampsOfOneSecondStayDistinct()
{
    ResultFiles &files = m_program->resultFiles();
    QStringList stamps;
    for (int i = 0; i < 3; ++i) {
        files.RenewFileStamp();
        stamps << files.FileStamp();
    }
    QCOMPARE(stamps, (QStringList{"20261208090507", "20261208090507-2", "20261208090507-3"}));
    m_now = m_now.addSecs(1);
    files.RenewFileStamp();
    QCOMPARE(files.FileStamp(), QString("20261208090508"));
}

void TestResultFiles::overflowFilesGoToTheOverflowFolder()
{
    ResultLists &lists = m_program->results();
    lists.Append(ResultLists::Low, "aaaaaaaa.com");
    lists.Append(ResultLists::High, "a.com");
    lists.Append(ResultLists::Registered, "r.com");
    lists.Append(ResultLists::Saved, "kept.com");
    ResultFiles &files = m_program->resultFiles();
    QVERIFY(files.WriteOverflowFiles(lists));
    QCOMPARE(FileBytes(App("overflow/LowProfile.txt")), QByteArray("aaaaaaaa.com\r\n"));
    QCOMPARE(FileBytes(App("overflow/HighProfile.txt")), QByteArray());
    QCOMPARE(FileBytes(App("overflow/SuperHighProfile.txt")), QByteArray("a.com\r\n"));
    files.ResetProfileLists(lists);
    for (const ResultList list :
         {ResultLists::Low, ResultLists::Registered, ResultLists::High, ResultLists::Mid})
        QCOMPARE(lists.itemCount(list), 0);
    QCOMPARE(lists.items(ResultLists::Saved), QStringList{"kept.com"});
    QCOMPARE(lists.heading(ResultLists::Low), QString("Low Profile"));
    QVERIFY(!files.FileStamp().isEmpty());
}

void TestResultFiles::theJournalKeepsAddingAfterItIsRewritten()
{
    // The journal keeps its file open for appends; a rewrite puts a new file in its place, and
    // what is added after it must land there.
    const QString path = App("FiledAhead.txt");
    FiledJournal journal(path);
    QVERIFY(journal.Reset("list.txt"));
    const qint64 added = 2 * FiledJournal::kRewriteAfter + 10;
    for (qint64 ordinal = 1; ordinal <= added; ++ordinal)
        QVERIFY(journal.Add(ordinal, ResultList::Low, QString("n%1.com").arg(ordinal)));
    QVERIFY(journal.Forget(added - 5)); // rewritten: most entries are forgotten
    QVERIFY(journal.Add(added + 1, ResultList::High, "after.com"));
    FiledJournal reread(path);
    const QSet<QString> keys = reread.Load("list.txt", added - 5);
    QCOMPARE(keys.size(), 7);
    QVERIFY(keys.contains(FiledJournal::Key(ResultList::High, "after.com")));
    QCOMPARE(TextFile::ReadLines(path)->size(), 1 + 7); // the header and the entries kept
}

void TestResultFiles::tsvLinesStayOneLine_data()
{
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("no reason") << QString() << QByteArray("High\tfree.com\n");
    QTest::newRow("plain") << "delegated in DNS" << QByteArray("High\tfree.com\tdelegated in DNS\n");
    QTest::newRow("line break and tab") << "a\r\nb\tc" << QByteArray("High\tfree.com\ta  b c\n");
    QTest::newRow("DEL and C1") << QString("x\x7F\u0085y") << QByteArray("High\tfree.com\tx  y\n");
    QTest::newRow("not ASCII") << QString::fromUtf8("gel\u00F6scht") << QByteArray("High\tfree.com\tgel\xC3\xB6scht\n");
}

void TestResultFiles::tsvLinesStayOneLine()
{
    QFETCH(QString, reason);
    QFETCH(QByteArray, line);
    QByteArray out = "before\n";
    ResultExport::AppendTsvLine(out, {u"High", u"free.com", reason});
    QCOMPARE(out, "before\n" + line);
}

QTEST_GUILESS_MAIN(TestResultFiles)
#include "tst_resultfiles.moc"
