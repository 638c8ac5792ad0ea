#pragma once

#include "app/BrowseState.h"
#include "gui/Layouts.h"

#include <QWidget>

#include <array>
#include <memory>

class Program;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QStatusBar;
class QToolButton;
class ResultListView;
class WebBrowser;

// "Browse for Domains": a browser inside the program whose every page, frames included, is
// scanned for domain names, which are checked one at a time; the free and taken names appear in
// the window's own lists and in the main window's. The rules live in BrowseState; the window
// drives its two browsers and shows the state.
class BrowseWindow : public QWidget
{
    Q_OBJECT
public:
    BrowseWindow(Program &program, WebBrowser *browser, WebBrowser *frameBrowser, BrowseTimings timings,
                 QWidget *parent = nullptr);
    ~BrowseWindow() override;

    // The load sequence: the state's start, the three m_panels, the maker's site.
    void Load();
    BrowseState &state() { return *m_state; }
    const BrowseWindowLayout &appliedLayout() const { return m_layout; }

    // Goes to the address in the address box and keeps it in its drop-down list.
    void Command1_Click();
    void Copy(BrowseState::List list);
    void Del(BrowseState::List list);
    void Clear(BrowseState::List list);

    QGroupBox *m_addressFrame;
    QLabel *m_addressLabel;
    QComboBox *m_addressBox;
    QToolButton *m_goButton;
    QGroupBox *m_buttonFrame;
    std::array<QPushButton *, 7> m_presetButtons{};
    QToolButton *m_backButton;
    QToolButton *m_forwardButton;
    QToolButton *m_homeButton;
    QToolButton *m_refreshButton;
    QToolButton *m_stopButton;
    QLabel *m_takenHeading;
    ResultListView *m_takenList;
    QLabel *m_freeHeading;
    ResultListView *m_freeList;
    // Indexed 1 (the free list) and 2 (the taken list).
    std::array<QToolButton *, 3> m_copyButtons{};
    std::array<QToolButton *, 3> m_deleteButtons{}; // "Clear"
    std::array<QToolButton *, 3> m_clearButtons{};  // "Del"
    WebBrowser *m_browser;
    WebBrowser *m_frameBrowser;
    QStatusBar *m_statusBar;
    QLabel *m_noVerdictPanel = nullptr; // "No verdict: n", once a name got none
    std::array<QLabel *, 3> m_panels{};

signals:
    // A name was double-clicked in one of the lists.
    void nameOpened(const QString &name);
    // From a list's context menu.
    void whoisRequested(const QString &name);
    void purchaseRequested(const QString &name);
    // The window is about to close.
    void closing();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void BuildControls();
    void ConnectBrowsers();
    ResultListView *ListView(BrowseState::List list) const;
    void ApplyLayout();
    int PlaceButtonRows(); // returns the height of the button rows, in pixels

    Program &m_program;
    std::unique_ptr<BrowseState> m_state;
    BrowseWindowLayout m_layout;
};
