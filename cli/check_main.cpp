// orvelle-check: checks a list of names with the program's check engine, without a display.
//
//   orvelle-check [--start N] [--proxy] [--tick-ms MS] [--host-limits TEXT] [--dns-server HOST:PORT]...
//                 [--no-dns] [--format tsv|csv|json] [--extensions com,io,ai] LIST
//
// Uses the application folder and settings store of the desktop program (ORVELLE_APP_FOLDER,
// ORVELLE_SETTINGS_DIR), runs the list from position N (default 1) to its end, and prints one
// line per name, "<list>\t<name>", where <list> is High, Mid, Low, Registered or Unchecked,
// then a summary line. An Unchecked line has a third field, the reason the name got no verdict.
// With --format csv or json each name is a CSV line or JSON object instead (name, list, reason,
// decidedBy, decidedAt) and the summary goes to stderr. Progress and problems go to stderr.

#include "app/Program.h"
#include "app/Startup.h"
#include "engine/RunStatus.h"
#include "platform/TcpSocketComponent.h"
#include "platform/WholeNumber.h"
#include "results/ResultExport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>
#include <map>
#include <unistd.h>

namespace {

// Exit statuses.
constexpr int kComplete = 0;
constexpr int kBadInput = 2;
constexpr int kIncomplete = 3;

const char *const kExitStatusHelp =
    "Exit status: 0 when the whole list was checked and every result saved; 2 for "
    "bad input (options, list, whois table); 3 when the run ended early or "
    "results could not be saved.";

int Fail(int status, const QString &message)
{
    std::fprintf(stderr, "orvelle-check: %s\n", qPrintable(message));
    return status;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ProgramConfig config = VersionRecord();
    PurchaseLink(config);
    QCoreApplication::setOrganizationName(config.companyName);
    QCoreApplication::setApplicationName(config.productName);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Checks every name of LIST with whois and prints <list>\\t<name> for each.\n") +
        QLatin1String(kExitStatusHelp));
    parser.addHelpOption();
    const QCommandLineOption start(QStringLiteral("start"),
                                   QStringLiteral("First position to check (default 1)."),
                                   QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption proxy(QStringLiteral("proxy"),
                                   QStringLiteral("Send every query to the server of the \"proxy\" row."));
    const QCommandLineOption tick(QStringLiteral("tick-ms"),
                                  QStringLiteral("Length of a timer tick in ms (default 1000; for testing)."),
                                  QStringLiteral("MS"), QStringLiteral("1000"));
    const QCommandLineOption hostLimits(
        QStringLiteral("host-limits"),
        QStringLiteral(
            "Limits per whois host instead of the stored setting, \"host=perSecond/maxOpen; ...\"."),
        QStringLiteral("TEXT"));
    const QCommandLineOption dnsServer(
        QStringLiteral("dns-server"),
        QStringLiteral(
            "Ask this DNS server (host:port) first instead of the system's resolvers; repeatable."),
        QStringLiteral("HOST:PORT"));
    const QCommandLineOption noDns(
        QStringLiteral("no-dns"),
        QStringLiteral("Do not look names up in DNS first; ask whois for every name."));
    const QCommandLineOption format(
        QStringLiteral("format"),
        QStringLiteral("How each name is printed: tsv (the default), csv or json (the summary then goes to "
                       "stderr)."),
        QStringLiteral("FORMAT"), QStringLiteral("tsv"));
    const QCommandLineOption extensions(
        QStringLiteral("extensions"),
        QStringLiteral("Ask a name without an extension once per extension, in this order (com,io,ai)."),
        QStringLiteral("LIST"));
    parser.addOptions({start, proxy, tick, hostLimits, dnsServer, noDns, format, extensions});
    parser.addPositionalArgument(QStringLiteral("LIST"), QStringLiteral("The list file, one name per line."));
    if (!parser.parse(QCoreApplication::arguments()))
        return Fail(kBadInput, parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        std::printf("%s", qPrintable(parser.helpText()));
        return kComplete;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return Fail(kBadInput, QStringLiteral("give exactly one LIST (see --help)"));
    const std::optional<qint64> startPosition = ParseWhole(parser.value(start));
    if (!startPosition || *startPosition < 1)
        return Fail(kBadInput, QStringLiteral("--start needs a whole number of at least 1, not \"%1\"")
                                   .arg(parser.value(start)));
    const std::optional<qint64> tickMs = ParseWhole(parser.value(tick));
    if (!tickMs || *tickMs < 1 || *tickMs > 60000)
        return Fail(kBadInput, QStringLiteral("--tick-ms needs a whole number from 1 to 60000"));
    const QString listPath = QFileInfo(positional.first()).absoluteFilePath();
    const QFileInfo listInfo(listPath);
    if (!listInfo.isFile() || !listInfo.isReadable())
        return Fail(kBadInput, QStringLiteral("cannot read the list \"%1\"").arg(positional.first()));

    const auto tickLength = static_cast<int>(*tickMs);
    Program program(config, AppFolder::DefaultRoot(), SettingsStore::DefaultRoot(config.companyName),
                    TcpSocketComponent::Factory(), EngineTimings{tickLength, tickLength});
    if (!Startup::Prepare(program))
        return Fail(
            kBadInput,
            QStringLiteral("cannot create the application folder \"%1\"").arg(program.paths().root()));
    if (program.registrars().size() == 0)
        return Fail(
            kBadInput,
            QStringLiteral("cannot read the whois server table \"%1\"").arg(program.registrarFile().path()));
    if (parser.isSet(proxy))
        program.setProxyMode(true);
    if (QString problem;
        parser.isSet(hostLimits) && !program.SetHostLimits(parser.value(hostLimits), &problem))
        return Fail(kBadInput, QStringLiteral("--host-limits: %1").arg(problem));
    if (QString problem; parser.isSet(dnsServer) &&
                         !program.SetDnsServers(parser.values(dnsServer).join(QLatin1Char(',')), &problem))
        return Fail(kBadInput, QStringLiteral("--dns-server: %1").arg(problem));
    const std::optional<ResultExport::Format> outputFormat = ResultExport::FormatOfName(parser.value(format));
    if (!outputFormat)
        return Fail(kBadInput, QStringLiteral("--format needs tsv, csv or json"));
    if (parser.isSet(extensions)) {
        bool ok = false;
        const QStringList chosen = ProgramSettings::ExtensionList(parser.value(extensions), &ok);
        if (!ok || chosen.isEmpty())
            return Fail(kBadInput, QStringLiteral("--extensions needs extensions like com,io,ai"));
        program.setExtensions(chosen);
    }
    if (parser.isSet(noDns))
        program.setDnsFirst(false);
    else if (parser.isSet(dnsServer))
        program.setDnsFirst(true);

    const qint64 total = program.candidates().CountCandidates(listPath);
    if (*startPosition > total && *startPosition > 1)
        return Fail(kBadInput,
                    QStringLiteral("--start %1 is beyond the end of the list, which holds %2 names")
                        .arg(*startPosition)
                        .arg(total));

    CheckEngine &engine = program.engine();
    std::map<CheckOutcome, int> counts;
    qint64 printedRows = 0;
    if (*outputFormat == ResultExport::Format::Csv)
        std::fputs(ResultExport::CsvLine(ResultExport::Fields()).constData(), stdout);
    else if (*outputFormat == ResultExport::Format::Json)
        std::printf("[\n");
    QObject::connect(
        &engine, &CheckEngine::nameChecked,
        [&](const QString &name, CheckOutcome outcome, const QString &reason, const QString &decidedBy) {
            if (outcome == CheckOutcome::NotFiled)
                return;
            ++counts[outcome];
            if (*outputFormat != ResultExport::Format::Tsv) {
                const ExportRow row{name, CheckOutcomeName(outcome), reason, decidedBy,
                                    QDateTime::currentDateTimeUtc()};
                if (*outputFormat == ResultExport::Format::Csv)
                    std::fputs(ResultExport::CsvLine(ResultExport::FieldsOf(row)).constData(), stdout);
                else
                    std::printf("%s%s", printedRows > 0 ? ",\n" : "",
                                ResultExport::JsonObject(row).constData());
                ++printedRows;
            } else if (!reason.isEmpty())
                std::printf("%s\t%s\t%s\n", qPrintable(CheckOutcomeName(outcome)), name.toUtf8().constData(),
                            UncheckedNames::OneLine(reason).toUtf8().constData());
            else
                std::printf("%s\t%s\n", qPrintable(CheckOutcomeName(outcome)), name.toUtf8().constData());
            // A line is out as soon as its verdict is: a run that is killed loses none of them.
            std::fflush(stdout);
        });
    // Progress: the position reached, at most twice a second. On a terminal it is one line that
    // is written over, with the speed and the time left.
    const bool terminal = isatty(STDERR_FILENO) == 1;
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    QObject::connect(&engine, &CheckEngine::progress, [&](qint64 position, qint64 all) {
        if (sinceProgress.elapsed() < 500)
            return;
        sinceProgress.restart();
        if (terminal)
            std::fprintf(stderr, "\r\033[K%lld of %lld, %s", static_cast<long long>(position),
                         static_cast<long long>(all),
                         qPrintable(RunStatus::SpeedText(engine.namesPerSecond(), engine.secondsLeft())));
        else
            std::fprintf(stderr, "%lld of %lld\n", static_cast<long long>(position),
                         static_cast<long long>(all));
    });
    const auto endProgressLine = [terminal] {
        if (terminal)
            std::fprintf(stderr, "\r\033[K");
    };
    bool failed = false;
    QObject::connect(&program, &Program::errorRaised, [&](const QString &title, const QString &text) {
        failed = true;
        endProgressLine();
        std::fprintf(stderr, "orvelle-check: %s: %s\n", qPrintable(title),
                     qPrintable(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral(" "))));
    });
    QObject::connect(&engine, &CheckEngine::backupNotice, [] {
        std::fprintf(stderr, "orvelle-check: a result list reached 20000 names; the lists were saved to the "
                             "overflow folder and cleared\n");
    });
    QObject::connect(&engine, &CheckEngine::runStopped, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    if (!engine.Start(RunRequest{listPath, *startPosition, total, QString()})) {
        if (*outputFormat == ResultExport::Format::Json)
            std::printf("]\n"); // the document stays whole
        return engine.refusal() == CheckEngine::Refusal::BackupFailed ? kIncomplete : kBadInput;
    }
    QCoreApplication::exec();
    endProgressLine();
    if (*outputFormat == ResultExport::Format::Json)
        std::printf("%s]\n", printedRows > 0 ? "\n" : "");
    // The summary: on stdout after tab-separated lines, on stderr beside a CSV or JSON document.
    FILE *summary = *outputFormat == ResultExport::Format::Tsv ? stdout : stderr;
    std::fprintf(summary, "High %d, Mid %d, Low %d, Registered %d, Unchecked %d", counts[CheckOutcome::High],
                 counts[CheckOutcome::Mid], counts[CheckOutcome::Low], counts[CheckOutcome::Registered],
                 counts[CheckOutcome::Unchecked]);
    if (program.dnsFirst() && !program.proxyMode())
        std::fprintf(summary, "; %s", qPrintable(RunStatus::DnsText(engine.dnsCounts())));
    std::fprintf(summary, "\n");
    return engine.completed() && engine.everythingSaved() && !failed ? kComplete : kIncomplete;
}
