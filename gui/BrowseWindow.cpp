#include "BrowseWindow.h"

#include "app/Program.h"
#include "engine/RunStatus.h"
#include "gui/ResultListView.h"
#include "gui/Widgets.h"
#include "platform/WebBrowser.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>

using Widgets::kTwipsPerPixel;
using Widgets::PlaceInTwips;
using Widgets::ToPixels;

namespace {

const char *const kPresetCaptions[7] = {
    "Expired Traffic", "Deleted Domains", "Just Dropped", "AfterNIC", "DMOZ", "Google", "Yahoo"};
constexpr int kListButtonHeight = 420; // twips
constexpr int kListButtonWidth = 930;

} // namespace

BrowseWindow::BrowseWindow(Program &program, WebBrowser *browser, WebBrowser *frameBrowser,
                           BrowseTimings timings, QWidget *parent)
    : QWidget(parent, Qt::Window), WebBrowser1(browser), WebBrowser2(frameBrowser), m_program(program)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Browse for Domains"));
    setWindowIcon(QIcon(ProgramEmblem(64)));
    m_state = std::make_unique<BrowseState>(
        BrowseState::Services{{program.registrars(), program.proxyModeFlag(), program.results(),
                               program.resultFiles(), &program.phrases(), &program.dnsFirstFlag(),
                               &program.dnsServers()},
                              program.paths().browseQueue(),
                              program.config().excludedLinkTexts,
                              program.socketFactory()},
        timings);
    BuildControls();
    ConnectBrowsers();
    resize(1000, 700);
}

BrowseWindow::~BrowseWindow()
{
    m_state->Unload();
}

ResultListView *BrowseWindow::ListView(BrowseState::List list) const
{
    return list == BrowseState::List::Free ? List1 : List2;
}

