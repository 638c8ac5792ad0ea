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
    void repliesThatAreNotText_data();
    void repliesThatAreNotText();
    void profileClass_data();
    void profileClass();
    void headingCountsAsNamesAreFiled();
    void registeredKeepsAtMost101Names();
};

void TestVerdict::judgeReply_data()
{
    // Short excerpts in the registries' own words; the name asked is "asked.tld".
    QTest::addColumn<QString>("reply");
    QTest::addColumn<Verdict>("verdict");
    QTest::addColumn<QString>("reason");
    const QString none;
    const QString limited = "rate limited";
    QTest::newRow("no match for") << "No match for \"ASKED.COM\".\r\n" << Verdict::Free << none;
    QTest::newRow("other letter case, anywhere")
        << "header\r\n   nO MaTcH FoR asked.com" << Verdict::Free << none;
    QTest::newRow("no match for, unquoted") << "% No match for asked.br\r\n" << Verdict::Free << none;
    QTest::newRow("no match for another name") << "No match for \"OTHER.COM\".\r\n" << Verdict::Taken << none;
    QTest::newRow("registered") << "Domain Name: ASKED.COM\r\nRegistrar: X\r\n" << Verdict::Taken << none;
    // The not-found family.
    QTest::newRow("NOT FOUND") << "NOT FOUND\r\n>>> Last update of WHOIS database <<<\r\n"
                               << Verdict::Free << none;
    QTest::newRow("%% NOT FOUND") << "%% NOT FOUND\r\n" << Verdict::Free << none;
    QTest::newRow("Not found: name") << "Not found: asked.ca\r\n" << Verdict::Free << none;
    QTest::newRow("Domain not found, indented") << "\r\n  Domain not found.\r\n" << Verdict::Free << none;
    QTest::newRow("No Data Found") << "No Data Found\r\nURL of the ICANN Whois\r\n" << Verdict::Free << none;
    QTest::newRow("No entries found, after a header")
        << "% Copyright\r\n% Terms\r\n\r\n% No entries found for the selected source(s).\r\n"
        << Verdict::Free << none;
    QTest::newRow("%ERROR:101") << "%ERROR:101: no entries found\r\n" << Verdict::Free << none;
    QTest::newRow("No matching record") << "No matching record.\r\n" << Verdict::Free << none;
    QTest::newRow("No match!!") << "[ JPRS database ]\r\nNo match!!\r\n" << Verdict::Free << none;
    QTest::newRow("NO MATCH: name") << "NO MATCH: asked.edu\r\n" << Verdict::Free << none;
    QTest::newRow("Hungarian") << "Nincs talalat / No match\r\n" << Verdict::Free << none;
    QTest::newRow("No Found") << "No Found\r\n" << Verdict::Free << none;
    QTest::newRow("nothing found") << "*** Nothing found for this query.\r\n" << Verdict::Free << none;
    QTest::newRow("requested domain was not found")
        << "The requested domain was not found in the Registry\r\n"
        << Verdict::Free << none;
    QTest::newRow("0 objects") << "% This query returned 0 objects.\r\n" << Verdict::Free << none;
    QTest::newRow("no information")
        << "No information available about domain name asked.pl in the Registry\r\n"
        << Verdict::Free << none;
    QTest::newRow("not known") << "Invalid query or domain name not known in Dot TK Domain Registry\r\n"
                               << Verdict::Free << none;
    QTest::newRow("Object_Not_Found") << "Object_Not_Found\r\n" << Verdict::Free << none;
    QTest::newRow("domain \"name\" not found") << "domain \"asked.se\" not found.\r\n"
                                               << Verdict::Free << none;
    // The does-not-exist family.
    QTest::newRow("queried object does not exist")
        << "The queried object does not exist: DOMAIN NOT FOUND\r\n"
        << Verdict::Free << none;
    QTest::newRow("Object does not exist") << "Object does not exist\r\n" << Verdict::Free << none;
    // The not-registered family.
    QTest::newRow("has not been registered") << "The domain has not been registered.\r\n"
                                             << Verdict::Free << none;
    QTest::newRow("this domain name") << "    This domain name has not been registered.\r\n"
                                      << Verdict::Free << none;
    QTest::newRow("is not registered") << "The domain name is not registered.\r\n" << Verdict::Free << none;
    QTest::newRow("%ERROR:103") << "%ERROR:103: Domain is not registered\r\n" << Verdict::Free << none;
    QTest::newRow("name is free") << "asked.nl is free\r\n" << Verdict::Free << none;
    QTest::newRow("available for registration") << ">>> Domain asked.love is available for registration\r\n"
                                                << Verdict::Free << none;
    // Status lines.
    QTest::newRow("Status: free") << "Domain: asked.de\nStatus: free\n" << Verdict::Free << none;
    QTest::newRow("Status: AVAILABLE, spaced") << "Status:             AVAILABLE\r\n"
                                               << Verdict::Free << none;
    QTest::newRow("No Object Found") << "Domain Status: No Object Found\r\n" << Verdict::Free << none;
    QTest::newRow("220 Available") << "query_status: 220 Available\r\n" << Verdict::Free << none;
    QTest::newRow("not-found words inside a line")
        << "Registrar URL: notfound\r\nnote: Domain not found is fine\r\nStatus: active\r\n"
        << Verdict::Taken << none;
    QTest::newRow("a name that merely ends in is free") << "Remarks: the service is free\r\n"
                                                        << Verdict::Taken << none;
    // No verdict.
    QTest::newRow("empty") << "" << Verdict::NoVerdict << "empty reply";
    QTest::newRow("blank") << " \r\n" << Verdict::NoVerdict << "empty reply";
    QTest::newRow("limit exceeded") << "WHOIS LIMIT EXCEEDED - SEE WWW.PIR.ORG/WHOIS FOR DETAILS"
                                    << Verdict::NoVerdict << limited;
    QTest::newRow("per minute") << "Maximum number of requests per minute exceeded\r\n"
                                << Verdict::NoVerdict << limited;
    QTest::newRow("daily") << "Maximum Daily connection limit reached. Lookup refused.\r\n"
                           << Verdict::NoVerdict << limited;
    QTest::newRow("connection rate") << "You have exceeded allowed connection rate\r\n"
                                     << Verdict::NoVerdict << limited;
    QTest::newRow("query rate") << "Maximum query rate reached\r\n" << Verdict::NoVerdict << limited;
    QTest::newRow("access denied") << "%ERROR:201: access denied\r\n" << Verdict::NoVerdict << limited;
    QTest::newRow("allowed queries") << "Number of allowed queries exceeded.\r\n"
                                     << Verdict::NoVerdict << limited;
    QTest::newRow("query limit") << "You have exceeded your query limit\r\n" << Verdict::NoVerdict << limited;
    QTest::newRow("rate limited, short") << "rate limited\r\n" << Verdict::NoVerdict << limited;
    QTest::newRow("too busy") << "Server too busy, try again later\r\n" << Verdict::NoVerdict << limited;
    QTest::newRow("Timeout.") << "Timeout.\r\n" << Verdict::NoVerdict << limited;
    QTest::newRow("interval") << "Queried interval is too short\r\n" << Verdict::NoVerdict << limited;
    QTest::newRow("quota") << "Quota exceeded\r\n" << Verdict::NoVerdict << limited;
    QTest::newRow("too many requests") << "Error: too many requests\r\n" << Verdict::NoVerdict << limited;
    QTest::newRow("please go away") << "Please go away for a while" << Verdict::NoVerdict << limited;
    // A refusal wins over the words that would make the name free; terms of use are no refusal.
    QTest::newRow("refusal with no match") << "No match for \"ASKED.COM\".\r\nWHOIS LIMIT EXCEEDED\r\n"
                                           << Verdict::NoVerdict << limited;
    QTest::newRow("terms mention excessive querying")
        << "Domain Name: ASKED.COM\r\nRegistrar: X\r\nStatus: ok\r\nCreated: 2001\r\nExpires: 2030\r\n"
           "Terms: excessive querying of this service may be rate limited; if too many queries arrive...\r\n"
        << Verdict::Taken << none;
}

