#include "Form1.h"

#include "Pictures.h"
#include "ProgramWindows.h"
#include "Startup.h"
#include "platform/TcpSocketComponent.h"
#include "results/ResultListView.h"
#include "shell/AppState.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QToolButton>

namespace {

constexpr int kTwipsPerPixel = 15;

int ToPixels(int twips)
{
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

void PlaceInTwips(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(ToPixels(left), ToPixels(top), ToPixels(width), ToPixels(height));
}

QToolButton *PictureButton(QWidget *parent, const char *name, const QString &caption, Picture picture,
                           const QString &toolTip = QString())
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setIcon(PictureIcon(picture));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(false);
    if (!toolTip.isEmpty())
        button->setToolTip(toolTip);
    return button;
}

QLabel *NamedLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

QLineEdit *NamedLineEdit(QWidget *parent, const char *name, const QString &text,
                         const QString &toolTip = QString())
{
    auto *box = new QLineEdit(text, parent);
    box->setObjectName(QLatin1String(name));
    if (!toolTip.isEmpty())
        box->setToolTip(toolTip);
    return box;
}

} // namespace

Form1::Form1(AppState &state, ProgramWindows &windows, EngineTimings timings, QWidget *parent)
    : QMainWindow(parent), m_state(state), m_windows(windows), m_selection(state),
      m_engine(state, m_selection, windows.socketFactory(), timings)
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

    m_selection.setHooks({
        [this](const QString &startFolder) -> std::optional<QString> {
            const QString chosen = QFileDialog::getOpenFileName(this, QStringLiteral("Open"), startFolder,
                                                                QStringLiteral("Text files (*.txt)"));
            return chosen.isEmpty() ? std::nullopt : std::optional(chosen);
        },
        [this] { m_windows.OpenGenerator(); }, [] {}, // the browse window comes with the browse source
    });
}

Form1::~Form1() = default;

void Form1::BuildMenus()
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
            Clear(ResultLists::Low);
            Clear(ResultLists::High);
            Clear(ResultLists::Mid);
        },
        [this] { Clear(ResultLists::High); },
        [this] { Clear(ResultLists::Mid); },
        [this] { Clear(ResultLists::Low); },
        [this] { Clear(ResultLists::Registered); },
        [this] { Clear(ResultLists::Saved); },
        [this] { Copy(ResultLists::High); },
        [this] { Copy(ResultLists::Mid); },
        [this] { Copy(ResultLists::Low); },
        [this] { Copy(ResultLists::Saved); },
    };
    for (int i = 0; i < 10; ++i) {
        mnuEditItem.at(i) = edit->addAction(editCaptions.at(i), this, editActions.at(i));
        mnuEditItem.at(i)->setObjectName(QStringLiteral("mnuEditItem_%1").arg(i));
    }

    QMenu *tools = menuBar()->addMenu(QStringLiteral("Tools"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    for (int i = 0; i < 9; ++i) {
        mnuToolsItem.at(i) = tools->addAction(SearchControls::SourceCaptions().at(i), this,
                                              [this, i] { m_selection.SelectIndex(i); });
        mnuToolsItem.at(i)->setObjectName(QStringLiteral("mnuToolsItem_%1").arg(i));
    }

    QMenu *options = menuBar()->addMenu(QStringLiteral("Options"));
    options->setObjectName(QStringLiteral("mnuOptions"));
    options->addAction(QStringLiteral("Setup"), this, [this] { m_windows.OpenSettings(); })
        ->setObjectName(QStringLiteral("mnuOptionsSetup"));

    QMenu *help = menuBar()->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    help->addAction(QStringLiteral("View Help"), this, [this] { m_windows.OpenHelp(); })
        ->setObjectName(QStringLiteral("mnuHelpView"));

    QMenu *about = menuBar()->addMenu(QStringLiteral("About"));
    about->setObjectName(QStringLiteral("mnuAbout"));
    about->addAction(QStringLiteral("About this software"), this, [this] { m_windows.OpenAbout(); })
        ->setObjectName(QStringLiteral("mnuAboutSoftware"));
}

void Form1::BuildFrame1()
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

    connect(Combo1, &QComboBox::activated, this, [this](int index) { m_selection.SelectIndex(index); });
    connect(txtWordNum, &QLineEdit::textEdited, &m_state.controls, &SearchControls::setStartNumber);
    connect(txtWordMax, &QLineEdit::textEdited, &m_state.controls, &SearchControls::setTotal);
    connect(txtSearch, &QLineEdit::textEdited, &m_state.controls, &SearchControls::setSearchText);
    connect(Combo2, &QComboBox::currentIndexChanged, &m_state.controls, &SearchControls::setHarvestSizeIndex);
    connect(cmdDoSearch, &QToolButton::clicked, this, [this] { m_engine.Start(); });
    connect(Command3, &QToolButton::clicked, this, [this] { m_engine.Stop(); });
    connect(cmdCreate, &QToolButton::clicked, this, &Form1::harvestRequested);
    connect(cmdSetup, &QToolButton::clicked, this, [this] { m_windows.OpenSettings(); });
    connect(cmdWebsite, &QToolButton::clicked, this, [this] { m_windows.OpenWebsite(); });
}

