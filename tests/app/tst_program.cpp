#include "app/MessageQueue.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "platform/TextFile.h"
#include "platform/WholeNumber.h"
#include "support/FakeSocket.h"
#include "support/ManualClock.h"
#include "support/TestFolders.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(CandidateSourceId)
Q_DECLARE_METATYPE(HostLimit)

// The program object: runs asked for by the source controls, the stored switches, and the
// names that got no verdict.
class TestProgram : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void requestFromTheControls_data();
    void requestFromTheControls();
    void proxyModeIsOnOnlyForTheTextOne_data();
    void proxyModeIsOnOnlyForTheTextOne();
    void hostLimitsComeFromTheSettings_data();
    void hostLimitsComeFromTheSettings();
    void learnedPacesAreKeptForADay_data();
    void learnedPacesAreKeptForADay();
    void aRunStartsAtThePaceAnEarlierRunLearned();
    void quotasOutliveARestartOfTheProgram();
    void theUsersPhraseFileAddsToTheShippedOne();
    void theUsersLimitsFileAddsToTheShippedOne();
    void theUsersEngineFileAddsToTheSourceList();
    void namesWithoutVerdictAreKeptOnce();
    void aRunOverTheUncheckedFileKeepsWhatFailsAgain();
    void aResumedRunDoesNotFileAgainWhatACrashLeftFiled_data();
    void aResumedRunDoesNotFileAgainWhatACrashLeftFiled();
    void repeatedCrashesNeverFileANameTwice();
    void messagesWaitTheirTurnAndRepeatsAreCounted();
    void exportRoundTrips_data();
    void exportRoundTrips();
    void extensionsToTryResumeAtEveryPoint_data();
    void extensionsToTryResumeAtEveryPoint();

private:
    void Run(const QString &path, const std::function<void(int slot, const QString &name)> &answer,
             qint64 first = 1);

    std::unique_ptr<TestFolders> m_folders;
    std::unique_ptr<FakeSocketFactory> m_sockets;
    ManualClock m_clock; // for the tests that run on it; it outlives the programs
    std::unique_ptr<Program> m_program;
    QStringList m_errors;
};

void TestProgram::init()
{
    m_folders = std::make_unique<TestFolders>();
    m_sockets = std::make_unique<FakeSocketFactory>();
    m_program = m_folders->MakePreparedProgram({.sockets = m_sockets->factory(), .timings = {5, 5, 5}});
    QVERIFY(m_program->SetHostLimits("whois.verisign-grs.com=0/25")); // every name at once
    m_errors.clear();
    connect(m_program.get(), &Program::errorRaised, this,
            [this](const QString &, const QString &text) { m_errors.append(text); });
}

void TestProgram::cleanup()
{
    m_program.reset();
    m_sockets.reset();
    m_folders.reset();
}

void TestProgram::requestFromTheControls_data()
{
    QTest::addColumn<CandidateSourceId>("source");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("total");
    QTest::addColumn<qint64>("first");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("error");
    using Id = CandidateSourceId;
    QTest::newRow("word list") << Id::FullWordList << "26"
                               << "100" << qint64(26) << "FullWordNum"
                               << "";
    QTest::newRow("search engines start at line 1") << Id::GoogleSearch << "7"
                                                    << "100" << qint64(1) << "GoogleWordNum"
                                                    << "";
    QTest::newRow("generator keeps only the run-wide key") << Id::GenerateNames << "2"
                                                           << "9" << qint64(2) << ""
                                                           << "";
    QTest::newRow("past 32 bits") << Id::CustomList << "3000000000"
                                  << "9000000000" << qint64(3000000000) << "CustWordNum"
                                  << "";
    QTest::newRow("start not a number") << Id::CustomList << "abc"
                                        << "10" << qint64(0) << ""
                                        << "The start number \"abc\" is not a whole number.";
    QTest::newRow("total not a number") << Id::CustomList << "1"
                                        << "x1" << qint64(0) << ""
                                        << "The total \"x1\" is not a whole number.";
}

