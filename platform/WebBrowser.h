#pragma once

#include <QObject>
#include <QString>

#include <optional>

class QWidget;

// A web-browser control as the program's windows use it: navigation, history, the address and
// title of the page shown, and the markup of its body once the page is complete.
//
// Events, in the order a load raises them: DownloadBegin, StatusTextChange / ProgressChange /
// TitleChange while loading, DownloadComplete, then DocumentComplete, after which BodyMarkup()
// holds the markup of the page's body. Operations that cannot be carried out (GoBack without
// history) do nothing.
class WebBrowser : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~WebBrowser() override = default;

    // The widget that shows the pages, for embedding in a window. May be null for browsers
    // without a display.
    virtual QWidget *view() = 0;

    virtual void Navigate(const QString &address) = 0;
    // A form sent with POST (application/x-www-form-urlencoded); browsers without forms navigate.
    virtual void NavigatePost(const QString &address, const QByteArray &form)
    {
        Q_UNUSED(form);
        Navigate(address);
    }
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void GoHome() = 0;
    virtual void Refresh() = 0;
    virtual void Stop() = 0;

    virtual QString LocationURL() const = 0;
    virtual QString LocationName() const = 0;
    // The address of the page on display: during a load, and after Stop cut one short before its
    // page was shown, that is still the page loaded last, not the one asked for; after Stop cut
    // one short whose page was shown already, that page's (AddressChange tells when it is known).
    virtual QString DisplayedURL() const { return LocationURL(); }
    // Why the load that completed last failed (a refused connection, a name that does not
    // resolve); empty when it loaded.
    virtual QString LoadError() const { return QString(); }
    // The HTTP status of the page that completed last; 0 when not known.
    virtual int HttpStatus() const { return 0; }
    // The inner markup of the body of the page last completed, at most kMarkupLimit characters
    // of it; nothing when that page has no body (a plain-text or failed document).
    virtual std::optional<QString> BodyMarkup() const = 0;
    // The page's markup was longer than kMarkupLimit: BodyMarkup() holds its start only.
    virtual bool BodyMarkupCut() const { return false; }
    static constexpr qsizetype kMarkupLimit = qsizetype(64) * 1024 * 1024;
    // What a window's status line says of a page whose markup was cut.
    static QString MarkupCutText() { return QStringLiteral("page too large: first 64 MiB scanned"); }

signals:
    void StatusTextChange(const QString &text);
    void ProgressChange(int progress, int progressMax);
    void DownloadBegin();
    void DownloadComplete();
    void TitleChange(const QString &title);
    void DocumentComplete(const QString &address);
    // DisplayedURL() changed without a completed load: a page shown in part was stopped.
    void AddressChange(const QString &address);
};
