#include "WebEngineBrowser.h"

#include <QWebEngineHttpRequest>

#include <QUrl>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <algorithm>

WebEngineBrowser::WebEngineBrowser(QWidget *parentWidget)
    : WebBrowser(parentWidget), m_view(new QWebEngineView(parentWidget))
{
    QWebEnginePage *page = m_view->page();
    connect(page, &QWebEnginePage::loadingChanged, this, &WebEngineBrowser::OnLoadingChanged);
    connect(page, &QWebEnginePage::loadProgress, this,
            [this](int progress) { emit ProgressChange(progress, 100); });
    connect(page, &QWebEnginePage::titleChanged, this, &WebBrowser::TitleChange);
    connect(page, &QWebEnginePage::linkHovered, this, &WebBrowser::StatusTextChange);
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

void WebEngineBrowser::NavigatePost(const QString &address, const QByteArray &form)
{
    QWebEngineHttpRequest request(QUrl::fromUserInput(address), QWebEngineHttpRequest::Post);
    request.setHeader(QByteArrayLiteral("Content-Type"), QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setPostData(form);
    m_view->load(request);
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
    // A page that had begun to show stays on display although it never finished: its document
    // says which one it is.
    m_view->page()->runJavaScript(QStringLiteral("location.href"), QWebEngineScript::ApplicationWorld,
                                  [this, serial = m_started](const QVariant &result) {
                                      const QString shown = result.toString();
                                      if (serial != m_started || shown.isEmpty() || shown == m_displayed)
                                          return;
                                      m_displayed = shown;
                                      emit AddressChange(shown);
                                  });
}

QString WebEngineBrowser::LocationURL() const
{
    // The page shown: a navigation that was stopped before it committed leaves no trace here.
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

void WebEngineBrowser::OnLoadingChanged(const QWebEngineLoadingInfo &info)
{
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus:
        ++m_started;
        emit DownloadBegin();
        return;
    case QWebEngineLoadingInfo::LoadStoppedStatus:
        ++m_ended; // cut short: no page to report
        return;
    case QWebEngineLoadingInfo::LoadSucceededStatus:
    case QWebEngineLoadingInfo::LoadFailedStatus:
        break;
    }
    // Navigations end in the order they began; one that ends while a newer one is under way
    // was replaced by it.
    const bool current = ++m_ended >= m_started;
    if (current) {
        m_displayed = info.url().toString();
        m_loadError.clear();
        m_httpStatus = info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain ? info.errorCode() : 0;
        if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus)
            m_loadError = info.errorString().isEmpty() ? QStringLiteral("the page could not be loaded")
                                                       : info.errorString();
    }
    emit DownloadComplete();
    if (!current)
        return;
    if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus) {
        Complete(std::nullopt);
        return;
    }
    const quint64 serial = m_started;
    // The markup is serialised once, into the application's own script world, and read from
    // there piece by piece: one huge answer would have to pass the process boundary whole.
    m_view->page()->runJavaScript(
        QStringLiteral("window.orvelleMarkup = document.body ? document.body.innerHTML : null;"
                       "window.orvelleMarkup === null ? -1 : window.orvelleMarkup.length"),
        QWebEngineScript::ApplicationWorld, [this, serial](const QVariant &result) {
            if (serial != m_started)
                return; // a newer load has begun; this markup belongs to a page no longer shown
            bool ok = false;
            const qsizetype length = result.toLongLong(&ok);
            if (!ok || length < 0) {
                Complete(std::nullopt);
                return;
            }
            m_markupCut = length > kMarkupLimit;
            QString markup;
            markup.reserve(std::min(length, kMarkupLimit));
            FetchPiece(serial, std::min(length, kMarkupLimit), std::move(markup));
        });
}

void WebEngineBrowser::FetchPiece(quint64 serial, qsizetype length, QString markup)
{
    if (markup.size() >= length) {
        m_view->page()->runJavaScript(QStringLiteral("window.orvelleMarkup = null;"),
                                      QWebEngineScript::ApplicationWorld);
        Complete(std::move(markup));
        return;
    }
    const qsizetype from = markup.size();
    m_view->page()->runJavaScript(
        QStringLiteral("window.orvelleMarkup === null ? null : window.orvelleMarkup.substring(%1, %2)")
            .arg(from)
            .arg(std::min(length, from + kMarkupPiece)),
        QWebEngineScript::ApplicationWorld,
        [this, serial, length, markup = std::move(markup)](const QVariant &result) mutable {
            if (serial != m_started)
                return;
            const QString piece = result.toString();
            if (!result.isValid() || result.isNull() || piece.isEmpty()) {
                Complete(std::move(markup)); // the copy went away: what came so far
                return;
            }
            markup += piece;
            FetchPiece(serial, length, std::move(markup));
        });
}

void WebEngineBrowser::Complete(std::optional<QString> markup)
{
    if (!markup)
        m_markupCut = false;
    m_bodyMarkup = std::move(markup);
    emit DocumentComplete(LocationURL());
}
