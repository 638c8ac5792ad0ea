#include "Startup.h"

#include "OrvelleConfig.h"
#include "Program.h"
#include "platform/FileUtilities.h"
#include "platform/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace Startup {

const char *const kWordListFiles[4] = {"FullWordList.txt", "AllTwoLetter.txt", "AllThreeLetter.txt",
                                       "AllFourLetter.txt"};

bool EnsureAppFolder(Program &program)
{
    return program.paths().folder().EnsureExists();
}

void EnsureDataFiles(Program &program)
{
    for (const QString &name : ProgramPaths::DataFiles()) {
        const QString path = program.paths().Join(name);
        if (!FileExists(path))
            TextFile::Append(path, QStringLiteral("\r\n"));
    }
}

void EnsureDataFolders(Program &program)
{
    for (const QString &name : ProgramPaths::DataFolders()) {
        const QString path = program.paths().Join(name);
        if (!DirectoryExists(path))
            QDir().mkpath(path);
    }
}

bool LoadWhoisTable(Program &program)
{
    const RegistrarFile file = program.registrarFile();
    file.WriteDefaultRegistrars(false);
    file.RemoveDuplicateRows();
    return file.LoadRegistrarTable(program.registrars());
}

void ReadRunPosition(Program &program)
{
    program.setStartupPosition(program.settings().RunPosition());
}

QString LoadRdapBootstrap(Program &program, const QString &shippedFolder)
{
    QString problem;
    const QString own = program.paths().Join(QStringLiteral("\\rdap-bootstrap.json"));
    if (QFileInfo::exists(own)) {
        QString error;
        const std::optional<QByteArray> bytes = TextFile::ReadBytes(own);
        std::optional<RdapBootstrap> bootstrap = bytes ? RdapBootstrap::Parse(*bytes, &error) : std::nullopt;
        if (bootstrap) {
            program.setRdapBootstrap(std::move(*bootstrap));
            return QString();
        }
        problem = QStringLiteral("The RDAP bootstrap file \"%1\" cannot be read (%2); the one shipped with "
                                 "the program is used.")
                      .arg(own, bytes ? error : QStringLiteral("the file cannot be opened"));
    }
    const std::optional<QByteArray> shipped =
        TextFile::ReadBytes(shippedFolder + QStringLiteral("/rdap-bootstrap.json"));
    std::optional<RdapBootstrap> bootstrap = shipped ? RdapBootstrap::Parse(*shipped) : std::nullopt;
    program.setRdapBootstrap(bootstrap ? std::move(*bootstrap) : RdapBootstrap());
    return problem;
}

namespace {

// The lines of a file of the user's that cannot be read, a few of them shown.
QString UnreadLines(const QString &what, const QString &path, const QStringList &problems)
{
    if (problems.isEmpty())
        return QString();
    constexpr qsizetype kShown = 5;
    QString shown = problems.mid(0, kShown).join(QStringLiteral("\n"));
    if (problems.size() > kShown)
        shown += QStringLiteral("\n(%1 more)").arg(problems.size() - kShown);
    return QStringLiteral("Some lines of the %1 \"%2\" cannot be read; they are passed over:\n%3")
        .arg(what, path, shown);
}

// The text of a file of the user's in the application folder, when there is one.
std::optional<QString> OwnFile(Program &program, const QString &name, QStringList &problems)
{
    const QString own = program.paths().Join(QStringLiteral("\\") + name);
    if (!QFileInfo::exists(own))
        return std::nullopt;
    std::optional<QString> text = TextFile::ReadAll(own);
    if (!text)
        problems << QStringLiteral("the file cannot be opened");
    return text;
}

} // namespace

QString LoadWhoisPhrases(Program &program)
{
    WhoisPhrases phrases = WhoisPhrases::Shipped();
    const QString name = QStringLiteral("whois-phrases.txt");
    QStringList problems;
    if (const std::optional<QString> text = OwnFile(program, name, problems))
        phrases.Add(*text, name, &problems);
    program.setPhrases(std::move(phrases));
    return UnreadLines(QStringLiteral("phrase file"), program.paths().Join(QStringLiteral("\\") + name), problems);
}

QString LoadWhoisLimits(Program &program)
{
    const QString name = QStringLiteral("whois-limits.txt");
    QStringList problems;
    QHash<QString, HostLimit> limits;
    if (const std::optional<QString> text = OwnFile(program, name, problems))
        limits = ParseLimitsTable(*text, name, &problems);
    program.engine().pacer().setFileLimits(limits);
    return UnreadLines(QStringLiteral("limits file"), program.paths().Join(QStringLiteral("\\") + name), problems);
}

QString LoadSearchEngines(Program &program)
{
    const QString name = QStringLiteral("search-engines.txt");
    QStringList problems;
    QList<SearchEngineRow> own;
    if (const std::optional<QString> text = OwnFile(program, name, problems))
        own = SearchEngines::Parse(*text, name, &problems);
    program.setSearchEngines(SearchEngines::Merge(SearchEngines::BuiltIn(), own));
    return UnreadLines(QStringLiteral("search engine table"), program.paths().Join(QStringLiteral("\\") + name),
                       problems);
}

QString ReadCheckSettings(Program &program)
{
    QStringList problems;
    program.setCheckSettings(program.settings().ReadCheckSettings(&problems));
    return problems.join(QLatin1Char('\n'));
}

bool Prepare(Program &program, QStringList *problems)
{
    if (!EnsureAppFolder(program))
        return false;
    EnsureDataFiles(program);
    EnsureDataFolders(program);
    LoadWhoisTable(program);
    for (const QString &problem : {ReadCheckSettings(program), LoadRdapBootstrap(program, ShippedDataFolder()),
                                   LoadWhoisPhrases(program), LoadWhoisLimits(program),
                                   LoadSearchEngines(program)}) {
        if (problem.isEmpty())
            continue;
        if (problems)
            problems->append(problem);
        else
            qWarning("%s", qPrintable(problem));
    }
    return true;
}

QString ShippedDataFolder()
{
    const QString fromEnvironment = qEnvironmentVariable("ORVELLE_DATA_DIR");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QString installed =
        QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../share/orvelle"));
    if (QFileInfo(installed + QStringLiteral("/wordlists")).isDir())
        return QDir::cleanPath(installed);
    return QStringLiteral(ORVELLE_BUILD_DATA_DIR);
}

void InstallWordLists(Program &program, const QString &shippedFolder)
{
    const QString target = program.paths().Join(QStringLiteral("\\Wordlists"));
    if (!DirectoryExists(target))
        QDir().mkpath(target);
    for (const char *name : kWordListFiles) {
        const QString destination =
            program.paths().Join(QStringLiteral("\\Wordlists\\") + QLatin1String(name));
        const QString source = shippedFolder + QStringLiteral("/wordlists/") + QLatin1String(name);
        if (!FileExists(destination) && QFileInfo::exists(source))
            CopyFileOver(source, destination);
    }
}

} // namespace Startup
