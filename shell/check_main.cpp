// orvelle-check: checks a list of names with the program's check engine, without a display.
//
//   orvelle-check [--start N] [--proxy] LIST
//
// Uses the application folder and settings store of the desktop program (ORVELLE_APP_FOLDER,
// ORVELLE_SETTINGS_DIR), runs the list from position N (default 1) to its end, and prints one
// line per name, "<list>\t<name>", where <list> is High, Mid, Low, Registered or Unchecked,
// then a summary line. Progress goes to stderr. Exit status: 0 after a complete run, 2 for bad
// input.

#include "engine/CheckEngine.h"
#include "platform/TcpSocketComponent.h"
#include "shell/AppState.h"
#include "shell/Startup.h"
#include "sources/SourceSelection.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <map>

namespace {

int Fail(const QString &message)
{
    std::fprintf(stderr, "orvelle-check: %s\n", qPrintable(message));
    return 2;
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
        QStringLiteral("Checks every name of LIST with whois and prints <list>\\t<name> for each."));
    parser.addHelpOption();
    const QCommandLineOption start(QStringLiteral("start"),
                                   QStringLiteral("First position to check (default 1)."),
                                   QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption proxy(QStringLiteral("proxy"),
                                   QStringLiteral("Send every query to the server of the \"proxy\" row."));
    const QCommandLineOption tick(QStringLiteral("tick-ms"),
                                  QStringLiteral("Length of a timer tick in ms (default 1000; for testing)."),
                                  QStringLiteral("MS"), QStringLiteral("1000"));
    parser.addOptions({start, proxy, tick});
    parser.addPositionalArgument(QStringLiteral("LIST"), QStringLiteral("The list file, one name per line."));
    if (!parser.parse(QCoreApplication::arguments()))
        return Fail(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        std::printf("%s", qPrintable(parser.helpText()));
        return 0;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return Fail(QStringLiteral("give exactly one LIST (see --help)"));
    bool ok = false;
    const int startPosition = parser.value(start).toInt(&ok);
    if (!ok || startPosition < 1)
        return Fail(QStringLiteral("--start needs a whole number of at least 1, not \"%1\"")
                        .arg(parser.value(start)));
    const int tickMs = parser.value(tick).toInt(&ok);
    if (!ok || tickMs < 1)
        return Fail(QStringLiteral("--tick-ms needs a whole number of at least 1"));
    const QString listPath = QFileInfo(positional.first()).absoluteFilePath();
    QFileInfo listInfo(listPath);
    if (!listInfo.isFile() || !listInfo.isReadable())
        return Fail(QStringLiteral("cannot read the list \"%1\"").arg(positional.first()));

    AppState state(config, AppFolder::DefaultRoot(), SettingsStore::DefaultRoot(config.companyName));
    if (!Startup::EnsureAppFolder(state))
        return Fail(QStringLiteral("cannot create the application folder \"%1\"").arg(state.folder.root()));
    Startup::EnsureDataFiles(state);
    Startup::EnsureDataFolders(state);
    if (!Startup::LoadWhoisTable(state) || state.registrars.size() == 0)
        return Fail(
            QStringLiteral("cannot read the whois server table \"%1\"").arg(state.registrarFile().path()));
    Startup::ReadProxyMode(state);
    if (parser.isSet(proxy))
        state.proxyMode = true;

    const int total = state.candidates.CountCandidates(listPath);
    state.controls.setSourcePath(listPath);
    // The start number box sets a start at or above the total back to 1; the checker starts
    // where it is asked to, so the total is put in after the start.
    state.controls.setTotal(QString::number(std::max(total, startPosition) + 1));
    state.controls.setStartNumber(QString::number(startPosition));
    state.controls.setTotal(QString::number(total));

    SourceSelection selection(state);
    CheckEngine engine(state, selection, TcpSocketComponent::Factory(), {tickMs, tickMs});
    std::map<CheckOutcome, int> counts;
    QObject::connect(&engine, &CheckEngine::nameChecked, [&](const QString &name, CheckOutcome outcome) {
        ++counts[outcome];
        std::printf("%s\t%s\n", qPrintable(CheckOutcomeName(outcome)), name.toUtf8().constData());
    });
    // Progress: the position reached, at most twice a second.
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    QObject::connect(&engine, &CheckEngine::statusTextChanged, [&](int panel, const QString &text) {
        if (panel != 1 || sinceProgress.elapsed() < 500)
            return;
        sinceProgress.restart();
        std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    QObject::connect(&engine, &CheckEngine::errorRaised, [](const QString &title, const QString &text) {
        std::fprintf(stderr, "orvelle-check: %s: %s\n", qPrintable(title),
                     qPrintable(QString(text).replace("\r\n", " ")));
    });
    QObject::connect(&engine, &CheckEngine::backupNotice, [] {
        std::fprintf(stderr,
                     "orvelle-check: a result list reached 20000 names; the lists were saved to the overflow "
                     "folder and cleared\n");
    });
    QObject::connect(&engine, &CheckEngine::runStopped, &app, &QCoreApplication::quit);
    if (!engine.Start())
        return 2;
    QCoreApplication::exec();
    std::fflush(stdout);
    std::printf("High %d, Mid %d, Low %d, Registered %d, Unchecked %d\n", counts[CheckOutcome::High],
                counts[CheckOutcome::Mid], counts[CheckOutcome::Low], counts[CheckOutcome::Registered],
                counts[CheckOutcome::Unchecked]);
    return 0;
}
