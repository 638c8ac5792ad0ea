#include "ProgramWindows.h"

#include "AboutDialog.h"
#include "BackupNoticeWindow.h"
#include "MainWindow.h"
#include "SplashScreen.h"
#include "WebsiteWindow.h"
#include "WhoisWindow.h"
#include "Widgets.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "gui/BrowseWindow.h"
#include "gui/GeneratorWindow.h"
#include "gui/WhoisTableDialog.h"
#include "engine/HostTurn.h"
#include "platform/WebBrowser.h"
#include "results/PurchaseLink.h"

#include <QComboBox>
#include <QApplication>
#include <QFileInfo>
#include <QScreen>

using Widgets::ShowCentredOver;
using Widgets::ShowModeless;

ProgramWindows::ProgramWindows(Program &program, BrowserFactory browsers, QObject *parent)
    : QObject(parent), m_program(program), m_browsers(std::move(browsers))
{
}

ProgramWindows::~ProgramWindows()
{
    for (QWidget *window :
         std::initializer_list<QWidget *>{m_browse, m_harvester, m_website, m_whois, m_settings, m_generator,
                                          m_about, m_backupNotice, m_splash, m_main})
        delete window;
}

MainWindow *ProgramWindows::mainWindow() const
{
    return m_main;
}
WebsiteWindow *ProgramWindows::website() const
{
    return m_website;
}
WhoisWindow *ProgramWindows::whois() const
{
    return m_whois;
}
WhoisTableDialog *ProgramWindows::settings() const
{
    return m_settings;
}
GeneratorWindow *ProgramWindows::generator() const
{
    return m_generator;
}
AboutDialog *ProgramWindows::about() const
{
    return m_about;
}
BackupNoticeWindow *ProgramWindows::backupNotice() const
{
    return m_backupNotice;
}
HarvesterWindow *ProgramWindows::harvester() const
{
    return m_harvester;
}
BrowseWindow *ProgramWindows::browse() const
{
    return m_browse;
}

void ProgramWindows::ShowPlaced(QWidget *window, const QString &name)
{
    // Where the window was when it last closed (Qt moves it onto a screen if that one is gone);
    // the first time, maximised over a normal size that lies wholly on the screen, title bar
    // included, so that un-maximising never leaves it above the screen.
    const QByteArray saved = m_program.settings().WindowGeometry(name);
    if (saved.isEmpty() || !window->restoreGeometry(saved)) {
        if (QScreen *screen = window->screen()) {
            const QRect area = screen->availableGeometry();
            const QSize size =
                (area.size() * 0.85).expandedTo(window->minimumSize()).boundedTo(area.size());
            window->resize(size);
            window->move(area.center() - QPoint(size.width() / 2, size.height() / 2)); // the frame's place
        }
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
    }
    window->show();
}

void ProgramWindows::KeepPlace(QWidget *window, const QString &name)
{
    m_program.settings().SetWindowGeometry(name, window->saveGeometry());
}

MainWindow *ProgramWindows::CreateMainWindow()
{
    if (!m_main) {
        m_main = new MainWindow(m_program, *this);
        m_main->Load();
    }
    return m_main;
}

SplashScreen *ProgramWindows::ShowSplash()
{
    m_endWithWebsiteWindow = false;
    PurchaseLink(m_program.config(), m_program.versionRecord());
    if (!m_splash) {
        m_splash = new SplashScreen(m_program.config().productName);
        connect(m_splash, &SplashScreen::countdownFinished, this,
                [this] { ShowPlaced(CreateMainWindow(), QStringLiteral("main")); });
    }
    m_splash->show();
    m_splash->Start();
    return m_splash;
}

