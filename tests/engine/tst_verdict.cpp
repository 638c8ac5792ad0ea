#include "engine/Filing.h"
#include "engine/Verdict.h"
#include "engine/WhoisPhrases.h"
#include "support/TestFolders.h"

#include <QTest>

Q_DECLARE_METATYPE(Verdict)
Q_DECLARE_METATYPE(ProfileClass)
Q_DECLARE_METATYPE(Judgement::Status)

class TestVerdict : public QObject
{
    Q_OBJECT
private slots:
    void judgeReply_data();
    void judgeReply();
    void aRepeatedLineIsReadForEachName();
    void linesAreComparedInOneForm_data();
    void linesAreComparedInOneForm();
    void anEmptyPhraseTableStatesNothing();
    void statusesOutrankNotFound_data();
    void statusesOutrankNotFound();
    void refusalsInEveryWording_data();
    void refusalsInEveryWording();
    void repliesOnceMisread_data();
    void repliesOnceMisread();
    void aPhraseFileAddsStatements();
    void aUsersPhraseCannotMakeEverythingFree();
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
    row("U-label in the reply, A-label asked in upper case", "No match for \"b\u00FCcher.com\".\r\n",
        "XN--BCHER-KVA.COM", Verdict::Free);
    row("name glued to a long name before it", "no match for verylongasked.com\r\n", "longasked.com",
        Verdict::NoVerdict, unclear);
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

void TestVerdict::aRepeatedLineIsReadForEachName()
{
    // What a line found is kept for the next reply with that line: it must not carry one name's
    // answer to another name, in either order.
    const QString reply = "No match for \"OTHER.COM\".\r\n>>> Last update of whois database: 2026 <<<\r\n";
    for (int round = 0; round < 2; ++round) {
        QCOMPARE(JudgeReplyText(reply, {"asked.com", "whois.example"}).verdict, Verdict::NoVerdict);
        QCOMPARE(JudgeReplyText(reply, {"other.com", "whois.example"}).verdict, Verdict::Free);
        QCOMPARE(JudgeReplyText(reply, {"other.com.au", "whois.example"}).verdict, Verdict::NoVerdict);
    }
}

void TestVerdict::anEmptyPhraseTableStatesNothing()
{
    const WhoisPhrases none;
    QCOMPARE(JudgeReplyText("No match for \"asked.com\".\r\n", {"asked.com", "whois.example", &none}).verdict,
             Verdict::NoVerdict);
}

void TestVerdict::statusesOutrankNotFound_data()
{
    using Status = Judgement::Status;
    QTest::addColumn<QString>("reply");
    QTest::addColumn<Verdict>("verdict");
    QTest::addColumn<Status>("status");
    QTest::addColumn<QString>("reason");
    const auto family = [](const char *title, const QString &statusLines, Verdict verdict, Status status,
                           const QString &reason) {
        // Each status alone, and beside a not-found statement (before it and after it).
        QTest::addRow("%s alone", title) << statusLines << verdict << status << reason;
        QTest::addRow("%s after not found", title) << "No match for \"ASKED.COM\".\r\n" + statusLines << verdict
                                                   << status << reason;
        QTest::addRow("%s before not found", title) << statusLines + "NOT FOUND\r\n" << verdict << status << reason;
    };
    family("redemption", "Domain Status: redemptionPeriod\r\n", Verdict::Taken, Status::Grace, "in redemption");
    family("pending delete", "Domain Status: pendingDelete\r\nDeletion date: 2025-05-02\r\n", Verdict::Taken,
           Status::Grace, "pending delete until 2025-05-02");
    family("quarantine", "Status: QUARANTINE\r\nQuarantine until: 20.04.2025\r\n", Verdict::Taken, Status::Grace,
           "in quarantine until 2025-04-20");
    family("on hold", "Status: on hold\r\n", Verdict::Taken, Status::Grace, "on hold");
    family("reserved by registry", "Reserved by Registry\r\n", Verdict::Taken, Status::Reserved,
           "reserved by the registry");
    family("status reserved", "Status: RESERVED\r\n", Verdict::Taken, Status::Reserved, "reserved by the registry");
    family("reserved name", "It is a reserved name and cannot be registered.\r\n", Verdict::Taken, Status::Reserved,
           "reserved by the registry");
    family("not available for registration", "This domain is not available for registration.\r\n", Verdict::Taken,
           Status::Reserved, "reserved by the registry");
    family("blocked", "Status: BLOCKED\r\n", Verdict::Taken, Status::Blocked, "blocked by the registry");
    family("not allowed", "NOT ALLOWED\r\n", Verdict::Taken, Status::Blocked, "blocked by the registry");
    family("unassignable", "Status: UNASSIGNABLE\r\n", Verdict::Taken, Status::Blocked, "blocked by the registry");
    family("brand block", "This name is subject to a DPML block.\r\n", Verdict::Taken, Status::Blocked,
           "blocked by the registry");
    // Premium wording is no verdict of its own: beside a not-found statement the name is free
    // and premium.
    QTest::newRow("premium after not found")
        << "Domain not found.\r\nThis premium domain is available for purchase.\r\n" << Verdict::Free
        << Status::Premium << "premium";
    QTest::newRow("premium status with no match")
        << "Status: PREMIUM NAME (No match for domain \"asked.com\")\r\n" << Verdict::Free << Status::Premium
        << "premium";
    QTest::newRow("platinum") << "NOT FOUND\r\nThis is a platinum domain.\r\n" << Verdict::Free << Status::Premium
                              << "premium";
    QTest::newRow("premium without not found") << "This premium domain is sold by its owner.\r\n"
                                               << Verdict::NoVerdict << Status::None << "reply not understood";
    QTest::newRow("a registered name on hold") << "Domain Name: asked.com\r\nDomain Status: on hold\r\n"
                                               << Verdict::Taken << Status::Grace << "on hold";
    // The words in a terms banner are no status.
    QTest::newRow("all rights reserved") << "NOT FOUND\r\nCopyright 2024. All rights\r\nreserved.\r\n"
                                         << Verdict::Free << Status::None << "";
}

void TestVerdict::statusesOutrankNotFound()
{
    QFETCH(QString, reply);
    const Judgement judgement = JudgeReplyText(reply, {"asked.com"});
    QTEST(judgement.verdict, "verdict");
    QTEST(judgement.status, "status");
    QTEST(judgement.reason, "reason");
}

void TestVerdict::refusalsInEveryWording_data()
{
    QTest::addColumn<QString>("reply");
    const QString banner = QString("Terms of use: the data is provided as is, for lawful purposes only.\r\n").repeated(20);
    for (const char *refusal : {"You have exceeded the query limit for your network.",
                                "Your IP is BLACKLISTED", "BLACKLISTED", "IP address blocked",
                                "This client has exceeded its quota for today.",
                                "Maximum Daily connection limit reached. Lookup refused.", "Too many requests",
                                "Your access is suspended due to excessive querying."}) {
        QTest::addRow("%s", refusal) << QString::fromUtf8(refusal) + "\r\n";
        QTest::addRow("%s, in a long banner", refusal) << banner + QString::fromUtf8(refusal) + "\r\n" + banner;
    }
}

void TestVerdict::refusalsInEveryWording()
{
    QFETCH(QString, reply);
    QCOMPARE(JudgeReplyText(reply, {"asked.com"}).problem, Judgement::Problem::RateLimited);
}

void TestVerdict::repliesOnceMisread_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<Verdict>("verdict");
    QTest::addColumn<QString>("reason");
    QTest::newRow("error mark and code") << "%% ERROR 404 - domain not found\r\n" << "asked.xx" << Verdict::Free << "";
    QTest::newRow("error code, then a statement") << "- 550 No entries found\r\n" << "asked.xx" << Verdict::Free << "";
    QTest::newRow("name glued to the statement") << "No match forASKED.XX\r\n" << "asked.xx" << Verdict::Free << "";
    QTest::newRow("name cut short") << "No match for \"averylongname-forsa\"\r\n" << "averylongname-forsale.xx"
                                    << Verdict::Free << "";
    QTest::newRow("name cut short, an ellipsis after it")
        << "No match for averylongname-forsa\u2026\r\n" << "averylongname-forsale.xx" << Verdict::Free << "";
    QTest::newRow("name in capitals, asked in others") << "Domain Name: ASKED.XX\r\n" << "Asked.xx"
                                                        << Verdict::Taken << "";
    QTest::newRow("a shorter other name is not cut") << "No match for \"shop.com\"\r\n" << "shop.com.au"
                                                     << Verdict::NoVerdict << "reply not understood";
    QTest::newRow("no records") << "No records found for asked.xx\r\n" << "asked.xx" << Verdict::Free << "";
    QTest::newRow("no results") << "Query: asked.xx\r\nNo results.\r\n" << "asked.xx" << Verdict::Free << "";
    QTest::newRow("no objects") << "No objects matched your query\r\n" << "asked.xx" << Verdict::Free << "";
    QTest::newRow("registred") << "The domain asked.xx is not registred.\r\n" << "asked.xx" << Verdict::Free << "";
    QTest::newRow("bare domain header") << "Domain asked.xx\r\n\r\nData not found\r\n" << "asked.xx"
                                        << Verdict::Free << "";
    QTest::newRow("labels in Cyrillic") << "Домен: asked.xx\r\nДата регистрации: 2001-03-12\r\n" << "asked.xx"
                                        << Verdict::Taken << "";
    QTest::newRow("labels in Chinese") << "注册时间: 2003-03-10\r\n域名服务器: ns1.example.cn\r\n" << "asked.cn"
                                       << Verdict::Taken << "";
    QTest::newRow("linked objects not found")
        << "domain: asked.xx\r\nnserver: ns1.example.net\r\ncreated: 2001-01-01\r\n\r\n"
           "% The holder object HOLD-1 could not be found\r\nobject not found\r\n"
        << "asked.xx" << Verdict::Taken << "";
    QTest::newRow("a free reply echoing the name") << "Domain: asked.xx\r\nStatus: free\r\n" << "asked.xx"
                                                   << Verdict::Free << "";
    QTest::newRow("request denied") << "Request Denied\r\n" << "asked.xx" << Verdict::NoVerdict
                                    << "whois server refuses this client (whois.example)";
    QTest::newRow("access restricted") << "Access to this service is restricted.\r\n" << "asked.xx"
                                       << Verdict::NoVerdict << "whois server refuses this client (whois.example)";
    QTest::newRow("numbered error status") << "Error 403: Forbidden\r\n" << "asked.xx" << Verdict::NoVerdict
                                           << "whois server refuses this client (whois.example)";
}

