#pragma once

#include "app/BrowseState.h"
#include "gui/HarvesterWindow.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>

class Program;
class MainWindow;
class BackupNoticeWindow;
class HarvesterWindow;
class BrowseWindow;
class QWidget;
class WebBrowser;
class AboutDialog;
class GeneratorWindow;
class WhoisTableDialog;
class SplashScreen;
class WebsiteWindow;
class WhoisWindow;

// The program's windows and how they reach each other. Every window other than the main window
// is modeless, made on first use and shown; this object keeps them and does what one window
// asks of another ("open the purchase page of this name"). One instance per program; a test
// builds its own with a fake browser and a desktop opener that only records.
class ProgramWindows : public QObject
{
    Q_OBJECT
public:
    using BrowserFactory = std::function<WebBrowser *(QWidget *parent)>;
    ProgramWindows(Program &program, BrowserFactory browsers, QObject *parent = nullptr);
    ~ProgramWindows() override;

    Program &program() { return m_program; }
    const BrowserFactory &browserFactory() const { return m_browsers; }

    // The main window; made by the splash window, or by a test.
    MainWindow *mainWindow() const;
    MainWindow *CreateMainWindow();

    WebsiteWindow *website() const;
    WhoisWindow *whois() const;
    WhoisTableDialog *settings() const;
    GeneratorWindow *generator() const;
    AboutDialog *about() const;
    BackupNoticeWindow *backupNotice() const;
    HarvesterWindow *harvester() const;
    BrowseWindow *browse() const;

    SplashScreen *ShowSplash();
    // The website window, loaded (at the maker's site) when it is not open yet.
    WebsiteWindow *OpenWebsite();
    // Shows the purchase page of a name, or the whois window when buying is switched off.
    void OpenName(const QString &name);
    // The whois window of a double-click: the fixed server (or the RDAP service of the name).
    void OpenWhois(const QString &name);
    // "Whois Details…": the name's own registry, the server of its row (asked in its turn beside
    // a run) or its RDAP service.
    void OpenWhoisDetails(const QString &name);
    void OpenPurchasePage(const QString &name);
    void OpenSettings();
    void OpenGenerator();
    // The harvester for the search-engine source chosen; an unfinished one is only raised.
    void OpenHarvester();
    void setHarvestTimings(HarvestTimings timings) { m_harvestTimings = timings; }
    // The browse window, maximised; one already open is only raised.
    void OpenBrowse();
    void setBrowseTimings(BrowseTimings timings) { m_browseTimings = timings; }
    void OpenAbout();
    // Shows the help file in the website window's browser, when it exists. Once the page has
    // been displayed, it no longer opens by itself at start-up. False when there is no help file.
    bool OpenHelp();
    static QString HelpFile();
    void ShowBackupNotice();

    // Set when the main window closed while the website window was open: the program ends when
    // that window closes.
    bool endWithWebsiteWindow() const { return m_endWithWebsiteWindow; }
    // The main window closes: the other windows go, except the website window when it is
    // visible, which then ends the program when it closes. Returns whether the program ends now.
    bool MainWindowClosed();
    // Ends the program.
    void EndProgram();

    // Shows a main-sized window where it last was (kept under `name` in the settings), or the
    // first time maximised over a normal size that lies wholly on its screen.
    void ShowPlaced(QWidget *window, const QString &name);
    // Keeps where the window is now, for ShowPlaced.
    void KeepPlace(QWidget *window, const QString &name);

signals:
    void programEnding();

private:
    void ShowWhois(const QString &name, bool ownRegistry);
    Program &m_program;
    BrowserFactory m_browsers;
    QMetaObject::Connection m_helpShown; // waits for the help page to be displayed
    bool m_endWithWebsiteWindow = false;
    QPointer<MainWindow> m_main;
    QPointer<WebsiteWindow> m_website;
    QPointer<WhoisWindow> m_whois;
    QPointer<WhoisTableDialog> m_settings;
    QPointer<GeneratorWindow> m_generator;
    QPointer<AboutDialog> m_about;
    QPointer<BackupNoticeWindow> m_backupNotice;
    QPointer<HarvesterWindow> m_harvester;
    HarvestTimings m_harvestTimings;
    QPointer<BrowseWindow> m_browse;
    BrowseTimings m_browseTimings;
    QPointer<SplashScreen> m_splash;
};