void TestProgram::requestFromTheControls()
{
    QFETCH(CandidateSourceId, source);
    QFETCH(QString, start);
    QFETCH(QString, total);
    QFETCH(qint64, first);
    QFETCH(QString, key);
    QFETCH(QString, error);
    SearchControls &controls = m_program->controls();
    controls.setSourceIndex(CandidateSources::IndexOf(source));
    controls.setSourcePath(m_folders->WriteList("list.txt", {"a"}));
    controls.setTotal(total);
    controls.setStartNumber(start);
    const std::optional<RunRequest> request = m_program->RequestFromControls();
    QCOMPARE(m_errors, error.isEmpty() ? QStringList() : QStringList{error});
    QCOMPARE(request.has_value(), error.isEmpty());
    if (!request)
        return;
    QCOMPARE(request->firstPosition, first);
    QCOMPARE(request->resumeKey, key);
    QCOMPARE(request->listPath, controls.sourcePath());
    QCOMPARE(controls.startNumber(), QString::number(first));
}

void TestProgram::proxyModeIsOnOnlyForTheTextOne_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("on");
    QTest::newRow("1") << "1" << true;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("2") << "2" << false;
    QTest::newRow("blank before") << " 1" << false;
    QTest::newRow("true") << "true" << false;
}

void TestProgram::proxyModeIsOnOnlyForTheTextOne()
{
    QFETCH(QString, stored);
    QFETCH(bool, on);
    m_program->settings().store().WriteSetting("Orvelle", "Settings", "chkProxy", stored);
    QCOMPARE(m_program->settings().ReadCheckSettings().proxyMode, on);
    Startup::ReadCheckSettings(*m_program);
    QCOMPARE(m_program->proxyMode(), on);
}

void TestProgram::hostLimitsComeFromTheSettings_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<HostLimit>("example");
    QTest::addColumn<HostLimit>("nominet");
    const HostLimit builtIn = HostPacer().LimitFor("whois.nic.uk");
    QTest::newRow("none") << "" << true << HostPacer::kDefault << builtIn;
    QTest::newRow("two hosts") << "Whois.Example = 0.5/1; whois.nic.uk=2/2" << true << HostLimit{0.5, 1}
                               << HostLimit{2, 2};
    QTest::newRow("unreadable") << "whois.example=fast" << false << HostPacer::kDefault << builtIn;
    QTest::newRow("too many connections") << "whois.example=1/26" << false << HostPacer::kDefault << builtIn;
}

void TestProgram::hostLimitsComeFromTheSettings()
{
    QFETCH(QString, stored);
    QFETCH(bool, readable);
    QFETCH(HostLimit, example);
    QFETCH(HostLimit, nominet);
    QVERIFY(m_program->settings().SetHostLimits(stored));
    const QString problem = Startup::ReadCheckSettings(*m_program);
    QCOMPARE(problem.isEmpty(), readable);
    if (!readable)
        QVERIFY2(problem.contains(stored) && problem.contains("built-in"), qPrintable(problem));
    QCOMPARE(m_program->engine().pacer().LimitFor("whois.example"), example);
    QCOMPARE(m_program->engine().pacer().LimitFor("whois.nic.uk"), nominet);
}

void TestProgram::learnedPacesAreKeptForADay_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("now");
    QTest::addColumn<QStringList>("kept"); // host=queries a second/age in minutes
    QTest::newRow("an hour old") << "whois.a.example=0.8/1@2026-12-08T10:00:00Z"
                                 << "2026-12-08T11:00:00Z" << QStringList{"whois.a.example=0.8/60"};
    QTest::newRow("a day old") << "whois.a.example=0.8/1@2026-12-07T11:00:00Z"
                               << "2026-12-08T11:00:00Z" << QStringList();
    QTest::newRow("one of two expired")
        << "whois.a.example=0.8/1@2026-12-07T10:00:00Z; WHOIS.B.example = 2/2 @ 2026-12-08T10:30:00Z"
        << "2026-12-08T11:00:00Z" << QStringList{"whois.b.example=2/30"};
    QTest::newRow("from the future") << "whois.a.example=0.8/1@2026-12-09T10:00:00Z"
                                     << "2026-12-08T11:00:00Z" << QStringList();
    QTest::newRow("malformed entries are passed over")
        << "whois.a.example=fast/1@2026-12-08T10:00:00Z; junk; whois.b.example=2/2@yesterday; "
           "whois.c.example=3/3@2026-12-08T10:59:00Z"
        << "2026-12-08T11:00:00Z" << QStringList{"whois.c.example=3/1"};
}