void TestVerdict::repliesOnceMisread()
{
    QFETCH(QString, reply);
    QFETCH(QString, asked);
    const Judgement judgement = JudgeReplyText(reply, {asked, "whois.example"});
    QTEST(judgement.verdict, "verdict");
    QTEST(judgement.reason, "reason");
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

void TestVerdict::linesAreComparedInOneForm_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("normalised");
    QTest::newRow("marks and blanks") << "%%  Domain NAME:\t EXAMPLE.com  " << "domain name: example.com";
    // Letters are lowered in runs of four and one by one: every place in a run, and the
    // neighbours of A and Z, which stay as they are.
    QTest::newRow("runs of every length") << "ABCDEFGHI JK L" << "abcdefghi jk l";
    QTest::newRow("neighbours of A and Z") << "@AZ[`az{" << "@az[`az{";
    QTest::newRow("a control character inside a run") << QString("ABC\x7F" "DEFG") << QString("abc\x7F" "defg");
    QTest::newRow("a letter outside ASCII inside a run") << QString::fromUtf8("AB\u00C9CDEFG")
                                                         << QString::fromUtf8("ab\u00C9cdefg");
}

void TestVerdict::linesAreComparedInOneForm()
{
    QFETCH(QString, line);
    QTEST(WhoisPhrases::NormalisedLine(line), "normalised");
}