void Form1::BuildFrame2()
{
    using D = MainWindowDesign;
    Frame2 = new QGroupBox(QStringLiteral("Domain Name Manager"), centralWidget());
    Frame2->setObjectName(QStringLiteral("Frame2"));
    PlaceInTwips(Frame2, D::kFrame2Left, D::kFrame2Top, 10755, 5115);

    const std::array<int, 5> designLefts = {4140, 6120, 180, 2160, 8400}; // lists 1 to 5
    for (int n = 1; n <= 5; ++n) {
        auto *heading = NamedLabel(Frame2, "", ResultLists::BareHeading(n));
        heading->setObjectName(QStringLiteral("Label%1").arg(n));
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        Label.at(n) = heading;
        PlaceInTwips(heading, designLefts.at(n - 1), D::kHeadingTop, 1750, D::kHeadingHeight);

        auto *list = new ResultListView(n == ResultLists::Saved ? ResultListView::Role::DropTarget
                                                                : ResultListView::Role::DragSource,
                                        Frame2);
        list->setObjectName(QStringLiteral("List%1").arg(n));
        list->setModel(m_state.results.model(n));
        List.at(n) = list;
        PlaceInTwips(list, designLefts.at(n - 1), D::kListTop, 1750, 3500);

        const auto button = [&](const char *array, const QString &caption, Picture picture,
                                const QString &tip) {
            QToolButton *b = PictureButton(Frame2, "", caption, picture, tip);
            b->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(array)).arg(n));
            b->setFocusPolicy(Qt::NoFocus);
            return b;
        };
        cmdCopy.at(n) = button("cmdCopy", QStringLiteral("Copy"), Picture::Copy, QStringLiteral("Copy List"));
        cmdClear.at(n) =
            button("cmdClear", QStringLiteral("Del"), Picture::Del, QStringLiteral("Delete Selected Item"));
        cmdClear2.at(n) = button("cmdClear2", QStringLiteral("Clear"), Picture::Clear, QString());
        connect(cmdCopy.at(n), &QToolButton::clicked, this, [this, n] { Copy(n); });
        connect(cmdClear.at(n), &QToolButton::clicked, this, [this, n] { Del(n); });
        connect(cmdClear2.at(n), &QToolButton::clicked, this, [this, n] { Clear(n); });
        connect(list, &ResultListView::deletePressed, this,
                [this, n](bool clearAll) { clearAll ? Clear(n) : Del(n); });
        connect(list, &QAbstractItemView::doubleClicked, this, [this, n] { OpenCurrentName(n); });
        if (n == ResultLists::Saved)
            connect(list, &ResultListView::payloadDropped, this, &Form1::DropOnSaved);
        else
            connect(list, &QAbstractItemView::pressed, this, [this, n] { ListClicked(n); });
    }
    const auto tip = [](QWidget *widget, const char *text) {
        widget->setToolTip(QLatin1String(text));
    };
    tip(List.at(3), "These domains have less than 5 letters.");
    tip(Label.at(3), "These domains have less than 5 letters.");
    tip(List.at(4), "These domains have 5 to 7 characters");
    tip(List.at(1), "These domains have 8 or more characters.");
    tip(Label.at(1), "These domains have 8+ characters.");
    tip(List.at(2), "These domain names are already registered.");
    tip(Label.at(2), "These domain names are already registered.");
    tip(List.at(5), "Drag a domain name here to save it.");
    tip(Label.at(5), "Drag a domain name here to save it.");
}

