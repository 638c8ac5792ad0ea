#pragma once

#include "engine/CandidateFile.h"
#include "platform/AppFolder.h"
#include "platform/SettingsStore.h"
#include "results/PurchaseLink.h"
#include "results/ResultFiles.h"
#include "results/ResultLists.h"
#include "sources/SearchControls.h"
#include "whois_table/RegistrarFile.h"
#include "whois_table/RegistrarTable.h"

#include <QObject>

// The program-wide state that the windows and the engine share: configuration values, the
// application folder and settings store, the whois server table and proxy switch, the result
// lists and their files, the main window's source controls, and the few values one window
// hands to another. One instance per program (a test builds its own).
class AppState : public QObject
{
    Q_OBJECT
public:
    AppState(ProgramConfig config, const QString &appFolderRoot, const QString &settingsRoot,
             ResultFiles::Clock clock = &QDateTime::currentDateTime, QObject *parent = nullptr);

    // Application names of the settings store: "Velquist" keeps the run positions, the product
    // name keeps the generator's choices, the proxy switch and the help flag.
    static const QString kPositionsApp;
    static const QString kSection;
    QString productApp() const { return config.productName; }

    QString ReadSetting(const QString &application, const QString &key, const QString &defaultValue) const;
    bool WriteSetting(const QString &application, const QString &key, const QString &value);

    RegistrarFile registrarFile() const
    {
        return RegistrarFile(folder.Join(QStringLiteral("\\registrars.txt")));
    }
    // Reloads the whois server table from its file.
    bool ReloadRegistrars();
    void setProxyMode(bool on);

    ProgramConfig config;
    // What the program's version record says; PurchaseLink takes its values from here.
    ProgramConfig versionRecord;
    AppFolder folder;
    SettingsStore settings;
    RegistrarTable registrars;
    bool proxyMode = false;
    QString defaultExtension = QStringLiteral(".com");
    QString currentDomain;
    bool endWithWebsiteWindow = false;
    int runPosition = 0; // the position read from "wordNumber" at start-up

    ResultLists results;
    ResultFiles resultFiles;
    SearchControls controls;
    CandidateFile candidates;
};
