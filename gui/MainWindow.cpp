#include "MainWindow.h"

#include "Pictures.h"
#include "ProgramWindows.h"
#include "Widgets.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "engine/RunStatus.h"
#include "gui/ResultListView.h"

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
    BuildFrame1();
    BuildFrame2();
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
    return List.at(static_cast<size_t>(ControlIndex(list)));
}

void MainWindow::BuildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("mnuFile"));
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
        mnuEditItem.at(i) =
            edit->addAction(editCaptions.at(static_cast<qsizetype>(i)), this, editActions.at(i));
        mnuEditItem.at(i)->setObjectName(QStringLiteral("mnuEditItem_%1").arg(i));
    }

    QMenu *tools = menuBar()->addMenu(QStringLiteral("Tools"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    for (const CandidateSource &source : CandidateSources::All()) {
        const int i = CandidateSources::IndexOf(source.id);
        QAction *item = tools->addAction(source.caption, this,
                                         [this, id = source.id] { m_program.selection().Select(id); });
        item->setObjectName(QStringLiteral("mnuToolsItem_%1").arg(i));
        mnuToolsItem.at(static_cast<size_t>(i)) = item;
    }

    QMenu *options = menuBar()->addMenu(QStringLiteral("Options"));
    options->setObjectName(QStringLiteral("mnuOptions"));
    options->addAction(QStringLiteral("Setup"), this, [this] { m_windows.OpenSettings(); })
        ->setObjectName(QStringLiteral("mnuOptionsSetup"));
    mnuOptionsDns = options->addAction(QStringLiteral("Check DNS First"));
    mnuOptionsDns->setObjectName(QStringLiteral("mnuOptionsDns"));
    mnuOptionsDns->setCheckable(true);
    mnuOptionsDns->setChecked(true);
    mnuOptionsDns->setToolTip(
        QStringLiteral("Names delegated in DNS are registered: no whois question for them"));
    connect(mnuOptionsDns, &QAction::toggled, this, [this](bool on) {
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

void MainWindow::BuildFrame1()
{
    using D = MainWindowDesign;
    Frame1 = new QGroupBox(centralWidget());
    Frame1->setObjectName(QStringLiteral("Frame1"));
    PlaceInTwips(Frame1, D::kFrame1Left, 0, 10815, D::kFrame1Height);

    Label6 = NamedLabel(Frame1, "Label6", QStringLiteral("Search Type:"));
    PlaceInTwips(Label6, 120, 255, 1350, 285);
    Combo1 = new QComboBox(Frame1);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->addItems(SearchControls::SourceCaptions());
    Combo1->setToolTip(QStringLiteral("Select the type of search you would like to run"));
    PlaceInTwips(Combo1, 1500, 210, 2100, 345);

    wLabel1 = NamedLabel(Frame1, "wLabel1", QStringLiteral("Start Number:"));
    PlaceInTwips(wLabel1, 120, 660, 1350, 285);
    txtWordNum = NamedLineEdit(Frame1, "txtWordNum", QStringLiteral("1"));
    PlaceInTwips(txtWordNum, 1500, 615, 900, 345);
    wLabel2 = NamedLabel(Frame1, "wLabel2", QStringLiteral("Of "));
    PlaceInTwips(wLabel2, 2460, 660, 300, 285);
    txtWordMax = NamedLineEdit(Frame1, "txtWordMax", QStringLiteral("1"),
                               QStringLiteral("The number of entries on your list."));
    PlaceInTwips(txtWordMax, 2760, 615, 840, 345);

    sLabel1 = NamedLabel(Frame1, "sLabel1", QStringLiteral("Search String:"));
    PlaceInTwips(sLabel1, 120, 660, 1350, 285);
    txtSearch = NamedLineEdit(Frame1, "txtSearch", QString(), QStringLiteral("Enter a search string"));
    PlaceInTwips(txtSearch, 1500, 615, 2100, 345);
    SLabel2 = NamedLabel(Frame1, "SLabel2", QStringLiteral("Get"));
    PlaceInTwips(SLabel2, 120, 1005, 1350, 285);
    Combo2 = new QComboBox(Frame1);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Combo2->addItems(SearchControls::HarvestSizes());
    Combo2->setToolTip(QStringLiteral("The approximate number of domains to find, if available."));
    PlaceInTwips(Combo2, 1500, 960, 2100, 330);

    cmdDoSearch = PictureButton(Frame1, "cmdDoSearch", QStringLiteral("Start"), Picture::Start,
                                QStringLiteral("Click here to start searching your list."));
    PlaceInTwips(cmdDoSearch, 3780, D::kTopButtonTop, D::kTopButtonSize, D::kTopButtonSize);
    cmdCreate = PictureButton(Frame1, "cmdCreate", QStringLiteral("Search"), Picture::Search,
                              QStringLiteral("Click here to start your internet search!"));
    PlaceInTwips(cmdCreate, 3780, D::kTopButtonTop, D::kTopButtonSize, D::kTopButtonSize);
    Command3 = PictureButton(Frame1, "Command3", QStringLiteral("Stop"), Picture::Stop,
                             QStringLiteral("Click here to stop searching names"));
    PlaceInTwips(Command3, 4560, D::kTopButtonTop, D::kTopButtonSize, D::kTopButtonSize);
    cmdSetup = PictureButton(Frame1, "cmdSetup", QStringLiteral("Setup"), Picture::Setup);
    PlaceInTwips(cmdSetup, D::kSetupLeft, D::kTopButtonTop, D::kTopButtonSize, D::kTopButtonSize);
    cmdWebsite = PictureButton(Frame1, "cmdWebsite", QStringLiteral("Visit"), Picture::Website);
    PlaceInTwips(cmdWebsite, D::kWebsiteLeft, D::kTopButtonTop, D::kTopButtonSize, D::kTopButtonSize);

    SearchControls &controls = m_program.controls();
    connect(Combo1, &QComboBox::activated, this, [this](int index) {
        if (!m_program.selection().SelectIndex(index))
            ShowControls(); // refused: the box shows the source of the running search again
    });
    connect(txtWordNum, &QLineEdit::textEdited, &controls, &SearchControls::setStartNumber);
    connect(txtWordMax, &QLineEdit::textEdited, &controls, &SearchControls::setTotal);
    connect(txtSearch, &QLineEdit::textEdited, &controls, &SearchControls::setSearchText);
    connect(txtSearch, &QLineEdit::returnPressed, this, [this] {
        if (cmdCreate->isEnabled())
            cmdCreate->click();
    });
    connect(Combo2, &QComboBox::currentIndexChanged, &controls, &SearchControls::setHarvestSizeIndex);
    connect(cmdDoSearch, &QToolButton::clicked, this, [this] { m_runs.Start(); });
    connect(Command3, &QToolButton::clicked, this, [this] { m_runs.Stop(); });
    connect(cmdCreate, &QToolButton::clicked, this, [this] { m_windows.OpenHarvester(); });
    connect(cmdSetup, &QToolButton::clicked, this, [this] { m_windows.OpenSettings(); });
    connect(cmdWebsite, &QToolButton::clicked, this, [this] { m_windows.OpenWebsite(); });
}

void MainWindow::BuildFrame2()
{
    using D = MainWindowDesign;
    Frame2 = new QGroupBox(QStringLiteral("Domain Name Manager"), centralWidget());
    Frame2->setObjectName(QStringLiteral("Frame2"));
    PlaceInTwips(Frame2, D::kFrame2Left, D::kFrame2Top, 10755, 5115);

    const std::array<int, 5> designLefts = {4140, 6120, 180, 2160, 8400}; // lists 1 to 5
    for (const ResultList list : ResultLists::kAll) {
        const int n = ControlIndex(list);
        const auto at = static_cast<size_t>(n);
        auto *heading = NamedLabel(Frame2, "", ResultLists::BareHeading(list));
        heading->setObjectName(QStringLiteral("Label%1").arg(n));
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        Label.at(at) = heading;
        PlaceInTwips(heading, designLefts.at(at - 1), D::kHeadingTop, 1750, D::kHeadingHeight);

        auto *view = new ResultListView(list == ResultList::Saved ? ResultListView::Role::DropTarget
                                                                  : ResultListView::Role::DragSource,
                                        Frame2);
        view->setObjectName(QStringLiteral("List%1").arg(n));
        view->setModel(m_program.results().model(list));
        List.at(at) = view;
        PlaceInTwips(view, designLefts.at(at - 1), D::kListTop, 1750, 3500);

        const auto button = [&](const char *array, const QString &caption, Picture picture,
                                const QString &tip) {
            QToolButton *b = PictureButton(Frame2, "", caption, picture, tip);
            b->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(array)).arg(n));
            b->setFocusPolicy(Qt::NoFocus);
            return b;
        };
        cmdCopy.at(at) =
            button("cmdCopy", QStringLiteral("Copy"), Picture::Copy, QStringLiteral("Copy List"));
        cmdClear.at(at) =
            button("cmdClear", QStringLiteral("Del"), Picture::Del, QStringLiteral("Delete Selected Item"));
        cmdClear2.at(at) = button("cmdClear2", QStringLiteral("Clear"), Picture::Clear, QString());
        connect(cmdCopy.at(at), &QToolButton::clicked, this, [this, list] { Copy(list); });
        connect(cmdClear.at(at), &QToolButton::clicked, this, [this, list] { Del(list); });
        connect(cmdClear2.at(at), &QToolButton::clicked, this, [this, list] { Clear(list); });
        connect(view, &ResultListView::deletePressed, this,
                [this, list](bool clearAll) { clearAll ? Clear(list) : Del(list); });
        connect(view, &QAbstractItemView::doubleClicked, this, [this, list] { OpenCurrentName(list); });
        if (list == ResultList::Saved)
            connect(view, &ResultListView::payloadDropped, this, &MainWindow::DropOnSaved);
        else
            connect(view, &QAbstractItemView::pressed, this, [this, list] { ListClicked(list); });
    }
    const auto tip = [this](ResultList list, const char *listTip, const char *headingTip) {
        if (listTip)
            ListView(list)->setToolTip(QLatin1String(listTip));
        if (headingTip)
            Label.at(static_cast<size_t>(ControlIndex(list)))->setToolTip(QLatin1String(headingTip));
    };
    tip(ResultList::High, "These domains have less than 5 letters.",
        "These domains have less than 5 letters.");
    tip(ResultList::Mid, "These domains have 5 to 7 characters", nullptr);
    tip(ResultList::Low, "These domains have 8 or more characters.", "These domains have 8+ characters.");
    tip(ResultList::Registered, "These domain names are already registered.",
        "These domain names are already registered.");
    tip(ResultList::Saved, "Drag a domain name here to save it.", "Drag a domain name here to save it.");
}

void MainWindow::BuildStatusBar()
{
    StatusBar1 = statusBar();
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    for (int panel = 1; panel <= 3; ++panel) {
        auto *label = new QLabel(RunStatus::IdleText(panel), StatusBar1);
        label->setObjectName(QStringLiteral("Panel%1").arg(panel));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setMinimumWidth(40);
        StatusBar1->addWidget(label);
        panels.at(static_cast<size_t>(panel - 1)) = label;
    }
    uncheckedPanel = new QLabel(StatusBar1);
    uncheckedPanel->setObjectName(QStringLiteral("UncheckedPanel"));
    uncheckedPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    uncheckedPanel->hide();
    StatusBar1->addPermanentWidget(uncheckedPanel);
    pacedPanel = new QLabel(StatusBar1);
    pacedPanel->setObjectName(QStringLiteral("PacedPanel"));
    pacedPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pacedPanel->hide();
    StatusBar1->addPermanentWidget(pacedPanel);
    dnsPanel = new QLabel(StatusBar1);
    dnsPanel->setObjectName(QStringLiteral("DnsPanel"));
    dnsPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    dnsPanel->hide();
    StatusBar1->addPermanentWidget(dnsPanel);
}

void MainWindow::ConnectState()
{
    connect(&m_program.controls(), &SearchControls::changed, this, &MainWindow::ShowControls);
    connect(&m_program.results(), &ResultLists::headingChanged, this,
            [this](ResultList list, const QString &text) {
                Label.at(static_cast<size_t>(ControlIndex(list)))->setText(text);
            });
    connect(&m_runs, &RunController::statusTextChanged, this, [this](int panel, const QString &text) {
        panels.at(static_cast<size_t>(panel - 1))->setText(text);
    });
    connect(&m_program, &Program::errorRaised, this, &MainWindow::ShowError);
    connect(&m_program.engine(), &CheckEngine::backupNotice, this, [this] { m_windows.ShowBackupNotice(); });
    connect(&m_program.engine(), &CheckEngine::runStarted, this, [this] {
        // Start was the focused control and is disabled now: focus goes to Stop, not to the
        // next box in line with its text selected.
        if (Command3->isEnabled())
            Command3->setFocus();
    });
    connect(&m_program.unchecked(), &UncheckedNames::countChanged, this, &MainWindow::ShowUncheckedCount);
    connect(&m_program.engine(), &CheckEngine::pacingChanged, this, &MainWindow::ShowPacedHosts);
    connect(&m_program.engine(), &CheckEngine::runStopped, this, &MainWindow::ShowPacedHosts);
    connect(&m_program.engine(), &CheckEngine::dnsCountsChanged, this, [this] {
        const CheckEngine::DnsCounts &counts = m_program.engine().dnsCounts();
        dnsPanel->setText(RunStatus::DnsText(counts));
        dnsPanel->setToolTip(RunStatus::DnsToolTip(counts));
        if (!dnsPanel->isVisible()) {
            dnsPanel->show();
            ApplyLayout();
        }
    });
    connect(&m_program.engine(), &CheckEngine::runStarted, this, [this] {
        if (dnsPanel->isVisible()) {
            dnsPanel->hide();
            ApplyLayout();
        }
    });
}

void MainWindow::ShowPacedHosts()
{
    CheckEngine &engine = m_program.engine();
    const QList<HostPacer::Paced> paced =
        engine.isRunning() ? engine.pacer().PacedHosts(engine.Now()) : QList<HostPacer::Paced>();
    const bool wasVisible = pacedPanel->isVisible();
    pacedPanel->setText(RunStatus::PacedText(paced));
    pacedPanel->setToolTip(RunStatus::PacedToolTip(paced));
    pacedPanel->setVisible(!paced.isEmpty());
    if (wasVisible != pacedPanel->isVisible())
        ApplyLayout();
}

void MainWindow::ShowUncheckedCount(int count)
{
    uncheckedPanel->setVisible(count > 0);
    uncheckedPanel->setText(RunStatus::NoVerdictText(count));
    ApplyLayout();
    uncheckedPanel->setToolTip(RunStatus::NoVerdictToolTip(count, m_program.unchecked().reasonCounts(),
                                                           m_program.unchecked().path(),
                                                           QStringLiteral("this search")));
}

void MainWindow::ShowControls()
{
    const SearchControls &controls = m_program.controls();
    if (Combo1->currentIndex() != controls.sourceIndex())
        Combo1->setCurrentIndex(controls.sourceIndex());
    const auto setText = [](QLineEdit *box, const QString &text) {
        if (box->text() != text)
            box->setText(text);
    };
    setText(txtWordNum, controls.startNumber());
    setText(txtWordMax, controls.total());
    setText(txtSearch, controls.searchText());
    if (Combo2->currentIndex() != controls.harvestSizeIndex())
        Combo2->setCurrentIndex(controls.harvestSizeIndex());

    const bool sourceEnabled = controls.isEnabled(SearchControls::SourceList);
    Combo1->setEnabled(sourceEnabled);
    for (QAction *item : mnuToolsItem)
        item->setEnabled(sourceEnabled);
    txtWordNum->setEnabled(controls.isEnabled(SearchControls::StartNumber));
    cmdDoSearch->setEnabled(controls.isEnabled(SearchControls::StartButton));
    Command3->setEnabled(controls.isEnabled(SearchControls::StopButton));
    txtSearch->setEnabled(controls.isEnabled(SearchControls::SearchText));
    Combo2->setEnabled(controls.isEnabled(SearchControls::HarvestSize));
    cmdCreate->setEnabled(controls.isEnabled(SearchControls::SearchButton));

    for (QWidget *widget :
         std::initializer_list<QWidget *>{txtWordNum, txtWordMax, wLabel1, wLabel2, cmdDoSearch})
        widget->setVisible(controls.startNumberGroupVisible());
    for (QWidget *widget : std::initializer_list<QWidget *>{sLabel1, SLabel2, txtSearch, Combo2, cmdCreate})
        widget->setVisible(controls.searchStringGroupVisible());
}

void MainWindow::Load()
{
    const ProgramConfig &config = m_program.config();
    // Captions from the version record and the values PurchaseLink fixed.
    setWindowTitle(config.productName + QStringLiteral(" by ") + config.companyName);
    cmdWebsite->setText(QStringLiteral("Visit ") + config.siteAddress);
    if (config.purchaseOnDoubleClick)
        Frame2->setTitle(QStringLiteral("Domain Name Manager - Double Click any domain to purchase"));
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
    Startup::ReadProxyMode(m_program);
    // One message for both: the window shows one message at a time.
    QStringList problems = {Startup::ReadHostLimits(m_program),
                            Startup::LoadRdapBootstrap(m_program, Startup::ShippedDataFolder()),
                            Startup::LoadWhoisPhrases(m_program), Startup::ReadDnsSettings(m_program)};
    {
        const QSignalBlocker quiet(mnuOptionsDns);
        mnuOptionsDns->setChecked(m_program.dnsFirst());
    }
    problems.removeAll(QString());
    if (!problems.isEmpty())
        ShowError(QStringLiteral("Whois servers"), problems.join(QStringLiteral("\n\n")));
    m_program.setDefaultExtension(QStringLiteral(".com"));
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
        for (const QToolButton *button : {cmdCopy.at(at), cmdClear.at(at), cmdClear2.at(at)})
            m_fit.buttonWidth = std::max(m_fit.buttonWidth, button->sizeHint().width() * kTwipsPerPixel);
        // Room for a five-digit count: a list holds at most 20000 names.
        const QString widest = ResultLists::CountedHeading(list, 20000);
        const int heading = QFontMetrics(Label.at(at)->font()).horizontalAdvance(widest) + 4;
        m_fit.headingWidth = std::max(m_fit.headingWidth, heading * kTwipsPerPixel);
    }
    m_fit.websiteButtonWidth =
        std::max<int>(D::kTopButtonSize, cmdWebsite->sizeHint().width() * kTwipsPerPixel);
    m_minimum = MinimumMainWindowSize(m_fit);
    setMinimumSize(ToPixels(m_minimum.width) + 1, ToPixels(m_minimum.height) + 1);
}

void MainWindow::ApplyLayout()
{
    const MainWindowLayout layout =
        LayoutMainWindow(width() * kTwipsPerPixel, height() * kTwipsPerPixel,
                         StatusBar1->height() * kTwipsPerPixel, isMinimized(), m_fit, m_minimum);
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
    PlaceInTwips(Frame1, D::kFrame1Left, 0, layout.frame1Width, D::kFrame1Height);
    PlaceInTwips(Frame2, D::kFrame2Left, D::kFrame2Top, layout.frame2Width, layout.frame2Height);
    PlaceInTwips(cmdWebsite, D::kWebsiteLeft, D::kTopButtonTop, layout.websiteButtonWidth, D::kTopButtonSize);
    for (size_t i = 0; i < panels.size(); ++i)
        panels.at(i)->setFixedWidth(ToPixels(layout.panelWidths.at(i)));
    // The count of names without a verdict takes its room from the connection panel.
    // So do the paced hosts.
    int room = ToPixels(layout.panelWidths.at(2));
    for (const QLabel *panel : {uncheckedPanel, pacedPanel, dnsPanel}) {
        if (panel->isVisible())
            room -= panel->sizeHint().width() + 12;
    }
    panels.at(2)->setFixedWidth(std::max(40, room));
    const int buttonWidth = layout.buttonWidth;
    for (const ResultList list : ResultLists::kAll) {
        const auto n = static_cast<size_t>(ControlIndex(list));
        PlaceInTwips(List.at(n), layout.listLeft.at(n), D::kListTop, layout.listWidth, layout.listHeight);
        PlaceInTwips(cmdCopy.at(n), layout.copyLeft.at(n), D::kButtonTop, buttonWidth, D::kButtonHeight);
        PlaceInTwips(cmdClear.at(n), layout.delLeft.at(n), D::kButtonTop, buttonWidth, D::kButtonHeight);
        PlaceInTwips(cmdClear2.at(n), layout.clearLeft.at(n), D::kButtonTop, buttonWidth, D::kButtonHeight);
        PlaceInTwips(Label.at(n), layout.headingLeft.at(n), D::kHeadingTop, layout.headingWidth,
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
    if (m_errorBox)
        m_errorBox->close();
    if (m_windows.MainWindowClosed())
        m_windows.EndProgram();
}
