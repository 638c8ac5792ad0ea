#include "Startup.h"

#include "AppState.h"
#include "OrvelleConfig.h"
#include "platform/TextFile.h"
#include "results/xcopyFile.h"
#include "results/xdirExists.h"
#include "results/xfileExists.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace Startup {

const char *const kWordListFiles[4] = {"FullWordList.txt", "AllTwoLetter.txt", "AllThreeLetter.txt",
                                       "AllFourLetter.txt"};

bool EnsureAppFolder(AppState &state)
{
    return state.folder.EnsureExists();
}

void EnsureDataFiles(AppState &state)
{
    for (const char *name :
         {"\\BrowserSearch.txt", "\\Appends.txt", "\\CreatedDomains.txt", "\\Remembered.txt"}) {
        const QString path = state.folder.Join(QLatin1String(name));
        if (!xfileExists(path))
            TextFile::Append(path, QStringLiteral("\r\n"));
    }
}

void EnsureDataFolders(AppState &state)
{
    for (const char *name : {"\\backups", "\\overflow", "\\wordlists", "\\searches"}) {
        const QString path = state.folder.Join(QLatin1String(name));
        if (!xdirExists(path))
            QDir().mkpath(path);
    }
}

bool LoadWhoisTable(AppState &state)
{
    const RegistrarFile file = state.registrarFile();
    file.WriteDefaultRegistrars(false);
    return file.LoadRegistrarTable(state.registrars);
}

void ReadRunPosition(AppState &state)
{
    state.runPosition =
        state.ReadSetting(AppState::kPositionsApp, QStringLiteral("wordNumber"), QStringLiteral("0")).toInt();
}

void ReadProxyMode(AppState &state)
{
    state.proxyMode = state.ReadSetting(state.productApp(), QStringLiteral("chkProxy"), QStringLiteral("0"))
                          .trimmed()
                          .toInt() != 0;
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

void InstallWordLists(AppState &state, const QString &shippedFolder)
{
    const QString target = state.folder.Join(QStringLiteral("\\Wordlists"));
    if (!xdirExists(target))
        QDir().mkpath(target);
    for (const char *name : kWordListFiles) {
        const QString destination = state.folder.Join(QStringLiteral("\\Wordlists\\") + QLatin1String(name));
        const QString source = shippedFolder + QStringLiteral("/wordlists/") + QLatin1String(name);
        if (!xfileExists(destination) && QFileInfo::exists(source))
            xcopyFile(source, destination);
    }
}

} // namespace Startup
