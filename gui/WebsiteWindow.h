#pragma once

#include <QWidget>

#include <array>

struct ProgramConfig;
class QGroupBox;
class QLabel;
class QLineEdit;
class QStatusBar;
class QToolButton;
class WebBrowser;

// A plain web window inside the program: it opens on the maker's web site, and it is where a
// found name is bought (its purchase page replaces the start page).
class WebsiteWindow : public QWidget
{
    Q_OBJECT
public:
    WebsiteWindow(const ProgramConfig &config, WebBrowser *browser, QWidget *parent = nullptr);

    // The load sequence: caption, to the front, start page, maximised.
    void Load();
    void Navigate(const QString &address);

    QGroupBox *m_browserFrame;
    QLabel *m_addressLabel;
    QLineEdit *m_addressBox;
    QToolButton *m_goButton;
    QToolButton *m_backButton;
    QToolButton *m_forwardButton;
    QToolButton *m_stopButton;
    QToolButton *m_refreshButton;
    WebBrowser *m_browser;
    QStatusBar *m_statusBar;
    std::array<QLabel *, 2> m_panels{};

signals:
    void closed();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void ApplyLayout();

    const ProgramConfig &m_config;
};