void TestProgram::learnedPacesAreKeptForADay()
{
    QFETCH(QString, stored);
    QFETCH(QString, now);
    QFETCH(QStringList, kept);
    ProgramSettings &settings = m_program->settings();
    settings.store().WriteSetting("Orvelle", "Settings", "learnedPaces", stored);
    const QDateTime at = QDateTime::fromString(now, Qt::ISODate);
    const auto describe = [](const QHash<QString, RememberedPace> &paces) {
        QStringList texts;
        for (auto it = paces.cbegin(); it != paces.cend(); ++it)
            texts << QStringLiteral("%1=%2/%3").arg(it.key()).arg(it->limit.perSecond).arg(it->ageMs / 60000);
        texts.sort();
        return texts;
    };
    QCOMPARE(describe(settings.LearnedPaces(at)), kept);
    // Storing the paces of a run keeps the young ones of other hosts and drops the rest.
    QVERIFY(settings.StoreLearnedPaces({{"whois.d.example", {{4, 4}, 0}}}, at));
    QCOMPARE(describe(settings.LearnedPaces(at)), QStringList(kept) << "whois.d.example=4/0");
}

void TestProgram::aRunStartsAtThePaceAnEarlierRunLearned()
{
    const QString host = "whois.verisign-grs.com";
    QVERIFY(m_program->SetHostLimits(QString()));
    const QString list = m_folders->WriteList("list.txt", {"a", "b", "c"});
    // Probed with two at once: one answer, then a refusal while it answers. A pace cut in slow
    // start is not kept for later runs.
    QVERIFY(m_program->Start({list, 1, 3, "CustWordNum"}));
    m_sockets->at(0).Answer("Domain Name: A.COM");
    m_sockets->at(1).Answer("Query rate limit exceeded");
    QVERIFY(m_program->engine().pacer().PaceOf(host) > 0);
    m_program->engine().Stop();
    QCOMPARE(StoredSetting(*m_program, "Orvelle", "learnedPaces"), QString());
    // A pace a host held cleanly is: the next run starts there, also after a new start.
    QVERIFY(m_program->settings().StoreLearnedPaces({{host, {{0.8, 1}, 0}}}, QDateTime::currentDateTimeUtc()));
    m_program = m_folders->MakePreparedProgram({.sockets = m_sockets->factory()});
    QVERIFY(m_program->Start({list, 1, 3, "CustWordNum"}));
    QCOMPARE(m_program->engine().pacer().PaceOf(host), 0.8);
    m_program->engine().Stop();
    // A limit of the user's for that host wins.
    QVERIFY(m_program->SetHostLimits(host + "=3/3"));
    QVERIFY(m_program->Start({list, 1, 3, "CustWordNum"}));
    QCOMPARE(m_program->engine().pacer().PaceOf(host), 3.0);
}

