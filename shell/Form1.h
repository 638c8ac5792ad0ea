#pragma once

#include "engine/CheckEngine.h"
#include "shell/Layouts.h"
#include "sources/SourceSelection.h"

#include <QMainWindow>

#include <array>

class AppState;
class ProgramWindows;
class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMessageBox;
class QStatusBar;
class QToolButton;
class ResultListView;

// The main window: the source and search controls across the top, the five result lists below
// them, the status bar, and the menus. It shows the state of the engine, the result lists and
// the source controls (all in core) and passes the user's actions on to them.
class Form1 : public QMainWindow
{
    Q_OBJECT
public:
    Form1(AppState &state, ProgramWindows &windows, EngineTimings timings = {}, QWidget *parent = nullptr);
    ~Form1() override;

    // The start-up sequence: captions, data files and folders, kept names, whois table,
    // positions and proxy switch. Runs once, before the window is first shown.
    void Load();

    CheckEngine &engine() { return m_engine; }
    SourceSelection &selection() { return m_selection; }
    int lastClickedList() const { return LastClickedList; }
    // The geometry last applied, in twips.
    const MainWindowLayout &appliedLayout() const { return m_layout; }

    // List actions by list number (1 Low, 2 Registered, 3 High, 4 Mid, 5 Saved).
    void Copy(int list);
    void Del(int list);
    void Clear(int list);
    void OpenCurrentName(int list);
    void DropOnSaved(const QString &payload);
    void ListClicked(int list);

    // Controls, named as the program names them.
    QGroupBox *Frame1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QLabel *Label6 = nullptr;
    QComboBox *Combo1 = nullptr;
    QLabel *wLabel1 = nullptr;
    QLineEdit *txtWordNum = nullptr;
    QLabel *wLabel2 = nullptr;
    QLineEdit *txtWordMax = nullptr;
    QToolButton *cmdDoSearch = nullptr;
    QToolButton *Command3 = nullptr;
    QLabel *sLabel1 = nullptr;
    QLineEdit *txtSearch = nullptr;
    QLabel *SLabel2 = nullptr;
    QComboBox *Combo2 = nullptr;
    QToolButton *cmdCreate = nullptr;
    QToolButton *cmdSetup = nullptr;
    QToolButton *cmdWebsite = nullptr;
    std::array<QLabel *, 6> Label{};          // headings, 1 to 5
    std::array<ResultListView *, 6> List{};   // lists, 1 to 5
    std::array<QToolButton *, 6> cmdCopy{};   // 1 to 5
    std::array<QToolButton *, 6> cmdClear{};  // "Del", 1 to 5
    std::array<QToolButton *, 6> cmdClear2{}; // "Clear", 1 to 5
    QStatusBar *StatusBar1 = nullptr;
    std::array<QLabel *, 3> panels{};
    std::array<QAction *, 10> mnuEditItem{};
    std::array<QAction *, 9> mnuToolsItem{};

signals:
    // "Search" was pressed for a search-engine source.
    void harvestRequested();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void BuildMenus();
    void BuildFrame1();
    void BuildFrame2();
    void BuildStatusBar();
    void ConnectState();
    void ShowControls();
    void ApplyLayout();
    void ShowError(const QString &title, const QString &text);

    AppState &m_state;
    ProgramWindows &m_windows;
    SourceSelection m_selection;
    CheckEngine m_engine;
    int LastClickedList = 0;
    bool m_closed = false;
    MainWindowLayout m_layout;
    QMessageBox *m_errorBox = nullptr;
};
