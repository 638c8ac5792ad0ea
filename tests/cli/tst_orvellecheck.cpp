#include "cli/CheckCommand.h"
#include "platform/TcpSocketComponent.h"
#include "platform/TextFile.h"
#include "support/FileSizeLimit.h"
#include "support/TestFolders.h"
#include "tools/dnsd/DnsTestServer.h"
#include "tools/whoisd/WhoisTestServer.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <csignal>

// orvelle-check as a user runs it, against a whois server on 127.0.0.1: the command in this
// process, and as a separate process where only a process shows it (a full disk, signals).
class TestOrvelleCheck : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void checksTheListAndPrintsOneLinePerName();
    void startsAtTheGivenPosition();
    void badInputExitsWithTwo_data();
    void badInputExitsWithTwo();
    void controlCharactersReachNeitherServerNorOutput();
    void endlessStreamsEndWithoutAVerdict();
    void unsavedResultsExitWithThree();
    void dnsSettlesDelegatedNamesUnlessTurnedOff_data();
    void dnsSettlesDelegatedNamesUnlessTurnedOff();
    void formatsOfTheOutput_data();
    void formatsOfTheOutput();
    void eachExtensionToTryIsAsked();
    void aResultLineNeverFollowsTheProgressLine();
    void dnsThatTurnsItselfOffIsSaidOnce();
    void resultLinesComeOutWhileTheRunGoes();
    void signalsStopAtAnExactPosition_data();
    void signalsStopAtAnExactPosition();

private:
    // The command in this process; with a file-size limit, the program as a process.
    int Run(const QStringList &arguments, QByteArray *out, QByteArray *err, qint64 fileSizeLimit = -1);
    // orvelle-check in this process, writing into buffers.
    struct InProcessCheck
    {
        InProcessCheck()
        {
            out.open(QIODevice::WriteOnly);
            err.open(QIODevice::WriteOnly);
        }
        QBuffer out;
        QBuffer err;
        CheckCommand command{{out, err}};
    };
    // The test's folders and real sockets.
    CheckCommand::Environment Environment() const
    {
        return {m_folders->appFolder(), m_folders->settingsRoot(), TcpSocketComponent::Factory()};
    }
    QProcessEnvironment ProcessEnvironment() const;

    std::unique_ptr<TestFolders> m_folders;
    std::unique_ptr<WhoisTestServer> m_server;
};

void TestOrvelleCheck::init()
{
    m_folders = std::make_unique<TestFolders>();
    m_server = std::make_unique<WhoisTestServer>();
    QVERIFY(m_server->Listen());
    m_server->setRuleChooser([](const QString &name) {
        return name.startsWith(QLatin1String("free")) ? WhoisReplyRule::Free() : WhoisReplyRule::Taken();
    });
    WhoisReplyRule silent;
    silent.mode = WhoisReplyRule::Mode::CloseAtOnce;
    m_server->setRule("silent.com", silent);
    TextFile::WriteAll(m_folders->appFolder() + "/registrars.txt",
                       QStringLiteral("com|127.0.0.1|%1|Enabled\r\n").arg(m_server->port()));
}

QProcessEnvironment TestOrvelleCheck::ProcessEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ORVELLE_APP_FOLDER", m_folders->appFolder());
    environment.insert("ORVELLE_SETTINGS_DIR", m_folders->settingsRoot());
    return environment;
}