void BrowseWindow::BuildControls()
{
    using D = BrowseWindowDesign;
    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Label3 = Widgets::NamedLabel(Frame1, "Label3", QStringLiteral("URL:"));
    PlaceInTwips(Label3, D::kUrlLabelLeft, D::kAddressTop + 30, D::kAddressLeft - D::kUrlLabelLeft - 30, 270);
    Text1 = new QComboBox(Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setEditable(true);
    Text1->setInsertPolicy(QComboBox::NoInsert);
    Text1->installEventFilter(this); // keys reach the box first, and its line edit from there
    Text1->lineEdit()->installEventFilter(this);
    Command1 =
        Widgets::IconButton(Frame1, "Command1", Picture::Go, QStringLiteral("Navigate to the current url!"));

    Frame2 = new QGroupBox(this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    const auto navigation = [this](const char *name, Picture picture, const char *tip) {
        return Widgets::IconButton(Frame2, name, picture, QLatin1String(tip));
    };
    cmdBack = navigation("cmdBack", Picture::Back, "Go Back");
    cmdFwd = navigation("cmdFwd", Picture::Forward, "Go Forward");
    cmdHome = navigation("cmdHome", Picture::Home, "Home");
    cmdRefresh = navigation("cmdRefresh", Picture::Refresh, "Refresh");
    cmdStop = navigation("cmdStop", Picture::Halt, "Stop");
    QFont verdana = font();
    verdana.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    for (size_t i = 0; i < Command2.size(); ++i) {
        auto *preset = new QPushButton(QLatin1String(kPresetCaptions[i]), Frame2);
        preset->setObjectName(QStringLiteral("Command2_%1").arg(i));
        preset->setFont(verdana);
        Command2.at(i) = preset;
        connect(preset, &QPushButton::clicked, this, [this, i] {
            const QStringList &presets = m_program.config().browsePresets;
            if (static_cast<qsizetype>(i) < presets.size())
                WebBrowser1->Navigate(presets.at(static_cast<qsizetype>(i)));
        });
    }

    const auto heading = [this](const char *name, const QString &text) {
        QLabel *label = Widgets::NamedLabel(this, name, text);
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        return label;
    };
    Label2 = heading("Label2", m_state->label(BrowseState::List::Taken));
    Label1 = heading("Label1", m_state->label(BrowseState::List::Free));
    Label1->setToolTip(QStringLiteral("These domain names have not been registered."));
    List2 = new ResultListView(ResultListView::Role::Plain, this);
    List2->setObjectName(QStringLiteral("List2"));
    List1 = new ResultListView(ResultListView::Role::Plain, this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setToolTip(QStringLiteral("These domain names have not been registered."));
    for (const BrowseState::List list : {BrowseState::List::Free, BrowseState::List::Taken}) {
        const auto n = static_cast<size_t>(list);
        ResultListView *view = ListView(list);
        view->setModel(m_state->model(list));
        const auto button = [&](const char *array, const QString &caption, Picture picture,
                                const QString &tip) {
            QToolButton *b = Widgets::PictureButton(this, "", caption, picture, tip);
            b->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(array)).arg(n));
            b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
            b->setFocusPolicy(Qt::NoFocus);
            return b;
        };
        cmdCopy.at(n) = button("cmdCopy", QStringLiteral("Copy"), Picture::Copy, QStringLiteral("Copy List"));
        cmdClear.at(n) =
            button("cmdClear", QStringLiteral("Clear"), Picture::Clear, QStringLiteral("Clear List"));
        cmdClear2.at(n) =
            button("cmdClear2", QStringLiteral("Del"), Picture::Del, QStringLiteral("Delete Selected Item"));
        connect(cmdCopy.at(n), &QToolButton::clicked, this, [this, list] { Copy(list); });
        connect(cmdClear.at(n), &QToolButton::clicked, this, [this, list] { Clear(list); });
        connect(cmdClear2.at(n), &QToolButton::clicked, this, [this, list] { Del(list); });
        connect(view, &ResultListView::deletePressed, this,
                [this, list](bool clearAll) { clearAll ? Clear(list) : Del(list); });
        connect(view, &QAbstractItemView::doubleClicked, this,
                [this](const QModelIndex &index) { emit nameOpened(index.data().toString()); });
    }

    if (QWidget *view = WebBrowser1->view()) {
        view->setParent(this);
        view->setObjectName(QStringLiteral("WebBrowser1"));
        view->setToolTip(QStringLiteral("Searching for unique domain names."));
    }
    WebBrowser1->setParent(this);
    WebBrowser2->setParent(this);
    if (QWidget *view = WebBrowser2->view()) {
        // It loads the frames of a page for the scan and is never shown.
        view->setParent(this);
        view->setObjectName(QStringLiteral("WebBrowser2"));
        PlaceInTwips(view, D::kFrameBrowserLeft, D::kFrameBrowserTop, D::kFrameBrowserSize,
                     D::kFrameBrowserSize);
        view->hide();
    }

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);

    connect(Command1, &QToolButton::clicked, this, &BrowseWindow::Command1_Click);
    connect(Text1, &QComboBox::activated, this, [this](int index) {
        if (index >= 0)
            WebBrowser1->Navigate(Text1->itemText(index)); // chosen from the list: nothing is added
    });
    connect(cmdBack, &QToolButton::clicked, WebBrowser1, &WebBrowser::GoBack);
    connect(cmdFwd, &QToolButton::clicked, WebBrowser1, &WebBrowser::GoForward);
    connect(cmdHome, &QToolButton::clicked, WebBrowser1, &WebBrowser::GoHome);
    connect(cmdRefresh, &QToolButton::clicked, WebBrowser1, &WebBrowser::Refresh);
    connect(cmdStop, &QToolButton::clicked, this, [this] {
        WebBrowser1->Stop();
        m_state->SetPanel(2, QStringLiteral("Stopped"));
        Text1->setEditText(WebBrowser1->LocationURL()); // the page that is displayed
    });
}

