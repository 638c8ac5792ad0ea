#include "engine/Filing.h"
#include "engine/Verdict.h"
#include "engine/WhoisPhrases.h"
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
    void aPhraseFileAddsStatements();
    void repliesThatAreNotText_data();
    void repliesThatAreNotText();
    void profileClass_data();
    void profileClass();
    void headingCountsAsNamesAreFiled();
    void registeredKeepsAtMost101Names();
};

void TestVerdict::judgeReply_data()
{
    // Short excerpts in the registries' own words, for the asked name given.
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<Verdict>("verdict");
    QTest::addColumn<QString>("reason");
    const QString none;
    const QString limited = "rate limited";
    const QString unclear = "reply not understood";
    const auto row = [&](const char *title, const QString &reply, const QString &asked, Verdict verdict,
                         const QString &reason = QString()) {
        QTest::newRow(title) << reply << asked << verdict << reason;
    };
    // Not-found statements as whole lines, with comment marks, accents and any letter case.
    row("NOT FOUND", "NOT FOUND\r\n>>> Last update of WHOIS database <<<\r\n", "asked.aero", Verdict::Free);
    row("%% NOT FOUND", "%% NOT FOUND\r\n", "asked.museum", Verdict::Free);
    row("% No match", "% No match\r\n", "asked.xx", Verdict::Free);
    row("No match!!", "[ JPRS database ]\r\nNo match!!\r\n", "asked.jp", Verdict::Free);
    row("accents", "% Whois server 3.0\r\nNincs tal\u00E1lat / No match\r\n", "asked.hu", Verdict::Free);
    row("No Data Found", "No Data Found\r\nURL of the ICANN Whois\r\n", "asked.biz", Verdict::Free);
    row("Portuguese", "% Dom\u00CDnio n\u00E3o encontrado\r\n", "asked.xx", Verdict::Free);
    // Not-found statements at a line's start.
    row("No entries found, after a header",
        "% Copyright\r\n% Terms\r\n\r\n% No entries found for the selected source(s).\r\n", "asked.ru",
        Verdict::Free);
    row("%ERROR:101", "%ERROR:101: no entries found\r\n", "asked.ir", Verdict::Free);
    row("no data was found", "% No data was found to match the request criteria.\r\n", "asked.xx",
        Verdict::Free);
    row("queried object does not exist", "The queried object does not exist: DOMAIN NOT FOUND\r\n",
        "asked.xyz", Verdict::Free);
    row("has not been registered", "    This domain name has not been registered.\r\n", "asked.uk",
        Verdict::Free);
    row("Spanish", "El dominio no se encuentra registrado en NIC Argentina\r\n", "asked.ar", Verdict::Free);
    row("a statement's start inside a word", "No entries foundation here\r\nRegistrar: X\r\n", "asked.com",
        Verdict::Taken);
    // Status fields.
    row("Status: free", "Domain: asked.de\nStatus: free\n", "asked.de", Verdict::Free);
    row("Status: AVAILABLE, spaced", "Status:             AVAILABLE\r\n", "asked.it", Verdict::Free);
    row("No Object Found", "Domain Name: asked.ai\r\nDomain Status: No Object Found\r\n", "asked.ai",
        Verdict::Free);
    row("220 Available", "query_status: 220 Available\r\n", "asked.nz", Verdict::Free);
    // Statements that name the asked name, in any form; a statement about another name is none.
    row("no match for, quoted", "No match for \"ASKED.COM\".\r\n", "asked.com", Verdict::Free);
    row("no match for, unquoted", "% No match for asked.br\r\n", "asked.br", Verdict::Free);
    row("not found: name", "Not found: asked.ca\r\n", "asked.ca", Verdict::Free);
    row("domain \"name\" not found", "domain \"asked.se\" not found.\r\n", "asked.se", Verdict::Free);
    row("name is free", "asked.nl is free\r\n", "asked.nl", Verdict::Free);
    row("not registered", "Domain asked.ai not registered.\r\n", "asked.ai", Verdict::Free);
    row("in brackets",
        "% Not Registered - The domain you have requested (asked.ie) is not a registered .ie "
        "domain name.\r\n",
        "asked.ie", Verdict::Free);
    row("does not exist", "Domain name asked.bg does not exist in database!\r\n", "asked.bg", Verdict::Free);
    row("A-label in the reply", "domain \"xn--bcher-kva.se\" not found.\r\n", "b\u00FCcher.se",
        Verdict::Free);
    row("U-label in the reply, upper case", "NO MATCH FOR \"B\u00DCCHER.COM\".\r\n", "xn--bcher-kva.com",
        Verdict::Free);
    row("no match for another name", "No match for \"OTHER.COM\".\r\n", "asked.com", Verdict::NoVerdict,
        unclear);
    row("another name is free, this one registered", "other.nl is free\r\nDomain name: asked.nl\r\n",
        "asked.nl", Verdict::Taken);
    // Registrations: a domain field naming the asked name, or registration facts.
    row("domain field", "Domain Name: ASKED.COM\r\n", "asked.com", Verdict::Taken);
    row("domain field, tab", "Domain name\tasked.ch\r\nHolder of domain name:\r\n", "asked.ch",
        Verdict::Taken);
    row("domain field, value on the next line", "Domain:\r\n     asked.gg\r\n", "asked.gg", Verdict::Taken);
    row("domain field of another name", "Domain Name: OTHER.COM\r\n", "asked.com", Verdict::NoVerdict,
        unclear);
    row("facts, no domain field", "Created: 2001-01-01\r\nExpires: 2030-01-01\r\n", "asked.com",
        Verdict::Taken);
    row("status line", "Status: ok\r\n", "asked.com", Verdict::Taken);
    row("a fact without a value", "Registrar:\r\n", "asked.com", Verdict::NoVerdict, unclear);
    row("terms that say not found and available",
        "Domain Name: ASKED.COM\r\nTerms: if a name is not found, it may be available for registration; the "
        "service is free\r\n",
        "asked.com", Verdict::Taken);
    // No verdict.
    row("empty", "", "asked.com", Verdict::NoVerdict, "empty reply");
    row("blank", " \r\n", "asked.com", Verdict::NoVerdict, "empty reply");
    row("not understood", "Thank you for your query.\r\n", "asked.com", Verdict::NoVerdict, unclear);
    row("not served", "Access will only be enabled for IP addresses authorised by Red.es\r\n", "asked.es",
        Verdict::NoVerdict, "whois server refuses this client (whois.example)");
    row("limit exceeded", "WHOIS LIMIT EXCEEDED - SEE WWW.PIR.ORG/WHOIS FOR DETAILS", "asked.org",
        Verdict::NoVerdict, limited);
    row("per minute", "Maximum number of requests per minute exceeded\r\n", "asked.com", Verdict::NoVerdict,
        limited);
    row("daily", "Maximum Daily connection limit reached. Lookup refused.\r\n", "asked.com",
        Verdict::NoVerdict, limited);
    row("access denied", "%ERROR:201: access denied\r\n", "asked.com", Verdict::NoVerdict, limited);
    row("rate limited, short", "rate limited\r\n", "asked.com", Verdict::NoVerdict, limited);
    row("Timeout.", "Timeout.\r\n", "asked.com", Verdict::NoVerdict, limited);
    // A refusal wins over everything; terms of use are no refusal.
    row("refusal with no match", "No match for \"ASKED.COM\".\r\nWHOIS LIMIT EXCEEDED\r\n", "asked.com",
        Verdict::NoVerdict, limited);
    row("terms mention excessive querying",
        "Domain Name: ASKED.COM\r\nRegistrar: X\r\nStatus: ok\r\nCreated: 2001\r\nExpires: 2030\r\n"
        "Terms: excessive querying of this service may be rate limited; if too many queries arrive...\r\n",
        "asked.com", Verdict::Taken);
}

