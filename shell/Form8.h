#pragma once

#include <QUrl>
#include <QWidget>

#include <functional>

class AppState;

// The help launcher: an invisible window whose loading opens the help file with the desktop's
// handler. Once the file has been opened, the help no longer opens by itself at start-up.
class Form8 : public QWidget
{
    Q_OBJECT
public:
    using UrlOpener = std::function<bool(const QUrl &)>;

    Form8(AppState &state, QString helpFile, UrlOpener openUrl, QWidget *parent = nullptr);

    // Opens the help file, when it exists; true when it did.
    bool OpenHelpFile();

private:
    AppState &m_state;
    QString m_helpFile;
    UrlOpener m_openUrl;
};
