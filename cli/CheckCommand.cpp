#include "CheckCommand.h"

#include "app/Program.h"
#include "app/ProgramSettings.h"
#include "app/Startup.h"
#include "app/RunStatus.h"
#include "engine/Filing.h"
#include "platform/TcpSocketComponent.h"
#include "platform/WholeNumber.h"
#include "results/PurchaseLink.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QFileInfo>
#include <QTimer>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const char *const kExitStatusHelp =
    "Exit status: 0 when the whole list was checked and every result saved; 2 for "
    "bad input (options, list, whois table); 3 when the run ended early or "
    "results could not be saved; 130 or 143 when stopped by Ctrl-C or SIGTERM.";

// The output format asked for, read before the rest so that even a command line that cannot be
// read gets its error in that format.
ResultExport::Format FormatAskedFor(const QStringList &arguments)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString value;
        if (arguments.at(i) == QLatin1String("--format") && i + 1 < arguments.size())
            value = arguments.at(i + 1);
        else if (arguments.at(i).startsWith(QLatin1String("--format=")))
            value = arguments.at(i).mid(9);
        if (const std::optional<ResultExport::Format> format = ResultExport::FormatOfName(value))
            return *format;
    }
    return ResultExport::Format::Tsv;
}

QString OneLine(const QString &text)
{
    return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral(" "));
}

} // namespace

CheckCommand::Environment CheckCommand::DefaultEnvironment()
{
    return {AppFolder::DefaultRoot(), SettingsStore::DefaultRoot(VersionRecord().companyName),
            TcpSocketComponent::Factory()};
}

CheckCommand::CheckCommand(Streams streams, QObject *parent) : QObject(parent), m_streams(streams) {}

CheckCommand::~CheckCommand()
{
    FlushOut();
}

void CheckCommand::Write(QIODevice &device, const QByteArray &bytes)
{
    // The lines of one turn of the event loop (the verdicts of the replies that came together)
    // go out in one write at its end: a line is out within moments of its verdict, and a
    // terminal gets it at once. Anything for err waits until what went before on out is out.
    if (&device == &m_streams.out && !m_streams.outIsTerminal) {
        WaitingOut() += bytes;
        return;
    }
    FlushOut();
    device.write(bytes);
}

QByteArray &CheckCommand::WaitingOut()
{
    if (m_outWaiting.isEmpty())
        QTimer::singleShot(0, this, &CheckCommand::FlushOut);
    return m_outWaiting;
}

void CheckCommand::FlushOut()
{
    if (!m_outWaiting.isEmpty())
        m_streams.out.write(std::exchange(m_outWaiting, {}));
}

int CheckCommand::Fail(int status, const QString &message)
{
    ClearProgress();
    Write(m_streams.err, "orvelle-check: " + message.toUtf8() + "\n");
    if (m_format == ResultExport::Format::Json && m_printedRows == 0) {
        // The output stays one JSON document, with the error in it.
        Write(m_streams.out, QJsonDocument(QJsonObject{{QStringLiteral("error"), message},
                                                       {QStringLiteral("status"), status}})
                                     .toJson(QJsonDocument::Compact) +
                                 "\n");
    }
    return status;
}

void CheckCommand::Problem(const QString &text)
{
    ClearProgress();
    Write(m_streams.err, "orvelle-check: " + OneLine(text).toUtf8() + "\n");
}

std::optional<int> CheckCommand::Start(const QStringList &arguments, Environment environment)
{
    m_format = FormatAskedFor(arguments);
    const std::optional<int> early = Configure(arguments, std::move(environment));
    if (early)
        FlushOut(); // the caller ends with this status now
    return early;
}