int TestOrvelleCheck::Run(const QStringList &arguments, QByteArray *out, QByteArray *err,
                          qint64 fileSizeLimit)
{
    if (fileSizeLimit < 0) {
        InProcessCheck check;
        QSignalSpy finished(&check.command, &CheckCommand::finished);
        std::optional<int> status = check.command.Start(QStringList{"--tick-ms", "20"} + arguments, Environment());
        if (!status && (!finished.isEmpty() || finished.wait(60000)))
            status = finished.first().first().toInt();
        *out = check.out.data();
        *err = check.err.data();
        return status.value_or(-1);
    }
    QProcess process;
    // The checker may write files up to this size only, as on a full disk.
    process.setChildProcessModifier([fileSizeLimit] { FileSizeLimit::Apply(static_cast<rlim_t>(fileSizeLimit)); });
    process.setProcessEnvironment(ProcessEnvironment());
    process.start(QStringLiteral(ORVELLE_CHECK_BINARY), QStringList{"--tick-ms", "20"} + arguments);
    // The server lives in this process: keep its event loop running while the checker works.
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 60000))
        return -1;
    *out = process.readAllStandardOutput();
    *err = process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void TestOrvelleCheck::checksTheListAndPrintsOneLinePerName()
{
    const QString list =
        m_folders->WriteList("names.txt", {"free", "", "freeabc", "freeabcdef", "taken", "silent"});
    QByteArray out;
    QByteArray err;
    QCOMPARE(Run({list}, &out, &err), 0);
    QStringList lines = QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.takeLast(), QString("High 1, Mid 1, Low 1, Registered 1, Unchecked 1"));
    lines.sort();
    QCOMPARE(lines, (QStringList{"High\tfree.com", "Low\tfreeabcdef.com", "Mid\tfreeabc.com",
                                 "Registered\ttaken.com", "Unchecked\tsilent.com\tempty reply"}));
    // The program's folders were used: the whois table was kept, the result files written.
    QCOMPARE(FileBytes(m_folders->appFolder() + "/SuperHighProfile.txt"), QByteArray("free.com\r\n"));
}

void TestOrvelleCheck::startsAtTheGivenPosition()
{
    const QString list = m_folders->WriteList("names.txt", {"taken1", "taken2", "taken3"});
    QByteArray out;
    QByteArray err;
    QCOMPARE(Run({"--start", "3", list}, &out, &err), 0);
    QCOMPARE(QString::fromUtf8(out),
             QString("Registered\ttaken3.com\nHigh 0, Mid 0, Low 0, Registered 1, Unchecked 0\n"));
    QCOMPARE(m_server->queries(), QStringList{"taken3.com"});
}

void TestOrvelleCheck::badInputExitsWithTwo_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing list") << QStringList{"/nonexistent/list.txt"} << "cannot read the list";
    QTest::newRow("no list") << QStringList() << "exactly one LIST";
    QTest::newRow("two lists") << QStringList{"a", "b"} << "exactly one LIST";
    QTest::newRow("start not a number")
        << QStringList{"--start", "x", "LIST"} << "--start needs a whole number";
    QTest::newRow("start zero") << QStringList{"--start", "0", "LIST"} << "--start needs a whole number";
    QTest::newRow("unknown option") << QStringList{"--fast", "LIST"} << "Unknown option";
    QTest::newRow("folder as list") << QStringList{"."} << "cannot read the list";
    QTest::newRow("start beyond a signed 32-bit number")
        << QStringList{"--start", "2147483647", "LIST"} << "beyond the end of the list";
    QTest::newRow("start beyond 64 bits")
        << QStringList{"--start", "99999999999999999999", "LIST"} << "--start needs a whole number";
    QTest::newRow("extension that is no label") << QStringList{"--extensions", "c%m", "LIST"} << "--extensions";
    QTest::newRow("empty extension") << QStringList{"--extensions", "io,,ai", "LIST"} << "--extensions";
}

void TestOrvelleCheck::badInputExitsWithTwo()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const QString list = m_folders->WriteList("names.txt", {"taken"});
    arguments.replaceInStrings(QRegularExpression("^LIST$"), list);
    QByteArray out;
    QByteArray err;
    QCOMPARE(Run(arguments, &out, &err), 2);
    QVERIFY2(QString::fromUtf8(err).contains(message), err.constData());
    QCOMPARE(out, QByteArray());
    // Asked for JSON, the output is one JSON document that holds the error.
    QCOMPARE(Run(QStringList{"--format", "json"} + arguments, &out, &err), 2);
    const QJsonObject document = QJsonDocument::fromJson(out).object();
    QVERIFY2(document.value("error").toString().contains(message), out.constData());
    QCOMPARE(document.value("status").toInt(), 2);
    QCOMPARE(m_server->queries().size(), 0);
}