void TestProgram::quotasOutliveARestartOfTheProgram()
{
    // A host that allows 2 queries a day: a run uses them up; after a restart the rest of the
    // list gets no verdict, with the time the quota frees, and the run still ends.
    const QString host = "whois.verisign-grs.com";
    QVERIFY(m_program->SetHostLimits(host + "=0/25 2/day"));
    const QString list = m_folders->WriteList("list.txt", {"a", "b", "c"});
    QVERIFY(m_program->Start({list, 1, 3, "CustWordNum"}));
    m_sockets->at(0).Answer("Domain Name: A.COM");
    m_sockets->at(1).Answer("Domain Name: B.COM");
    QVERIFY(!m_program->engine().isRunning());
    QCOMPARE(m_program->engine().quotaNotices().size(), 1);
    QVERIFY2(StoredSetting(*m_program, "Orvelle", "quotaUsage").startsWith(host + "="),
             qPrintable(StoredSetting(*m_program, "Orvelle", "quotaUsage")));
    m_program = m_folders->MakePreparedProgram({.sockets = m_sockets->factory()});
    QVERIFY(m_program->SetHostLimits(host + "=0/25 2/day"));
    QStringList reasons;
    connect(&m_program->engine(), &CheckEngine::nameChecked, this,
            [&](const QString &, CheckOutcome, const QString &reason) { reasons << reason; });
    QVERIFY(m_program->Start({list, 1, 3, "CustWordNum"}));
    QVERIFY(!m_program->engine().isRunning());
    QCOMPARE(reasons.size(), 3);
    QVERIFY2(reasons.first().startsWith(host + " allows 2 queries a day; the next ones after "),
             qPrintable(reasons.first()));
}

void TestProgram::theUsersPhraseFileAddsToTheShippedOne()
{
    const qsizetype shipped = WhoisPhrases::Shipped().size();
    QCOMPARE(Startup::LoadWhoisPhrases(*m_program), QString()); // no file: the shipped table
    QCOMPARE(m_program->phrases().size(), shipped);
    TextFile::WriteAll(m_program->paths().Join("\\whois-phrases.txt"),
                       "not-found\tline\tnichts da\r\nnot-found\teverywhere\tnada\r\n");
    const QString problem = Startup::LoadWhoisPhrases(*m_program);
    QVERIFY2(problem.contains("whois-phrases.txt line 2: the anchor \"everywhere\""), qPrintable(problem));
    QCOMPARE(m_program->phrases().size(), shipped + 1);
    QCOMPARE(JudgeReplyText("Nichts da.", {"asked.zz", QString(), &m_program->phrases()}).verdict,
             Verdict::Free);
}

void TestProgram::theUsersEngineFileAddsToTheSourceList()
{
    SearchControls &controls = m_program->controls();
    QCOMPARE(controls.captions().mid(9), (QStringList{"DuckDuckGo Search", "Bing Search", "Mojeek Search",
                                                      "Brave Search"}));
    TextFile::WriteAll(m_program->paths().Join("\\search-engines.txt"),
                       "Own Search | base=https://own.example | url={base}/?q={query}&o={offset}\r\n"
                       "Bing Search | base=https://mirror.example | url={base}/search?q={query}&first={offset}\r\n"
                       "Broken Search | first=1\r\n");
    const QString problem = Startup::LoadSearchEngines(*m_program);
    QVERIFY2(problem.contains("search-engines.txt line 3"), qPrintable(problem));
    QCOMPARE(controls.captions().mid(9), (QStringList{"DuckDuckGo Search", "Bing Search", "Mojeek Search",
                                                      "Brave Search", "Own Search"}));
    QCOMPARE(m_program->SearchEngine("Bing Search")->base, QString("https://mirror.example")); // the file wins
    // An engine of the table beyond the nine is one source: the one chosen stays chosen.
    m_program->selection().SelectIndex(13);
    QCOMPARE(controls.source(), CandidateSourceId::OtherSearch);
    QCOMPARE(controls.sourceCaption(), QString("Own Search"));
    m_program->selection().Select(CandidateSourceId::OtherSearch);
    QCOMPARE(controls.sourceCaption(), QString("Own Search"));
    // A test server stands in for the engines beyond the two of the nine.
    m_program->config().searchBase = "http://127.0.0.1:8088";
    QCOMPARE(m_program->SearchEngine("Own Search")->base, QString("http://127.0.0.1:8088/own"));
    QCOMPARE(m_program->SearchEngine("Google Search")->base, m_program->config().googleSearchBase);
    QVERIFY(!m_program->SearchEngine("Gone Search"));
}

