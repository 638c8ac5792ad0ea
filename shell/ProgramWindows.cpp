#include "ProgramWindows.h"

#include "AppState.h"
#include "Form1.h"
#include "Form2.h"
#include "Form8.h"
#include "Startup.h"
#include "frmAbout.h"
#include "frmSplash.h"
#include "frmWebsite.h"
#include "frmWhois.h"
#include "platform/WebBrowser.h"
#include "results/PurchaseLink.h"
#include "sources/frmMake.h"
#include "whois_table/frmSettings.h"

#include <QApplication>
#include <QScreen>

ProgramWindows::ProgramWindows(AppState &state, BrowserFactory browsers, SocketFactory sockets,
                               UrlOpener openUrl, QObject *parent)
    : QObject(parent), m_state(state), m_browsers(std::move(browsers)), m_sockets(std::move(sockets)),
      m_openUrl(std::move(openUrl))
{
}

ProgramWindows::~ProgramWindows()
{
    for (QWidget *window : std::initializer_list<QWidget *>{
             m_website, m_whois, m_settings, m_generator, m_about, m_backupNotice, m_help, m_splash, m_main})
        delete window;
}

Form1 *ProgramWindows::mainWindow() const
{
    return m_main;
}
frmWebsite *ProgramWindows::website() const
{
    return m_website;
}
frmWhois *ProgramWindows::whois() const
{
    return m_whois;
}
frmSettings *ProgramWindows::settings() const
{
    return m_settings;
}
frmMake *ProgramWindows::generator() const
{
    return m_generator;
}
frmAbout *ProgramWindows::about() const
{
    return m_about;
}
Form2 *ProgramWindows::backupNotice() const
{
    return m_backupNotice;
}

void ProgramWindows::ShowMaximized(QWidget *window)
{
    // A desktop without a window manager does not maximise by itself.
    if (QScreen *screen = window->screen())
        window->setGeometry(screen->availableGeometry());
    window->showMaximized();
}

void ProgramWindows::ShowModeless(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

Form1 *ProgramWindows::CreateMainWindow()
{
    if (!m_main) {
        m_main = new Form1(m_state, *this);
        m_main->Load();
    }
    return m_main;
}

frmSplash *ProgramWindows::ShowSplash()
{
    m_state.endWithWebsiteWindow = false;
    PurchaseLink(m_state.config, m_state.versionRecord);
    if (!m_splash) {
        m_splash = new frmSplash(m_state.config.productName);
        connect(m_splash, &frmSplash::countdownFinished, this, [this] { ShowMaximized(CreateMainWindow()); });
    }
    m_splash->show();
    m_splash->Start();
    return m_splash;
}

frmWebsite *ProgramWindows::OpenWebsite()
{
    if (!m_website) {
        PurchaseLink(m_state.config, m_state.versionRecord);
        WebBrowser *browser = m_browsers(nullptr);
        m_website = new frmWebsite(m_state, browser);
        m_website->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_website, &frmWebsite::closed, this, [this] {
            if (m_state.endWithWebsiteWindow)
                EndProgram();
        });
        m_website->Load();
        ShowMaximized(m_website);
    }
    ShowModeless(m_website);
    return m_website;
}

void ProgramWindows::OpenName(const QString &name)
{
    m_state.currentDomain = name;
    if (m_state.config.purchaseOnDoubleClick)
        OpenWebsite()->Navigate(PurchaseAddress(m_state.config, name));
    else
        OpenWhois(name);
}

void ProgramWindows::OpenWhois(const QString &name)
{
    delete m_whois; // there is never more than one whois window
    m_whois = new frmWhois(name, m_state.config.whoisDetailHost, m_state.config.whoisDetailPort, m_sockets());
    ShowModeless(m_whois);
    m_whois->Load();
}

void ProgramWindows::OpenSettings()
{
    if (!m_settings)
        m_settings = new frmSettings(m_state);
    ShowModeless(m_settings);
}

void ProgramWindows::OpenGenerator()
{
    if (!m_generator) {
        m_generator = new frmMake(m_state);
        m_generator->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_generator, &frmMake::searchRequested, this, [this] {
            if (m_main)
                m_main->engine().Start();
        });
    }
    ShowModeless(m_generator);
}

void ProgramWindows::OpenAbout()
{
    if (!m_about) {
        m_about = new frmAbout(m_state);
        connect(m_about, &frmAbout::websiteClicked, this, [this] { OpenWebsite(); });
    }
    ShowModeless(m_about);
}

void ProgramWindows::OpenHelp()
{
    if (!m_help)
        m_help = new Form8(m_state, Startup::ShippedDataFolder() + QStringLiteral("/Help.html"), m_openUrl);
    m_help->OpenHelpFile();
}

void ProgramWindows::ShowBackupNotice()
{
    if (!m_backupNotice)
        m_backupNotice = new Form2;
    ShowModeless(m_backupNotice);
}

bool ProgramWindows::MainWindowClosed()
{
    for (QWidget *window :
         std::initializer_list<QWidget *>{m_backupNotice, m_help, m_generator, m_splash, m_whois}) {
        if (window)
            window->close();
    }
    if (m_website && m_website->isVisible()) {
        m_state.endWithWebsiteWindow = true;
        return false;
    }
    return true;
}

void ProgramWindows::EndProgram()
{
    emit programEnding();
    for (QWidget *window : std::initializer_list<QWidget *>{m_website, m_settings, m_about, m_main}) {
        if (window)
            window->hide();
    }
    QCoreApplication::quit();
}
