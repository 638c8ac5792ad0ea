#pragma once

#include "WebBrowser.h"

#include <QPointer>

class QWebEngineView;

// WebBrowser on Qt WebEngine. The body markup is fetched from the page when it has finished
// loading, and DocumentComplete is raised once it is in hand, so a handler can read it at once.
class WebEngineBrowser : public WebBrowser
{
    Q_OBJECT
public:
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
    std::optional<QString> BodyMarkup() const override;

private:
    void OnLoadFinished(bool ok);

    QPointer<QWebEngineView> m_view;
    QString m_homeAddress = QStringLiteral("about:blank");
    std::optional<QString> m_bodyMarkup;
    quint64 m_loadSerial = 0;
};
