#pragma once

#include "ProgramPaths.h"
#include "ProgramSettings.h"
#include "SourceSelection.h"
#include "engine/CheckEngine.h"
#include "engine/RdapBootstrap.h"
#include "engine/WhoisPhrases.h"
#include "results/DecisionLog.h"
#include "results/FiledJournal.h"
#include "results/PurchaseLink.h"
#include "results/ResultExport.h"
#include "results/ResultFiles.h"
#include "results/ResultLists.h"
#include "results/UncheckedNames.h"
#include "sources/CandidateFile.h"
#include "sources/SearchControls.h"
#include "sources/SearchEngines.h"
#include "whois_table/RegistrarFile.h"
#include "whois_table/RegistrarTable.h"

#include <QObject>
#include <QSet>

#include <optional>

// The program without its windows: configuration, folders and settings, the whois server
// table, the result lists and their files, the state of the main window's source controls, the
// source selection and the check engine. One instance per program; a test builds a fresh one
// on throw-away folders, with fake sockets if it likes.
//
//     Program program(config, AppFolder::DefaultRoot(), SettingsStore::DefaultRoot("Velquist"),
//                     TcpSocketComponent::Factory());
//     Startup::Prepare(program);
//     program.selection().Select(CandidateSourceId::FullWordList);
//     program.StartFromControls();
class Program : public QObject
{
    Q_OBJECT
public:
    Program(ProgramConfig config, const QString &appFolderRoot, const QString &settingsRoot,
            SocketFactory sockets, EngineTimings timings = {},
            ResultFiles::Clock clock = &QDateTime::currentDateTime, QObject *parent = nullptr);
    ~Program() override;

    ProgramConfig &config() { return m_config; }
    const ProgramConfig &config() const { return m_config; }
    // What the program's version record says; PurchaseLink takes its values from here.
    const ProgramConfig &versionRecord() const { return m_versionRecord; }
    ProgramConfig &versionRecord() { return m_versionRecord; }
    const ProgramPaths &paths() const { return m_paths; }
    ProgramSettings &settings() { return m_settings; }
    const SocketFactory &socketFactory() const { return m_sockets; }

    RegistrarTable &registrars() { return m_registrars; }
    RegistrarFile registrarFile() const { return RegistrarFile(m_paths.registrars()); }
    // Reloads the whois server table from its file.
    bool ReloadRegistrars();

    // How names are checked (see Startup::ReadCheckSettings): one value, copied into every run
    // and every check beside it when it starts. The setters change this value only; what is
    // stored is the settings' (ProgramSettings).
    const CheckSettings &checkSettings() const { return m_checkSettings; }
    void setCheckSettings(CheckSettings settings);
    bool proxyMode() const { return m_checkSettings.proxyMode; }
    void setProxyMode(bool on);
    bool dnsFirst() const { return m_checkSettings.dnsFirst; }
    void setDnsFirst(bool on);
    void setControlQueries(bool on) { m_checkSettings.controlQueries = on; }
    void setExtensions(const QStringList &extensions);
    // Whether who decided each shown name is kept for the export (Export Results...); a caller
    // that writes each name's row as it is decided (orvelle-check) has no use for it.
    void setKeepsDecisions(bool on) { m_keepsDecisions = on; }
    // The user's limits per whois host, and the DNS servers ("host:port, ..."; empty: the
    // system's), from text; with text they cannot read, false and what was wrong, and nothing
    // changes.
    bool SetHostLimits(const QString &text, QString *error = nullptr);
    bool SetDnsServers(const QString &servers, QString *error = nullptr);
    // The checks of the names of a window beside the runs (the browse window, the details).
    NameCheck MakeNameCheck(const CheckSettings &settings) const;
    // The RDAP services of extensions without a whois row (see Startup::LoadRdapBootstrap).
    const RdapBootstrap &rdapBootstrap() const { return m_rdapBootstrap; }
    void setRdapBootstrap(RdapBootstrap bootstrap) { m_rdapBootstrap = std::move(bootstrap); }
    // How whois replies are read: the shipped phrase table and the user's additions (see
    // Startup::LoadWhoisPhrases).
    const WhoisPhrases &phrases() const { return m_phrases; }
    void setPhrases(WhoisPhrases phrases) { m_phrases = std::move(phrases); }