void BrowseWindow::ConnectBrowsers()
{
    BrowseState &state = *m_state;
    connect(WebBrowser1, &WebBrowser::TitleChange, this, [this] {
        Text1->setEditText(WebBrowser1->LocationURL());
        setWindowTitle(WebBrowser1->LocationName() + QStringLiteral(" - ") + m_program.config().productName);
    });
    connect(WebBrowser1, &WebBrowser::StatusTextChange, this,
            [this](const QString &text) { m_state->SetPanel(3, text); });
    connect(WebBrowser1, &WebBrowser::DownloadBegin, &state, &BrowseState::DownloadBegin);
    // The markup is taken when the page is complete, and scanned whole once.
    connect(WebBrowser1, &WebBrowser::DocumentComplete, this, [this](const QString &address) {
        m_state->PageCompleted(WebBrowser1->BodyMarkup(), address, false);
        if (WebBrowser1->BodyMarkupCut())
            m_state->SetPanel(3, WebBrowser::MarkupCutText());
    });
    connect(WebBrowser2, &WebBrowser::DocumentComplete, this, [this](const QString &address) {
        m_state->PageCompleted(WebBrowser2->BodyMarkup(), address, true);
    });
    connect(&state, &BrowseState::followFrame, WebBrowser2, &WebBrowser::Navigate);
    connect(&state, &BrowseState::panelChanged, this, [this](int panel, const QString &text) {
        Widgets::SetElidedText(panels.at(static_cast<size_t>(panel - 1)), text);
    });
    connect(&state, &BrowseState::labelChanged, this, [this](BrowseState::List list, const QString &text) {
        (list == BrowseState::List::Free ? Label1 : Label2)->setText(text);
    });
}

void BrowseWindow::Load()
{
    m_state->Load();
    for (QLabel *&panel : panels) {
        panel = new QLabel(StatusBar1);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setObjectName(QStringLiteral("Panel%1").arg(&panel - panels.data() + 1));
        StatusBar1->addWidget(panel);
    }
    noVerdictPanel = new QLabel(StatusBar1);
    noVerdictPanel->setObjectName(QStringLiteral("noVerdictPanel"));
    noVerdictPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    noVerdictPanel->hide();
    StatusBar1->addPermanentWidget(noVerdictPanel);
    connect(&m_state->checker(), &BrowseChecker::noVerdictChanged, this, [this] {
        const BrowseChecker &checker = m_state->checker();
        noVerdictPanel->setText(RunStatus::NoVerdictText(checker.noVerdictCount()));
        noVerdictPanel->setToolTip(
            RunStatus::NoVerdictToolTip(checker.noVerdictCount(), checker.noVerdictReasons(),
                                        m_program.unchecked().path(), QStringLiteral("this window")));
        noVerdictPanel->show();
    });
    WebBrowser1->Navigate(m_program.config().siteAddress);
    ApplyLayout();
}

bool BrowseWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the address box is handled here, so the box does not also take it for a choice
    // from its list: one Enter, one navigation.
    if ((watched == Text1 || watched == Text1->lineEdit()) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Command1_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void BrowseWindow::Command1_Click()
{
    const QString address = Text1->currentText();
    Text1->addItem(address); // every time, repeats too
    Text1->setEditText(address);
    WebBrowser1->Navigate(address);
}

void BrowseWindow::Copy(BrowseState::List list)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(m_state->CopyText(list));
}

void BrowseWindow::Del(BrowseState::List list)
{
    ResultListView *view = ListView(list);
    const QModelIndex current = view->currentIndex();
    if (!current.isValid() || !view->selectionModel()->isSelected(current))
        return;
    if (!m_state->Del(list, current.row()))
        return;
    view->selectionModel()->clear();
    view->setCurrentIndex(QModelIndex());
}

void BrowseWindow::Clear(BrowseState::List list)
{
    m_state->Clear(list);
}