void TestVerdict::judgeReply()
{
    QFETCH(QString, reply);
    QFETCH(Verdict, verdict);
    QFETCH(QString, reason);
    const Judgement judgement = JudgeReplyText(reply, {"asked.com"});
    QCOMPARE(judgement.verdict, verdict);
    QCOMPARE(judgement.reason, reason);
}

void TestVerdict::repliesThatAreNotText_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<Verdict>("verdict");
    QTest::newRow("NUL bytes") << QByteArray("No match for\0\0\0", 15) << Verdict::NoVerdict;
    QTest::newRow("control characters") << QByteArray("\x01\x02\x03\x04\x05"
                                                      "ab")
                                        << Verdict::NoVerdict;
    QTest::newRow("neither UTF-8 nor Windows-1252")
        << QByteArray("Status: \x81\xFE\x9D") << Verdict::NoVerdict;
    QTest::newRow("Windows-1252 text") << QByteArray("Registrant: M\xFCller\r\n") << Verdict::Taken;
    QTest::newRow("UTF-8 text") << QByteArray("Registrant: M\xC3\xBCller\r\n") << Verdict::Taken;
}

void TestVerdict::repliesThatAreNotText()
{
    QFETCH(QByteArray, reply);
    QFETCH(Verdict, verdict);
    const Judgement judgement = JudgeReplyBytes(reply);
    QCOMPARE(judgement.verdict, verdict);
    if (verdict == Verdict::NoVerdict)
        QCOMPARE(judgement.reason, QString("unreadable reply"));
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
