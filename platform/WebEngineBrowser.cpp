#include "WebEngineBrowser.h"

#include <QUrl>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineView>

WebEngineBrowser::WebEngineBrowser(QWidget *parentWidget)
    : WebBrowser(parentWidget), m_view(new QWebEngineView(parentWidget))
{
    QWebEnginePage *page = m_view->page();
    connect(page, &QWebEnginePage::loadStarted, this, [this] {
        ++m_loadSerial;
        emit DownloadBegin();
    });
    connect(page, &QWebEnginePage::loadProgress, this,
            [this](int progress) { emit ProgressChange(progress, 100); });
    connect(page, &QWebEnginePage::titleChanged, this, &WebBrowser::TitleChange);
    connect(page, &QWebEnginePage::linkHovered, this, &WebBrowser::StatusTextChange);
    connect(page, &QWebEnginePage::loadFinished, this, &WebEngineBrowser::OnLoadFinished);
}

WebEngineBrowser::~WebEngineBrowser()
{
    // The view goes with the browser, so no markup callback can reach a browser that is gone.
    delete m_view;
}

QWidget *WebEngineBrowser::view()
{
    return m_view;
}

void WebEngineBrowser::Navigate(const QString &address)
{
    m_view->setUrl(QUrl::fromUserInput(address));
}

void WebEngineBrowser::GoBack()
{
    if (m_view->history()->canGoBack())
        m_view->back();
}

void WebEngineBrowser::GoForward()
{
    if (m_view->history()->canGoForward())
        m_view->forward();
}

void WebEngineBrowser::GoHome()
{
    Navigate(m_homeAddress);
}

void WebEngineBrowser::Refresh()
{
    m_view->reload();
}

void WebEngineBrowser::Stop()
{
    m_view->stop();
}

QString WebEngineBrowser::LocationURL() const
{
    return m_view->url().toString();
}

QString WebEngineBrowser::LocationName() const
{
    return m_view->title();
}

std::optional<QString> WebEngineBrowser::BodyMarkup() const
{
    return m_bodyMarkup;
}

void WebEngineBrowser::OnLoadFinished(bool)
{
    emit DownloadComplete();
    const quint64 serial = m_loadSerial;
    const QString address = LocationURL();
    m_view->page()->runJavaScript(
        QStringLiteral("document.body ? document.body.innerHTML : null"),
        [this, serial, address](const QVariant &result) {
            if (serial != m_loadSerial)
                return; // a newer load has begun; this markup belongs to a page no longer shown
            m_bodyMarkup =
                result.isNull() || !result.isValid() ? std::nullopt : std::optional(result.toString());
            emit DocumentComplete(address);
        });
}
