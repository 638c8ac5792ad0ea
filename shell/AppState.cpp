#include "AppState.h"

const QString AppState::kPositionsApp = QStringLiteral("Velquist");
const QString AppState::kSection = QStringLiteral("Settings");

AppState::AppState(ProgramConfig programConfig, const QString &appFolderRoot, const QString &settingsRoot,
                   ResultFiles::Clock clock, QObject *parent)
    : QObject(parent), config(std::move(programConfig)), versionRecord(config), folder(appFolderRoot),
      settings(settingsRoot), resultFiles(folder, std::move(clock))
{
    results.setRememberedPath(folder.Join(QStringLiteral("\\Remembered.txt")));
}

QString AppState::ReadSetting(const QString &application, const QString &key,
                              const QString &defaultValue) const
{
    return settings.ReadSetting(application, kSection, key, defaultValue);
}

bool AppState::WriteSetting(const QString &application, const QString &key, const QString &value)
{
    return settings.WriteSetting(application, kSection, key, value);
}

bool AppState::ReloadRegistrars()
{
    return registrarFile().LoadRegistrarTable(registrars);
}

void AppState::setProxyMode(bool on)
{
    proxyMode = on;
    WriteSetting(productApp(), QStringLiteral("chkProxy"), on ? QStringLiteral("1") : QStringLiteral("0"));
}