WebsiteWindow *ProgramWindows::OpenWebsite()
{
    if (!m_website) {
        PurchaseLink(m_program.config(), m_program.versionRecord());
        WebBrowser *browser = m_browsers(nullptr);
        m_website = new WebsiteWindow(m_program.config(), browser);
        m_website->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_website, &WebsiteWindow::closed, this, [this] {
            KeepPlace(m_website, QStringLiteral("website"));
            if (m_endWithWebsiteWindow)
                EndProgram();
        });
        m_website->Load();
        ShowPlaced(m_website, QStringLiteral("website"));
    }
    ShowModeless(m_website);
    return m_website;
}

void ProgramWindows::OpenName(const QString &name)
{
    m_program.setCurrentDomain(name);
    if (m_program.config().purchaseOnDoubleClick)
        OpenPurchasePage(name);
    else
        OpenWhois(name);
}

void ProgramWindows::OpenPurchasePage(const QString &name)
{
    OpenWebsite()->Navigate(PurchaseAddress(m_program.config(), name));
}

void ProgramWindows::OpenWhois(const QString &name)
{
    ShowWhois(name, false);
}

void ProgramWindows::OpenWhoisDetails(const QString &name)
{
    ShowWhois(name, true);
}

void ProgramWindows::ShowWhois(const QString &name, bool ownRegistry)
{
    delete m_whois; // there is never more than one whois window
    const ProgramConfig &config = m_program.config();
    CheckSettings settings = m_program.checkSettings();
    settings.proxyMode = ownRegistry && settings.proxyMode; // the fixed server is no proxy's
    const CheckedName route = m_program.MakeNameCheck(settings).Prepare(name);
    const bool whoisRow = !route.problem && !route.isRdap();
    m_whois = ownRegistry && whoisRow
                  ? new WhoisWindow(name, route.host, route.port, m_program.socketFactory()())
                  : new WhoisWindow(name, config.whoisDetailHost, config.whoisDetailPort, m_program.socketFactory()());
    CheckEngine &engine = m_program.engine();
    // A registry that answers RDAP instead of whois is asked there.
    if (!route.rdapBase.isEmpty())
        m_whois->setRdapService(route.rdapBase);
    else if (ownRegistry && whoisRow)
        m_whois->setTurn(std::make_unique<HostTurn>(engine.pacer(), engine.clock(), route.host));
    if (whoisRow) {
        m_whois->setJudge([check = m_program.MakeNameCheck(settings), route](const QByteArray &reply) {
            return check.JudgeReply(reply, route);
        });
    }
    else if (ownRegistry && route.problem == CheckedName::Problem::NoServer)
        m_whois->setNoServer(route.reason);
    m_whois->setDnsFirst(m_program.checkSettings());
    ShowModeless(m_whois);
    m_whois->Load();
}

void ProgramWindows::OpenSettings()
{
    if (!m_settings)
        m_settings = new WhoisTableDialog(m_program);
    ShowCentredOver(m_settings, m_main);
}

void ProgramWindows::OpenGenerator()
{
    if (!m_generator) {
        m_generator = new GeneratorWindow(m_program);
        m_generator->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_generator, &GeneratorWindow::searchRequested, this, [this] {
            if (m_main)
                m_main->runs().Start();
        });
    }
    ShowCentredOver(m_generator, m_main);
}