    // The search engines the harvester reads (see Startup::LoadSearchEngines); the source list
    // shows the ones beyond its nine sources.
    const QList<SearchEngineRow> &searchEngines() const { return m_searchEngines; }
    void setSearchEngines(QList<SearchEngineRow> rows);
    // The row of an engine by its caption, its base address pointed at a test server when the
    // configuration says so; nothing for an unknown caption.
    std::optional<SearchEngineRow> SearchEngine(const QString &caption) const;
    // Engines that sent a challenge: they are asked again only when the user says so.
    bool isChallenged(const QString &caption) const { return m_challenged.contains(caption); }
    void setChallenged(const QString &caption, bool challenged);

    ResultLists &results() { return m_results; }
    ResultFiles &resultFiles() { return m_resultFiles; }
    UncheckedNames &unchecked() { return m_unchecked; }
    FiledJournal &journal() { return m_journal; }
    SearchControls &controls() { return m_controls; }
    CandidateFile &candidates() { return m_candidates; }
    SourceSelection &selection() { return m_selection; }
    CheckEngine &engine() { return m_engine; }
    // Keeps the queries counted against the hosts' quotas in the settings (a run's end does it
    // too; the browse and details windows' queries since then are kept at the program's end).
    bool StoreQuota();

    // The name last opened from a result list.
    const QString &currentDomain() const { return m_currentDomain; }
    void setCurrentDomain(const QString &name) { m_currentDomain = name; }
    // The position of the last run, as read at start-up.
    qint64 startupPosition() const { return m_startupPosition; }
    void setStartupPosition(qint64 position) { m_startupPosition = position; }

    // The run the source controls ask for: their list, start number and total. Nothing (with
    // an error) when the start number or total is not a whole number.
    std::optional<RunRequest> RequestFromControls();

    // Every name of the five lists and of "Unchecked.txt", with who decided it and when (for
    // names decided while the program ran).
    QList<ExportRow> ExportRows() const;
    // Writes them as CSV or JSON, by the file's suffix; false with what went wrong.
    bool ExportResults(const QString &path, QString *error = nullptr) const;
    // Starts a run of the engine with the check settings of this moment.
    bool Start(RunRequest request);
    // "Start" as the main window's button does it: a run from the source controls.
    bool StartFromControls();

signals:
    // A failure the user is to hear of, from the program or its engine.
    void errorRaised(const QString &title, const QString &text);

private:
    void RememberDecision(const ExportRow &row);

    ProgramConfig m_config;
    ProgramConfig m_versionRecord;
    ProgramPaths m_paths;
    ProgramSettings m_settings;
    SocketFactory m_sockets;
    RegistrarTable m_registrars;
    CheckSettings m_checkSettings;
    ResultLists m_results;
    ResultFiles m_resultFiles;
    UncheckedNames m_unchecked;
    FiledJournal m_journal;
    SearchControls m_controls;
    CandidateFile m_candidates;
    RdapBootstrap m_rdapBootstrap;
    WhoisPhrases m_phrases = WhoisPhrases::Shipped();
    QList<SearchEngineRow> m_searchEngines;
    QSet<QString> m_challenged;
    CheckEngine m_engine;
    SourceSelection m_selection;
    QString m_currentDomain;
    qint64 m_startupPosition = 0;
    ResultFiles::Clock m_wallClock;
    DecisionLog m_decisions; // of the names decided while the program runs, still shown
    bool m_keepsDecisions = true;
    qsizetype m_shownAtCompaction = 0;
};