std::optional<int> CheckCommand::Configure(const QStringList &arguments, Environment environment)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Checks every name of LIST with whois and prints <list>\\t<name> for each.\n") +
        QLatin1String(kExitStatusHelp));
    parser.addHelpOption();
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Print the version and end."));
    const QCommandLineOption start(QStringLiteral("start"), QStringLiteral("First position to check (default 1)."),
                                   QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption proxy(QStringLiteral("proxy"),
                                   QStringLiteral("Send every query to the server of the \"proxy\" row."));
    const QCommandLineOption tick(QStringLiteral("tick-ms"),
                                  QStringLiteral("Length of a timer tick in ms (default 1000; for testing)."),
                                  QStringLiteral("MS"), QStringLiteral("1000"));
    const QCommandLineOption hostLimits(
        QStringLiteral("host-limits"),
        QStringLiteral("Limits per whois host instead of the stored setting and the limits file, "
                       "\"host=perSecond/maxOpen [N/Mmin] [N/day]; ...\"."),
        QStringLiteral("TEXT"));
    const QCommandLineOption dnsServer(
        QStringLiteral("dns-server"),
        QStringLiteral("Ask this DNS server (host:port) first instead of the system's resolvers; repeatable."),
        QStringLiteral("HOST:PORT"));
    const QCommandLineOption noDns(QStringLiteral("no-dns"),
                                   QStringLiteral("Do not look names up in DNS first; ask whois for every name."));
    const QCommandLineOption noControl(
        QStringLiteral("no-control-queries"),
        QStringLiteral("File free names at once, without control queries against hosts that answer \"not found\" "
                       "to everything while they throttle."));
    const QCommandLineOption format(
        QStringLiteral("format"),
        QStringLiteral("How each name is printed: tsv (the default), csv or json (the summary then goes to "
                       "stderr)."),
        QStringLiteral("FORMAT"), QStringLiteral("tsv"));
    const QCommandLineOption extensions(
        QStringLiteral("extensions"),
        QStringLiteral("Ask a name without an extension once per extension, in this order (com,io,ai)."),
        QStringLiteral("LIST"));
    parser.addOptions({version, start, proxy, tick, hostLimits, dnsServer, noDns, noControl, format, extensions});
    parser.addPositionalArgument(QStringLiteral("LIST"), QStringLiteral("The list file, one name per line."));
    if (!parser.parse(QStringList{QStringLiteral("orvelle-check")} + arguments))
        return Fail(kBadInput, parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        Write(m_streams.out, parser.helpText().toUtf8());
        return kComplete;
    }
    if (parser.isSet(version)) {
        Write(m_streams.out, QStringLiteral("orvelle-check %1\n").arg(VersionText(VersionRecord())).toUtf8());
        return kComplete;
    }
    if (!ResultExport::FormatOfName(parser.value(format)))
        return Fail(kBadInput, QStringLiteral("--format needs tsv, csv or json"));
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return Fail(kBadInput, QStringLiteral("give exactly one LIST (see --help)"));
    const std::optional<qint64> startPosition = ParseWhole(parser.value(start));
    if (!startPosition || *startPosition < 1)
        return Fail(kBadInput,
                    QStringLiteral("--start needs a whole number of at least 1, not \"%1\"").arg(parser.value(start)));
    const std::optional<qint64> tickMs = ParseWhole(parser.value(tick));
    if (!tickMs || *tickMs < 1 || *tickMs > 60000)
        return Fail(kBadInput, QStringLiteral("--tick-ms needs a whole number from 1 to 60000"));
    QStringList chosenExtensions;
    if (parser.isSet(extensions)) {
        bool ok = false;
        chosenExtensions = CheckSettings::ParseExtensions(parser.value(extensions), &ok);
        if (!ok || chosenExtensions.isEmpty())
            return Fail(kBadInput, QStringLiteral("--extensions needs extensions like com,io,ai, not \"%1\"")
                                       .arg(parser.value(extensions)));
    }
    const QString listPath = QFileInfo(positional.first()).absoluteFilePath();
    const QFileInfo listInfo(listPath);
    if (!listInfo.isFile() || !listInfo.isReadable())
        return Fail(kBadInput, QStringLiteral("cannot read the list \"%1\"").arg(positional.first()));

    ProgramConfig config = VersionRecord();
    PurchaseLink(config);
    // Every timing follows the tick: a DNS question's time is two ticks, as 2 s is two of 1 s.
    const auto tickLength = static_cast<int>(*tickMs);
    EngineTimings timings{.slotTickMs = tickLength, .watchdogTickMs = tickLength};
    timings.dnsTimeoutMs = DnsPrecheck::kTimeoutMs / 1000 * tickLength;
    m_program = std::make_unique<Program>(config, environment.appFolderRoot, environment.settingsRoot,
                                          environment.sockets, timings);
    Program &program = *m_program;
    program.setKeepsDecisions(false); // each row is printed as it is decided, never exported later
    QStringList problems;
    if (!Startup::Prepare(program, &problems))
        return Fail(kBadInput,
                    QStringLiteral("cannot create the application folder \"%1\"").arg(program.paths().root()));
    for (const QString &problem : std::as_const(problems))
        Problem(problem);
    if (program.registrars().size() == 0)
        return Fail(kBadInput,
                    QStringLiteral("cannot read the whois server table \"%1\"").arg(program.registrarFile().path()));
    // The stored check settings, and what the options change of them.
    CheckSettings settings = program.checkSettings();
    QString problem;
    if (parser.isSet(proxy))
        settings.proxyMode = true;
    if (parser.isSet(hostLimits)) {
        const std::optional<QHash<QString, HostLimit>> limits =
            CheckSettings::ParseHostLimits(parser.value(hostLimits), &problem);
        if (!limits)
            return Fail(kBadInput, QStringLiteral("--host-limits: %1").arg(problem));
        settings.hostLimits = *limits;
    }
    if (parser.isSet(dnsServer)) {
        const std::optional<QList<DnsServer>> servers =
            CheckSettings::ParseDnsServers(parser.values(dnsServer).join(QLatin1Char(',')), &problem);
        if (!servers)
            return Fail(kBadInput, QStringLiteral("--dns-server: %1").arg(problem));
        settings.dnsServers = *servers;
        settings.dnsFirst = true;
    }
    if (!chosenExtensions.isEmpty())
        settings.extensions = chosenExtensions;
    if (parser.isSet(noDns))
        settings.dnsFirst = false;
    if (parser.isSet(noControl))
        settings.controlQueries = false;
    program.setCheckSettings(settings);
    const qint64 total = program.candidates().CountCandidates(listPath);
    if (*startPosition > total && *startPosition > 1)
        return Fail(kBadInput, QStringLiteral("--start %1 is beyond the end of the list, which holds %2 names")
                                   .arg(*startPosition)
                                   .arg(total));

    CheckEngine &engine = program.engine();
    connect(&engine, &CheckEngine::nameChecked, this, &CheckCommand::PrintName);
    connect(&engine, &CheckEngine::progress, this, &CheckCommand::ShowProgress);
    connect(&program, &Program::errorRaised, this, [this](const QString &title, const QString &text) {
        m_failed = true;
        Problem(title + QStringLiteral(": ") + text);
    });
    connect(&engine, &CheckEngine::backupNotice, this, [this] {
        Problem(QStringLiteral("a result list reached %1 names; the lists were saved to the overflow folder and "
                               "cleared")
                    .arg(Filing::kOverflowLimit));
    });
    connect(&engine, &CheckEngine::dnsCountsChanged, this, [this] {
        if (m_dnsOffSaid || !m_program->engine().dnsCounts().turnedOff)
            return;
        m_dnsOffSaid = true;
        Problem(QStringLiteral("DNS does not answer: every name is asked over whois"));
    });
    connect(&engine, &CheckEngine::runStopped, this, &CheckCommand::Finish, Qt::QueuedConnection);
    if (m_format == ResultExport::Format::Csv)
        Write(m_streams.out, ResultExport::CsvLine(ResultExport::Fields()));
    else if (m_format == ResultExport::Format::Json)
        Write(m_streams.out, "[\n");
    if (!engine.Start(RunRequest{listPath, *startPosition, total, QString(), 0, settings})) {
        if (m_format == ResultExport::Format::Json)
            Write(m_streams.out, "]\n"); // the document stays whole
        return engine.refusal() == CheckEngine::Refusal::BackupFailed ? kIncomplete : kBadInput;
    }
    return std::nullopt;
}

