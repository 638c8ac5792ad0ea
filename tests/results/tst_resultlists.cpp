#include "platform/TextFile.h"
#include "results/DecisionLog.h"
#include "results/ResultLists.h"
#include "support/TestFolders.h"

#include <QSignalSpy>
#include <QTest>

class TestResultLists : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void headingsStartBare();
    void copyText_data();
    void copyText();
    void headingsCountWhatTheListHolds();
    void delWithoutCurrentItemChangesNothing();
    void savedListEditsRewriteTheFile();
    void dragPayloadListsSelectedIndexes_data();
    void dragPayloadListsSelectedIndexes();
    void dropAddsTheNamedItems_data();
    void dropAddsTheNamedItems();
    void droppingTwiceKeepsTheNameTwice();
    void loadRememberedSkipsBlankLines();
    void decisionsKeptForTheNamesStillShown();

private:
    std::unique_ptr<TestFolders> m_folders;
    std::unique_ptr<ResultLists> m_lists;
    QString RememberedPath() const { return m_folders->path("Remembered.txt"); }
};

void TestResultLists::init()
{
    m_folders = std::make_unique<TestFolders>();
    m_lists = std::make_unique<ResultLists>();
    m_lists->setRememberedPath(RememberedPath());
}

void TestResultLists::headingsStartBare()
{
    QCOMPARE(m_lists->heading(ResultLists::Low), QString("Low Profile"));
    QCOMPARE(m_lists->heading(ResultLists::Registered), QString("Registered"));
    QCOMPARE(m_lists->heading(ResultLists::High), QString("High Profile"));
    QCOMPARE(m_lists->heading(ResultLists::Mid), QString("Mid Profile"));
    QCOMPARE(m_lists->heading(ResultLists::Saved), QString("Saved Domains"));
}

void TestResultLists::copyText_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty list") << QStringList() << "";
    QTest::newRow("two names") << QStringList{"a.com", "b.net"} << "a.com\r\nb.net\r\n";
}

void TestResultLists::copyText()
{
    QFETCH(QStringList, items);
    QFETCH(QString, text);
    m_lists->model(ResultLists::Low)->setStringList(items);
    QCOMPARE(m_lists->CopyText(ResultLists::Low), text);
}

void TestResultLists::headingsCountWhatTheListHolds()
{
    // Names of an earlier run stand in the list; a new run files one more.
    m_lists->model(ResultLists::Low)->setStringList({"earlier1.com", "earlier2.com"});
    QCOMPARE(m_lists->heading(ResultLists::Low), QString("Low Profile (2)"));
    m_lists->Append(ResultLists::Low, "this-run.com");
    QCOMPARE(m_lists->heading(ResultLists::Low), QString("Low Profile (3)"));
    // Deleting a name of the earlier run counts it off, never below what is there.
    QVERIFY(m_lists->Del(ResultLists::Low, 0));
    QVERIFY(m_lists->Del(ResultLists::Low, 0));
    QCOMPARE(m_lists->heading(ResultLists::Low), QString("Low Profile (1)"));
    QVERIFY(m_lists->Del(ResultLists::Low, 0));
    QCOMPARE(m_lists->heading(ResultLists::Low), QString("Low Profile"));
    QVERIFY(!m_lists->Del(ResultLists::Low, 0));
    // Clear and an emptied list show the bare heading; a list nothing touched keeps its own.
    m_lists->Append(ResultLists::High, "a.com");
    m_lists->Append(ResultLists::High, "b.com");
    m_lists->Clear(ResultLists::High);
    QCOMPARE(m_lists->heading(ResultLists::High), QString("High Profile"));
    m_lists->Append(ResultLists::Registered, "r.com");
    m_lists->Empty(ResultLists::Registered);
    QCOMPARE(m_lists->heading(ResultLists::Registered), QString("Registered"));
    QCOMPARE(m_lists->heading(ResultLists::Saved), QString("Saved Domains"));
}

void TestResultLists::delWithoutCurrentItemChangesNothing()
{
    m_lists->Append(ResultLists::High, "a.com");
    QSignalSpy headings(m_lists.get(), &ResultLists::headingChanged);
    QVERIFY(!m_lists->Del(ResultLists::High, -1));
    QVERIFY(!m_lists->Del(ResultLists::High, 5));
    QCOMPARE(headings.count(), 0);
    QCOMPARE(m_lists->itemCount(ResultLists::High), 1);
}

void TestResultLists::savedListEditsRewriteTheFile()
{
    m_lists->model(ResultLists::Saved)->setStringList({"a.com", "b.com", "c.com"});
    QVERIFY(m_lists->Del(ResultLists::Saved, 1));
    QCOMPARE(FileBytes(RememberedPath()), QByteArray("a.com\r\nc.com\r\n"));
    QCOMPARE(m_lists->heading(ResultLists::Saved), QString("Saved Domains"));
    m_lists->Clear(ResultLists::Saved);
    QCOMPARE(FileBytes(RememberedPath()), QByteArray());
}

void TestResultLists::dragPayloadListsSelectedIndexes_data()
{
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QString>("payload");
    QTest::newRow("three") << QList<int>{0, 3, 5} << "0|3|5";
    QTest::newRow("in list order") << QList<int>{5, 0, 3} << "0|3|5";
    QTest::newRow("none") << QList<int>() << "";
}