void TestVerdict::repliesThatAreNotText_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<Verdict>("verdict");
    QTest::newRow("NUL bytes") << QByteArray("No match for\0\0\0", 15) << Verdict::NoVerdict;
    QTest::newRow("control characters") << QByteArray("\x01\x02\x03\x04\x05"
                                                      "ab")
                                        << Verdict::NoVerdict;
    // Past the first eight bytes: whole words of text are let through without a byte-by-byte look.
    QTest::newRow("a NUL inside the text") << QByteArray("No match for ex\0mple.com\r\n", 26) << Verdict::NoVerdict;
    QTest::newRow("mostly DEL bytes") << QByteArray(24, '\x7F') + "No match" << Verdict::NoVerdict;
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

void TestVerdict::aUsersPhraseCannotMakeEverythingFree()
{
    WhoisPhrases phrases = WhoisPhrases::Shipped();
    QStringList problems;
    phrases.Add("not-found\tcontains\tfree\r\n"                 // too short
                "not-found\tcontains\tfree of errors\r\n"       // stands in a registered reply
                "not-found\tcontains\tavailable at all times\r\n"
                "not-found\tline\tkein eintrag vorhanden\r\n"   // safe
                "not-found\tstart\t<name> ist frei\r\n",        // safe: names the domain
                "whois-phrases.txt", &problems, WhoisPhrases::Source::User);
    QCOMPARE(phrases.size(), WhoisPhrases::Shipped().size() + 2);
    QCOMPARE(problems.size(), 3);
    QVERIFY2(problems.at(0).startsWith("whois-phrases.txt line 1: a not-found phrase of fewer than 6 letters"),
             qPrintable(problems.at(0)));
    QVERIFY2(problems.at(1).startsWith("whois-phrases.txt line 2: the not-found phrase stands in a reply for a "
                                       "registered name"),
             qPrintable(problems.at(1)));
    QVERIFY(problems.at(2).startsWith("whois-phrases.txt line 3: "));
    QCOMPARE(JudgeReplyText("Kein Eintrag vorhanden.", {"asked.zz", QString(), &phrases}).verdict, Verdict::Free);
    QCOMPARE(JudgeReplyText("asked.zz ist frei", {"asked.zz", QString(), &phrases}).verdict, Verdict::Free);

    // A large table loads and reads by index: every phrase of it is found, none is tried in vain.
    QString large;
    for (int i = 0; i < 20000; ++i)
        large += QStringLiteral("not-found\tstart\tword%1 <name> nicht gefunden\n").arg(i);
    WhoisPhrases big = WhoisPhrases::Shipped();
    big.Add(large, "large.txt", nullptr, WhoisPhrases::Source::User);
    QCOMPARE(big.size(), WhoisPhrases::Shipped().size() + 20000);
    QCOMPARE(JudgeReplyText("word19999 asked.zz nicht gefunden", {"asked.zz", QString(), &big}).verdict,
             Verdict::Free);
    QCOMPARE(JudgeReplyText("word19999 other.zz nicht gefunden", {"asked.zz", QString(), &big}).verdict,
             Verdict::NoVerdict);
}

QTEST_GUILESS_MAIN(TestVerdict)
#include "tst_verdict.moc"
