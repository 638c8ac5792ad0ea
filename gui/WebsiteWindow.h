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
    QLabel *Label5;
    QLineEdit *Text1;
    QToolButton *Command3;
    QToolButton *Command4;
    QToolButton *Command5;
    QToolButton *Command6;
    QToolButton *Command7;
    WebBrowser *WebBrowser1;
    QStatusBar *StatusBar1;
    std::array<QLabel *, 2> panels{};

signals:
    void closed();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void ApplyLayout();

    const ProgramConfig &m_config;
};
