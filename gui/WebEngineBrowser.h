#pragma once

#include "platform/WebBrowser.h"

#include <QPointer>

class QWebEngineLoadingInfo;
class QWebEngineView;

// WebBrowser on Qt WebEngine. The body markup (at most kMarkupLimit characters of it) is fetched
// from the page when it has finished loading, in pieces of kMarkupPiece characters from a copy
// kept in a script world of its own (the page's scripts cannot see or change it), and
// DocumentComplete is raised once it is in hand, so a handler can read it at once.
//
// DocumentComplete comes exactly once for each navigation that finished, with the markup of a
// page that loaded and with none for one that failed; never for a navigation that a later one,
// or Stop, cut short.
class WebEngineBrowser : public WebBrowser
{
    Q_OBJECT
public:
    static constexpr qsizetype kMarkupPiece = 4 * 1024 * 1024;

    explicit WebEngineBrowser(QWidget *parentWidget = nullptr);
    ~WebEngineBrowser() override;

    void setHomeAddress(const QString &address) { m_homeAddress = address; }

    QWidget *view() override;
    void Navigate(const QString &address) override;
    void GoBack() override;
    void GoForward() override;
    void GoHome() override;
    void Refresh() override;
    void Stop() override;
    QString LocationURL() const override;
    QString LocationName() const override;
    QString DisplayedURL() const override { return m_displayed.isEmpty() ? LocationURL() : m_displayed; }
    std::optional<QString> BodyMarkup() const override;
    bool BodyMarkupCut() const override { return m_markupCut; }
    QString LoadError() const override { return m_loadError; }
    int HttpStatus() const override { return m_httpStatus; }
    void NavigatePost(const QString &address, const QByteArray &form) override;

private:
    void OnLoadingChanged(const QWebEngineLoadingInfo &info);
    // Fetches the next piece of the markup copy of navigation serial, from offset.
    void FetchPiece(quint64 serial, qsizetype length, QString markup);
    void Complete(std::optional<QString> markup);

    QPointer<QWebEngineView> m_view;
    QString m_homeAddress = QStringLiteral("about:blank");
    std::optional<QString> m_bodyMarkup;
    QString m_displayed; // the address of the load that finished last
    bool m_markupCut = false;
    QString m_loadError;
    int m_httpStatus = 0;
    quint64 m_started = 0; // navigations begun
    quint64 m_ended = 0;   // navigations that finished, failed or were cut short
};