void TestOrvelleCheck::controlCharactersReachNeitherServerNorOutput()
{
    const QString list = m_folders->WriteList("names.txt", {"evil.com%0D%0AHigh%09forged.com", "free"});
    QByteArray out;
    QByteArray err;
    QCOMPARE(Run({list}, &out, &err), 0);
    QCOMPARE(QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts),
             (QStringList{"Unchecked\tevil.com%0D%0AHigh%09forged.com\tnot a valid domain name",
                          "High\tfree.com", "High 1, Mid 0, Low 0, Registered 0, Unchecked 1"}));
    QCOMPARE(m_server->queries(), QStringList{"free.com"});
}

void TestOrvelleCheck::endlessStreamsEndWithoutAVerdict()
{
    WhoisReplyRule stream;
    stream.mode = WhoisReplyRule::Mode::StreamForever;
    m_server->setRuleChooser({});
    m_server->setDefaultRule(stream);
    const QString list = m_folders->WriteList("names.txt", NumberedNames("flood", 25));
    QByteArray out;
    QByteArray err;
    // Ticks of 100 ms: every reply is cut at its size limit, or the watchdog ends it. (The
    // peak memory of such a run is measured in the benchmark.)
    QCOMPARE(Run({"--tick-ms", "100", list}, &out, &err), 0);
    QVERIFY(out.endsWith("High 0, Mid 0, Low 0, Registered 0, Unchecked 25\n"));
}

void TestOrvelleCheck::unsavedResultsExitWithThree()
{
    const QString list = m_folders->WriteList("names.txt", {"free", "freeabc", "taken"});
    QByteArray out;
    QByteArray err;
    QCOMPARE(Run({list}, &out, &err, 5), 3);
    QVERIFY2(err.contains("cannot be written"), err.constData());
    // The verdicts are still printed, and no file holds a torn name.
    QVERIFY(out.contains("High\tfree.com\n"));
    QCOMPARE(FileBytes(m_folders->appFolder() + "/SuperHighProfile.txt"), QByteArray());
}

void TestOrvelleCheck::dnsSettlesDelegatedNamesUnlessTurnedOff_data()
{
    QTest::addColumn<bool>("noDns");
    QTest::newRow("--dns-server") << false;
    QTest::newRow("--dns-server --no-dns") << true;
}

void TestOrvelleCheck::dnsSettlesDelegatedNamesUnlessTurnedOff()
{
    QFETCH(bool, noDns);
    DnsTestServer dns;
    QVERIFY(dns.Listen());
    dns.setDefaultRule(DnsTestServer::Rule::Delegated);
    dns.setRule("free.com", DnsTestServer::Rule::NxDomain);
    const QString list = m_folders->WriteList("names.txt", {"taken", "free"});
    QStringList arguments{"--dns-server", dns.address(), list};
    if (noDns)
        arguments.prepend("--no-dns");
    QByteArray out;
    QByteArray err;
    QCOMPARE(Run(arguments, &out, &err), 0);
    QStringList lines = QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
    const QString summary = lines.takeLast();
    lines.sort();
    if (noDns) {
        QCOMPARE(lines, (QStringList{"High\tfree.com", "Registered\ttaken.com"}));
        QCOMPARE(summary, QString("High 1, Mid 0, Low 0, Registered 1, Unchecked 0"));
        QCOMPARE(dns.questions(), QStringList());
        QCOMPARE(m_server->queries().size(), 2);
    } else {
        QCOMPARE(lines, (QStringList{"High\tfree.com", "Registered\ttaken.com\tdelegated in DNS"}));
        QCOMPARE(summary, QString("High 1, Mid 0, Low 0, Registered 1, Unchecked 0; DNS: 1 registered, "
                                  "1 asked over whois"));
        QCOMPARE(m_server->queries(), QStringList{"free.com"});
    }
}

