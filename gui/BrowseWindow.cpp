#include "BrowseWindow.h"

#include "app/Program.h"
#include "app/RunStatus.h"
#include "gui/ResultListView.h"
#include "gui/Widgets.h"
#include "platform/WebBrowser.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
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
    : QWidget(parent, Qt::Window), m_browser(browser), m_frameBrowser(frameBrowser), m_program(program)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Browse for Domains"));
    setWindowIcon(QIcon(ProgramEmblem(64)));
    m_state = std::make_unique<BrowseState>(
        BrowseState::Services{program.registrars(),
                              {program.results(), program.resultFiles(), program.unchecked(),
                               &program.engine().pacer(), &program.engine().clock()},
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
    return list == BrowseState::List::Free ? m_freeList : m_takenList;
}

void BrowseWindow::BuildControls()
{
    using D = BrowseWindowDesign;
    m_addressFrame = new QGroupBox(this);
    m_addressFrame->setObjectName(QStringLiteral("Frame1"));
    m_addressLabel = Widgets::NamedLabel(m_addressFrame, "Label3", QStringLiteral("URL:"));
    PlaceInTwips(m_addressLabel, D::kUrlLabelLeft, D::kAddressTop + 30,
                 D::kAddressLeft - D::kUrlLabelLeft - 30, 270);
    m_addressBox = new QComboBox(m_addressFrame);
    m_addressBox->setObjectName(QStringLiteral("Text1"));
    m_addressBox->setEditable(true);
    m_addressBox->setInsertPolicy(QComboBox::NoInsert);
    m_addressBox->installEventFilter(this); // keys reach the box first, and its line edit from there
    m_addressBox->lineEdit()->installEventFilter(this);
    m_goButton = Widgets::IconButton(m_addressFrame, "Command1", Picture::Go,
                                     QStringLiteral("Navigate to the current url!"));

    m_buttonFrame = new QGroupBox(this);
    m_buttonFrame->setObjectName(QStringLiteral("Frame2"));
    const auto navigation = [this](const char *name, Picture picture, const char *tip) {
        return Widgets::IconButton(m_buttonFrame, name, picture, QLatin1String(tip));
    };
    m_backButton = navigation("cmdBack", Picture::Back, "Go Back");
    m_forwardButton = navigation("cmdFwd", Picture::Forward, "Go Forward");
    m_homeButton = navigation("cmdHome", Picture::Home, "Home");
    m_refreshButton = navigation("cmdRefresh", Picture::Refresh, "Refresh");
    m_stopButton = navigation("cmdStop", Picture::Halt, "Stop");
    QFont verdana = font();
    verdana.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    for (size_t i = 0; i < m_presetButtons.size(); ++i) {
        auto *preset = new QPushButton(QLatin1String(kPresetCaptions[i]), m_buttonFrame);
        preset->setObjectName(QStringLiteral("Command2_%1").arg(i));
        preset->setFont(verdana);
        m_presetButtons.at(i) = preset;
        connect(preset, &QPushButton::clicked, this, [this, i] {
            const QStringList &presets = m_program.config().browsePresets;
            if (static_cast<qsizetype>(i) < presets.size())
                m_browser->Navigate(presets.at(static_cast<qsizetype>(i)));
        });
    }

    const auto heading = [this](const char *name, const QString &text) {
        QLabel *label = Widgets::NamedLabel(this, name, text);
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        return label;
    };
    m_takenHeading = heading("Label2", m_state->label(BrowseState::List::Taken));
    m_freeHeading = heading("Label1", m_state->label(BrowseState::List::Free));
    m_freeHeading->setToolTip(QStringLiteral("These domain names have not been registered."));
    m_takenList = new ResultListView(ResultListView::Role::Plain, this);
    m_takenList->setObjectName(QStringLiteral("List2"));
    m_freeList = new ResultListView(ResultListView::Role::Plain, this);
    m_freeList->setObjectName(QStringLiteral("List1"));
    m_freeList->setToolTip(QStringLiteral("These domain names have not been registered."));
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
        m_copyButtons.at(n) =
            button("cmdCopy", QStringLiteral("Copy"), Picture::Copy, QStringLiteral("Copy List"));
        m_deleteButtons.at(n) =
            button("cmdClear", QStringLiteral("Clear"), Picture::Clear, QStringLiteral("Clear List"));
        m_clearButtons.at(n) =
            button("cmdClear2", QStringLiteral("Del"), Picture::Del, QStringLiteral("Delete Selected Item"));
        connect(m_copyButtons.at(n), &QToolButton::clicked, this, [this, list] { Copy(list); });
        connect(m_deleteButtons.at(n), &QToolButton::clicked, this, [this, list] { Clear(list); });
        connect(m_clearButtons.at(n), &QToolButton::clicked, this, [this, list] { Del(list); });
        connect(view, &ResultListView::deletePressed, this,
                [this, list](bool clearAll) { clearAll ? Clear(list) : Del(list); });
        connect(view, &QAbstractItemView::doubleClicked, this,
                [this](const QModelIndex &index) { emit nameOpened(index.data().toString()); });
        Widgets::ConnectNameMenu(view, [this, list](const QString &name) {
            return Widgets::NameMenuActions{[this, name] { emit whoisRequested(name); },
                                            [this, name] { emit purchaseRequested(name); },
                                            [name] { QGuiApplication::clipboard()->setText(name); },
                                            [this, list] {
                                                Del(list);
                                            }};
        });
    }

    if (QWidget *view = m_browser->view()) {
        view->setParent(this);
        view->setObjectName(QStringLiteral("WebBrowser1"));
        view->setToolTip(QStringLiteral("Searching for unique domain names."));
    }
    m_browser->setParent(this);
    m_frameBrowser->setParent(this);
    if (QWidget *view = m_frameBrowser->view()) {
        // It loads the frames of a page for the scan and is never shown.
        view->setParent(this);
        view->setObjectName(QStringLiteral("WebBrowser2"));
        PlaceInTwips(view, D::kFrameBrowserLeft, D::kFrameBrowserTop, D::kFrameBrowserSize,
                     D::kFrameBrowserSize);
        view->hide();
    }

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setSizeGripEnabled(false);

    connect(m_goButton, &QToolButton::clicked, this, &BrowseWindow::Command1_Click);
    connect(m_addressBox, &QComboBox::activated, this, [this](int index) {
        if (index >= 0)
            m_browser->Navigate(m_addressBox->itemText(index)); // chosen from the list: nothing is added
    });
    connect(m_backButton, &QToolButton::clicked, m_browser, &WebBrowser::GoBack);
    connect(m_forwardButton, &QToolButton::clicked, m_browser, &WebBrowser::GoForward);
    connect(m_homeButton, &QToolButton::clicked, m_browser, &WebBrowser::GoHome);
    connect(m_refreshButton, &QToolButton::clicked, m_browser, &WebBrowser::Refresh);
    connect(m_stopButton, &QToolButton::clicked, this, [this] {
        m_browser->Stop();
        m_state->SetPanel(2, QStringLiteral("Stopped"));
        m_addressBox->setEditText(m_browser->DisplayedURL()); // not the load that was stopped
    });
}