void Form1::BuildStatusBar()
{
    StatusBar1 = statusBar();
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    for (int panel = 1; panel <= 3; ++panel) {
        auto *label = new QLabel(CheckEngine::IdleStatusText(panel), StatusBar1);
        label->setObjectName(QStringLiteral("Panel%1").arg(panel));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setMinimumWidth(40);
        StatusBar1->addWidget(label);
        panels.at(panel - 1) = label;
    }
}

void Form1::ConnectState()
{
    connect(&m_state.controls, &SearchControls::changed, this, &Form1::ShowControls);
    connect(&m_state.results, &ResultLists::headingChanged, this,
            [this](int list, const QString &text) { Label.at(list)->setText(text); });
    connect(&m_engine, &CheckEngine::statusTextChanged, this,
            [this](int panel, const QString &text) { panels.at(panel - 1)->setText(text); });
    connect(&m_engine, &CheckEngine::errorRaised, this, &Form1::ShowError);
    connect(&m_engine, &CheckEngine::backupNotice, this, [this] { m_windows.ShowBackupNotice(); });
}

void Form1::ShowControls()
{
    const SearchControls &controls = m_state.controls;
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

    Combo1->setEnabled(controls.isEnabled(SearchControls::SourceList));
    txtWordNum->setEnabled(controls.isEnabled(SearchControls::StartNumber));
    cmdDoSearch->setEnabled(controls.isEnabled(SearchControls::StartButton));
    Command3->setEnabled(controls.isEnabled(SearchControls::StopButton));
    txtSearch->setEnabled(controls.isEnabled(SearchControls::SearchText));
    Combo2->setEnabled(controls.isEnabled(SearchControls::HarvestSize));
    cmdCreate->setEnabled(controls.isEnabled(SearchControls::SearchButton));

    for (QWidget *widget : {static_cast<QWidget *>(txtWordNum), static_cast<QWidget *>(txtWordMax),
                            static_cast<QWidget *>(wLabel1), static_cast<QWidget *>(wLabel2),
                            static_cast<QWidget *>(cmdDoSearch)})
        widget->setVisible(controls.startNumberGroupVisible());
    for (QWidget *widget :
         {static_cast<QWidget *>(sLabel1), static_cast<QWidget *>(SLabel2), static_cast<QWidget *>(txtSearch),
          static_cast<QWidget *>(Combo2), static_cast<QWidget *>(cmdCreate)})
        widget->setVisible(controls.searchStringGroupVisible());
}

