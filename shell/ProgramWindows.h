#pragma once

#include "platform/SocketComponent.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>

class AppState;
class Form1;
class Form2;
class Form8;
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
// builds its own with a fake browser, fake sockets and a desktop opener that only records.
class ProgramWindows : public QObject
{
    Q_OBJECT
public:
    using BrowserFactory = std::function<WebBrowser *(QWidget *parent)>;
    using UrlOpener = std::function<bool(const QUrl &)>;

    ProgramWindows(AppState &state, BrowserFactory browsers, SocketFactory sockets, UrlOpener openUrl,
                   QObject *parent = nullptr);
    ~ProgramWindows() override;

    AppState &state() { return m_state; }
    const BrowserFactory &browserFactory() const { return m_browsers; }
    const SocketFactory &socketFactory() const { return m_sockets; }
    const UrlOpener &urlOpener() const { return m_openUrl; }

    // The main window; made by the splash window, or by a test.
    Form1 *mainWindow() const;
    Form1 *CreateMainWindow();

    frmWebsite *website() const;
    frmWhois *whois() const;
    frmSettings *settings() const;
    frmMake *generator() const;
    frmAbout *about() const;
    Form2 *backupNotice() const;

    frmSplash *ShowSplash();
    // The website window, loaded (at the maker's site) when it is not open yet.
    frmWebsite *OpenWebsite();
    // Shows the purchase page of a name, or the whois window when buying is switched off.
    void OpenName(const QString &name);
    void OpenWhois(const QString &name);
    void OpenSettings();
    void OpenGenerator();
    void OpenAbout();
    // Loads the help launcher, which opens the help file.
    void OpenHelp();
    void ShowBackupNotice();

    // The main window closes: the other windows go, except the website window when it is
    // visible, which then ends the program when it closes. Returns whether the program ends now.
    bool MainWindowClosed();
    // Ends the program.
    void EndProgram();

    static void ShowModeless(QWidget *window);
    static void ShowMaximized(QWidget *window);

signals:
    void programEnding();

private:
    AppState &m_state;
    BrowserFactory m_browsers;
    SocketFactory m_sockets;
    UrlOpener m_openUrl;
    QPointer<Form1> m_main;
    QPointer<frmWebsite> m_website;
    QPointer<frmWhois> m_whois;
    QPointer<frmSettings> m_settings;
    QPointer<frmMake> m_generator;
    QPointer<frmAbout> m_about;
    QPointer<Form2> m_backupNotice;
    QPointer<Form8> m_help;
    QPointer<frmSplash> m_splash;
};