void BrowseWindow::ConnectBrowsers()
{
    BrowseState &state = *m_state;
    connect(m_browser, &WebBrowser::AddressChange, m_addressBox, &QComboBox::setEditText);
    connect(m_browser, &WebBrowser::TitleChange, this, [this] {
        m_addressBox->setEditText(m_browser->LocationURL());
        setWindowTitle(m_browser->LocationName() + QStringLiteral(" - ") + m_program.config().productName);
    });
    connect(m_browser, &WebBrowser::StatusTextChange, this,
            [this](const QString &text) { m_state->SetPanel(3, text); });
    connect(m_browser, &WebBrowser::DownloadBegin, &state, &BrowseState::DownloadBegin);
    // The markup is taken when the page is complete, and scanned whole once.
    connect(m_browser, &WebBrowser::DocumentComplete, this, [this](const QString &address) {
        m_state->PageCompleted(m_browser->BodyMarkup(), address, false);
        if (m_browser->BodyMarkupCut())
            m_state->SetPanel(3, WebBrowser::MarkupCutText());
    });
    connect(m_frameBrowser, &WebBrowser::DocumentComplete, this, [this](const QString &address) {
        m_state->PageCompleted(m_frameBrowser->BodyMarkup(), address, true);
    });
    connect(&state, &BrowseState::followFrame, m_frameBrowser, &WebBrowser::Navigate);
    connect(&state.panels(), &StatusPanels::textChanged, this, [this](int panel, const QString &text) {
        Widgets::SetElidedText(m_panels.at(static_cast<size_t>(panel - 1)), text);
    });
    connect(&state, &BrowseState::labelChanged, this, [this](BrowseState::List list, const QString &text) {
        (list == BrowseState::List::Free ? m_freeHeading : m_takenHeading)->setText(text);
    });
}