void TestProgram::theUsersLimitsFileAddsToTheShippedOne()
{
    HostPacer &pacer = m_program->engine().pacer();
    TextFile::WriteAll(m_program->paths().Join("\\whois-limits.txt"),
                       "whois.nic.uk\t1/1 10/day\r\nwhois.own.example\t2/2\r\nwhois.bad\tsoon\r\n");
    const QString problem = Startup::LoadWhoisLimits(*m_program);
    QVERIFY2(problem.contains("whois-limits.txt line 3"), qPrintable(problem));
    QCOMPARE(pacer.LimitFor("whois.nic.uk"), (HostLimit{1, 1, 0, 0, 10}));   // the file wins
    QCOMPARE(pacer.LimitFor("whois.own.example"), (HostLimit{2, 2}));       // and adds
    QCOMPARE(pacer.LimitFor("whois.domain-registry.nl"), (HostLimit{1, 1})); // shipped
    QVERIFY(m_program->SetHostLimits("whois.nic.uk=3/3"));
    QCOMPARE(pacer.LimitFor("whois.nic.uk"), (HostLimit{3, 3})); // the setting wins over both
}

void TestProgram::Run(const QString &path, const std::function<void(int slot, const QString &name)> &answer,
                      qint64 first)
{
    QSignalSpy stopped(&m_program->engine(), &CheckEngine::runStopped);
    const qint64 total = m_program->candidates().CountCandidates(path);
    QVERIFY(m_program->Start({path, first, total, "CustWordNum"}));
    for (int i = 0; i <= total - first; ++i)
        answer(i, m_program->engine().slot(i).name());
    QVERIFY(stopped.count() == 1 || stopped.wait(2000));
}

void TestProgram::namesWithoutVerdictAreKeptOnce()
{
    const QString list = m_folders->WriteList("list.txt", {"a", "!!!", "b", "c"});
    const auto answer = [this](int slot, const QString &name) {
        if (name == "a.com" || name == "c.com")
            m_sockets->at(slot).RaiseFailed(SocketComponent::Error::Refused);
        else
            m_sockets->at(slot).Answer("Domain Name: " + name.toUtf8());
    };
    Run(list, answer);
    const QString path = m_program->paths().unchecked();
    // "!!!" cleans to the bare ".com", no domain name: never sent, kept with its reason.
    // Each name once, with its reason as a note after a tab, which the list reader skips.
    const QByteArray lines = ".com\tnot a valid domain name\r\n"
                             "a.com\twhois.verisign-grs.com cannot be reached: Connection refused\r\n"
                             "c.com\twhois.verisign-grs.com cannot be reached: Connection refused\r\n";
    QCOMPARE(FileBytes(path), lines);
    QCOMPARE(m_program->engine().noVerdicts().count(), 3);
    QCOMPARE(m_program->engine().noVerdicts().reasons(),
             (QMap<QString, int>{{"whois.verisign-grs.com cannot be reached: Connection refused", 2},
                                 {"not a valid domain name", 1}}));
    Run(list, answer);
    QCOMPARE(FileBytes(path), lines);
    QCOMPARE(m_program->engine().noVerdicts().count(), 3);
}

void TestProgram::aRunOverTheUncheckedFileKeepsWhatFailsAgain()
{
    const QString path = m_program->paths().unchecked();
    TextFile::WriteAll(path, "a.com\r\nb.com\r\nc.com\r\n");
    // Stopped before its end: nothing is taken out.
    QVERIFY(m_program->Start({path, 1, 3, "CustWordNum"}));
    m_sockets->at(0).Answer("Domain Name: A.COM");
    m_program->engine().Stop();
    QCOMPARE(FileBytes(path), QByteArray("a.com\r\nb.com\r\nc.com\r\n"));
    // Read to its end: the names that got a verdict go, the one that failed again stays.
    Run(path, [this](int slot, const QString &name) {
        if (name == "b.com")
            m_sockets->at(slot).Answer(QByteArray());
        else
            m_sockets->at(slot).Answer("No match for \"" + name.toUtf8() + "\"");
    });
    QCOMPARE(FileBytes(path), QByteArray("b.com\r\n"));
    QCOMPARE(m_program->engine().noVerdicts().count(), 1);
    QCOMPARE(m_program->results().items(ResultList::High), (QStringList{"a.com", "c.com"}));
}

