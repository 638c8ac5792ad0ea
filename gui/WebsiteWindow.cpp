#include "WebsiteWindow.h"

#include "Layouts.h"
#include "Pictures.h"
#include "Widgets.h"
#include "platform/WebBrowser.h"
#include "results/PurchaseLink.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QToolButton>

using Widgets::kTwipsPerPixel;
using Widgets::PlaceInTwips;

WebsiteWindow::WebsiteWindow(const ProgramConfig &config, WebBrowser *browser, QWidget *parent)
    : QWidget(parent, Qt::Window), m_browser(browser), m_config(config)
{
    using D = WebsiteWindowDesign;
    setObjectName(QStringLiteral("frmWebsite"));
    setWindowIcon(QIcon(ProgramEmblem(64)));
    QFont font = this->font();
    font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});

    m_browserFrame = new QGroupBox(QStringLiteral("Browser"), this);
    m_browserFrame->setObjectName(QStringLiteral("frmBrowser"));
    m_browserFrame->setFont(font);
    m_addressLabel = new QLabel(QStringLiteral("URL:"), m_browserFrame);
    m_addressLabel->setObjectName(QStringLiteral("Label5"));
    PlaceInTwips(m_addressLabel, D::kUrlLabelLeft, D::kUrlLabelTop, 400, 255);
    m_addressBox = new QLineEdit(m_browserFrame);
    m_addressBox->setObjectName(QStringLiteral("Text1"));
    const auto button = [this](const char *name, Picture picture, const char *tip) {
        return Widgets::IconButton(m_browserFrame, name, picture, QLatin1String(tip));
    };
    m_goButton = button("Command3", Picture::Go, "browse the entered url");
    m_backButton = button("Command4", Picture::Back, "back");
    m_forwardButton = button("Command5", Picture::Forward, "forward");
    m_stopButton = button("Command6", Picture::Halt, "stop");
    m_refreshButton = button("Command7", Picture::Refresh, "refresh");
    for (int i = 0; i < 4; ++i) {
        QToolButton *navigation =
            std::array{m_backButton, m_forwardButton, m_stopButton, m_refreshButton}.at(i);
        PlaceInTwips(navigation, D::kUrlLabelLeft + i * (D::kNavButtonSize + 60), D::kNavButtonTop,
                     D::kNavButtonSize, D::kNavButtonSize);
    }
    m_browser->setParent(this);
    QWidget *view = m_browser->view();
    if (view) {
        view->setParent(m_browserFrame);
        view->setObjectName(QStringLiteral("WebBrowser1"));
    }
    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setSizeGripEnabled(false);
    for (QLabel *&panel : m_panels) {
        panel = new QLabel(m_statusBar);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        m_statusBar->addWidget(panel);
    }
    m_panels.at(0)->setObjectName(QStringLiteral("Panel1"));
    m_panels.at(1)->setObjectName(QStringLiteral("Panel2"));

    const auto go = [this] {
        m_browser->Navigate(m_addressBox->text());
    };
    connect(m_goButton, &QToolButton::clicked, this, go);
    connect(m_addressBox, &QLineEdit::returnPressed, this, go);
    connect(m_backButton, &QToolButton::clicked, m_browser, &WebBrowser::GoBack);
    connect(m_forwardButton, &QToolButton::clicked, m_browser, &WebBrowser::GoForward);
    connect(m_stopButton, &QToolButton::clicked, m_browser, &WebBrowser::Stop);
    connect(m_refreshButton, &QToolButton::clicked, m_browser, &WebBrowser::Refresh);
    connect(m_browser, &WebBrowser::StatusTextChange, m_panels.at(0), &QLabel::setText);
    connect(m_browser, &WebBrowser::DownloadBegin, this,
            [this] { m_panels.at(1)->setText(QStringLiteral("Opening ") + m_browser->LocationURL()); });
    connect(m_browser, &WebBrowser::DownloadComplete, this, [this] {
        const QString error = m_browser->LoadError();
        m_panels.at(1)->setText(error.isEmpty()
                                    ? QStringLiteral("Completed ") + m_browser->LocationURL()
                                    : QStringLiteral("Could not open %1: %2").arg(m_browser->LocationURL(), error));
        m_addressBox->setText(m_browser->LocationURL());
        setWindowTitle(m_browser->LocationName());
    });
    resize(800, 600);
}

void WebsiteWindow::Load()
{
    setWindowTitle(m_config.siteAddress);
    raise();
    activateWindow();
    m_browser->Navigate(m_config.siteAddress);
    setWindowState(windowState() | Qt::WindowMaximized); // shown maximised by its opener
}

void WebsiteWindow::Navigate(const QString &address)
{
    m_browser->Navigate(address);
}

void WebsiteWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ApplyLayout();
}

void WebsiteWindow::ApplyLayout()
{
    using D = WebsiteWindowDesign;
    const int statusHeight = m_statusBar->sizeHint().height();
    const WebsiteWindowLayout layout = LayoutWebsiteWindow(
        width() * kTwipsPerPixel, height() * kTwipsPerPixel, statusHeight * kTwipsPerPixel);
    for (int i = 0; i < 2; ++i)
        m_panels.at(i)->setFixedWidth(std::max(1, layout.panelWidths.at(i) / kTwipsPerPixel - 4));
    PlaceInTwips(m_browserFrame, D::kFrameLeft, D::kFrameTop, layout.frameWidth, layout.frameHeight);
    PlaceInTwips(m_addressBox, D::kAddressLeft, D::kAddressTop, layout.addressWidth, D::kAddressHeight);
    PlaceInTwips(m_goButton, layout.goButtonLeft, D::kAddressTop, D::kGoButtonWidth, D::kAddressHeight);
    if (QWidget *view = m_browser->view())
        PlaceInTwips(view, D::kBrowserLeft, D::kBrowserTop, layout.browserWidth, layout.browserHeight);
    m_statusBar->setGeometry(0, height() - statusHeight, width(), statusHeight);
}

void WebsiteWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit closed();
}