void TestVerdict::judgeReply()
{
    QFETCH(QString, reply);
    QFETCH(QString, asked);
    QFETCH(Verdict, verdict);
    QFETCH(QString, reason);
    const Judgement judgement = JudgeReplyText(reply, {asked, "whois.example"});
    QCOMPARE(judgement.verdict, verdict);
    QCOMPARE(judgement.reason, reason);
}

void TestVerdict::aPhraseFileAddsStatements()
{
    const QString reply = "% Sorry, nothing like asked.zz here\r\n";
    QCOMPARE(JudgeReplyText(reply, {"asked.zz"}).verdict, Verdict::NoVerdict);
    QStringList problems;
    WhoisPhrases phrases = WhoisPhrases::Shipped();
    phrases.Add("# taught by the user\r\n"
                "not-found\tstart\tsorry, nothing like <name> here\r\n"
                "not-found\tline\tnothing at all\twhois.other.example\r\n"
                "not-found\tsometimes\tno such thing\r\n"
                "free\tline\tgone\r\n"
                "not-found\tline\r\n"
                "not-found\tname-line\tgone <name>\r\n",
                "whois-phrases.txt", &problems);
    QCOMPARE(JudgeReplyText(reply, {"asked.zz", "whois.example", &phrases}).verdict, Verdict::Free);
    // Not for another name, and not from another host than the one a phrase is limited to.
    QCOMPARE(
        JudgeReplyText("Sorry, nothing like other.zz here", {"asked.zz", "whois.example", &phrases}).verdict,
        Verdict::NoVerdict);
    QCOMPARE(JudgeReplyText("Nothing at all", {"asked.zz", "whois.example", &phrases}).verdict,
             Verdict::NoVerdict);
    QCOMPARE(JudgeReplyText("Nothing at all", {"asked.zz", "whois.other.example", &phrases}).verdict,
             Verdict::Free);
    QCOMPARE(problems.size(), 4);
    QVERIFY2(problems.at(0).startsWith("whois-phrases.txt line 4: the anchor \"sometimes\""),
             qPrintable(problems.at(0)));
    QVERIFY2(problems.at(1).startsWith("whois-phrases.txt line 5: the kind \"free\""),
             qPrintable(problems.at(1)));
    QVERIFY2(problems.at(2).startsWith("whois-phrases.txt line 6: needs kind"), qPrintable(problems.at(2)));
    QVERIFY2(problems.at(3).startsWith("whois-phrases.txt line 7: a name-line"), qPrintable(problems.at(3)));
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
    // A later run adds to what the list holds.
    filing.FileFreeName("d.com");
    QCOMPARE(program->results().heading(ResultLists::High), QString("High Profile (4)"));
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
    QCOMPARE(program->results().heading(ResultLists::Registered), QString("Registered (1)"));
}

QTEST_GUILESS_MAIN(TestVerdict)
#include "tst_verdict.moc"