void CheckCommand::Interrupt(int signalNumber)
{
    if (!m_program || !m_program->engine().isRunning() || m_interruptedBy != 0)
        return;
    m_interruptedBy = signalNumber;
    m_program->engine().Stop();
}

void CheckCommand::ShowProgress(qint64 position, qint64 total)
{
    // The position reached, at most twice a second. On a terminal it is one line that is
    // written over, with the speed and the time left.
    if (m_sinceProgress.isValid() && m_sinceProgress.elapsed() < 500)
        return;
    m_sinceProgress.start();
    // The position is the next name to ask: past the last one once every name was asked.
    if (total > 0)
        position = std::min(position, total);
    const CheckEngine &engine = m_program->engine();
    if (m_streams.errIsTerminal) {
        m_progressText = QStringLiteral("%1 of %2, %3")
                             .arg(position)
                             .arg(total)
                             .arg(RunStatus::SpeedText(engine.namesPerSecond(), engine.secondsLeft()))
                             .toUtf8();
        Write(m_streams.err, "\r\033[K" + m_progressText);
        m_progressShown = true;
    } else {
        Write(m_streams.err, QStringLiteral("%1 of %2\n").arg(position).arg(total).toUtf8());
    }
}

void CheckCommand::ClearProgress()
{
    if (!m_progressShown)
        return;
    m_progressShown = false;
    Write(m_streams.err, "\r\033[K");
}