void TestResultLists::dragPayloadListsSelectedIndexes()
{
    QFETCH(QList<int>, rows);
    QFETCH(QString, payload);
    QCOMPARE(ResultLists::DragPayload(rows), payload);
}

void TestResultLists::dropAddsTheNamedItems_data()
{
    QTest::addColumn<QString>("payload");
    QTest::addColumn<int>("lastClicked");
    QTest::addColumn<QStringList>("saved");
    QTest::newRow("items 2 and 4 of Mid")
        << "2|4" << ControlIndex(ResultLists::Mid) << QStringList{"kept.com", "m2.com", "m4.com"};
    QTest::newRow("nothing clicked yet") << "2|4" << 0 << QStringList{"kept.com"};
    QTest::newRow("saved list is no source")
        << "0" << ControlIndex(ResultLists::Saved) << QStringList{"kept.com"};
    QTest::newRow("foreign text") << "hello world" << ControlIndex(ResultLists::Mid)
                                  << QStringList{"kept.com"};
    QTest::newRow("bad pieces skipped")
        << "1|x|99|-1|3" << ControlIndex(ResultLists::Mid) << QStringList{"kept.com", "m1.com", "m3.com"};
    QTest::newRow("empty payload") << "" << ControlIndex(ResultLists::Mid) << QStringList{"kept.com"};
}

void TestResultLists::dropAddsTheNamedItems()
{
    QFETCH(QString, payload);
    QFETCH(int, lastClicked);
    QFETCH(QStringList, saved);
    m_lists->model(ResultLists::Mid)->setStringList({"m0.com", "m1.com", "m2.com", "m3.com", "m4.com"});
    m_lists->model(ResultLists::Saved)->setStringList({"kept.com"});
    m_lists->Drop(payload, ResultListAt(lastClicked));
    QCOMPARE(m_lists->items(ResultLists::Saved), saved);
    // The kept list is written after every drop, also when nothing was added.
    QCOMPARE(FileBytes(RememberedPath()), m_lists->CopyText(ResultLists::Saved).toUtf8());
    QCOMPARE(m_lists->itemCount(ResultLists::Mid), 5);
}

void TestResultLists::droppingTwiceKeepsTheNameTwice()
{
    m_lists->model(ResultLists::High)->setStringList({"a.com"});
    m_lists->Drop("0", ResultLists::High);
    m_lists->Drop("0", ResultLists::High);
    QCOMPARE(FileBytes(RememberedPath()), QByteArray("a.com\r\na.com\r\n"));
}

void TestResultLists::loadRememberedSkipsBlankLines()
{
    TextFile::WriteAll(RememberedPath(), "a.com\r\n\r\n \r\nb.com\r\n c.com\r\n");
    m_lists->model(ResultLists::Saved)->setStringList({"first.com"});
    m_lists->LoadRemembered();
    QCOMPARE(m_lists->items(ResultLists::Saved), (QStringList{"first.com", "a.com", "b.com", " c.com"}));
    QFile::remove(RememberedPath());
    m_lists->LoadRemembered(); // missing file: nothing happens
    QCOMPARE(m_lists->itemCount(ResultLists::Saved), 4);
}

void TestResultLists::decisionsKeptForTheNamesStillShown()
{
    DecisionLog log;
    const QDateTime at = QDateTime::fromString("2026-03-01T10:20:30.456Z", Qt::ISODateWithMs);
    log.Remember({"a.com", "Low", "", "whois a.example", at});
    log.Remember({"b.com", "Unchecked", "rate limited by b.example after 10:20", "", {}});
    log.Remember({"c.com", "Registered", "", "DNS", at});
    log.Remember({"a.com", "Mid", "", "RDAP r.example", at.addSecs(1)}); // decided again
    QCOMPARE(log.size(), 3);
    QCOMPARE(log.Find("a.com")->decidedBy, QString("RDAP r.example"));
    QCOMPARE(log.Find("a.com")->decidedAt, at.addSecs(1));
    QVERIFY(!log.Find("b.com")->decidedAt.isValid());
    QVERIFY(!log.Find("d.com"));
    // Forgetting a row takes its texts with it; the rows kept still read whole.
    log.KeepOnly([](const auto &keep) {
        for (const QString name : {"c.com", "b.com", "x.com"})
            keep(name);
    });
    QCOMPARE(log.size(), 2);
    QVERIFY(!log.Find("a.com"));
    const ExportRow c = *log.Find("c.com");
    QCOMPARE(c.name, QString("c.com"));
    QCOMPARE(c.list, QString("Registered"));
    QCOMPARE(c.decidedBy, QString("DNS"));
    QCOMPARE(c.decidedAt, at);
    QCOMPARE(log.Find("b.com")->reason, QString("rate limited by b.example after 10:20"));
    log.Remember({"e.com", "High", "", "whois a.example", at});
    QCOMPARE(log.Find("e.com")->list, QString("High"));
    QCOMPARE(log.Find("c.com")->list, QString("Registered"));
}

QTEST_GUILESS_MAIN(TestResultLists)
#include "tst_resultlists.moc"
