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
    : QWidget(parent, Qt::Window), WebBrowser1(browser), m_config(config)
{
    using D = WebsiteWindowDesign;
    setObjectName(QStringLiteral("frmWebsite"));
    setWindowIcon(QIcon(ProgramEmblem(64)));
    QFont font = this->font();
    font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});

    m_browserFrame = new QGroupBox(QStringLiteral("Browser"), this);
    m_browserFrame->setObjectName(QStringLiteral("frmBrowser"));
    m_browserFrame->setFont(font);
    Label5 = new QLabel(QStringLiteral("URL:"), m_browserFrame);
    Label5->setObjectName(QStringLiteral("Label5"));
    PlaceInTwips(Label5, D::kUrlLabelLeft, D::kUrlLabelTop, 400, 255);
    Text1 = new QLineEdit(m_browserFrame);
    Text1->setObjectName(QStringLiteral("Text1"));
    const auto button = [this](const char *name, Picture picture, const char *tip) {
        return Widgets::IconButton(m_browserFrame, name, picture, QLatin1String(tip));
    };
    Command3 = button("Command3", Picture::Go, "browse the entered url");
    Command4 = button("Command4", Picture::Back, "back");
    Command5 = button("Command5", Picture::Forward, "forward");
    Command6 = button("Command6", Picture::Halt, "stop");
    Command7 = button("Command7", Picture::Refresh, "refresh");
    for (int i = 0; i < 4; ++i) {
        QToolButton *navigation = std::array{Command4, Command5, Command6, Command7}.at(i);
        PlaceInTwips(navigation, D::kUrlLabelLeft + i * (D::kNavButtonSize + 60), D::kNavButtonTop,
                     D::kNavButtonSize, D::kNavButtonSize);
    }
    WebBrowser1->setParent(this);
    QWidget *view = WebBrowser1->view();
    if (view) {
        view->setParent(m_browserFrame);
        view->setObjectName(QStringLiteral("WebBrowser1"));
    }
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    for (QLabel *&panel : panels) {
        panel = new QLabel(StatusBar1);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        StatusBar1->addWidget(panel);
    }
    panels.at(0)->setObjectName(QStringLiteral("Panel1"));
    panels.at(1)->setObjectName(QStringLiteral("Panel2"));

    const auto go = [this] {
        WebBrowser1->Navigate(Text1->text());
    };
    connect(Command3, &QToolButton::clicked, this, go);
    connect(Text1, &QLineEdit::returnPressed, this, go);
    connect(Command4, &QToolButton::clicked, WebBrowser1, &WebBrowser::GoBack);
    connect(Command5, &QToolButton::clicked, WebBrowser1, &WebBrowser::GoForward);
    connect(Command6, &QToolButton::clicked, WebBrowser1, &WebBrowser::Stop);
    connect(Command7, &QToolButton::clicked, WebBrowser1, &WebBrowser::Refresh);
    connect(WebBrowser1, &WebBrowser::StatusTextChange, panels.at(0), &QLabel::setText);
    connect(WebBrowser1, &WebBrowser::DownloadBegin, this,
            [this] { panels.at(1)->setText(QStringLiteral("Opening ") + WebBrowser1->LocationURL()); });
    connect(WebBrowser1, &WebBrowser::DownloadComplete, this, [this] {
        panels.at(1)->setText(QStringLiteral("Completed ") + WebBrowser1->LocationURL());
        Text1->setText(WebBrowser1->LocationURL());
        setWindowTitle(WebBrowser1->LocationName());
    });
    resize(800, 600);
}

void WebsiteWindow::Load()
{
    setWindowTitle(m_config.siteAddress);
    raise();
    activateWindow();
    WebBrowser1->Navigate(m_config.siteAddress);
    setWindowState(windowState() | Qt::WindowMaximized); // shown maximised by its opener
}

void WebsiteWindow::Navigate(const QString &address)
{
    WebBrowser1->Navigate(address);
}

void WebsiteWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ApplyLayout();
}

void WebsiteWindow::ApplyLayout()
{
    using D = WebsiteWindowDesign;
    const int statusHeight = StatusBar1->sizeHint().height();
    const WebsiteWindowLayout layout = LayoutWebsiteWindow(
        width() * kTwipsPerPixel, height() * kTwipsPerPixel, statusHeight * kTwipsPerPixel);
    for (int i = 0; i < 2; ++i)
        panels.at(i)->setFixedWidth(std::max(1, layout.panelWidths.at(i) / kTwipsPerPixel - 4));
    PlaceInTwips(m_browserFrame, D::kFrameLeft, D::kFrameTop, layout.frameWidth, layout.frameHeight);
    PlaceInTwips(Text1, D::kAddressLeft, D::kAddressTop, layout.addressWidth, D::kAddressHeight);
    PlaceInTwips(Command3, layout.goButtonLeft, D::kAddressTop, D::kGoButtonWidth, D::kAddressHeight);
    if (QWidget *view = WebBrowser1->view())
        PlaceInTwips(view, D::kBrowserLeft, D::kBrowserTop, layout.browserWidth, layout.browserHeight);
    StatusBar1->setGeometry(0, height() - statusHeight, width(), statusHeight);
}

void WebsiteWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit closed();
}