void TestProgram::aResumedRunDoesNotFileAgainWhatACrashLeftFiled_data()
{
    QTest::addColumn<qint64>("first");
    QTest::addColumn<bool>("sameList");
    QTest::addColumn<QStringList>("filedNow");
    QTest::newRow("resumed at the stored position") << qint64(3) << true << QStringList{"d.com", "f.com"};
    QTest::newRow("checked from the start on purpose")
        << qint64(1) << true << QStringList{"a.com", "b.com", "c.com", "d.com", "e.com", "f.com"};
    QTest::newRow("the mark of another list")
        << qint64(3) << false << QStringList{"c.com", "d.com", "e.com", "f.com"};
}

void TestProgram::aResumedRunDoesNotFileAgainWhatACrashLeftFiled()
{
    QFETCH(qint64, first);
    QFETCH(bool, sameList);
    QFETCH(QStringList, filedNow);
    const QString list = m_folders->WriteList("list.txt", {"a", "b", "c", "d", "e", "f"});
    // A run killed at position 3 had filed c.com and e.com beyond it, up to position 5, and
    // noted them in the journal.
    const QString crashed = sameList ? list : m_folders->path("other.txt");
    TextFile::WriteAll(m_program->paths().filedAhead(),
                       "list\t" + crashed + "\r\n192\t3\tc.com\r\n320\t3\te.com\r\n");
    QVERIFY(m_program->settings().StoreRunPosition("CustWordNum", 3, {crashed, 5}));
    QStringList checked;
    connect(&m_program->engine(), &CheckEngine::nameChecked, this,
            [&](const QString &name, CheckOutcome outcome) {
                if (outcome == CheckOutcome::High)
                    checked << name;
            });
    Run(
        list, [this](int slot, const QString &) { m_sockets->at(slot).Answer("No match"); }, first);
    // The names filed before are not asked again: every name has its verdict once.
    QCOMPARE(checked, filedNow);
    QCOMPARE(m_program->results().items(ResultList::High), filedNow);
    QCOMPARE(m_program->settings().StoredFiledMark().upTo, 6);
}

void TestProgram::repeatedCrashesNeverFileANameTwice()
{
    // Each "program run" answers a part of what it asked, in a scrambled order, stores its
    // position now and then, and is then abandoned as a kill leaves it: nothing is stopped or
    // stored. The next starts from the stored position on the same folders.
    struct Process
    {
        ManualClock clock;
        FakeSocketFactory sockets;
        std::unique_ptr<Program> program;
    };
    const QString list = m_folders->WriteList("list.txt", NumberedNames("n", 150));
    QStringList filed; // every free filing of every run
    QSet<QString> decided;
    std::vector<std::unique_ptr<Process>> killed;
    quint32 random = 12345;
    const auto next = [&random](quint32 below) { return (random = random * 1103515245 + 12345) / 65536 % below; };
    for (int run = 0; run < 12; ++run) {
        auto process = std::make_unique<Process>();
        process->program = m_folders->MakePreparedProgram(
            {.sockets = process->sockets.factory(), .timings = {.clock = &process->clock}});
        Program &program = *process->program;
        QVERIFY(program.SetHostLimits("whois.verisign-grs.com=0/25"));
        connect(&program.engine(), &CheckEngine::nameChecked, this,
                [&](const QString &name, CheckOutcome outcome) {
                    decided.insert(name);
                    if (outcome == CheckOutcome::High)
                        filed << name;
                });
        const qint64 first = ParseWhole(program.settings().ResumePosition("CustWordNum")).value_or(1);
        if (!program.Start({list, first, 150, "CustWordNum"}))
            break; // nothing left
        const bool last = run == 11;
        for (int answers = 0; (last || answers < 40) && program.engine().isRunning(); ++answers) {
            FakeSocket &socket = process->sockets.at(static_cast<int>(next(CheckEngine::kPoolSize)));
            socket.RaiseConnected();
            if (!socket.isOpen() || socket.sent.isEmpty())
                continue;
            const QByteArray name = socket.sent.last().trimmed().toUtf8();
            socket.Answer(name.mid(1, name.indexOf('.') - 1).toInt() % 3 == 0 ? "No match for \"" + name + "\"" : "Domain Name: " + name);
            if (next(10) == 0)
                process->clock.Advance(200); // the position is stored
        }
        if (!last)
            killed.push_back(std::move(process));
    }
    QCOMPARE(decided.size(), 150);
    QCOMPARE(filed.size(), 50);
    QCOMPARE(QSet<QString>(filed.begin(), filed.end()).size(), 50);
}

