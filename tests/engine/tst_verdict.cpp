#include "engine/Filing.h"
#include "engine/Verdict.h"
#include "support/TestFolders.h"

#include <QTest>

Q_DECLARE_METATYPE(Verdict)
Q_DECLARE_METATYPE(ProfileClass)

class TestVerdict : public QObject
{
    Q_OBJECT
private slots:
    void judgeReply_data();
    void judgeReply();
    void profileClass_data();
    void profileClass();
    void headingCountsAsNamesAreFiled();
    void registeredKeepsAtMost101Names();
};

void TestVerdict::judgeReply_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<Verdict>("verdict");
    QTest::newRow("no match for") << "No match for \"SHOP.COM\".\r\n" << Verdict::Free;
    QTest::newRow("other letter case, anywhere") << "header\r\n   nO MaTcH FoR x" << Verdict::Free;
    QTest::newRow("registered") << "Domain Name: SHOP.COM\r\nRegistrar: X\r\n" << Verdict::Taken;
    QTest::newRow("NOT FOUND line") << "NOT FOUND\r\n" << Verdict::Free;
    QTest::newRow("Domain not found, indented") << "\r\n  Domain not found.\r\n" << Verdict::Free;
    QTest::newRow("Status: free") << "Domain: a.de\nStatus: free\n" << Verdict::Free;
    QTest::newRow("Status: AVAILABLE") << "STATUS: AVAILABLE\r\n" << Verdict::Free;
    QTest::newRow("% No match") << "% No match for domain\r\n" << Verdict::Free;
    QTest::newRow("%% No entries found") << "%% No entries found for the selected source(s).\r\n"
                                         << Verdict::Free;
    QTest::newRow("No Data Found") << "No Data Found\r\n" << Verdict::Free;
    QTest::newRow("not registered text") << "The domain has not been registered.\r\n" << Verdict::Free;
    QTest::newRow("Object_Not_Found") << "Object_Not_Found\r\n" << Verdict::Free;
    QTest::newRow("nothing found") << "*** Nothing found for this query.\r\n" << Verdict::Free;
    QTest::newRow("not-found words inside a line")
        << "Registrar URL: notfound\r\nnote: Domain not found is fine\r\n"
        << Verdict::Taken;
    QTest::newRow("empty") << "" << Verdict::NoVerdict;
    QTest::newRow("blank") << " \r\n" << Verdict::NoVerdict;
    QTest::newRow("limit exceeded") << "WHOIS LIMIT EXCEEDED - SEE WWW.PIR.ORG/WHOIS FOR DETAILS"
                                    << Verdict::NoVerdict;
    QTest::newRow("too many requests") << "Error: too many requests\r\n" << Verdict::NoVerdict;
    QTest::newRow("access control") << "%ERROR:201: access control limit reached" << Verdict::NoVerdict;
    QTest::newRow("please go away") << "Please go away for a while" << Verdict::NoVerdict;
    QTest::newRow("one per second") << "only 1 request per second allowed" << Verdict::NoVerdict;
    // A refusal wins over the words that would make the name free.
    QTest::newRow("refusal with no match") << "No match for \"A.COM\".\r\nWHOIS LIMIT EXCEEDED\r\n"
                                           << Verdict::NoVerdict;
}

void TestVerdict::judgeReply()
{
    QFETCH(QString, reply);
    QFETCH(Verdict, verdict);
    QCOMPARE(JudgeReply(reply), verdict);
}

void TestVerdict::profileClass_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<ProfileClass>("profile");
    QTest::newRow("4") << "abcd.com" << ProfileClass::High;
    QTest::newRow("5") << "abcde.com" << ProfileClass::Mid;
    QTest::newRow("7") << "abcdefg.com" << ProfileClass::Mid;
    QTest::newRow("8") << "abcdefgh.com" << ProfileClass::Low;
    QTest::newRow("empty label") << ".info" << ProfileClass::High;
    QTest::newRow("first label only") << "ab.cdefghij.co.uk" << ProfileClass::High;
    QTest::newRow("no dot") << "abcdef" << ProfileClass::Mid;
    QTest::newRow("characters, not bytes")
        << QString::fromUtf16(u"\u00E4\u00F6\U0001F600\u00FC.com") << ProfileClass::High;
}

void TestVerdict::profileClass()
{
    QFETCH(QString, name);
    QFETCH(ProfileClass, profile);
    QCOMPARE(ProfileClassOf(name), profile);
}

void TestVerdict::headingCountsAsNamesAreFiled()
{
    TestFolders folders;
    auto program = folders.MakePreparedProgram();
    Filing filing(program->results(), program->resultFiles());
    for (const char *name : {"a.com", "b.com", "c.com"})
        filing.FileFreeName(name);
    QCOMPARE(program->results().heading(ResultLists::High), QString("High Profile (3)"));
    QCOMPARE(program->results().heading(ResultLists::Mid), QString("Mid Profile"));
    program->results().ResetCounters(); // Start: counters 0, headings untouched
    QCOMPARE(program->results().heading(ResultLists::High), QString("High Profile (3)"));
    filing.FileFreeName("d.com");
    QCOMPARE(program->results().heading(ResultLists::High), QString("High Profile (1)"));
    QCOMPARE(program->results().itemCount(ResultLists::High), 4);
}

void TestVerdict::registeredKeepsAtMost101Names()
{
    TestFolders folders;
    auto program = folders.MakePreparedProgram();
    Filing filing(program->results(), program->resultFiles());
    for (int i = 1; i <= 101; ++i)
        filing.FileTakenName(QStringLiteral("r%1.com").arg(i));
    QCOMPARE(program->results().itemCount(ResultLists::Registered), 101);
    filing.FileTakenName("r102.com");
    QCOMPARE(program->results().items(ResultLists::Registered), QStringList{"r102.com"});
    QCOMPARE(program->results().heading(ResultLists::Registered), QString("Registered (102)"));
}

QTEST_GUILESS_MAIN(TestVerdict)
#include "tst_verdict.moc"
