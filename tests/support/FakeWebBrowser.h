#pragma once

#include "platform/WebBrowser.h"

#include <QPointer>
#include <QStringList>

class QWidget;

// A WebBrowser that loads nothing: it records where it was sent, and a test completes "pages"
// with the markup and title it wants, raising the events a real browser raises.
class FakeWebBrowser : public WebBrowser
{
    Q_OBJECT
public:
    explicit FakeWebBrowser(QWidget *parentWidget = nullptr);
    ~FakeWebBrowser() override;

    QWidget *view() override;
    void Navigate(const QString &address) override;
    void NavigatePost(const QString &address, const QByteArray &form) override
    {
        posts << QString::fromUtf8(form);
        Navigate(address);
    }
    int HttpStatus() const override { return status; }
    void GoBack() override { ++backCount; }
    void GoForward() override { ++forwardCount; }
    void GoHome() override { ++homeCount; }
    void Refresh() override { ++refreshCount; }
    // A load under way is abandoned; LocationURL() stays the address asked for, as in the web engine.
    void Stop() override { ++stopCount; }
    QString LocationURL() const override { return m_location; }
    QString LocationName() const override { return m_title; }
    QString DisplayedURL() const override { return m_shown; }
    std::optional<QString> BodyMarkup() const override { return m_body; }

    // Finishes loading the address last navigated to, with this title and body.
    void CompletePage(const QString &title, const std::optional<QString> &body);
    // Ends loading the address last navigated to with a failure.
    void FailPage(const QString &error);
    QString LoadError() const override { return m_error; }

    QStringList navigations;
    QStringList posts;  // the forms sent with POST
    int status = 0;     // the HTTP status the next pages report
    int backCount = 0;
    int forwardCount = 0;
    int homeCount = 0;
    int refreshCount = 0;
    int stopCount = 0;

private:
    QPointer<QWidget> m_view;
    QString m_location;
    QString m_shown; // the address of the page last completed
    QString m_title;
    std::optional<QString> m_body;
    QString m_error;
};