void TestProgram::messagesWaitTheirTurnAndRepeatsAreCounted()
{
    MessageQueue queue;
    queue.Push("Result files", "cannot be written");
    queue.Push("Settings", "not stored");
    queue.Push("Result files", "cannot be written");
    queue.Push("Result files", "cannot be written");
    QCOMPARE(queue.TakeNext()->text, QString("cannot be written (3 times)"));
    queue.Push("Result files", "cannot be written"); // after it was shown: shown again
    QCOMPARE(queue.TakeNext()->title, QString("Settings"));
    QCOMPARE(queue.TakeNext()->text, QString("cannot be written"));
    QVERIFY(!queue.TakeNext());
}

namespace {

// An RFC 4180 reader: rows of fields, quoted fields with doubled quotes and line breaks.
QList<QStringList> ReadCsv(const QString &text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text.at(i + 1) == '"')
                field += text.at(++i);
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row << field;
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text.at(i + 1) == '\n') {
            row << field;
            rows << row;
            row.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    return rows;
}

} // namespace

void TestProgram::exportRoundTrips_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("CSV") << "results.csv";
    QTest::newRow("JSON") << "results.json";
}

void TestProgram::exportRoundTrips()
{
    QFETCH(QString, file);
    // Three names decided in this program run (one without a verdict), three saved earlier (two
    // that a spreadsheet would take for formulas), one without a verdict from an earlier run
    // whose reason holds a comma and quotes.
    const QString list = m_folders->WriteList("list.txt", {"ab", "taken", "gone"});
    Run(list, [this](int slot, const QString &name) {
        if (name == "gone.com")
            m_sockets->at(slot).RaiseFailed(SocketComponent::Error::Refused);
        else
            m_sockets->at(slot).Answer(name == "ab.com" ? "No match" : "Domain Name: TAKEN.COM\r\nRegistrar: X");
    });
    m_program->results().model(ResultList::Saved)->setStringList({"kept.net", "-2.com", "@SUM.com"});
    TextFile::Append(m_program->paths().unchecked(), "odd.com\twhois.x said \"no\", then closed\r\n");
    const QString path = m_folders->path(file);
    QVERIFY(m_program->ExportResults(path));

    QList<QStringList> rows;
    const QByteArray bytes = FileBytes(path);
    if (file.endsWith(".json")) {
        for (const QJsonValue &value : QJsonDocument::fromJson(bytes).array()) {
            QStringList row;
            for (const QString &field : ResultExport::Fields())
                row << value.toObject().value(field).toString();
            rows << row;
        }
    } else {
        rows = ReadCsv(QString::fromUtf8(bytes));
        QCOMPARE(rows.takeFirst(), ResultExport::Fields());
    }
    QCOMPARE(rows.size(), 7);
    QCOMPARE(rows.at(0).mid(0, 4), (QStringList{"ab.com", "High", "", "whois whois.verisign-grs.com"}));
    QVERIFY(QDateTime::fromString(rows.at(0).at(4), Qt::ISODate).isValid());
    QCOMPARE(rows.at(1).mid(0, 4),
             (QStringList{"taken.com", "Registered", "", "whois whois.verisign-grs.com"}));
    QCOMPARE(rows.at(2), (QStringList{"kept.net", "Saved", "", "", ""}));
    // A CSV cell that begins with a formula sign is written with a leading quote.
    const QString quote = file.endsWith(".csv") ? "'" : "";
    QCOMPARE(rows.at(3).first(), quote + "-2.com");
    QCOMPARE(rows.at(4).first(), quote + "@SUM.com");
    // A name without a verdict of this run says who was asked and when, as orvelle-check does.
    QCOMPARE(rows.at(5).mid(0, 4), (QStringList{"gone.com", "Unchecked",
                                                "whois.verisign-grs.com cannot be reached: Connection refused",
                                                "whois whois.verisign-grs.com"}));
    QVERIFY(QDateTime::fromString(rows.at(5).at(4), Qt::ISODate).isValid());
    QCOMPARE(rows.at(6), (QStringList{"odd.com", "Unchecked", "whois.x said \"no\", then closed", "", ""}));
    QVERIFY(!m_program->ExportResults(m_folders->path("results.txt")));
}