void CheckCommand::PrintName(const QString &name, CheckOutcome outcome, const QString &reason,
                             const QString &decidedBy)
{
    if (outcome == CheckOutcome::NotFiled)
        return;
    ++m_counts[outcome];
    if (m_streams.outIsTerminal)
        ClearProgress(); // a result line never lands behind the progress line
    const auto row = [&] { return ExportRowOf(name, outcome, reason, decidedBy, QDateTime::currentDateTimeUtc()); };
    switch (m_format) {
    case ResultExport::Format::Csv:
        Write(m_streams.out, ResultExport::CsvLine(ResultExport::FieldsOf(row())));
        break;
    case ResultExport::Format::Json:
        Write(m_streams.out, (m_printedRows > 0 ? ",\n" : "") + ResultExport::JsonObject(row()));
        break;
    case ResultExport::Format::Tsv: {
        // Into what waits for the end of the turn; a terminal gets the line at once.
        QByteArray line;
        ResultExport::AppendTsvLine(m_streams.outIsTerminal ? line : WaitingOut(),
                                    {CheckOutcomeName(outcome), name, reason});
        if (m_streams.outIsTerminal)
            Write(m_streams.out, line);
        break;
    }
    }
    ++m_printedRows;
    if (m_streams.outIsTerminal && !m_progressText.isEmpty() && !m_progressShown) {
        Write(m_streams.err, m_progressText); // back under the result lines
        m_progressShown = true;
    }
}

void CheckCommand::Finish()
{
    ClearProgress();
    const CheckEngine &engine = m_program->engine();
    if (m_format == ResultExport::Format::Json)
        Write(m_streams.out, m_printedRows > 0 ? "\n]\n" : "]\n");
    // The summary: on stdout after tab-separated lines, on stderr beside a CSV or JSON document.
    QString summary = QStringLiteral("High %1, Mid %2, Low %3, Registered %4, Unchecked %5")
                          .arg(m_counts[CheckOutcome::High])
                          .arg(m_counts[CheckOutcome::Mid])
                          .arg(m_counts[CheckOutcome::Low])
                          .arg(m_counts[CheckOutcome::Registered])
                          .arg(m_counts[CheckOutcome::Unchecked]);
    if (m_program->checkSettings().asksDnsFirst())
        summary += QStringLiteral("; ") + RunStatus::DnsText(engine.dnsCounts());
    if (m_interruptedBy != 0)
        summary += QStringLiteral("; stopped at position %1").arg(engine.resumePosition());
    if (engine.heldTotal() > 0)
        summary += QStringLiteral("; %1 free held for a control query").arg(engine.heldTotal());
    for (const QString &notice : engine.quotaNotices())
        summary += QStringLiteral("; ") + notice;
    Write(m_format == ResultExport::Format::Tsv ? m_streams.out : m_streams.err, summary.toUtf8() + "\n");
    int status = engine.completed() && engine.everythingSaved() && !m_failed ? kComplete : kIncomplete;
    if (m_interruptedBy != 0)
        status = 128 + m_interruptedBy;
    FlushOut();
    emit finished(status);
}