void TestOrvelleCheck::formatsOfTheOutput_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("tsv") << "tsv";
    QTest::newRow("csv") << "csv";
    QTest::newRow("json") << "json";
    QTest::newRow("unknown") << "xml";
}

void TestOrvelleCheck::formatsOfTheOutput()
{
    QFETCH(QString, format);
    const QString list = m_folders->WriteList("names.txt", {"free", "taken", "silent"});
    QByteArray out;
    QByteArray err;
    const int status = Run({"--format", format, list}, &out, &err);
    const QString summary = "High 1, Mid 0, Low 0, Registered 1, Unchecked 1";
    if (format == "xml") {
        QCOMPARE(status, 2);
        QVERIFY(err.contains("--format needs tsv, csv or json"));
        return;
    }
    QCOMPARE(status, 0);
    QStringList names;
    if (format == "tsv") {
        QStringList lines = QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.takeLast(), summary);
        for (const QString &line : lines)
            names << line.section('\t', 1, 1);
    } else if (format == "csv") {
        QStringList lines = QString::fromUtf8(out).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(lines.takeFirst(), QString("name,list,reason,decidedBy,decidedAt"));
        for (const QString &line : lines)
            names << line.section(',', 0, 0);
        QVERIFY(lines.filter("silent.com,Unchecked,empty reply,whois 127.0.0.1,").size() == 1);
        QVERIFY(err.contains(summary.toUtf8()));
    } else {
        QJsonParseError error;
        const QJsonArray rows = QJsonDocument::fromJson(out, &error).array();
        QCOMPARE(error.error, QJsonParseError::NoError);
        for (const QJsonValue &row : rows)
            names << row.toObject().value("name").toString();
        QVERIFY(err.contains(summary.toUtf8()));
    }
    names.sort();
    QCOMPARE(names, (QStringList{"free.com", "silent.com", "taken.com"}));
}

void TestOrvelleCheck::eachExtensionToTryIsAsked()
{
    TextFile::WriteAll(
        m_folders->appFolder() + "/registrars.txt",
        QStringLiteral("com|127.0.0.1|%1|Enabled\r\nio|127.0.0.1|%1|Enabled\r\n").arg(m_server->port()));
    const QString list = m_folders->WriteList("names.txt", {"free", "taken.com"});
    QByteArray out;
    QByteArray err;
    QCOMPARE(Run({"--extensions", "io,.COM", list}, &out, &err), 0);
    QStringList names = m_server->queries();
    names.sort();
    QCOMPARE(names, (QStringList{"free.com", "free.io", "taken.com"})); // a name with its own stays
}

void TestOrvelleCheck::aResultLineNeverFollowsTheProgressLine()
{
    // Out and err on one terminal: the progress line is cleared before a result line.
    QBuffer screen;
    screen.open(QIODevice::WriteOnly);
    CheckCommand command({screen, screen, true, true});
    QSignalSpy finished(&command, &CheckCommand::finished);
    const QString list = m_folders->WriteList("names.txt", {"free1", "taken", "free2"});
    QVERIFY(!command.Start({"--tick-ms", "20", "--no-dns", list}, Environment()));
    QVERIFY(finished.wait(60000));
    const QString text = QString::fromUtf8(screen.data());
    QVERIFY2(text.contains("names/s"), qPrintable(text)); // the progress was shown
    // What a terminal shows of each line: what follows the last carriage return.
    for (const QString &line : text.split('\n')) {
        const QString shown = line.section('\r', -1);
        QVERIFY2(!(shown.contains("names/s") && shown.contains('\t')), qPrintable(shown));
    }
}