int BrowseWindow::PlaceButtonRows()
{
    // The navigation buttons, then the site buttons, left to right in as many rows as the
    // window's width needs.
    const int width = Frame2->width();
    const int gap = 4;
    int x = 6;
    int y = 6;
    int rowHeight = 0;
    QList<QWidget *> buttons = {cmdBack, cmdFwd, cmdHome, cmdRefresh, cmdStop};
    for (QPushButton *preset : Command2)
        buttons.append(preset);
    for (QWidget *button : buttons) {
        const QSize size = button->sizeHint();
        if (x > 6 && x + size.width() > width - 6) {
            x = 6;
            y += rowHeight + gap;
            rowHeight = 0;
        }
        button->setGeometry(x, y, size.width(), size.height());
        x += size.width() + gap;
        rowHeight = std::max(rowHeight, size.height());
    }
    return y + rowHeight + 6;
}

void BrowseWindow::ApplyLayout()
{
    using D = BrowseWindowDesign;
    if (!StatusBar1 || !panels.at(0))
        return; // not loaded yet
    Frame2->setGeometry(0, ToPixels(D::kFrame2Top), width(), Frame2->height());
    const int rowsHeight = PlaceButtonRows();
    const int browserTop = (ToPixels(D::kFrame2Top) + rowsHeight + 4) * kTwipsPerPixel;
    const int statusHeight = StatusBar1->sizeHint().height();
    const BrowseWindowLayout layout =
        LayoutBrowseWindow(width() * kTwipsPerPixel, height() * kTwipsPerPixel, statusHeight * kTwipsPerPixel,
                           isMinimized(), browserTop);
    switch (layout.action) {
    case BrowseWindowLayout::Action::None:
        return;
    case BrowseWindowLayout::Action::Resize:
        resize((layout.width + kTwipsPerPixel - 1) / kTwipsPerPixel,
               (layout.height + kTwipsPerPixel - 1) / kTwipsPerPixel);
        return;
    case BrowseWindowLayout::Action::Apply:
        break;
    }
    m_layout = layout;
    PlaceInTwips(Frame1, 0, D::kFrame1Top, layout.frameWidth, D::kFrame1Height);
    Frame2->setGeometry(0, ToPixels(D::kFrame2Top), ToPixels(layout.frameWidth), rowsHeight);
    PlaceInTwips(Text1, D::kAddressLeft, D::kAddressTop, layout.addressWidth, D::kAddressHeight);
    PlaceInTwips(Command1, layout.goButtonLeft, D::kAddressTop, D::kGoButtonWidth, D::kAddressHeight);
    PlaceInTwips(Label2, D::kListLeft, layout.takenLabelTop, D::kListWidth, 240);
    PlaceInTwips(List2, D::kListLeft, layout.takenListTop, D::kListWidth, layout.takenListHeight);
    PlaceInTwips(Label1, D::kListLeft, layout.freeLabelTop, D::kListWidth, 240);
    PlaceInTwips(List1, D::kListLeft, layout.freeListTop, D::kListWidth, layout.freeListHeight);
    const std::array<int, 3> buttonTops = {0, layout.freeListTop + layout.freeListHeight + 45,
                                           layout.takenListTop + layout.takenListHeight + 45};
    for (size_t n = 1; n <= 2; ++n) {
        int left = D::kListLeft;
        for (QToolButton *button : {cmdCopy.at(n), cmdClear.at(n), cmdClear2.at(n)}) {
            PlaceInTwips(button, left, buttonTops.at(n), kListButtonWidth, kListButtonHeight);
            left += kListButtonWidth + 52;
        }
    }
    if (QWidget *view = WebBrowser1->view())
        PlaceInTwips(view, D::kBrowserLeft, browserTop, layout.browserWidth, layout.browserHeight);
    for (QLabel *panel : panels) {
        panel->setFixedWidth(ToPixels(layout.panelWidths.at(0)));
        Widgets::SetElidedText(panel, Widgets::FullText(panel));
    }
    StatusBar1->setGeometry(0, height() - statusHeight, width(), statusHeight);
}

void BrowseWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ApplyLayout();
}

void BrowseWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        ApplyLayout();
}

void BrowseWindow::closeEvent(QCloseEvent *event)
{
    m_state->Unload();
    WebBrowser1->Stop();
    WebBrowser2->Stop();
    QWidget::closeEvent(event);
}