void ProgramWindows::OpenHarvester()
{
    if (m_harvester && !m_harvester->isFinished()) {
        ShowModeless(m_harvester);
        return;
    }
    const std::optional<CandidateSourceId> source = m_program.controls().source();
    if (!source || CandidateSources::Get(*source).kind != SourceKind::SearchEngine)
        return;
    m_harvester = new HarvesterWindow(m_program, m_browsers(nullptr), m_harvestTimings, m_main);
    m_harvester->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_harvester, &HarvesterWindow::solveRequested, this, [this](const QString &address) {
        // The browse window shares the harvester's cookies: a challenge solved there lets the
        // harvest continue.
        OpenBrowse();
        m_browse->m_addressBox->setEditText(address);
        m_browse->Command1_Click();
    });
    connect(m_harvester, &HarvesterWindow::startRequested, this, [this](CandidateSourceId harvested) {
        if (m_main)
            m_main->runs().StartIfSourceIs(harvested);
    });
    // While the harvest runs, its source and term stay as they are, and no run starts.
    SearchControls &controls = m_program.controls();
    for (const auto control :
         {SearchControls::SourceList, SearchControls::StartNumber, SearchControls::StartButton,
          SearchControls::SearchText, SearchControls::HarvestSize, SearchControls::SearchButton})
        controls.setEnabled(control, false);
    connect(m_harvester, &HarvesterWindow::harvestEnded, this, [this] {
        if (m_program.engine().isRunning())
            return;
        m_program.controls().setEnabled(SearchControls::SourceList, true);
        m_program.selection().Reapply();
    });
    ShowCentredOver(m_harvester, m_main);
    m_harvester->Load();
}

void ProgramWindows::OpenBrowse()
{
    if (m_browse) {
        ShowModeless(m_browse);
        return;
    }
    m_browse = new BrowseWindow(m_program, m_browsers(nullptr), m_browsers(nullptr), m_browseTimings);
    m_browse->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_browse, &BrowseWindow::nameOpened, this, &ProgramWindows::OpenName);
    connect(m_browse, &BrowseWindow::whoisRequested, this, &ProgramWindows::OpenWhoisDetails);
    connect(m_browse, &BrowseWindow::purchaseRequested, this, &ProgramWindows::OpenPurchasePage);
    connect(&m_browse->state(), &BrowseState::backupNotice, this, &ProgramWindows::ShowBackupNotice);
    connect(&m_browse->state(), &BrowseState::errorRaised, this,
            [this](const QString &title, const QString &text) {
                if (m_main)
                    m_main->ShowError(title, text);
            });
    connect(m_browse, &BrowseWindow::closing, this, [this] { KeepPlace(m_browse, QStringLiteral("browse")); });
    m_browse->Load();
    ShowPlaced(m_browse, QStringLiteral("browse"));
}

void ProgramWindows::OpenAbout()
{
    if (!m_about) {
        m_about = new AboutDialog(m_program.config());
        connect(m_about, &AboutDialog::websiteClicked, this, [this] { OpenWebsite(); });
    }
    ShowCentredOver(m_about, m_main);
}

QString ProgramWindows::HelpFile()
{
    return Startup::ShippedDataFolder() + QStringLiteral("/Help.html");
}

bool ProgramWindows::OpenHelp()
{
    if (!QFileInfo(HelpFile()).isFile())
        return false;
    const QUrl help = QUrl::fromLocalFile(QFileInfo(HelpFile()).absoluteFilePath());
    WebsiteWindow *website = OpenWebsite();
    // Shown at start-up until the page was really displayed, not merely asked for.
    disconnect(m_helpShown);
    m_helpShown = connect(website->m_browser, &WebBrowser::DocumentComplete, this,
                          [this, help, browser = website->m_browser](const QString &address) {
                              if (QUrl(address) != help || !browser->BodyMarkup())
                                  return;
                              disconnect(m_helpShown);
                              m_program.settings().SetShowHelp(false);
                          });
    website->Navigate(help.toString());
    return true;
}

void ProgramWindows::ShowBackupNotice()
{
    if (!m_backupNotice)
        m_backupNotice = new BackupNoticeWindow(m_program.paths().overflow());
    ShowCentredOver(m_backupNotice, m_main);
}

bool ProgramWindows::MainWindowClosed()
{
    if (m_main)
        KeepPlace(m_main, QStringLiteral("main"));
    for (QWidget *window : std::initializer_list<QWidget *>{m_backupNotice, m_harvester, m_browse,
                                                            m_generator, m_splash, m_whois}) {
        if (window)
            window->close();
    }
    if (m_website && m_website->isVisible()) {
        m_endWithWebsiteWindow = true;
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