void TestOrvelleCheck::dnsThatTurnsItselfOffIsSaidOnce()
{
    DnsTestServer dns;
    QVERIFY(dns.Listen());
    dns.setDefaultRule(DnsTestServer::Rule::Silent);
    const QString list = m_folders->WriteList("names.txt", NumberedNames("taken", 8));
    QByteArray out;
    QByteArray err;
    QCOMPARE(Run({"--dns-server", dns.address(), list}, &out, &err), 0);
    QCOMPARE(err.count("DNS does not answer: every name is asked over whois"), 1);
    QVERIFY2(out.endsWith("DNS: 0 registered, 8 asked over whois (DNS turned off: no answer)\n"), out.constData());
}

void TestOrvelleCheck::signalsStopAtAnExactPosition_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("Ctrl-C") << SIGINT;
}

void TestOrvelleCheck::resultLinesComeOutWhileTheRunGoes()
{
    // One name is answered at once, the other not for a minute: though lines into a file or a
    // pipe are written together, the first one's line is out long before the run ends.
    m_server->setRule("late.com", WhoisReplyRule::Taken(60000));
    const QString list = m_folders->WriteList("names.txt", {"free", "late"});
    InProcessCheck check;
    QSignalSpy finished(&check.command, &CheckCommand::finished);
    QVERIFY(!check.command.Start({"--no-dns", list}, Environment()));
    QTRY_VERIFY_WITH_TIMEOUT(check.out.data().contains("High\tfree.com\n"), 30000);
    QVERIFY(finished.isEmpty());
    check.command.Interrupt(SIGINT);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
    const QStringList lines = QString::fromUtf8(check.out.data()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.first(), QString("High\tfree.com"));
    QVERIFY2(lines.last().contains("; stopped at position"), qPrintable(lines.last()));
}

void TestOrvelleCheck::signalsStopAtAnExactPosition()
{
    QFETCH(int, signal);
    // Replies that take a while, so that the run is in the middle of the list when the signal
    // comes; every name is free, so the profile file shows what was filed.
    m_server->setRuleChooser({});
    m_server->setDefaultRule(WhoisReplyRule::Free(40));
    const QStringList names = NumberedNames("name", 300);
    const QString list = m_folders->WriteList("names.txt", names);
    QProcess process;
    process.setProcessEnvironment(ProcessEnvironment());
    process.start(QStringLiteral(ORVELLE_CHECK_BINARY), {"--no-dns", "--host-limits", "127.0.0.1=0/25", list});
    QVERIFY(QTest::qWaitFor([&] { return m_server->queries().size() > 60; }, 30000));
    ::kill(static_cast<pid_t>(process.processId()), signal);
    QVERIFY(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 128 + signal);
    QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    const QString summary = lines.takeLast();
    const qint64 stoppedAt = StoredSetting(*m_folders->MakeProgram(), "Velquist", "wordNumber", "0").toLongLong();
    QVERIFY2(summary.endsWith(QStringLiteral("; stopped at position %1").arg(stoppedAt)), qPrintable(summary));
    QVERIFY(stoppedAt > 1 && stoppedAt <= 300);
    // Every name before the stored position has its verdict; those in flight were stopped.
    QStringList filed;
    for (const QString &line : std::as_const(lines)) {
        if (!line.startsWith("Unchecked"))
            filed << line.section('\t', 1, 1);
        else
            QCOMPARE(line.section('\t', 2), QString("the search was stopped"));
    }
    for (qint64 i = 0; i < stoppedAt - 1; ++i)
        QVERIFY2(filed.contains(names.at(i) + ".com"), qPrintable(names.at(i)));
    // A second run from there gives the others their verdict: each name once over both runs.
    QByteArray out;
    QByteArray err;
    QCOMPARE(Run({"--no-dns", "--start", QString::number(stoppedAt), list}, &out, &err), 0);
    lines = QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
    lines.removeLast();
    for (const QString &line : std::as_const(lines))
        filed << line.section('\t', 1, 1);
    QCOMPARE(filed.size(), names.size());
    QCOMPARE(QSet<QString>(filed.begin(), filed.end()).size(), names.size());
}

QTEST_GUILESS_MAIN(TestOrvelleCheck)
#include "tst_orvellecheck.moc"