void BrowseWindow::Load()
{
    // The window's checks keep to the settings of the moment it opens.
    m_state->Load(m_program.MakeNameCheck(m_program.checkSettings()));
    for (QLabel *&panel : m_panels) {
        panel = new QLabel(m_statusBar);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setObjectName(QStringLiteral("Panel%1").arg(&panel - m_panels.data() + 1));
        m_statusBar->addWidget(panel);
    }
    m_noVerdictPanel = new QLabel(m_statusBar);
    m_noVerdictPanel->setObjectName(QStringLiteral("noVerdictPanel"));
    m_noVerdictPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_noVerdictPanel->hide();
    m_statusBar->addPermanentWidget(m_noVerdictPanel);
    connect(&m_state->checker(), &BrowseChecker::unchecked, this, [this] {
        const NoVerdictTally &tally = m_state->checker().noVerdicts();
        m_noVerdictPanel->setText(RunStatus::NoVerdictText(tally.count()));
        m_noVerdictPanel->setToolTip(RunStatus::NoVerdictToolTip(tally.count(), tally.reasons(),
                                                                 m_program.unchecked().path(),
                                                                 QStringLiteral("this window")));
        m_noVerdictPanel->show();
    });
    m_browser->Navigate(m_program.config().siteAddress);
    ApplyLayout();
}

bool BrowseWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the address box is handled here, so the box does not also take it for a choice
    // from its list: one Enter, one navigation.
    if ((watched == m_addressBox || watched == m_addressBox->lineEdit()) &&
        event->type() == QEvent::KeyPress) {
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
    const QString address = m_addressBox->currentText();
    m_addressBox->addItem(address); // every time, repeats too
    m_addressBox->setEditText(address);
    m_browser->Navigate(address);
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
    const int width = m_buttonFrame->width();
    const int gap = 4;
    int x = 6;
    int y = 6;
    int rowHeight = 0;
    QList<QWidget *> buttons = {m_backButton, m_forwardButton, m_homeButton, m_refreshButton, m_stopButton};
    for (QPushButton *preset : m_presetButtons)
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
    if (!m_statusBar || !m_panels.at(0))
        return; // not loaded yet
    m_buttonFrame->setGeometry(0, ToPixels(D::kFrame2Top), width(), m_buttonFrame->height());
    const int rowsHeight = PlaceButtonRows();
    const int browserTop = (ToPixels(D::kFrame2Top) + rowsHeight + 4) * kTwipsPerPixel;
    const int statusHeight = m_statusBar->sizeHint().height();
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
    PlaceInTwips(m_addressFrame, 0, D::kFrame1Top, layout.frameWidth, D::kFrame1Height);
    m_buttonFrame->setGeometry(0, ToPixels(D::kFrame2Top), ToPixels(layout.frameWidth), rowsHeight);
    PlaceInTwips(m_addressBox, D::kAddressLeft, D::kAddressTop, layout.addressWidth, D::kAddressHeight);
    PlaceInTwips(m_goButton, layout.goButtonLeft, D::kAddressTop, D::kGoButtonWidth, D::kAddressHeight);
    PlaceInTwips(m_takenHeading, D::kListLeft, layout.takenLabelTop, D::kListWidth, 240);
    PlaceInTwips(m_takenList, D::kListLeft, layout.takenListTop, D::kListWidth, layout.takenListHeight);
    PlaceInTwips(m_freeHeading, D::kListLeft, layout.freeLabelTop, D::kListWidth, 240);
    PlaceInTwips(m_freeList, D::kListLeft, layout.freeListTop, D::kListWidth, layout.freeListHeight);
    const std::array<int, 3> buttonTops = {0, layout.freeListTop + layout.freeListHeight + 45,
                                           layout.takenListTop + layout.takenListHeight + 45};
    for (size_t n = 1; n <= 2; ++n) {
        int left = D::kListLeft;
        for (QToolButton *button : {m_copyButtons.at(n), m_deleteButtons.at(n), m_clearButtons.at(n)}) {
            PlaceInTwips(button, left, buttonTops.at(n), kListButtonWidth, kListButtonHeight);
            left += kListButtonWidth + 52;
        }
    }
    if (QWidget *view = m_browser->view())
        PlaceInTwips(view, D::kBrowserLeft, browserTop, layout.browserWidth, layout.browserHeight);
    for (QLabel *panel : m_panels) {
        panel->setFixedWidth(ToPixels(layout.panelWidths.at(0)));
        Widgets::SetElidedText(panel, Widgets::FullText(panel));
    }
    m_statusBar->setGeometry(0, height() - statusHeight, width(), statusHeight);
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
    emit closing();
    m_state->Unload();
    m_browser->Stop();
    m_frameBrowser->Stop();
    QWidget::closeEvent(event);
}
