#include "MainWindow.h"

#include "ExtensionsDialog.h"
#include "Pictures.h"
#include "ProgramWindows.h"
#include "Widgets.h"
#include "app/Program.h"
#include "app/RunStatus.h"
#include "app/Startup.h"
#include "engine/Filing.h"
#include "gui/ResultListView.h"
#include "results/ProfileClass.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QToolButton>

using Widgets::kTwipsPerPixel;
using Widgets::NamedLabel;
using Widgets::NamedLineEdit;
using Widgets::PictureButton;
using Widgets::PlaceInTwips;
using Widgets::ToPixels;

MainWindow::MainWindow(Program &program, ProgramWindows &windows, QWidget *parent)
    : QMainWindow(parent), m_program(program), m_windows(windows), m_runs(program)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Velquist - Domain Name Manager"));
    setWindowIcon(QIcon(ProgramEmblem(64)));
    QFont font = this->font();
    font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    setFont(font);

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    setCentralWidget(central);
    BuildMenus();
    BuildSourceFrame();
    BuildListsFrame();
    BuildStatusBar();
    ConnectState();
    ShowControls();
    resize(1024, 720);

    m_program.selection().setHooks({
        [this](const QString &startFolder, SourceSelection::ChosenList chosen) {
            ChooseCustomList(startFolder, std::move(chosen));
        },
        [this] { m_windows.OpenGenerator(); },
        [this] { m_windows.OpenBrowse(); },
    });
}

MainWindow::~MainWindow()
{
    m_program.selection().setHooks({});
}

ResultListView *MainWindow::ListView(ResultList list) const
{
    return m_lists.at(static_cast<size_t>(ControlIndex(list)));
}

