#include "FakeWebBrowser.h"

#include <QPointer>
#include <QWidget>

FakeWebBrowser::FakeWebBrowser(QWidget *parentWidget)
    : WebBrowser(parentWidget), m_view(new QWidget(parentWidget))
{
    m_view->setObjectName(QStringLiteral("FakeBrowserView"));
}

FakeWebBrowser::~FakeWebBrowser()
{
    delete m_view;
}

QWidget *FakeWebBrowser::view()
{
    return m_view;
}

void FakeWebBrowser::Navigate(const QString &address)
{
    navigations.append(address);
    m_location = address;
    emit DownloadBegin();
}

void FakeWebBrowser::CompletePage(const QString &title, const std::optional<QString> &body)
{
    m_title = title;
    m_body = body;
    m_error.clear();
    m_shown = m_location;
    emit TitleChange(title);
    emit DownloadComplete();
    emit DocumentComplete(m_location);
}

void FakeWebBrowser::FailPage(const QString &error)
{
    m_body.reset();
    m_error = error;
    m_shown = m_location;
    emit DownloadComplete();
    emit DocumentComplete(m_location);
}
