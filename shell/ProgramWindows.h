#pragma once

#include "browse/BrowseState.h"
#include "sources/Form3.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>

class Program;
class Form1;
class Form2;
class Form3;
class Form5;
class QWidget;
class WebBrowser;
class frmAbout;
class frmMake;
class frmSettings;
class frmSplash;
class frmWebsite;
class frmWhois;

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
    Form1 *mainWindow() const;
    Form1 *CreateMainWindow();

    frmWebsite *website() const;
    frmWhois *whois() const;
    frmSettings *settings() const;
    frmMake *generator() const;
    frmAbout *about() const;
    Form2 *backupNotice() const;
    Form3 *harvester() const;
    Form5 *browse() const;

    frmSplash *ShowSplash();
    // The website window, loaded (at the maker's site) when it is not open yet.
    frmWebsite *OpenWebsite();
    // Shows the purchase page of a name, or the whois window when buying is switched off.
    void OpenName(const QString &name);
    void OpenWhois(const QString &name);
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

    static void ShowMaximized(QWidget *window);

signals:
    void programEnding();

private:
    Program &m_program;
    BrowserFactory m_browsers;
    QMetaObject::Connection m_helpShown; // waits for the help page to be displayed
    bool m_endWithWebsiteWindow = false;
    QPointer<Form1> m_main;
    QPointer<frmWebsite> m_website;
    QPointer<frmWhois> m_whois;
    QPointer<frmSettings> m_settings;
    QPointer<frmMake> m_generator;
    QPointer<frmAbout> m_about;
    QPointer<Form2> m_backupNotice;
    QPointer<Form3> m_harvester;
    HarvestTimings m_harvestTimings;
    QPointer<Form5> m_browse;
    BrowseTimings m_browseTimings;
    QPointer<frmSplash> m_splash;
};