void MainWindow::BuildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    file->addAction(QStringLiteral("Export Results\u2026"), this, &MainWindow::ExportResults)
        ->setObjectName(QStringLiteral("mnuFileExport"));
    QAction *exit = file->addAction(QStringLiteral("Exit"), this, &QWidget::close);
    exit->setObjectName(QStringLiteral("mnuFileExit"));

    QMenu *edit = menuBar()->addMenu(QStringLiteral("Edit"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    const QStringList editCaptions = {"Clear High/Mid/Low", "Clear High",  "Clear Mid", "Clear Low",
                                      "Clear Registered",   "Clear Saved", "Copy High", "Copy Mid",
                                      "Copy Low",           "Copy Saved"};
    const std::array<std::function<void()>, 10> editActions = {
        [this] {
            Clear(ResultList::Low);
            Clear(ResultList::High);
            Clear(ResultList::Mid);
        },
        [this] { Clear(ResultList::High); },
        [this] { Clear(ResultList::Mid); },
        [this] { Clear(ResultList::Low); },
        [this] { Clear(ResultList::Registered); },
        [this] { Clear(ResultList::Saved); },
        [this] { Copy(ResultList::High); },
        [this] { Copy(ResultList::Mid); },
        [this] { Copy(ResultList::Low); },
        [this] { Copy(ResultList::Saved); },
    };
    for (size_t i = 0; i < editActions.size(); ++i) {
        m_editItems.at(i) =
            edit->addAction(editCaptions.at(static_cast<qsizetype>(i)), this, editActions.at(i));
        m_editItems.at(i)->setObjectName(QStringLiteral("mnuEditItem_%1").arg(i));
    }

    QMenu *tools = menuBar()->addMenu(QStringLiteral("Tools"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    for (const CandidateSource &source : CandidateSources::All()) {
        const int i = CandidateSources::IndexOf(source.id);
        QAction *item = tools->addAction(source.caption, this,
                                         [this, id = source.id] { m_program.selection().Select(id); });
        item->setObjectName(QStringLiteral("mnuToolsItem_%1").arg(i));
        m_toolsItems.at(static_cast<size_t>(i)) = item;
    }

    QMenu *options = menuBar()->addMenu(QStringLiteral("Options"));
    options->setObjectName(QStringLiteral("mnuOptions"));
    options->addAction(QStringLiteral("Setup"), this, [this] { m_windows.OpenSettings(); })
        ->setObjectName(QStringLiteral("mnuOptionsSetup"));
    options
        ->addAction(QStringLiteral("Extensions to Try\u2026"), this,
                    [this] {
                        auto *dialog = new ExtensionsDialog(m_program, this);
                        dialog->setAttribute(Qt::WA_DeleteOnClose);
                        dialog->open();
                    })
        ->setObjectName(QStringLiteral("mnuOptionsExtensions"));
    m_dnsFirstItem = options->addAction(QStringLiteral("Check DNS First"));
    m_dnsFirstItem->setObjectName(QStringLiteral("mnuOptionsDns"));
    m_dnsFirstItem->setCheckable(true);
    m_dnsFirstItem->setChecked(true);
    m_dnsFirstItem->setToolTip(
        QStringLiteral("Names delegated in DNS are registered: no whois question for them"));
    connect(m_dnsFirstItem, &QAction::toggled, this, [this](bool on) {
        m_program.setDnsFirst(on);
        if (!m_program.settings().SetDnsFirst(on))
            ShowError(QStringLiteral("Settings"),
                      QStringLiteral("\"Check DNS First\" could not be stored in the settings."));
    });

    QMenu *help = menuBar()->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    help->addAction(QStringLiteral("View Help"), this,
                    [this] {
                        if (!m_windows.OpenHelp())
                            ShowError(QStringLiteral("Help"),
                                      QStringLiteral("The help file \"%1\" cannot be found.")
                                          .arg(QDir::toNativeSeparators(ProgramWindows::HelpFile())));
                    })
        ->setObjectName(QStringLiteral("mnuHelpView"));

    QMenu *about = menuBar()->addMenu(QStringLiteral("About"));
    about->setObjectName(QStringLiteral("mnuAbout"));
    about->addAction(QStringLiteral("About this software"), this, [this] { m_windows.OpenAbout(); })
        ->setObjectName(QStringLiteral("mnuAboutSoftware"));
}

void MainWindow::BuildSourceFrame()
{
    using D = MainWindowDesign;
    m_sourceFrame = new QGroupBox(centralWidget());
    m_sourceFrame->setObjectName(QStringLiteral("Frame1"));
    PlaceInTwips(m_sourceFrame, D::kFrame1Left, 0, 10815, D::kFrame1Height);

    m_sourceLabel = NamedLabel(m_sourceFrame, "Label6", QStringLiteral("Search Type:"));
    PlaceInTwips(m_sourceLabel, 120, 255, 1350, 285);
    m_sourceBox = new QComboBox(m_sourceFrame);
    m_sourceBox->setObjectName(QStringLiteral("Combo1"));
    m_sourceBox->addItems(m_program.controls().captions());
    m_sourceBox->setToolTip(QStringLiteral("Select the type of search you would like to run"));
    PlaceInTwips(m_sourceBox, 1500, 210, 2100, 345);

    m_startNumberLabel = NamedLabel(m_sourceFrame, "wLabel1", QStringLiteral("Start Number:"));
    PlaceInTwips(m_startNumberLabel, 120, 660, 1350, 285);
    m_startNumberBox = NamedLineEdit(m_sourceFrame, "txtWordNum", QStringLiteral("1"));
    PlaceInTwips(m_startNumberBox, 1500, 615, 900, 345);
    m_totalLabel = NamedLabel(m_sourceFrame, "wLabel2", QStringLiteral("Of "));
    PlaceInTwips(m_totalLabel, 2460, 660, 300, 285);
    m_totalBox = NamedLineEdit(m_sourceFrame, "txtWordMax", QStringLiteral("1"),
                               QStringLiteral("The number of entries on your list."));
    PlaceInTwips(m_totalBox, 2760, 615, 840, 345);

    m_searchTextLabel = NamedLabel(m_sourceFrame, "sLabel1", QStringLiteral("Search String:"));
    PlaceInTwips(m_searchTextLabel, 120, 660, 1350, 285);
    m_searchTextBox =
        NamedLineEdit(m_sourceFrame, "txtSearch", QString(), QStringLiteral("Enter a search string"));
    PlaceInTwips(m_searchTextBox, 1500, 615, 2100, 345);
    m_harvestSizeLabel = NamedLabel(m_sourceFrame, "SLabel2", QStringLiteral("Get"));
    PlaceInTwips(m_harvestSizeLabel, 120, 1005, 1350, 285);
    m_harvestSizeBox = new QComboBox(m_sourceFrame);
    m_harvestSizeBox->setObjectName(QStringLiteral("Combo2"));
    m_harvestSizeBox->addItems(SearchControls::HarvestSizes());
    m_harvestSizeBox->setToolTip(QStringLiteral("The approximate number of domains to find, if available."));
    PlaceInTwips(m_harvestSizeBox, 1500, 960, 2100, 330);

    m_startButton = PictureButton(m_sourceFrame, "cmdDoSearch", QStringLiteral("Start"), Picture::Start,
                                  QStringLiteral("Click here to start searching your list."));
    PlaceInTwips(m_startButton, 3780, D::kTopButtonTop, D::kTopButtonSize, D::kTopButtonSize);
    m_searchButton = PictureButton(m_sourceFrame, "cmdCreate", QStringLiteral("Search"), Picture::Search,
                                   QStringLiteral("Click here to start your internet search!"));
    PlaceInTwips(m_searchButton, 3780, D::kTopButtonTop, D::kTopButtonSize, D::kTopButtonSize);
    m_stopButton = PictureButton(m_sourceFrame, "Command3", QStringLiteral("Stop"), Picture::Stop,
                                 QStringLiteral("Click here to stop searching names"));
    PlaceInTwips(m_stopButton, 4560, D::kTopButtonTop, D::kTopButtonSize, D::kTopButtonSize);
    m_setupButton = PictureButton(m_sourceFrame, "cmdSetup", QStringLiteral("Setup"), Picture::Setup);
    PlaceInTwips(m_setupButton, D::kSetupLeft, D::kTopButtonTop, D::kTopButtonSize, D::kTopButtonSize);
    m_websiteButton = PictureButton(m_sourceFrame, "cmdWebsite", QStringLiteral("Visit"), Picture::Website);
    PlaceInTwips(m_websiteButton, D::kWebsiteLeft, D::kTopButtonTop, D::kTopButtonSize, D::kTopButtonSize);

    SearchControls &controls = m_program.controls();
    connect(m_sourceBox, &QComboBox::activated, this, [this](int index) {
        if (!m_program.selection().SelectIndex(index))
            ShowControls(); // refused: the box shows the source of the running search again
    });
    connect(m_startNumberBox, &QLineEdit::textEdited, &controls, &SearchControls::setStartNumber);
    connect(m_totalBox, &QLineEdit::textEdited, &controls, &SearchControls::setTotal);
    connect(m_searchTextBox, &QLineEdit::textEdited, &controls, &SearchControls::setSearchText);
    connect(m_searchTextBox, &QLineEdit::returnPressed, this, [this] {
        if (m_searchButton->isEnabled())
            m_searchButton->click();
    });
    connect(m_harvestSizeBox, &QComboBox::currentIndexChanged, &controls,
            &SearchControls::setHarvestSizeIndex);
    connect(m_startButton, &QToolButton::clicked, this, [this] { m_runs.Start(); });
    connect(m_stopButton, &QToolButton::clicked, this, [this] { m_runs.Stop(); });
    connect(m_searchButton, &QToolButton::clicked, this, [this] { m_windows.OpenHarvester(); });
    connect(m_setupButton, &QToolButton::clicked, this, [this] { m_windows.OpenSettings(); });
    connect(m_websiteButton, &QToolButton::clicked, this, [this] { m_windows.OpenWebsite(); });
}

void MainWindow::BuildListsFrame()
{
    using D = MainWindowDesign;
    m_listsFrame = new QGroupBox(QStringLiteral("Domain Name Manager"), centralWidget());
    m_listsFrame->setObjectName(QStringLiteral("Frame2"));
    PlaceInTwips(m_listsFrame, D::kFrame2Left, D::kFrame2Top, 10755, 5115);

    const std::array<int, 5> designLefts = {4140, 6120, 180, 2160, 8400}; // lists 1 to 5
    for (const ResultList list : ResultLists::kAll) {
        const int n = ControlIndex(list);
        const auto at = static_cast<size_t>(n);
        auto *heading = NamedLabel(m_listsFrame, "", ResultLists::BareHeading(list));
        heading->setObjectName(QStringLiteral("Label%1").arg(n));
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        m_headings.at(at) = heading;
        PlaceInTwips(heading, designLefts.at(at - 1), D::kHeadingTop, 1750, D::kHeadingHeight);

        auto *view = new ResultListView(list == ResultList::Saved ? ResultListView::Role::DropTarget
                                                                  : ResultListView::Role::DragSource,
                                        m_listsFrame);
        view->setObjectName(QStringLiteral("List%1").arg(n));
        view->setModel(m_program.results().model(list));
        m_lists.at(at) = view;
        PlaceInTwips(view, designLefts.at(at - 1), D::kListTop, 1750, 3500);

        const auto button = [&](const char *array, const QString &caption, Picture picture,
                                const QString &tip) {
            QToolButton *b = PictureButton(m_listsFrame, "", caption, picture, tip);
            b->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(array)).arg(n));
            b->setFocusPolicy(Qt::NoFocus);
            return b;
        };
        m_copyButtons.at(at) =
            button("cmdCopy", QStringLiteral("Copy"), Picture::Copy, QStringLiteral("Copy List"));
        m_deleteButtons.at(at) =
            button("cmdClear", QStringLiteral("Del"), Picture::Del, QStringLiteral("Delete Selected Item"));
        m_clearButtons.at(at) = button("cmdClear2", QStringLiteral("Clear"), Picture::Clear, QString());
        connect(m_copyButtons.at(at), &QToolButton::clicked, this, [this, list] { Copy(list); });
        connect(m_deleteButtons.at(at), &QToolButton::clicked, this, [this, list] { Del(list); });
        connect(m_clearButtons.at(at), &QToolButton::clicked, this, [this, list] { Clear(list); });
        connect(view, &ResultListView::deletePressed, this,
                [this, list](bool clearAll) { clearAll ? Clear(list) : Del(list); });
        connect(view, &QAbstractItemView::doubleClicked, this, [this, list] { OpenCurrentName(list); });
        Widgets::ConnectNameMenu(view, [this, list](const QString &name) {
            return Widgets::NameMenuActions{[this, name] { m_windows.OpenWhoisDetails(name); },
                                            [this, name] { m_windows.OpenPurchasePage(name); },
                                            [name] { QGuiApplication::clipboard()->setText(name); },
                                            [this, list] {
                                                Del(list);
                                            }};
        });
        if (list == ResultList::Saved)
            connect(view, &ResultListView::payloadDropped, this, &MainWindow::DropOnSaved);
        else
            connect(view, &QAbstractItemView::pressed, this, [this, list] { ListClicked(list); });
    }
    const auto tip = [this](ResultList list, const QString &listTip, const QString &headingTip) {
        if (!listTip.isEmpty())
            ListView(list)->setToolTip(listTip);
        if (!headingTip.isEmpty())
            m_headings.at(static_cast<size_t>(ControlIndex(list)))->setToolTip(headingTip);
    };
    using namespace ProfileClasses;
    const QString high = QStringLiteral("These domains have less than %1 letters.").arg(kMidFrom);
    tip(ResultList::High, high, high);
    tip(ResultList::Mid, QStringLiteral("These domains have %1 to %2 characters").arg(kMidFrom).arg(kMidUpTo), {});
    tip(ResultList::Low, QStringLiteral("These domains have %1 or more characters.").arg(kMidUpTo + 1),
        QStringLiteral("These domains have %1+ characters.").arg(kMidUpTo + 1));
    const QString registered = QStringLiteral("These domain names are already registered.");
    tip(ResultList::Registered, registered, registered);
    const QString saved = QStringLiteral("Drag a domain name here to save it.");
    tip(ResultList::Saved, saved, saved);
}

void MainWindow::BuildStatusBar()
{
    m_statusBar = statusBar();
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setSizeGripEnabled(false);
    for (int panel = 1; panel <= 3; ++panel) {
        auto *label = new QLabel(StatusPanels::IdleText(panel), m_statusBar);
        label->setObjectName(QStringLiteral("Panel%1").arg(panel));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setMinimumWidth(40);
        m_statusBar->addWidget(label);
        m_panels.at(static_cast<size_t>(panel - 1)) = label;
    }
    m_uncheckedPanel = new QLabel(m_statusBar);
    m_uncheckedPanel->setObjectName(QStringLiteral("UncheckedPanel"));
    m_uncheckedPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_uncheckedPanel->hide();
    m_statusBar->addPermanentWidget(m_uncheckedPanel);
    m_pacedPanel = new QLabel(m_statusBar);
    m_pacedPanel->setObjectName(QStringLiteral("PacedPanel"));
    m_pacedPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pacedPanel->hide();
    m_statusBar->addPermanentWidget(m_pacedPanel);
    m_dnsPanel = new QLabel(m_statusBar);
    m_dnsPanel->setObjectName(QStringLiteral("DnsPanel"));
    m_dnsPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_dnsPanel->hide();
    m_statusBar->addPermanentWidget(m_dnsPanel);
    m_speedPanel = new QLabel(m_statusBar);
    m_speedPanel->setObjectName(QStringLiteral("SpeedPanel"));
    m_speedPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_speedPanel->setToolTip(
        QStringLiteral("Names decided a second over the last 30 seconds, and the time the "
                       "rest of the list takes at that speed."));
    m_speedPanel->hide();
    m_statusBar->addPermanentWidget(m_speedPanel);
    m_speedTimer.setInterval(1000);
    connect(&m_speedTimer, &QTimer::timeout, this, &MainWindow::ShowSpeed);
}

void MainWindow::ShowSpeed()
{
    const CheckEngine &engine = m_program.engine();
    m_speedPanel->setText(RunStatus::SpeedText(engine.namesPerSecond(), engine.secondsLeft()));
}

void MainWindow::ConnectState()
{
    connect(&m_program.controls(), &SearchControls::changed, this, &MainWindow::ShowControls);
    connect(&m_program.results(), &ResultLists::headingChanged, this,
            [this](ResultList list, const QString &text) {
                m_headings.at(static_cast<size_t>(ControlIndex(list)))->setText(text);
            });
    connect(&m_runs.panels(), &StatusPanels::textChanged, this, [this](int panel, const QString &text) {
        // Cut before it runs under the next panel; the tooltip holds it whole then.
        Widgets::SetElidedText(m_panels.at(static_cast<size_t>(panel - 1)), text);
    });
    connect(&m_program, &Program::errorRaised, this, &MainWindow::ShowError);
    connect(&m_program.engine(), &CheckEngine::backupNotice, this, [this] { m_windows.ShowBackupNotice(); });
    connect(&m_program.engine(), &CheckEngine::runStarted, this, [this] {
        // Start was the focused control and is disabled now: focus goes to Stop, not to the
        // next box in line with its text selected.
        if (m_stopButton->isEnabled())
            m_stopButton->setFocus();
    });
    connect(&m_program.engine(), &CheckEngine::nameChecked, this, [this](const QString &, CheckOutcome outcome) {
        if (outcome == CheckOutcome::Unchecked || m_shownHeld != m_program.engine().heldCount())
            ShowUncheckedCount();
    });
    connect(&m_program.engine(), &CheckEngine::progress, this, [this] {
        if (m_shownHeld != m_program.engine().heldCount())
            ShowUncheckedCount();
    });
    connect(&m_program.engine(), &CheckEngine::runStarted, this, &MainWindow::ShowUncheckedCount);
    connect(&m_program.engine(), &CheckEngine::pacingChanged, this, &MainWindow::ShowPacedHosts);
    connect(&m_program.engine(), &CheckEngine::runStopped, this, &MainWindow::ShowPacedHosts);
    connect(&m_program.engine(), &CheckEngine::dnsCountsChanged, this, [this] {
        const CheckEngine::DnsCounts &counts = m_program.engine().dnsCounts();
        m_dnsPanel->setText(RunStatus::DnsText(counts));
        m_dnsPanel->setToolTip(RunStatus::DnsToolTip(counts));
        if (!m_dnsPanel->isVisible()) {
            m_dnsPanel->show();
            ApplyLayout();
        }
    });
    connect(&m_program.engine(), &CheckEngine::runStarted, this, [this] {
        if (m_dnsPanel->isVisible())
            m_dnsPanel->hide();
        // The speed, once a second while the run goes.
        ShowSpeed();
        m_speedPanel->show();
        m_speedTimer.start();
        ApplyLayout();
    });
    connect(&m_program.engine(), &CheckEngine::runStopped, this, [this] {
        m_speedTimer.stop();
        m_speedPanel->hide();
        ApplyLayout();
    });
}

void MainWindow::ShowPacedHosts()
{
    CheckEngine &engine = m_program.engine();
    const QList<HostPacer::Paced> paced =
        engine.isRunning() ? engine.pacer().PacedHosts(engine.Now()) : QList<HostPacer::Paced>();
    const bool wasVisible = m_pacedPanel->isVisible();
    m_pacedPanel->setText(RunStatus::PacedText(paced));
    m_pacedPanel->setToolTip(RunStatus::PacedToolTip(paced));
    m_pacedPanel->setVisible(!paced.isEmpty());
    if (wasVisible != m_pacedPanel->isVisible())
        ApplyLayout();
}

void MainWindow::ShowUncheckedCount()
{
    const NoVerdictTally &tally = m_program.engine().noVerdicts();
    m_shownHeld = m_program.engine().heldCount();
    m_uncheckedPanel->setVisible(tally.count() > 0 || m_shownHeld > 0);
    m_uncheckedPanel->setText(RunStatus::NoVerdictText(tally.count()) + RunStatus::HeldText(m_shownHeld));
    ApplyLayout();
    m_uncheckedPanel->setToolTip(RunStatus::NoVerdictToolTip(tally.count(), tally.reasons(),
                                                             m_program.unchecked().path(),
                                                             QStringLiteral("this search")) +
                                 RunStatus::HeldToolTip(m_shownHeld));
}

void MainWindow::ShowControls()
{
    const SearchControls &controls = m_program.controls();
    if (const QStringList captions = controls.captions(); m_sourceBox->count() != captions.size()) {
        // The engine table was read: its engines follow the nine sources.
        const QSignalBlocker quiet(m_sourceBox);
        m_sourceBox->clear();
        m_sourceBox->addItems(captions);
    }
    if (m_sourceBox->currentIndex() != controls.sourceIndex())
        m_sourceBox->setCurrentIndex(controls.sourceIndex());
    const auto setText = [](QLineEdit *box, const QString &text) {
        if (box->text() != text)
            box->setText(text);
    };
    setText(m_startNumberBox, controls.startNumber());
    setText(m_totalBox, controls.total());
    setText(m_searchTextBox, controls.searchText());
    if (m_harvestSizeBox->currentIndex() != controls.harvestSizeIndex())
        m_harvestSizeBox->setCurrentIndex(controls.harvestSizeIndex());

    const bool sourceEnabled = controls.isEnabled(SearchControls::SourceList);
    m_sourceBox->setEnabled(sourceEnabled);
    for (QAction *item : m_toolsItems)
        item->setEnabled(sourceEnabled);
    m_startNumberBox->setEnabled(controls.isEnabled(SearchControls::StartNumber));
    m_startButton->setEnabled(controls.isEnabled(SearchControls::StartButton));
    m_stopButton->setEnabled(controls.isEnabled(SearchControls::StopButton));
    m_searchTextBox->setEnabled(controls.isEnabled(SearchControls::SearchText));
    m_harvestSizeBox->setEnabled(controls.isEnabled(SearchControls::HarvestSize));
    m_searchButton->setEnabled(controls.isEnabled(SearchControls::SearchButton));

    for (QWidget *widget : std::initializer_list<QWidget *>{m_startNumberBox, m_totalBox, m_startNumberLabel,
                                                            m_totalLabel, m_startButton})
        widget->setVisible(controls.startNumberGroupVisible());
    for (QWidget *widget : std::initializer_list<QWidget *>{
             m_searchTextLabel, m_harvestSizeLabel, m_searchTextBox, m_harvestSizeBox, m_searchButton})
        widget->setVisible(controls.searchStringGroupVisible());
}

void MainWindow::Load()
{
    const ProgramConfig &config = m_program.config();
    // Captions from the version record and the values PurchaseLink fixed.
    setWindowTitle(config.productName + QStringLiteral(" by ") + config.companyName);
    m_websiteButton->setText(QStringLiteral("Visit ") + config.siteAddress);
    if (config.purchaseOnDoubleClick)
        m_listsFrame->setTitle(QStringLiteral("Domain Name Manager - Double Click any domain to purchase"));
    MeasureFit();

    Startup::EnsureAppFolder(m_program);
    if (m_program.settings().ShowHelp())
        m_windows.OpenHelp();
    Startup::EnsureDataFiles(m_program);
    m_program.results().LoadRemembered();
    setWindowState(windowState() | Qt::WindowMaximized);
    Startup::ReadRunPosition(m_program);
    Startup::EnsureDataFolders(m_program);
    Startup::InstallWordLists(m_program, Startup::ShippedDataFolder());
    if (!Startup::LoadWhoisTable(m_program) || m_program.registrars().size() == 0) {
        ShowError(QStringLiteral("Whois servers"),
                  QStringLiteral(
                      "The whois server table \"%1\" cannot be read. Restore the defaults in Options, Setup.")
                      .arg(m_program.registrarFile().path()));
    }
    // One message for all: the window shows one message at a time.
    QStringList problems = {Startup::ReadCheckSettings(m_program),
                            Startup::LoadRdapBootstrap(m_program, Startup::ShippedDataFolder()),
                            Startup::LoadWhoisPhrases(m_program), Startup::LoadWhoisLimits(m_program),
                            Startup::LoadSearchEngines(m_program)};
    {
        const QSignalBlocker quiet(m_dnsFirstItem);
        m_dnsFirstItem->setChecked(m_program.dnsFirst());
    }
    problems.removeAll(QString());
    if (!problems.isEmpty())
        ShowError(QStringLiteral("Whois servers"), problems.join(QStringLiteral("\n\n")));
}

void MainWindow::ShowError(const QString &title, const QString &text)
{
    // One message at a time; the others wait their turn, repeats merged with a count, so a run
    // that fails for every name does not bury the window, and no message is lost.
    m_messages.Push(title, text);
    if (!m_errorBox || !m_errorBox->isVisible())
        ShowNextError();
}

void MainWindow::ShowNextError()
{
    const std::optional<MessageQueue::Message> next = m_messages.TakeNext();
    if (!next)
        return;
    if (!m_errorBox) {
        m_errorBox = new QMessageBox(this);
        m_errorBox->setObjectName(QStringLiteral("ErrorMessage"));
        m_errorBox->setIcon(QMessageBox::Warning);
        m_errorBox->setStandardButtons(QMessageBox::Ok);
        m_errorBox->setWindowModality(Qt::NonModal);
        connect(m_errorBox, &QMessageBox::finished, this, &MainWindow::ShowNextError, Qt::QueuedConnection);
    }
    m_errorBox->setWindowTitle(next->title);
    m_errorBox->setText(next->text);
    m_errorBox->show();
}

void MainWindow::ExportResults()
{
    auto *dialog = new QFileDialog(this, QStringLiteral("Export Results"),
                                   m_program.paths().folder().Join(QStringLiteral("results.csv")),
                                   QStringLiteral("CSV (*.csv);;JSON (*.json)"));
    dialog->setObjectName(QStringLiteral("ExportDialog"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this, [this, dialog](QString path) {
        if (!ResultExport::FormatOfPath(path))
            path += dialog->selectedNameFilter().startsWith(QLatin1String("JSON")) ? QStringLiteral(".json")
                                                                                   : QStringLiteral(".csv");
        if (QString error; !m_program.ExportResults(path, &error))
            ShowError(QStringLiteral("Export Results"), error);
    });
    dialog->open();
}

void MainWindow::ChooseCustomList(const QString &startFolder,
                                  std::function<void(std::optional<QString>)> chosen)
{
    auto *dialog =
        new QFileDialog(this, QStringLiteral("Open"), startFolder, QStringLiteral("Text files (*.txt)"));
    dialog->setObjectName(QStringLiteral("CommonDialog1"));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->resize(800, 500); // room for the name, size, type and date columns
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The answer comes back through the event loop; no second loop runs while the dialog shows.
    auto answered = std::make_shared<bool>(false);
    connect(dialog, &QFileDialog::fileSelected, this, [chosen, answered](const QString &file) {
        *answered = true;
        chosen(file.isEmpty() ? std::nullopt : std::optional(file));
    });
    connect(dialog, &QDialog::finished, this, [chosen, answered] {
        if (!*answered)
            chosen(std::nullopt);
    });
    dialog->open();
}

void MainWindow::Copy(ResultList list)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(m_program.results().CopyText(list));
}

void MainWindow::Del(ResultList list)
{
    ResultListView *view = ListView(list);
    const QModelIndex current = view->currentIndex();
    // Only a name the user selected is removed.
    if (!current.isValid() || !view->selectionModel()->isSelected(current))
        return;
    if (!m_program.results().Del(list, current.row()))
        return;
    // No other name becomes current or selected: a second Del removes nothing.
    view->selectionModel()->clear();
    view->setCurrentIndex(QModelIndex());
}

void MainWindow::Clear(ResultList list)
{
    if (list != ResultList::Saved) {
        m_program.results().Clear(list);
        return;
    }
    if (m_program.results().itemCount(ResultList::Saved) == 0)
        return;
    auto *question =
        new QMessageBox(QMessageBox::Question, QStringLiteral("Saved Domains"),
                        QStringLiteral("Remove every name from \"Saved Domains\"? They are removed "
                                       "from %1 as well.")
                            .arg(QDir::toNativeSeparators(m_program.paths().remembered())),
                        QMessageBox::Yes | QMessageBox::No, this);
    question->setObjectName(QStringLiteral("ClearSavedQuestion"));
    question->setDefaultButton(QMessageBox::No);
    question->setAttribute(Qt::WA_DeleteOnClose);
    connect(question, &QMessageBox::finished, this, [this, question] {
        if (question->clickedButton() == question->button(QMessageBox::Yes))
            m_program.results().Clear(ResultList::Saved);
    });
    question->open();
}

void MainWindow::ListClicked(ResultList list)
{
    m_lastClickedList = list;
}

void MainWindow::DropOnSaved(const QString &payload)
{
    m_program.results().Drop(payload, m_lastClickedList);
}

void MainWindow::OpenCurrentName(ResultList list)
{
    const QModelIndex current = ListView(list)->currentIndex();
    if (!current.isValid())
        return;
    m_windows.OpenName(current.data().toString());
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    ApplyLayout();
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        ApplyLayout();
}

void MainWindow::MeasureFit()
{
    using D = MainWindowDesign;
    m_fit = MainWindowFit();
    for (const ResultList list : ResultLists::kAll) {
        const auto at = static_cast<size_t>(ControlIndex(list));
        for (const QToolButton *button :
             {m_copyButtons.at(at), m_deleteButtons.at(at), m_clearButtons.at(at)})
            m_fit.buttonWidth = std::max(m_fit.buttonWidth, button->sizeHint().width() * kTwipsPerPixel);
        // Room for the widest count: a list holds at most this many names.
        const QString widest = ResultLists::CountedHeading(list, Filing::kOverflowLimit);
        const int heading = QFontMetrics(m_headings.at(at)->font()).horizontalAdvance(widest) + 4;
        m_fit.headingWidth = std::max(m_fit.headingWidth, heading * kTwipsPerPixel);
    }
    m_fit.websiteButtonWidth =
        std::max<int>(D::kTopButtonSize, m_websiteButton->sizeHint().width() * kTwipsPerPixel);
    m_minimum = MinimumMainWindowSize(m_fit);
    setMinimumSize(ToPixels(m_minimum.width) + 1, ToPixels(m_minimum.height) + 1);
}

void MainWindow::ApplyLayout()
{
    const MainWindowLayout layout =
        LayoutMainWindow(width() * kTwipsPerPixel, height() * kTwipsPerPixel,
                         m_statusBar->height() * kTwipsPerPixel, isMinimized(), m_fit, m_minimum);
    switch (layout.action) {
    case MainWindowLayout::Action::None:
        return;
    case MainWindowLayout::Action::Resize:
        resize((layout.width + kTwipsPerPixel - 1) / kTwipsPerPixel,
               (layout.height + kTwipsPerPixel - 1) / kTwipsPerPixel);
        return;
    case MainWindowLayout::Action::Apply:
        break;
    }
    using D = MainWindowDesign;
    m_layout = layout;
    PlaceInTwips(m_sourceFrame, D::kFrame1Left, 0, layout.frame1Width, D::kFrame1Height);
    PlaceInTwips(m_listsFrame, D::kFrame2Left, D::kFrame2Top, layout.frame2Width, layout.frame2Height);
    PlaceInTwips(m_websiteButton, D::kWebsiteLeft, D::kTopButtonTop, layout.websiteButtonWidth,
                 D::kTopButtonSize);
    for (size_t i = 0; i < m_panels.size(); ++i)
        m_panels.at(i)->setFixedWidth(ToPixels(layout.panelWidths.at(i)));
    // The count of names without a verdict takes its room from the connection panel.
    // So do the paced hosts.
    int room = ToPixels(layout.panelWidths.at(2));
    for (const QLabel *panel : {m_uncheckedPanel, m_pacedPanel, m_dnsPanel}) {
        if (panel->isVisible())
            room -= panel->sizeHint().width() + 12;
    }
    m_panels.at(2)->setFixedWidth(std::max(40, room));
    for (QLabel *panel : m_panels)
        Widgets::SetElidedText(panel, Widgets::FullText(panel));
    const int buttonWidth = layout.buttonWidth;
    for (const ResultList list : ResultLists::kAll) {
        const auto n = static_cast<size_t>(ControlIndex(list));
        PlaceInTwips(m_lists.at(n), layout.listLeft.at(n), D::kListTop, layout.listWidth, layout.listHeight);
        PlaceInTwips(m_copyButtons.at(n), layout.copyLeft.at(n), D::kButtonTop, buttonWidth,
                     D::kButtonHeight);
        PlaceInTwips(m_deleteButtons.at(n), layout.delLeft.at(n), D::kButtonTop, buttonWidth,
                     D::kButtonHeight);
        PlaceInTwips(m_clearButtons.at(n), layout.clearLeft.at(n), D::kButtonTop, buttonWidth,
                     D::kButtonHeight);
        PlaceInTwips(m_headings.at(n), layout.headingLeft.at(n), D::kHeadingTop, layout.headingWidth,
                     D::kHeadingHeight);
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (m_closed)
        return;
    m_closed = true;
    m_program.engine().Stop();
    m_program.StoreQuota();
    if (m_errorBox)
        m_errorBox->close();
    if (m_windows.MainWindowClosed())
        m_windows.EndProgram();
}