void TestProgram::extensionsToTryResumeAtEveryPoint_data()
{
    QTest::addColumn<int>("answered"); // names with a verdict before the stop
    for (int answered = 0; answered <= 7; ++answered)
        QTest::newRow(qPrintable(QString("%1 answered").arg(answered))) << answered;
}

void TestProgram::extensionsToTryResumeAtEveryPoint()
{
    QFETCH(int, answered);
    const QStringList all = {"ab.com", "ab.io", "ab.ai", "cd.net", "ef.com", "ef.io", "ef.ai"};
    // On the test's clock: the silent server's names stay asked until the test moves time on.
    const EngineTimings timings = {.positionWriteMs = 5, .clock = &m_clock};
    const auto start = [&](const RunRequest &request) {
        m_sockets = std::make_unique<FakeSocketFactory>();
        m_program = m_folders->MakePreparedProgram({.sockets = m_sockets->factory(), .timings = timings});
        UseWhoisServer(*m_program, 43, true);
        QVERIFY(m_program->SetHostLimits("127.0.0.1=0/25"));
        m_program->setExtensions({"com", "io", "ai"});
        QVERIFY(m_program->Start(request));
    };
    const QString list = m_folders->WriteList("list.txt", {"ab", "cd.net", "ef"});
    const auto asked = [this] {
        QStringList names;
        for (int i = 0; i < CheckEngine::kPoolSize; ++i) {
            if (m_sockets->at(i).isOpen())
                names << m_program->engine().slot(i).name();
        }
        return names;
    };
    start({list, 1, 3, "CustWordNum"});
    QTRY_COMPARE(asked(), all); // in list order, each extension in its turn
    for (int i = 0; i < answered; ++i)
        m_sockets->at(i).Answer("No match");

    // Killed now, a new run continues exactly at the first name without a verdict, even inside
    // a word.
    const qint64 line = answered < 3 ? 1 : answered == 3 ? 2 : answered < 7 ? 3 : 4;
    const auto stored = [&] {
        QCoreApplication::processEvents();
        return StoredSetting(*m_program, "Velquist", "CustWordNum", "0").toLongLong() == line;
    };
    QVERIFY(m_clock.AdvanceUntil(stored, 100, 5));
    RunRequest again{list, line, 3, "CustWordNum"};
    again.firstExtension = m_program->settings().StoredExtension(list, line);
    if (answered == 7)
        return;
    start(again);
    QTRY_COMPARE(asked(), all.mid(answered));
}

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