void Form1::Load()
{
    // Captions from the version record and the values PurchaseLink fixed.
    setWindowTitle(m_state.config.productName + QStringLiteral(" by ") + m_state.config.companyName);
    cmdWebsite->setText(QStringLiteral("Visit ") + m_state.config.siteAddress);
    if (m_state.config.purchaseOnDoubleClick)
        Frame2->setTitle(QStringLiteral("Domain Name Manager - Double Click any domain to purchase"));

    Startup::EnsureAppFolder(m_state);
    if (m_state.ReadSetting(m_state.productApp(), QStringLiteral("showHelp"), QStringLiteral("1")) ==
        QLatin1String("1"))
        m_windows.OpenHelp();
    Startup::EnsureDataFiles(m_state);
    m_state.results.LoadRemembered();
    setWindowState(windowState() | Qt::WindowMaximized);
    Startup::ReadRunPosition(m_state);
    Startup::EnsureDataFolders(m_state);
    Startup::InstallWordLists(m_state, Startup::ShippedDataFolder());
    if (!Startup::LoadWhoisTable(m_state) || m_state.registrars.size() == 0) {
        ShowError(QStringLiteral("Whois servers"),
                  QStringLiteral(
                      "The whois server table \"%1\" cannot be read. Restore the defaults in Options, Setup.")
                      .arg(m_state.registrarFile().path()));
    }
    Startup::ReadProxyMode(m_state);
    m_state.defaultExtension = QStringLiteral(".com");
}

void Form1::ShowError(const QString &title, const QString &text)
{
    // One message at a time: a run that fails for every name does not bury the window.
    if (m_errorBox && m_errorBox->isVisible())
        return;
    if (!m_errorBox) {
        m_errorBox = new QMessageBox(this);
        m_errorBox->setObjectName(QStringLiteral("ErrorMessage"));
        m_errorBox->setIcon(QMessageBox::Warning);
        m_errorBox->setStandardButtons(QMessageBox::Ok);
        m_errorBox->setWindowModality(Qt::NonModal);
    }
    m_errorBox->setWindowTitle(title);
    m_errorBox->setText(text);
    m_errorBox->show();
}

void Form1::Copy(int list)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(m_state.results.CopyText(list));
}

void Form1::Del(int list)
{
    m_state.results.Del(list, List.at(list)->currentIndex().row());
}

void Form1::Clear(int list)
{
    m_state.results.Clear(list);
}

void Form1::ListClicked(int list)
{
    LastClickedList = list;
}

void Form1::DropOnSaved(const QString &payload)
{
    m_state.results.Drop(payload, LastClickedList);
}

void Form1::OpenCurrentName(int list)
{
    const QModelIndex current = List.at(list)->currentIndex();
    if (!current.isValid())
        return;
    m_state.currentDomain = current.data().toString();
    m_windows.OpenName(m_state.currentDomain);
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    ApplyLayout();
}

void Form1::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        ApplyLayout();
}

void Form1::ApplyLayout()
{
    const MainWindowLayout layout = LayoutMainWindow(width() * kTwipsPerPixel, height() * kTwipsPerPixel,
                                                     StatusBar1->height() * kTwipsPerPixel, isMinimized());
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
    for (int i = 0; i < 3; ++i)
        panels.at(i)->setFixedWidth(ToPixels(layout.panelWidths.at(i)));
    for (int n = 1; n <= 5; ++n) {
        PlaceInTwips(List.at(n), layout.listLeft.at(n), D::kListTop, layout.listWidth, layout.listHeight);
        PlaceInTwips(cmdCopy.at(n), layout.copyLeft.at(n), D::kButtonTop, D::kButtonWidth, D::kButtonHeight);
        PlaceInTwips(cmdClear.at(n), layout.delLeft.at(n), D::kButtonTop, D::kButtonWidth, D::kButtonHeight);
        PlaceInTwips(cmdClear2.at(n), layout.clearLeft.at(n), D::kButtonTop, D::kButtonWidth,
                     D::kButtonHeight);
        PlaceInTwips(Label.at(n), layout.headingLeft.at(n), D::kHeadingTop, layout.headingWidth,
                     D::kHeadingHeight);
    }
}

void Form1::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (m_closed)
        return;
    m_closed = true;
    m_engine.Shutdown();
    if (m_errorBox)
        m_errorBox->close();
    if (m_windows.MainWindowClosed())
        m_windows.EndProgram();
}
